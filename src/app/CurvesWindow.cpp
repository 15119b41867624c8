#include "app/CurvesWindow.h"
#include "app/PlantPanel.h"

#include <QActionGroup>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsLineItem>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <functional>
#include <optional>

#include "base/FormatFixed.h"
#include "base/PrintableText.h"
#include "base/UserMessages.h"
#include "params/FieldTable.h"
#include "plot/ChartFile.h"
#include "plot/ChartKey.h"
#include "plot/LineChart.h"
#include "plot/MeasuredPoints.h"
#include "plot/UncertaintyBand.h"
#include "report/FileIO.h"
#include "report/RunExport.h"

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
constexpr Fixed kTemperatureFixed{6, 2};  // the zone conditions' and the table's [°C]
constexpr Fixed kLengthFixed{6, 2};       // the zone conditions' zone length [m]
constexpr Fixed kTimeFixed{8, 3};         // the table's TIME [s]
constexpr Fixed kPositionFixed{7, 3};     // the table's LENGTH [m]
constexpr Fixed kResidualFixed{6, 4};     // RESIDUAL RAT [-]
constexpr Fixed kWeightFixed{7, 5};       // WEIGHT [kg/m2]

std::size_t Place(RunChart chart) {
  return static_cast<std::size_t>(chart);
}

// File name (without extension) a chart is offered to be saved as.
QString ChartFileName(RunChart chart, SolventAmount solvent) {
  switch (chart) {
    case RunChart::WebTemperature:
      return QStringLiteral("web-temperature");
    case RunChart::Solvent:
      return solvent == SolventAmount::ResidualRatio ? QStringLiteral("residual-ratio")
                                                     : QStringLiteral("solvent-weight");
    case RunChart::DryingRate:
      return QStringLiteral("drying-rate");
    case RunChart::VapourPressure:
      return QStringLiteral("vapour-pressure");
  }
  return {};
}

// The CSV file offered for a run: its result file's name with ".csv", in the same directory.
QString CsvFileFor(const RunInputs& inputs) {
  const auto fields = AllFields();
  QString result = QStringLiteral("run.txt");
  for (std::size_t i = 0; i < fields.size() && i < inputs.Texts.size(); ++i) {
    if (fields[i].slot == FieldSlot::SaveFileName && !inputs.Texts[i].empty()) {
      result = QString::fromStdString(inputs.Texts[i]);
    }
  }
  const QFileInfo file(result);
  return QDir::cleanPath(
      QDir::current().absoluteFilePath(file.dir().filePath(file.completeBaseName() + ".csv")));
}

// Columns of the zone table: the web's state at each zone's exit.
enum ZoneColumn {
  kZoneNumber,
  kAirTemperature,
  kLength,
  kExitTime,
  kExitTemperature,
  kExitResidual1,
  kExitResidual2,
  kEvaporated,
  kWarnings,
  kZoneColumns
};

}  // namespace

//! A chart of the window: rubber-band zoom in, a right click zooms out (never beyond the
//! run), and a marker at the place under the pointer, reported on the horizontal axis
//! (nullopt when the pointer leaves the plot) with the pointer's place on the screen.
class CurveView : public QChartView {
 public:
  using Hover = std::function<void(RunChart, std::optional<double>, QPoint)>;

  CurveView(RunChart kind, Hover hover) : kind_(kind), hover_(std::move(hover)) {
    setObjectName(QStringLiteral("Chart%1").arg(Place(kind)));
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setMinimumSize(kChartMinimum);
    setFrameShape(QFrame::NoFrame);
  }

  //! The least size at which the chart's titles, ticks and legend read whole [px].
  static constexpr QSize kChartMinimum{300, 225};

  RunChart Kind() const { return kind_; }

