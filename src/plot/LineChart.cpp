#include "plot/LineChart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPen>
#include <QPointer>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace quillmere::plot {
namespace {

constexpr double kLineWidth = 2.0;     // [px] of the runs' lines
constexpr double kMarkerSize = 7.0;    // [px] of measured points
constexpr int kLegendPixels = 12;      // legend text height
const QList<qreal> kDashes{2.5, 1.5};  // dash, gap [pen widths]
constexpr int kAxisTitlePixels = 12;   // axis titles
constexpr int kChartTitlePixels = 14;  // the chart's title
constexpr double kMarkerRoom = 0.03;   // of the span, beside the first and last marker

QFont PixelFont(const QFont& base, int pixels, bool bold = false) {
  QFont font(base);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// A round step near span / count: 1, 2, 2.5 or 5 times a power of ten, with the decimals its
// multiples need.
AxisTicks RoundStep(double span, double count) {
  const double rough = span / count;
  const int power = static_cast<int>(std::floor(std::log10(rough)));
  // A span a rounding error above a round one (0.51 - 0.5) takes that round one's ticks.
  const double f = rough / std::pow(10.0, power) * (1 - 1e-9);
  const double mantissa = f <= 1 ? 1 : f <= 2 ? 2 : f <= 2.5 ? 2.5 : f <= 5 ? 5 : 10;
  AxisTicks ticks;
  ticks.Step = mantissa * std::pow(10.0, power);
  // 2.5 times a power of ten below 10 (0.25, 2.5) takes a decimal more; 25 and 250 are whole.
  ticks.Decimals =
      std::max(0, mantissa == 10 ? -power - 1 : -power) + (mantissa == 2.5 && power <= 0 ? 1 : 0);
  return ticks;
}

constexpr double kPixelsPerLabelAcross = 80;  // [px] a label and the gap to the next
constexpr double kPixelsPerLabelUp = 30;      // [px]
constexpr double kRoundingSteps = 20;         // an axis's ends are rounded to span / this

// The axis's title, or its short form where the long one is longer than the axis [px].
void ChooseTitle(QValueAxis& axis, double pixels) {
  const QVariant full = axis.property("fullTitle");
  const QVariant brief = axis.property("shortTitle");
  if (!full.isValid() || !brief.isValid() || !(pixels >= 1)) return;
  const QFontMetricsF metrics(axis.titleFont());
  constexpr double kPadding = 8;  // [px] the chart leaves at the title's ends
  const QString title = metrics.horizontalAdvance(full.toString()) + kPadding <= pixels
                            ? full.toString()
                            : brief.toString();
  if (axis.titleText() != title) axis.setTitleText(title);
}

// Keeps the ticks of every value axis of a chart on round numbers, as many as the plot's pixels
// allow, while the ranges (zooming) and the plot's size change.
class TickKeeper : public QObject {
 public:
  explicit TickKeeper(QChart& chart) : QObject(&chart), chart_(chart) {
    connect(&chart, &QChart::plotAreaChanged, this, &TickKeeper::Place);
    Place();
  }

  void Place() {
    const QRectF area = chart_.plotArea();
    for (QAbstractAxis* any : chart_.axes()) {
      auto* axis = qobject_cast<QValueAxis*>(any);
      if (axis == nullptr) continue;
      connect(axis, &QValueAxis::rangeChanged, this, &TickKeeper::Place, Qt::UniqueConnection);
      const Qt::Orientation orientation = axis->orientation();
      ChooseTitle(*axis, orientation == Qt::Horizontal ? area.width() : area.height());
      const double pixels = orientation == Qt::Horizontal
                                ? (area.width() >= 1 ? area.width() : 600)
                                : (area.height() >= 1 ? area.height() : 300);
      if (!(axis->max() > axis->min())) continue;
      const AxisTicks ticks = TicksFor(axis->min(), axis->max(), pixels, orientation);
      const QString format = QStringLiteral("%.%1f").arg(ticks.Decimals);
      if (axis->tickType() == QValueAxis::TicksDynamic && axis->tickInterval() == ticks.Step &&
          axis->labelFormat() == format)
        continue;
      axis->setTickType(QValueAxis::TicksDynamic);
      axis->setTickAnchor(0);
      axis->setTickInterval(ticks.Step);
      axis->setLabelFormat(format);
    }
  }

 private:
  QChart& chart_;
};

QValueAxis* NewAxis(const QString& title, const QFont& base) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setTitleFont(PixelFont(base, kAxisTitlePixels));
  axis->setLabelsFont(PixelFont(base, kAxisTitlePixels - 1));
  axis->setMinorTickCount(0);
  return axis;
}

QValueAxis* ValueAxis(const QChart& chart, Qt::Orientation orientation) {
  for (QAbstractAxis* axis : chart.axes(orientation)) {
    if (auto* value = qobject_cast<QValueAxis*>(axis)) return value;
  }
  return nullptr;
}

// The exact points of a chart's long lines, thinned again into their series for the range
// and width shown.
class LineThinner : public QObject {
 public:
  LineThinner(QChart& chart, int width) : QObject(&chart), chart_(chart), width_(width) {
    for (QAbstractSeries* series : chart.series()) {
      auto* line = qobject_cast<QLineSeries*>(series);
      if (line != nullptr && line->count() > 4 * width) lines_.push_back({line, line->points()});
    }
    if (QValueAxis* x = XAxis(chart)) {
      connect(x, &QValueAxis::rangeChanged, this, &LineThinner::Thin);
    }
    connect(&chart, &QChart::plotAreaChanged, this, &LineThinner::Thin);
    Thin();
  }

