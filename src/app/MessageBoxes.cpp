#include "app/MessageBoxes.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>

#include "app/FinishForm.h"

namespace quillmere {
namespace {

// A run of characters without a blank longer than a line (a long path) would make the box
// wider than the screen: it may break (a zero-width space) after every kLongestRun of them.
QString Breakable(const QString& text) {
  constexpr int kLongestRun = 60;
  QString breakable;
  int run = 0;
  for (const QChar c : text) {
    breakable += c;
    run = c.isSpace() ? 0 : run + 1;
    if (run >= kLongestRun && !c.isHighSurrogate()) {
      breakable += QChar(0x200B);
      run = 0;
    }
  }
  return breakable;
}

void ShowBox(QWidget* owner, QMessageBox::Icon icon, std::string_view text) {
  QMessageBox box(icon, QString::fromLatin1(kApplicationTitle),
                  Breakable(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))),
                  QMessageBox::Ok, owner);
  box.setObjectName(icon == QMessageBox::Critical ? QStringLiteral("ErrorBox")
                                                  : QStringLiteral("MessageBox"));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

MessageBoxes::MessageBoxes(TFinishForm& finishForm) : finishForm_(finishForm) {}

void MessageBoxes::ShowMessage(std::string_view text) {
  ShowBox(owner_, QMessageBox::NoIcon, text);
}

void MessageBoxes::ShowError(std::string_view text) {
  ShowBox(owner_, QMessageBox::Critical, text);
}

void MessageBoxes::ShowFinish() {
  finishForm_.exec();
}

void MessageBoxes::PointAtField(std::string_view field) {
  if (owner_ == nullptr) return;
  auto* edit = owner_->findChild<QLineEdit*>(
      QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())));
  if (edit == nullptr) return;
  for (QTabWidget* pages : owner_->findChildren<QTabWidget*>()) {
    for (int i = 0; i < pages->count(); ++i) {
      if (pages->widget(i)->isAncestorOf(edit)) pages->setCurrentIndex(i);
    }
  }
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
}

}  // namespace quillmere
