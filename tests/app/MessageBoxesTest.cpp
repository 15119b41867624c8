// The window's messages: each in a modal box with OK, errors with an error icon, the finish
// notice in the finish dialog.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "TestSupport.h"
#include "app/FinishForm.h"
#include "app/MessageBoxes.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  bool modal = false;
};

// Reads the modal box once it is shown, then presses its OK button.
void AnswerNextBox(SeenBox& seen) {
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box);
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = int(box->buttons().size());
    seen.modal = box->isModal();
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  });
}

}  // namespace

class MessageBoxesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void MessageShowsItsTextWithOk() {
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    SeenBox seen;
    AnswerNextBox(seen);
    messages.ShowMessage("Input value is not correct!");
    QCOMPARE(seen.text, QStringLiteral("Input value is not correct!"));
    QCOMPARE(seen.title, QStringLiteral("Quillmere"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, 1);
    QVERIFY(seen.modal);
  }

  void ErrorShowsAnErrorIconOverTheOwner() {
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    QWidget owner;
    owner.show();
    messages.SetOwner(&owner);
    SeenBox seen;
    AnswerNextBox(seen);
    messages.ShowError("Invalid floating point operation.");
    QCOMPARE(seen.text, QStringLiteral("Invalid floating point operation."));
    QCOMPARE(seen.title, QStringLiteral("Quillmere"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, 1);
  }

  void TextsCrossAsUtf8() {
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    SeenBox seen;
    AnswerNextBox(seen);
    messages.ShowMessage("\"/tmp/χ℃.txt\" is not a correct data file!");
    QCOMPARE(seen.text, QStringLiteral("\"/tmp/χ℃.txt\" is not a correct data file!"));
  }

  void FinishShowsTheFinishDialogModally() {
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    bool shown = false;
    QTimer::singleShot(0, [&] {
      shown = QApplication::activeModalWidget() == &finish;
      QTest::mouseClick(finish.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    });
    messages.ShowFinish();
    QVERIFY(shown);
    QVERIFY(!finish.isVisible());
  }
};

QTEST_MAIN(MessageBoxesTest)
#include "MessageBoxesTest.moc"
