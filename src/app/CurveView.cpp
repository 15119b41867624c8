#include "app/CurveView.h"

#include <QCategoryAxis>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QLabel>
#include <QLegend>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>

#include "plot/LineChart.h"

namespace quillmere {
namespace {

//! The margins every chart keeps around itself [px], as LineChart sets them.
constexpr int kChartMargin = 4;

// The range an axis had as built (zoomReset goes back to it).
std::pair<double, double> WholeRange(const QValueAxis& axis) {
  return {axis.property("wholeLow").toDouble(), axis.property("wholeHigh").toDouble()};
}

// Each value axis keeps the range it was built with (zoomReset goes back to it).
void KeepWholeRanges(const QChart& chart) {
  for (QAbstractAxis* any : chart.axes()) {
    if (auto* axis = qobject_cast<QValueAxis*>(any)) {
      axis->setProperty("wholeLow", axis->min());
      axis->setProperty("wholeHigh", axis->max());
    }
  }
}

// Each legend entry keeps the size it asked for the first time the legend was laid out,
// while the room it takes for its line or box follows the legend's side and the widest
// marker of all entries: an entry sized before the legend went to the side of the plot, or
// before the lines' markers had their width, is given too little room and its name is cut.
// Every entry asks afresh, and the legend is laid out with those sizes.
void FreshLegendSizes(QLegend& legend) {
  QList<QGraphicsItem*> pending = legend.childItems();
  while (!pending.isEmpty()) {
    QGraphicsItem* next = pending.takeLast();
    pending << next->childItems();
    if (auto* entry = dynamic_cast<QGraphicsLayoutItem*>(next)) entry->updateGeometry();
  }
  if (legend.layout() != nullptr) legend.layout()->invalidate();
}

}  // namespace

CurveView::CurveView(plot::RunChart kind, Hover hover) : kind_(kind), hover_(std::move(hover)) {
  setObjectName(QStringLiteral("Chart%1").arg(static_cast<int>(kind)));
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RectangleRubberBand);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  setMinimumSize(kChartMinimum);
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  tip_ = new QLabel(viewport());
  tip_->setObjectName(QStringLiteral("HoverTip"));
  tip_->setAttribute(Qt::WA_TransparentForMouseEvents);
  tip_->setForegroundRole(QPalette::ToolTipText);
  tip_->setBackgroundRole(QPalette::ToolTipBase);
  tip_->setAutoFillBackground(true);
  tip_->setFrameShape(QFrame::Box);
  tip_->setMargin(3);
  tip_->hide();
}

void CurveView::SetStackPlace(StackPlace place) {
  place_ = place;
  setMinimumHeight(place.Bottom ? kChartMinimum.height() : kStackedMinimumHeight);
}

void CurveView::ShowTip(const QString& text, QPoint at) {
  tip_->setText(text);
  tip_->adjustSize();
  // Below and right of the pointer, or on its other side where the chart ends.
  constexpr int kOffset = 14;  // [px]
  const QRect room = viewport()->rect();
  int x = at.x() + kOffset;
  int y = at.y() + kOffset;
  if (x + tip_->width() > room.right()) x = std::max(0, at.x() - kOffset - tip_->width());
  if (y + tip_->height() > room.bottom()) y = std::max(0, at.y() - kOffset - tip_->height());
  tip_->move(x, y);
  tip_->show();
  tip_->raise();
}

void CurveView::HideTip() {
  tip_->hide();
}

QString CurveView::TipText() const {
  return tip_->isVisible() ? tip_->text() : QString();
}

bool CurveView::Refresh(const QChart& chart) {
  if (this->chart() == nullptr || !plot::CopyChartData(*this->chart(), chart)) return false;
  KeepWholeRanges(*this->chart());
  marker_->hide();
  return true;
}

void CurveView::Show(std::unique_ptr<QChart> chart) {
  QChart* former = this->chart();
  KeepWholeRanges(*chart);
  // The legend in its place before the chart is first laid out: a second layout would
  // thin its lines again.
  chart->legend()->setAlignment(LegendSide());
  // The former chart's margins, which lined its plot up with the others': the next run
  // mostly needs the same, and is laid out once.
  if (former != nullptr) chart->setMargins(former->margins());
  setChart(chart.release());
  delete former;
  ApplyStackPlace();
  PlaceLegend();
  FreshLegendSizes(*this->chart()->legend());
  marker_ = new QGraphicsLineItem(this->chart());
  marker_->setPen(QPen(QColor(0x30, 0x30, 0x30), 1, Qt::SolidLine));
  marker_->setZValue(100);
  marker_->hide();
}

