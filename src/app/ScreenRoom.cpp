#include "app/ScreenRoom.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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

void KeepOnScreen(QWidget& window) {
  const QRect room = AvailableRoom(window);
  const QSize frame = FrameAllowance(window);
  const QRect at(window.pos(), window.size() + frame);
  const int x =
      std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - at.width()));
  const int y =
      std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - at.height()));
  window.move(x, y);
}

}  // namespace quillmere
