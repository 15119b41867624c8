// The real dialogs, each answered as a user answers it: the message boxes, the finish dialog
// and the open dialog for data files. None of them blocks a test.
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "TestSupport.h"
#include "app/FinishForm.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/OpenFileDialog.h"
#include "app/SaveFileDialog.h"
#include "app/ScreenRoom.h"
#include "params/MemoryFieldTexts.h"
#include "report/DataFile.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

// Runs `answer` on the modal dialog of type T once it is shown.
template <typename T>
void Answer(std::function<void(T&)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    answer(*dialog);
  });
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void MessageBoxesShowTheTextWithOk() {
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    QWidget owner;
    owner.show();
    messages.SetOwner(&owner);
    const std::string text = "\"/tmp/χ℃.txt\" is not a correct data file!";  // UTF-8 crosses
    QStringList seen;
    for (const auto& [show, icon] : {std::pair{&MessageBoxes::ShowMessage, QMessageBox::NoIcon},
                                     std::pair{&MessageBoxes::ShowError, QMessageBox::Critical}}) {
      Answer<QMessageBox>([&seen, &owner, icon](QMessageBox& box) {
        seen << box.text();
        QCOMPARE(box.parentWidget(), &owner);
        QCOMPARE(box.windowTitle(), QStringLiteral("Quillmere"));
        QCOMPARE(box.icon(), icon);
        QCOMPARE(box.buttons().size(), 1);
        QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
      });
      (messages.*show)(text);
    }
    QCOMPARE(seen, QStringList(2, QString::fromStdString(text)));
  }

  // After the box that refused a field, its page is in front and its text selected in it.
  void ARefusedFieldGetsTheCursorWithItsTextSelected_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("general page") << "Edit212"
                                  << "1,4"
                                  << "Input value is not correct!";
    QTest::newRow("first page") << "Edit6"
                                << "fast"
                                << "Input value is not correct!";
    QTest::newRow("zone 2") << "Edit25"
                            << ""
                            << "Input value of Zone 2 is not correct!";
  }
  void ARefusedFieldGetsTheCursorWithItsTextSelected() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    WorkingDirectory here;
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    TForm1 form(TestLook(), messages, '.');
    messages.SetOwner(&form);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* pages = form.findChild<QTabWidget*>();
    QVERIFY(pages);
    pages->setCurrentIndex(pages->count() - 1 - pages->currentIndex());  // another page
    auto* edit = form.findChild<QLineEdit*>(field);
    edit->setText(text);
    QString seen;
    Answer<QMessageBox>([&seen](QMessageBox& box) {
      seen = box.text();
      QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
    });
    form.BitBtn1Click();
    QCOMPARE(seen, message);
    QVERIFY(pages->currentWidget()->isAncestorOf(edit));
    QCOMPARE(form.focusWidget(), edit);  // where the cursor is once the window is active
    QApplication::setActiveWindow(&form);
    QTRY_VERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), text);
    QVERIFY(!QFile::exists(here.FilePath(QStringLiteral("result.txt"))));
  }

  void FinishDialogIsModalAndEveryWayOfClosingItIsOk() {
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    Answer<TFinishForm>([](TFinishForm& form) {
      QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    });
    messages.ShowFinish();
    QVERIFY(!finish.isVisible());
    // Its caption and its four texts, each shown in full.
    QCOMPARE(finish.windowTitle(), QStringLiteral("FinishForm"));
    QStringList texts;
    for (QLabel* label : finish.findChildren<QLabel*>()) {
      if (label->text().isEmpty()) continue;
      texts << label->text();
      QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    }
    texts.sort();
    QCOMPARE(texts, (QStringList{"2010.8.23", "Calculation is successfully finished !",
                                 "Refined Version 1.3"}));
    QCOMPARE(finish.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text(),
             QStringLiteral("OK"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
      QTimer::singleShot(0, &finish, [&finish, key] { QTest::keyClick(&finish, key); });
      QCOMPARE(finish.exec(), int(QDialog::Accepted));
    }
    QTimer::singleShot(0, &finish, [&finish] { finish.close(); });
    QCOMPARE(finish.exec(), int(QDialog::Accepted));
  }

  void OpenDialogReturnsTheFullPathOfOneFile() {
    WorkingDirectory here;
    const QString start = here.FilePath(QStringLiteral("data"));
    QVERIFY(QDir().mkdir(start));
    Answer<QFileDialog>([start](QFileDialog& dialog) {
      QCOMPARE(dialog.directory().absolutePath(), start);
      QCOMPARE(dialog.nameFilters(), (QStringList{"Text Files (*.txt)", "All Files (*)"}));
      QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Text Files (*.txt)"));
      auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(edit);
      QTest::keyClicks(edit, QStringLiteral("missing.dat"));  // need not exist
      QTest::keyClick(edit, Qt::Key_Return);
    });
    QCOMPARE(ChooseDataFile(nullptr, start), start + QStringLiteral("/missing.dat"));
    Answer<QFileDialog>([](QFileDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(ChooseDataFile(nullptr, start), std::nullopt);
  }

  // Every dialog opens within the screen's available area, frame included (the offscreen
  // screen is 800 × 600).
  void EveryDialogFitsTheScreen() {
    WorkingDirectory here;
    QStringList seen;
    const auto fits = [&seen](QWidget& dialog) {
      const QRect room = AvailableRoom(dialog);
      const QRect outer(dialog.pos(), dialog.size() + FrameAllowance(dialog));
      QVERIFY2(room.contains(outer), qPrintable(dialog.metaObject()->className()));
      seen << QString::fromLatin1(dialog.metaObject()->className());
    };
    Answer<QFileDialog>([&fits](QFileDialog& dialog) {
      fits(dialog);
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    ChooseDataFile(nullptr, here.Path());
    Answer<QFileDialog>([&fits](QFileDialog& dialog) {
      fits(dialog);
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    ChooseSaveFile(nullptr, QStringLiteral("Export CSV"), here.FilePath(QStringLiteral("a.csv")),
                   {QStringLiteral("CSV file (*.csv)")});
    TFinishForm finish(TestLook());
    MessageBoxes messages(finish);
    Answer<QMessageBox>([&fits](QMessageBox& box) {
      fits(box);
      QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
    });
    messages.ShowMessage(std::string(400, 'x'));
    Answer<TFinishForm>([&fits](TFinishForm& form) {
      fits(form);
      QTest::keyClick(&form, Qt::Key_Escape);
    });
    messages.ShowFinish();
    QCOMPARE(seen.size(), 4);
  }

  // The data file that `quillmere-cli template -o defaults.dat` writes is listed at once, with
  // the text files, under the filter the dialog starts with; other files are not.
  void OpenDialogListsDataFilesUnderItsFirstFilter() {
    WorkingDirectory here;
    WriteDataFile(here.FilePath(QStringLiteral("defaults.dat")).toStdString(), MemoryFieldTexts());
    for (const char* name : {"result.txt", "notes.csv"}) {
      QVERIFY(WriteAll(here.FilePath(QString::fromLatin1(name)), "x\n"));
    }
    QStringList listed;
    Answer<QFileDialog>([&listed, &here](QFileDialog& dialog) {
      QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Text Files (*.txt)"));
      auto* files = dialog.findChild<QFileSystemModel*>();
      QVERIFY(files);
      // The directory is read by a thread of the model: wait for it to say it is done.
      QSignalSpy loaded(files, &QFileSystemModel::directoryLoaded);
      const QModelIndex root = files->index(here.Path());
      if (files->rowCount(root) == 0) QVERIFY(loaded.wait());
      for (int row = 0; row < files->rowCount(root); ++row) {
        listed << files->index(row, 0, root).data().toString();
      }
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(ChooseDataFile(nullptr, here.Path()), std::nullopt);
    listed.sort();
    QCOMPARE(listed, (QStringList{"defaults.dat", "result.txt"}));
  }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
