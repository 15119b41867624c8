#include "app/CurvesWindow.h"
#include "app/ChartStack.h"
#include "app/CurveView.h"
#include "app/FocusFrame.h"
#include "app/PlantPanel.h"
#include "app/RunKeyPanel.h"
#include "app/ScreenRoom.h"
#include "app/ZoneTable.h"

#include <QActionGroup>
#include <QChartView>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <functional>
#include <optional>

#include "base/FormatFixed.h"
#include "base/UserMessages.h"
#include "plot/ChartKey.h"
#include "plot/LineChart.h"
#include "plot/MeasuredPoints.h"
#include "plot/UncertaintyBand.h"

namespace quillmere {

using plot::AlongDryer;
using plot::RunChart;
using plot::SolventAmount;

namespace {

constexpr char kTitle[] = "Drying curves";

//! The window's first size: within a 1366 × 768 screen less its panel and the title bar.
constexpr QSize kDefaultSize{1280, 660};
//! The least size at which every title, tick label and legend entry still reads.
constexpr QSize kMinimumSize{800, 600};

//! How the window writes the numbers of the zone table: as the result file writes them.
struct Fixed {
  int Precision;
  int Digits;
};
constexpr Fixed kTimeFixed{8, 3};      // the table's TIME [s]
constexpr Fixed kPositionFixed{7, 3};  // the table's LENGTH [m]

std::size_t Place(RunChart chart) {
  return static_cast<std::size_t>(chart);
}

//! A new button of `bar` named `name`.
QAction* BarAction(QToolBar& bar, const char* name, const QString& text) {
  QAction* a = bar.addAction(text);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

//! Gives the button of `action` the menu `menu`, which opens on a click anywhere on it.
void DropDown(QToolBar& bar, QAction& action, QMenu& menu) {
  action.setMenu(&menu);
  if (auto* button = qobject_cast<QToolButton*>(bar.widgetForAction(&action))) {
    button->setPopupMode(QToolButton::InstantPopup);
  }
}

}  // namespace

CurvesWindow::CurvesWindow(const WindowLook& look, UserMessages& messages, char decimalSeparator,
                           SaveFileChooser chooseSaveFile,
                           MeasurementFileChooser chooseMeasurements, QWidget* parent)
    : QMainWindow(parent),
      messages_(messages),
      decimalSeparator_(decimalSeparator),
      chooseSaveFile_(std::move(chooseSaveFile)),
      chooseMeasurements_(std::move(chooseMeasurements)) {
  setObjectName(QStringLiteral("CurvesWindow"));
  setWindowTitle(QString::fromLatin1(kTitle));
  // No reason to keep the program running once the main window has closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(look.Font(kFieldPixels));
  if (!chooseSaveFile_) {
    chooseSaveFile_ = [this](const QString& caption, const QString& suggested,
                             const QStringList& filters) {
      return ChooseSaveFile(this, caption, suggested, filters);
    };
  }

  setCentralWidget(BuildPages());
  BuildToolBar();
  // The style shows no focus on a chart or a table: a frame does.
  auto* focusFrame = new FocusFrame(*this);
  for (CurveView* view : charts_->Views()) focusFrame->Watch(*view);
  for (QTableWidget* table : findChildren<QTableWidget*>()) focusFrame->Watch(*table);
  FitToScreen(*this, kDefaultSize, kMinimumSize);
  Redraw();
}

CurvesWindow::~CurvesWindow() = default;

QWidget* CurvesWindow::BuildPages() {
  auto* curves = new QWidget;
  auto* curvesLayout = new QVBoxLayout(curves);
  curvesLayout->setContentsMargins(2, 2, 2, 2);
  curvesLayout->setSpacing(2);
  runKey_ = new RunKeyPanel;
  runKey_->hide();
  curvesLayout->addWidget(runKey_);
  charts_ = new ChartStack(
      [this](RunChart chart, std::optional<double> along, QPoint at) { Hover(chart, along, at); });
  zones_ = new ZoneTable(decimalSeparator_);
  connect(zones_, &ZoneTable::PlantAsked, this, &CurvesWindow::ShowPlantPage);
  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->setObjectName(QStringLiteral("CurvesSplitter"));
  splitter->addWidget(charts_);
  splitter->addWidget(zones_);
  // The charts keep their least size first: the table gives up its rows before the charts
  // lose their axes.
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setCollapsible(0, false);
  splitter->setCollapsible(1, false);
  // The zones take their least height at first: the charts all the rest.
  splitter->setSizes({10000, 1});
  splitter->installEventFilter(this);
  splitter_ = splitter;
  curvesLayout->addWidget(splitter, 1);

  // The plant figures on a page of their own: they never take the charts' height, and the
  // page shown stays as the user left it from run to run.
  plant_ = new PlantPanel(decimalSeparator_);
  pages_ = new QTabWidget;
  pages_->setObjectName(QStringLiteral("CurvesPages"));
  pages_->setDocumentMode(true);
  pages_->addTab(curves, QStringLiteral("&Curves"));
  pages_->addTab(plant_, QStringLiteral("&Plant"));
  connect(plant_, &PlantPanel::Changed, this, [this] {
    const int warnings = plant_->WarningCount();
    pages_->setTabText(
        1, warnings == 0 ? QStringLiteral("&Plant") : QStringLiteral("&Plant (%1)").arg(warnings));
    UpdateTitle();
  });
  return pages_;
}

void CurvesWindow::BuildToolBar() {
  // Two bars, side by side where the window is wide enough, else the run's beside the pages'
  // tabs (resizeEvent): no button is ever put away behind a "»".
  QToolBar* bar = addToolBar(QStringLiteral("Curves"));
  bar->setObjectName(QStringLiteral("CurvesToolBar"));
  bar->setMovable(false);
  AddViewChoices(*bar);
  runBar_ = addToolBar(QStringLiteral("Runs"));
  runBar_->setObjectName(QStringLiteral("RunToolBar"));
  runBar_->setMovable(false);
  AddRunActions(*runBar_);
  livePreview_ = bar->addAction(QStringLiteral("Preview"));
  livePreview_->setObjectName(QStringLiteral("LivePreview"));
  livePreview_->setCheckable(true);
  livePreview_->setChecked(true);
  livePreview_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  livePreview_->setToolTip(
      QStringLiteral("While you type, draw the run the fields hold against the run OK'd last"));
  connect(livePreview_, &QAction::toggled, this, [this](bool on) {
    if (!on) EndPreview();
    Q_EMIT PreviewSwitched(on);
  });
  // Not a button: the key is what one wants from here.
  QAction* inputs = new QAction(QStringLiteral("Inputs"), this);
  addAction(inputs);
  inputs->setObjectName(QStringLiteral("BackToInputs"));
  inputs->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  inputs->setToolTip(QStringLiteral("Back to the input fields"));
  connect(inputs, &QAction::triggered, this, &CurvesWindow::InputsAsked);
  // Every button is reached with Tab, and every action says its shortcut.
  QList<QAction*> all = actions();
  for (QToolBar* each : {bar, runBar_}) {
    for (QAction* a : each->actions()) {
      if (QWidget* button = each->widgetForAction(a)) button->setFocusPolicy(Qt::TabFocus);
      all << a;
    }
  }
  for (QAction* a : all) {
    if (!a->shortcut().isEmpty()) {
      const QString tip = a->toolTip().isEmpty() ? a->text() : a->toolTip();
      a->setToolTip(tip + QStringLiteral(" (") + a->shortcut().toString(QKeySequence::NativeText) +
                    QLatin1Char(')'));
    }
  }
}

bool CurvesWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == splitter_ && event->type() == QEvent::Resize) {
    zones_->SetRoom(splitter_->height() - splitter_->handleWidth() -
                    charts_->minimumSizeHint().height());
  }
  return QMainWindow::eventFilter(watched, event);
}

void CurvesWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // The run's bar beside the view's where the window is wide enough, else beside the pages'
  // tabs: never a row of its own that the charts would pay for.
  const auto* bar = findChild<QToolBar*>(QStringLiteral("CurvesToolBar"));
  const bool besideTabs = bar->sizeHint().width() + runBar_->sizeHint().width() > width();
  if (besideTabs == (pages_->cornerWidget(Qt::TopRightCorner) == runBar_)) return;
  if (besideTabs) {
    removeToolBar(runBar_);
    pages_->setCornerWidget(runBar_, Qt::TopRightCorner);
  } else {
    pages_->setCornerWidget(nullptr, Qt::TopRightCorner);
    addToolBar(runBar_);
  }
  runBar_->show();
}

void CurvesWindow::AddViewChoices(QToolBar& bar) {
  const auto choice = [this, &bar](QActionGroup& group, const char* name, const QString& text,
                                   bool checked, std::function<void()> choose) {
    QAction* a = bar.addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    a->setChecked(checked);
    group.addAction(a);
    connect(a, &QAction::triggered, this, std::move(choose));
    return a;
  };
  auto* along = new QActionGroup(this);
  choice(*along, "AlongPosition", QStringLiteral("Position"), true, [this] {
    SetAlong(AlongDryer::Position);
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
  choice(*along, "AlongTime", QStringLiteral("Time"), false, [this] {
    SetAlong(AlongDryer::Time);
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
  bar.addSeparator();
  auto* solvent = new QActionGroup(this);
  QAction* ratio = choice(*solvent, "ShowResidualRatio", QStringLiteral("Ratio"), true,
                          [this] { SetSolventAmount(SolventAmount::ResidualRatio); });
  ratio->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_3));
  ratio->setToolTip(QStringLiteral("Each solvent's residual ratio"));
  QAction* weight = choice(*solvent, "ShowSolventWeight", QStringLiteral("Weight"), false,
                           [this] { SetSolventAmount(SolventAmount::Weight); });
  weight->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_4));
  weight->setToolTip(QStringLiteral("Each solvent's weight"));
  QAction* log = bar.addAction(QStringLiteral("Log"));
  log->setObjectName(QStringLiteral("LogScale"));
  log->setCheckable(true);
  log->setToolTip(QStringLiteral("Residual ratios or solvent weights on a logarithmic axis"));
  log->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  connect(log, &QAction::toggled, this, [this](bool on) {
    logScale_ = on;
    Redraw();
  });
  bar.addSeparator();
  QAction* reset = bar.addAction(QStringLiteral("Reset zoom"));
  reset->setObjectName(QStringLiteral("ResetZoom"));
  connect(reset, &QAction::triggered, this, &CurvesWindow::ResetZoom);
  reset->setToolTip(QStringLiteral("Drag over a chart to zoom in; a right click zooms out"));
  reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
  bar.addSeparator();
}

