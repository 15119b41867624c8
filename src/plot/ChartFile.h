// Charts written to picture files, with or without a display: the window's export and the
// command-line tools' --plot use the same functions.
//
// A program without windows creates a ChartApplication first; it draws on Qt's offscreen
// platform, so no display is needed:
//
//   quillmere::plot::ChartApplication app;
//   auto chart = quillmere::plot::LineChart("Exit residual ratio", "Speed (m/s)", "(-)", lines);
//   QString error;
//   if (!quillmere::plot::SaveChart(*chart, "sweep.svg", quillmere::plot::kChartFileSize, &error))
//     std::cerr << error.toStdString() << '\n';
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "plot/ChartKey.h"

class QChart;

namespace quillmere::plot {

//! Picture formats a chart is written in.
enum class ChartFormat { Svg, Png };

//! The size of a chart file when the caller has no other wish [px].
inline constexpr QSize kChartFileSize{900, 560};

//! The format a file name asks for by its extension (".svg" or ".png", any case), or nullopt.
std::optional<ChartFormat> ChartFormatOf(const QString& path);

//! The chart drawn at `size` as an SVG document (UTF-8) or as PNG bytes, with `key` (if any)
//! under it, the picture growing by the key's height. The chart may be shown in a view
//! meanwhile: it is drawn at the size asked and given back its own size.
QByteArray RenderChart(QChart& chart, ChartFormat format, QSize size = kChartFileSize,
                       std::span<const KeyEntry> key = {});

//! Several charts in one picture, `columns` charts a row (rows filled left to right, top to
//! bottom), each drawn at `cell`; the charts of a last row that is not full share its whole
//! width. The key goes under them all. The SVG's title is the first chart's.
QByteArray RenderCharts(std::span<QChart* const> charts, int columns, ChartFormat format,
                        QSize cell = kChartFileSize, std::span<const KeyEntry> key = {});

//! Writes the charts, as RenderCharts lays them out, into the file `path` in the format its
//! extension names. Throws FileError as SaveChart.
void SaveCharts(std::span<QChart* const> charts, int columns, const QString& path,
                QSize cell = kChartFileSize, std::span<const KeyEntry> key = {});

//! Writes the chart (and the key under it) into the file `path` in the format its extension
//! names (ChartFormatOf). Throws FileError ("Could not write the picture "a.gif": a chart file
//! name ends in .svg or .png") when the extension is neither or the file cannot be written.
void SaveChart(QChart& chart, const QString& path, QSize size = kChartFileSize,
               std::span<const KeyEntry> key = {});

//! The QApplication a program without windows needs to draw charts, on the offscreen platform
//! (no display needed). Create one before the first chart and keep it while drawing; when the
//! program already has a QApplication, this does nothing. The process keeps its locale (the
//! application would take the environment's, and a "," would creep into numbers printed
//! after it), and Qt finds a private runtime directory where the environment names none
//! rather than printing a note about it.
class ChartApplication {
 public:
  ChartApplication();
  ~ChartApplication();
  ChartApplication(const ChartApplication&) = delete;
  ChartApplication& operator=(const ChartApplication&) = delete;

 private:
  int argc_ = 3;
  char program_[10] = "quillmere";
  char option_[10] = "-platform";
  char platform_[10] = "offscreen";
  char* argv_[4] = {program_, option_, platform_, nullptr};
  std::string runtimeDirectory_;  //!< made for Qt when XDG_RUNTIME_DIR was not set
  std::unique_ptr<QApplication> application_;
};

}  // namespace quillmere::plot
