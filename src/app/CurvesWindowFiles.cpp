// The files of the curves window: a chart written as PNG or SVG, the run shown as CSV, and
// the points of a measurement file drawn over the run.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "app/CurvesWindow.h"
#include "base/UserMessages.h"
#include "params/FieldTable.h"
#include "plot/ChartFile.h"
#include "plot/ChartKey.h"
#include "report/FileIO.h"
#include "report/OutputClash.h"
#include "report/RunExport.h"

namespace quillmere {

using plot::RunChart;
using plot::SolventAmount;

namespace {

// File name (without extension) a chart is offered to be saved as.
QString ChartFileName(RunChart chart, SolventAmount solvent) {
  switch (chart) {
    case RunChart::WebTemperature:
      return QStringLiteral("web-temperature");
    case RunChart::Solvent:
      return solvent == SolventAmount::ResidualRatio ? QStringLiteral("residual-ratio")
                                                     : QStringLiteral("solvent-weight");
    case RunChart::DryingRate:
      return QStringLiteral("drying-rate");
    case RunChart::VapourPressure:
      return QStringLiteral("vapour-pressure");
  }
  return {};
}

// The CSV file offered for a run: its result file's name with ".csv", in the same directory.
QString CsvFileFor(const RunInputs& inputs) {
  const auto fields = AllFields();
  QString result = QStringLiteral("run.txt");
  for (std::size_t i = 0; i < fields.size() && i < inputs.Texts.size(); ++i) {
    if (fields[i].slot == FieldSlot::SaveFileName && !inputs.Texts[i].empty()) {
      result = QString::fromStdString(inputs.Texts[i]);
    }
  }
  const QFileInfo file(result);
  return QDir::cleanPath(
      QDir::current().absoluteFilePath(file.dir().filePath(file.completeBaseName() + ".csv")));
}

}  // namespace

void CurvesWindow::ExportChart(RunChart chart) {
  const QString suggested =
      QDir::current().filePath(ChartFileName(chart, solvent_) + QStringLiteral(".png"));
  std::optional<QString> path =
      chooseSaveFile_(QStringLiteral("Export chart"), suggested,
                      {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG image (*.svg)")});
  if (!path) return;
  if (!plot::ChartFormatOf(*path)) *path += QStringLiteral(".png");
  const std::vector<plot::KeyEntry> key = plot::RunKey(ChartedRuns());
  QChart& shown = *Chart(chart);
  shown.setTitle(plot::RunChartTitle(chart, solvent_));
  const QByteArray bytes =
      plot::RenderChart(shown, *plot::ChartFormatOf(*path), plot::kChartFileSize, key);
  shown.setTitle(QString());
  Export("picture", "write", path->toStdString(), bytes);
}

void CurvesWindow::ExportCsv() {
  const ShownRun* shown = Shown();
  if (shown == nullptr) return;
  const std::optional<QString> path =
      chooseSaveFile_(QStringLiteral("Export CSV"), CsvFileFor(shown->Inputs),
                      {QStringLiteral("CSV file (*.csv)")});
  if (!path) return;
  Export("CSV file", "create", path->toStdString(),
         QByteArray::fromStdString(RunCsv(*shown->Series)));
}

void CurvesWindow::Export(const std::string& kind, std::string_view verb, const std::string& name,
                          const QByteArray& bytes) {
  OutputClashCheck files("run");
  if (filesRead_) filesRead_(files);
  if (measurements_) files.Input("measurement file", measurements_->Name);
  if (uncertainty_ && !fitReportName_.empty()) files.Input("fit report", fitReportName_);
  files.Output(kind, name);
  if (const std::optional<std::string> clash = files.FirstClash()) {
    messages_.ShowError(*clash);
    return;
  }
  try {
    StagedOutput file = StagedOutput::Begin(name, kind, verb);
    file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    file.Commit();
  } catch (const FileError& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
  }
}

std::optional<QString> CurvesWindow::ChooseFileToRead(const QString& caption,
                                                      const QString& filter) {
  if (chooseMeasurements_) return chooseMeasurements_();  // the tests' chooser
  const QString chosen = QFileDialog::getOpenFileName(this, caption, QDir::currentPath(), filter);
  return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

void CurvesWindow::ShowMeasurements() {
  if (const std::optional<QString> path =
          ChooseFileToRead(QStringLiteral("Show measurements"),
                           QStringLiteral("CSV files (*.csv);;All files (*)"))) {
    LoadMeasurements(*path);
  }
}

bool CurvesWindow::LoadMeasurements(const QString& path) {
  try {
    measurements_ = ReadMeasurements(path.toStdString());
  } catch (const FileError& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
    return false;
  } catch (const MeasurementError& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
    return false;
  }
  Redraw();
  return true;
}

void CurvesWindow::ChooseFitReport() {
  if (const std::optional<QString> path =
          ChooseFileToRead(QStringLiteral("Fit's uncertainty"),
                           QStringLiteral("Fit reports (*.json);;All files (*)"))) {
    LoadFitReport(*path);
  }
}

bool CurvesWindow::LoadFitReport(const QString& path) {
  try {
    uncertainty_ = ReadFitUncertaintyFile(path.toStdString());
    fitReportName_ = path.toStdString();
  } catch (const Error& failure) {
    messages_.ShowError(ErrorBoxText(failure.what()));
    return false;
  }
  return true;
}

void CurvesWindow::HideMeasurements() {
  measurements_.reset();
  Redraw();
}

}  // namespace quillmere