void CurvesWindow::AddRunActions(QToolBar& bar) {
  AddKeepActions(bar);
  bar.addSeparator();
  AddExportActions(bar);
  bar.addSeparator();
  AddMeasurementActions(bar);
  bar.addSeparator();
  AddErrorBarsMenu(bar);
}

void CurvesWindow::AddKeepActions(QToolBar& bar) {
  keep_ = BarAction(bar, "KeepRun", QStringLiteral("Keep"));
  connect(keep_, &QAction::triggered, this, &CurvesWindow::KeepRun);
  keep_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  keep_->setToolTip(QStringLiteral("Keep this run drawn with the next runs, to compare them"));
  pinMenu_ = new QMenu(this);
  pinMenu_->setObjectName(QStringLiteral("KeptRunsMenu"));
  removePins_ = BarAction(bar, "RemoveKept", QStringLiteral("Remove kept"));
  DropDown(bar, *removePins_, *pinMenu_);
}

void CurvesWindow::AddExportActions(QToolBar& bar) {
  auto* exportMenu = new QMenu(this);
  exportMenu->setObjectName(QStringLiteral("ExportChartMenu"));
  for (const RunChart kind : plot::kRunCharts) {
    QAction* a = exportMenu->addAction(plot::RunChartTitle(kind) + QStringLiteral("..."));
    a->setObjectName(QStringLiteral("ExportChart%1").arg(Place(kind)));
    connect(a, &QAction::triggered, this, [this, kind] { ExportChart(kind); });
  }
  QAction* exportChart = BarAction(bar, "ExportChart", QStringLiteral("Export chart"));
  DropDown(bar, *exportChart, *exportMenu);
  exportChart->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  connect(exportChart, &QAction::triggered, this, [&bar, exportChart] {
    // The shortcut opens the menu under its button.
    if (QWidget* button = bar.widgetForAction(exportChart)) {
      exportChart->menu()->popup(button->mapToGlobal(QPoint(0, button->height())));
    }
  });
  exportCsv_ = BarAction(bar, "ExportCsv", QStringLiteral("Export CSV..."));
  connect(exportCsv_, &QAction::triggered, this, &CurvesWindow::ExportCsv);
  exportCsv_->setToolTip(QStringLiteral("Every point of the run shown, as CSV"));
  exportCsv_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
}

