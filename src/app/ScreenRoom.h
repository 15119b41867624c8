// The room a window has on its screen: the screen's available area (the panels left out), less
// the frame the window manager puts around the window.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace quillmere {

//! The screen's available area for `window` (its own screen, else the primary one).
QRect AvailableRoom(const QWidget& window);

//! The frame around a window's contents: measured once shown, else a usual title bar and
//! border [px], width and height together.
QSize FrameAllowance(const QWidget& window);

//! Sizes `window` to `wanted`, or less where its screen has less room, its least size
//! `least` or less, so that it opens within the screen and shrinks to it, frame included.
void FitToScreen(QWidget& window, QSize wanted, QSize least);

}  // namespace quillmere
