// A chart of the "Drying curves" window in its view: rubber-band zoom in, a right click
// zooms out (never beyond the run), a marker at the place under the pointer, and the part it
// plays in the stack of charts that share one position axis.
#pragma once

#include <QChartView>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "plot/RunCharts.h"

class QGraphicsLineItem;
class QLabel;

namespace quillmere {

class CurveView : public QChartView {
 public:
  //! Tells the place under the pointer on the horizontal axis (nullopt when the pointer leaves
  //! the plot) with the pointer's place in the view.
  using Hover = std::function<void(plot::RunChart, std::optional<double>, QPoint)>;

  CurveView(plot::RunChart kind, Hover hover);

  //! The least size at which the chart's titles, ticks and legend still read whole, the
  //! position's labels and title below its plot included [px]. A chart gives the axes of
  //! each side at most a fifth of its height where an axis stands on the other side too (the
  //! zones' above the plot): below this height it cuts the position's labels short.
  static constexpr QSize kChartMinimum{300, 205};
  //! The least height of a chart with another below it, which leaves the position's labels
  //! and title to that one (a plot about 120 px high) [px].
  static constexpr int kStackedMinimumHeight = 156;
  //! The height at which its plot is 150 px high: where the window has the room [px].
  static constexpr int kRoomyHeight = 205;
  //! The height of those labels and that title less the margin left without them [px]: a
  //! chart with another below it is that much less high.
  static constexpr int kPositionAxisHeight = 19;

  plot::RunChart Kind() const { return kind_; }

  //! Where the chart stands in its column of charts, which share one horizontal axis: the
  //! top one numbers the zones above its plot, the bottom one labels the position (or time)
  //! below it; the others leave those lines to them and give the plot the height.
  struct StackPlace {
    bool Top = true;
    bool Bottom = true;
  };
  void SetStackPlace(StackPlace place);
  //! The chart's height at which its plot is 150 px high, in that place [px].
  static int RoomyHeight(StackPlace place) {
    return kRoomyHeight - (place.Bottom ? 0 : kPositionAxisHeight);
  }
  //! Called each time the view has laid its chart out at a new size.
  void SetResized(std::function<void()> resized) { resized_ = std::move(resized); }

  //! Shows `chart` in place of the former one, which is deleted.
  void Show(std::unique_ptr<QChart> chart);
  //! Shows the values of `chart` in the chart shown, where the two have the same make-up
  //! (CopyChartData): no chart is made anew nor laid out again where no range moved. False,
  //! with nothing changed, where they differ.
  bool Refresh(const QChart& chart);

  //! Out to twice the span shown, around its middle, within the whole run.
  void ZoomOut();

  //! Moves the plot area's left and right edges by the margins, so that plots of charts
  //! with labels of other widths line up: the margins the chart keeps beyond its own.
  void SetExtraMargins(int left, int right);
  //! The extra margins set, left and right [px].
  std::pair<int, int> ExtraMargins() const;
  //! The plot area as laid out now, in the view's coordinates.
  QRectF PlotArea() const;

  //! The values under the pointer in a box beside it, inside the chart: it stays while the
  //! pointer rests and goes when it leaves the plot (a tooltip window would go by itself).
  void ShowTip(const QString& text, QPoint at);
  void HideTip();
  //! The box's text while it shows, else empty.
  QString TipText() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  Qt::Alignment LegendSide() const;
  void PlaceLegend();
  void ApplyStackPlace();
  void Leave();

  plot::RunChart kind_;
  Hover hover_;
  StackPlace place_;
  std::function<void()> resized_;
  QGraphicsLineItem* marker_ = nullptr;
  QLabel* tip_ = nullptr;
};

}  // namespace quillmere
