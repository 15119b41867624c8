// The drying curves of finished runs: lines, zone boundaries, axis ranges, several runs.
#include <QCategoryAxis>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>
#include <QtTest>

#include "ChartParts.h"

#include "RunSeriesOf.h"
#include "plot/RunCharts.h"

using namespace quillmere;
using namespace quillmere::plot;
using namespace quillmere::test;

namespace {

// Three zones: 30 m at 60 °C, 30 m at 60 °C, 20 m at 80 °C, Increment of z 0.1 m.
const RunSeries& ThreeZones() {
  static const RunSeries run = RunSeriesOf("three-zones.dat");
  return run;
}

}  // namespace

class RunChartsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ZonesMarkTheirBoundariesAndNumbers_data() {
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("along");
    QTest::addColumn<QList<double>>("bounds");
    QTest::newRow("position") << "1.0" << int(AlongDryer::Position) << QList<double>{0, 30, 60, 80};
    QTest::newRow("time at 0.5 m/s")
        << "0.5" << int(AlongDryer::Time) << QList<double>{0, 60, 120, 160};
    QTest::newRow("position at 0.5 m/s")
        << "0.5" << int(AlongDryer::Position) << QList<double>{0, 30, 60, 80};
  }
  void ZonesMarkTheirBoundariesAndNumbers() {
    QFETCH(QString, speed);
    QFETCH(int, along);
    QFETCH(QList<double>, bounds);
    const RunSeries run = RunSeriesOf("three-zones.dat", {{"Speed", speed.toStdString()}});
    const auto axis = static_cast<AlongDryer>(along);
    const std::vector<double> found = ZoneBoundaries(run, axis);
    QCOMPARE(found.size(), std::size_t(4));
    for (std::size_t i = 0; i < 4; ++i) QVERIFY(qAbs(found[i] - bounds[qsizetype(i)]) < 1e-9);

    for (const RunChart kind : kRunCharts) {
      const ChartedRun runs[]{{&run, {}, {}}};
      const auto chart = BuildRunChart(kind, runs, {axis, SolventAmount::ResidualRatio, 0});
      QCategoryAxis* zones = ZoneAxis(*chart);
      QVERIFY(zones);
      QCOMPARE(zones->titleText(), QStringLiteral("Zone"));
      QVERIFY(!zones->isTitleVisible());  // the numbers say it
      QCOMPARE(zones->categoriesLabels(), (QStringList{"1", "2", "3"}));
      QCOMPARE(zones->startValue(), 0.0);
      for (int z = 0; z < 3; ++z) {
        QVERIFY(qAbs(zones->endValue(zones->categoriesLabels()[z]) - bounds[z + 1]) < 1e-9);
      }
      // The zone axis and the value axis below share the horizontal range, zoomed too.
      QValueAxis* x = XAxis(*chart);
      QCOMPARE(x->titleText(), AlongTitle(axis));
      QVERIFY(qAbs(x->min()) < 1e-9 && qAbs(x->max() - bounds.back()) < 1e-9);  // no more
      QCOMPARE(zones->min(), x->min());
      QCOMPARE(zones->max(), x->max());
      x->setRange(10, 40);
      QCOMPARE(zones->min(), 10.0);
      QCOMPARE(zones->max(), 40.0);
    }
  }

  void WebTemperatureWithTheAirAsSteps() {
    const ChartedRun runs[]{{&ThreeZones(), {}, {}}};
    const auto chart = WebTemperatureChart(runs);
    QCOMPARE(chart->title(), QStringLiteral("Web temperature"));
    // The drying stops in zone 3 of three-zones.dat: shaded from there on.
    QCOMPARE(LegendTexts(*chart), (QStringList{"Web", "Air", "Drying stopped"}));
    QXYSeries* web = Line(*chart, 0);
    QCOMPARE(web->pen().color(), QColor(0xd55e00));  // Okabe–Ito vermillion
    QCOMPARE(web->count(), 301 + 301 + 201);         // every point of every zone
    QCOMPARE(web->at(0), QPointF(0, 15));
    QCOMPARE(web->at(web->count() - 1).y(), ThreeZones().Zones.back().Exit.Temperature);
    const QList<QPointF> air{{0, 60}, {30, 60}, {30, 60}, {60, 60}, {60, 80}, {80, 80}};
    QXYSeries* steps = Line(*chart, 1);
    QCOMPARE(steps->count(), air.size());
    for (int i = 0; i < air.size(); ++i) {
      QVERIFY(qAbs(steps->at(i).x() - air[i].x()) < 1e-9);
      QCOMPARE(steps->at(i).y(), air[i].y());
    }
    QCOMPARE(steps->pen().color(), QColor(0x56b4e9));  // sky blue
    QCOMPARE(steps->pen().style(), Qt::SolidLine);
    QVERIFY(YAxis(*chart)->min() <= 15 && YAxis(*chart)->max() >= 80);
  }

  void SolventAsResidualRatioOrWeight() {
    const ChartedRun runs[]{{&ThreeZones(), {}, {}}};
    const auto ratios = SolventChart(runs);
    QCOMPARE(LegendTexts(*ratios), (QStringList{"Solvent-1", "Solvent-2", "Drying stopped"}));
    QCOMPARE(YAxis(*ratios)->titleText(), QStringLiteral("Residual ratio (-)"));
    QCOMPARE(Line(*ratios, 0)->at(0).y(), 1.0);
    QCOMPARE(Line(*ratios, 1)->at(0).y(), 1.0);
    QCOMPARE(Line(*ratios, 1)->pen().style(), Qt::SolidLine);
    QCOMPARE(Line(*ratios, 1)->pen().color(), QColor(0xe69f00));  // orange
    QVERIFY(YAxis(*ratios)->min() <= 0 && YAxis(*ratios)->max() >= 1);
    QVERIFY(YAxis(*ratios)->max() <= 1.2);

    const auto weights = SolventChart(runs, {AlongDryer::Position, SolventAmount::Weight, 0});
    QCOMPARE(weights->title(), QStringLiteral("Solvent weight"));
    QCOMPARE(YAxis(*weights)->titleText(), QStringLiteral("Solvent weight (kg/m2)"));
    QCOMPARE(Line(*weights, 0)->at(0).y(), ThreeZones().Points.front().State.Solvent1Weight);
    QVERIFY(YAxis(*weights)->max() < 0.06);
  }

  void RatesAndVapourPressureWhereTheSurfaceIsKnown() {
    const ChartedRun runs[]{{&ThreeZones(), {}, {}}};
    const RunSeries& run = ThreeZones();
    qsizetype known = 0;
    for (const SeriesPoint& p : run.Points) known += p.SurfaceKnown;
    QVERIFY(known > 700);

    const auto rates = DryingRateChart(runs);
    QCOMPARE(YAxis(*rates)->titleText(), QStringLiteral("Drying rate (kg/m2.s)"));
    QCOMPARE(Line(*rates, 0)->count(), known);
    QCOMPARE(Line(*rates, 0)->at(0).y(), run.Points.front().Solvent1DryingRate);
    QVERIFY(YAxis(*rates)->min() <= 0);

    const auto pressure = VapourPressureChart(runs);
    QCOMPARE(LegendTexts(*pressure), (QStringList{"Surface", "Air 760 mmHg", "Drying stopped"}));
    QCOMPARE(Line(*pressure, 0)->count(), known);
    QXYSeries* air = Line(*pressure, 1);
    QCOMPARE(air->count(), 2);
    QCOMPARE(air->at(0), QPointF(XAxis(*pressure)->min(), 760));
    QCOMPARE(air->at(1), QPointF(XAxis(*pressure)->max(), 760));
    QVERIFY(YAxis(*pressure)->min() <= 0 && YAxis(*pressure)->max() >= 760);
  }

  // Each quantity in its colour, each run in its line style: the legend names the quantities,
  // the key the runs.
  void SeveralRunsInTheirLineStylesWithTheirNames() {
    const RunSeries slow = RunSeriesOf("three-zones.dat", {{"Speed", "0.8"}});
    const ChartedRun runs[]{{&ThreeZones(), "Speed 1.0 (current)", {}},
                            {&slow, "Speed 0.8", SeriesLook::Dotted}};
    const auto chart = SolventChart(runs, {AlongDryer::Time, SolventAmount::ResidualRatio, 0});
    QCOMPARE(chart->series().size(), 2 + 2 + 1);  // two lines a run, where drying stopped
    QCOMPARE(LegendTexts(*chart), (QStringList{"Solvent-1", "Solvent-2", "Drying stopped"}));
    // Okabe–Ito blue and orange.
    QCOMPARE(Line(*chart, 0)->pen().color(), QColor(0x0072b2));
    QCOMPARE(Line(*chart, 1)->pen().color(), QColor(0xe69f00));
    QCOMPARE(Line(*chart, 2)->pen().color(), QColor(0x0072b2));
    QCOMPARE(Line(*chart, 0)->pen().style(), Qt::SolidLine);
    QCOMPARE(Line(*chart, 2)->pen().dashPattern(), (QList<qreal>{0.8, 1.6}));
    QCOMPARE(RunKey(runs).size(), std::size_t(2));
    QCOMPARE(RunKey(runs)[1].Text, QStringLiteral("Speed 0.8"));
    QCOMPARE(RunKey(runs)[1].Look, SeriesLook::Dotted);
    QCOMPARE(RunKey(runs)[0].Look, SeriesLook::Line);
    // The slower web needs longer: the axis spans it; the zones are those of the first run.
    QVERIFY(XAxis(*chart)->max() >= slow.Points.back().State.Time);
    QCOMPARE(ZoneAxis(*chart)->endValue("3"), ThreeZones().Zones.back().Exit.Time);
  }

  // Where the coating boils (p1 + p2 at 760 mmHg or more) and where the drying has stopped.
  void WarningSpansAreShaded() {
    const RunSeries boiling = RunSeriesOf("", {{"InitialTemperature", "90.0"}});
    const std::vector<WarningSpan> spans = WarningSpans(boiling, AlongDryer::Position);
    QVERIFY(!spans.empty());
    QCOMPARE(spans.front().Kind, WarningKind::Boiling);
    QCOMPARE(spans.front().From, 0.0);  // "boils from 0.00 m", as the zone's warning says
    const std::vector<WarningSpan> stopped = WarningSpans(ThreeZones(), AlongDryer::Position);
    QCOMPARE(stopped.size(), std::size_t(1));
    QCOMPARE(stopped.front().Kind, WarningKind::DryingStopped);
    QCOMPARE(stopped.front().To, 80.0);  // to the dryer's exit
    const ChartedRun runs[]{{&boiling, {}, {}}};
    QVERIFY(LegendTexts(*VapourPressureChart(runs)).contains(QStringLiteral("Boiling")));
    // Its swatch shows the shade, not the white of a see-through fill.
    const auto chart = VapourPressureChart(runs);
    bool swatch = false;
    for (QLegendMarker* marker : chart->legend()->markers()) {
      if (marker->label() != QStringLiteral("Boiling")) continue;
      swatch = true;
      QCOMPARE(marker->brush().color().alpha(), 255);
      QVERIFY(marker->brush().color() != QColor(Qt::white));
      QVERIFY(marker->brush().color().saturation() > 20);
    }
    QVERIFY(swatch);
  }

  // Residual ratios of 0.0054 and 0.0761 (three-zones.dat's exit) apart on a log axis: from a
  // little below the decade of the smallest to a fifth above the largest (1).
  void ResidualRatiosOnALogarithmicAxis() {
    const ChartedRun runs[]{{&ThreeZones(), {}, {}}};
    RunChartOptions options;
    options.LogScale = true;
    const auto chart = SolventChart(runs, options);
    const QList<QAbstractAxis*> vertical = chart->axes(Qt::Vertical);
    QCOMPARE(vertical.size(), qsizetype(1));
    auto* log = qobject_cast<QLogValueAxis*>(vertical.front());
    QVERIFY(log);
    QCOMPARE(log->titleText(), QStringLiteral("Residual ratio (-)"));
    QCOMPARE(log->min(), 0.001 / 1.2);
    QCOMPARE(log->max(), 1.2);
    for (QAbstractSeries* series : chart->series()) {
      QVERIFY(series->attachedAxes().contains(log));
    }
    // Every decade labelled, with the decimal separator in force.
    for (const char separator : {'.', ','}) {
      SetDecimalSeparator(*chart, separator);
      QGraphicsScene scene;
      scene.addItem(chart.get());
      chart->setGeometry(0, 0, 600, 400);
      QCoreApplication::processEvents();
      QStringList labels;
      for (const DrawnText& text : DrawnTextPlaces(*chart)) {
        if (text.Place.right() < chart->plotArea().left() && !text.Text.isEmpty()) {
          labels << text.Text;
        }
      }
      scene.removeItem(chart.get());
      QStringList decades{"0.001", "0.01", "0.1", "1", "Residual ratio (-)"};
      if (separator == ',') decades.replaceInStrings(QStringLiteral("."), QStringLiteral(","));
      decades.last() = QStringLiteral("Residual ratio (-)");
      labels.sort();
      decades.sort();
      QCOMPARE(labels, decades);
    }
    // The other charts stay linear.
    QVERIFY(YAxis(*WebTemperatureChart(runs, options)) != nullptr);
  }

  void ThinnedLinesKeepTheirEnds() {
    const ChartedRun runs[]{{&ThreeZones(), {}, {}}};
    const auto chart = WebTemperatureChart(runs, {AlongDryer::Position, {}, 100});
    QXYSeries* web = Line(*chart, 0);
    QVERIFY(web->count() <= 400);
    QCOMPARE(web->at(0), QPointF(0, 15));
    QCOMPARE(web->at(web->count() - 1).y(), ThreeZones().Zones.back().Exit.Temperature);
  }

  void RunEndedByAFaultShowsTheZonesItFinished() {
    const RunSeries run = RunSeriesOf("fault-zone2.dat");
    QVERIFY(run.Fault.has_value());
    QCOMPARE(run.Zones.size(), std::size_t(1));
    const ChartedRun runs[]{{&run, {}, {}}};
    const auto chart = WebTemperatureChart(runs);
    QCOMPARE(ZoneAxis(*chart)->categoriesLabels(), QStringList{"1"});
    QCOMPARE(Line(*chart, 0)->count(), 301);
  }

  void RunWithoutZonesGivesAnEmptyChart() {
    const RunSeries nothing;
    const ChartedRun runs[]{{&nothing, {}, {}}};
    for (const RunChart kind : kRunCharts) {
      const auto chart = BuildRunChart(kind, runs);
      QVERIFY(!ZoneAxis(*chart));
      QCOMPARE(Line(*chart, 0)->count(), 0);
    }
  }

  void NearestPointAlongTheDryer() {
    const RunSeries& run = ThreeZones();
    QCOMPARE(NearestPoint(RunSeries{}, AlongDryer::Position, 1.0), std::nullopt);
    QCOMPARE(NearestPoint(run, AlongDryer::Position, -5.0), std::size_t(0));
    QCOMPARE(NearestPoint(run, AlongDryer::Position, 500.0), run.Points.size() - 1);
    const std::size_t i = *NearestPoint(run, AlongDryer::Position, 12.34);
    QCOMPARE(run.Points[i].State.Zone, 1);
    QCOMPARE(run.Points[i].State.Point, 123);
    const std::size_t t = *NearestPoint(run, AlongDryer::Time, 45.01);
    QCOMPARE(run.Points[t].State.Zone, 2);
    QCOMPARE(run.Points[t].State.Point, 150);
  }

  void QuantitiesNameTheirUnits() {
    const std::vector<RunQuantity> weights =
        ChartQuantities(RunChart::Solvent, SolventAmount::Weight);
    QCOMPARE(weights.size(), std::size_t(2));
    QCOMPARE(weights[0].Unit, QStringLiteral("kg/m2"));
    const SeriesPoint& entry = ThreeZones().Points.front();
    QCOMPARE(*weights[1].Value(ThreeZones(), entry), entry.State.Solvent2Weight);
    const std::vector<RunQuantity> temperature =
        ChartQuantities(RunChart::WebTemperature, SolventAmount::Weight);
    QCOMPARE(*temperature[1].Value(ThreeZones(), ThreeZones().Points.back()), 80.0);
  }
};

QTEST_MAIN(RunChartsTest)
#include "RunChartsTest.moc"