  const QList<QPointF>* Exact(const QXYSeries& series) const {
    for (const Line& line : lines_) {
      if (line.series == &series) return &line.points;
    }
    return nullptr;
  }

  //! Gives a line drawn thinned other exact points; false for a line drawn whole.
  bool Replace(const QXYSeries& series, const QList<QPointF>& points) {
    for (Line& line : lines_) {
      if (line.series != &series) continue;
      // The same points (the run a preview is drawn against) are neither thinned nor drawn
      // again.
      if (line.points == points) return true;
      line.points = points;
      if (columns_ > 0) {
        ThinLine(line);
      } else {
        line.series->replace(points);
      }
      return true;
    }
    return false;
  }

 private:
  struct Line {
    QPointer<QXYSeries> series;
    QList<QPointF> points;
  };

  void Thin() {
    const QValueAxis* x = XAxis(chart_);
    if (x == nullptr) return;
    const double plotWidth = chart_.plotArea().width();
    const int columns = plotWidth >= 1 ? static_cast<int>(plotWidth) : width_;
    // The plot's height, its place and the other axes do not change what is drawn.
    if (columns == columns_ && x->min() == low_ && x->max() == high_) return;
    columns_ = columns;
    low_ = x->min();
    high_ = x->max();
    for (const Line& line : lines_) ThinLine(line);
  }

  void ThinLine(const Line& line) const {
    if (line.series.isNull()) return;
    const QList<QPointF>& all = line.points;
    const auto byX = [](const QPointF& p, double v) { return p.x() < v; };
    // The points shown, and one beyond each side so the line reaches the plot's edges.
    auto from = std::lower_bound(all.begin(), all.end(), low_, byX);
    auto to = std::lower_bound(from, all.end(), high_, byX);
    if (from != all.begin()) --from;
    if (to != all.end()) ++to;
    line.series->replace(ThinForWidth(QList<QPointF>(from, to), columns_));
  }

  QChart& chart_;
  int width_;
  std::vector<Line> lines_;
  int columns_ = 0;  // what the lines were last thinned for
  double low_ = 0;
  double high_ = 0;
};

}  // namespace

QPen SeriesPen(SeriesLook look, const QColor& colour) {
  QPen pen(colour);
  pen.setWidthF(kLineWidth);
  // Dashes short enough that a legend's line sample shows two of them.
  switch (look) {
    case SeriesLook::Dashed:
      pen.setDashPattern(kDashes);
      break;
    case SeriesLook::Dotted:
      pen.setDashPattern({0.8, 1.6});
      break;
    case SeriesLook::DashDot:
      pen.setDashPattern({3.5, 1.5, 0.8, 1.5});
      break;
    case SeriesLook::LongDash:
      pen.setDashPattern({6, 2});
      break;
    case SeriesLook::Line:
    case SeriesLook::Points:
    case SeriesLook::LineWithPoints:
      break;
  }
  return pen;
}

