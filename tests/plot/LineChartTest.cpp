// Line charts of named series, and the thinning of long lines for drawing.
#include <QCategoryAxis>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QtTest>

#include <cmath>
#include <vector>
#include "ChartParts.h"

#include "plot/LineChart.h"

using namespace quillmere::plot;

using namespace quillmere::test;

namespace {

// A wiggly line of n points over x from 0 to 1: every bucket has its own highs and lows.
QList<QPointF> Wiggle(int n) {
  QList<QPointF> points;
  for (int i = 0; i < n; ++i) {
    const double x = double(i) / (n - 1);
    points.append(QPointF(x, std::sin(40 * x) + 0.3 * std::sin(997 * x)));
  }
  return points;
}

// The lowest and highest y of the points in pixel column `column` of `columns` over x from 0
// to 1.
std::pair<double, double> YExtent(const QList<QPointF>& points, int column, int columns) {
  double low = HUGE_VAL;
  double high = -HUGE_VAL;
  for (const QPointF& p : points) {
    if (std::min(columns - 1, int(p.x() * columns)) != column) continue;
    low = std::min(low, p.y());
    high = std::max(high, p.y());
  }
  return {low, high};
}

}  // namespace

class LineChartTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ThinningKeepsEveryPixelColumnsExtent_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("buckets");
    QTest::newRow("14 zones of 1999 steps, 800 px") << 14 * 2000 << 800;
    QTest::newRow("one zone, 300 px") << 2000 << 300;
    QTest::newRow("few points per column") << 1300 << 300;
  }
  void ThinningKeepsEveryPixelColumnsExtent() {
    QFETCH(int, points);
    QFETCH(int, buckets);
    const QList<QPointF> line = Wiggle(points);
    const QList<QPointF> thin = ThinForWidth(line, buckets);
    QVERIFY(thin.size() <= 4 * buckets);
    QCOMPARE(thin.front(), line.front());
    QCOMPARE(thin.back(), line.back());
    for (qsizetype i = 1; i < thin.size(); ++i) QVERIFY(thin[i - 1].x() < thin[i].x());
    for (int b = 0; b < buckets; ++b)
      QCOMPARE(YExtent(thin, b, buckets), YExtent(line, b, buckets));
  }

  void ShortOrFlatLinesStayWhole() {
    const QList<QPointF> line = Wiggle(400);
    QCOMPARE(ThinForWidth(line, 100), line);  // at most 4 points a column
    QCOMPARE(ThinForWidth(line, 0), line);
    const QList<QPointF> upright(500, QPointF(3, 1));  // no x range to cut
    QCOMPARE(ThinForWidth(upright, 10), upright);
  }

  void LongLinesAreDrawnThinnedToTheRangeShown() {
    const QList<QPointF> line = Wiggle(28000);
    const std::vector<NamedSeries> series{{"long", line, SeriesLook::Line, {}},
                                          {"short", {{0, 0}, {1, 1}}, SeriesLook::Line, {}}};
    const auto chart = LineChart("", "x", "y", series);
    ThinLinesToPlotWidth(*chart, 200);
    auto* drawn = static_cast<QXYSeries*>(chart->series()[0]);
    auto* whole = static_cast<QXYSeries*>(chart->series()[1]);
    QVERIFY(drawn->count() <= 4 * 200);
    QCOMPARE(ExactPoints(*chart, *drawn), line);
    QCOMPARE(whole->count(), 2);
    QCOMPARE(ExactPoints(*chart, *whole), series[1].Points);
    // Zoomed in to a hundredth: the few points there are drawn whole, with one beyond each side
    // so that the line reaches the edges.
    XAxis(*chart)->setRange(0.5, 0.51);
    QList<QPointF> shown;
    for (qsizetype i = 0; i < line.size(); ++i) {
      const bool inside = line[i].x() >= 0.5 && line[i].x() <= 0.51;
      const bool neighbour = (i + 1 < line.size() && line[i + 1].x() >= 0.5 && line[i].x() < 0.5) ||
                             (i > 0 && line[i - 1].x() <= 0.51 && line[i].x() > 0.51);
      if (inside || neighbour) shown << line[i];
    }
    QCOMPARE(drawn->points(), shown);
    // Back out, laid out 600 px wide: the plot's own width counts.
    XAxis(*chart)->setRange(0, 1);
    QGraphicsScene scene;
    scene.addItem(chart.get());
    chart->setGeometry(0, 0, 600, 400);
    QCoreApplication::processEvents();
    const int columns = int(chart->plotArea().width());
    QVERIFY(columns > 400 && columns < 600);
    QVERIFY(drawn->count() > 4 * 200 && drawn->count() <= 4 * columns);
    scene.removeItem(chart.get());
  }

  void ChartHasTheSeriesInOrderOnAxesThatSpanThem() {
    const std::vector<NamedSeries> series{
        {"measured", {{1, 0.2}, {2, 0.5}, {4, 0.9}}, SeriesLook::Points, {}},
        {"fitted", {{0.5, 0.1}, {4.5, 1.1}}, SeriesLook::Line, Qt::red},
        {"start", {{0.5, 0.0}, {4.5, 0.8}}, SeriesLook::Dashed, {}},
        {"", {{0, -3}, {9, 7}}, SeriesLook::Dotted, {}},  // unnamed: not in the legend
        {"key only", {}, SeriesLook::Line, {}},           // no points: no room taken
    };
    const auto chart = LineChart("Fit", "Time (s)", "Residual ratio (-)", series);
    QCOMPARE(chart->title(), QStringLiteral("Fit"));
    QCOMPARE(XAxis(*chart)->titleText(), QStringLiteral("Time (s)"));
    QCOMPARE(YAxis(*chart)->titleText(), QStringLiteral("Residual ratio (-)"));
    const QList<QAbstractSeries*> drawn = chart->series();
    QCOMPARE(drawn.size(), 5);
    QVERIFY(qobject_cast<QScatterSeries*>(drawn[0]));
    QVERIFY(qobject_cast<QLineSeries*>(drawn[1]));
    QCOMPARE(drawn[0]->name(), QStringLiteral("measured"));
    QCOMPARE(static_cast<QXYSeries*>(drawn[0])->points(), series[0].Points);
    QCOMPARE(static_cast<QXYSeries*>(drawn[1])->pen().color(), QColor(Qt::red));
    QCOMPARE(static_cast<QXYSeries*>(drawn[2])->pen().style(), Qt::CustomDashLine);
    QCOMPARE(static_cast<QXYSeries*>(drawn[2])->pen().color(), SeriesColour(2));
    QCOMPARE(static_cast<QXYSeries*>(drawn[3])->pen().dashPattern(), (QList<qreal>{0.8, 1.6}));
    QVERIFY(chart->legend()->isVisible());
    QCOMPARE(LegendTexts(*chart), (QStringList{"measured", "fitted", "start", "key only"}));
    for (QAbstractSeries* s : drawn) QCOMPARE(s->attachedAxes().size(), 2);
    // Round numbers around every point: x from 0 to 9, y from -3 to 7 and a little room.
    QVERIFY(XAxis(*chart)->min() <= 0 && XAxis(*chart)->max() >= 9);
    QVERIFY(XAxis(*chart)->max() <= 10);
    QVERIFY(YAxis(*chart)->min() < -3 && YAxis(*chart)->max() > 7);
    QVERIFY(YAxis(*chart)->max() - YAxis(*chart)->min() <= 12);
  }

  // Along the dryer the axis ends where the run ends (a 70 m dryer is not drawn to 80 m); a
  // value axis has 5 % of room and round ends.
  void AxisEndsAtTheDataOrOnRoundNumbersWithRoom() {
    const std::vector<NamedSeries> none;
    const auto chart = LineChart("", "x", "y", none);
    QValueAxis& x = *XAxis(*chart);
    FitAxis(x, 0, 70, 0);
    QCOMPARE(x.min(), 0.0);
    QCOMPARE(x.max(), 70.0);
    // 5 % of 7.5 on each side (-0.675, 7.575), out to the round step of a twentieth (0.5).
    FitAxis(x, -0.3, 7.2);
    QCOMPARE(x.min(), -1.0);
    QCOMPARE(x.max(), 8.0);
    // 15 to 80 °C: 11.75 to 83.25, out to steps of 5.
    FitAxis(x, 15, 80);
    QCOMPARE(x.min(), 10.0);
    QCOMPARE(x.max(), 85.0);
    // Laid out in no view: ticks for 600 px, one label each 80 px or more.
    FitAxis(x, 0, 9, 0);
    QCOMPARE(x.tickInterval(), 2.0);
    QCOMPARE(x.labelFormat(), QStringLiteral("%.0f"));
    x.setRange(0.5, 0.51);  // zoomed in: ticks on round numbers of the new range
    QCOMPARE(x.tickInterval(), 0.002);
    QCOMPARE(x.labelFormat(), QStringLiteral("%.3f"));
  }

  // As many ticks as the pixels allow, on 1, 2, 2.5 or 5 times a power of ten.
  void TicksFollowThePixels_data() {
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("pixels");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("decimals");
    QTest::newRow("wide") << 100.0 << 800.0 << int(Qt::Horizontal) << 10.0 << 0;
    QTest::newRow("narrow") << 100.0 << 160.0 << int(Qt::Horizontal) << 50.0 << 0;
    QTest::newRow("short") << 100.0 << 200.0 << int(Qt::Vertical) << 20.0 << 0;
    QTest::newRow("2.5") << 1.0 << 120.0 << int(Qt::Vertical) << 0.25 << 2;
    // "750", not "750.0": 25 and 250 are whole.
    QTest::newRow("25") << 100.0 << 120.0 << int(Qt::Vertical) << 25.0 << 0;
    QTest::newRow("250") << 1000.0 << 120.0 << int(Qt::Vertical) << 250.0 << 0;
    QTest::newRow("tall, small values") << 0.004 << 400.0 << int(Qt::Vertical) << 0.0005 << 4;
  }
  void TicksFollowThePixels() {
    QFETCH(double, high);
    QFETCH(double, pixels);
    QFETCH(int, orientation);
    QFETCH(double, step);
    QFETCH(int, decimals);
    const AxisTicks ticks = TicksFor(0, high, pixels, Qt::Orientation(orientation));
    QCOMPARE(ticks.Step, step);
    QCOMPARE(ticks.Decimals, decimals);
  }

  void ChartWithoutNamesHasNoLegend() {
    const std::vector<NamedSeries> series{{"", {{0, 1}, {1, 1}}, SeriesLook::Line, {}}};
    const auto chart = LineChart("", "x", "y", series);
    QVERIFY(!chart->legend()->isVisible());
    // One value: a range around it.
    QVERIFY(YAxis(*chart)->min() < 1 && YAxis(*chart)->max() > 1);
  }

  void AddedSeriesKeepTheAxes() {
    const std::vector<NamedSeries> series{{"a", {{0, 0}, {10, 5}}, SeriesLook::Line, {}}};
    const auto chart = LineChart("", "x", "y", series);
    const double high = YAxis(*chart)->max();
    QXYSeries* added = AddSeries(*chart, {"b", {{0, 50}, {10, 60}}, SeriesLook::Dashed, Qt::blue});
    QCOMPARE(added->chart(), chart.get());
    QCOMPARE(YAxis(*chart)->max(), high);
    QCOMPARE(added->attachedAxes().size(), 2);
  }

  // Another run of the same quantities takes the place of the values shown: the chart keeps
  // its series and axes, its long lines their thinning, and is laid out again only where a
  // range or a zone moved.
  void CopiedDataTakesThePlaceOfTheValuesShown() {
    const auto build = [](double shift, double zoneEnd) {
      QList<QPointF> line = Wiggle(28000);
      for (QPointF& p : line) p.ry() += shift;
      const std::vector<NamedSeries> series{
          {"long", line, SeriesLook::Line, Qt::red},
          {"steps", {{0, shift}, {1, shift}}, SeriesLook::Dashed, Qt::blue}};
      auto chart = LineChart("", "x", "y", series);
      auto* zones = new QCategoryAxis;
      zones->setStartValue(0);
      zones->append(QStringLiteral("1"), zoneEnd);
      zones->append(QStringLiteral("2"), 1);
      zones->setRange(0, 1);
      chart->addAxis(zones, Qt::AlignTop);
      ThinLinesToPlotWidth(*chart, 200);
      return chart;
    };
    const auto shown = build(0, 0.4);
    QGraphicsScene scene;
    scene.addItem(shown.get());
    shown->setGeometry(0, 0, 600, 400);
    QCoreApplication::processEvents();
    // Laid out for good: the ticks and the thinning follow the first layout.
    for (int pass = 0; pass < 3 && !shown->layout()->isActivated(); ++pass) {
      shown->layout()->activate();
    }
    QVERIFY(shown->layout()->isActivated());
    const QList<QAbstractSeries*> series = shown->series();
    auto* line = static_cast<QXYSeries*>(series[0]);
    const int columns = int(shown->plotArea().width());

    // The same ranges and zones (a boundary a rounding error away): no layout.
    const auto same = build(0.001, 0.4 + 1e-13);
    QVERIFY(CopyChartData(*shown, *same));
    QVERIFY(shown->layout()->isActivated());
    QCOMPARE(shown->series(), series);
    QCOMPARE(ExactPoints(*shown, *line),
             ExactPoints(*same, *static_cast<QXYSeries*>(same->series()[0])));
    QVERIFY(line->count() > 4 * 200 && line->count() <= 4 * columns);
    QCOMPARE(static_cast<QXYSeries*>(series[1])->points(),
             (QList<QPointF>{{0, 0.001}, {1, 0.001}}));

    // Values beyond the range shown, a zone that ends elsewhere: their ranges and boundaries.
    const auto higher = build(10, 0.6);
    QVERIFY(CopyChartData(*shown, *higher));
    QCOMPARE(YAxis(*shown)->max(), YAxis(*higher)->max());
    auto* zones = static_cast<QCategoryAxis*>(shown->axes(Qt::Horizontal).back());
    QCOMPARE(zones->endValue(QStringLiteral("1")), 0.6);
    QCOMPARE(zones->categoriesLabels(), (QStringList{"1", "2"}));
    scene.removeItem(shown.get());
  }

  // A chart of other series or axes is not the same chart: it is left as it is.
  void ChartsOfAnotherMakeUpAreLeftAlone_data() {
    QTest::addColumn<int>("change");
    QTest::newRow("a series more") << 0;
    QTest::newRow("another name") << 1;
    QTest::newRow("another line style") << 2;
    QTest::newRow("another axis title") << 3;
  }
  void ChartsOfAnotherMakeUpAreLeftAlone() {
    QFETCH(int, change);
    std::vector<NamedSeries> series{{"a", {{0, 0}, {1, 1}}, SeriesLook::Line, Qt::red}};
    const auto shown = LineChart("", "x", "y", series);
    series[0].Points = {{0, 5}, {2, 7}};
    QString xTitle = QStringLiteral("x");
    if (change == 0) series.push_back({"b", {{0, 1}}, SeriesLook::Line, Qt::blue});
    if (change == 1) series[0].Name = QStringLiteral("b");
    if (change == 2) series[0].Look = SeriesLook::Dashed;
    if (change == 3) xTitle = QStringLiteral("t");
    const auto other = LineChart("", xTitle, "y", series);
    QVERIFY(!CopyChartData(*shown, *other));
    QCOMPARE(static_cast<QXYSeries*>(shown->series()[0])->points(),
             (QList<QPointF>{{0, 0}, {1, 1}}));
    QCOMPARE(XAxis(*shown)->max(), 1.0);
  }

  void ColoursDifferAndRepeatAfterEight() {
    for (int i = 0; i < 8; ++i) {
      for (int j = i + 1; j < 8; ++j) QVERIFY(SeriesColour(i) != SeriesColour(j));
    }
    QCOMPARE(SeriesColour(8), SeriesColour(0));
  }
};

QTEST_MAIN(LineChartTest)
#include "LineChartTest.moc"
