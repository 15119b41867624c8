#include "app/OptimiseDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "analysis/FieldValueText.h"
#include "analysis/optimise/OptimiseReport.h"
#include "analysis/optimise/PlantDuty.h"
#include "base/Error.h"
#include "base/NumberText.h"
#include "params/FieldTable.h"
#include "params/PlantInputs.h"

namespace quillmere {
namespace {

//! The objectives offered: (shown, maximise, name).
struct ObjectiveChoice {
  const char* Shown;
  bool Maximise;
  const char* Name;
};
constexpr ObjectiveChoice kObjectives[] = {
    {"Maximise the speed", true, "Speed"},
    {"Minimise the Solvent-1 residual at the exit", false, "ExitResidual1"},
    {"Minimise the Solvent-2 residual at the exit", false, "ExitResidual2"},
    {"Minimise the highest web temperature", false, "WebTemperature"},
    {"Minimise the heat (needs the plant inputs)", false, "Energy"},
};

//! The zones the fields make active: zone 1, then each zone up to the first whose outer
//! temperature is empty or 0.
int ActiveZones(const FieldTexts& fields, char separator) {
  int zones = 1;
  for (int zone = 2; zone <= kMaxZones; ++zone) {
    const std::optional<double> outer = ParseNumber(fields.Text(ZoneFieldName(zone, 0)), separator);
    if (!outer || *outer == 0) break;
    zones = zone;
  }
  return zones;
}

QString Number(double value, char separator) {
  return QString::fromStdString(FieldValueText(value, separator));
}

}  // namespace

OptimiseDialog::OptimiseDialog(FieldTexts& fields, char decimalSeparator,
                               std::shared_ptr<const SolventLibrary> library, QWidget* parent)
    : QDialog(parent),
      fields_(fields),
      decimalSeparator_(decimalSeparator),
      library_(std::move(library)) {
  setObjectName(QStringLiteral("OptimiseDialog"));
  setWindowTitle(QStringLiteral("Optimise"));
  auto* layout = new QVBoxLayout(this);

  objective_ = new QComboBox(this);
  objective_->setObjectName(QStringLiteral("Objective"));
  for (const ObjectiveChoice& choice : kObjectives) objective_->addItem(choice.Shown);
  layout->addWidget(objective_);

  // Free inputs: the speed and every active zone's air temperature, with the usual ranges.
  auto* freeBox = new QGroupBox(QStringLiteral("Free inputs and their ranges"), this);
  auto* freeGrid = new QGridLayout(freeBox);
  const auto addFree = [&](const std::string& name, const QString& shown, double low, double high) {
    FreeRow row;
    row.Name = name;
    row.Tick = new QCheckBox(shown, freeBox);
    row.Tick->setObjectName(QString::fromStdString("Free." + name));
    row.Tick->setChecked(true);
    row.Low = new QLineEdit(Number(low, decimalSeparator_), freeBox);
    row.High = new QLineEdit(Number(high, decimalSeparator_), freeBox);
    const int r = static_cast<int>(free_.size());
    freeGrid->addWidget(row.Tick, r, 0);
    freeGrid->addWidget(row.Low, r, 1);
    freeGrid->addWidget(new QLabel(QStringLiteral("to"), freeBox), r, 2);
    freeGrid->addWidget(row.High, r, 3);
    free_.push_back(row);
  };
  addFree("Speed", QStringLiteral("Speed (m/s)"), 0.1, 10);
  for (int zone = 1; zone <= ActiveZones(fields_, decimalSeparator_); ++zone) {
    addFree("Zone" + std::to_string(zone) + ".OuterTemperature",
            QStringLiteral("Zone %1 air temperature (°C)").arg(zone), 20, 200);
  }
  layout->addWidget(freeBox);

  auto* limitBox = new QGroupBox(QStringLiteral("Limits"), this);
  auto* limitGrid = new QGridLayout(limitBox);
  const auto addLimit = [&](const std::string& name, const QString& shown, const QString& bound,
                            bool ticked) {
    LimitRow row;
    row.Name = name;
    row.Tick = new QCheckBox(shown, limitBox);
    row.Tick->setObjectName(QString::fromStdString("Limit." + name));
    row.Tick->setChecked(ticked);
    row.Bound = new QLineEdit(bound, limitBox);
    const int r = static_cast<int>(limits_.size());
    limitGrid->addWidget(row.Tick, r, 0);
    limitGrid->addWidget(row.Bound, r, 1);
    limits_.push_back(row);
  };
  addLimit("ExitResidual1<=", QStringLiteral("Solvent-1 residual at the exit at most"),
           Number(0.01, decimalSeparator_), true);
  addLimit("ExitResidual2<=", QStringLiteral("Solvent-2 residual at the exit at most"),
           Number(0.1, decimalSeparator_), false);
  addLimit("WebTemperature<=", QStringLiteral("Web temperature at most (°C)"),
           QStringLiteral("120"), false);
  addLimit("NoBoiling:", QStringLiteral("No boiling: vapour pressure at most, of 760 mmHg"),
           Number(kNoBoilingShare, decimalSeparator_), true);
  // The plant's limits read the page "Solvents and plant" (web width, exhausts).
  addLimit("LEL<=", QStringLiteral("Every zone's exhaust at most, % of the LEL"),
           QStringLiteral("25"), false);
  addLimit("Energy<=", QStringLiteral("Heat of all zones at most (kW)"), QStringLiteral("500"),
           false);
  layout->addWidget(limitBox);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("Progress"));
  progress_->setValue(0);
  layout->addWidget(progress_);
  report_ = new QPlainTextEdit(this);
  report_->setObjectName(QStringLiteral("Report"));
  report_->setReadOnly(true);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  report_->setMinimumSize(640, 200);
  layout->addWidget(report_);

