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
                                   const std::vector<std::optional<SweepRow>>& rows,
                                   std::vector<KeyEntry>* key) {
  if (axes.empty() || axes.size() > 2) {
    throw std::invalid_argument("A sweep chart shows one or two varied inputs");
  }
  // Lines keyed by the value of the second input, in the order of its values.
  std::map<double, ExitLines> lines;
  for (const std::optional<SweepRow>& row : rows) {
    if (!row || !row->Finished) continue;
    const double x = row->Values[0];
    const double second = axes.size() == 2 ? row->Values[1] : 0.0;
    ExitLines& line = lines[second];
    line.Solvent1.Points.append({x, row->Exit.Solvent1Residual});
    line.Solvent2.Points.append({x, row->Exit.Solvent2Residual});
    line.Temperature.Points.append({x, row->Exit.Temperature});
  }
  // Each quantity in its colour; for two varied inputs, each value of the second in a line
  // style of its own, named in the key.
  const bool twoInputs = axes.size() == 2;
  std::vector<NamedSeries> residuals;
  std::vector<NamedSeries> temperatures;
  int index = 0;
  for (auto& [value, line] : lines) {
    const SeriesLook look = twoInputs ? RunLook(index) : SeriesLook::LineWithPoints;
    const bool first = index++ == 0;
    line.Solvent1.Name = first ? QStringLiteral("Solvent-1 residual ratio") : QString();
    line.Solvent1.Look = look;
    line.Solvent1.Colour = QuantityColour(Quantity::Solvent1);
    line.Solvent2.Name = first ? QStringLiteral("Solvent-2 residual ratio") : QString();
    line.Solvent2.Look = look;
    line.Solvent2.Colour = QuantityColour(Quantity::Solvent2);
    line.Temperature.Name = first ? QStringLiteral("Web temperature (right axis)") : QString();
    line.Temperature.Look = look;
    line.Temperature.Colour = QuantityColour(Quantity::WebTemperature);
    residuals.push_back(line.Solvent1);
    residuals.push_back(line.Solvent2);
    temperatures.push_back(line.Temperature);
    if (twoInputs && key != nullptr) {
      key->push_back({AxisTitle(axes[1]) + " = " + Text(CsvNumber(value)), look});
    }
  }
  const QString title = QStringLiteral("At the dryer's exit");
  auto chart = LineChart(title, AxisTitle(axes[0]), "Residual ratio (-)", residuals);
  // The temperatures on an axis of their own at the right.
  auto* right = new QValueAxis;
  right->setTitleText(QString::fromUtf8("Web temperature (°C)"));
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
  if (any) FitAxis(*right, low, high);
  return chart;
}

bool IsChartFileName(const std::string& path) {
  return ChartFormatOf(QString::fromStdString(path)).has_value();
}

void SaveSweepChart(const std::vector<SweepAxis>& axes,
                    const std::vector<std::optional<SweepRow>>& rows, const std::string& path) {
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
  std::vector<KeyEntry> key;
  const std::unique_ptr<QChart> chart = SweepChart(axes, rows, &key);
  SaveChart(*chart, QString::fromStdString(path), kChartFileSize, key);
}

}  // namespace quillmere::plot