QColor SeriesColour(int index) {
  // Okabe and Ito's eight colours, yellow (weak on white) last.
  static constexpr std::array<QRgb, 8> kColours{0x0072b2, 0xd55e00, 0x009e73, 0xcc79a7,
                                                0xe69f00, 0x56b4e9, 0x000000, 0xf0e442};
  const auto n = static_cast<std::size_t>(index < 0 ? -index : index) % kColours.size();
  return QColor::fromRgb(kColours.at(n));
}

QColor QuantityColour(Quantity quantity) {
  switch (quantity) {
    case Quantity::WebTemperature:
      return SeriesColour(1);
    case Quantity::AirTemperature:
      return SeriesColour(5);
    case Quantity::Solvent1:
      return SeriesColour(0);
    case Quantity::Solvent2:
      return SeriesColour(4);
    case Quantity::VapourPressure:
      return SeriesColour(2);
    case Quantity::Reference:
      return SeriesColour(6);
  }
  return SeriesColour(6);
}

SeriesLook RunLook(int run) {
  static constexpr std::array<SeriesLook, 5> kLooks{SeriesLook::Line, SeriesLook::Dashed,
                                                    SeriesLook::Dotted, SeriesLook::DashDot,
                                                    SeriesLook::LongDash};
  return kLooks.at(static_cast<std::size_t>(run < 0 ? -run : run) % kLooks.size());
}

void SetDecimalSeparator(QChart& chart, char decimalSeparator) {
  // The labels are formatted by the chart's locale: one whose decimal separator is the one
  // asked, without group separators.
  QLocale locale =
      decimalSeparator == ',' ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  chart.setLocale(locale);
  chart.setLocalizeNumbers(true);
}

AxisTicks TicksFor(double low, double high, double pixels, Qt::Orientation orientation) {
  const double perLabel = orientation == Qt::Horizontal ? kPixelsPerLabelAcross : kPixelsPerLabelUp;
  return RoundStep(high - low, std::max(2.0, std::floor(pixels / perLabel)));
}

std::unique_ptr<QChart> LineChart(const QString& title, const QString& xTitle,
                                  const QString& yTitle, std::span<const NamedSeries> series) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(title);
  const QFont base = chart->titleFont();
  chart->setTitleFont(PixelFont(base, kChartTitlePixels, true));
  chart->legend()->setFont(PixelFont(base, kLegendPixels));
  chart->legend()->setAlignment(Qt::AlignBottom);
  // No room spent around the chart: on a small screen the plot and its labels need it.
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->setBackgroundRoundness(0);
  if (chart->layout() != nullptr) chart->layout()->setContentsMargins(0, 0, 0, 0);
  chart->addAxis(NewAxis(xTitle, base), Qt::AlignBottom);
  chart->addAxis(NewAxis(yTitle, base), Qt::AlignLeft);

  bool markers = false;
  double xLow = std::numeric_limits<double>::max();
  double xHigh = std::numeric_limits<double>::lowest();
  double yLow = xLow;
  double yHigh = xHigh;
  bool named = false;
  for (std::size_t i = 0; i < series.size(); ++i) {
    NamedSeries entry = series[i];
    if (!entry.Colour.isValid()) entry.Colour = SeriesColour(static_cast<int>(i));
    AddSeries(*chart, entry);
    named = named || !entry.Name.isEmpty();
    markers = markers || (!entry.Points.isEmpty() && (entry.Look == SeriesLook::Points ||
                                                      entry.Look == SeriesLook::LineWithPoints));
    for (const QPointF& p : entry.Points) {
      xLow = std::min(xLow, p.x());
      xHigh = std::max(xHigh, p.x());
      yLow = std::min(yLow, p.y());
      yHigh = std::max(yHigh, p.y());
    }
  }
  if (xLow <= xHigh) {
    FitAxis(*XAxis(*chart), xLow, xHigh, markers ? kMarkerRoom : 0);
    FitAxis(*YAxis(*chart), yLow, yHigh);
  }
  chart->legend()->setVisible(named);
  new TickKeeper(*chart);
  return chart;
}

