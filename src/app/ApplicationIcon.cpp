#include "app/ApplicationIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillmere {
namespace {

// The icon drawn on a 64 × 64 grid, scaled to `size`.
QPixmap IconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xd2, 0xea, 0xfb));
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
  // The dryer with its hot gas header.
  p.setPen(QPen(QColor(0x7a, 0x62, 0x00), 2));
  p.setBrush(QColor(0xff, 0xe5, 0x5c));
  p.drawRect(QRectF(13, 10, 40, 38));
  p.setPen(QPen(QColor(0x7a, 0x62, 0x00), 1));
  p.setBrush(QColor(0xf2, 0xc8, 0x2e));
  p.drawRect(QRectF(13, 10, 40, 5));
  // Hot gas blowing down onto the web.
  p.setPen(QPen(QColor(0xb8, 0x55, 0x00), 0.8));
  p.setBrush(QColor(0xff, 0x86, 0x10));
  for (const qreal x : {21.5, 33.0, 44.5}) {
    QPainterPath arrow;
    arrow.moveTo(x - 1.75, 16);
    arrow.lineTo(x - 1.75, 25);
    arrow.lineTo(x - 5, 25);
    arrow.lineTo(x, 31);
    arrow.lineTo(x + 5, 25);
    arrow.lineTo(x + 1.75, 25);
    arrow.lineTo(x + 1.75, 16);
    arrow.closeSubpath();
    p.drawPath(arrow);
  }
  // The web: coated layer on base film, and the rollers under it.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xd4, 0x1c, 0xc4));
  p.drawRect(QRectF(4, 32, 56, 3));
  p.setBrush(QColor(0x1f, 0x4f, 0xd8));
  p.drawRect(QRectF(4, 35, 56, 4));
  p.setPen(QPen(QColor(0x4a, 0x4a, 0x50), 0.8));
  p.setBrush(QColor(0xb0, 0xb0, 0xb6));
  for (const qreal x : {21.0, 33.0, 45.0}) p.drawEllipse(QPointF(x, 43), 4, 4);
  return pixmap;
}

}  // namespace

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(IconPixmap(size));
  return icon;
}

}  // namespace quillmere
