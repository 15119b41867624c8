#include "plot/PlantChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace quillmere::plot {
namespace {

// Okabe–Ito: %LEL blue, the limit vermilion, Qweb bluish green, Qair orange.
const QColor kLelColour{0x00, 0x72, 0xB2};
const QColor kLimitColour{0xD5, 0x5E, 0x00};
const QColor kWebHeatColour{0x00, 0x9E, 0x73};
const QColor kAirHeatColour{0xE6, 0x9F, 0x00};

//! The top of an axis: 5 % above the highest value, at least 1.
double AxisTop(double highest) {
  return std::max(1.0, highest * 1.05);
}

}  // namespace

std::unique_ptr<QChart> PlantChart(const PlantFigures& figures) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(QStringLiteral("Exhaust (% of the LEL) and heat (kW) by zone"));

  QStringList zones;
  auto* lel = new QBarSet(QStringLiteral("Exhaust (% of the LEL)"));
  auto* webHeat = new QBarSet(QStringLiteral("Qweb (kW)"));
  auto* airHeat = new QBarSet(QStringLiteral("Qair (kW)"));
  lel->setColor(kLelColour);
  webHeat->setColor(kWebHeatColour);
  airHeat->setColor(kAirHeatColour);
  double highestLel = 0;
  double highestHeat = 0;
  double limit = 25;
  for (const ZonePlant& z : figures.Zones) {
    zones << QStringLiteral("Zone %1").arg(z.Zone);
    const double percent = z.PercentLel.value_or(0);
    *lel << percent;
    *webHeat << z.WebHeat;
    *airHeat << z.AirHeat.value_or(0);  // the table beside the chart says it is unknown
    highestLel = std::max({highestLel, percent, z.LimitPercent});
    highestHeat = std::max({highestHeat, z.WebHeat, z.AirHeat.value_or(0)});
    limit = z.LimitPercent;
  }
  // Two bar series side by side: %LEL on the left axis, the heats on the right.
  auto* lelSeries = new QBarSeries;
  lelSeries->append(lel);
  auto* blank = new QBarSet(QString());
  auto* blank2 = new QBarSet(QString());
  for (qsizetype i = 0; i < zones.size(); ++i) {
    *blank << 0;
    *blank2 << 0;
  }
  lelSeries->append(blank);  // keeps the %LEL bar left of the heat bars
  lelSeries->append(blank2);
  auto* heatSeries = new QBarSeries;
  auto* none = new QBarSet(QString());
  for (qsizetype i = 0; i < zones.size(); ++i) *none << 0;
  heatSeries->append(none);
  heatSeries->append(webHeat);
  heatSeries->append(airHeat);
  chart->addSeries(lelSeries);
  chart->addSeries(heatSeries);

  auto* limitLine = new QLineSeries;
  limitLine->setName(QStringLiteral("Limit (% of the LEL)"));
  limitLine->setColor(kLimitColour);
  limitLine->append(-0.5, limit);
  limitLine->append(static_cast<double>(zones.size()) - 0.5, limit);
  chart->addSeries(limitLine);

  auto* zoneAxis = new QBarCategoryAxis;
  zoneAxis->append(zones);
  chart->addAxis(zoneAxis, Qt::AlignBottom);
  auto* lelAxis = new QValueAxis;
  lelAxis->setTitleText(QStringLiteral("% of the LEL"));
  lelAxis->setRange(0, AxisTop(highestLel));
  lelAxis->applyNiceNumbers();
  chart->addAxis(lelAxis, Qt::AlignLeft);
  auto* heatAxis = new QValueAxis;
  heatAxis->setTitleText(QStringLiteral("Heat (kW)"));
  heatAxis->setRange(0, AxisTop(highestHeat));
  heatAxis->applyNiceNumbers();
  chart->addAxis(heatAxis, Qt::AlignRight);
  lelSeries->attachAxis(zoneAxis);
  lelSeries->attachAxis(lelAxis);
  heatSeries->attachAxis(zoneAxis);
  heatSeries->attachAxis(heatAxis);
  // The limit line runs across the category axis's range of -0.5 to n - 0.5.
  auto* lineAxis = new QValueAxis;
  lineAxis->setRange(-0.5, static_cast<double>(zones.size()) - 0.5);
  lineAxis->setVisible(false);
  chart->addAxis(lineAxis, Qt::AlignBottom);
  limitLine->attachAxis(lineAxis);
  limitLine->attachAxis(lelAxis);

  // The legend names the three quantities and the limit, not the spacers.
  for (QLegendMarker* marker : chart->legend()->markers()) {
    if (marker->label().isEmpty()) marker->setVisible(false);
  }
  chart->legend()->setAlignment(Qt::AlignBottom);
  return chart;
}

}  // namespace quillmere::plot
