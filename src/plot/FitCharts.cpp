#include "plot/FitCharts.h"

#include <QChart>
#include <QFileInfo>
#include <QString>
#include <map>
#include <utility>

#include "plot/ChartFile.h"
#include "plot/LineChart.h"
#include "plot/RunCharts.h"

namespace quillmere::plot {
namespace {

//! Pixels a row of the picture is wide for two charts; the curves are thinned to it.
constexpr int kChartWidth = 720;
constexpr QSize kFitChartSize{kChartWidth, 480};

QString ChartTitle(MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return QStringLiteral("Web temperature");
    case MeasuredQuantity::Residual1:
      return QStringLiteral("Solvent-1 residual ratio");
    case MeasuredQuantity::Residual2:
      return QStringLiteral("Solvent-2 residual ratio");
    case MeasuredQuantity::Weight1:
      return QStringLiteral("Solvent-1 weight");
    case MeasuredQuantity::Weight2:
      return QStringLiteral("Solvent-2 weight");
  }
  return {};
}

QString ValueAxisTitle(MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return QStringLiteral("Temperature (°C)");
    case MeasuredQuantity::Residual1:
    case MeasuredQuantity::Residual2:
      return QStringLiteral("Residual ratio (-)");
    case MeasuredQuantity::Weight1:
    case MeasuredQuantity::Weight2:
      return QStringLiteral("Weight (kg/m2)");
  }
  return {};
}

Quantity QuantityOf(MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return Quantity::WebTemperature;
    case MeasuredQuantity::Residual1:
    case MeasuredQuantity::Weight1:
      return Quantity::Solvent1;
    case MeasuredQuantity::Residual2:
    case MeasuredQuantity::Weight2:
      return Quantity::Solvent2;
  }
  return Quantity::Reference;
}

QList<QPointF> CurveLine(const std::vector<CurvePoint>& curve, std::size_t quantity) {
  QList<QPointF> line;
  line.reserve(static_cast<qsizetype>(curve.size()));
  for (const CurvePoint& p : curve) line.append(QPointF(p.Where, p.Values[quantity]));
  return line;
}

}  // namespace

std::vector<std::unique_ptr<QChart>> FitCharts(const FitResult& result) {
  // Which quantities each axis has measurements of, in a fixed order.
  std::map<std::pair<MeasurementAxis, std::size_t>, bool> measured;
  for (const TrialFit& trial : result.Trials) {
    for (const MeasurementFit& m : trial.Measurements) {
      for (std::size_t q = 0; q < kMeasuredQuantities.size(); ++q) {
        if (kMeasuredQuantities[q] == m.Measured.Quantity) measured[{trial.Axis, q}] = true;
      }
    }
  }
  std::vector<std::unique_ptr<QChart>> charts;
  for (const auto& [key, present] : measured) {
    const auto& [axis, q] = key;
    const MeasuredQuantity quantity = kMeasuredQuantities[q];
    std::vector<NamedSeries> series;
    const QColor colour = QuantityColour(QuantityOf(quantity));
    QColor start = colour;
    start.setAlphaF(0.45);
    bool named = false;
    for (std::size_t t = 0; t < result.Trials.size(); ++t) {
      const TrialFit& trial = result.Trials[t];
      if (trial.Axis != axis) continue;
      // The quantity's colour; each trial in its line style (FitKey names them); the start
      // curve faint. The legend names each kind of line once.
      const SeriesLook look = RunLook(static_cast<int>(t));
      QList<QPointF> points;
      for (const MeasurementFit& m : trial.Measurements) {
        if (m.Measured.Quantity == quantity) {
          points.append(QPointF(m.Measured.Where, m.Measured.Value));
        }
      }
      if (points.isEmpty()) continue;
      const auto name = [named](const char* text) {
        return named ? QString() : QString::fromLatin1(text);
      };
      series.push_back({name("Start values"), CurveLine(trial.StartCurve, q), look, start});
      series.push_back({name("Fitted"), CurveLine(trial.FittedCurve, q), look, colour});
      series.push_back({name("Measured"), points, SeriesLook::Points, colour});
      named = true;
    }
    const AlongDryer along =
        axis == MeasurementAxis::Position ? AlongDryer::Position : AlongDryer::Time;
    charts.push_back(
        LineChart(ChartTitle(quantity), AlongTitle(along), ValueAxisTitle(quantity), series));
    ThinLinesToPlotWidth(*charts.back(), kChartWidth);
  }
  return charts;
}

std::vector<KeyEntry> FitKey(const FitResult& result) {
  std::vector<KeyEntry> key;
  if (result.Trials.size() < 2) return key;
  for (std::size_t t = 0; t < result.Trials.size(); ++t) {
    key.push_back({QFileInfo(QString::fromStdString(result.Trials[t].DataFileName)).fileName(),
                   RunLook(static_cast<int>(t))});
  }
  return key;
}

void SaveFitCharts(const FitResult& result, const std::string& path) {
  const ChartApplication application;
  const std::vector<std::unique_ptr<QChart>> charts = FitCharts(result);
  std::vector<QChart*> pointers;
  for (const auto& chart : charts) pointers.push_back(chart.get());
  SaveCharts(pointers, 2, QString::fromStdString(path), kFitChartSize, FitKey(result));
}

}  // namespace quillmere::plot
