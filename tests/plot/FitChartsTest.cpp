// The charts of a fit, from a result made by hand: a chart a measured quantity, a colour a
// trial, the measured points over the fitted (solid) and the starting (dashed) curves.
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QXYSeries>
#include <QtTest>

#include "plot/ChartFile.h"
#include "plot/FitCharts.h"
#include "plot/LineChart.h"
#include "report/FileIO.h"

using namespace quillmere;
using namespace quillmere::plot;

namespace {

//! A trial measured at 1 m and 3 m (temperature) and 4 m (residual1) along a 4 m dryer whose
//! curves rise linearly; the start curve lies 10 % higher.
TrialFit Trial(const std::string& dataFile, MeasurementAxis axis, double offset) {
  TrialFit trial;
  trial.DataFileName = dataFile;
  trial.Axis = axis;
  for (int i = 0; i <= 40; ++i) {
    CurvePoint p;
    p.Where = 0.1 * i;
    p.Values = {20 + 10 * p.Where + offset, 1 - 0.2 * p.Where, 1 - 0.1 * p.Where, 0.04, 0.01};
    trial.FittedCurve.push_back(p);
    for (double& v : p.Values) v *= 1.1;
    trial.StartCurve.push_back(p);
  }
  const auto measured = [&](double where, MeasuredQuantity quantity, double value) {
    trial.Measurements.push_back({{where, quantity, value, std::nullopt, 2}, value, value});
  };
  measured(1, MeasuredQuantity::Temperature, 30.5 + offset);
  measured(3, MeasuredQuantity::Temperature, 49.5 + offset);
  measured(4, MeasuredQuantity::Residual1, 0.21);
  return trial;
}

QXYSeries* SeriesAt(const QChart& chart, int i) {
  return qobject_cast<QXYSeries*>(chart.series().at(i));
}

}  // namespace

class FitChartsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { application_ = std::make_unique<ChartApplication>(); }

  void AChartAQuantityInItsColourALineStyleATrial() {
    FitResult result;
    result.Trials = {Trial("lines/slow.dat", MeasurementAxis::Position, 0),
                     Trial("fast.dat", MeasurementAxis::Position, 5)};
    const auto charts = FitCharts(result);
    QCOMPARE(charts.size(), std::size_t(2));  // temperature and residual1, in that order
    const QChart& temperature = *charts[0];
    QCOMPARE(temperature.title(), QStringLiteral("Web temperature"));
    QCOMPARE(charts[1]->title(), QStringLiteral("Solvent-1 residual ratio"));
    QCOMPARE(XAxis(temperature)->titleText(), QStringLiteral("Position along the dryer (m)"));
    QCOMPARE(YAxis(temperature)->titleText(), QStringLiteral("Temperature (°C)"));
    QCOMPARE(YAxis(*charts[1])->titleText(), QStringLiteral("Residual ratio (-)"));

    // Each trial: its start (faint), its fitted curve, its measured points, in the quantity's
    // colour (Okabe–Ito vermillion for the web) and the trial's line style.
    QCOMPARE(temperature.series().size(), 6);
    for (int t = 0; t < 2; ++t) {
      QXYSeries* start = SeriesAt(temperature, 3 * t);
      QXYSeries* fitted = SeriesAt(temperature, 3 * t + 1);
      QXYSeries* points = SeriesAt(temperature, 3 * t + 2);
      QCOMPARE(fitted->pen().style(), t == 0 ? Qt::SolidLine : Qt::CustomDashLine);
      QCOMPARE(start->pen().style(), fitted->pen().style());
      QVERIFY(qobject_cast<QScatterSeries*>(points) != nullptr);
      QCOMPARE(fitted->color(), QColor(0xd55e00));
      QCOMPARE(start->color().rgb(), QColor(0xd55e00).rgb());
      QVERIFY(start->color().alphaF() < 0.5);
      QCOMPARE(points->color(), QColor(0xd55e00));
      QCOMPARE(ExactPoints(temperature, *fitted).size(), 41);
      QCOMPARE(ExactPoints(temperature, *fitted).at(10), QPointF(1.0, 30.0 + 5 * t));
      QCOMPARE(ExactPoints(temperature, *start).at(10).y(), (30.0 + 5 * t) * 1.1);
      QCOMPARE(points->points(), (QList<QPointF>{{1, 30.5 + 5 * t}, {3, 49.5 + 5 * t}}));
    }
    // The legend names each kind of line once; the key names the trials by their files.
    QGraphicsScene scene;
    scene.addItem(charts[0].get());
    charts[0]->setGeometry(0, 0, 720, 480);
    QCoreApplication::processEvents();
    QStringList legend;
    for (QLegendMarker* marker : temperature.legend()->markers()) {
      if (marker->isVisible()) legend << marker->label();
    }
    scene.removeItem(charts[0].get());
    QCOMPARE(legend, (QStringList{"Start values", "Fitted", "Measured"}));
    const std::vector<KeyEntry> key = FitKey(result);
    QCOMPARE(key.size(), std::size_t(2));
    QCOMPARE(key[0].Text, QStringLiteral("slow.dat"));
    QCOMPARE(key[1].Look, SeriesLook::Dashed);
    // The measured points at the ends are not cut: the axis has room beside them.
    QVERIFY(XAxis(temperature)->min() < 0);
  }

  void TrialsMeasuredAlongTheTimeHaveChartsOfTheirOwn() {
    FitResult result;
    result.Trials = {Trial("a.dat", MeasurementAxis::Position, 0),
                     Trial("b.dat", MeasurementAxis::Time, 0)};
    const auto charts = FitCharts(result);
    QCOMPARE(charts.size(), std::size_t(4));
    QCOMPARE(XAxis(*charts[0])->titleText(), QStringLiteral("Position along the dryer (m)"));
    QCOMPARE(XAxis(*charts[2])->titleText(), QStringLiteral("Time (s)"));
    QCOMPARE(charts[2]->series().size(), 3);
  }

  void OnePictureTwoChartsARow() {
    FitResult result;
    result.Trials = {Trial("a.dat", MeasurementAxis::Position, 0)};
    const QString png = dir_.filePath("fit.png");
    SaveFitCharts(result, png.toStdString());
    QImage image;
    QVERIFY(image.load(png, "PNG"));
    QCOMPARE(image.size(), QSize(1440, 480));  // one trial: no key
    // Three charts: the last row's chart takes the whole row, no cell is left empty.
    result.Trials.push_back(Trial("b.dat", MeasurementAxis::Time, 0));
    result.Trials.back().Measurements.pop_back();  // its temperatures only
    QCOMPARE(FitCharts(result).size(), std::size_t(3));
    SaveFitCharts(result, png.toStdString());
    QVERIFY(image.load(png, "PNG"));
    QCOMPARE(image.width(), 1440);
    QVERIFY(image.height() > 960);  // two rows and the key of the two trials
    const QRgb white = qRgb(255, 255, 255);
    int drawn = 0;
    for (int x = 800; x < 1440; x += 4) drawn += image.pixel(x, 480 + 240) != white;
    QVERIFY(drawn > 0);
    result.Trials.pop_back();
    const QString svg = dir_.filePath("fit.svg");
    SaveFitCharts(result, svg.toStdString());
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Solvent-1 residual ratio"));

    try {
      SaveFitCharts(result, dir_.filePath("fit.gif").toStdString());
      QFAIL("a .gif is saved");
    } catch (const FileError& e) {
      QCOMPARE(QString::fromStdString(e.what()), "Could not write the picture \"" +
                                                     dir_.filePath("fit.gif") +
                                                     "\": a chart file name ends in .svg or .png");
    }
  }

 private:
  std::unique_ptr<ChartApplication> application_;
  QTemporaryDir dir_;
};

QTEST_APPLESS_MAIN(FitChartsTest)
#include "FitChartsTest.moc"
