// Fonts and colours of the windows, chosen once at start-up and handed to whoever builds a
// widget.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace quillmere {

//! The colours the windows use by name.
namespace colours {
inline const QColor kCaption{0x00, 0x00, 0xff};     //!< field captions, finish texts: blue
inline const QColor kGroup{0xff, 0x00, 0x00};       //!< group captions: red
inline const QColor kInnerGroup{0x80, 0x00, 0x00};  //!< inner groups of "  General  ": maroon
inline const QColor kDataButton{0x80, 0x00, 0x00};  //!< "Input Data File": maroon
inline const QColor kPictureSky{0xd2, 0xea, 0xfb};  //!< background of the coating-line picture
}  // namespace colours

//! Pixel sizes of the texts: the character height of each kind of text.
inline constexpr int kCaptionPixels = 12;  //!< field and group captions
inline constexpr int kFieldPixels = 13;    //!< input field texts
inline constexpr int kButtonPixels = 15;   //!< button texts
inline constexpr int kTabPixels = 13;      //!< notebook tab captions
inline constexpr int kNoticePixels = 16;   //!< the finish dialog's two blue lines
inline constexpr int kDatePixels = 15;     //!< the finish dialog's date

//! The fonts of the windows. Texts use a Japanese proportional Gothic font where one is
//! installed (its Latin letters are narrow enough for the field captions), otherwise the
//! system's sans serif; the tab captions use a plain Latin sans serif.
struct WindowLook {
  QString family;     //!< family of every text but the tab captions
  QString tabFamily;  //!< family of the tab captions

  QFont Font(int pixels) const { return MakeFont(family, pixels); }
  QFont TabFont() const { return MakeFont(tabFamily, kTabPixels); }

  static QFont MakeFont(const QString& family, int pixels);
};

//! Picks the families from the fonts installed.
WindowLook ChooseWindowLook();

//! Sets a widget's text colour (the palette's WindowText and ButtonText roles).
void SetTextColour(QWidget& widget, const QColor& colour);

//! Moves a top-level widget so that its client area is centred on its screen.
void CentreOnScreen(QWidget& widget);

}  // namespace quillmere
