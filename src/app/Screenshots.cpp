#include "app/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <algorithm>
#include <array>
#include <memory>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantReport.h"
#include "app/CurvesWindow.h"
#include "app/FinishForm.h"
#include "app/MainWindow.h"
#include "app/PlantPanel.h"
#include "base/NumberText.h"
#include "params/FieldTable.h"
#include "params/PlantInputs.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

constexpr QSize kCurvesPicture{1200, 860};       // [px] of the curves window in the pictures
constexpr QSize kPlantCurvesPicture{1500, 990};  // [px] with the plant panel below the charts
constexpr QSize kLaptop{1366, 700};              // a 1366 × 768 screen less its panel [px]
constexpr QSize kSmallLaptop{1024, 640};         // [px]
constexpr QSize kSmallest{800, 600};             // the window's least size [px]

// The series of a run of the texts now in the fields, as OK would compute it.
RunSeries RunOfFields(const FieldTexts& fields) {
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  CaseRequest request;
  request.Series = true;
  return std::move(*RunCase(fields, LocaleDecimalSeparator(), *params, *state, request).Series);
}

bool SaveWindow(QWidget& window, const QDir& target, const char* file) {
  QApplication::processEvents();
  return window.grab().save(target.filePath(QString::fromLatin1(file)));
}

//! The page "Solvents and Plant" with the README's plant example, and its run's curves with
//! the plant panel.
bool SavePlantScreenshots(TForm1& form, CurvesWindow& curves, const QDir& target) {
  // The README's plant example (docs/examples/plant-line4.dat): ethyl acetate and ethanol,
  // four zones at 2.5 m/s on a 1.3 m web, zone 2's exhaust too small, zone 3's sized.
  FieldTexts& fields = form.Fields();
  const char separator = LocaleDecimalSeparator();
  const SolventLibrary library(ShippedSolvents());
  ApplySolventChoice(fields, 1, library.Find("Ethyl acetate"), separator, true);
  ApplySolventChoice(fields, 2, library.Find("Ethanol"), separator, true);
  const auto typed = [separator](std::string text) {
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
  };
  fields.SetText("Edit6", typed("2.5"));
  const std::array<std::array<const char*, 4>, 4> zones{{{"50.0", "10.0", "0.030", "0.050"},
                                                         {"70.0", "15.0", "0.030", "0.050"},
                                                         {"90.0", "15.0", "0.035", "0.055"},
                                                         {"100.0", "10.0", "0.035", "0.055"}}};
  for (int zone = 1; zone <= 4; ++zone) {
    const auto& z = zones[static_cast<std::size_t>(zone - 1)];
    const std::array<std::string, 6> texts{z[0], z[1], "0.0", "0.0", z[2], z[3]};
    for (int i = 0; i < 6; ++i) {
      fields.SetText(ZoneFieldName(zone, i), typed(texts[static_cast<std::size_t>(i)]));
    }
  }
  fields.SetText("WebWidth", typed("1.3"));
  fields.SetText("Zone1.Exhaust", "6000");
  fields.SetText("Zone2.Exhaust", "8000");
  fields.SetText("Zone4.Exhaust", "3000");
  auto* notebook = form.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"));
  notebook->setCurrentIndex(notebook->count() - 1);
  bool saved = SaveWindow(form, target, "page-plant.png");
  notebook->setCurrentIndex(0);

  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  CaseRequest request = PlantCaseRequest(library, fields, AcquirePlantInputs(fields, separator));
  request.Series = true;
  CaseResult result = RunCase(fields, separator, *params, *state, request);
  curves.resize(kPlantCurvesPicture);
  curves.ShowRun(std::move(*result.Series), InputsOf(fields),
                 PlantShownOf(library, fields, request.Plant.has_value(), result));
  curves.ShowPlantPage();  // the plant figures have a page of their own
  QApplication::processEvents();
  saved = SaveWindow(curves, target, "curves-plant.png") && saved;
  curves.ShowCurvesPage();
  return saved;
}

}  // namespace

bool SaveScreenshots(TForm1& form, TFinishForm& finishForm, CurvesWindow& curves,
                     const QString& directory) {
  static constexpr std::array<const char*, 5> kPageFiles{
      "page-zone1.png", "page-zone2.png", "page-zone3.png", "page-general.png", "page-plant.png"};
  const QDir target(directory);
  bool saved = target.mkpath(QStringLiteral("."));
  auto* notebook = form.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"));
  const int current = notebook->currentIndex();
  for (int page = 0; page < notebook->count(); ++page) {
    notebook->setCurrentIndex(page);
    saved = SaveWindow(form, target, kPageFiles.at(page)) && saved;
  }
  notebook->setCurrentIndex(current);

  finishForm.show();
  saved = SaveWindow(finishForm, target, "finish.png") && saved;
  finishForm.hide();

  // The curves of the inputs shown, with the values under a pointer in zone 1 ...
  FieldTexts& fields = form.Fields();
  curves.resize(kCurvesPicture);
  curves.ShowRun(RunOfFields(fields), InputsOf(fields));
  QApplication::processEvents();
  curves.ShowValuesAt(plot::RunChart::Solvent, 20.0);
  saved = SaveWindow(curves, target, "curves.png") && saved;

  // ... and three speeds compared: two runs kept, the third the current one.
  const std::string speed = fields.Text("Edit6");
  for (const char* text : {"0.8", "1.0", "1.2"}) {
    std::string typed(text);
    if (LocaleDecimalSeparator() != '.') typed[1] = LocaleDecimalSeparator();
    fields.SetText("Edit6", typed);
    curves.ShowRun(RunOfFields(fields), InputsOf(fields));
    if (std::string_view(text) != "1.2") curves.KeepRun();
  }
  fields.SetText("Edit6", speed);
  QApplication::processEvents();
  curves.ShowValuesAt(plot::RunChart::Solvent, 20.0);
  saved = SaveWindow(curves, target, "curves-compare.png") && saved;
  curves.RemoveAllPins();

  // On a laptop's screen: a run kept, and the next one faster with zone 2's air hot enough
  // that the coating boils there.
  const std::string air = fields.Text("Edit21");
  curves.ShowRun(RunOfFields(fields), InputsOf(fields));
  curves.KeepRun();
  std::string faster("1.5");
  if (LocaleDecimalSeparator() != '.') faster[1] = LocaleDecimalSeparator();
  fields.SetText("Edit6", faster);
  fields.SetText("Edit21", "140");
  curves.ShowRun(RunOfFields(fields), InputsOf(fields));
  fields.SetText("Edit6", speed);
  fields.SetText("Edit21", air);
  for (const auto& [size, file] :
       {std::pair{kLaptop, "curves-laptop.png"}, std::pair{kSmallLaptop, "curves-small-laptop.png"},
        std::pair{kSmallest, "curves-smallest.png"}}) {
    curves.resize(size);
    QApplication::processEvents();
    curves.ShowValuesAt(plot::RunChart::WebTemperature, 40.0);
    saved = SaveWindow(curves, target, file) && saved;
  }
  curves.RemoveAllPins();
  saved = SavePlantScreenshots(form, curves, target) && saved;
  curves.hide();
  return saved;
}

}  // namespace quillmere
