// The picture of a sweep: its lines, their axes and the legend.
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>
#include <optional>
#include <vector>

#include "plot/SweepChart.h"
#include "report/FileIO.h"

using namespace quillmere;
using namespace quillmere::plot;

namespace {

//! Finished rows over a grid, with exit values that tell the case apart.
std::vector<std::optional<SweepRow>> Rows(const SweepGrid& grid) {
  std::vector<std::optional<SweepRow>> rows;
  for (std::size_t i = 0; i < grid.CaseCount(); ++i) {
    SweepRow row;
    row.Case = i + 1;
    row.Values = grid.Values(i);
    row.Finished = true;
    row.Exit.Solvent1Residual = 0.01 * double(i);
    row.Exit.Solvent2Residual = 0.02 * double(i);
    row.Exit.Temperature = 40.0 + double(i);
    rows.push_back(row);
  }
  return rows;
}

//! The legend's entries as it shows them, laid out in a scene.
QStringList LegendNames(QChart& chart) {
  QGraphicsScene scene;
  scene.addItem(&chart);
  chart.setGeometry(0, 0, 900, 600);
  QCoreApplication::processEvents();
  QStringList names;
  for (QLegendMarker* marker : chart.legend()->markers()) {
    if (marker->isVisible()) names << marker->label();
  }
  scene.removeItem(&chart);
  return names;
}

}  // namespace

class SweepChartTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void OneInputNamesItsThreeLines() {
    const SweepGrid grid({ParseSweepAxis("Speed=1,2,3")});
    std::vector<std::optional<SweepRow>> rows = Rows(grid);
    rows[1]->Finished = false;  // a case that ended early has no point
    const auto chart = SweepChart(grid.Axes(), rows);
    QCOMPARE(chart->series().size(), 3);
    QCOMPARE(LegendNames(*chart),
             (QStringList{"Solvent-1 residual ratio", "Solvent-2 residual ratio",
                          "Web temperature (right axis)"}));
    auto* solvent2 = qobject_cast<QLineSeries*>(chart->series()[1]);
    QCOMPARE(solvent2->points(), (QList<QPointF>{{1, 0.0}, {3, 0.04}}));
    auto* temperature = qobject_cast<QLineSeries*>(chart->series()[2]);
    QCOMPARE(temperature->points(), (QList<QPointF>{{1, 40}, {3, 42}}));
    // The temperature has the axis at the right, the residual ratios that at the left.
    const auto vertical = temperature->attachedAxes();
    QCOMPARE(vertical.size(), 2);
    QVERIFY(vertical.contains(chart->axes(Qt::Horizontal).first()));
    auto* right = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical, temperature).first());
    QCOMPARE(right->alignment(), Qt::AlignRight);
    QCOMPARE(right->titleText(), QString::fromUtf8("Web temperature (°C)"));
    // 40 to 42 °C with 5 % of room, on round numbers; round ticks (not 30.0, 42.5, 55.0).
    QCOMPARE(right->min(), 39.8);
    QCOMPARE(right->max(), 42.2);
    QCOMPARE(right->tickType(), QValueAxis::TicksDynamic);
    QCOMPARE(right->tickAnchor(), 0.0);
    QCOMPARE(chart->axes(Qt::Horizontal).first()->titleText(), QStringLiteral("Speed (m/s)"));
  }

  void TwoInputsGiveALineOfEachValueOfTheSecond() {
    const SweepGrid grid({ParseSweepAxis("Speed=1,2"), ParseSweepAxis("Edit21=40,60,80")});
    std::vector<KeyEntry> key;
    const auto chart = SweepChart(grid.Axes(), Rows(grid), &key);
    QCOMPARE(chart->series().size(), 9);
    // The legend names the quantities (by their colours), the key each value of the second
    // input (by its line style).
    QCOMPARE(LegendNames(*chart),
             (QStringList{"Solvent-1 residual ratio", "Solvent-2 residual ratio",
                          "Web temperature (right axis)"}));
    QCOMPARE(key.size(), std::size_t(3));
    QCOMPARE(key[0].Text, QString::fromUtf8("Zone2.OuterTemperature (°C) = 40"));
    QCOMPARE(key[2].Text, QString::fromUtf8("Zone2.OuterTemperature (°C) = 80"));
    QCOMPARE(key[0].Look, SeriesLook::Line);
    QCOMPARE(key[1].Look, SeriesLook::Dashed);
    // The Solvent-1 line of 60 °C: cases 2 and 5 of the grid, dashed, in Solvent-1's colour.
    auto* line = qobject_cast<QLineSeries*>(chart->series()[2]);
    QCOMPARE(line->points(), (QList<QPointF>{{1, 0.01}, {2, 0.04}}));
    QCOMPARE(line->pen().style(), Qt::CustomDashLine);
    QCOMPARE(line->pen().color(), QColor(0x0072b2));
    QCOMPARE(chart->title(), QStringLiteral("At the dryer's exit"));
  }

  void WritesThePictureItsNameAsks() {
    QTemporaryDir scratch;
    const SweepGrid grid({ParseSweepAxis("Keff=0.1,0.2")});
    QVERIFY(IsChartFileName("a.svg") && IsChartFileName("b.PNG") && !IsChartFileName("c.pdf"));
    SaveSweepChart(grid.Axes(), Rows(grid), scratch.filePath("k.svg").toStdString());
    QFile svg(scratch.filePath("k.svg"));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QVERIFY(svg.readAll().contains("<title>At the dryer's exit</title>"));
    bool refused = false;
    try {
      SaveSweepChart(grid.Axes(), Rows(grid), scratch.filePath("missing/k.png").toStdString());
    } catch (const FileError&) {
      refused = true;
    }
    QVERIFY(refused);
  }
};

QTEST_MAIN(SweepChartTest)
#include "SweepChartTest.moc"
