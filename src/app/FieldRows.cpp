#include "app/FieldRows.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

#include "app/LineEditFieldTexts.h"
#include "params/FieldTable.h"

namespace quillmere {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const FieldSpec& TableEntry(std::string_view field) {
  const FieldSpec* entry = FindField(field);
  if (entry == nullptr) throw std::logic_error("No input field " + std::string(field));
  return *entry;
}

// Room between a caption's text and the field at the strip's right end [px].
constexpr int kCaptionGap = 4;

}  // namespace

void FitTextWidth(QLabel& label, int width) {
  constexpr int kNarrowest = 70;  // percent of the normal width
  QFont font = label.font();
  const int natural = QFontMetrics(font).horizontalAdvance(label.text());
  if (natural <= width || natural == 0) return;
  font.setStretch(std::max(kNarrowest, 100 * width / natural));
  label.setFont(font);
}

FieldRowBuilder::FieldRowBuilder(const WindowLook& look, char decimalSeparator,
                                 LineEditFieldTexts& fields)
    : look_(look), decimalSeparator_(decimalSeparator), fields_(fields) {}

QGroupBox* FieldRowBuilder::Group(QWidget& parent, std::string_view objectName,
                                  std::string_view caption, const QRect& geometry,
                                  const QColor& colour) const {
  auto* group = new QGroupBox(FromUtf8(caption), &parent);
  group->setObjectName(FromUtf8(objectName));
  group->setFont(look_.Font(kCaptionPixels));
  group->setGeometry(geometry);
  SetTextColour(*group, colour);
  return group;
}

QLabel* FieldRowBuilder::Strip(QWidget& parent, std::string_view caption,
                               const QRect& geometry) const {
  auto* strip = new QLabel(FromUtf8(caption), &parent);
  strip->setTextFormat(Qt::PlainText);
  strip->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  strip->setLineWidth(1);
  strip->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  strip->setFont(look_.Font(kCaptionPixels));
  strip->setGeometry(geometry);
  SetTextColour(*strip, colours::kCaption);
  return strip;
}

QLineEdit* FieldRowBuilder::Field(QWidget& parent, std::string_view field,
                                  const QRect& geometry) const {
  const FieldSpec& entry = TableEntry(field);
  auto* edit = new QLineEdit(FromUtf8(DefaultText(entry, decimalSeparator_)), &parent);
  edit->setObjectName(FromUtf8(entry.name));
  edit->setFont(look_.Font(kFieldPixels));
  edit->setGeometry(geometry);
  edit->setEnabled(entry.enabled);
  // A field keeps every character it is given, typed or loaded: Qt's default limit would cut
  // a longer text without a word.
  edit->setMaxLength(std::numeric_limits<int>::max());
  edit->setCursorPosition(0);
  fields_.Add(entry.name, edit);
  return edit;
}

QLineEdit* FieldRowBuilder::Row(QWidget& parent, std::string_view field, int left, int top,
                                int width, int fieldWidth) const {
  QLabel* strip = Strip(parent, TableEntry(field).caption, QRect(left, top, width, kStripHeight));
  FitTextWidth(*strip, width - fieldWidth - kCaptionGap);
  return Field(*strip, field, QRect(width - fieldWidth, 0, fieldWidth, kFieldHeight));
}

QLabel* FieldRowBuilder::FormulaText(QWidget& parent, const QString& text, int left) const {
  auto* label = new QLabel(text, &parent);
  label->setTextFormat(Qt::PlainText);
  label->setFont(look_.Font(kCaptionPixels));
  SetTextColour(*label, colours::kCaption);
  const int width = QFontMetrics(label->font()).horizontalAdvance(text);
  label->setGeometry(left, 1, width, kStripHeight - 2);
  return label;
}

void FieldRowBuilder::AntoineRow(QWidget& parent, std::string_view fieldA, std::string_view fieldB,
                                 std::string_view fieldC, int left, int top, int width,
                                 int fieldWidth) const {
  QLabel* strip = Strip(parent, TableEntry(fieldA).caption, QRect(left, top, width, kStripHeight));
  const QFontMetrics metrics(strip->font());
  int x = metrics.horizontalAdvance(strip->text()) + 2;
  const auto place = [&](QWidget* widget) { x = widget->geometry().right() + 1; };
  place(Field(*strip, fieldA, QRect(x, 0, fieldWidth, kFieldHeight)));
  place(FormulaText(*strip, QStringLiteral("- ("), x + 1));
  place(Field(*strip, fieldB, QRect(x + 1, 0, fieldWidth, kFieldHeight)));
  place(FormulaText(*strip, QStringLiteral("/( T + "), x + 1));
  place(Field(*strip, fieldC, QRect(x + 1, 0, fieldWidth, kFieldHeight)));
  FormulaText(*strip, QStringLiteral(" )) "), x + 1);
}

}  // namespace quillmere
