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
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <new>

#include "analysis/FieldValueText.h"
#include "analysis/optimise/OptimiseReport.h"
#include "analysis/optimise/PlantDuty.h"
#include "app/OptimiseDialogReport.h"
#include "base/Error.h"
#include "base/NumberText.h"
#include "params/FieldTable.h"
#include "params/PlantInputs.h"

namespace quillmere {
namespace {

//! The objectives offered: (shown, maximise, name, what the report calls it).
struct ObjectiveChoice {
  const char* Shown;
  bool Maximise;
  const char* Name;
  const char* Said;
};
constexpr ObjectiveChoice kObjectives[] = {
    {"Maximise the speed", true, "Speed", "Speed (m/s)"},
    {"Minimise the Solvent-1 residual at the exit", false, "ExitResidual1",
     "Solvent-1 residual at the exit"},
    {"Minimise the Solvent-2 residual at the exit", false, "ExitResidual2",
     "Solvent-2 residual at the exit"},
    {"Minimise the highest web temperature", false, "WebTemperature",
     "Highest web temperature (°C)"},
    {"Minimise the heat (needs the plant inputs)", false, "Energy", "Heat of all zones (kW)"},
};

constexpr int kNumberWidth = 120;        //!< [px] of a range's or a bound's field
constexpr QSize kUsualFrame{8, 30 + 4};  //!< [px] a title bar and a border on each side

//! Whether the page "Solvents and Plant" gives the plant inputs (a web width).
bool PlantInputsGiven(const FieldTexts& fields) {
  return fields.Text("WebWidth").find_first_not_of(' ') != std::string::npos;
}

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
  // The choices and the report scroll where the screen is small; the buttons stay in view.
  auto* form = new QWidget;
  auto* layout = new QVBoxLayout(form);
  objective_ = new QComboBox(form);
  objective_->setObjectName(QStringLiteral("Objective"));
  for (const ObjectiveChoice& choice : kObjectives) objective_->addItem(choice.Shown);
  layout->addWidget(objective_);
  layout->addWidget(BuildFreeBox(form));
  layout->addWidget(BuildLimitBox(form));
  progress_ = new QProgressBar(form);
  progress_->setObjectName(QStringLiteral("Progress"));
  progress_->setValue(0);
  layout->addWidget(progress_);
  report_ = new QPlainTextEdit(form);
  report_->setObjectName(QStringLiteral("Report"));
  report_->setReadOnly(true);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  report_->setMinimumHeight(160);
  layout->addWidget(report_, 1);
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("Form"));
  scroll_->setWidget(form);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setMinimumSize(240, 160);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(scroll_, 1);
  outer->addLayout(BuildButtons());
  poll_ = new QTimer(this);
  poll_->setInterval(100);
  connect(poll_, &QTimer::timeout, this, &OptimiseDialog::Poll);
}

QWidget* OptimiseDialog::BuildFreeBox(QWidget* parent) {
  // Free inputs: the speed and every active zone's air temperature, with the usual ranges.
  auto* box = new QGroupBox(QStringLiteral("Free inputs and their ranges"), parent);
  auto* grid = new QGridLayout(box);
  const auto addFree = [&](const std::string& name, const QString& shown, double low, double high) {
    FreeRow row;
    row.Name = name;
    row.Tick = new QCheckBox(shown, box);
    row.Tick->setObjectName(QString::fromStdString("Free." + name));
    row.Tick->setChecked(true);
    row.Low = new QLineEdit(Number(low, decimalSeparator_), box);
    row.Low->setObjectName(QString::fromStdString("Low." + name));
    row.High = new QLineEdit(Number(high, decimalSeparator_), box);
    row.High->setObjectName(QString::fromStdString("High." + name));
    const int r = static_cast<int>(free_.size());
    grid->addWidget(row.Tick, r, 0);
    grid->addWidget(row.Low, r, 1);
    grid->addWidget(new QLabel(QStringLiteral("to"), box), r, 2);
    grid->addWidget(row.High, r, 3);
    for (QLineEdit* edit : {row.Low, row.High}) edit->setMaximumWidth(kNumberWidth);
    free_.push_back(row);
  };
  grid->setColumnStretch(4, 1);
  addFree("Speed", QStringLiteral("Speed (m/s)"), 0.1, 10);
  for (int zone = 1; zone <= ActiveZones(fields_, decimalSeparator_); ++zone) {
    addFree("Zone" + std::to_string(zone) + ".OuterTemperature",
            QStringLiteral("Zone %1 air temperature (°C)").arg(zone), 20, 200);
  }
  return box;
}

