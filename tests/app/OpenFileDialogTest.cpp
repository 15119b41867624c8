// The open dialog for data files: where it starts, its filters, and that it returns the full
// path of one file, which need not exist.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "TestSupport.h"
#include "app/OpenFileDialog.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

// Runs `answer` on the open dialog once it is shown.
void AnswerDialog(std::function<void(QFileDialog&)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    answer(*dialog);
  });
}

void TypeFileName(QFileDialog& dialog, const QString& name) {
  auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QVERIFY(edit);
  QTest::keyClicks(edit, name);
  QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

class OpenFileDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { workingDirectory_ = std::make_unique<WorkingDirectory>(); }
  void cleanup() { workingDirectory_.reset(); }

  void StartsInTheGivenDirectoryWithTheTextFilter() {
    QVERIFY(QDir().mkdir(QStringLiteral("data")));
    const QString start = workingDirectory_->FilePath(QStringLiteral("data"));
    AnswerDialog([start](QFileDialog& dialog) {
      QCOMPARE(dialog.objectName(), QStringLiteral("OpenFileDialog"));
      QCOMPARE(dialog.directory().absolutePath(), start);
      QCOMPARE(dialog.nameFilters(), (QStringList{"Text Files (*.txt)", "All Files (*)"}));
      QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Text Files (*.txt)"));
      QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
      QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
      QVERIFY(dialog.defaultSuffix().isEmpty());
      QVERIFY(dialog.isModal());
      dialog.reject();
    });
    QCOMPARE(ChooseDataFile(nullptr, start), std::nullopt);
  }

  void ReturnsTheFullPathOfAnExistingFile() {
    QVERIFY(WriteAll(QStringLiteral("inputs.txt"), "x"));
    AnswerDialog([](QFileDialog& dialog) { TypeFileName(dialog, QStringLiteral("inputs.txt")); });
    QCOMPARE(ChooseDataFile(nullptr, workingDirectory_->Path()),
             workingDirectory_->FilePath(QStringLiteral("inputs.txt")));
  }

  void ANameOfNoFileIsReturnedToo() {
    AnswerDialog([](QFileDialog& dialog) { TypeFileName(dialog, QStringLiteral("missing.dat")); });
    QCOMPARE(ChooseDataFile(nullptr, workingDirectory_->Path()),
             workingDirectory_->FilePath(QStringLiteral("missing.dat")));
  }

  void CancelReturnsNothing() {
    AnswerDialog([](QFileDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(ChooseDataFile(nullptr, workingDirectory_->Path()), std::nullopt);
  }

 private:
  std::unique_ptr<WorkingDirectory> workingDirectory_;
};

QTEST_MAIN(OpenFileDialogTest)
#include "OpenFileDialogTest.moc"
