#include "app/MessageBoxes.h"

#include <QMessageBox>

#include "app/FinishForm.h"

namespace quillmere {
namespace {

void ShowBox(QWidget* owner, QMessageBox::Icon icon, std::string_view text) {
  QMessageBox box(icon, QString::fromLatin1(kApplicationTitle),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
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

}  // namespace quillmere
