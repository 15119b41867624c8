#include "app/FocusFrame.h"

#include <QEvent>
#include <QFocusFrame>
#include <QPalette>
#include <QWidget>

namespace quillmere {

FocusFrame::FocusFrame(QWidget& owner) : QObject(&owner), frame_(new QFocusFrame(&owner)) {
  frame_->setObjectName(QStringLiteral("FocusFrame"));
  // The frame is drawn in the text colour: the highlight's, as around a focused input field.
  QPalette palette = frame_->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::Highlight));
  frame_->setPalette(palette);
  frame_->hide();
}

void FocusFrame::Watch(QWidget& widget) {
  widget.installEventFilter(this);
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    frame_->setWidget(static_cast<QWidget*>(watched));
    frame_->show();
  } else if (event->type() == QEvent::FocusOut && frame_->widget() == watched) {
    frame_->setWidget(nullptr);
    frame_->hide();
  }
  return false;
}

}  // namespace quillmere
