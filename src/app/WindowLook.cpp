#include "app/WindowLook.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace quillmere {
namespace {

QString FirstInstalled(const QStringList& wanted, const QString& fallback) {
  const QStringList installed = QFontDatabase::families();
  for (const QString& family : wanted) {
    if (installed.contains(family, Qt::CaseInsensitive)) return family;
  }
  return fallback;
}

}  // namespace

QFont WindowLook::MakeFont(const QString& family, int pixels) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

WindowLook ChooseWindowLook() {
  const QString systemSans = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  WindowLook look;
  look.family = FirstInstalled({"IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP",
                                "Source Han Sans JP", "VL PGothic", "TakaoPGothic"},
                               systemSans);
  look.tabFamily =
      FirstInstalled({"Arial", "Liberation Sans", "Arimo", "DejaVu Sans", "Noto Sans"}, systemSans);
  return look;
}

void SetTextColour(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::WindowText, colour);
    palette.setColor(group, QPalette::ButtonText, colour);
  }
  widget.setPalette(palette);
}

void CentreOnScreen(QWidget& widget) {
  const QScreen* screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = widget.geometry();
  frame.moveCenter(screen->availableGeometry().center());
  widget.move(frame.topLeft());
}

}  // namespace quillmere
