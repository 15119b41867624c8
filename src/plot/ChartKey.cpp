#include "plot/ChartKey.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace quillmere::plot {
namespace {

constexpr double kSample = 34;    // [px] of line before each text
constexpr double kSampleGap = 6;  // [px] between the line and its text
constexpr double kEntryGap = 18;  // [px] between entries of a row
constexpr double kMargin = 4;     // [px] around the key
constexpr int kKeyPixels = 12;    // text height, as the legends'

// Where each entry goes: its line sample's row and the text's rectangle.
struct Placed {
  QRectF Text;
  double LineY = 0;
  double LineX = 0;
};

std::vector<Placed> Place(std::span<const KeyEntry> entries, double width, const QFont& font) {
  const QFontMetricsF metrics(font);
  const double lineHeight = metrics.height();
  const double textRoom = std::max(40.0, width - 2 * kMargin - kSample - kSampleGap);
  std::vector<Placed> placed;
  double x = kMargin;
  double y = kMargin;
  double rowHeight = 0;
  for (const KeyEntry& entry : entries) {
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, textRoom, 1e6),
                                               Qt::TextWordWrap | Qt::AlignLeft, entry.Text);
    const double textWidth = std::ceil(bounds.width()) + 1;
    const double entryWidth = kSample + kSampleGap + textWidth;
    if (x > kMargin && x + entryWidth > width - kMargin) {
      x = kMargin;
      y += rowHeight + 2;
      rowHeight = 0;
    }
    Placed p;
    p.LineX = x;
    p.LineY = y + lineHeight / 2;
    p.Text = QRectF(x + kSample + kSampleGap, y, textWidth, std::ceil(bounds.height()));
    placed.push_back(p);
    rowHeight = std::max(rowHeight, p.Text.height());
    x += entryWidth + kEntryGap;
  }
  return placed;
}

}  // namespace

QFont KeyFont() {
  QFont font;
  font.setPixelSize(kKeyPixels);
  return font;
}

int KeyHeight(std::span<const KeyEntry> entries, int width, const QFont& font) {
  if (entries.empty()) return 0;
  double bottom = 0;
  for (const Placed& p : Place(entries, width, font)) bottom = std::max(bottom, p.Text.bottom());
  return static_cast<int>(std::ceil(bottom + kMargin));
}

void DrawKey(QPainter& painter, const QRectF& area, std::span<const KeyEntry> entries,
             const QFont& font) {
  const std::vector<Placed> placed = Place(entries, area.width(), font);
  painter.save();
  painter.translate(area.topLeft());
  painter.setFont(font);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const KeyEntry& entry = entries[i];
    const Placed& p = placed[i];
    painter.setPen(SeriesPen(entry.Look, entry.Colour));
    painter.drawLine(QPointF(p.LineX, p.LineY), QPointF(p.LineX + kSample, p.LineY));
    painter.setPen(QPen(Qt::black));
    painter.drawText(p.Text, Qt::TextWordWrap | Qt::AlignLeft, entry.Text);
  }
  painter.restore();
}

}  // namespace quillmere::plot