  //! Shows `chart` in place of the former one, which is deleted.
  void Show(std::unique_ptr<QChart> chart) {
    QChart* former = this->chart();
    for (QAbstractAxis* any : chart->axes()) {
      if (auto* axis = qobject_cast<QValueAxis*>(any)) {
        axis->setProperty("wholeLow", axis->min());
        axis->setProperty("wholeHigh", axis->max());
      }
    }
    // The legend in its place before the chart is first laid out: a second layout would
    // thin its lines again.
    chart->legend()->setAlignment(LegendSide());
    setChart(chart.release());
    delete former;
    PlaceLegend();
    marker_ = new QGraphicsLineItem(this->chart());
    marker_->setPen(QPen(QColor(0x30, 0x30, 0x30), 1, Qt::SolidLine));
    marker_->setZValue(100);
    marker_->hide();
  }

  //! Out to twice the span shown, around its middle, within the whole run.
  void ZoomOut() {
    QChart& c = *chart();
    if (c.series().isEmpty()) return;
    QValueAxis* x = plot::XAxis(c);
    QValueAxis* y = plot::YAxis(c);
    const auto wider = [](const QValueAxis& axis) {
      const auto [low, high] = WholeRange(axis);
      const double span = std::min(high - low, 2 * (axis.max() - axis.min()));
      const double middle = (axis.max() + axis.min()) / 2;
      const double from = std::clamp(middle - span / 2, low, high - span);
      return std::pair{from, from + span};
    };
    const auto [x0, x1] = wider(*x);
    // Through the chart's zoom, so that every axis (the zones' too) follows. A logarithmic
    // vertical axis keeps its decades.
    QAbstractSeries* series = c.series().front();
    QRectF area(c.mapToPosition({x0, 0}, series), c.mapToPosition({x1, 0}, series));
    if (y != nullptr) {
      const auto [y0, y1] = wider(*y);
      area = QRectF(c.mapToPosition({x0, y1}, series), c.mapToPosition({x1, y0}, series));
    } else {
      area.setTop(c.plotArea().top());
      area.setBottom(c.plotArea().bottom());
    }
    c.zoomIn(area.normalized());
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QChartView::resizeEvent(event);
    PlaceLegend();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    QChartView::mouseMoveEvent(event);
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    const QRectF plot = chart()->plotArea();
    if (!plot.contains(at) || chart()->series().isEmpty()) {
      Leave();
      return;
    }
    marker_->setLine(at.x(), plot.top(), at.x(), plot.bottom());
    marker_->show();
    hover_(kind_, chart()->mapToValue(at, chart()->series().front()).x(),
           event->globalPosition().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      // In place of the view's own zoom out, which goes on past the run's ends.
      ZoomOut();
      event->accept();
      return;
    }
    QChartView::mouseReleaseEvent(event);
  }
  void leaveEvent(QEvent* event) override {
    Leave();
    QChartView::leaveEvent(event);
  }

 private:
  // A short chart (a small screen) keeps its height for the plot and the axes' labels: the
  // legend goes to its right.
  Qt::Alignment LegendSide() const {
    constexpr int kLegendBelowFrom = 270;  // [px] of height
    return height() >= kLegendBelowFrom ? Qt::AlignBottom : Qt::AlignRight;
  }
  void PlaceLegend() {
    const Qt::Alignment side = LegendSide();
    if (chart()->legend()->alignment() != side) chart()->legend()->setAlignment(side);
  }

  void Leave() {
    if (marker_ != nullptr) marker_->hide();
    hover_(kind_, std::nullopt, {});
  }

  // The range an axis had as built (zoomReset goes back to it).
  static std::pair<double, double> WholeRange(const QValueAxis& axis) {
    return {axis.property("wholeLow").toDouble(), axis.property("wholeHigh").toDouble()};
  }

  RunChart kind_;
  Hover hover_;
  QGraphicsLineItem* marker_ = nullptr;
};

