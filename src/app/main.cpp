// Start-up: the main window with the defaults in its fields, the hidden finish dialog, and the
// event loop, which ends when the main window closes.
#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/ApplicationIcon.h"
#include "app/CurvesWindow.h"
#include "app/FinishForm.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/Screenshots.h"
#include "app/WindowLook.h"
#include "base/NumberText.h"

namespace {

// --help and --version are answered before the application exists, so that they work without a
// display (and help2man makes the manual page from them at build time).
bool AnsweredCommandLine(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("quillmere %s\n", QUILLMERE_VERSION);
      return true;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "Usage: quillmere [OPTION]...\n"
          "Simulates the drying of a solvent coating on a base film through up to 14 dryer\n"
          "zones, in a window: the inputs on its pages, OK runs the calculation, writes the\n"
          "result file and shows the drying curves.\n"
          "\n"
          "Options:\n"
          "  -h, --help     print this help and exit\n"
          "  --version      print the version and exit\n"
          "\n"
          "Qt's own options are taken as well (such as -platform offscreen).\n"
          "For runs without the window, see quillmere-cli.\n"
          "\n"
          "Exit status: 0 the window was closed; 1 there is no display to show it on\n"
          "(neither DISPLAY nor WAYLAND_DISPLAY is set, and no platform was chosen).\n");
      return true;
    }
  }
  return false;
}

bool Given(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Whether Qt has somewhere to show the window: an X or Wayland display, or a platform chosen
// by the caller (QT_QPA_PLATFORM=offscreen for tests and pictures, or -platform NAME). Without
// one, QApplication would abort with advice to reinstall the program, which is not the fault.
bool HasDisplay(int argc, char* argv[]) {
  if (Given("DISPLAY") || Given("WAYLAND_DISPLAY") || Given("QT_QPA_PLATFORM")) return true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace quillmere;
  if (AnsweredCommandLine(argc, argv)) return 0;
  if (!HasDisplay(argc, argv)) {
    std::fputs(
        "quillmere: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY "
        "is set); run it in a desktop session, or use quillmere-cli without a window\n",
        stderr);
    return 1;
  }
  // A result file on a named pipe whose reader goes away makes the write fail with "Broken
  // pipe", shown like any failed write, instead of ending the program without a word.
  std::signal(SIGPIPE, SIG_IGN);
  // QApplication sets the C locale from the environment (setlocale(LC_ALL, "")), so the user's
  // decimal separator can be read from LC_NUMERIC once it exists.
  QApplication app(argc, argv);
  QApplication::setDesktopFileName(QStringLiteral("quillmere"));
  QApplication::setWindowIcon(ApplicationIcon());
  // The windows are laid out to the pixel: one style and its own light palette everywhere.
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setPalette(QApplication::style()->standardPalette());
  const char decimalSeparator = LocaleDecimalSeparator();
  const WindowLook look = ChooseWindowLook();

  TFinishForm FinishForm(look);
  MessageBoxes messages(FinishForm);
  // Hidden until the first run has computed zones; a window of its own beside the main one.
  CurvesWindow curves(look, messages, decimalSeparator);
  TForm1 Form1(look, messages, decimalSeparator, {}, &curves);
  messages.SetOwner(&Form1);
  Form1.show();

  // Developer aid for the documentation: QUILLMERE_SCREENSHOTS=<directory> saves a picture of
  // every page, of the finish dialog, of the curves and of the Optimise dialog there and ends
  // the program; with QUILLMERE_SCREENSHOTS_SCREEN=laptop or small-laptop, the whole screen
  // with the curves window maximised instead.
  const QString screenshots = qEnvironmentVariable("QUILLMERE_SCREENSHOTS");
  if (!screenshots.isEmpty()) {
    const QString screen = qEnvironmentVariable("QUILLMERE_SCREENSHOTS_SCREEN");
    QTimer::singleShot(300, &Form1, [&, screen] {
      QApplication::exit(SaveScreenshots(Form1, FinishForm, curves, screenshots, screen) ? 0 : 1);
    });
  }
  return QApplication::exec();
}
