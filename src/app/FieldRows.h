// The building blocks of the input pages: group boxes and field rows, each row a lowered
// captioned strip with its input field at the right end, built from the field table.
#pragma once

#include <QRect>
#include <string_view>

#include "app/WindowLook.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace quillmere {

class LineEditFieldTexts;

//! Height of a captioned strip and of an input field [px].
inline constexpr int kStripHeight = 22;
inline constexpr int kFieldHeight = 21;

class FieldRowBuilder {
 public:
  //! New input fields show their default texts with `decimalSeparator` and are registered in
  //! `fields` under their names.
  FieldRowBuilder(const WindowLook& look, char decimalSeparator, LineEditFieldTexts& fields);

  //! A group box with its caption in `colour`.
  QGroupBox* Group(QWidget& parent, std::string_view objectName, std::string_view caption,
                   const QRect& geometry, const QColor& colour) const;

  //! The row of `field`: a strip at `left`, `top`, `width` wide, with the field's caption and,
  //! at its right end, the input field `fieldWidth` wide.
  QLineEdit* Row(QWidget& parent, std::string_view field, int left, int top, int width,
                 int fieldWidth) const;

  //! The vapour pressure row, which shows the Antoine equation with its three constants in
  //! place: caption "log10 Ps = ", A, "- (", B, "/( T + ", C, " )) ".
  void AntoineRow(QWidget& parent, std::string_view fieldA, std::string_view fieldB,
                  std::string_view fieldC, int left, int top, int width, int fieldWidth) const;

  //! An input field without a strip of its own (the save file name).
  QLineEdit* Field(QWidget& parent, std::string_view field, const QRect& geometry) const;

 private:
  QLabel* Strip(QWidget& parent, std::string_view caption, const QRect& geometry) const;
  QLabel* FormulaText(QWidget& parent, const QString& text, int left) const;

  const WindowLook& look_;
  char decimalSeparator_;
  LineEditFieldTexts& fields_;
};

//! Narrows a label's font (by its stretch factor) until its text fits in `width` pixels, so
//! that a caption is never cut off when only a wider font family is installed.
void FitTextWidth(QLabel& label, int width);

}  // namespace quillmere
