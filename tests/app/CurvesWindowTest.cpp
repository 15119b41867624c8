// The "Drying curves" window: shown after each run from the main window, its charts, its zone
// table, runs kept for comparison, the values under the pointer, zoom and export.
#include <QAction>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChartView>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QValueAxis>
#include <QXYSeries>
#include <QtTest>

#include <memory>
#include <tuple>
#include <vector>
#include "ChartParts.h"

#include "RunSeriesOf.h"
#include "TestSupport.h"
#include "app/CurveView.h"
#include "app/LivePreview.h"
#include "app/PlantPanel.h"
#include "app/ScreenRoom.h"
#include "plot/ChartFile.h"
#include "plot/LineChart.h"
#include "report/RunExport.h"

using namespace quillmere;
using namespace quillmere::plot;
using namespace quillmere::test;

namespace {

QString DataFile(const char* name) {
  return QStringLiteral(QUILLMERE_TEST_DATA "/") + QString::fromLatin1(name);
}

QStringList Column(const QTableWidget& table, int column) {
  QStringList texts;
  for (int row = 0; row < table.rowCount(); ++row) texts << table.item(row, column)->text();
  return texts;
}

QChartView* View(const CurvesWindow& curves, RunChart chart) {
  return curves.findChild<QChartView*>(QStringLiteral("Chart%1").arg(int(chart)));
}

// Sends the pointer over a chart's view at a point given in the chart's values.
void MovePointerTo(QChartView& view, QPointF value) {
  QChart& chart = *view.chart();
  const QPointF inChart = chart.mapToPosition(value, chart.series().front());
  const QPoint at = view.mapFromScene(chart.mapToScene(inChart));
  QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
}

// The tick labels of each side of a chart's plot: the numbers drawn left of it (the
// vertical axis) and below it (the horizontal one), each whole within the chart.
// Whether `place` (in the widget's coordinates) shows whole: within the widget, within each
// widget around it (a layout short of room lets a child stand out of its parent, which cuts
// it) and within its window.
bool ShowsWhole(const QWidget& widget, const QRectF& place) {
  for (const QWidget* w = &widget; w != nullptr; w = w->parentWidget()) {
    const QRectF inside = QRectF(place.translated(widget.mapTo(w, QPoint(0, 0))));
    if (!QRectF(w->rect()).contains(inside)) return false;
    if (w->isWindow()) break;
  }
  return true;
}

// At the least size the plots are lower, and narrower: two labels of the position may be all
// that have room.
void CheckChartsRead(const CurvesWindow& curves, double leastPlotHeight = 150,
                     int leastLabelsBelow = 3) {
  for (const RunChart kind : kRunCharts) {
    QChartView& view = *View(curves, kind);
    QChart& chart = *view.chart();
    const QString name = RunChartTitle(kind);
    const QRectF plot = chart.plotArea();
    QVERIFY2(plot.height() >= leastPlotHeight,
             qPrintable(name + QStringLiteral(": %1 px").arg(plot.height())));
    int left = 0;
    int below = 0;
    const QRectF whole = chart.rect();
    for (const DrawnText& text : DrawnTextPlaces(chart)) {
      if (text.Text.isEmpty()) continue;
      QVERIFY2(!Elided(text.Text), qPrintable(name + QStringLiteral(": ") + text.Text));
      QVERIFY2(whole.contains(text.Place),
               qPrintable(name + QStringLiteral(": ") + text.Text + QStringLiteral(" cut")));
      // Every title and label as the window shows it: not cut by the view or the window.
      const QRectF shown =
          view.mapFromScene(chart.mapRectToScene(text.Place)).boundingRect().adjusted(0, 0, -1, -1);
      QVERIFY2(ShowsWhole(*view.viewport(), shown),
               qPrintable(name + QStringLiteral(": ") + text.Text +
                          QStringLiteral(" cut by the window, at %1,%2 %3x%4")
                              .arg(shown.x())
                              .arg(shown.y())
                              .arg(shown.width())
                              .arg(shown.height())));
      bool number = false;
      text.Text.toDouble(&number);
      if (!number) continue;
      left += text.Place.right() <= plot.left() && text.Place.center().y() >= plot.top() - 1 &&
              text.Place.center().y() <= plot.bottom() + 1;
      below += text.Place.top() >= plot.bottom();
    }
    QVERIFY2(left >= 3, qPrintable(name + QStringLiteral(": %1 vertical labels").arg(left)));
    // The charts of a column share the horizontal axis: its labels are under the bottom one.
    const bool bottom = kind == RunChart::DryingRate || kind == RunChart::VapourPressure;
    if (bottom) {
      QVERIFY2(below >= leastLabelsBelow,
               qPrintable(name + QStringLiteral(": %1 horizontal labels").arg(below)));
    }
    for (const QString& entry : LegendTexts(chart)) {
      QVERIFY2(DrawnTexts(chart).contains(entry), qPrintable(name + QStringLiteral(": ") + entry));
    }
  }
  // One position axis for each column: the plots stand above one another, edge on edge.
  for (const auto& [top, bottom] : {std::pair{RunChart::WebTemperature, RunChart::DryingRate},
                                    std::pair{RunChart::Solvent, RunChart::VapourPressure}}) {
    const QRectF a = View(curves, top)->chart()->plotArea();
    const QRectF b = View(curves, bottom)->chart()->plotArea();
    QVERIFY2(qAbs(a.left() - b.left()) <= 1 && qAbs(a.right() - b.right()) <= 1,
             qPrintable(QStringLiteral("%1-%2 against %3-%4")
                            .arg(a.left())
                            .arg(a.right())
                            .arg(b.left())
                            .arg(b.right())));
  }
}

// Every column title whole in its column and every column within the table's width; with
// `warningsWhole`, the first row that has warnings shows whole.
void CheckTableReads(QTableWidget& table, bool warningsWhole) {
  QHeaderView& header = *table.horizontalHeader();
  const QFontMetrics metrics(header.font());
  for (int column = 0; column < table.columnCount(); ++column) {
    const QString title = table.horizontalHeaderItem(column)->text();
    int widest = 0;
    for (const QString& line : title.split(QLatin1Char('\n'))) {
      widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    QVERIFY2(header.sectionSize(column) >= widest, qPrintable(title));
    QVERIFY2(header.sectionViewportPosition(column) + header.sectionSize(column) <=
                 table.viewport()->width(),
             qPrintable(title + QStringLiteral(" beyond the table's width")));
  }
  if (!warningsWhole) return;
  for (int row = 0; row < table.rowCount(); ++row) {
    if (table.item(row, table.columnCount() - 1)->text().isEmpty()) continue;
    const int top = table.rowViewportPosition(row);
    QVERIFY2(top >= 0 && top + table.rowHeight(row) <= table.viewport()->height(),
             qPrintable(QStringLiteral("row %1 at %2, %3 px high, in %4 px")
                            .arg(row)
                            .arg(top)
                            .arg(table.rowHeight(row))
                            .arg(table.viewport()->height())));
    return;
  }
}

// No button of the tool bars is put away behind a "»".
void CheckToolBarWhole(const CurvesWindow& curves) {
  for (const QToolBar* bar : curves.findChildren<QToolBar*>()) {
    for (QAction* action : bar->actions()) {
      if (action->isSeparator()) continue;
      QWidget* button = bar->widgetForAction(action);
      QVERIFY2(button != nullptr && button->isVisible(), qPrintable(action->text()));
    }
  }
}

void Trigger(const CurvesWindow& curves, const char* action) {
  QAction* a = curves.findChild<QAction*>(QString::fromLatin1(action));
  QVERIFY2(a, action);
  a->trigger();
}

// A window of a data file of tests/data, after OK.
struct RunWindow : Window {
  explicit RunWindow(const char* dataFile = nullptr) {
    if (dataFile != nullptr) {
      chosenFile = DataFile(dataFile);
      Click("InputData");
    }
    Click("BitBtn1");
  }
  QChart& Chart(RunChart chart) const { return *curves.Chart(chart); }
  QTableWidget& Zones() const { return *curves.findChild<QTableWidget*>("ZoneTable"); }
  void Trigger(const char* action) const { ::Trigger(curves, action); }
};

}  // namespace

class CurvesWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { workingDirectory_ = std::make_unique<WorkingDirectory>(); }
  void cleanup() { workingDirectory_.reset(); }