//! The key of the runs compared, above the charts: each run's name with its line style, in as
//! many rows as the names need.
class RunKeyPanel : public QWidget {
 public:
  RunKeyPanel() {
    setObjectName(QStringLiteral("RunKey"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }
  void SetEntries(std::vector<plot::KeyEntry> entries) {
    entries_ = std::move(entries);
    setVisible(!entries_.empty());
    Fit();
    update();
  }
  const std::vector<plot::KeyEntry>& Entries() const { return entries_; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    Fit();
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    plot::DrawKey(painter, rect(), entries_);
  }

 private:
  void Fit() { setFixedHeight(plot::KeyHeight(entries_, std::max(width(), 200))); }

  std::vector<plot::KeyEntry> entries_;
};

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
  // Shown after each run without taking the keyboard from the main window, and no reason to
  // keep the program running once the main window has closed.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(look.Font(kFieldPixels));
  if (!chooseSaveFile_) {
    chooseSaveFile_ = [this](const QString& caption, const QString& suggested,
                             const QStringList& filters) {
      return ChooseSaveFile(this, caption, suggested, filters);
    };
  }

  auto* charts = new QWidget;
  auto* chartsLayout = new QVBoxLayout(charts);
  chartsLayout->setContentsMargins(2, 2, 2, 2);
  chartsLayout->setSpacing(2);
  runKey_ = new RunKeyPanel;
  runKey_->hide();
  chartsLayout->addWidget(runKey_);
  auto* grid = new QGridLayout;
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  chartsLayout->addLayout(grid, 1);
  for (const RunChart kind : plot::kRunCharts) {
    auto* view =
        new CurveView(kind, [this](RunChart chart, std::optional<double> along, QPoint global) {
          if (along) {
            ShowValuesAt(chart, *along);
            QToolTip::showText(global, hoverLines_, views_[Place(chart)]);
          } else {
            statusBar()->clearMessage();
            QToolTip::hideText();
          }
        });
    views_[Place(kind)] = view;
    const int n = static_cast<int>(Place(kind));
    grid->addWidget(view, n / 2, n % 2);
  }

  auto* zones = new QWidget;
  auto* zonesLayout = new QVBoxLayout(zones);
  zonesLayout->setContentsMargins(2, 0, 2, 2);
  zonesLayout->setSpacing(2);
  warningsSummary_ = new QLabel;
  warningsSummary_->setObjectName(QStringLiteral("WarningsSummary"));
  warningsSummary_->setWordWrap(true);
  warningsSummary_->setTextFormat(Qt::RichText);
  warningsSummary_->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                            Qt::LinksAccessibleByKeyboard);
  warningsSummary_->setFocusPolicy(Qt::TabFocus);
  connect(warningsSummary_, &QLabel::linkActivated, this,
          [this](const QString& link) { ShowZone(link.section(QLatin1Char(':'), 1).toInt()); });
  warningsSummary_->hide();
  runNote_ = new QLabel;
  runNote_->setObjectName(QStringLiteral("RunNote"));
  runNote_->setWordWrap(true);
  runNote_->setStyleSheet(QStringLiteral("color: #a00000"));
  runNote_->hide();
  zoneTable_ = new QTableWidget(0, kZoneColumns);
  zoneTable_->setObjectName(QStringLiteral("ZoneTable"));
  zoneTable_->setHorizontalHeaderLabels(
      {QStringLiteral("Zone"), QStringLiteral("Air\n(°C)"), QStringLiteral("Length\n(m)"),
       QStringLiteral("Time at exit\n(s)"), QStringLiteral("Web at exit\n(°C)"),
       QStringLiteral("Residual ratio 1\nat exit (-)"),
       QStringLiteral("Residual ratio 2\nat exit (-)"), QStringLiteral("Evaporated\n(kg/m2)"),
       QStringLiteral("Warnings")});
  zoneTable_->verticalHeader()->hide();
  zoneTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  zoneTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
  // Tab leaves the table for the next control; the arrows move within it.
  zoneTable_->setTabKeyNavigation(false);
  zoneTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // The warnings take the width that is left and wrap in it: their whole text shows.
  zoneTable_->horizontalHeader()->setSectionResizeMode(kWarnings, QHeaderView::Stretch);
  zoneTable_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  zoneTable_->setWordWrap(true);
  zoneTable_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  zonesLayout->addWidget(warningsSummary_);
  zonesLayout->addWidget(runNote_);
  zonesLayout->addWidget(zoneTable_);
  // Room for the header and one zone at least; more zones scroll. The charts keep their
  // least size first: the table gives up its rows before the charts lose their axes.
  zoneTable_->setMinimumHeight(zoneTable_->horizontalHeader()->sizeHint().height() +
                               zoneTable_->verticalHeader()->defaultSectionSize() +
                               2 * zoneTable_->frameWidth());

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->setObjectName(QStringLiteral("CurvesSplitter"));
  splitter->addWidget(charts);
  splitter->addWidget(zones);
  splitter->setStretchFactor(0, 4);
  splitter->setStretchFactor(1, 1);
  splitter->setCollapsible(0, false);
  splitter->setCollapsible(1, false);
  splitter->setSizes({800, 200});
  setCentralWidget(splitter);

