#include "app/FinishForm.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace quillmere {
namespace {

QLabel* Text(QWidget& parent, const QString& text, const QFont& font, const QColor& colour,
             QPoint position) {
  auto* label = new QLabel(text, &parent);
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  SetTextColour(*label, colour);
  label->move(position);
  label->adjustSize();
  return label;
}

}  // namespace

TFinishForm::TFinishForm(const WindowLook& look, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FinishForm"));
  setWindowTitle(QStringLiteral("FinishForm"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(316, 206);
  setModal(true);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(rect());

  auto* notice = new QLabel(QStringLiteral("Calculation is successfully finished !"), panel);
  notice->setFrameStyle(QFrame::Panel | QFrame::Raised);
  notice->setAlignment(Qt::AlignCenter);
  notice->setFont(look.Font(kNoticePixels));
  SetTextColour(*notice, colours::kCaption);
  notice->setGeometry(21, 16, 269, 41);

  Text(*panel, QStringLiteral("Refined Version 1.3"), look.Font(kNoticePixels), colours::kCaption,
       {88, 72});
  Text(*panel, QStringLiteral("2010.8.23"), look.Font(kDatePixels), Qt::black, {122, 123});

  BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"),
                            panel);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setFont(look.Font(kButtonPixels));
  BitBtn1->setGeometry(106, 151, 102, 31);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TFinishForm::reject() {
  accept();
}

void TFinishForm::showEvent(QShowEvent* event) {
  // Without a parent, the dialog centres itself on the screen as it is shown.
  QDialog::showEvent(event);
  BitBtn1->setFocus();
}

}  // namespace quillmere