QWidget* OptimiseDialog::BuildLimitBox(QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Limits"), parent);
  auto* grid = new QGridLayout(box);
  grid->setColumnStretch(2, 1);
  const auto addLimit = [&](const std::string& name, const QString& shown, const char* said,
                            const QString& bound, bool ticked) {
    LimitRow row;
    row.Name = name;
    row.Said = QString::fromUtf8(said);
    row.Tick = new QCheckBox(shown, box);
    row.Tick->setObjectName(QString::fromStdString("Limit." + name));
    row.Tick->setChecked(ticked);
    row.Bound = new QLineEdit(bound, box);
    row.Bound->setObjectName(QString::fromStdString("Bound." + name));
    const int r = static_cast<int>(limits_.size());
    grid->addWidget(row.Tick, r, 0);
    grid->addWidget(row.Bound, r, 1);
    row.Bound->setMaximumWidth(kNumberWidth);
    limits_.push_back(row);
  };
  addLimit("ExitResidual1<=", QStringLiteral("Solvent-1 residual at the exit at most"),
           "Solvent-1 residual at the exit at most %1", Number(0.01, decimalSeparator_), true);
  addLimit("ExitResidual2<=", QStringLiteral("Solvent-2 residual at the exit at most"),
           "Solvent-2 residual at the exit at most %1", Number(0.1, decimalSeparator_), false);
  addLimit("WebTemperature<=", QStringLiteral("Web temperature at most (°C)"),
           "Web temperature (°C) at most %1", QStringLiteral("120"), false);
  addLimit("NoBoiling:", QStringLiteral("No boiling: vapour pressure at most, of 760 mmHg"),
           "Vapour pressure (share of 760 mmHg) at most %1",
           Number(kNoBoilingShare, decimalSeparator_), true);
  // The plant's limits read the page "Solvents and Plant" (web width, exhausts); the LEL's is
  // ticked where that page gives the plant inputs, until the user ticks or unticks it.
  addLimit("LEL<=", QStringLiteral("Every zone's exhaust at most, % of the LEL"),
           "Every zone's exhaust (% of the LEL) at most %1", QStringLiteral("25"),
           PlantInputsGiven(fields_));
  connect(limits_.back().Tick, &QCheckBox::clicked, this, [this] { lelChosen_ = true; });
  addLimit("Energy<=", QStringLiteral("Heat of all zones at most (kW)"),
           "Heat of all zones (kW) at most %1", QStringLiteral("500"), false);
  return box;
}

QLayout* OptimiseDialog::BuildButtons() {
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
  close->setObjectName(QStringLiteral("Close"));
  for (QPushButton* b : {start_, cancel_, apply_, close}) buttons->addWidget(b);
  connect(start_, &QPushButton::clicked, this, &OptimiseDialog::Start);
  connect(cancel_, &QPushButton::clicked, this, &OptimiseDialog::Cancel);
  connect(apply_, &QPushButton::clicked, this, &OptimiseDialog::Apply);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  return buttons;
}

void OptimiseDialog::showEvent(QShowEvent* event) {
  // The plant inputs may have come with a data file loaded since the dialog was made.
  if (!lelChosen_) LelRow().Tick->setChecked(PlantInputsGiven(fields_));
  // Within the screen's available area: as large as the form wants where it fits, and placed
  // where the whole window shows.
  if (const QScreen* screen = this->screen(); screen != nullptr && !placed_) {
    placed_ = true;
    const QRect area = screen->availableGeometry();
    // Before the window manager has framed the dialog, a usual title bar and border.
    const QSize measured = frameGeometry().size() - geometry().size();
    const QSize frame = measured.isEmpty() ? kUsualFrame : measured;
    const QSize room = area.size() - frame;
    resize(WantedSize().boundedTo(room).expandedTo(minimumSizeHint()));
    QRect wanted(geometry().topLeft(), size() + frame);
    if (parentWidget() != nullptr)
      wanted.moveCenter(parentWidget()->window()->frameGeometry().center());
    wanted.moveRight(std::min(wanted.right(), area.right()));
    wanted.moveBottom(std::min(wanted.bottom(), area.bottom()));
    wanted.moveLeft(std::max(wanted.left(), area.left()));
    wanted.moveTop(std::max(wanted.top(), area.top()));
    move(wanted.topLeft());
  }
  QDialog::showEvent(event);
}

QSize OptimiseDialog::WantedSize() const {
  // The whole form without scrolling, the buttons below it.
  const QSize form = scroll_->widget()->sizeHint();
  const QSize buttons = layout()->itemAt(1)->sizeHint();
  const QMargins margins = layout()->contentsMargins();
  return {
      std::max(form.width() + scroll_->verticalScrollBar()->sizeHint().width(), buttons.width()) +
          margins.left() + margins.right(),
      form.height() + layout()->spacing() + buttons.height() + margins.top() + margins.bottom()};
}

OptimiseDialog::LimitRow& OptimiseDialog::LelRow() {
  return *std::find_if(limits_.begin(), limits_.end(),
                       [](const LimitRow& row) { return row.Name == "LEL<="; });
}

OptimiseDialog::~OptimiseDialog() {
  if (worker_) {
    search_->Control.Stop = true;
    worker_->join();
  }
}