  plant_ = AddPlantPanel(*this, decimalSeparator_);
  BuildToolBar();
  statusBar()->setObjectName(QStringLiteral("HoverValues"));
  setMinimumSize(kMinimumSize);
  resize(kDefaultSize);
  Redraw();
}

CurvesWindow::~CurvesWindow() = default;

void CurvesWindow::BuildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Curves"));
  bar->setObjectName(QStringLiteral("CurvesToolBar"));
  bar->setMovable(false);
  const auto action = [this, bar](const char* name, const QString& text, auto slot) {
    QAction* a = bar->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  const auto choice = [this, bar](QActionGroup& group, const char* name, const QString& text,
                                  bool checked, std::function<void()> choose) {
    QAction* a = bar->addAction(text);
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
  bar->addSeparator();
  auto* solvent = new QActionGroup(this);
  choice(*solvent, "ShowResidualRatio", QStringLiteral("Residual ratio"), true, [this] {
    SetSolventAmount(SolventAmount::ResidualRatio);
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_3));
  choice(*solvent, "ShowSolventWeight", QStringLiteral("Solvent weight"), false, [this] {
    SetSolventAmount(SolventAmount::Weight);
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_4));
  QAction* log = bar->addAction(QStringLiteral("Log scale"));
  log->setObjectName(QStringLiteral("LogScale"));
  log->setCheckable(true);
  log->setToolTip(QStringLiteral("Residual ratios or solvent weights on a logarithmic axis"));
  log->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  connect(log, &QAction::toggled, this, [this](bool on) {
    logScale_ = on;
    Redraw();
  });
  stepErrorAction_ = bar->addAction(QStringLiteral("Step error"));
  stepErrorAction_->setObjectName(QStringLiteral("StepError"));
  stepErrorAction_->setCheckable(true);
  stepErrorAction_->setToolTip(
      QStringLiteral("From the next run on, the zone table gives each exit figure's error from "
                     "the step, estimated from runs at twice and four times the Increment of z"));
  bar->addSeparator();

  keep_ = action("KeepRun", QStringLiteral("Keep"), &CurvesWindow::KeepRun);
  keep_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  keep_->setToolTip(QStringLiteral("Keep this run drawn with the next runs, to compare them"));
  pinMenu_ = new QMenu(this);
  pinMenu_->setObjectName(QStringLiteral("KeptRunsMenu"));
  removePins_ = bar->addAction(QStringLiteral("Remove kept"));
  removePins_->setObjectName(QStringLiteral("RemoveKept"));
  removePins_->setMenu(pinMenu_);
  if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(removePins_))) {
    button->setPopupMode(QToolButton::InstantPopup);
  }
  bar->addSeparator();

  QAction* reset = action("ResetZoom", QStringLiteral("Reset zoom"), &CurvesWindow::ResetZoom);
  reset->setToolTip(QStringLiteral("Drag over a chart to zoom in; a right click zooms out"));
  reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
  auto* exportMenu = new QMenu(this);
  exportMenu->setObjectName(QStringLiteral("ExportChartMenu"));
  for (const RunChart kind : plot::kRunCharts) {
    QAction* a = exportMenu->addAction(plot::RunChartTitle(kind) + QStringLiteral("..."));
    a->setObjectName(QStringLiteral("ExportChart%1").arg(Place(kind)));
    connect(a, &QAction::triggered, this, [this, kind] { ExportChart(kind); });
  }
  QAction* exportChart = bar->addAction(QStringLiteral("Export chart"));
  exportChart->setObjectName(QStringLiteral("ExportChart"));
  exportChart->setMenu(exportMenu);
  exportChart->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  connect(exportChart, &QAction::triggered, this, [this, bar, exportChart] {
    // The shortcut opens the menu under its button.
    if (QWidget* button = bar->widgetForAction(exportChart)) {
      exportChart->menu()->popup(button->mapToGlobal(QPoint(0, button->height())));
    }
  });
  if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(exportChart))) {
    button->setPopupMode(QToolButton::InstantPopup);
  }
  exportCsv_ = action("ExportCsv", QStringLiteral("Export CSV..."), &CurvesWindow::ExportCsv);
  exportCsv_->setToolTip(QStringLiteral("Every point of the current run, as CSV"));
  exportCsv_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
  bar->addSeparator();
  QAction* show = action("ShowMeasurements", QStringLiteral("Show measurements..."),
                         &CurvesWindow::ShowMeasurements);
  show->setToolTip(QStringLiteral(
      "Measured web temperatures and residual solvent from a CSV file (as for fitting), "
      "drawn over the current run"));
  show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  hideMeasurements_ = action("HideMeasurements", QStringLiteral("Hide measurements"),
                             &CurvesWindow::HideMeasurements);
  hideMeasurements_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
  QAction* fitReport = action("LoadFitReport", QStringLiteral("Fit's uncertainty..."),
                              &CurvesWindow::ChooseFitReport);
  fitReport->setToolTip(QStringLiteral(
      "A fit's report (JSON, fit --report): from the next run on, each curve gets the band of "
      "its 95 % interval"));
  // Every button is reached with Tab, and says its shortcut.
  for (QAction* a : bar->actions()) {
    if (QWidget* button = bar->widgetForAction(a)) button->setFocusPolicy(Qt::TabFocus);
    if (!a->shortcut().isEmpty()) {
      const QString tip = a->toolTip().isEmpty() ? a->text() : a->toolTip();
      a->setToolTip(tip + QStringLiteral(" (") + a->shortcut().toString(QKeySequence::NativeText) +
                    QLatin1Char(')'));
    }
  }
}

