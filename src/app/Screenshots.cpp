#include "app/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <array>
#include <memory>

#include "analysis/CaseRun.h"
#include "app/CurvesWindow.h"
#include "app/FinishForm.h"
#include "app/MainWindow.h"
#include "params/NumberText.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

constexpr QSize kCurvesPicture{1200, 860};  // [px] of the curves window in the pictures
constexpr QSize kLaptop{1366, 700};         // a 1366 × 768 screen less its panel [px]
constexpr QSize kSmallLaptop{1024, 640};    // [px]
constexpr QSize kSmallest{800, 600};        // the window's least size [px]

// The series of a run of the texts now in the fields, as OK would compute it.
RunSeries RunOfFields(const FieldTexts& fields) {
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const CaseResult result = RunCase(fields, LocaleDecimalSeparator(), *params, *state);
  return CollectRunSeries(*params, *state, result.Record);
}

bool SaveWindow(QWidget& window, const QDir& target, const char* file) {
  QApplication::processEvents();
  return window.grab().save(target.filePath(QString::fromLatin1(file)));
}

}  // namespace

bool SaveScreenshots(TForm1& form, TFinishForm& finishForm, CurvesWindow& curves,
                     const QString& directory) {
  static constexpr std::array<const char*, 4> kPageFiles{"page-zone1.png", "page-zone2.png",
                                                         "page-zone3.png", "page-general.png"};
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
  curves.hide();
  return saved;
}

}  // namespace quillmere
