#include "app/CurvesWindow.h"
#include "app/PlantPanel.h"

#include <QActionGroup>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <optional>

#include "base/UserMessages.h"
#include "params/FieldTable.h"
#include "plot/ChartFile.h"
#include "plot/LineChart.h"
#include "plot/MeasuredPoints.h"
#include "report/FileIO.h"
#include "report/RunExport.h"

namespace quillmere {

using plot::AlongDryer;
using plot::RunChart;
using plot::SolventAmount;

namespace {

constexpr char kTitle[] = "Drying curves";

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

//! A chart of the window: rubber-band zoom, and the place under the pointer reported on the
//! horizontal axis (nullopt when the pointer leaves the plot).
class CurveView : public QChartView {
 public:
  using Hover = std::function<void(RunChart, std::optional<double>)>;

  CurveView(RunChart kind, Hover hover) : kind_(kind), hover_(std::move(hover)) {
    setObjectName(QStringLiteral("Chart%1").arg(Place(kind)));
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setMinimumSize(320, 220);
  }

  RunChart Kind() const { return kind_; }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    QChartView::mouseMoveEvent(event);
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (!chart()->plotArea().contains(at) || chart()->series().isEmpty()) {
      hover_(kind_, std::nullopt);
      return;
    }
    hover_(kind_, chart()->mapToValue(at, chart()->series().front()).x());
  }
  void leaveEvent(QEvent* event) override {
    hover_(kind_, std::nullopt);
    QChartView::leaveEvent(event);
  }

 private:
  RunChart kind_;
  Hover hover_;
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
  auto* grid = new QGridLayout(charts);
  grid->setContentsMargins(2, 2, 2, 2);
  grid->setSpacing(4);
  for (const RunChart kind : plot::kRunCharts) {
    auto* view = new CurveView(kind, [this](RunChart chart, std::optional<double> along) {
      if (along) {
        ShowValuesAt(chart, *along);
      } else {
        statusBar()->clearMessage();
      }
    });
    views_[Place(kind)] = view;
    const int n = static_cast<int>(Place(kind));
    grid->addWidget(view, n / 2, n % 2);
  }

  auto* zones = new QWidget;
  auto* zonesLayout = new QVBoxLayout(zones);
  zonesLayout->setContentsMargins(2, 0, 2, 2);
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
  zoneTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  zoneTable_->horizontalHeader()->setStretchLastSection(true);
  zoneTable_->setWordWrap(false);
  zonesLayout->addWidget(runNote_);
  zonesLayout->addWidget(zoneTable_);
  // Room for the header and four zones; more zones scroll.
  zoneTable_->setMinimumHeight(zoneTable_->horizontalHeader()->sizeHint().height() +
                               4 * zoneTable_->verticalHeader()->defaultSectionSize() +
                               2 * zoneTable_->frameWidth());

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(charts);
  splitter->addWidget(zones);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 1);
  setCentralWidget(splitter);

  plant_ = AddPlantPanel(*this, decimalSeparator_);
  BuildToolBar();
  statusBar()->setObjectName(QStringLiteral("HoverValues"));
  resize(1100, 800);
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
  };

  auto* along = new QActionGroup(this);
  choice(*along, "AlongPosition", QStringLiteral("Position"), true,
         [this] { SetAlong(AlongDryer::Position); });
  choice(*along, "AlongTime", QStringLiteral("Time"), false,
         [this] { SetAlong(AlongDryer::Time); });
  bar->addSeparator();
  auto* solvent = new QActionGroup(this);
  choice(*solvent, "ShowResidualRatio", QStringLiteral("Residual ratio"), true,
         [this] { SetSolventAmount(SolventAmount::ResidualRatio); });
  choice(*solvent, "ShowSolventWeight", QStringLiteral("Solvent weight"), false,
         [this] { SetSolventAmount(SolventAmount::Weight); });
  bar->addSeparator();

  keep_ = action("KeepRun", QStringLiteral("Keep"), &CurvesWindow::KeepRun);
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

  action("ResetZoom", QStringLiteral("Reset zoom"), &CurvesWindow::ResetZoom)
      ->setToolTip(QStringLiteral("Drag over a chart to zoom in; a right click zooms out"));
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
  if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(exportChart))) {
    button->setPopupMode(QToolButton::InstantPopup);
  }
  exportCsv_ = action("ExportCsv", QStringLiteral("Export CSV..."), &CurvesWindow::ExportCsv);
  exportCsv_->setToolTip(QStringLiteral("Every point of the current run, as CSV"));
  bar->addSeparator();
  action("ShowMeasurements", QStringLiteral("Show measurements..."),
         &CurvesWindow::ShowMeasurements)
      ->setToolTip(QStringLiteral(
          "Measured web temperatures and residual solvent from a CSV file (as for fitting), "
          "drawn over the current run"));
  hideMeasurements_ = action("HideMeasurements", QStringLiteral("Hide measurements"),
                             &CurvesWindow::HideMeasurements);
}

