// What the program tells the user: fixed messages, errors that end an action, the finish dialog.
#pragma once

#include <string>
#include <string_view>

namespace quillmere {

//! The window shows these in modal boxes; the command-line front end writes them to standard
//! error; tests record them. Every call returns when the user has closed the box.
class UserMessages {
 public:
  virtual ~UserMessages() = default;
  //! A message box with one fixed text and an OK button ("Input value is not correct!").
  virtual void ShowMessage(std::string_view text) = 0;
  //! The box for an error that ended an action (a floating-point fault, a failed write),
  //! with an error icon; the text is the error's own.
  virtual void ShowError(std::string_view text) = 0;
  //! The modal "Calculation is successfully finished !" dialog.
  virtual void ShowFinish() = 0;
  //! What the last message or error leaves out: which line of a data file, which field, the
  //! system's reason, where in the dryer a fault arose. The window's boxes keep their fixed
  //! texts and leave it out; the command line prints it on the next line.
  virtual void ShowDetail(std::string_view /*text*/) {}
  //! The input field ("Edit6") whose text the last message refused: the window puts the cursor
  //! there, the command line says which line of the data file the text came from. Told after
  //! the message and before the detail that describes the field's text.
  virtual void PointAtField(std::string_view /*field*/) {}
};

//! The text of the error box: the error's message with a "." appended when its last
//! character sorts after "." (a letter or a digit), not after ".", "!" or a blank.
std::string ErrorBoxText(std::string_view message);

}  // namespace quillmere