  void HiddenUntilARunHasComputedZones() {
    Window w;
    QVERIFY(!w.curves.isVisible());
    w.Type("Edit2", QStringLiteral("abc"));  // refused: nothing computed
    w.Click("BitBtn1");
    QVERIFY(!w.curves.isVisible());
    // Closing the main window ends the program whether or not the curves are open.
    QVERIFY(!w.curves.testAttribute(Qt::WA_QuitOnClose));
  }

  void ThreeZonesAfterTheFinishDialog() {
    RunWindow w("three-zones.dat");
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(w.curves.isVisible());
    // The drying stops in zone 3: the title and the zone's row say so.
    const RunSeries expected = RunSeriesOf("three-zones.dat");
    QCOMPARE(expected.Warnings.size(), std::size_t(1));
    QCOMPARE(expected.Warnings[0].Where.Zone, 3);
    QCOMPARE(w.curves.windowTitle(), QStringLiteral("Drying curves — 1 warning"));
    // The main window keeps the keyboard.
    QVERIFY(!w.curves.isActiveWindow());
    for (const RunChart kind : kRunCharts) {
      QChart& chart = w.Chart(kind);
      QCOMPARE(chart.title(), QString());  // the vertical axis names it
      QCOMPARE(ZoneAxis(chart)->categoriesLabels(), (QStringList{"1", "2", "3"}));
      QCOMPARE(ZoneAxis(chart)->endValue("2"), expected.Zones[1].Exit.DryerPosition);
      QCOMPARE(XAxis(chart)->min(), 0.0);
      QCOMPARE(XAxis(chart)->max(), 80.0);
    }
    // Every point of the run is held; the lines are drawn thinned to the chart's width.
    QChart& web = w.Chart(RunChart::WebTemperature);
    QCOMPARE(ExactPoints(web, *Line(web, 0)).size(), qsizetype(expected.Points.size()));
    QCOMPARE(ExactPoints(web, *Line(web, 0)).back().y(), expected.Zones[2].Exit.Temperature);
    QVERIFY(Line(web, 0)->count() <=
            4 * std::max(View(w.curves, RunChart::WebTemperature)->width(), 300));
    QCOMPARE(LegendTexts(web), (QStringList{"Web", "Air", "Drying stopped"}));
    QVERIFY(YAxis(web)->min() <= 15 && YAxis(web)->max() >= 80);
    QChart& solvent = w.Chart(RunChart::Solvent);
    QVERIFY(YAxis(solvent)->min() <= 0 && YAxis(solvent)->max() >= 1);
    QChart& pressure = w.Chart(RunChart::VapourPressure);
    QVERIFY(YAxis(pressure)->max() >= 760);

    QTableWidget& zones = w.Zones();
    QCOMPARE(Column(zones, 0), (QStringList{"1", "2", "3"}));
    // As the result file writes them (tests/data/blessed/three-zones.txt).
    QCOMPARE(Column(zones, 1), (QStringList{"60.00", "60.00", "80.00"}));
    QCOMPARE(Column(zones, 2), (QStringList{"30.00", "30.00", "20.00"}));
    QCOMPARE(Column(zones, 3), (QStringList{"30.000", "60.000", "80.000"}));
    QCOMPARE(zones.item(2, 4)->text(), QStringLiteral("80.00"));
    QCOMPARE(zones.item(0, 5)->text(), QStringLiteral("0.0060"));
    QCOMPARE(zones.item(0, 6)->text(), QStringLiteral("0.0804"));
    QCOMPARE(zones.item(1, 7)->text(),
             QString::number(expected.Zones[1].SolventEvaporated, 'f', 5));
    QCOMPARE(Column(zones, 8),
             (QStringList{"", "", QString::fromStdString(expected.Warnings[0].Text)}));
    QVERIFY(w.curves.WarningsSummary().startsWith(QStringLiteral("<b>1 warning</b> in ")));
    QVERIFY(!w.curves.findChild<QLabel*>("RunNote")->isVisible());
  }