void CurvesWindow::ShowStepError(StepError error) {
  stepError_ = std::move(error);
  FillZoneTable();
}

bool CurvesWindow::StepErrorWanted() const {
  return stepErrorAction_->isChecked();
}

void CurvesWindow::ShowRun(RunSeries series, RunInputs inputs) {
  stepError_.reset();
  band_.reset();
  current_ = std::make_unique<ShownRun>(ShownRun{
      std::make_shared<const RunSeries>(std::move(series)), std::move(inputs), plot::RunLook(0)});
  Redraw();
  if (!isVisible()) {
    if (!placed_) PlaceOnScreen();
    show();
  }
}

void CurvesWindow::KeepRun() {
  if (!current_ || (!pins_.empty() && pins_.back().Series == current_->Series)) return;
  // The current run is drawn solid; each run kept takes the next of the other line styles.
  pins_.push_back({current_->Series, current_->Inputs, plot::RunLook(1 + pinsEver_++ % 4)});
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
  for (CurveView* view : views_) view->chart()->zoomReset();
}

void CurvesWindow::ZoomOut(RunChart chart) {
  views_[Place(chart)]->ZoomOut();
}

void CurvesWindow::PlaceOnScreen() {
  // The first time: at the top right of the screen, so that as much as can be of the main
  // window (centred) stays in sight beside it.
  placed_ = true;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect room = screen->availableGeometry();
  move(std::max(room.x(), room.x() + room.width() - width()), room.y());
}

QString CurvesWindow::WarningsSummary() const {
  return warningsSummary_->isVisible() ? warningsSummary_->text() : QString();
}

QStringList CurvesWindow::KeyTexts() const {
  QStringList texts;
  for (const plot::KeyEntry& entry : runKey_->Entries()) texts << entry.Text;
  return texts;
}

