// Start-up: the main window with the defaults in its fields, the hidden finish dialog, and the
// event loop, which ends when the main window closes.
#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <csignal>
#include <cstdio>
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
          "For runs without the window, see quillmere-cli.\n");
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace quillmere;
  if (AnsweredCommandLine(argc, argv)) return 0;
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
  // every page, of the finish dialog and of the curves there and ends the program.
  const QString screenshots = qEnvironmentVariable("QUILLMERE_SCREENSHOTS");
  if (!screenshots.isEmpty()) {
    QTimer::singleShot(300, &Form1, [&] {
      QApplication::exit(SaveScreenshots(Form1, FinishForm, curves, screenshots) ? 0 : 1);
    });
  }
  return QApplication::exec();
}