namespace {

[[noreturn]] void Refuse(const QString& text) {
  throw Error(ErrorKind::InputRefused, text.toStdString());
}

double NumberIn(const QLineEdit& edit, const QString& what, char separator) {
  const std::optional<double> value = ParseNumber(edit.text().toStdString(), separator);
  if (!value) Refuse(QStringLiteral("%1: \"%2\" is not a number").arg(what, edit.text()));
  return *value;
}

}  // namespace

OptimiseProblem OptimiseDialog::ProblemShown(DialogWords& words) const {
  OptimiseProblem problem;
  const ObjectiveChoice& choice = kObjectives[std::max(objective_->currentIndex(), 0)];
  problem.Goal = ParseObjective(choice.Name, choice.Maximise);
  words.Objective = choice.Said;
  for (const FreeRow& row : free_) {
    const QString shown = row.Tick->text().remove(QLatin1Char('&'));
    if (!row.Tick->isChecked()) {
      if (row.Name == choice.Name) {
        Refuse(
            QStringLiteral("Tick %1 among the free inputs: it is the one to maximise.").arg(shown));
      }
      continue;
    }
    const double low = NumberIn(*row.Low, shown, decimalSeparator_);
    const double high = NumberIn(*row.High, shown, decimalSeparator_);
    if (!(low < high)) {
      Refuse(QStringLiteral("%1: the range's lower end %2 must be below its upper end %3")
                 .arg(shown, row.Low->text(), row.High->text()));
    }
    if (row.Name == "Speed" && low <= 0) {
      Refuse(QStringLiteral("%1: the line runs forwards; the range must be above 0").arg(shown));
    }
    problem.Free.push_back(ParseFreeInput(row.Name + "=" + FieldValueText(low, '.') + ":" +
                                          FieldValueText(high, '.')));
    words.Free.push_back(shown.toStdString());
  }
  if (problem.Free.empty()) Refuse(QStringLiteral("Tick at least one free input."));
  AddLimitsShown(problem, words);
  problem.Plant = PlantModelOf(library_);
  const bool needsPlant = NeedsPlant(problem.Goal.What) ||
                          std::any_of(problem.Limits.begin(), problem.Limits.end(),
                                      [](const Limit& l) { return NeedsPlant(l.What); });
  if (needsPlant && !PlantInputsGiven(fields_)) {
    Refuse(QStringLiteral(
        "The LEL and the heat need the plant inputs: give the web width on the page \"Solvents "
        "and Plant\", and each zone's exhaust there (or leave it empty to have it sized)."));
  }
  CheckProblem(problem);
  CheckPlantInputs(problem, fields_, decimalSeparator_);
  return problem;
}

void OptimiseDialog::AddLimitsShown(OptimiseProblem& problem, DialogWords& words) const {
  for (const LimitRow& row : limits_) {
    if (!row.Tick->isChecked()) continue;
    const QString shown = row.Tick->text().remove(QLatin1Char('&'));
    const double bound = NumberIn(*row.Bound, shown, decimalSeparator_);
    // A residual, a share of the LEL or a heat of 0 or less is met by no setting.
    if (row.Name == "NoBoiling:" && !(bound > 0 && bound <= 1)) {
      Refuse(QStringLiteral("%1: the share must be above 0 and at most 1").arg(shown));
    }
    if (row.Name != "WebTemperature<=" && bound <= 0) {
      Refuse(QStringLiteral("%1: no setting meets %2; give a bound above 0")
                 .arg(shown, row.Bound->text()));
    }
    problem.Limits.push_back(ParseLimit(row.Name + FieldValueText(bound, '.')));
    words.Limits.push_back(row.Said.arg(row.Bound->text().trimmed()).toStdString());
  }
}

void OptimiseDialog::Start() {
  if (worker_) return;
  auto search = std::make_unique<Search>();
  try {
    search->Problem = ProblemShown(search->Words);
  } catch (const Error& error) {
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
      // What Apply will type: the optimum with as few digits as still meet every limit.
      if (s->Result->Feasible && !s->Result->Values.empty() && !s->Control.Stop.load()) {
        s->Applied = ShortestSetting(s->Problem, s->Result->Values, s->Result->Objective, s->Base,
                                     s->Options.DecimalSeparator);
      }
    } catch (const Error& error) {
      s->Failure = error.what();
    } catch (const std::bad_alloc&) {
      s->Failure = "Not enough memory for the search.";
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
    report_->setPlainText(QString::fromStdString(DialogReportText(
        search_->Problem, *search_->Result, search_->Words, search_->Applied, decimalSeparator_)));
    if (search_->Applied && search_->Applied->Checked) {
      last_.emplace(search_->Problem, search_->Applied->Values);
      lastSized_ = search_->Applied->SizedExhausts;
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
  ApplyValues(last_->first, last_->second, decimalSeparator_, fields_);
  for (const auto& [name, text] : lastSized_) fields_.SetText(name, text);
}

QString OptimiseDialog::ReportText() const {
  return report_->toPlainText();
}

}  // namespace quillmere
