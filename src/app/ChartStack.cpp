#include "app/ChartStack.h"

#include <QCategoryAxis>
#include <QGridLayout>
#include <QValueAxis>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "plot/LineChart.h"

namespace quillmere {
namespace {

constexpr int kColumns = 2;

std::size_t Place(plot::RunChart chart) {
  return static_cast<std::size_t>(chart);
}

// The zone axis along the top of a run chart, or nullptr.
QCategoryAxis* ZoneAxisOf(const QChart& chart) {
  for (QAbstractAxis* axis : chart.axes(Qt::Horizontal)) {
    if (auto* zones = qobject_cast<QCategoryAxis*>(axis)) return zones;
  }
  return nullptr;
}

}  // namespace

ChartStack::ChartStack(const CurveView::Hover& hover, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ChartStack"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(0);
  const int rows = static_cast<int>(plot::kRunCharts.size()) / kColumns;
  for (const plot::RunChart kind : plot::kRunCharts) {
    auto* view = new CurveView(kind, hover);
    const int n = static_cast<int>(Place(kind));
    view->SetStackPlace({n / kColumns == 0, n / kColumns == rows - 1});
    // A view resized (the window's size, the splitter) lays its chart out afresh.
    view->SetResized([this] { AlignPlots(); });
    views_[Place(kind)] = view;
    grid->addWidget(view, n / kColumns, n % kColumns);
  }
  // The columns share the width alike; the rows the height in the shares that give every
  // plot the same height (the bottom row has the position's labels below its plot), and
  // where the window is short every chart gives up height down to its least.
  for (int row = 0; row < rows; ++row) {
    grid->setRowStretch(row, CurveView::RoomyHeight({row == 0, row == rows - 1}));
  }
  for (int column = 0; column < kColumns; ++column) grid->setColumnStretch(column, 1);
}

CurveView& ChartStack::View(plot::RunChart chart) const {
  return *views_[Place(chart)];
}

void ChartStack::Show(plot::RunChart kind, std::unique_ptr<QChart> chart) {
  CurveView& view = View(kind);
  view.Show(std::move(chart));
  if (QValueAxis* x = plot::XAxis(*view.chart())) {
    connect(x, &QValueAxis::rangeChanged, this, [this, &view] { FollowRange(view); });
  }
}

void ChartStack::FollowRange(const CurveView& from) {
  if (following_) return;
  const QValueAxis* shown = plot::XAxis(*from.chart());
  if (shown == nullptr) return;
  following_ = true;
  for (CurveView* view : views_) {
    if (view == &from || view->chart() == nullptr) continue;
    QChart& chart = *view->chart();
    if (QValueAxis* x = plot::XAxis(chart)) x->setRange(shown->min(), shown->max());
    if (QCategoryAxis* zones = ZoneAxisOf(chart)) zones->setRange(shown->min(), shown->max());
  }
  following_ = false;
}

void ChartStack::ResetZoom() {
  for (CurveView* view : views_) view->chart()->zoomReset();
  // Each chart back to the range it was built with; the others follow the first.
  QValueAxis* x = plot::XAxis(*views_.front()->chart());
  if (x != nullptr && x->property("wholeLow").isValid()) {
    x->setRange(x->property("wholeLow").toDouble(), x->property("wholeHigh").toDouble());
  }
}

void ChartStack::AlignPlots() {
  // A chart laid out afresh may take other ticks for its new height, and labels of another
  // width: again until no plot moves by more than a pixel (three passes at most).
  constexpr int kMostPasses = 3;
  for (int pass = 0; pass < kMostPasses && AlignOnce(); ++pass) {
  }
}

bool ChartStack::AlignOnce() {
  // Each plot's edges as its chart would lay them out without the extra margins, then the
  // margins that bring them to the innermost edges of the column: one layout more, and only
  // for a chart that moves.
  const int rows = static_cast<int>(views_.size()) / kColumns;
  bool moved = false;
  for (int column = 0; column < kColumns; ++column) {
    std::vector<std::pair<double, double>> own;
    double left = 0;
    double right = 1e9;
    for (int row = 0; row < rows; ++row) {
      const CurveView& view = *views_[row * kColumns + column];
      const QRectF plot = view.PlotArea();
      own.emplace_back(plot.left() - view.ExtraMargins().first,
                       plot.right() + view.ExtraMargins().second);
      left = std::max(left, own.back().first);
      right = std::min(right, own.back().second);
    }
    for (int row = 0; row < rows; ++row) {
      const auto [ownLeft, ownRight] = own[static_cast<std::size_t>(row)];
      CurveView& view = *views_[row * kColumns + column];
      const std::pair<int, int> extra{static_cast<int>(std::lround(left - ownLeft)),
                                      static_cast<int>(std::lround(ownRight - right))};
      const std::pair<int, int> now = view.ExtraMargins();
      if (std::abs(extra.first - now.first) <= 1 && std::abs(extra.second - now.second) <= 1) {
        continue;
      }
      view.SetExtraMargins(extra.first, extra.second);
      moved = true;
    }
  }
  return moved;
}

}  // namespace quillmere
