// The chart of the plant figures: a zone whose %LEL or make-up air heat cannot be formed says
// so under its bar, so that an empty place never reads as 0 % of the LEL.
#include <QBarCategoryAxis>
#include <QtTest>

#include "plot/PlantChart.h"

using namespace quillmere;

class PlantChartTest : public QObject {
  Q_OBJECT
 private slots:
  void UnknownFiguresAreNamedUnderTheirZone() {
    PlantFigures figures;
    ZonePlant known;
    known.Zone = 1;
    known.PercentLel = 19.9;
    known.AirHeat = 65.0;
    ZonePlant unknownLel = known;
    unknownLel.Zone = 2;
    unknownLel.PercentLel.reset();
    ZonePlant unknownAir = known;
    unknownAir.Zone = 3;
    unknownAir.AirHeat.reset();
    figures.Zones = {known, unknownLel, unknownAir};

    const std::unique_ptr<QChart> chart = plot::PlantChart(figures);
    QBarCategoryAxis* zones = nullptr;
    for (QAbstractAxis* axis : chart->axes(Qt::Horizontal)) {
      if (auto* category = qobject_cast<QBarCategoryAxis*>(axis)) zones = category;
    }
    QVERIFY(zones != nullptr);
    QCOMPARE(zones->categories(),
             QStringList({QStringLiteral("Zone 1"), QStringLiteral("Zone 2\n%LEL unknown"),
                          QStringLiteral("Zone 3\nQair unknown")}));
  }
};

QTEST_MAIN(PlantChartTest)
#include "PlantChartTest.moc"
