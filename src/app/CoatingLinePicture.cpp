#include "app/CoatingLinePicture.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>

#include "app/WindowLook.h"

namespace quillmere {
namespace {

// The drawing's geometry [px]. The web runs along y = kWebTop .. kWebBottom.
constexpr qreal kLeft = 4;
constexpr qreal kRight = 351;
constexpr qreal kWebTop = 55;
constexpr qreal kCoatBottom = 59;  // the coated layer lies on top, the base film below
constexpr qreal kWebBottom = 64;
constexpr QRectF kDryer{128, 24, 210, 66};
constexpr qreal kPlenumBottom = 31;  // the hot gas header along the dryer's roof
constexpr qreal kRollerRadius = 5.5;
constexpr qreal kDimensionY = 104.5;  // on a pixel row's centre, so the line stays crisp

const QColor kCoatedLayer{0xd4, 0x1c, 0xc4};
const QColor kBaseFilm{0x1f, 0x4f, 0xd8};
const QColor kDryerFill{0xff, 0xe5, 0x5c};
const QColor kDryerShade{0xf2, 0xc8, 0x2e};
const QColor kDryerEdge{0x7a, 0x62, 0x00};
const QColor kHotGas{0xff, 0x86, 0x10};
const QColor kHotGasEdge{0xb8, 0x55, 0x00};
const QColor kInk{0x1e, 0x1e, 0x28};
const QColor kDimension{0x30, 0x30, 0x40};

// An arrowhead with its tip at `tip`, pointing in direction (dx, dy) (a unit vector).
QPainterPath ArrowHead(QPointF tip, qreal dx, qreal dy, qreal length, qreal halfWidth) {
  const QPointF back = tip - QPointF(dx, dy) * length;
  const QPointF side(-dy * halfWidth, dx * halfWidth);
  QPainterPath head;
  head.moveTo(tip);
  head.lineTo(back + side);
  head.lineTo(back - side);
  head.closeSubpath();
  return head;
}

void PaintDryer(QPainter& p) {
  QLinearGradient fill(kDryer.topLeft(), kDryer.bottomLeft());
  fill.setColorAt(0, kDryerFill.lighter(104));
  fill.setColorAt(1, kDryerFill.darker(104));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRect(kDryer);
  // The hot gas header under the roof, with its nozzle slots.
  p.setBrush(kDryerShade);
  p.drawRect(QRectF(kDryer.left(), kDryer.top(), kDryer.width(), kPlenumBottom - kDryer.top()));
  // Walls, open where the web passes through.
  p.setPen(QPen(kDryerEdge, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  const qreal gapTop = kWebTop - 4;
  const qreal gapBottom = kWebBottom + 4;
  QPainterPath walls;
  walls.moveTo(kDryer.left(), gapTop);
  walls.lineTo(kDryer.topLeft());
  walls.lineTo(kDryer.topRight());
  walls.lineTo(kDryer.right(), gapTop);
  walls.moveTo(kDryer.left(), gapBottom);
  walls.lineTo(kDryer.bottomLeft());
  walls.lineTo(kDryer.bottomRight());
  walls.lineTo(kDryer.right(), gapBottom);
  p.drawPath(walls);
  p.setPen(QPen(kDryerEdge, 0.8));
  p.drawLine(QPointF(kDryer.left(), kPlenumBottom), QPointF(kDryer.right(), kPlenumBottom));
}

// Positions of the rollers and of the hot gas nozzles, alternating along the dryer.
constexpr std::array<qreal, 7> kRollerX{143, 172, 201, 230, 259, 288, 317};
constexpr std::array<qreal, 6> kNozzleX{157.5, 186.5, 215.5, 244.5, 273.5, 302.5};

void PaintRollers(QPainter& p) {
  for (const qreal x : kRollerX) {
    const QPointF centre(x, kWebBottom + kRollerRadius);
    QRadialGradient shade(centre - QPointF(1.8, 1.8), kRollerRadius * 1.4);
    shade.setColorAt(0, QColor(0xf4, 0xf4, 0xf4));
    shade.setColorAt(1, QColor(0x80, 0x80, 0x86));
    p.setPen(QPen(QColor(0x4a, 0x4a, 0x50), 0.9));
    p.setBrush(shade);
    p.drawEllipse(centre, kRollerRadius, kRollerRadius);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4a, 0x4a, 0x50));
    p.drawEllipse(centre, 1.1, 1.1);
  }
}

void PaintHotGas(QPainter& p) {
  for (const qreal x : kNozzleX) {
    const QPointF tail(x, kPlenumBottom + 1);
    const QPointF tip(x, kWebTop - 2.5);
    p.setPen(QPen(kHotGas, 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(tail, tip - QPointF(0, 5));
    p.setPen(QPen(kHotGasEdge, 0.6));
    p.setBrush(kHotGas);
    p.drawPath(ArrowHead(tip, 0, 1, 7, 4));
    // The nozzle slot the gas leaves from.
    p.setPen(Qt::NoPen);
    p.setBrush(kDryerEdge);
    p.drawRect(QRectF(x - 3, kPlenumBottom - 1.2, 6, 1.6));
  }
}

void PaintWeb(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kCoatedLayer);
  p.drawRect(QRectF(kLeft, kWebTop, kRight - kLeft, kCoatBottom - kWebTop));
  p.setBrush(kBaseFilm);
  p.drawRect(QRectF(kLeft, kCoatBottom, kRight - kLeft, kWebBottom - kCoatBottom));
  p.setPen(QPen(kBaseFilm.darker(150), 0.6));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(kLeft, kWebTop, kRight - kLeft, kWebBottom - kWebTop));
  // The direction of travel, at the web's far end.
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawPath(ArrowHead(QPointF(kRight, kWebTop - 5), 1, 0, 7, 3));
  p.setPen(QPen(kInk, 1.2));
  p.drawLine(QPointF(kRight - 18, kWebTop - 5), QPointF(kRight - 6, kWebTop - 5));
}

// A label at `textPos` (its baseline start) with a leader line to `target`, marked by a dot.
void Label(QPainter& p, const QString& text, QPointF textPos, QPointF leaderStart, QPointF target) {
  p.setPen(QPen(kInk, 0.8));
  p.drawLine(leaderStart, target);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(target, 1.6, 1.6);
  p.setPen(kInk);
  p.drawText(textPos, text);
}

// A dimension line from x0 to x1 with arrowheads at both ends and its text centred below.
void Dimension(QPainter& p, qreal x0, qreal x1, const QString& text) {
  p.setPen(QPen(kDimension, 0.9));
  p.drawLine(QPointF(x0 + 4, kDimensionY), QPointF(x1 - 4, kDimensionY));
  p.setPen(Qt::NoPen);
  p.setBrush(kDimension);
  p.drawPath(ArrowHead(QPointF(x0, kDimensionY), -1, 0, 7, 2.6));
  p.drawPath(ArrowHead(QPointF(x1, kDimensionY), 1, 0, 7, 2.6));
  const QFontMetricsF metrics(p.font());
  p.setPen(kInk);
  p.drawText(QPointF((x0 + x1 - metrics.horizontalAdvance(text)) / 2, kDimensionY + 15.5), text);
}

void PaintDimensions(QPainter& p) {
  p.setPen(QPen(kDimension, 0.7, Qt::DashLine));
  p.drawLine(QPointF(kLeft, kWebBottom + 2), QPointF(kLeft, kDimensionY + 5));
  p.drawLine(QPointF(kDryer.left(), kDryer.bottom() + 2), QPointF(kDryer.left(), kDimensionY + 5));
  p.drawLine(QPointF(kDryer.right(), kDryer.bottom() + 2),
             QPointF(kDryer.right(), kDimensionY + 5));
  Dimension(p, kLeft, kDryer.left(), QStringLiteral("Zone 1"));
  Dimension(p, kDryer.left(), kDryer.right(), QStringLiteral("Zone 2"));
}

}  // namespace

void PaintCoatingLine(QPainter& painter, const QString& family) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.fillRect(QRectF(0, 0, kPictureWidth, kPictureHeight), colours::kPictureSky);

  PaintDryer(painter);
  PaintHotGas(painter);
  PaintRollers(painter);
  PaintWeb(painter);

  painter.setFont(WindowLook::MakeFont(family, 11));
  PaintDimensions(painter);
  Label(painter, QStringLiteral("Dryer"), QPointF(80, 17), QPointF(110, 14),
        QPointF(kDryer.left() + 9, kDryer.top() + 3));
  Label(painter, QStringLiteral("Hot Gas"), QPointF(283, 15), QPointF(281, 12),
        QPointF(kNozzleX[4] + 1.5, 41));
  Label(painter, QStringLiteral("Coated Layer"), QPointF(8, 38), QPointF(42, 41),
        QPointF(58, (kWebTop + kCoatBottom) / 2));
  Label(painter, QStringLiteral("Base Film"), QPointF(8, 88), QPointF(36, 79),
        QPointF(66, (kCoatBottom + kWebBottom) / 2));
  painter.restore();
}

CoatingLinePicture::CoatingLinePicture(const QString& family, QWidget* parent)
    : QWidget(parent), family_(family) {
  setFixedSize(kPictureWidth, kPictureHeight);
}

void CoatingLinePicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintCoatingLine(painter, family_);
}

}  // namespace quillmere