QXYSeries* AddSeries(QChart& chart, const NamedSeries& series) {
  QXYSeries* xy = nullptr;
  if (series.Look == SeriesLook::Points) {
    auto* scatter = new QScatterSeries;
    scatter->setMarkerSize(kMarkerSize);
    scatter->setColor(series.Colour);
    scatter->setBorderColor(series.Colour.darker(130));
    xy = scatter;
  } else {
    auto* line = new QLineSeries;
    line->setPen(SeriesPen(series.Look, series.Colour));
    line->setPointsVisible(series.Look == SeriesLook::LineWithPoints);
    xy = line;
  }
  xy->setName(series.Name);
  xy->setUseOpenGL(false);
  xy->replace(series.Points);
  chart.addSeries(xy);
  if (QValueAxis* x = XAxis(chart)) xy->attachAxis(x);
  // The vertical axis: a value axis, or the logarithmic one that took its place.
  const QList<QAbstractAxis*> vertical = chart.axes(Qt::Vertical);
  if (QValueAxis* y = YAxis(chart)) {
    xy->attachAxis(y);
  } else if (!vertical.isEmpty()) {
    xy->attachAxis(vertical.front());
  }
  if (series.Name.isEmpty()) {
    for (QLegendMarker* marker : chart.legend()->markers(xy)) marker->setVisible(false);
  }
  return xy;
}

QValueAxis* XAxis(const QChart& chart) {
  return ValueAxis(chart, Qt::Horizontal);
}

QValueAxis* YAxis(const QChart& chart) {
  return ValueAxis(chart, Qt::Vertical);
}

void FitAxis(QValueAxis& axis, double low, double high, double margin) {
  double span = high - low;
  if (!(span > 0)) {
    // One value: a range around it, 1 wide near 0, else 20 % of the value.
    span = std::abs(low) > 0 ? std::abs(low) * 0.2 : 1.0;
    low -= span / 2;
    high += span / 2;
  }
  if (!(margin > 0)) {
    axis.setRange(low, high);
    return;
  }
  low -= span * margin;
  high += span * margin;
  // Out to round numbers around the range; an end a rounding error past one stays on it.
  const double step = RoundStep(high - low, kRoundingSteps).Step;
  constexpr double kSlack = 1e-9;  // of a step
  axis.setRange(std::floor(low / step + kSlack) * step, std::ceil(high / step - kSlack) * step);
}

void SetShortTitle(QValueAxis& axis, const QString& brief) {
  axis.setProperty("fullTitle", axis.titleText());
  axis.setProperty("shortTitle", brief);
}

void ThinLinesToPlotWidth(QChart& chart, int width) {
  new LineThinner(chart, std::max(width, 1));
}

QList<QPointF> ExactPoints(const QChart& chart, const QXYSeries& series) {
  // LineThinner has no meta-object of its own: told apart from the other children by its type.
  for (const QObject* child : chart.children()) {
    if (const auto* thinner = dynamic_cast<const LineThinner*>(child)) {
      if (const QList<QPointF>* exact = thinner->Exact(series)) return *exact;
    }
  }
  return series.points();
}

namespace {

LineThinner* ThinnerOf(const QChart& chart) {
  // LineThinner has no meta-object of its own: told apart from the other children by its type.
  for (QObject* child : chart.children()) {
    if (auto* thinner = dynamic_cast<LineThinner*>(child)) return thinner;
  }
  return nullptr;
}

bool SameSeries(const QAbstractSeries& a, const QAbstractSeries& b) {
  if (a.type() != b.type() || a.name() != b.name()) return false;
  if (const auto* line = qobject_cast<const QXYSeries*>(&a)) {
    return line->pen() == static_cast<const QXYSeries&>(b).pen();
  }
  return true;
}

bool SameAxis(QAbstractAxis& a, QAbstractAxis& b) {
  if (a.type() != b.type() || a.alignment() != b.alignment() || a.titleText() != b.titleText()) {
    return false;
  }
  auto* categories = qobject_cast<QCategoryAxis*>(&a);
  return categories == nullptr ||
         categories->categoriesLabels() == static_cast<QCategoryAxis&>(b).categoriesLabels();
}

// The range of `from` given to `into`, an axis of the same kind.
void CopyRange(QAbstractAxis& into, QAbstractAxis& from) {
  if (auto* categories = qobject_cast<QCategoryAxis*>(&into)) {
    auto& source = static_cast<QCategoryAxis&>(from);
    const QStringList labels = categories->categoriesLabels();
    // A boundary summed from other steps may differ in its last bits: not a move.
    const double tolerance = 1e-9 * std::abs(source.max() - source.min());
    const auto differ = [tolerance](double a, double b) { return std::abs(a - b) > tolerance; };
    bool moved = differ(categories->startValue(), source.startValue());
    for (const QString& label : labels) {
      moved = moved || differ(categories->endValue(label), source.endValue(label));
    }
    if (moved) {
      for (const QString& label : labels) categories->remove(label);
      categories->setStartValue(source.startValue());
      for (const QString& label : labels) categories->append(label, source.endValue(label));
    }
  }
  into.setRange(from.property("min"), from.property("max"));
}

}  // namespace

