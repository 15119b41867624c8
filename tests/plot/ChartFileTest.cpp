// Charts written to SVG and PNG files by a program without windows: no display, no platform
// chosen by the caller, only a ChartApplication.
#include <QChartView>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "plot/ChartFile.h"
#include "plot/LineChart.h"
#include "report/FileIO.h"

using namespace quillmere::plot;
using quillmere::FileError;

namespace {

//! The text of the FileError a save throws; empty when it saves.
template <class Save>
QString WhyNotSaved(Save&& save) {
  try {
    save();
  } catch (const FileError& error) {
    return QString::fromStdString(error.what());
  }
  return QString();
}

std::unique_ptr<QChart> SampleChart() {
  const std::vector<NamedSeries> series{
      {"Solvent-1", {{0, 1}, {10, 0.4}, {20, 0.1}}, SeriesLook::Line, {}},
      {"measured", {{5, 0.7}, {15, 0.2}}, SeriesLook::Points, {}}};
  return LineChart("Exit residual ratio", "Speed (m/s)", "Residual ratio (-)", series);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Pixels of the image that are not white.
int InkedPixels(const QImage& image) {
  int inked = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) inked += image.pixelColor(x, y) != Qt::white;
  }
  return inked;
}

}  // namespace

class ChartFileTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
    application_ = std::make_unique<ChartApplication>();
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    ChartApplication second;  // one exists already: nothing changes
    QVERIFY(QCoreApplication::instance());
  }

  void FormatFollowsTheExtension() {
    QCOMPARE(ChartFormatOf("a/b.svg"), ChartFormat::Svg);
    QCOMPARE(ChartFormatOf("B.SVG"), ChartFormat::Svg);
    QCOMPARE(ChartFormatOf("c.Png"), ChartFormat::Png);
    QCOMPARE(ChartFormatOf("d.pdf"), std::nullopt);
    QCOMPARE(ChartFormatOf("svg"), std::nullopt);
  }

  void SvgHoldsTheTextsOfTheChart() {
    const auto chart = SampleChart();
    const QString path = dir_.filePath("sweep.svg");
    SaveChart(*chart, path, QSize(640, 400));
    const QByteArray svg = ReadAll(path);
    QVERIFY(svg.startsWith("<?xml"));
    QVERIFY(svg.contains("<svg"));
    QVERIFY(svg.contains("viewBox=\"0 0 640 400\""));
    QVERIFY(svg.contains("<title>Exit residual ratio</title>"));
    for (const char* text : {"Speed (m/s)", "Residual ratio (-)", "Solvent-1", "measured"}) {
      QVERIFY2(svg.contains(text), text);
    }
    QVERIFY(svg.contains("<polyline") || svg.contains("<path"));
    // The chart stays the caller's, and draws again.
    QVERIFY(chart->scene() == nullptr);
    QCOMPARE(RenderChart(*chart, ChartFormat::Svg, QSize(640, 400)), svg);
  }

  void PngIsThePictureAtTheSizeAsked() {
    const auto chart = SampleChart();
    const QString path = dir_.filePath("fit.png");
    SaveChart(*chart, path, QSize(500, 300));
    QImage image;
    QVERIFY(image.load(path, "PNG"));
    QCOMPARE(image.size(), QSize(500, 300));
    QVERIFY(InkedPixels(image) > 2000);  // axes, texts, the line and the points
  }

  // Several charts in one picture: cells of the size asked, rows filled left to right; the
  // charts of a last row that is not full share its width (no empty cell).
  void ChartsSideBySideInOnePicture() {
    const auto first = SampleChart();
    const auto second = SampleChart();
    second->setTitle("Second");
    const auto third = SampleChart();
    QChart* const charts[] = {first.get(), second.get(), third.get()};
    const QImage picture =
        QImage::fromData(RenderCharts(charts, 2, ChartFormat::Png, QSize(400, 250)), "PNG");
    QCOMPARE(picture.size(), QSize(800, 500));
    QVERIFY(InkedPixels(picture.copy(0, 0, 400, 250)) > 2000);
    QVERIFY(InkedPixels(picture.copy(400, 0, 400, 250)) > 2000);
    QVERIFY(InkedPixels(picture.copy(0, 250, 400, 250)) > 2000);
    QVERIFY(InkedPixels(picture.copy(400, 250, 400, 250)) > 2000);  // the third, 800 px wide
    // One chart a row when asked, and never more columns than charts.
    QCOMPARE(
        QImage::fromData(RenderCharts(charts, 1, ChartFormat::Png, QSize(400, 250)), "PNG").size(),
        QSize(400, 750));
    QCOMPARE(
        QImage::fromData(RenderCharts(charts, 5, ChartFormat::Png, QSize(400, 250)), "PNG").size(),
        QSize(1200, 250));
    // A key under the charts, wrapped rather than cut: the picture grows by its height.
    const std::vector<KeyEntry> key{
        {QStringLiteral("Speed 1.2 m/s, zone 2 air 80 °C, zone 3 air 90 °C (current)"),
         SeriesLook::Line},
        {QStringLiteral("Speed 1.0 m/s, zone 2 air 60.0 °C, zone 3 air 70.0 °C"),
         SeriesLook::Dashed}};
    const QImage keyed =
        QImage::fromData(RenderCharts(charts, 2, ChartFormat::Png, QSize(400, 250), key), "PNG");
    QCOMPARE(keyed.width(), 800);
    QCOMPARE(keyed.height(), 500 + KeyHeight(key, 800));
    QVERIFY(KeyHeight(key, 500) >= 2 * 14);  // two rows: the names do not fit side by side
    QVERIFY(KeyHeight(key, 200) > KeyHeight(key, 500));  // narrower: the texts wrap
    QVERIFY(InkedPixels(keyed.copy(0, 500, 800, keyed.height() - 500)) > 200);
    const QByteArray svg = RenderCharts(charts, 2, ChartFormat::Svg, QSize(400, 250));
    QVERIFY(svg.contains("viewBox=\"0 0 800 500\""));
    QVERIFY(svg.contains("<title>Exit residual ratio</title>"));
    QVERIFY(svg.contains("Second"));
    QCOMPARE(
        WhyNotSaved([&] { SaveCharts(charts, 2, dir_.filePath("charts.jpg"), QSize(400, 250)); }),
        "Could not write the picture \"" + dir_.filePath("charts.jpg") +
            "\": a chart file name ends in .svg or .png");
    SaveCharts(charts, 2, dir_.filePath("charts.svg"));
    QCOMPARE(ReadAll(dir_.filePath("charts.svg")), RenderCharts(charts, 2, ChartFormat::Svg));
    QVERIFY(first->scene() == nullptr);
  }

  void ChartShownInAViewKeepsItsPlace() {
    auto* view = new QChartView(SampleChart().release());
    view->resize(300, 200);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    const QRectF before = view->chart()->geometry();
    const QByteArray png = RenderChart(*view->chart(), ChartFormat::Png, QSize(800, 500));
    QVERIFY(QImage::fromData(png, "PNG").size() == QSize(800, 500));
    QCOMPARE(view->chart()->geometry(), before);
    QCOMPARE(before.size(), QSizeF(300, 200));
    QCOMPARE(view->chart()->scene(), view->scene());
    delete view;
  }

  void FilesThatCannotBeWrittenSayWhy_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");  // %1 stands for the path
    QTest::newRow("extension") << "chart.pdf"
                               << "Could not write the picture \"%1\": a chart file name ends in "
                                  ".svg or .png";
    QTest::newRow("no directory") << "missing/chart.svg"
                                  << "Could not write the picture \"%1\": No such file or "
                                     "directory";
  }
  void FilesThatCannotBeWrittenSayWhy() {
    QFETCH(QString, name);
    QFETCH(QString, error);
    const auto chart = SampleChart();
    const QString path = dir_.filePath(name);
    QCOMPARE(WhyNotSaved([&] { SaveChart(*chart, path, kChartFileSize); }), error.arg(path));
    QVERIFY(!QFile::exists(path));
  }

 private:
  std::unique_ptr<ChartApplication> application_;
  QTemporaryDir dir_;
};

QTEST_APPLESS_MAIN(ChartFileTest)
#include "ChartFileTest.moc"
