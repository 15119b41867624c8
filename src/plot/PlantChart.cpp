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

//! The bars of each zone, the zones' names under them, and what the axes must reach.
struct ZoneBars {
  QStringList Zones;
  QBarSet* Lel = nullptr;
  QBarSet* WebHeat = nullptr;
  QBarSet* AirHeat = nullptr;
  double HighestLel = 0;
  double HighestHeat = 0;
  double Limit = 25;  //!< the last zone's limit [% of the LEL]
};

ZoneBars BarsByZone(const PlantFigures& figures) {
  ZoneBars bars;
  bars.Lel = new QBarSet(QStringLiteral("Exhaust (% of the LEL)"));
  bars.WebHeat = new QBarSet(QStringLiteral("Qweb (kW)"));
  bars.AirHeat = new QBarSet(QStringLiteral("Qair (kW)"));
  bars.Lel->setColor(kLelColour);
  bars.WebHeat->setColor(kWebHeatColour);
  bars.AirHeat->setColor(kAirHeatColour);
  for (const ZonePlant& z : figures.Zones) {
    // A figure that cannot be formed has no bar; the zone's name says which is unknown, so an
    // empty place never reads as 0 % of the LEL.
    QString name = QStringLiteral("Zone %1").arg(z.Zone);
    if (!z.PercentLel) name += QStringLiteral("\n%LEL unknown");
    if (!z.AirHeat) name += QStringLiteral("\nQair unknown");
    bars.Zones << name;
    const double percent = z.PercentLel.value_or(0);
    *bars.Lel << percent;
    *bars.WebHeat << z.WebHeat;
    *bars.AirHeat << z.AirHeat.value_or(0);
    bars.HighestLel = std::max({bars.HighestLel, percent, z.LimitPercent});
    bars.HighestHeat = std::max({bars.HighestHeat, z.WebHeat, z.AirHeat.value_or(0)});
    bars.Limit = z.LimitPercent;
  }
  return bars;
}

//! A nameless set of zero bars, one a zone: it holds a place beside the bars drawn.
QBarSet* Spacer(qsizetype zones) {
  auto* spacer = new QBarSet(QString());
  for (qsizetype i = 0; i < zones; ++i) *spacer << 0;
  return spacer;
}

//! The %LEL bars, then two spacers: they keep the %LEL bar left of the heat bars.
QBarSeries* LelSeries(const ZoneBars& bars) {
  auto* series = new QBarSeries;
  series->append(bars.Lel);
  series->append(Spacer(bars.Zones.size()));
  series->append(Spacer(bars.Zones.size()));
  return series;
}

//! A spacer where the %LEL bar stands, then Qweb and Qair.
QBarSeries* HeatSeries(const ZoneBars& bars) {
  auto* series = new QBarSeries;
  series->append(Spacer(bars.Zones.size()));
  series->append(bars.WebHeat);
  series->append(bars.AirHeat);
  return series;
}

//! The limit as a line across every zone.
QLineSeries* LimitLine(const ZoneBars& bars) {
  auto* line = new QLineSeries;
  line->setName(QStringLiteral("Limit (% of the LEL)"));
  line->setColor(kLimitColour);
  line->append(-0.5, bars.Limit);
  line->append(static_cast<double>(bars.Zones.size()) - 0.5, bars.Limit);
  return line;
}

//! A value axis from 0 to a nice number above `highest`.
QValueAxis* ValueAxis(const QString& title, double highest) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setRange(0, AxisTop(highest));
  axis->applyNiceNumbers();
  return axis;
}

//! The zones below, % of the LEL on the left and the heat on the right, and a hidden axis for
//! the limit line.
void AddAxes(QChart& chart, const ZoneBars& bars, QBarSeries& lelSeries, QBarSeries& heatSeries,
             QLineSeries& limitLine) {
  auto* zoneAxis = new QBarCategoryAxis;
  zoneAxis->append(bars.Zones);
  chart.addAxis(zoneAxis, Qt::AlignBottom);
  QValueAxis* lelAxis = ValueAxis(QStringLiteral("% of the LEL"), bars.HighestLel);
  chart.addAxis(lelAxis, Qt::AlignLeft);
  QValueAxis* heatAxis = ValueAxis(QStringLiteral("Heat (kW)"), bars.HighestHeat);
  chart.addAxis(heatAxis, Qt::AlignRight);
  lelSeries.attachAxis(zoneAxis);
  lelSeries.attachAxis(lelAxis);
  heatSeries.attachAxis(zoneAxis);
  heatSeries.attachAxis(heatAxis);
  // The limit line runs across the category axis's range of -0.5 to n - 0.5.
  auto* lineAxis = new QValueAxis;
  lineAxis->setRange(-0.5, static_cast<double>(bars.Zones.size()) - 0.5);
  lineAxis->setVisible(false);
  chart.addAxis(lineAxis, Qt::AlignBottom);
  limitLine.attachAxis(lineAxis);
  limitLine.attachAxis(lelAxis);
}

//! The legend at the bottom names the three quantities and the limit, not the spacers.
void PlaceLegend(QChart& chart) {
  for (QLegendMarker* marker : chart.legend()->markers()) {
    if (marker->label().isEmpty()) marker->setVisible(false);
  }
  chart.legend()->setAlignment(Qt::AlignBottom);
}

}  // namespace

std::unique_ptr<QChart> PlantChart(const PlantFigures& figures) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(QStringLiteral("Exhaust (% of the LEL) and heat (kW) by zone"));
  const ZoneBars bars = BarsByZone(figures);
  // Two bar series side by side: %LEL on the left axis, the heats on the right.
  QBarSeries* lelSeries = LelSeries(bars);
  QBarSeries* heatSeries = HeatSeries(bars);
  chart->addSeries(lelSeries);
  chart->addSeries(heatSeries);
  QLineSeries* limitLine = LimitLine(bars);
  chart->addSeries(limitLine);
  AddAxes(*chart, bars, *lelSeries, *heatSeries, *limitLine);
  PlaceLegend(*chart);
  return chart;
}

}  // namespace quillmere::plot
