#include "plot/SweepChart.h"

#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "plot/ChartFile.h"
#include "plot/LineChart.h"
#include "report/CsvText.h"

namespace quillmere::plot {
namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QString AxisTitle(const SweepAxis& axis) {
  QString title = Text(axis.Name);
  if (!axis.Field->unit.empty()) title += " (" + Text(std::string(axis.Field->unit)) + ")";
  return title;
}

//! The three lines of one value of the second input (or of the whole sweep).
struct ExitLines {
  NamedSeries Solvent1;
  NamedSeries Solvent2;
  NamedSeries Temperature;
};

}  // namespace

std::unique_ptr<QChart> SweepChart(const std::vector<SweepAxis>& axes,
                                   const std::vector<std::optional<SweepRow>>& rows) {
  if (axes.empty() || axes.size() > 2) {
    throw std::invalid_argument("A sweep chart shows one or two varied inputs");
  }
  // Lines keyed by the value of the second input, in the order of its values.
  std::map<double, ExitLines> lines;
  for (const std::optional<SweepRow>& row : rows) {
    if (!row || !row->Finished) continue;
    const double x = row->Values[0];
    const double key = axes.size() == 2 ? row->Values[1] : 0.0;
    ExitLines& line = lines[key];
    line.Solvent1.Points.append({x, row->Exit.Solvent1Residual});
    line.Solvent2.Points.append({x, row->Exit.Solvent2Residual});
    line.Temperature.Points.append({x, row->Exit.Temperature});
  }
  // One varied input: each line named in the legend. Two: the legend gives each colour's value
  // of the second input, the title says which line is which.
  const bool twoInputs = axes.size() == 2;
  std::vector<NamedSeries> residuals;
  std::vector<NamedSeries> temperatures;
  int index = 0;
  for (auto& [key, line] : lines) {
    const QColor colour = SeriesColour(index++);
    line.Solvent1.Name = twoInputs ? AxisTitle(axes[1]) + " = " + Text(CsvNumber(key))
                                   : QStringLiteral("Solvent-1 residual ratio");
    line.Solvent1.Look = SeriesLook::LineWithPoints;
    line.Solvent1.Colour = colour;
    line.Solvent2.Name = twoInputs ? QString() : QStringLiteral("Solvent-2 residual ratio");
    line.Solvent2.Look = SeriesLook::Dashed;
    line.Solvent2.Colour = twoInputs ? colour : SeriesColour(1);
    line.Temperature.Name = twoInputs ? QString() : QStringLiteral("web temperature (right)");
    line.Temperature.Look = SeriesLook::Dotted;
    line.Temperature.Colour = twoInputs ? colour : SeriesColour(2);
    residuals.push_back(line.Solvent1);
    residuals.push_back(line.Solvent2);
    temperatures.push_back(line.Temperature);
  }
  const QString title =
      twoInputs ? QString::fromUtf8(
                      "At the dryer's exit: residual ratio of Solvent-1 (solid) and Solvent-2 "
                      "(dashed), web temperature (dotted, right)")
                : QStringLiteral("At the dryer's exit");
  auto chart = LineChart(title, AxisTitle(axes[0]), "residual ratio (-)", residuals);
  // The temperatures on an axis of their own at the right.
  auto* right = new QValueAxis;
  right->setTitleText(QString::fromUtf8("web temperature (°C)"));
  right->setTitleFont(YAxis(*chart)->titleFont());
  right->setLabelsFont(YAxis(*chart)->labelsFont());
  right->setGridLineVisible(false);
  chart->addAxis(right, Qt::AlignRight);
  double low = 0;
  double high = 0;
  bool any = false;
  for (const NamedSeries& series : temperatures) {
    QXYSeries* added = AddSeries(*chart, series);
    added->detachAxis(YAxis(*chart));
    added->attachAxis(right);
    for (const QPointF& point : series.Points) {
      low = any ? std::min(low, point.y()) : point.y();
      high = any ? std::max(high, point.y()) : point.y();
      any = true;
    }
  }
  if (any) FitAxis(*right, low, high, 0);
  return chart;
}

bool IsChartFileName(const std::string& path) {
  return ChartFormatOf(QString::fromStdString(path)).has_value();
}

bool SaveSweepChart(const std::vector<SweepAxis>& axes,
                    const std::vector<std::optional<SweepRow>>& rows, const std::string& path,
                    std::string& error) {
  // Qt's notes about the platform (no runtime directory, no window manager) are not the
  // user's business on a command line: only its errors pass.
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
          std::fputs(qPrintable(text + '\n'), stderr);
      });
  struct Restore {
    QtMessageHandler handler;
    ~Restore() { qInstallMessageHandler(handler); }
  } restore{previous};
  ChartApplication application;
  const std::unique_ptr<QChart> chart = SweepChart(axes, rows);
  QString reason;
  if (SaveChart(*chart, QString::fromStdString(path), kChartFileSize, &reason)) return true;
  error = reason.toStdString();
  return false;
}

}  // namespace quillmere::plot
