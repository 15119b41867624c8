#include "app/ScreenRoom.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillmere {
namespace {

//! A title bar and a border on each side, as the common window managers draw them [px].
constexpr QSize kUsualFrame{2 * 4, 30 + 4};

}  // namespace

QRect AvailableRoom(const QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 640);
}

QSize FrameAllowance(const QWidget& window) {
  if (window.isVisible() && window.frameGeometry() != window.geometry()) {
    return window.frameGeometry().size() - window.geometry().size();
  }
  return kUsualFrame;
}

void FitToScreen(QWidget& window, QSize wanted, QSize least) {
  const QSize room = AvailableRoom(window).size() - FrameAllowance(window);
  window.setMinimumSize(least.boundedTo(room));
  window.resize(wanted.boundedTo(room));
}

}  // namespace quillmere