void CurvesWindow::ShowZone(int zone) {
  for (int row = 0; row < zoneTable_->rowCount(); ++row) {
    if (zoneTable_->item(row, kZoneNumber)->text() == QString::number(zone)) {
      zoneTable_->selectRow(row);
      zoneTable_->scrollToItem(zoneTable_->item(row, kZoneNumber),
                               QAbstractItemView::PositionAtTop);
      return;
    }
  }
}

QChart* CurvesWindow::Chart(RunChart chart) const {
  return views_[Place(chart)]->chart();
}

QStringList CurvesWindow::RunNames() const {
  return names_;
}

QString CurvesWindow::HoverText() const {
  return statusBar()->currentMessage();
}

std::vector<plot::ChartedRun> CurvesWindow::ChartedRuns() const {
  std::vector<plot::ChartedRun> runs;
  if (!current_) return runs;
  runs.push_back({current_->Series.get(), {}, current_->Look});
  std::vector<const ShownRun*> kept;
  for (const ShownRun& pin : pins_) {
    if (pin.Series != current_->Series) kept.push_back(&pin);
  }
  if (kept.empty()) return runs;
  // Each run is named by the inputs in which it differs from the current run; the current run
  // by its own texts of all those inputs.
  std::vector<std::size_t> anyDifference;
  for (const ShownRun* pin : kept) {
    const std::vector<std::size_t> differing =
        DifferingInputs(pin->Inputs, current_->Inputs, decimalSeparator_);
    for (const std::size_t input : differing) {
      if (std::find(anyDifference.begin(), anyDifference.end(), input) == anyDifference.end()) {
        anyDifference.push_back(input);
      }
    }
    const std::string name = DescribeInputs(pin->Inputs, differing);
    runs.push_back(
        {pin->Series.get(),
         name.empty() ? QStringLiteral("Kept run (same inputs)") : QString::fromStdString(name),
         pin->Look});
  }
  std::sort(anyDifference.begin(), anyDifference.end());
  const std::string own = DescribeInputs(current_->Inputs, anyDifference);
  runs.front().Name = own.empty() ? QStringLiteral("Current run")
                                  : QString::fromStdString(own) + QStringLiteral(" (current)");
  return runs;
}

void CurvesWindow::Redraw() {
  const std::vector<plot::ChartedRun> runs = ChartedRuns();
  names_.clear();
  if (runs.size() > 1) {
    for (const plot::ChartedRun& run : runs) names_ << run.Name;
  }
  runKey_->SetEntries(plot::RunKey(runs));
  for (CurveView* view : views_) {
    // Thinned for the plot's width as the chart shown has it: the new chart is laid out alike
    // and its lines need not be thinned again.
    const QChart* shown = view->chart();
    const int columns = shown != nullptr && shown->plotArea().width() >= 1
                            ? static_cast<int>(shown->plotArea().width())
                            : std::max(view->width(), 300);
    plot::RunChartOptions options{along_, solvent_, columns, logScale_};
    std::unique_ptr<QChart> chart = plot::BuildRunChart(view->Kind(), runs, options);
    if (measurements_ && current_) {
      plot::AddMeasuredPoints(*chart, view->Kind(), *measurements_, *current_->Series, options);
    }
    if (band_ && current_) plot::AddUncertaintyBand(*chart, view->Kind(), *band_, options);
    plot::SetDecimalSeparator(*chart, decimalSeparator_);
    // The vertical axis's title names the chart: its title would take a line of the plot's
    // height. Exported files carry it (ExportChart).
    chart->setTitle(QString());
    view->Show(std::move(chart));
  }
  FillZoneTable();
  UpdateTitle();
  UpdatePinMenu();
  keep_->setEnabled(current_ && (pins_.empty() || pins_.back().Series != current_->Series));
  exportCsv_->setEnabled(current_ != nullptr);
  hideMeasurements_->setEnabled(measurements_.has_value());
  statusBar()->clearMessage();
}

QString CurvesWindow::Number(double value, int precision, int digits) const {
  return QString::fromStdString(FormatFixed(value, precision, digits, decimalSeparator_));
}

