// "Drying curves": the window that shows a finished run. Four charts along the dryer (web
// and air temperature, residual solvent, drying rates, surface vapour pressure against the
// air pressure), a table of the zones with their warnings, the values under the pointer,
// zoom, pictures and CSV of the run, and runs kept to compare the next ones with; the plant
// figures on a page of their own; and, while the user types, a preview of the run the
// fields hold drawn against the run OK'd last.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/RunComparison.h"
#include "analysis/fit/Measurements.h"
#include "analysis/uncertainty/FitUncertainty.h"
#include "analysis/uncertainty/StepError.h"
#include "analysis/uncertainty/TraceBand.h"
#include "app/PlantPanel.h"
#include "app/SaveFileDialog.h"
#include "app/WindowLook.h"
#include "plot/RunCharts.h"
#include "sim/RunSeries.h"

class QAction;
class QChart;
class QLabel;
class QMenu;
class QToolBar;
class QSplitter;
class QTabWidget;

namespace quillmere {

class ChartStack;
class OutputClashCheck;
class RunKeyPanel;
class UserMessages;
class ZoneTable;

//! Lets the user choose a measurement file to open: its full path, or nothing when cancelled.
using MeasurementFileChooser = std::function<std::optional<QString>()>;

//! Names the files the program has read besides the window's own into a clash check: the
//! data file loaded, the user's solvent library.
using FilesReadNamer = std::function<void(OutputClashCheck&)>;

//! The window knows runs only as data: the series of a run and the texts of its inputs. It
//! keeps its own copies, so the next calculation may overwrite the simulation state.
class CurvesWindow : public QMainWindow {
  Q_OBJECT
 public:
  //! `messages` reports a file that cannot be written or read; `decimalSeparator` is the
  //! user's, for the numbers shown; `chooseSaveFile` and `chooseMeasurements` default to the
  //! save and open dialogs.
  CurvesWindow(const WindowLook& look, UserMessages& messages, char decimalSeparator,
               SaveFileChooser chooseSaveFile = {}, MeasurementFileChooser chooseMeasurements = {},
               QWidget* parent = nullptr);
  ~CurvesWindow() override;

  //! Shows a run that computed zones (all of them, or those before a fault) in place of the
  //! current one, with its plant page; the runs kept stay drawn, a preview ends. The window
  //! opens the first time; the caller gives it the focus (OK does).
  void ShowRun(RunSeries series, RunInputs inputs, PlantShown plant = {});
  //! The step's error of the current run: the zone table's exit temperature and residual
  //! ratios then read "0.0054 (+0.00017)", the error estimated from runs at twice and four
  //! times the step ("(?)" where not in the asymptotic range). Cleared by the next ShowRun;
  //! not shown over a preview.
  void ShowStepError(StepError error);
  //! Whether "Step error" is ticked: the main window then estimates it for each run.
  bool StepErrorWanted() const;
  //! "Fit's uncertainty...": a fit's report (fit --report) chosen in the open dialog; from the
  //! next run on, the curves show each point's 95 % interval as a band around the run.
  void ChooseFitReport();
  //! Reads the fit report at `path`; false, with the error shown, when it cannot be read (the
  //! uncertainty loaded before stays).
  bool LoadFitReport(const QString& path);
  //! The fit's uncertainty loaded, if any: the main window draws its band for each run.
  const std::optional<FitUncertainty>& Uncertainty() const { return uncertainty_; }
  //! The band of the current run (TraceBandOf); cleared by the next ShowRun; not drawn over a
  //! preview.
  void ShowBand(TraceBand band);

  // Live what-if.
  //! Draws a run of the fields as they stand over the current run (the one OK'd last), with
  //! its zones, warnings and plant page, until the next run or EndPreview. Nothing without
  //! a current run, or with the preview switched off; the window is not raised.
  void ShowPreview(RunSeries series, RunInputs inputs, PlantShown plant);
  //! Back to the current run alone.
  void EndPreview();
  bool Previewing() const { return preview_ != nullptr; }
  //! The toggle "Live preview" of the tool bar.
  bool PreviewOn() const;
  //! Whether a run was shown (OK'd): the preview draws against it.
  bool HasRun() const { return current_ != nullptr; }

  //! The pages of the window: the charts with the zones, or the plant figures.
  void ShowCurvesPage();
  void ShowPlantPage();

  // The window's actions, as its tool bar runs them.
  //! "Keep": the current run stays drawn with the next ones, in a colour of its own.
  void KeepRun();
  //! Removes the run kept `index`-th (0 the oldest still kept).
  void RemovePin(int index);
  void RemoveAllPins();
  //! Position along the dryer, or time, on the horizontal axes.
  void SetAlong(plot::AlongDryer along);
  //! Residual ratio, or solvent weight, in the solvent chart.
  void SetSolventAmount(plot::SolventAmount amount);
  //! Back from every zoom to the whole run.
  void ResetZoom();
  //! As a right click on the chart: out to twice the span shown, never beyond the run.
  void ZoomOut(plot::RunChart chart);
  //! Selects the zone's row of the table and scrolls it into sight.
  void ShowZone(int zone);
  //! Writes one chart into a PNG or SVG file chosen in the save dialog.
  void ExportChart(plot::RunChart chart);
  //! Writes the current run as CSV (RunCsv: every point of every finished zone) into a file
  //! chosen in the save dialog, offered beside the result file with its name.
  void ExportCsv();
  //! A file to read, chosen in the open dialog with `caption` and `filter` (or by the chooser
  //! given to the window); nullopt when none was chosen.
  std::optional<QString> ChooseFileToRead(const QString& caption, const QString& filter);
  //! "Show measurements...": the points of a measurement file (as quillmere-cli fit reads it)
  //! drawn over the current run's charts, until hidden or another file is shown.
  void ShowMeasurements();
  //! Reads the measurement file at `path` and shows its points; a file that cannot be read is
  //! reported with the line and the column at fault, and the points shown stay. False then.
  bool LoadMeasurements(const QString& path);
  void HideMeasurements();

