// "Optimise...": the objective, the free inputs with their ranges, the limits; the search runs
// on a thread of its own with a progress bar and Cancel, the window stays usable, and the
// report shows when it ends. "Apply" types the optimum into the main window's fields, where
// the user presses OK as usual.
#pragma once

#include <QDialog>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/optimise/Optimise.h"
#include "analysis/optimise/OptimiseProblem.h"
#include "params/FieldTexts.h"
#include "params/MemoryFieldTexts.h"
#include "report/SolventLibrary.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quillmere {

class OptimiseDialog : public QDialog {
  Q_OBJECT
 public:
  //! `fields` are the main window's, read when the search starts and written by Apply.
  //! `library` gives the plant figures of the LEL and energy limits.
  OptimiseDialog(FieldTexts& fields, char decimalSeparator,
                 std::shared_ptr<const SolventLibrary> library, QWidget* parent = nullptr);
  ~OptimiseDialog() override;

  //! Starts the search with the choices shown (a message in the report when they are refused).
  void Start();
  //! Asks the search to end at its next model run.
  void Cancel();
  //! Types the optimum's values into the main window's fields.
  void Apply();

  //! The report of the last search ("" before one ended).
  QString ReportText() const;
  bool Running() const { return worker_ != nullptr; }

 signals:
  //! The search ended (finished, stopped or failed); the report shows.
  void SearchEnded();

 private:
  //! A free input's row: tick, name, range.
  struct FreeRow {
    QCheckBox* Tick = nullptr;
    QLineEdit* Low = nullptr;
    QLineEdit* High = nullptr;
    std::string Name;
  };
  //! A limit's row: tick and bound.
  struct LimitRow {
    QCheckBox* Tick = nullptr;
    QLineEdit* Bound = nullptr;
    std::string Name;  //!< "ExitResidual1<=", "NoBoiling:"
  };

  OptimiseProblem ProblemShown() const;
  void Poll();
  void Ended();

  FieldTexts& fields_;
  char decimalSeparator_;
  std::shared_ptr<const SolventLibrary> library_;
  QComboBox* objective_ = nullptr;
  std::vector<FreeRow> free_;
  std::vector<LimitRow> limits_;
  QProgressBar* progress_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* apply_ = nullptr;
  QTimer* poll_ = nullptr;

  // The search in flight: its thread, what it shares with this one, and its answer.
  struct Search {
    OptimiseProblem Problem;
    MemoryFieldTexts Base;
    OptimiseOptions Options;
    OptimiseControl Control;
    std::optional<OptimiseResult> Result;
    std::string Failure;
    std::atomic<bool> Done{false};
  };
  std::unique_ptr<Search> search_;
  std::unique_ptr<std::thread> worker_;
  std::optional<std::pair<OptimiseProblem, OptimiseResult>> last_;
};

}  // namespace quillmere
