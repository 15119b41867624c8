// A visible frame around the widget that has the keyboard focus, for widgets on which the
// window's style shows none (the item lists, the default button).
#pragma once

#include <QObject>

class QFocusFrame;
class QWidget;

namespace quillmere {

//! Draws a frame in the palette's highlight colour just outside whichever of its widgets
//! has the keyboard focus; with none of them focused, no frame shows. Owned by `owner`.
class FocusFrame : public QObject {
 public:
  explicit FocusFrame(QWidget& owner);

  //! Frames `widget` whenever it has the focus.
  void Watch(QWidget& widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QFocusFrame* frame_;
};

}  // namespace quillmere