  //! The files the program has read: no export is written over one of them, nor over the
  //! measurement file or the fit report the window has read.
  void SetFilesRead(FilesReadNamer namer) { filesRead_ = std::move(namer); }

  // What the window shows.
  QChart* Chart(plot::RunChart chart) const;
  //! The plant figures of the run shown (the page "Plant").
  PlantPanel& Plant() const { return *plant_; }
  int PinCount() const { return static_cast<int>(pins_.size()); }
  //! The names of the runs in the legends: the current run first, then the runs kept, oldest
  //! first. For a lone run, empty.
  QStringList RunNames() const;
  //! The values under the pointer on one line, empty when it is over no chart.
  QString HoverText() const;
  //! The same, one line a run, as the box beside the pointer shows them.
  QString HoverLines() const { return hoverLines_; }
  //! The line above the zone table that counts the run's warnings (rich text), empty when it
  //! has none.
  QString WarningsSummary() const;
  //! The texts of the key above the charts that names the runs compared.
  QStringList KeyTexts() const;
  //! Shows the values of the runs at `along` (m or s) in the status line, as moving the
  //! pointer there does.
  void ShowValuesAt(plot::RunChart chart, double along);

 Q_SIGNALS:
  //! "Live preview" switched on or off.
  void PreviewSwitched(bool on);
  //! "Inputs": the user asks for the main window's fields.
  void InputsAsked();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  //! The splitter of charts and zones resized: tells the zone table the room left beside the
  //! charts' least height.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct ShownRun {
    std::shared_ptr<const RunSeries> Series;
    RunInputs Inputs;
    plot::SeriesLook Look;
    PlantShown Plant;
  };

  QWidget* BuildPages();
  void BuildToolBar();
  void AddViewChoices(QToolBar& bar);
  void AddRunActions(QToolBar& bar);
  //! "Keep", and "Remove kept" with the runs kept in its menu.
  void AddKeepActions(QToolBar& bar);
  //! "Export chart" with a line a chart in its menu, and "Export CSV...".
  void AddExportActions(QToolBar& bar);
  //! "Measurements...", with "Hide them" under its arrow.
  void AddMeasurementActions(QToolBar& bar);
  //! "Error bars": "Step error" and "Fit's uncertainty..." in its menu.
  void AddErrorBarsMenu(QToolBar& bar);
  //! A new action of the window named `name`, put into `menu`.
  QAction* MenuAction(QMenu& menu, const char* name, const QString& text);
  //! Builds the four charts, the zone table, the title and the pin menu afresh.
  void Redraw();
  //! The run the charts draw solid and the tables show: the preview, else the current run.
  const ShownRun* Shown() const;
  void ShowPlant();
  void UpdateTitle();
  void UpdatePinMenu();
  //! The runs drawn, current first, with their legend names.
  std::vector<plot::ChartedRun> ChartedRuns() const;
  //! FormatFixed(P, D) with the user's decimal separator, as the result file.
  QString Number(double value, int precision, int digits) const;
  void PlaceOnScreen();
  void Hover(plot::RunChart chart, std::optional<double> along, QPoint at);
  //! Writes `bytes` whole into the `kind` file `name`, chosen in the save dialog (a temporary
  //! file beside it, renamed into place), unless it is a file the program has read: that is
  //! refused, and a failure told ("Could not `verb` the picture ..."), in the error box.
  void Export(const std::string& kind, std::string_view verb, const std::string& name,
              const QByteArray& bytes);

  UserMessages& messages_;
  char decimalSeparator_;
  SaveFileChooser chooseSaveFile_;
  MeasurementFileChooser chooseMeasurements_;
  std::optional<MeasurementTable> measurements_;
  plot::AlongDryer along_ = plot::AlongDryer::Position;
  plot::SolventAmount solvent_ = plot::SolventAmount::ResidualRatio;
  bool logScale_ = false;  //!< the solvent chart's vertical axis

  std::unique_ptr<ShownRun> current_;
  std::unique_ptr<ShownRun> preview_;
  std::vector<ShownRun> pins_;
  int pinsEver_ = 0;  //!< gives each run kept the next line style
  bool placed_ = false;
  QString hoverLines_;
  QString hoverText_;
  QStringList names_;

  QTabWidget* pages_ = nullptr;
  ChartStack* charts_ = nullptr;
  ZoneTable* zones_ = nullptr;
  QSplitter* splitter_ = nullptr;  //!< the charts above, the zones below
  PlantPanel* plant_ = nullptr;
  RunKeyPanel* runKey_ = nullptr;
  QAction* livePreview_ = nullptr;
  QToolBar* runBar_ = nullptr;  //!< beside the view's bar, or the pages' tabs in a narrow window
  QAction* keep_ = nullptr;
  QAction* stepErrorAction_ = nullptr;
  std::optional<StepError> stepError_;  //!< of the current run
  std::optional<FitUncertainty> uncertainty_;
  std::string fitReportName_;  //!< the file uncertainty_ was read from
  FilesReadNamer filesRead_;
  std::optional<TraceBand> band_;  //!< of the current run
  QAction* exportCsv_ = nullptr;
  QAction* hideMeasurements_ = nullptr;
  QMenu* pinMenu_ = nullptr;
  QAction* removePins_ = nullptr;
};

}  // namespace quillmere
