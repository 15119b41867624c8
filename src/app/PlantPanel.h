// The plant figures of the run shown in the curves window: a table of the zones (solvent
// evaporated, LEL of the mixture, exhaust, %LEL against its limit, least exhaust, heat) with
// the line's totals, a chart of %LEL and kW by zone, and the plant warnings. A page of the
// curves window of its own, beside the charts, so that it never takes their height.
#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantFigures.h"
#include "params/FieldTexts.h"
#include "report/SolventLibrary.h"

class QChartView;
class QLabel;
class QTableWidget;

namespace quillmere {

//! What the plant page shows of one run.
struct PlantShown {
  std::optional<PlantFigures> Figures;  //!< with the plant inputs, of a finished run
  QString Solvents;                     //!< the solvents in force with their LEL; may be empty
  //! The zones' air from their exhaust, the Antoine ranges the web left.
  std::vector<std::string> Warnings;
  bool Empty() const { return !Figures && Warnings.empty() && Solvents.isEmpty(); }
  //! The warnings the page gives: the Antoine ranges and the LEL limits.
  int WarningCount() const;
};

//! The plant page of a case run from `fields` (RunCase with PlantCaseRequest): its figures,
//! the warnings of its zones' air from their exhaust (`airWarnings`) and of its Antoine
//! ranges, and the solvents in force where one was chosen from the library or the plant
//! inputs are given (`plantGiven`).
PlantShown PlantShownOf(const SolventLibrary& library, const FieldTexts& fields, bool plantGiven,
                        const CaseResult& result, std::vector<std::string> airWarnings = {});

class PlantPanel : public QWidget {
  Q_OBJECT
 public:
  explicit PlantPanel(char decimalSeparator, QWidget* parent = nullptr);

  //! Shows `figures` and `warnings` (the Antoine ranges the web left) under `solvents`, which
  //! names the solvents in force with their LEL; with all three empty the page says that
  //! the run has no plant figures.
  void ShowFigures(const std::optional<PlantFigures>& figures, const QString& solvents,
                   const std::vector<std::string>& warnings);
  void Show(const PlantShown& shown) { ShowFigures(shown.Figures, shown.Solvents, shown.Warnings); }

  QTableWidget* Table() const { return table_; }
  //! Whether the run shown has anything for the page (figures, solvents, warnings).
  bool HasContent() const { return hasContent_; }
  //! The warnings shown: the Antoine ranges and the LEL limits.
  int WarningCount() const { return warnings_; }

 Q_SIGNALS:
  //! The page shows another run's figures.
  void Changed();

 private:
  QString Number(double value, int decimals) const;
  void FillTable(const PlantFigures& figures);

  char decimalSeparator_;
  bool hasContent_ = false;
  int warnings_ = 0;
  QLabel* note_ = nullptr;
  QTableWidget* table_ = nullptr;
  QChartView* chart_ = nullptr;
};

}  // namespace quillmere
