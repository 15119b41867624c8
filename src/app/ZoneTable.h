// The zones of the run shown in the curves window: one row a zone with the web's state at its
// exit and the zone's warnings in full, a line above that counts the warnings (the plant's
// too) and links each zone that has some to its row, and a note of how a run that ended on
// a fault ended.
#pragma once

#include <QWidget>
#include <optional>

#include "analysis/uncertainty/StepError.h"
#include "sim/RunSeries.h"

class QLabel;
class QTableWidget;

namespace quillmere {

class ZoneTable : public QWidget {
  Q_OBJECT
 public:
  explicit ZoneTable(char decimalSeparator, QWidget* parent = nullptr);

  //! Shows the zones of `run` (nullptr: none) and counts `plantWarnings` beside its own. With
  //! the run's `stepError`, the exit temperature and residual ratios read "0.0054 (+0.00017)":
  //! the error estimated from runs at twice and four times the step ("(?)" where not in the
  //! asymptotic range, "(0)" where the coarser runs agree).
  void Show(const RunSeries* run, int plantWarnings, const StepError* stepError = nullptr);
  //! Selects the zone's row and scrolls it into sight.
  void ShowZone(int zone);
  //! The line that counts the warnings (rich text), empty when there are none.
  QString Summary() const;
  //! The table's least height: the header and the first row that has warnings whole (more
  //! rows scroll); where `room` is short of it, that row gives up height down to a few lines,
  //! and scrolls [px].
  int LeastHeight() const;
  //! The height the panel may take at most beside the charts' least height [px]: where the
  //! window is short, the charts keep their axes before the table shows a long row whole.
  void SetRoom(int room);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 Q_SIGNALS:
  //! The summary's link to the plant's warnings was followed.
  void PlantAsked();

 private:
  void FillRows(const RunSeries& run, const StepError* stepError);
  //! Appends the step's error of each exit figure of `zone` to its text in the zone's row.
  void AppendStepErrors(const StepError& stepError, int zone, QString* texts) const;
  //! The columns' titles in two lines each, or in three where `narrow`.
  void SetColumnTitles(bool narrow);
  void ShowNote(const RunSeries& run);
  void ShowSummary(const RunSeries& run, int plantWarnings);
  QString Number(double value, int precision, int digits) const;
  //! The first row that has warnings, whole, or a row without [px].
  int ShownRowHeight() const;
  void UpdateHeights();

  char decimalSeparator_;
  bool narrow_ = false;      //!< the columns' titles in three lines
  std::optional<int> room_;  //!< SetRoom's [px]
  QTableWidget* table_ = nullptr;
  QLabel* note_ = nullptr;
  QLabel* summary_ = nullptr;
};

}  // namespace quillmere
