// What the chart tests look at in a chart: its zone axis, its lines, its legend's entries.
#pragma once

#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QStringList>
#include <QXYSeries>

namespace quillmere::test {

//! The axis along the top that marks the zones, or nullptr.
inline QCategoryAxis* ZoneAxis(const QChart& chart) {
  for (QAbstractAxis* axis : chart.axes(Qt::Horizontal)) {
    if (auto* zones = qobject_cast<QCategoryAxis*>(axis)) return zones;
  }
  return nullptr;
}

//! The chart's `index`-th series as a line of points.
inline QXYSeries* Line(const QChart& chart, int index) {
  return qobject_cast<QXYSeries*>(chart.series().at(index));
}

//! The legend's visible entries. A chart that no view shows is laid out in a scene first.
inline QStringList LegendTexts(QChart& chart) {
  QGraphicsScene scene;
  const bool shown = chart.scene() != nullptr;
  if (!shown) {
    scene.addItem(&chart);
    chart.setGeometry(0, 0, 900, 600);
    QCoreApplication::processEvents();
  }
  QStringList texts;
  for (QLegendMarker* marker : chart.legend()->markers()) {
    if (marker->isVisible()) texts << marker->label();
  }
  if (!shown) scene.removeItem(&chart);
  return texts;
}

//! A text the chart draws, with where it stands in the chart's own coordinates.
struct DrawnText {
  QString Text;
  QRectF Place;
};

//! Every text the chart draws (titles, tick labels, legend entries), as drawn, with its place.
inline QList<DrawnText> DrawnTextPlaces(const QChart& chart) {
  QList<DrawnText> texts;
  QList<const QGraphicsItem*> pending;
  for (const QGraphicsItem* item : chart.childItems()) pending << item;
  while (!pending.isEmpty()) {
    const QGraphicsItem* next = pending.takeLast();
    for (const QGraphicsItem* child : next->childItems()) pending << child;
    if (!next->isVisible()) continue;
    const QRectF place = chart.mapRectFromItem(next, next->boundingRect());
    if (const auto* text = qgraphicsitem_cast<const QGraphicsTextItem*>(next)) {
      texts.append({text->toPlainText(), place});
    } else if (const auto* simple = qgraphicsitem_cast<const QGraphicsSimpleTextItem*>(next)) {
      texts.append({simple->text(), place});
    }
  }
  return texts;
}

//! Whether a text drawn was cut short to fit ("Exhaust (% of t...").
inline bool Elided(const QString& text) {
  return text.contains(QStringLiteral("...")) || text.contains(QChar(0x2026));
}

//! The texts the chart draws (titles, tick labels, legend entries) as they are drawn, elided
//! or not, from the items of the scene that shows it.
inline QStringList DrawnTexts(const QChart& chart) {
  QStringList texts;
  for (const QGraphicsItem* item : chart.childItems()) {
    QList<const QGraphicsItem*> pending{item};
    while (!pending.isEmpty()) {
      const QGraphicsItem* next = pending.takeLast();
      for (const QGraphicsItem* child : next->childItems()) pending << child;
      if (!next->isVisible()) continue;
      if (const auto* text = qgraphicsitem_cast<const QGraphicsTextItem*>(next)) {
        texts << text->toPlainText();
      } else if (const auto* simple = qgraphicsitem_cast<const QGraphicsSimpleTextItem*>(next)) {
        texts << simple->text();
      }
    }
  }
  return texts;
}

}  // namespace quillmere::test