  // "Step error" ticked: the next run's exit figures carry their error from the step (the
  // default inputs: +0.00021 for zone 1's residual ratio 1, as `quillmere-cli run --step-error`
  // gives it); a run after it is unticked shows the plain figures again.
  void StepErrorInTheZoneTable() {
    RunWindow w;
    QCOMPARE(w.Zones().item(0, 5)->text(), QStringLiteral("0.0060"));
    QVERIFY(!w.curves.StepErrorWanted());
    w.Trigger("StepError");
    w.Click("BitBtn1");
    QCOMPARE(w.Zones().item(0, 5)->text(), QStringLiteral("0.0060 (+0.00021)"));
    QCOMPARE(w.Zones().item(0, 6)->text(), QStringLiteral("0.0804 (-0.00029)"));
    QCOMPARE(w.Zones().item(1, 4)->text(), QStringLiteral("60.00 (?)"));
    w.Trigger("StepError");
    w.Click("BitBtn1");
    QCOMPARE(w.Zones().item(0, 5)->text(), QStringLiteral("0.0060"));
  }

  void TheNextRunReplacesTheCurves() {
    RunWindow w;
    QCOMPARE(w.Zones().rowCount(), 2);
    w.chosenFile = DataFile("three-zones.dat");
    w.Click("InputData");
    w.Click("BitBtn1");
    QCOMPARE(w.Zones().rowCount(), 3);
    QCOMPARE(w.Chart(RunChart::Solvent).series().size(), 2 + 1);  // and where drying stopped
    // Closed meanwhile, the window opens again with the next run.
    w.curves.close();
    w.Click("BitBtn1");
    QVERIFY(w.curves.isVisible());
  }

