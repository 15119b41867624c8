#include "app/Screenshots.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantReport.h"
#include "app/CurvesWindow.h"
#include "app/FinishForm.h"
#include "app/LivePreview.h"
#include "app/MainWindow.h"
#include "app/OptimiseDialog.h"
#include "app/PlantPanel.h"
#include "base/NumberText.h"
#include "params/FieldTable.h"
#include "params/PlantInputs.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

constexpr QSize kCurvesPicture{1200, 860};         // [px] of the curves window in the pictures
constexpr QSize kSmallest{800, 600};               // the window's least size [px]
constexpr QSize kOptimiseDialogPicture{900, 680};  // [px]

//! `text` with "." replaced by the decimal separator in force, as the user would type it.
std::string Typed(std::string text) {
  std::replace(text.begin(), text.end(), '.', LocaleDecimalSeparator());
  return text;
}

//! Forgets the live preview that typing into the fields has scheduled: a picture shows the run
//! as OK shows it, never a preview that a slower or faster machine would have drawn already.
void HoldPreview(TForm1& form) {
  if (LivePreview* preview = form.Preview()) preview->Cancel();
}

//! Shows the run of the texts now in the fields as OK shows it, the plant panel included,
//! without writing a result file; as after OK, no preview of them is pending.
void ShowRunOfFields(TForm1& form, CurvesWindow& curves) {
  HoldPreview(form);
  const FieldTexts& fields = form.Fields();
  const char separator = LocaleDecimalSeparator();
  const SolventLibrary library(ShippedSolvents());
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const std::optional<PlantInputs> plant = AcquirePlantInputs(fields, separator);
  CaseRequest request = PlantCaseRequest(library, fields, plant);
  request.Series = true;
  CaseResult result = RunCase(fields, separator, *params, *state, request);
  curves.ShowRun(std::move(*result.Series), InputsOf(fields),
                 PlantShownOf(library, fields, plant.has_value(), result));
}

//! The README's plant example (docs/examples/plant-line4.dat): ethyl acetate and ethanol,
//! four zones at 2.5 m/s on a 1.3 m web, zone 2's exhaust too small, zone 3's sized.
void TypePlantExample(FieldTexts& fields) {
  const char separator = LocaleDecimalSeparator();
  const SolventLibrary library(ShippedSolvents());
  ApplySolventChoice(fields, 1, library.Find("Ethyl acetate"), separator, true);
  ApplySolventChoice(fields, 2, library.Find("Ethanol"), separator, true);
  fields.SetText("Edit6", Typed("2.5"));
  const std::array<std::array<const char*, 4>, 4> zones{{{"50.0", "10.0", "0.030", "0.050"},
                                                         {"70.0", "15.0", "0.030", "0.050"},
                                                         {"90.0", "15.0", "0.035", "0.055"},
                                                         {"100.0", "10.0", "0.035", "0.055"}}};
  for (int zone = 1; zone <= 4; ++zone) {
    const auto& z = zones[static_cast<std::size_t>(zone - 1)];
    const std::array<std::string, 6> texts{z[0], z[1], "0.0", "0.0", z[2], z[3]};
    for (int i = 0; i < 6; ++i) {
      fields.SetText(ZoneFieldName(zone, i), Typed(texts[static_cast<std::size_t>(i)]));
    }
  }
  fields.SetText("WebWidth", Typed("1.3"));
  fields.SetText("Zone1.Exhaust", "6000");
  fields.SetText("Zone2.Exhaust", "8000");
  fields.SetText("Zone4.Exhaust", "3000");
}

//! Counts the events that change how a window looks: layouts, sizes, paints, activation,
//! queued calls and timers (a chart's layout and a scene's repaint arrive as queued calls).
class LookChanges : public QObject {
 public:
  LookChanges() { QCoreApplication::instance()->installEventFilter(this); }
  ~LookChanges() override { QCoreApplication::instance()->removeEventFilter(this); }
  LookChanges(const LookChanges&) = delete;
  LookChanges& operator=(const LookChanges&) = delete;

