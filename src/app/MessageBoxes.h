// The window's messages: modal message boxes and the finish dialog.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "base/UserMessages.h"

namespace quillmere {

class TFinishForm;

//! Title of the message boxes.
inline constexpr char kApplicationTitle[] = "Quillmere";

//! UserMessages shown in modal boxes over the main window; every call returns when the user
//! has closed its box.
class MessageBoxes : public UserMessages {
 public:
  explicit MessageBoxes(TFinishForm& finishForm);

  //! The window the boxes stand over (none: they centre on the screen).
  void SetOwner(QWidget* owner) { owner_ = owner; }

  //! A box with the text and an OK button.
  void ShowMessage(std::string_view text) override;
  //! A box with an error icon and an OK button; `text` as ErrorBoxText made it.
  void ShowError(std::string_view text) override;
  //! The finish dialog, modally.
  void ShowFinish() override;
  //! After the box that refused it: the field's page comes to the front and the cursor goes
  //! into the field, with its text selected, ready to be typed over.
  void PointAtField(std::string_view field) override;

 private:
  TFinishForm& finishForm_;
  QPointer<QWidget> owner_;
};

}  // namespace quillmere