  void RunEndedByAFaultShowsTheZonesItFinished() {
    RunWindow w("fault-zone2.dat");
    QCOMPARE(w.messages.errors, std::vector<std::string>{"Floating point overflow."});
    QCOMPARE(w.messages.finishCount, 0);
    QVERIFY(w.curves.isVisible());
    QCOMPARE(ZoneAxis(w.Chart(RunChart::WebTemperature))->categoriesLabels(), QStringList{"1"});
    QCOMPARE(Line(w.Chart(RunChart::WebTemperature), 0)->at(0), QPointF(0, 15));
    QCOMPARE(w.Zones().rowCount(), 1);
    QLabel* note = w.curves.findChild<QLabel*>("RunNote");
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(),
             QStringLiteral("The run ended on a fault in zone 2 (Floating point overflow): the "
                            "curves show the zones finished before it."));
  }

  void KeptRunsStayDrawnNamedByWhatDiffers() {
    RunWindow w;  // the defaults: Speed 1.0, zone 2 at 60 °C
    w.Trigger("KeepRun");
    QCOMPARE(w.curves.PinCount(), 1);
    QVERIFY(!w.curves.findChild<QAction*>("KeepRun")->isEnabled());  // kept already
    QCOMPARE(w.curves.findChild<QMenu*>("KeptRunsMenu")->actions().front()->text(),
             QStringLiteral("Remove the current run"));
    QCOMPARE(w.curves.RunNames(), QStringList{});  // drawn once while it is the current run
    QCOMPARE(w.Chart(RunChart::Solvent).series().size(), 2);

    w.Type("Edit6", QStringLiteral("1.2"));
    w.Click("BitBtn1");
    QCOMPARE(w.curves.RunNames(), (QStringList{"Speed 1.2 m/s (current)", "Speed 1.0 m/s"}));
    QCOMPARE(w.curves.KeyTexts(), w.curves.RunNames());
    // Each quantity in its colour, named once in the legend; each run in its line style.
    QChart& solvent = w.Chart(RunChart::Solvent);
    QCOMPARE(solvent.series().size(), 2 + 2);
    QCOMPARE(LegendTexts(solvent), (QStringList{"Solvent-1", "Solvent-2"}));
    QCOMPARE(Line(solvent, 0)->pen().color(), Line(solvent, 2)->pen().color());
    QVERIFY(Line(solvent, 0)->pen().color() != Line(solvent, 1)->pen().color());
    QCOMPARE(Line(solvent, 0)->pen().style(), Qt::SolidLine);
    QCOMPARE(Line(solvent, 2)->pen().style(), Qt::CustomDashLine);
    // The kept run is the one computed at 1.0 m/s: its zone 1 ends at 30 s.
    QCOMPARE(
        ExactPoints(w.Chart(RunChart::WebTemperature), *Line(w.Chart(RunChart::WebTemperature), 2))
            .size(),
        qsizetype(602));

    w.Trigger("KeepRun");
    w.Type("Edit21", QStringLiteral("80"));
    w.Click("BitBtn1");
    QCOMPARE(w.curves.RunNames(),
             (QStringList{"Speed 1.2 m/s, zone 2 air 80 °C (current)",
                          "Speed 1.0 m/s, zone 2 air 60.0 °C", "zone 2 air 60.0 °C"}));
    QCOMPARE(w.Chart(RunChart::VapourPressure).series().size(), 3 + 1);  // and the air pressure
    QCOMPARE(LegendTexts(w.Chart(RunChart::VapourPressure)).last(), QStringLiteral("Air 760 mmHg"));

    // Removing a kept run removes its lines; the legend names what still differs.
    QMenu* kept = w.curves.findChild<QMenu*>("KeptRunsMenu");
    QCOMPARE(kept->actions().front()->text(),
             QStringLiteral("Remove Speed 1.0 m/s, zone 2 air 60.0 °C"));
    w.Trigger("RemoveKept0");
    QCOMPARE(w.curves.PinCount(), 1);
    QCOMPARE(w.curves.RunNames(),
             (QStringList{"zone 2 air 80 °C (current)", "zone 2 air 60.0 °C"}));
    QCOMPARE(w.Chart(RunChart::Solvent).series().size(), 2 + 2);
    w.Trigger("RemoveAllKept");
    QCOMPARE(w.curves.PinCount(), 0);
    QCOMPARE(w.curves.RunNames(), QStringList{});
    QCOMPARE(w.curves.KeyTexts(), QStringList{});
    QCOMPARE(w.Chart(RunChart::Solvent).series().size(), 2);
    QVERIFY(!w.curves.findChild<QAction*>("RemoveKept")->isEnabled());
  }

  // The tool bar's actions have shortcuts, and Tab reaches their buttons.
  void ToolBarActionsHaveShortcutsAndTakeTheFocus() {
    RunWindow w;
    const std::pair<const char*, const char*> shortcuts[]{
        {"KeepRun", "Ctrl+K"},          {"ExportChart", "Ctrl+E"}, {"ExportCsv", "Ctrl+Shift+E"},
        {"ShowMeasurements", "Ctrl+M"}, {"ResetZoom", "Ctrl+0"},   {"LogScale", "Ctrl+L"}};
    for (const auto& [name, keys] : shortcuts) {
      QAction* action = w.curves.findChild<QAction*>(QString::fromLatin1(name));
      QCOMPARE(action->shortcut(), QKeySequence(QString::fromLatin1(keys)));
      QVERIFY(action->toolTip().endsWith(QStringLiteral("(%1)").arg(QString::fromLatin1(keys))));
      QWidget* button = nullptr;
      for (const QToolBar* bar : w.curves.findChildren<QToolBar*>()) {
        if (button == nullptr) button = bar->widgetForAction(action);
      }
      QVERIFY2(button != nullptr, name);
      QCOMPARE(button->focusPolicy(), Qt::TabFocus);
    }
    // The zone table lets Tab go on to the next control.
    QVERIFY(!w.Zones().tabKeyNavigation());
  }

  void SameInputsKeptAreSaidToBeTheSame() {
    RunWindow w;
    w.Trigger("KeepRun");
    w.Click("BitBtn1");
    QCOMPARE(w.curves.RunNames(), (QStringList{"Current run", "Kept run (same inputs)"}));
  }

  void PositionOrTimeResidualRatioOrWeight() {
    RunWindow w("three-zones.dat");
    w.Type("Edit6", QStringLiteral("0.5"));
    w.Click("BitBtn1");
    // Room enough for the axes' whole titles.
    w.curves.resize(1600, 1000);
    QCoreApplication::processEvents();
    w.Trigger("AlongTime");
    for (const RunChart kind : kRunCharts) {
      QCOMPARE(XAxis(w.Chart(kind))->titleText(), QStringLiteral("Time (s)"));
      QCOMPARE(ZoneAxis(w.Chart(kind))->endValue("3"), 160.0);
    }
    w.Trigger("ShowSolventWeight");
    QCOMPARE(YAxis(w.Chart(RunChart::Solvent))->titleText(),
             QStringLiteral("Solvent weight (kg/m2)"));
    QCOMPARE(Line(w.Chart(RunChart::Solvent), 0)->at(0).y(), 0.0695 * 0.60);
    w.Trigger("AlongPosition");
    w.Trigger("ShowResidualRatio");
    QCOMPARE(XAxis(w.Chart(RunChart::Solvent))->titleText(),
             QStringLiteral("Position along the dryer (m)"));
    QCOMPARE(YAxis(w.Chart(RunChart::Solvent))->titleText(), QStringLiteral("Residual ratio (-)"));
  }

  void PointerShowsTheValuesOfEachRun() {
    RunWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.curves));
    const RunSeries expected = RunSeriesOf("");
    QChartView& view = *View(w.curves, RunChart::WebTemperature);
    MovePointerTo(view, QPointF(12.31, 40));
    QVERIFY2(w.curves.HoverText().startsWith(QStringLiteral("Position 12.")) &&
                 w.curves.HoverText().endsWith(QStringLiteral("Air 60.00 °C")),
             qPrintable(w.curves.HoverText()));
    // Beside the pointer, in a box of the chart that stays while the pointer rests there.
    auto& curve = static_cast<CurveView&>(view);
    QCOMPARE(curve.TipText(), w.curves.HoverLines());
    QApplication::processEvents();
    QCOMPARE(curve.TipText(), w.curves.HoverLines());
    // Values as the result file writes them (tests/data/blessed/defaults.txt, 12.300 m).
    w.curves.ShowValuesAt(RunChart::WebTemperature, 12.3);
    QCOMPARE(w.curves.HoverText(),
             QStringLiteral("Position 12.300 m (zone 1) — Web 44.09 °C, Air 60.00 °C"));
    QCOMPARE(w.curves.HoverLines(),
             QStringLiteral("Position 12.300 m (zone 1)\nWeb 44.09 °C, Air 60.00 °C"));
    // Outside the plot: nothing.
    QMouseEvent away(QEvent::MouseMove, QPoint(2, 2), view.viewport()->mapToGlobal(QPoint(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &away);
    QCOMPARE(w.curves.HoverText(), QString());
    QCOMPARE(curve.TipText(), QString());

    // With a run kept: each run's values at its own nearest point, its zone where another.
    // (quillmere-cli run with Speed 2 writes 0.0300 and 0.1885 at 45 m, 22.500 s; the defaults
    // 0.0054 and 0.0761, tests/data/blessed/defaults.txt.)
    w.Trigger("KeepRun");
    w.Type("Edit6", QStringLiteral("2"));
    w.Click("BitBtn1");
    w.curves.ShowValuesAt(RunChart::Solvent, 45.0);
    QCOMPARE(w.curves.HoverText(),
             QStringLiteral("Position 45.000 m (zone 2) — Speed 2 m/s (current): Solvent-1 "
                            "0.0300, Solvent-2 0.1885; Speed 1.0 m/s: Solvent-1 0.0054, "
                            "Solvent-2 0.0761"));
  }

  // Under a "," locale every number the window writes has ",": the table, the pointer's
  // values and the axes' labels.
  void NumbersTakeTheUsersDecimalSeparator() {
    Window w(',');
    w.Click("BitBtn1");
    QTableWidget& zones = *w.curves.findChild<QTableWidget*>("ZoneTable");
    // tests/data/blessed/defaults-comma.txt
    QCOMPARE(zones.item(0, 3)->text(), QStringLiteral("30,000"));
    QCOMPARE(zones.item(0, 5)->text(), QStringLiteral("0,0060"));
    w.curves.ShowValuesAt(RunChart::WebTemperature, 12.3);
    QVERIFY2(w.curves.HoverText().startsWith(QStringLiteral("Position 12,300 m")),
             qPrintable(w.curves.HoverText()));
    QCOMPARE(w.curves.Chart(RunChart::Solvent)->locale().decimalPoint(), QStringLiteral(","));
    QVERIFY(w.curves.Chart(RunChart::Solvent)->localizeNumbers());
  }

  // On a laptop's work area (1366 × 768 less its panel) and a small screen's, less the
  // window's frame, with the plant figures, a run kept and warnings: every chart has the
  // height to read, every axis at least three whole tick labels (the logarithmic one too),
  // no title, legend entry, key or column title is cut, and the warnings' rows show whole.
  void EverythingReadsOnLaptopScreens_data() {
    QTest::addColumn<QSize>("workArea");
    QTest::newRow("1366 x 700") << QSize(1366, 700);
    QTest::newRow("1024 x 640") << QSize(1024, 640);
  }
  void EverythingReadsOnLaptopScreens() {
    QFETCH(QSize, workArea);
    Window w;
    w.chosenFile = QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/examples/plant-line4.dat");
    w.Click("InputData");
    w.Click("BitBtn1");
    w.curves.KeepRun();
    w.Type("Edit6", QStringLiteral("1.2"));
    w.Click("BitBtn1");
    QVERIFY(w.curves.Plant().HasContent() && w.curves.Plant().WarningCount() > 0);
    QVERIFY(!w.curves.WarningsSummary().isEmpty());
    // The window within the work area less its frame: a title bar and borders, as the
    // common window managers draw them (the offscreen platform draws none).
    constexpr QSize kUsualFrame{8, 34};
    w.curves.resize(workArea - kUsualFrame.expandedTo(FrameAllowance(w.curves)));
    QVERIFY(QTest::qWaitForWindowExposed(&w.curves));
    QCoreApplication::processEvents();
    CheckChartsRead(w.curves);
    Trigger(w.curves, "LogScale");
    QCoreApplication::processEvents();
    CheckChartsRead(w.curves);
    CheckTableReads(*w.curves.findChild<QTableWidget*>("ZoneTable"), true);
    CheckToolBarWhole(w.curves);
    w.curves.ShowPlantPage();
    QCoreApplication::processEvents();
    CheckTableReads(*w.curves.Plant().Table(), false);
    auto* plantChart = w.curves.Plant().findChild<QChartView*>(QStringLiteral("PlantChart"));
    for (const DrawnText& text : DrawnTextPlaces(*plantChart->chart())) {
      QVERIFY2(!Elided(text.Text), qPrintable(text.Text));
    }
    QVERIFY(plantChart->chart()->plotArea().height() >= 100);

    // At the window's least size the buttons are all there, and the first warning's row
    // shows whole.
    w.curves.ShowCurvesPage();
    w.curves.resize(w.curves.minimumSize());
    QCoreApplication::processEvents();
    CheckToolBarWhole(w.curves);
    // The run's buttons share the row of the pages' tabs: the charts lose no row to them.
    const auto* pages = w.curves.findChild<QTabWidget*>(QStringLiteral("CurvesPages"));
    QVERIFY(pages->isAncestorOf(w.curves.findChild<QToolBar*>(QStringLiteral("RunToolBar"))));
    QCOMPARE(
        pages->geometry().top(),
        w.curves.findChild<QToolBar*>(QStringLiteral("CurvesToolBar"))->geometry().bottom() + 1);
    CheckTableReads(*w.curves.findChild<QTableWidget*>("ZoneTable"), true);
    // The columns' titles take three lines there, and leave the warnings the width.
    QCOMPARE(w.curves.findChild<QTableWidget*>("ZoneTable")->horizontalHeaderItem(5)->text(),
             QStringLiteral("Residual\nratio 1 at\nexit (-)"));
  }

  // At the window's least size, with a zone whose warnings run to many lines, the table gives
  // up that row's height before the charts give up theirs: every axis still shows whole.
  void TheChartsReadAtTheLeastSize() {
    Window w;
    w.Click("BitBtn1");
    w.curves.KeepRun();
    w.Type("Edit6", QStringLiteral("1.5"));
    w.Type("Edit21", QStringLiteral("140"));
    w.Click("BitBtn1");
    QVERIFY(!w.curves.WarningsSummary().isEmpty());
    w.curves.resize(w.curves.minimumSize());
    QVERIFY(QTest::qWaitForWindowExposed(&w.curves));
    QCoreApplication::processEvents();
    CheckChartsRead(w.curves, 120, 2);
  }

  // The plant example OK'd alone, then its live preview on the same screens (zone 2's air
  // typed): the charts built anew for each and those the next preview fills in place. The
  // legends beside the plots give every name its whole width ("Drying stopped").
  void ThePreviewReadsOnLaptopScreens_data() { EverythingReadsOnLaptopScreens_data(); }
  void ThePreviewReadsOnLaptopScreens() {
    QFETCH(QSize, workArea);
    Window w;
    w.chosenFile = QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/examples/plant-line4.dat");
    w.Click("InputData");
    constexpr QSize kUsualFrame{8, 34};
    w.curves.resize(workArea - kUsualFrame.expandedTo(FrameAllowance(w.curves)));
    w.Click("BitBtn1");
    QVERIFY(QTest::qWaitForWindowExposed(&w.curves));
    QCoreApplication::processEvents();
    CheckChartsRead(w.curves);
    w.Type("Edit21", QStringLiteral("90.0"));
    w.form.Preview()->RunNow();
    QVERIFY(w.curves.Previewing());
    QCoreApplication::processEvents();
    CheckChartsRead(w.curves);
    // A second preview copies its values into the charts shown.
    w.Type("Edit21", QStringLiteral("95.0"));
    w.form.Preview()->RunNow();
    QCoreApplication::processEvents();
    CheckChartsRead(w.curves);
  }

  // The curves window opens within the screen's available area, frame included, however
  // small the screen (the offscreen screen is smaller than the window's first size), and
  // can shrink to it; so does the main window.
  void WindowsOpenWithinTheScreen() {
    RunWindow w;
    for (QWidget* window : {static_cast<QWidget*>(&w.curves), static_cast<QWidget*>(&w.form)}) {
      const QRect room = AvailableRoom(*window);
      const QSize frame = FrameAllowance(*window);
      const QRect outer(window->pos(), window->size() + frame);
      QVERIFY2(room.contains(outer), qPrintable(window->objectName()));
      QVERIFY(window->minimumWidth() + frame.width() <= room.width());
      QVERIFY(window->minimumHeight() + frame.height() <= room.height());
    }
  }

  // After OK the curves have the keyboard; Ctrl+I goes back to the inputs, Ctrl+D to the
  // curves, and Ctrl+Enter runs OK from every page.
  void KeysGoBetweenTheInputsAndTheCurves() {
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    auto* notebook = w.Named<QTabWidget>("TabbedNotebook1");
    notebook->setCurrentIndex(3);
    QTest::keyClick(w.Edit("Edit201"), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(QTest::qWaitForWindowActive(&w.curves));
    QTest::keyClick(&w.curves, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    notebook->setCurrentIndex(4);
    QTest::keyClick(notebook->currentWidget(), Qt::Key_D, Qt::ControlModifier);
    QVERIFY(QTest::qWaitForWindowActive(&w.curves));
    QCOMPARE(w.messages.finishCount, 1);
  }

  // A chart or a table with the keyboard focus shows it, in a frame of the highlight colour.
  void ChartsAndTablesShowTheFocus_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("chart") << "Chart1";
    QTest::newRow("zone table") << "ZoneTable";
  }
  void ChartsAndTablesShowTheFocus() {
    QFETCH(QString, name);
    RunWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.curves));
    QWidget* widget = w.curves.findChild<QWidget*>(name);
    QVERIFY(widget->focusPolicy() & Qt::TabFocus);
    QWidget* parent = widget->parentWidget();
    const auto picture = [&] {
      QApplication::processEvents();
      return parent->grab(widget->geometry().adjusted(-3, -3, 3, 3)).toImage();
    };
    const QImage unfocused = picture();
    widget->setFocus(Qt::TabFocusReason);
    const QImage focused = picture();
    QVERIFY(focused != unfocused);
    const QColor highlight = w.curves.palette().color(QPalette::Active, QPalette::Highlight);
    // Its left edge, beside the chart or the table.
    bool framed = false;
    for (int x = 0; x <= 3; ++x) framed |= focused.pixelColor(x, focused.height() / 2) == highlight;
    QVERIFY(framed);
  }

  void DraggingZoomsAndResetGoesBack() {
    Window w;
    w.Type("Edit20", QStringLiteral("0.02"));  // two zones of 1500 steps
    w.Click("BitBtn1");
    QVERIFY(QTest::qWaitForWindowExposed(&w.curves));
    QChartView& view = *View(w.curves, RunChart::Solvent);
    QChart& chart = *view.chart();
    // The long lines are drawn thinned to the plot's width ...
    QXYSeries& line = *Line(chart, 0);
    QCOMPARE(ExactPoints(chart, line).size(), 3002);
    QVERIFY(line.count() <= 4 * chart.plotArea().width());
    const auto at = [&](double x, double y) {
      return view.mapFromScene(
          chart.mapToScene(chart.mapToPosition({x, y}, chart.series().front())));
    };
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at(10, 0.9));
    QTest::mouseMove(view.viewport(), at(20, 0.1));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at(20, 0.1));
    QValueAxis& x = *XAxis(chart);
    QVERIFY2(qAbs(x.min() - 10) < 0.5 && qAbs(x.max() - 20) < 0.5,
             qPrintable(QStringLiteral("%1 to %2").arg(x.min()).arg(x.max())));
    QCOMPARE(ZoneAxis(chart)->max(), x.max());
    // The charts share the position axis: the zoom applies to every one of them.
    for (const RunChart other : kRunCharts) {
      QCOMPARE(XAxis(*w.curves.Chart(other))->min(), x.min());
      QCOMPARE(XAxis(*w.curves.Chart(other))->max(), x.max());
      QCOMPARE(ZoneAxis(*w.curves.Chart(other))->max(), x.max());
    }
    // ... and zoomed in, from every point in the range.
    qsizetype inRange = 0;
    for (const QPointF& p : ExactPoints(chart, line))
      inRange += p.x() >= x.min() && p.x() <= x.max();
    QCOMPARE(line.count(), inRange + 2);  // and one beyond each side
    // Zooming out goes back to the whole run at most, never beyond it.
    for (int i = 0; i < 4; ++i) w.curves.ZoomOut(RunChart::Solvent);
    QVERIFY2(qAbs(x.min()) < 1e-6 && qAbs(x.max() - 60) < 1e-6,
             qPrintable(QStringLiteral("%1 to %2").arg(x.min()).arg(x.max())));
    MovePointerTo(view, QPointF(30, 0.5));
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at(10, 0.9));
    QTest::mouseMove(view.viewport(), at(20, 0.1));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at(20, 0.1));
    Trigger(w.curves, "ResetZoom");
    for (const RunChart other : kRunCharts) {
      QCOMPARE(XAxis(*w.curves.Chart(other))->min(), 0.0);
      QCOMPARE(XAxis(*w.curves.Chart(other))->max(), 60.0);
    }
  }

  void ChartsAreWrittenAsPngOrSvg_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("svg") << "rate.svg"
                         << "rate.svg" << QByteArray("<?xml");
    QTest::newRow("png") << "rate.PNG"
                         << "rate.PNG" << QByteArray("\x89PNG");
    QTest::newRow("no extension: png") << "rate"
                                       << "rate.png" << QByteArray("\x89PNG");
  }
  void ChartsAreWrittenAsPngOrSvg() {
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(QByteArray, start);
    RunWindow w;
    w.savePath = workingDirectory_->FilePath(name);
    w.Trigger("ExportChart2");
    QCOMPARE(w.suggestedSaves, QStringList{workingDirectory_->FilePath("drying-rate.png")});
    const QByteArray bytes = ReadAll(workingDirectory_->FilePath(written));
    QVERIFY(bytes.startsWith(start));
    if (start == "<?xml") {
      QVERIFY(bytes.contains("Drying rate (kg/m2.s)"));
      QVERIFY(bytes.contains("<title>Drying rate</title>"));  // the file names the chart
    } else {
      QCOMPARE(QImage::fromData(bytes).size(), kChartFileSize);
    }
    QVERIFY(w.messages.errors.empty());
  }

  void ChartThatCannotBeWrittenIsReported() {
    RunWindow w;
    w.savePath = workingDirectory_->FilePath("missing/web.svg");
    w.Trigger("ExportChart0");
    QCOMPARE(w.messages.errors,
             std::vector<std::string>{"Could not write the picture \"" + w.savePath->toStdString() +
                                      "\": No such file or directory."});
    w.savePath.reset();  // the dialog cancelled: nothing happens
    w.Trigger("ExportChart1");
    QCOMPARE(w.suggestedSaves.last(), workingDirectory_->FilePath("residual-ratio.png"));
    QCOMPARE(w.messages.errors.size(), std::size_t(1));
  }

  void CsvOfTheCurrentRunBesideItsResultFile() {
    Window w;
    QVERIFY(!w.curves.findChild<QAction*>("ExportCsv")->isEnabled());  // no run yet
    w.chosenFile = DataFile("three-zones.dat");
    w.Click("InputData");
    w.Type("Edit250", QStringLiteral("line3.txt"));
    w.Click("BitBtn1");
    w.savePath = workingDirectory_->FilePath("line3.csv");
    Trigger(w.curves, "ExportCsv");
    QCOMPARE(w.suggestedSaves, QStringList{workingDirectory_->FilePath("line3.csv")});
    const RunSeries expected =
        RunSeriesOf(TextsOf("three-zones.dat", {{"SaveFileName", "line3.txt"}}));
    QCOMPARE(ReadAll(*w.savePath).toStdString(), RunCsv(expected));
    QVERIFY(w.messages.errors.empty());

    w.savePath = workingDirectory_->FilePath("missing/line3.csv");
    Trigger(w.curves, "ExportCsv");
    QCOMPARE(w.messages.errors, std::vector<std::string>{"Could not create the CSV file \"" +
                                                         w.savePath->toStdString() +
                                                         "\": No such file or directory."});
  }

  // No export is written over a file the program has read: the data file loaded (a link to it
  // too), the measurement file and the fit report shown, the user's solvent library. Each is
  // refused in the error box and left as it was; an export elsewhere is written whole.
  void AnExportOverAFileReadIsRefused() {
    const QString dataFile = workingDirectory_->FilePath(QStringLiteral("line3.dat"));
    QVERIFY(QFile::copy(DataFile("three-zones.dat"), dataFile));
    QVERIFY(QFile::link(dataFile, workingDirectory_->FilePath(QStringLiteral("link.png"))));
    const QString measured = workingDirectory_->FilePath(QStringLiteral("line.csv"));
    QVERIFY(WriteAll(measured, "position_m,quantity,value\n10,temperature,45\n"));
    const QString report = workingDirectory_->FilePath(QStringLiteral("fit.json"));
    QVERIFY(WriteAll(report, R"({"parameters": [
      {"name": "Keff", "fitted": 0.3, "standard_error": 0.006}],
      "correlation": {"parameters": ["Keff"], "matrix": [[1]]}})"));
    const QString library = workingDirectory_->FilePath(QStringLiteral("quillmere/solvents.csv"));
    QVERIFY(QDir().mkpath(QFileInfo(library).path()));
    QVERIFY(WriteAll(library, "a library\n"));
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", workingDirectory_->Path().toUtf8());
    Window w;
    w.chosenFile = dataFile;
    w.Click("InputData");
    w.Click("BitBtn1");
    QVERIFY(w.curves.LoadMeasurements(measured));
    QVERIFY(w.curves.LoadFitReport(report));
    const QByteArray before = ReadAll(dataFile);
    const auto refusal = [](const QString& kind, const QString& name, const QString& read,
                            const QString& readName) {
      return QStringLiteral(
                 "The %1 \"%2\" is the %3 \"%4\" of this run, which is left as it "
                 "is. Choose another %1.")
          .arg(kind, name, read, readName)
          .toStdString();
    };
    const std::vector<std::tuple<const char*, QString, std::string>> refused{
        {"ExportCsv", dataFile, refusal("CSV file", dataFile, "data file", dataFile)},
        {"ExportChart0", workingDirectory_->FilePath(QStringLiteral("link.png")),
         refusal("picture", workingDirectory_->FilePath(QStringLiteral("link.png")), "data file",
                 dataFile)},
        {"ExportCsv", measured, refusal("CSV file", measured, "measurement file", measured)},
        {"ExportCsv", report, refusal("CSV file", report, "fit report", report)},
        {"ExportCsv", library, refusal("CSV file", library, "solvent library", library)},
    };
    for (const auto& [action, target, message] : refused) {
      w.messages.errors.clear();
      w.savePath = target;
      Trigger(w.curves, action);
      QCOMPARE(w.messages.errors, std::vector<std::string>{message});
    }
    qputenv("XDG_DATA_HOME", dataHome);
    QCOMPARE(ReadAll(dataFile), before);
    QCOMPARE(ReadAll(library), QByteArray("a library\n"));
    QVERIFY(ReadAll(measured).startsWith("position_m"));
    QVERIFY(ReadAll(report).startsWith("{\"parameters\""));
    w.messages.errors.clear();
    w.savePath = workingDirectory_->FilePath(QStringLiteral("line3.csv"));
    Trigger(w.curves, "ExportCsv");
    QVERIFY(w.messages.errors.empty());
    QVERIFY(ReadAll(*w.savePath).size() > 1000);
    // No temporary file is left beside an export.
    QCOMPARE(QDir(workingDirectory_->Path())
                 .entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files),
             QStringList{});
  }

  void WarningsShowInTheTitleAndTheirZonesRow() {
    Window w;
    RunSeries run = RunSeriesOf("");
    QVERIFY(run.Warnings.empty());
    w.curves.ShowRun(run, InputsOf(w.form.Fields()));
    QCOMPARE(w.curves.windowTitle(), QStringLiteral("Drying curves"));
    PhysicalWarning warning;
    warning.Where = run.Zones[1].Exit;
    for (const char* text : {"Condensing", "Boiling"}) {
      warning.Text = text;
      run.Warnings.push_back(warning);
    }
    warning.Where.Zone = 3;  // a zone the run did not reach
    warning.Text = "Not physical";
    run.Warnings.push_back(warning);
    w.curves.ShowRun(run, InputsOf(w.form.Fields()));
    QCOMPARE(w.curves.windowTitle(), QStringLiteral("Drying curves — 3 warnings"));
    QTableWidget& zones = *w.curves.findChild<QTableWidget*>("ZoneTable");
    QCOMPARE(Column(zones, 8), (QStringList{"", "Condensing\nBoiling"}));
    QCOMPARE(zones.item(1, 0)->toolTip(), QStringLiteral("Condensing\nBoiling"));
    QCOMPARE(w.curves.findChild<QLabel*>("RunNote")->text(),
             QStringLiteral("Zone 3: Not physical"));
    // One line counts the warnings the table gives and links the zone that has them.
    QCOMPARE(w.curves.WarningsSummary(),
             QStringLiteral("<b>3 warnings</b> in <a href=\"zone:2\">zone 2</a>, zone 3 (the "
                            "rows below give them in full; a zone shows its row)"));
    QCOMPARE(zones.selectionModel()->selectedRows().size(), 1);
    QCOMPARE(zones.selectionModel()->selectedRows().front().row(), 1);
  }

  // A coating that enters at 90 °C boils at once: the curves say so in their title and in
  // zone 1's row, as the command line does.
  void ABoilingCoatingIsNamedInItsZonesRow() {
    Window w;
    w.Type("Edit7", QStringLiteral("90.0"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(w.curves.windowTitle().startsWith(QStringLiteral("Drying curves — ")));
    QTableWidget& zones = *w.curves.findChild<QTableWidget*>("ZoneTable");
    const QString zone1 = zones.item(0, 8)->text();
    QVERIFY2(zone1.contains(QStringLiteral("In zone 1 the coating boils from 0.00 m")),
             qPrintable(zone1));
  }

  // A fit's report loaded through "Fit's uncertainty...": the next run's curves get the band of
  // their 95 % interval, the web temperature's and each solvent's, around the run.
  void TheFitsUncertaintyIsABandAroundTheCurves() {
    const QString path = workingDirectory_->FilePath(QStringLiteral("fit.json"));
    QVERIFY(WriteAll(path, R"({"parameters": [
      {"name": "Keff", "fitted": 0.3, "standard_error": 0.006},
      {"name": "We", "fitted": 0.1, "standard_error": 0.002}],
      "correlation": {"parameters": ["Keff", "We"], "matrix": [[1, 0.2], [0.2, 1]]}})"));
    Window w;
    QVERIFY(w.curves.LoadFitReport(path));
    QVERIFY(!w.curves.LoadFitReport(workingDirectory_->FilePath(QStringLiteral("none.json"))));
    QVERIFY(w.curves.Uncertainty().has_value());  // the one loaded before stays
    w.Click("BitBtn1");
    const auto bands = [&](RunChart kind) {
      QList<QAreaSeries*> found;
      for (QAbstractSeries* series : w.curves.Chart(kind)->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(series)) found << area;
      }
      return found;
    };
    QCOMPARE(bands(RunChart::WebTemperature).size(), 1);
    const QList<QAreaSeries*> solvent = bands(RunChart::Solvent);
    QCOMPARE(solvent.size(), 2);
    QCOMPARE(solvent[0]->name(), QStringLiteral("95 % interval"));
    // At the dryer's exit the band of residual ratio 1 holds the run's 0.005436 and is as wide
    // as run --uncertainty's interval there (0.005072 to 0.005800, linearised).
    const QPointF low = solvent[0]->lowerSeries()->points().back();
    const QPointF high = solvent[0]->upperSeries()->points().back();
    QVERIFY(low.y() < 0.005436 && 0.005436 < high.y());
    QCOMPARE(qRound(low.y() * 1e6), 5072);
    QCOMPARE(qRound(high.y() * 1e6), 5800);
    QVERIFY(bands(RunChart::DryingRate).isEmpty());
  }

  // Measured points over the current run: temperatures in the web temperature chart, residual
  // ratios in the solvent chart, at their places along the chart's axis; a place beyond the
  // run is left out; a file that cannot be read is said with its line, the points shown stay.
  void MeasurementsAreDrawnOverTheRun() {
    RunWindow w("three-zones.dat");  // 80 m at 1 m/s
    const QString path = workingDirectory_->FilePath(QStringLiteral("line.csv"));
    QVERIFY(WriteAll(path,
                     "position_m,quantity,value\n10,temperature,45\n30,temperature,70\n"
                     "90,temperature,60\n60,residual1,0.006\n75,residual2,0.08\n"));
    QVERIFY(w.curves.LoadMeasurements(path));
    const auto measured = [&](RunChart kind, const QString& name) {
      for (QAbstractSeries* series : w.Chart(kind).series()) {
        if (series->name() == name) return qobject_cast<QXYSeries*>(series)->points();
      }
      return QList<QPointF>();
    };
    QCOMPARE(measured(RunChart::WebTemperature, "Measured"), (QList<QPointF>{{10, 45}, {30, 70}}));
    QCOMPARE(measured(RunChart::Solvent, "Measured Solvent-1"), (QList<QPointF>{{60, 0.006}}));
    QCOMPARE(measured(RunChart::Solvent, "Measured Solvent-2"), (QList<QPointF>{{75, 0.08}}));
    QVERIFY(measured(RunChart::DryingRate, "Measured").isEmpty());
    // On a logarithmic axis too.
    w.Trigger("LogScale");
    QVERIFY(qobject_cast<QLogValueAxis*>(w.Chart(RunChart::Solvent).axes(Qt::Vertical).front()));
    QCOMPARE(measured(RunChart::Solvent, "Measured Solvent-1"), (QList<QPointF>{{60, 0.006}}));
    w.Trigger("LogScale");
    QVERIFY(YAxis(w.Chart(RunChart::Solvent)) != nullptr);
    // Along time (1 s a metre), and the weights have none.
    w.Trigger("AlongTime");
    QCOMPARE(measured(RunChart::WebTemperature, "Measured").size(), qsizetype(2));
    QCOMPARE(measured(RunChart::WebTemperature, "Measured").front().x(), 10.0);
    w.Trigger("ShowSolventWeight");
    QVERIFY(measured(RunChart::Solvent, "Measured Solvent-1").isEmpty());

    QVERIFY(WriteAll(path, "position_m,quantity,value\n10,temperature,4,5\n"));
    QVERIFY(!w.curves.LoadMeasurements(path));
    QCOMPARE(w.messages.errors.size(), std::size_t(1));
    QVERIFY(w.messages.errors[0].find("line 2") != std::string::npos);
    QCOMPARE(measured(RunChart::WebTemperature, "Measured").size(), qsizetype(2));
    w.Trigger("HideMeasurements");
    QVERIFY(measured(RunChart::WebTemperature, "Measured").isEmpty());
  }

 private:
  std::unique_ptr<WorkingDirectory> workingDirectory_;
};

QTEST_MAIN(CurvesWindowTest)
#include "CurvesWindowTest.moc"