  auto* buttons = new QHBoxLayout;
  start_ = new QPushButton(QStringLiteral("&Optimise"), this);
  start_->setObjectName(QStringLiteral("Start"));
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("Cancel"));
  cancel_->setEnabled(false);
  apply_ = new QPushButton(QStringLiteral("&Apply"), this);
  apply_->setObjectName(QStringLiteral("Apply"));
  apply_->setEnabled(false);
  auto* close = new QPushButton(QStringLiteral("&Close"), this);
  for (QPushButton* b : {start_, cancel_, apply_, close}) buttons->addWidget(b);
  layout->addLayout(buttons);
  connect(start_, &QPushButton::clicked, this, &OptimiseDialog::Start);
  connect(cancel_, &QPushButton::clicked, this, &OptimiseDialog::Cancel);
  connect(apply_, &QPushButton::clicked, this, &OptimiseDialog::Apply);
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  poll_ = new QTimer(this);
  poll_->setInterval(100);
  connect(poll_, &QTimer::timeout, this, &OptimiseDialog::Poll);
}

OptimiseDialog::~OptimiseDialog() {
  if (worker_) {
    search_->Control.Stop = true;
    worker_->join();
  }
}

OptimiseProblem OptimiseDialog::ProblemShown() const {
  OptimiseProblem problem;
  const ObjectiveChoice& choice = kObjectives[std::max(objective_->currentIndex(), 0)];
  problem.Goal = ParseObjective(choice.Name, choice.Maximise);
  const auto number = [&](const QLineEdit& edit, const std::string& what) {
    const std::optional<double> value = ParseNumber(edit.text().toStdString(), decimalSeparator_);
    if (!value) {
      throw Error(ErrorKind::InputRefused,
                  what + ": \"" + edit.text().toStdString() + "\" is not a number");
    }
    return *value;
  };
  for (const FreeRow& row : free_) {
    if (!row.Tick->isChecked()) continue;
    problem.Free.push_back(ParseFreeInput(row.Name + "=" +
                                          FieldValueText(number(*row.Low, row.Name), '.') + ":" +
                                          FieldValueText(number(*row.High, row.Name), '.')));
  }
  for (const LimitRow& row : limits_) {
    if (!row.Tick->isChecked()) continue;
    problem.Limits.push_back(
        ParseLimit(row.Name + FieldValueText(number(*row.Bound, row.Name), '.')));
  }
  problem.Plant = PlantModelOf(library_);
  CheckProblem(problem);
  CheckPlantInputs(problem, fields_, decimalSeparator_);
  return problem;
}

void OptimiseDialog::Start() {
  if (worker_) return;
  auto search = std::make_unique<Search>();
  try {
    search->Problem = ProblemShown();
  } catch (const std::exception& error) {
    report_->setPlainText(QString::fromStdString(error.what()));
    return;
  }
  search->Base = MemoryFieldTexts(decimalSeparator_);
  for (const FieldSpec& field : AllFields()) {
    search->Base.SetText(field.name, fields_.Text(field.name));
  }
  for (const PlantFieldSpec& field : PlantFields()) {
    search->Base.SetText(field.name, fields_.Text(field.name));
  }
  search->Options.DecimalSeparator = decimalSeparator_;
  search_ = std::move(search);
  progress_->setRange(0, search_->Options.Starts);
  progress_->setValue(0);
  report_->setPlainText(QStringLiteral("Searching..."));
  start_->setEnabled(false);
  apply_->setEnabled(false);
  cancel_->setEnabled(true);
  Search* s = search_.get();
  worker_ = std::make_unique<std::thread>([s] {
    try {
      s->Result = Optimise(s->Problem, s->Base, s->Options, s->Control);
    } catch (const std::exception& error) {
      s->Failure = error.what();
    }
    s->Done.store(true);
  });
  poll_->start();
}

void OptimiseDialog::Cancel() {
  if (search_) search_->Control.Stop = true;
}

void OptimiseDialog::Poll() {
  if (!search_) return;
  progress_->setValue(static_cast<int>(search_->Control.StartsDone.load()));
  if (search_->Done.load()) Ended();
}

void OptimiseDialog::Ended() {
  poll_->stop();
  worker_->join();
  worker_.reset();
  if (search_->Result) {
    report_->setPlainText(
        QString::fromStdString(OptimiseReportText(search_->Problem, *search_->Result)));
    if (!search_->Result->Values.empty() && search_->Result->Feasible) {
      last_.emplace(search_->Problem, *search_->Result);
    }
  } else {
    report_->setPlainText(QString::fromStdString(search_->Failure));
  }
  search_.reset();
  start_->setEnabled(true);
  cancel_->setEnabled(false);
  apply_->setEnabled(last_.has_value());
  emit SearchEnded();
}

void OptimiseDialog::Apply() {
  if (!last_) return;
  ApplyValues(last_->first, last_->second.Values, decimalSeparator_, fields_);
}

QString OptimiseDialog::ReportText() const {
  return report_->toPlainText();
}

}  // namespace quillmere
