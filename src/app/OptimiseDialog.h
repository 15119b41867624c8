// "Optimise...": the objective, the free inputs with their ranges, the limits; the search runs
// on a thread of its own with a progress bar and Cancel, the window stays usable, and the
// report shows when it ends, in the input pages' words. "Apply" types the optimum into the
// main window's fields, with as few digits as still meet every limit, where the user presses
// OK as usual. The form scrolls where the screen is small; the buttons stay in view.
#pragma once

#include <QDialog>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/optimise/Optimise.h"
#include "analysis/optimise/OptimiseProblem.h"
#include "app/OptimiseDialogReport.h"
#include "app/ShortestSetting.h"
#include "params/FieldTexts.h"
#include "params/MemoryFieldTexts.h"
#include "report/SolventLibrary.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
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
  //! Types the optimum's values, as few digits as still meet every limit, into the main
  //! window's fields.
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
    QString Said;      //!< the report's words, %1 the bound: "Web temperature (°C) at most %1"
  };

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildFreeBox(QWidget* parent);
  QWidget* BuildLimitBox(QWidget* parent);
  QLayout* BuildButtons();
  QSize WantedSize() const;
  LimitRow& LelRow();
  //! The problem the rows give, and what the report calls its parts; throws Error with a
  //! message in the dialog's words where the rows are refused.
  OptimiseProblem ProblemShown(DialogWords& words) const;
  //! The ticked limits, appended to `problem` and `words`.
  void AddLimitsShown(OptimiseProblem& problem, DialogWords& words) const;
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
  QScrollArea* scroll_ = nullptr;
  bool lelChosen_ = false;  //!< the user ticked or unticked the LEL limit
  bool placed_ = false;     //!< sized and placed within the screen once

  // The search in flight: its thread, what it shares with this one, and its answer.
  struct Search {
    OptimiseProblem Problem;
    MemoryFieldTexts Base;
    OptimiseOptions Options;
    OptimiseControl Control;
    DialogWords Words;
    std::optional<OptimiseResult> Result;
    std::optional<ShortSetting> Applied;  //!< the optimum as Apply types it
    std::string Failure;
    std::atomic<bool> Done{false};
  };
  std::unique_ptr<Search> search_;
  std::unique_ptr<std::thread> worker_;
  //! The last search's problem and the values Apply types.
  std::optional<std::pair<OptimiseProblem, std::vector<double>>> last_;
  //! The exhausts the last setting's run sized to an LEL<=P limit, typed with its values.
  std::vector<std::pair<std::string, std::string>> lastSized_;
};

}  // namespace quillmere
