// The four charts of the curves window, two columns of two: the charts share one position
// (or time) axis. A zoom in one applies to all of them, and the plot areas of each column
// stand one above the other with the same left and right edges, so that a place along the
// dryer is at the same x in every chart of the column.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "app/CurveView.h"
#include "plot/RunCharts.h"

namespace quillmere {

class ChartStack : public QWidget {
 public:
  explicit ChartStack(const CurveView::Hover& hover, QWidget* parent = nullptr);

  CurveView& View(plot::RunChart chart) const;
  const std::array<CurveView*, plot::kRunCharts.size()>& Views() const { return views_; }

  //! Shows `chart` in its view, following the horizontal range of the others' zoom.
  void Show(plot::RunChart kind, std::unique_ptr<QChart> chart);
  //! Lines up the plot areas of each column (call once every chart is shown).
  void AlignPlots();
  //! Back from every zoom to the whole run.
  void ResetZoom();

 private:
  //! One pass of AlignPlots; whether a plot moved.
  bool AlignOnce();
  //! Gives every other chart the horizontal range `from` shows.
  void FollowRange(const CurveView& from);

  std::array<CurveView*, plot::kRunCharts.size()> views_{};
  bool following_ = false;  //!< while FollowRange sets the others' ranges
};

}  // namespace quillmere
