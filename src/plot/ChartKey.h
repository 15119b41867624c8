// The key of a picture: entries of a line sample and a text, laid out in rows under the charts
// and wrapped, never cut. It names what the charts' own legends do not, the runs compared (by
// their line style) or the values of a second varied input, whose names are long. The window
// draws it above its charts; picture files carry it under theirs.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <span>
#include <vector>

#include "plot/LineChart.h"

class QPainter;

namespace quillmere::plot {

//! One entry: a short line drawn as the series are, then the text.
struct KeyEntry {
  QString Text;
  SeriesLook Look = SeriesLook::Line;
  QColor Colour{0x40, 0x40, 0x40};
};

//! The key's font: that of the charts' legends.
QFont KeyFont();

//! Height [px] the entries take drawn `width` pixels wide; 0 for none.
int KeyHeight(std::span<const KeyEntry> entries, int width, const QFont& font = KeyFont());

//! Draws the entries into `area`, left to right, an entry too long for what is left of a row
//! starting the next row, a text too long for a whole row wrapped at its blanks.
void DrawKey(QPainter& painter, const QRectF& area, std::span<const KeyEntry> entries,
             const QFont& font = KeyFont());

}  // namespace quillmere::plot