  long long Count() const { return count_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::LayoutRequest:
      case QEvent::UpdateRequest:
      case QEvent::UpdateLater:
      case QEvent::Paint:
      case QEvent::Expose:
      case QEvent::Resize:
      case QEvent::Move:
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::Polish:
      case QEvent::PolishRequest:
      case QEvent::WindowStateChange:
      case QEvent::WindowActivate:
      case QEvent::WindowDeactivate:
      case QEvent::ActivationChange:
      case QEvent::FocusIn:
      case QEvent::FocusOut:
      case QEvent::GraphicsSceneResize:
      case QEvent::MetaCall:
      case QEvent::Timer:
        ++count_;
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  long long count_ = 0;
};

//! How long a picture may take to settle before the program gives up on it [ms]: far beyond
//! what a loaded machine needs, so that reaching it means something is wrong.
constexpr int kSettleLimitMs = 120000;
//! How long the window manager is given to draw between two pictures of the screen [ms].
constexpr int kScreenSampleMs = 100;
//! The pause between two looks at a window that waits on the window manager [ms].
constexpr int kWaitMs = 20;

//! Handles events for `ms`: time for another process (the window manager, the X server) to
//! do its part, without a busy loop.
void HandleEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

//! One round of events: the window system's pending events fetched (a round trip to the X
//! server), then every event posted handled. True when nothing in it changed how a window
//! looks.
bool QuietRound(const LookChanges& changes) {
  const long long before = changes.Count();
  QGuiApplication::sync();
  QApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents();
  return changes.Count() == before;
}

//! Handles events until `ready` holds over a quiet round (see QuietRound). False, with a
//! warning naming `file`, when that does not happen within kSettleLimitMs.
bool Settle(const char* file, const std::function<bool()>& ready) {
  const LookChanges changes;
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < kSettleLimitMs) {
    if (QuietRound(changes) && ready()) return true;
    if (!ready()) HandleEventsFor(kWaitMs);
  }
  qWarning("%s: the window did not settle within %d s; no picture taken", file,
           kSettleLimitMs / 1000);
  return false;
}

//! Saves the contents of `window` once its layout and paints have settled.
bool SaveWindow(QWidget& window, const QDir& target, const char* file) {
  if (!Settle(file, [] { return true; })) return false;
  return window.grab().save(target.filePath(QString::fromLatin1(file)));
}

//! Whether `window` is maximised in the work area of its screen as the user sees it: shown,
//! and under X (where the window manager frames it) active, with its contents across the
//! work area's width down to its bottom, under the frame's title bar. (The frame's own
//! geometry is no guide: Qt learns the frame's extents in its own time.)
bool MaximisedInFrame(QWidget& window) {
  const QRect area = window.screen()->availableGeometry();
  if (!window.windowHandle()->isExposed() || !window.isMaximized()) return false;
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    return window.frameGeometry() == area;
  }
  const QRect contents = window.geometry();
  return window.isActiveWindow() && contents.left() == area.left() &&
         contents.right() == area.right() && contents.bottom() == area.bottom() &&
         contents.top() > area.top();
}

//! Maximises `window` and saves the whole screen once it shows the window as it will stay:
//! the window framed on the work area and active, its events settled, and two pictures of the
//! screen kScreenSampleMs apart alike (the window manager draws the frame in its own time).
//! False, with a warning, when that does not happen within kSettleLimitMs.
bool SaveScreen(QWidget& window, const QDir& target, const char* file) {
  window.showMaximized();
  window.raise();
  window.activateWindow();
  QScreen* screen = window.screen();
  QElapsedTimer waited;
  waited.start();
  QImage last;
  while (waited.elapsed() < kSettleLimitMs) {
    if (!Settle(file, [&window] { return MaximisedInFrame(window); })) return false;
    QImage now = screen->grabWindow(0).toImage();
    // Without a window manager (the offscreen platform of the tests) nobody else draws.
    const bool managed = QGuiApplication::platformName() == QLatin1String("xcb");
    if (now == last || !managed) return now.save(target.filePath(QString::fromLatin1(file)));
    last = std::move(now);
    HandleEventsFor(kScreenSampleMs);
  }
  qWarning("%s: the screen did not settle within %d s; no picture taken", file,
           kSettleLimitMs / 1000);
  return false;
}

//! The Optimise dialog after the README's search: the default line as fast as it can run with
//! at most 0.6 % of Solvent-1 left, the vapour pressure at most a quarter of the air's and the
//! web below 100 °C.
bool SaveOptimiseDialog(TForm1& form, const QDir& target) {
  form.findChild<QPushButton*>(QStringLiteral("OptimiseButton"))->click();
  auto* dialog = form.findChild<OptimiseDialog*>(QStringLiteral("OptimiseDialog"));
  const auto bound = [dialog](const char* limit, const char* text) {
    dialog->findChild<QCheckBox*>(QStringLiteral("Limit.") + QLatin1String(limit))
        ->setChecked(true);
    dialog->findChild<QLineEdit*>(QStringLiteral("Bound.") + QLatin1String(limit))
        ->setText(QString::fromStdString(Typed(text)));
  };
  bound("ExitResidual1<=", "0.006");
  bound("NoBoiling:", "0.25");
  bound("WebTemperature<=", "100");
  QEventLoop searching;
  QObject::connect(dialog, &OptimiseDialog::SearchEnded, &searching, &QEventLoop::quit);
  dialog->Start();
  if (dialog->Running()) searching.exec();
  // As large as a laptop's work area less a frame allows, so that the whole report shows.
  dialog->resize(kOptimiseDialogPicture);
  const bool saved = SaveWindow(*dialog, target, "optimise-dialog.png");
  dialog->close();
  return saved;
}