void CurveView::ApplyStackPlace() {
  QChart& c = *chart();
  for (QAbstractAxis* axis : c.axes(Qt::Horizontal)) {
    if (qobject_cast<QCategoryAxis*>(axis) != nullptr) {
      // The zone numbers, above the top chart only; every chart keeps the zones' lines.
      axis->setLabelsVisible(place_.Top);
    } else {
      axis->setLabelsVisible(place_.Bottom);
      axis->setTitleVisible(place_.Bottom);
    }
  }
}

void CurveView::ZoomOut() {
  QChart& c = *chart();
  if (c.series().isEmpty()) return;
  QValueAxis* x = plot::XAxis(c);
  QValueAxis* y = plot::YAxis(c);
  const auto wider = [](const QValueAxis& axis) {
    const auto [low, high] = WholeRange(axis);
    const double span = std::min(high - low, 2 * (axis.max() - axis.min()));
    const double middle = (axis.max() + axis.min()) / 2;
    const double from = std::clamp(middle - span / 2, low, high - span);
    return std::pair{from, from + span};
  };
  const auto [x0, x1] = wider(*x);
  // Through the chart's zoom, so that every axis (the zones' too) follows. A logarithmic
  // vertical axis keeps its decades.
  QAbstractSeries* series = c.series().front();
  QRectF area(c.mapToPosition({x0, 0}, series), c.mapToPosition({x1, 0}, series));
  if (y != nullptr) {
    const auto [y0, y1] = wider(*y);
    area = QRectF(c.mapToPosition({x0, y1}, series), c.mapToPosition({x1, y0}, series));
  } else {
    area.setTop(c.plotArea().top());
    area.setBottom(c.plotArea().bottom());
  }
  c.zoomIn(area.normalized());
}

void CurveView::SetExtraMargins(int left, int right) {
  const QMargins wanted(kChartMargin + left, kChartMargin, kChartMargin + right, kChartMargin);
  if (chart()->margins() == wanted) return;
  chart()->setMargins(wanted);
  if (chart()->layout() != nullptr) chart()->layout()->activate();
}

std::pair<int, int> CurveView::ExtraMargins() const {
  const QMargins margins = chart()->margins();
  return {margins.left() - kChartMargin, margins.right() - kChartMargin};
}

QRectF CurveView::PlotArea() const {
  if (chart()->layout() != nullptr) chart()->layout()->activate();
  return chart()->mapRectToScene(chart()->plotArea());
}

void CurveView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  PlaceLegend();
  if (resized_) resized_();
}

void CurveView::mouseMoveEvent(QMouseEvent* event) {
  QChartView::mouseMoveEvent(event);
  const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
  const QRectF plot = chart()->plotArea();
  if (!plot.contains(at) || chart()->series().isEmpty()) {
    Leave();
    return;
  }
  marker_->setLine(at.x(), plot.top(), at.x(), plot.bottom());
  marker_->show();
  hover_(kind_, chart()->mapToValue(at, chart()->series().front()).x(),
         event->position().toPoint());
}

void CurveView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    // In place of the view's own zoom out, which goes on past the run's ends.
    ZoomOut();
    event->accept();
    return;
  }
  QChartView::mouseReleaseEvent(event);
}

void CurveView::leaveEvent(QEvent* event) {
  Leave();
  QChartView::leaveEvent(event);
}

// A short chart (a small screen) keeps its height for the plot and the axes' labels: the
// legend goes to its right.
Qt::Alignment CurveView::LegendSide() const {
  constexpr int kLegendBelowFrom = 270;  // [px] of height
  return height() >= kLegendBelowFrom ? Qt::AlignBottom : Qt::AlignRight;
}

void CurveView::PlaceLegend() {
  const Qt::Alignment side = LegendSide();
  QLegend& legend = *chart()->legend();
  if (legend.alignment() == side) return;
  legend.setAlignment(side);
  FreshLegendSizes(legend);
}

void CurveView::Leave() {
  if (marker_ != nullptr) marker_->hide();
  tip_->hide();
  hover_(kind_, std::nullopt, {});
}

}  // namespace quillmere