void CurvesWindow::AddMeasurementActions(QToolBar& bar) {
  QAction* show = BarAction(bar, "ShowMeasurements", QStringLiteral("Measurements..."));
  connect(show, &QAction::triggered, this, &CurvesWindow::ShowMeasurements);
  show->setToolTip(QStringLiteral(
      "Show measured web temperatures and residual solvent from a CSV file (as for fitting), "
      "drawn over the run shown"));
  show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  // "Hide them" under the arrow of the button that shows them, and the error bars in a menu
  // of their own: the window's actions stay in one row of buttons on a 1024 px screen.
  auto* measurementsMenu = new QMenu(this);
  measurementsMenu->setObjectName(QStringLiteral("MeasurementsMenu"));
  hideMeasurements_ =
      MenuAction(*measurementsMenu, "HideMeasurements", QStringLiteral("Hide them"));
  connect(hideMeasurements_, &QAction::triggered, this, &CurvesWindow::HideMeasurements);
  hideMeasurements_->setToolTip(QStringLiteral("Hide the measurements"));
  hideMeasurements_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
  show->setMenu(measurementsMenu);
  if (auto* button = qobject_cast<QToolButton*>(bar.widgetForAction(show))) {
    button->setPopupMode(QToolButton::MenuButtonPopup);
  }
}

QAction* CurvesWindow::MenuAction(QMenu& menu, const char* name, const QString& text) {
  // Owned by the window, and one of its actions, so that its shortcut works while the menu
  // is closed.
  auto* a = new QAction(text, this);
  a->setObjectName(QString::fromLatin1(name));
  addAction(a);
  menu.addAction(a);
  return a;
}

void CurvesWindow::AddErrorBarsMenu(QToolBar& bar) {
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("ErrorBarsMenu"));
  menu->setToolTipsVisible(true);
  stepErrorAction_ = MenuAction(*menu, "StepError", QStringLiteral("Step error"));
  stepErrorAction_->setCheckable(true);
  stepErrorAction_->setToolTip(
      QStringLiteral("From the next run on, the zone table gives each exit figure's error from "
                     "the step, estimated from runs at twice and four times the Increment of z"));
  QAction* fitReport = MenuAction(*menu, "LoadFitReport", QStringLiteral("Fit's uncertainty..."));
  connect(fitReport, &QAction::triggered, this, &CurvesWindow::ChooseFitReport);
  fitReport->setToolTip(QStringLiteral(
      "A fit's report (JSON, fit --report): from the next run on, each curve gets the band of "
      "its 95 % interval"));
  QAction* errorBars = bar.addAction(QStringLiteral("Error bars"));
  errorBars->setObjectName(QStringLiteral("ErrorBars"));
  errorBars->setToolTip(
      QStringLiteral("The step's error in the zone table, a fit's "
                     "uncertainty around the curves"));
  errorBars->setMenu(menu);
  if (auto* button = qobject_cast<QToolButton*>(bar.widgetForAction(errorBars))) {
    button->setPopupMode(QToolButton::InstantPopup);
  }
}

void CurvesWindow::ShowRun(RunSeries series, RunInputs inputs, PlantShown plant) {
  stepError_.reset();
  band_.reset();
  current_ =
      std::make_unique<ShownRun>(ShownRun{std::make_shared<const RunSeries>(std::move(series)),
                                          std::move(inputs), plot::RunLook(0), std::move(plant)});
  preview_.reset();
  Redraw();
  ShowPlant();
  if (!isVisible()) {
    if (!placed_) PlaceOnScreen();
    show();
  }
}

void CurvesWindow::ShowStepError(StepError error) {
  stepError_ = std::move(error);
  Redraw();
}

bool CurvesWindow::StepErrorWanted() const {
  return stepErrorAction_->isChecked();
}

void CurvesWindow::ShowBand(TraceBand band) {
  band_ = std::move(band);
  Redraw();
}