bool CopyChartData(QChart& into, const QChart& from) {
  const QList<QAbstractSeries*> series = into.series();
  const QList<QAbstractSeries*> source = from.series();
  const QList<QAbstractAxis*> axes = into.axes();
  const QList<QAbstractAxis*> sourceAxes = from.axes();
  if (series.size() != source.size() || axes.size() != sourceAxes.size()) return false;
  for (qsizetype i = 0; i < series.size(); ++i) {
    if (!SameSeries(*series[i], *source[i])) return false;
  }
  for (qsizetype i = 0; i < axes.size(); ++i) {
    if (!SameAxis(*axes[i], *sourceAxes[i])) return false;
  }
  LineThinner* thinner = ThinnerOf(into);
  // The ranges first: the thinned lines follow the range shown.
  for (qsizetype i = 0; i < axes.size(); ++i) CopyRange(*axes[i], *sourceAxes[i]);
  for (qsizetype i = 0; i < series.size(); ++i) {
    if (auto* area = qobject_cast<QAreaSeries*>(series[i])) {
      const auto& other = static_cast<const QAreaSeries&>(*source[i]);
      const auto copy = [](QLineSeries* to, const QLineSeries* points) {
        if (to != nullptr && points != nullptr && to->points() != points->points()) {
          to->replace(points->points());
        }
      };
      copy(area->upperSeries(), other.upperSeries());
      copy(area->lowerSeries(), other.lowerSeries());
    } else if (auto* xy = qobject_cast<QXYSeries*>(series[i])) {
      const QList<QPointF> exact = ExactPoints(from, static_cast<const QXYSeries&>(*source[i]));
      if ((thinner == nullptr || !thinner->Replace(*xy, exact)) && xy->points() != exact) {
        xy->replace(exact);
      }
    }
  }
  return true;
}

QList<QPointF> ThinForWidth(const QList<QPointF>& points, int buckets) {
  if (buckets < 1 || points.size() <= 4 * qsizetype(buckets)) return points;
  const double x0 = points.front().x();
  const double width = points.back().x() - x0;
  if (!(width > 0)) return points;
  QList<QPointF> thinned;
  thinned.reserve(4 * buckets + 2);
  const auto bucketOf = [&](const QPointF& p) {
    return std::min<qsizetype>(buckets - 1, static_cast<qsizetype>((p.x() - x0) / width * buckets));
  };
  const qsizetype n = points.size();
  qsizetype i = 0;
  while (i < n) {
    // The points of this bucket: i to end - 1.
    const qsizetype bucket = bucketOf(points[i]);
    qsizetype end = i + 1;
    while (end < n && bucketOf(points[end]) == bucket) ++end;
    qsizetype lowest = i;
    qsizetype highest = i;
    for (qsizetype j = i + 1; j < end; ++j) {
      if (points[j].y() < points[lowest].y()) lowest = j;
      if (points[j].y() > points[highest].y()) highest = j;
    }
    // First, the extremes in their order, last; each index once.
    std::array<qsizetype, 4> keep{i, std::min(lowest, highest), std::max(lowest, highest), end - 1};
    qsizetype previous = -1;
    for (const qsizetype k : keep) {
      if (k != previous) thinned.push_back(points[k]);
      previous = k;
    }
    i = end;
  }
  return thinned;
}

}  // namespace quillmere::plot