void CurvesWindow::AppendStepErrors(int zone, QString* texts) const {
  for (const FigureStepError& f : stepError_->Figures) {
    if (f.Figure.Zone != zone) continue;
    const int column = f.Figure.Kind == FigureKind::Temperature ? kExitTemperature
                       : f.Figure.Kind == FigureKind::Residual1 ? kExitResidual1
                       : f.Figure.Kind == FigureKind::Residual2 ? kExitResidual2
                                                                : -1;
    if (column < 0) continue;
    const std::string error =
        f.Status == StepErrorStatus::Estimated
            ? (f.Error >= 0 ? "+" : "") + SignificantText(f.Error, 2, decimalSeparator_)
        : f.Status == StepErrorStatus::Converged ? std::string("0")
                                                 : std::string("?");
    texts[column] += QStringLiteral(" (%1)").arg(QString::fromStdString(error));
  }
}

void CurvesWindow::FillZoneTable() {
  zoneTable_->setRowCount(0);
  runNote_->hide();
  warningsSummary_->hide();
  if (!current_) return;
  const RunSeries& run = *current_->Series;
  zoneTable_->setRowCount(static_cast<int>(run.Zones.size()));
  QStringList unplaced;  // warnings of a zone the run did not finish
  for (const PhysicalWarning& warning : run.Warnings) {
    if (warning.Where.Zone < 1 || warning.Where.Zone > static_cast<int>(run.Zones.size())) {
      unplaced << QStringLiteral("Zone %1: %2")
                      .arg(warning.Where.Zone)
                      .arg(QString::fromStdString(warning.Text));
    }
  }
  for (int row = 0; row < static_cast<int>(run.Zones.size()); ++row) {
    const ZoneSummary& zone = run.Zones[static_cast<std::size_t>(row)];
    QStringList warnings;
    for (const PhysicalWarning& warning : run.Warnings) {
      if (warning.Where.Zone == zone.Zone) warnings << QString::fromStdString(warning.Text);
    }
    const auto number = [this](double value, Fixed format) {
      return Number(value, format.Precision, format.Digits);
    };
    QString texts[kZoneColumns]{QString::number(zone.Zone),
                                number(zone.OuterTemperature, kTemperatureFixed),
                                number(zone.Length, kLengthFixed),
                                number(zone.Exit.Time, kTimeFixed),
                                number(zone.Exit.Temperature, kTemperatureFixed),
                                number(zone.Exit.Solvent1Residual, kResidualFixed),
                                number(zone.Exit.Solvent2Residual, kResidualFixed),
                                number(zone.SolventEvaporated, kWeightFixed),
                                warnings.join(QLatin1Char('\n'))};
    if (stepError_) AppendStepErrors(zone.Zone, texts);
    for (int column = 0; column < kZoneColumns; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      // At the top of the row, with the first line of its warnings, however tall it is.
      item->setTextAlignment((column != kWarnings ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
      if (!warnings.isEmpty()) {
        item->setBackground(QColor(0xff, 0xf4, 0xc8));
        item->setToolTip(warnings.join(QLatin1Char('\n')));
      }
      zoneTable_->setItem(row, column, item);
    }
  }
  QStringList note;
  if (run.Fault) {
    const QString fault = QString::fromStdString(run.Fault->Message);
    note << (run.Fault->Zone >= 1
                 ? QStringLiteral("The run ended on a fault in zone %1 (%2): the curves show the "
                                  "zones finished before it.")
                       .arg(run.Fault->Zone)
                       .arg(fault)
                 : QStringLiteral("The run ended on a fault before the first zone (%1).")
                       .arg(fault));
  }
  note << unplaced;
  if (!note.isEmpty()) {
    runNote_->setText(note.join(QLatin1Char('\n')));
    runNote_->show();
  }
  // One line above the table counts the warnings and links each zone that has some to its
  // row; the table starts at the first.
  std::vector<int> warned;
  for (const PhysicalWarning& warning : run.Warnings) {
    if (std::find(warned.begin(), warned.end(), warning.Where.Zone) == warned.end()) {
      warned.push_back(warning.Where.Zone);
    }
  }
  std::sort(warned.begin(), warned.end());
  if (!warned.empty()) {
    QStringList links;
    for (const int zone : warned) {
      links << (zone >= 1 && zone <= static_cast<int>(run.Zones.size())
                    ? QStringLiteral("<a href=\"zone:%1\">zone %1</a>").arg(zone)
                    : QStringLiteral("zone %1").arg(zone));
    }
    const auto count = static_cast<int>(run.Warnings.size());
    warningsSummary_->setText(
        QStringLiteral("<b>%1</b> in %2 (the rows below give them in full; a zone shows its "
                       "row)")
            .arg(
                count == 1 ? QStringLiteral("1 warning") : QStringLiteral("%1 warnings").arg(count),
                links.join(QStringLiteral(", "))));
    warningsSummary_->show();
    ShowZone(warned.front());
  }
}

void CurvesWindow::UpdateTitle() {
  const int warnings = current_ ? static_cast<int>(current_->Series->Warnings.size()) : 0;
  QString title = QString::fromLatin1(kTitle);
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
      if (run.Series == pin.Series.get() && run.Series != current_->Series.get()) name = run.Name;
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
  statusBar()->showMessage(place + QStringLiteral(" — ") + parts.join(QStringLiteral("; ")));
}

void CurvesWindow::ExportChart(RunChart chart) {
  const QString suggested =
      QDir::current().filePath(ChartFileName(chart, solvent_) + QStringLiteral(".png"));
  std::optional<QString> path =
      chooseSaveFile_(QStringLiteral("Export chart"), suggested,
                      {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG image (*.svg)")});
  if (!path) return;
  if (!plot::ChartFormatOf(*path)) *path += QStringLiteral(".png");
  const std::vector<plot::KeyEntry> key = plot::RunKey(ChartedRuns());
  QChart& shown = *Chart(chart);
  shown.setTitle(plot::RunChartTitle(chart, solvent_));
  try {
    plot::SaveChart(shown, *path, plot::kChartFileSize, key);
  } catch (const FileError& error) {
    messages_.ShowError(ErrorBoxText(error.what()));
  }
  shown.setTitle(QString());
}

void CurvesWindow::ExportCsv() {
  if (!current_) return;
  const std::optional<QString> path =
      chooseSaveFile_(QStringLiteral("Export CSV"), CsvFileFor(current_->Inputs),
                      {QStringLiteral("CSV file (*.csv)")});
  if (!path) return;
  const std::string name = path->toStdString();
  try {
    OutputFile file = OutputFile::Open(name, OutputFile::Mode::Create, "CSV file");
    file.Truncate();
    file.Write(RunCsv(*current_->Series));
    file.Close();
  } catch (const FileError& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
  }
}

void CurvesWindow::ShowMeasurements() {
  std::optional<QString> path;
  if (chooseMeasurements_) {
    path = chooseMeasurements_();
  } else {
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Show measurements"), QDir::currentPath(),
                                     QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!chosen.isEmpty()) path = chosen;
  }
  if (path) LoadMeasurements(*path);
}

bool CurvesWindow::LoadMeasurements(const QString& path) {
  try {
    measurements_ = ReadMeasurements(path.toStdString());
  } catch (const FileError& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
    return false;
  } catch (const MeasurementError& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
    return false;
  }
  Redraw();
  return true;
}

void CurvesWindow::ChooseFitReport() {
  std::optional<QString> path;
  if (chooseMeasurements_) {
    path = chooseMeasurements_();
  } else {
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Fit's uncertainty"), QDir::currentPath(),
                                     QStringLiteral("Fit reports (*.json);;All files (*)"));
    if (!chosen.isEmpty()) path = chosen;
  }
  if (path) LoadFitReport(*path);
}

bool CurvesWindow::LoadFitReport(const QString& path) {
  try {
    uncertainty_ = ReadFitUncertaintyFile(path.toStdString());
  } catch (const Error& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
    return false;
  }
  return true;
}

void CurvesWindow::ShowBand(TraceBand band) {
  band_ = std::move(band);
  Redraw();
}

void CurvesWindow::HideMeasurements() {
  measurements_.reset();
  Redraw();
}

}  // namespace quillmere