void CurvesWindow::ShowPreview(RunSeries series, RunInputs inputs, PlantShown plant) {
  if (!current_ || !PreviewOn()) return;
  preview_ =
      std::make_unique<ShownRun>(ShownRun{std::make_shared<const RunSeries>(std::move(series)),
                                          std::move(inputs), plot::RunLook(0), std::move(plant)});
  Redraw();
  ShowPlant();
}

void CurvesWindow::EndPreview() {
  if (!preview_) return;
  preview_.reset();
  Redraw();
  ShowPlant();
}

bool CurvesWindow::PreviewOn() const {
  return livePreview_->isChecked();
}

const CurvesWindow::ShownRun* CurvesWindow::Shown() const {
  return preview_ ? preview_.get() : current_.get();
}

void CurvesWindow::ShowPlant() {
  if (const ShownRun* shown = Shown()) plant_->Show(shown->Plant);
}

void CurvesWindow::ShowCurvesPage() {
  pages_->setCurrentIndex(0);
}

void CurvesWindow::ShowPlantPage() {
  pages_->setCurrentIndex(1);
}

void CurvesWindow::KeepRun() {
  const ShownRun* shown = Shown();
  if (shown == nullptr || (!pins_.empty() && pins_.back().Series == shown->Series)) return;
  // The run shown is drawn solid; each run kept takes the next of the other line styles.
  pins_.push_back({shown->Series, shown->Inputs, plot::RunLook(1 + pinsEver_++ % 4), shown->Plant});
  Redraw();
}

void CurvesWindow::RemovePin(int index) {
  if (index < 0 || index >= PinCount()) return;
  pins_.erase(pins_.begin() + index);
  Redraw();
}

void CurvesWindow::RemoveAllPins() {
  pins_.clear();
  Redraw();
}

void CurvesWindow::SetAlong(AlongDryer along) {
  along_ = along;
  findChild<QAction*>(along == AlongDryer::Position ? QStringLiteral("AlongPosition")
                                                    : QStringLiteral("AlongTime"))
      ->setChecked(true);
  Redraw();
}

void CurvesWindow::SetSolventAmount(SolventAmount amount) {
  solvent_ = amount;
  findChild<QAction*>(amount == SolventAmount::ResidualRatio ? QStringLiteral("ShowResidualRatio")
                                                             : QStringLiteral("ShowSolventWeight"))
      ->setChecked(true);
  Redraw();
}

void CurvesWindow::ResetZoom() {
  charts_->ResetZoom();
}

void CurvesWindow::ZoomOut(RunChart chart) {
  charts_->View(chart).ZoomOut();
}

void CurvesWindow::PlaceOnScreen() {
  // The first time: at the top right of the screen, so that as much as can be of the main
  // window (centred) stays in sight beside it.
  placed_ = true;
  const QRect room = AvailableRoom(*this);
  const int outer = width() + FrameAllowance(*this).width();
  move(std::max(room.x(), room.x() + room.width() - outer), room.y());
}

QString CurvesWindow::WarningsSummary() const {
  return zones_->Summary();
}

void CurvesWindow::ShowZone(int zone) {
  zones_->ShowZone(zone);
}

QStringList CurvesWindow::KeyTexts() const {
  QStringList texts;
  for (const plot::KeyEntry& entry : runKey_->Entries()) texts << entry.Text;
  return texts;
}

QChart* CurvesWindow::Chart(RunChart chart) const {
  return charts_->View(chart).chart();
}

QStringList CurvesWindow::RunNames() const {
  return names_;
}

void CurvesWindow::Hover(RunChart chart, std::optional<double> along, QPoint at) {
  if (along) {
    ShowValuesAt(chart, *along);
    charts_->View(chart).ShowTip(hoverLines_, at);
  } else {
    hoverText_.clear();
  }
}

QString CurvesWindow::HoverText() const {
  return hoverText_;
}