//! The curves of the inputs shown with the values under a pointer in zone 1; three speeds
//! compared; a run whose zone 2 air boils the coating against a kept one at the least size.
bool SaveCurves(TForm1& form, CurvesWindow& curves, const QDir& target) {
  FieldTexts& fields = form.Fields();
  curves.resize(kCurvesPicture);
  ShowRunOfFields(form, curves);
  QApplication::processEvents();
  curves.ShowValuesAt(plot::RunChart::Solvent, 20.0);
  bool saved = SaveWindow(curves, target, "curves.png");

  const std::string speed = fields.Text("Edit6");
  for (const char* text : {"0.8", "1.0", "1.2"}) {
    fields.SetText("Edit6", Typed(text));
    ShowRunOfFields(form, curves);
    if (std::string_view(text) != "1.2") curves.KeepRun();
  }
  fields.SetText("Edit6", speed);
  HoldPreview(form);
  QApplication::processEvents();
  curves.ShowValuesAt(plot::RunChart::Solvent, 20.0);
  saved = SaveWindow(curves, target, "curves-compare.png") && saved;
  curves.RemoveAllPins();

  const std::string air = fields.Text("Edit21");
  ShowRunOfFields(form, curves);
  curves.KeepRun();
  fields.SetText("Edit6", Typed("1.5"));
  fields.SetText("Edit21", "140");
  ShowRunOfFields(form, curves);
  fields.SetText("Edit6", speed);
  fields.SetText("Edit21", air);
  HoldPreview(form);
  curves.resize(kSmallest);
  QApplication::processEvents();
  curves.ShowValuesAt(plot::RunChart::WebTemperature, 40.0);
  saved = SaveWindow(curves, target, "curves-smallest.png") && saved;
  curves.RemoveAllPins();
  return saved;
}

//! Live what-if on a laptop's screen: the plant example OK'd, then zone 2's air typed as
//! 90 °C in its field; the preview of the fields as they stand, drawn against the run OK'd.
bool SavePreviewScreen(TForm1& form, CurvesWindow& curves, const QDir& target) {
  FieldTexts& fields = form.Fields();
  TypePlantExample(fields);
  ShowRunOfFields(form, curves);
  fields.SetText(ZoneFieldName(2, 0), Typed("90.0"));
  LivePreview* preview = form.Preview();
  if (preview == nullptr) return false;
  preview->RunNow();  // what the pause after the last key does
  return curves.Previewing() && SaveScreen(curves, target, "curves-preview.png");
}

//! The window's pictures on a laptop's screen: the plant example at 2.5 m/s kept, against the
//! same line at 3 m/s with zone 2's air at 110 °C; on the larger laptop also the plant
//! example's run alone.
bool SaveLaptopScreens(TForm1& form, CurvesWindow& curves, const QDir& target,
                       const QString& screen) {
  FieldTexts& fields = form.Fields();
  TypePlantExample(fields);
  ShowRunOfFields(form, curves);
  curves.KeepRun();
  fields.SetText("Edit6", Typed("3.0"));
  fields.SetText("Edit21", Typed("110.0"));
  ShowRunOfFields(form, curves);
  const bool laptop = screen == QLatin1String("laptop");
  bool saved = SaveScreen(curves, target, laptop ? "curves-laptop.png" : "curves-small-laptop.png");
  if (laptop) {
    curves.RemoveAllPins();
    TypePlantExample(fields);
    ShowRunOfFields(form, curves);
    curves.ShowPlantPage();  // the plant figures have a page of their own
    saved = SaveScreen(curves, target, "curves-plant.png") && saved;
    curves.ShowCurvesPage();
    saved = SavePreviewScreen(form, curves, target) && saved;
  }
  return saved;
}

}  // namespace

bool SaveScreenshots(TForm1& form, TFinishForm& finishForm, CurvesWindow& curves,
                     const QString& directory, const QString& screen) {
  static constexpr std::array<const char*, 5> kPageFiles{
      "page-zone1.png", "page-zone2.png", "page-zone3.png", "page-general.png", "page-plant.png"};
  const QDir target(directory);
  bool saved = target.mkpath(QStringLiteral("."));
  if (!screen.isEmpty()) {
    saved = SaveLaptopScreens(form, curves, target, screen) && saved;
    curves.hide();
    return saved;
  }
  auto* notebook = form.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"));
  for (int page = 0; page < notebook->count(); ++page) {
    notebook->setCurrentIndex(page);
    saved = SaveWindow(form, target, kPageFiles.at(page)) && saved;
  }
  notebook->setCurrentIndex(0);

  finishForm.show();
  saved = SaveWindow(finishForm, target, "finish.png") && saved;
  finishForm.hide();

  saved = SaveCurves(form, curves, target) && saved;
  curves.hide();
  saved = SaveOptimiseDialog(form, target) && saved;

  // The page "Solvents and Plant" with the plant example's inputs.
  TypePlantExample(form.Fields());
  notebook->setCurrentIndex(notebook->count() - 1);
  saved = SaveWindow(form, target, "page-plant.png") && saved;
  notebook->setCurrentIndex(0);
  return saved;
}

}  // namespace quillmere
