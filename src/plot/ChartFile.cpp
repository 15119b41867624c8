#include "plot/ChartFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QBuffer>
#include <QChart>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/PrintableText.h"
#include "report/FileIO.h"

namespace quillmere::plot {
namespace {

// Lays the chart out at `size` in a scene (its own when it shows in none), lets `draw` paint
// the scene's chart area, and gives the chart back its former geometry and scene.
template <typename Draw>
void DrawChartAt(QChart& chart, QSize size, Draw&& draw) {
  std::unique_ptr<QGraphicsScene> ownScene;
  QGraphicsScene* scene = chart.scene();
  if (scene == nullptr) {
    ownScene = std::make_unique<QGraphicsScene>();
    ownScene->addItem(&chart);
    scene = ownScene.get();
  }
  const QRectF former = chart.geometry();
  chart.setGeometry(QRectF(former.topLeft(), QSizeF(size)));
  if (chart.layout() != nullptr) chart.layout()->activate();
  draw(*scene, chart.sceneBoundingRect());
  chart.setGeometry(former);
  if (chart.layout() != nullptr) chart.layout()->activate();
  // The scene would delete the chart with itself: the caller keeps it.
  if (ownScene) ownScene->removeItem(&chart);
}

//! Why a picture could not be written to `path`, where Qt's own text says nothing ("Unknown
//! error" when its temporary file cannot be made): the directory's state, as the system
//! gives it.
QString WriteFailureReason(const QString& path, const QString& qtReason) {
  const QByteArray directory = QFile::encodeName(QFileInfo(path).absolutePath());
  struct stat status {};
  if (::stat(directory.constData(), &status) != 0) {
    return QString::fromStdString(quillmere::SystemReason(errno));
  }
  if (!S_ISDIR(status.st_mode)) return QString::fromStdString(quillmere::SystemReason(ENOTDIR));
  if (::access(directory.constData(), W_OK | X_OK) != 0) {
    return QString::fromStdString(quillmere::SystemReason(errno));
  }
  return qtReason.isEmpty() ? QStringLiteral("Unknown error") : qtReason;
}

}  // namespace

std::optional<ChartFormat> ChartFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("svg")) return ChartFormat::Svg;
  if (suffix == QLatin1String("png")) return ChartFormat::Png;
  return std::nullopt;
}

QByteArray RenderChart(QChart& chart, ChartFormat format, QSize size,
                       std::span<const KeyEntry> key) {
  QChart* const one[] = {&chart};
  return RenderCharts(one, 1, format, size, key);
}

QByteArray RenderCharts(std::span<QChart* const> charts, int columns, ChartFormat format,
                        QSize cell, std::span<const KeyEntry> key) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  columns = std::max(1, std::min(columns, static_cast<int>(charts.size())));
  const int rows = (static_cast<int>(charts.size()) + columns - 1) / columns;
  const int width = cell.width() * columns;
  const int keyHeight = KeyHeight(key, width);
  const QSize size(width, cell.height() * std::max(rows, 1) + keyHeight);
  // Each chart into its cell of the picture; the charts of a last row that is not full share
  // the row.
  const auto drawAll = [&](QPainter& painter) {
    const int count = static_cast<int>(charts.size());
    for (int i = 0; i < count; ++i) {
      const int row = i / columns;
      const int inRow = std::min(columns, count - row * columns);
      const QSize own(width / inRow, cell.height());
      const QRectF target(QPointF((i % columns) * own.width(), row * cell.height()), QSizeF(own));
      DrawChartAt(*charts[static_cast<std::size_t>(i)], own,
                  [&](QGraphicsScene& scene, const QRectF& source) {
                    scene.render(&painter, target, source);
                  });
    }
    if (keyHeight > 0) {
      DrawKey(painter, QRectF(0, size.height() - keyHeight, width, keyHeight), key);
    }
  };
  if (format == ChartFormat::Svg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRectF(QPointF(0, 0), QSizeF(size)));
    if (!charts.empty()) svg.setTitle(charts.front()->title());
    QPainter painter;
    painter.begin(&svg);
    painter.setRenderHint(QPainter::Antialiasing);
    drawAll(painter);
    painter.end();
  } else {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setRenderHint(QPainter::TextAntialiasing);
      drawAll(painter);
    }
    image.save(&buffer, "PNG");
  }
  return bytes;
}

void SaveCharts(std::span<QChart* const> charts, int columns, const QString& path, QSize cell,
                std::span<const KeyEntry> key) {
  const auto fail = [&](const QString& why) {
    throw FileError("Could not write the picture " + Quoted(path.toStdString()) + ": " +
                    why.toStdString());
  };
  const std::optional<ChartFormat> format = ChartFormatOf(path);
  if (!format) fail(QStringLiteral("a chart file name ends in .svg or .png"));
  const QByteArray bytes = RenderCharts(charts, columns, *format, cell, key);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    fail(WriteFailureReason(path, file.errorString()));
  }
}

void SaveChart(QChart& chart, const QString& path, QSize size, std::span<const KeyEntry> key) {
  QChart* const one[] = {&chart};
  SaveCharts(one, 1, path, size, key);
}

ChartApplication::ChartApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    std::error_code error;
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "quillmere-runtime-XXXXXX").string();
    if (!error && ::mkdtemp(pattern.data()) != nullptr) {  // mode 0700, as Qt requires
      runtimeDirectory_ = pattern;
      ::setenv("XDG_RUNTIME_DIR", runtimeDirectory_.c_str(), 1);
    }
  }
  const std::string locale = std::setlocale(LC_ALL, nullptr);
  application_ = std::make_unique<QApplication>(argc_, argv_);
  std::setlocale(LC_ALL, locale.c_str());
}

ChartApplication::~ChartApplication() {
  application_.reset();
  if (!runtimeDirectory_.empty()) {
    ::unsetenv("XDG_RUNTIME_DIR");
    std::error_code error;
    std::filesystem::remove_all(runtimeDirectory_, error);
  }
}

}  // namespace quillmere::plot