std::vector<plot::ChartedRun> CurvesWindow::ChartedRuns() const {
  std::vector<plot::ChartedRun> runs;
  const ShownRun* shown = Shown();
  if (shown == nullptr) return runs;
  runs.push_back({shown->Series.get(), {}, shown->Look});
  // Under a preview, the run OK'd last is drawn dashed against it; then the runs kept.
  std::vector<const ShownRun*> others;
  if (preview_) others.push_back(current_.get());
  for (const ShownRun& pin : pins_) {
    if (pin.Series != shown->Series && (!preview_ || pin.Series != current_->Series)) {
      others.push_back(&pin);
    }
  }
  if (others.empty()) return runs;
  // Each run is named by the inputs in which it differs from the run shown; the run shown by
  // its own texts of all those inputs.
  std::vector<std::size_t> anyDifference;
  for (const ShownRun* other : others) {
    const std::vector<std::size_t> differing =
        DifferingInputs(other->Inputs, shown->Inputs, decimalSeparator_);
    for (const std::size_t input : differing) {
      if (std::find(anyDifference.begin(), anyDifference.end(), input) == anyDifference.end()) {
        anyDifference.push_back(input);
      }
    }
    const std::string name = DescribeInputs(other->Inputs, differing);
    const bool lastOk = other == current_.get();
    QString text = name.empty() ? QStringLiteral("Same inputs") : QString::fromStdString(name);
    if (lastOk) {
      text += QStringLiteral(" (OK'd)");
    } else if (name.empty()) {
      text = QStringLiteral("Kept run (same inputs)");
    }
    runs.push_back({other->Series.get(), text,
                    lastOk ? std::optional(plot::SeriesLook::Dashed) : other->Look});
  }
  std::sort(anyDifference.begin(), anyDifference.end());
  const std::string own = DescribeInputs(shown->Inputs, anyDifference);
  const QString role = preview_ ? QStringLiteral("preview") : QStringLiteral("current");
  runs.front().Name = own.empty() ? (preview_ ? QStringLiteral("Preview of the fields")
                                              : QStringLiteral("Current run"))
                                  : QString::fromStdString(own) + QStringLiteral(" (%1)").arg(role);
  return runs;
}

void CurvesWindow::Redraw() {
  const std::vector<plot::ChartedRun> runs = ChartedRuns();
  names_.clear();
  if (runs.size() > 1) {
    for (const plot::ChartedRun& run : runs) names_ << run.Name;
  }
  runKey_->SetEntries(plot::RunKey(runs));
  const ShownRun* shown = Shown();
  for (CurveView* view : charts_->Views()) {
    // Thinned for the plot's width as the chart shown has it: the new chart is laid out alike
    // and its lines need not be thinned again.
    const QChart* former = view->chart();
    const int columns = former != nullptr && former->plotArea().width() >= 1
                            ? static_cast<int>(former->plotArea().width())
                            : std::max(view->width(), 300);
    // Built whole, and thinned only where it takes the place of the chart shown: where the
    // two have the same make-up (another run of the same inputs' kinds, a preview of the
    // next edit), the chart shown takes the new values in place.
    plot::RunChartOptions options{along_, solvent_, 0, logScale_};
    std::unique_ptr<QChart> chart = plot::BuildRunChart(view->Kind(), runs, options);
    if (measurements_ && shown != nullptr) {
      plot::AddMeasuredPoints(*chart, view->Kind(), *measurements_, *shown->Series, options);
    }
    // The band and the step's error belong to the run OK'd, not to a preview of other fields.
    if (band_ && shown != nullptr && shown == current_.get()) {
      plot::AddUncertaintyBand(*chart, view->Kind(), *band_, options);
    }
    plot::SetDecimalSeparator(*chart, decimalSeparator_);
    // The vertical axis's title names the chart: its title would take a line of the plot's
    // height. Exported files carry it (ExportChart).
    chart->setTitle(QString());
    if (view->Refresh(*chart)) continue;
    plot::ThinLinesToPlotWidth(*chart, columns);
    charts_->Show(view->Kind(), std::move(chart));
  }
  charts_->AlignPlots();
  zones_->Show(shown != nullptr ? shown->Series.get() : nullptr,
               shown != nullptr ? shown->Plant.WarningCount() : 0,
               stepError_ && shown != nullptr && shown == current_.get() ? &*stepError_ : nullptr);
  UpdateTitle();
  UpdatePinMenu();
  keep_->setEnabled(shown != nullptr && (pins_.empty() || pins_.back().Series != shown->Series));
  exportCsv_->setEnabled(shown != nullptr);
  hideMeasurements_->setEnabled(measurements_.has_value());
  hoverText_.clear();
}