void CurvesWindow::ShowRun(RunSeries series, RunInputs inputs) {
  current_ =
      std::make_unique<ShownRun>(ShownRun{std::make_shared<const RunSeries>(std::move(series)),
                                          std::move(inputs), plot::SeriesColour(0)});
  Redraw();
  if (!isVisible()) show();
}

void CurvesWindow::KeepRun() {
  if (!current_ || (!pins_.empty() && pins_.back().Series == current_->Series)) return;
  // The current run keeps the first colour; each run kept takes the next of the others.
  pins_.push_back({current_->Series, current_->Inputs, plot::SeriesColour(1 + pinsEver_++ % 7)});
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
  runs.push_back({current_->Series.get(), {}, current_->Colour});
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
         pin->Colour});
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
  for (CurveView* view : views_) {
    plot::RunChartOptions options{along_, solvent_, std::max(view->width(), 300)};
    std::unique_ptr<QChart> chart = plot::BuildRunChart(view->Kind(), runs, options);
    if (measurements_ && current_) {
      plot::AddMeasuredPoints(*chart, view->Kind(), *measurements_, *current_->Series, options);
    }
    QChart* former = view->chart();
    view->setChart(chart.release());
    delete former;
  }
  FillZoneTable();
  UpdateTitle();
  UpdatePinMenu();
  keep_->setEnabled(current_ && (pins_.empty() || pins_.back().Series != current_->Series));
  exportCsv_->setEnabled(current_ != nullptr);
  hideMeasurements_->setEnabled(measurements_.has_value());
  statusBar()->clearMessage();
}

QString CurvesWindow::Number(double value, int decimals) const {
  QString text = QString::number(value, 'f', decimals);
  if (decimalSeparator_ != '.') text.replace(QLatin1Char('.'), QLatin1Char(decimalSeparator_));
  return text;
}

void CurvesWindow::FillZoneTable() {
  zoneTable_->setRowCount(0);
  runNote_->hide();
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
    const QString texts[kZoneColumns]{QString::number(zone.Zone),
                                      Number(zone.OuterTemperature, 1),
                                      Number(zone.Length, 2),
                                      Number(zone.Exit.Time, 3),
                                      Number(zone.Exit.Temperature, 2),
                                      Number(zone.Exit.Solvent1Residual, 4),
                                      Number(zone.Exit.Solvent2Residual, 4),
                                      Number(zone.SolventEvaporated, 5),
                                      warnings.join(QStringLiteral("; "))};
    for (int column = 0; column < kZoneColumns; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      if (column != kWarnings) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
    QString name = QStringLiteral("The current run");
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
  const auto value = [this](double v) {
    QString text = QString::number(v, 'g', 4);
    if (decimalSeparator_ != '.') text.replace(QLatin1Char('.'), QLatin1Char(decimalSeparator_));
    return text;
  };
  // The place of the current run's point nearest to the pointer, then each run's values at
  // its own nearest point (with its zone where that is another).
  QString place;
  int zone = 0;
  QStringList parts;
  for (const plot::ChartedRun& run : runs) {
    const std::optional<std::size_t> nearest = plot::NearestPoint(*run.Series, along_, along);
    if (!nearest) continue;
    const SeriesPoint& point = run.Series->Points[*nearest];
    QStringList values;
    if (place.isEmpty()) {
      zone = point.State.Zone;
      place = along_ == AlongDryer::Position
                  ? QStringLiteral("Position %1 m").arg(value(point.State.DryerPosition))
                  : QStringLiteral("Time %1 s").arg(value(point.State.Time));
      place += QStringLiteral(" (zone %1)").arg(zone);
    } else if (point.State.Zone != zone) {
      values << QStringLiteral("zone %1").arg(point.State.Zone);
    }
    for (const plot::RunQuantity& quantity : quantities) {
      const std::optional<double> v = quantity.Value(*run.Series, point);
      QString text = quantity.Name + QLatin1Char(' ') + (v ? value(*v) : QStringLiteral("none"));
      if (quantity.Unit != QLatin1String("-")) text += QLatin1Char(' ') + quantity.Unit;
      values << text;
    }
    const QString text = values.join(QStringLiteral(", "));
    parts << (runs.size() > 1 ? run.Name + QStringLiteral(": ") + text : text);
  }
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
  QString error;
  if (!plot::SaveChart(*Chart(chart), *path, plot::kChartFileSize, &error)) {
    messages_.ShowError(ErrorBoxText(error.toStdString()));
  }
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

void CurvesWindow::HideMeasurements() {
  measurements_.reset();
  Redraw();
}

}  // namespace quillmere
