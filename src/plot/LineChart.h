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
#include <QPen>
#include <QPointF>
#include <QString>
#include <memory>
#include <span>

class QValueAxis;
class QXYSeries;

namespace quillmere::plot {

//! Room left above and below the values of a vertical axis, as a share of their span.
inline constexpr double kHeadroom = 0.05;

//! How a series is drawn.
enum class SeriesLook {
  Line,            //!< a solid line through the points
  Dashed,          //!< a dashed line (a starting guess, a second solvent, a reference)
  Dotted,          //!< a thin dotted line (the zone air's temperature)
  Points,          //!< markers only, no line (measured points)
  LineWithPoints,  //!< a solid line with a marker at each point (few points: a sweep)
  DashDot,         //!< a dash-dotted line (a fourth run)
  LongDash,        //!< a line of long dashes (a fifth run)
};

//! How the n-th run of a comparison is drawn (0 the current run, solid; then dashed, dotted,
//! dash-dotted, long dashes, repeating after five). Every chart, on screen, in files and on the
//! command line, tells runs apart by their line style and quantities by their colour.
SeriesLook RunLook(int run);

//! The pen a line of that look and colour is drawn with.
QPen SeriesPen(SeriesLook look, const QColor& colour);

//! One named series of (x, y) points, in the units of the chart's axes.
struct NamedSeries {
  QString Name;  //!< the legend's text; empty keeps the series out of the legend
  QList<QPointF> Points;
  SeriesLook Look = SeriesLook::Line;
  QColor Colour;  //!< invalid: SeriesColour(i) of the series' place i in the list
};

//! The n-th colour (0, 1, ...) of the Okabe–Ito palette, which stays apart for the common
//! kinds of colour blindness and on paper: blue, vermillion, bluish green, reddish purple,
//! orange, sky blue, black, yellow, repeating after eight.
QColor SeriesColour(int index);

//! The colour of each quantity drawn, the same in every chart of the program.
enum class Quantity {
  WebTemperature,  //!< vermillion
  AirTemperature,  //!< sky blue
  Solvent1,        //!< blue
  Solvent2,        //!< orange
  VapourPressure,  //!< bluish green
  Reference,       //!< black: the air pressure, other fixed values
};
QColor QuantityColour(Quantity quantity);

//! Numbers on the chart's axes with `decimalSeparator` ('.' or ','), as the window shows them.
void SetDecimalSeparator(QChart& chart, char decimalSeparator);

//! Decimals the labels of an axis from `low` to `high` take when it is `pixels` long, laid
//! out as the chart lays it out (about one label per 80 px across, per 30 px up).
struct AxisTicks {
  double Step = 1;   //!< between ticks, 1, 2, 2.5 or 5 times a power of ten
  int Decimals = 0;  //!< that the labels of that step need
};
AxisTicks TicksFor(double low, double high, double pixels, Qt::Orientation orientation);

//! A chart with a value axis below (x) and at the left (y), each with its title, and one
//! series for each entry of `series`, in order. The horizontal axis spans the points (and 3 %
//! more on each side where there are markers, so that none is cut), the vertical one has 5 %
//! of room above and below, out to round numbers; the ticks follow the pixels of the plot. A legend
//! names the series that have a name; it is hidden when none has. Series with no points are added
//! (they keep their legend entry) but do not widen the axes.
std::unique_ptr<QChart> LineChart(const QString& title, const QString& xTitle,
                                  const QString& yTitle, std::span<const NamedSeries> series);

//! Adds one series to a chart built by LineChart, on its two value axes, which do not change
//! their range. Returns the series, owned by the chart.
QXYSeries* AddSeries(QChart& chart, const NamedSeries& series);

//! The horizontal (x) and vertical (y) value axes of a chart built by LineChart.
QValueAxis* XAxis(const QChart& chart);
QValueAxis* YAxis(const QChart& chart);

//! Sets an axis of a chart built by LineChart to [low, high] widened by `margin` of the span on
//! each side and rounded outwards to round numbers (a twentieth of the span, on 1, 2, 2.5 or
//! 5 times a power of ten); with no margin, exactly [low, high]. A span of 0 is widened around
//! its value. The axis keeps its ticks on round numbers, as many as its pixels allow.
void FitAxis(QValueAxis& axis, double low, double high, double margin = kHeadroom);

//! A shorter title the axis takes while its own is longer than the axis: the words shortened,
//! the unit kept ("Pressure (mmHg)" for "Vapour pressure (mmHg)").
void SetShortTitle(QValueAxis& axis, const QString& brief);

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

//! Gives `into` the points and the axes' ranges of `from`, a chart of the same make-up (the
//! same series in order, each of the same kind, name and pen, and the same axes, each of the
//! same kind, title and category labels), and returns true; where the make-up differs,
//! changes nothing and returns false. No series or axis is made anew, so the chart is laid
//! out again only where a range or a category's boundary moved: a chart redrawn for other
//! values of the same quantities costs its drawing alone. Lines drawn thinned
//! (ThinLinesToPlotWidth) take `from`'s exact points, thinned for what `into` shows.
bool CopyChartData(QChart& into, const QChart& from);

}  // namespace quillmere::plot