QString CurvesWindow::Number(double value, int precision, int digits) const {
  return QString::fromStdString(FormatFixed(value, precision, digits, decimalSeparator_));
}

void CurvesWindow::UpdateTitle() {
  // The zones' warnings and the plant's, of the run shown.
  const ShownRun* shown = Shown();
  const int warnings = shown != nullptr ? static_cast<int>(shown->Series->Warnings.size()) +
                                              shown->Plant.WarningCount()
                                        : 0;
  QString title = QString::fromLatin1(kTitle);
  if (preview_) title += QStringLiteral(" — preview of the fields as typed");
  if (warnings > 0) {
    title += (warnings == 1 ? QStringLiteral(" — 1 warning")
                            : QStringLiteral(" — %1 warnings").arg(warnings));
  }
  setWindowTitle(title);
}

void CurvesWindow::UpdatePinMenu() {
  pinMenu_->clear();
  const std::vector<plot::ChartedRun> runs = ChartedRuns();
  for (int i = 0; i < PinCount(); ++i) {
    const ShownRun& pin = pins_[static_cast<std::size_t>(i)];
    QString name = QStringLiteral("the current run");
    for (const plot::ChartedRun& run : runs) {
      if (run.Series == pin.Series.get() && run.Series != Shown()->Series.get()) name = run.Name;
    }
    QAction* remove = pinMenu_->addAction(QStringLiteral("Remove %1").arg(name));
    remove->setObjectName(QStringLiteral("RemoveKept%1").arg(i));
    connect(remove, &QAction::triggered, this, [this, i] { RemovePin(i); });
  }
  pinMenu_->addSeparator();
  QAction* all = pinMenu_->addAction(QStringLiteral("Remove all"));
  all->setObjectName(QStringLiteral("RemoveAllKept"));
  connect(all, &QAction::triggered, this, &CurvesWindow::RemoveAllPins);
  removePins_->setEnabled(!pins_.empty());
}

void CurvesWindow::ShowValuesAt(RunChart chart, double along) {
  const std::vector<plot::ChartedRun> runs = ChartedRuns();
  if (runs.empty()) return;
  const std::vector<plot::RunQuantity> quantities = plot::ChartQuantities(chart, solvent_);
  // The place of the current run's point nearest to the pointer, then each run's values at
  // its own nearest point (with its zone where that is another), each quantity with the
  // decimals the result file gives it.
  QString place;
  int zone = 0;
  QStringList parts;
  QStringList lines;
  for (const plot::ChartedRun& run : runs) {
    const std::optional<std::size_t> nearest = plot::NearestPoint(*run.Series, along_, along);
    if (!nearest) continue;
    const SeriesPoint& point = run.Series->Points[*nearest];
    QStringList values;
    if (place.isEmpty()) {
      zone = point.State.Zone;
      place = along_ == AlongDryer::Position
                  ? QStringLiteral("Position %1 m")
                        .arg(Number(point.State.DryerPosition, kPositionFixed.Precision,
                                    kPositionFixed.Digits))
                  : QStringLiteral("Time %1 s")
                        .arg(Number(point.State.Time, kTimeFixed.Precision, kTimeFixed.Digits));
      place += QStringLiteral(" (zone %1)").arg(zone);
    } else if (point.State.Zone != zone) {
      values << QStringLiteral("zone %1").arg(point.State.Zone);
    }
    for (const plot::RunQuantity& quantity : quantities) {
      const std::optional<double> v = quantity.Value(*run.Series, point);
      QString text =
          quantity.Name + QLatin1Char(' ') +
          (v ? Number(*v, quantity.Precision, quantity.Decimals) : QStringLiteral("none"));
      if (quantity.Unit != QLatin1String("-")) text += QLatin1Char(' ') + quantity.Unit;
      values << text;
    }
    const QString text = values.join(QStringLiteral(", "));
    parts << (runs.size() > 1 ? run.Name + QStringLiteral(": ") + text : text);
  }
  hoverLines_ = place + QLatin1Char('\n') + parts.join(QLatin1Char('\n'));
  hoverText_ = place + QStringLiteral(" — ") + parts.join(QStringLiteral("; "));
}

}  // namespace quillmere
