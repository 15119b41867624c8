// The plant figures of the run shown in the curves window: a table of the zones (solvent
// evaporated, LEL of the mixture, exhaust, %LEL against its limit, least exhaust, heat) with
// the line's totals, a chart of %LEL and kW by zone, and the plant warnings. A dock of the
// curves window, shown when a run has plant figures.
#pragma once

#include <QDockWidget>
#include <optional>
#include <string>
#include <vector>

#include "analysis/plant/PlantFigures.h"

class QChartView;
class QLabel;
class QTableWidget;

namespace quillmere {

class PlantPanel : public QDockWidget {
  Q_OBJECT
 public:
  explicit PlantPanel(char decimalSeparator, QWidget* parent = nullptr);

  //! Shows `figures` and `warnings` (the Antoine ranges the web left) under `solvents`, which
  //! names the solvents in force with their LEL; hides the panel when all three are empty.
  void ShowFigures(const std::optional<PlantFigures>& figures, const QString& solvents,
                   const std::vector<std::string>& warnings);

  QTableWidget* Table() const { return table_; }

 private:
  QString Number(double value, int decimals) const;
  void ShowWithRoom();

  char decimalSeparator_;
  QLabel* note_ = nullptr;
  QTableWidget* table_ = nullptr;
  QChartView* chart_ = nullptr;
};

//! Creates the plant panel of `window` at its bottom, hidden until a run has plant figures.
PlantPanel* AddPlantPanel(QMainWindow& window, char decimalSeparator);

}  // namespace quillmere
