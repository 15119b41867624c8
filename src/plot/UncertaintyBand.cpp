#include "plot/UncertaintyBand.h"

#include <QAreaSeries>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include "plot/LineChart.h"

namespace quillmere::plot {

int AddUncertaintyBand(QChart& chart, RunChart kind, const TraceBand& band,
                       const RunChartOptions& options) {
  if (kind != RunChart::WebTemperature && kind != RunChart::Solvent) return 0;
  int added = 0;
  for (const RunQuantity& quantity : ChartQuantities(kind, options.Solvent)) {
    if (quantity.ByZone) continue;  // the zone air: an input, not uncertain
    QList<QPointF> low = QuantityLine(band.Low, quantity, options.Along);
    const QList<QPointF> high = QuantityLine(band.High, quantity, options.Along);
    if (low.isEmpty() || low.size() != high.size()) continue;
    if (options.LogScale) {
      // A logarithmic axis shows no 0: the band's foot stays at the curve's tenth.
      for (qsizetype i = 0; i < low.size(); ++i) {
        if (!(low[i].y() > 0)) low[i].setY(high[i].y() / 10);
      }
    }
    auto* lower = new QLineSeries(&chart);
    lower->replace(low);
    auto* upper = new QLineSeries(&chart);
    upper->replace(high);
    auto* area = new QAreaSeries(upper, lower);
    QColor colour = QuantityColour(quantity.Colour);
    colour.setAlpha(60);
    area->setColor(colour);
    area->setBorderColor(Qt::transparent);
    area->setName(QStringLiteral("%1 % interval").arg(band.Confidence * 100, 0, 'g', 3));
    chart.addSeries(area);
    if (QValueAxis* x = XAxis(chart)) area->attachAxis(x);
    const QList<QAbstractAxis*> vertical = chart.axes(Qt::Vertical);
    if (QValueAxis* y = YAxis(chart)) {
      area->attachAxis(y);
    } else if (!vertical.isEmpty()) {
      area->attachAxis(vertical.front());
    }
    // One legend entry for the bands of a chart.
    if (added > 0) {
      for (QLegendMarker* marker : chart.legend()->markers(area)) marker->setVisible(false);
    }
    ++added;
  }
  return added;
}

}  // namespace quillmere::plot
