// Charts of named lines over two value axes: the common ground of the run curves, the sweep
// and the fit pictures. Plain functions that build a QChart; showing it in a QChartView or
// writing it to a file (ChartFile.h) is up to the caller.
//
// Everything here needs a QApplication (QChart is a graphics widget). A program without
// windows creates one with ChartApplication (ChartFile.h).
#pragma once

#include <QChart>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <memory>
#include <span>

class QValueAxis;
class QXYSeries;

namespace quillmere::plot {

//! How a series is drawn.
enum class SeriesLook {
  Line,            //!< a solid line through the points
  Dashed,          //!< a dashed line (a starting guess, a second solvent, a reference)
  Dotted,          //!< a thin dotted line (the zone air's temperature)
  Points,          //!< markers only, no line (measured points)
  LineWithPoints,  //!< a solid line with a marker at each point (few points: a sweep)
};

//! One named series of (x, y) points, in the units of the chart's axes.
struct NamedSeries {
  QString Name;  //!< the legend's text; empty keeps the series out of the legend
  QList<QPointF> Points;
  SeriesLook Look = SeriesLook::Line;
  QColor Colour;  //!< invalid: SeriesColour(i) of the series' place i in the list
};

//! The colour of the n-th run or line of a chart (0, 1, ...): distinct on screen and in print,
//! repeating after eight.
QColor SeriesColour(int index);

//! A chart with a value axis below (x) and at the left (y), each with its title, and one
//! series for each entry of `series`, in order. The axes span all points with a little room,
//! on round numbers. A legend names the series that have a name; it is hidden when none has.
//! Series with no points are added (they keep their legend entry) but do not widen the axes.
std::unique_ptr<QChart> LineChart(const QString& title, const QString& xTitle,
                                  const QString& yTitle, std::span<const NamedSeries> series);

//! Adds one series to a chart built by LineChart, on its two value axes, which do not change
//! their range. Returns the series, owned by the chart.
QXYSeries* AddSeries(QChart& chart, const NamedSeries& series);

//! The horizontal (x) and vertical (y) value axes of a chart built by LineChart.
QValueAxis* XAxis(const QChart& chart);
QValueAxis* YAxis(const QChart& chart);

//! Sets an axis of a chart built by LineChart to [low, high]: widened by `margin` of the span
//! on each side, or with no margin rounded outwards to its ticks; a span of 0 is widened
//! around its value. The axis keeps about five ticks on round numbers whatever its range.
void FitAxis(QValueAxis& axis, double low, double high, double margin = 0.02);

//! Thins a line of points ordered by x for drawing it `buckets` pixels wide: the x range is
//! cut into `buckets` equal parts and in each part only the first, lowest, highest and last
//! points stay, in their order. The drawn line keeps its whole vertical extent in every
//! pixel column, so it looks the same; lines of at most 4 × buckets points are kept whole.
QList<QPointF> ThinForWidth(const QList<QPointF>& points, int buckets);

//! Draws the long lines of a chart (QLineSeries of more than 4 × width points, x ordered)
//! thinned with ThinForWidth to the pixel columns of the horizontal range shown. The chart
//! keeps each line's exact points and thins them again whenever that range (zooming) or the
//! width of its plot area changes, so a line of 28,000 points redraws as fast as one of a few
//! thousand and looks the same at every zoom. `width` [px] is used until the chart is laid
//! out. Call it once the series are added; series added later are drawn whole.
void ThinLinesToPlotWidth(QChart& chart, int width);

//! The exact points of a line of the chart, whether or not it is drawn thinned.
QList<QPointF> ExactPoints(const QChart& chart, const QXYSeries& series);

}  // namespace quillmere::plot
