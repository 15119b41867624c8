// The drive selector, the directory list and the file list of the main window, and their
// link to the working directory, where the result file lands and the open dialog starts.
#include <QDir>
#include <QStorageInfo>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "TestSupport.h"
#include "app/FileBrowser.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

QStringList Texts(const QListWidget& list) {
  QStringList texts;
  for (int i = 0; i < list.count(); ++i) texts << list.item(i)->text();
  return texts;
}

QTreeWidgetItem* Item(const QTreeWidget& tree, const QString& text) {
  const QList<QTreeWidgetItem*> found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  return found.size() == 1 ? found.front() : nullptr;
}

struct Browser : Window {
  DriveComboBox* drives = Named<DriveComboBox>("DriveComboBox1");
  DirectoryListBox* directories = Named<DirectoryListBox>("DirectoryListBox1");
  FileListBox* files = Named<FileListBox>("FileListBox1");
};

}  // namespace

class FileBrowserTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    workingDirectory_ = std::make_unique<WorkingDirectory>();
    QVERIFY(QDir().mkpath(QStringLiteral("Beta/inner")));
    QVERIFY(QDir().mkpath(QStringLiteral("alpha")));
    QVERIFY(QDir().mkpath(QStringLiteral(".hidden")));
    for (const char* name : {"b.txt", "A.dat", "c"}) {
      QVERIFY(WriteAll(QString::fromLatin1(name), "x"));
    }
  }
  void cleanup() { workingDirectory_.reset(); }

  void ShowsTheWorkingDirectoryOnItsDrive() {
    Browser b;
    const QString root = QStorageInfo(Here()).rootPath();
    QCOMPARE(b.form.ShownDirectory(), Here());
    QCOMPARE(b.drives->Drive(), root);
    QCOMPARE(Texts(*b.files), (QStringList{"A.dat", "b.txt", "c"}));
    QTreeWidgetItem* current = b.directories->currentItem();
    QVERIFY(current);
    QCOMPARE(current->text(0), QFileInfo(Here()).fileName());
    QCOMPARE(current->childCount(), 2);  // hidden directories are left out
    QCOMPARE(current->child(0)->text(0), QStringLiteral("alpha"));
    QCOMPARE(current->child(1)->text(0), QStringLiteral("Beta"));
    // Up the chain to the volume's root.
    while (current->parent() != nullptr) current = current->parent();
    QCOMPARE(current->text(0), root);
    // The drive remembers the directory last shown on it and goes back there when chosen.
    const QString alpha = workingDirectory_->FilePath(QStringLiteral("alpha"));
    QVERIFY(b.directories->OpenDirectory(alpha));
    QVERIFY(QDir::setCurrent(Here()));
    b.directories->Refresh();
    b.drives->activated(b.drives->findData(root, Qt::UserRole));
    QCOMPARE(QDir::currentPath(), alpha);
    QCOMPARE(b.files->Directory(), alpha);
  }

  void DoubleClickedDirectoryTakesTheResultFileAndTheOpenDialog() {
    Browser b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.form));
    b.Click("InputData");
    QCOMPARE(b.startDirectories, QStringList{Here()});
    const QPoint centre = b.directories->visualItemRect(Item(*b.directories, "Beta")).center();
    QTest::mouseClick(b.directories->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(QDir::currentPath(), Here());  // a single click opens nothing
    QTest::mouseDClick(b.directories->viewport(), Qt::LeftButton, {}, centre);
    const QString beta = workingDirectory_->FilePath(QStringLiteral("Beta"));
    QCOMPARE(QDir::currentPath(), beta);
    b.Click("InputData");
    QCOMPARE(b.startDirectories.back(), beta);

    b.Click("BitBtn1");
    QCOMPARE(b.messages.finishCount, 1);
    QVERIFY(QFile::exists(QDir(beta).filePath(QStringLiteral("result.txt"))));
    QVERIFY(!QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
    QCOMPARE(Texts(*b.files), QStringList{"result.txt"});
  }

  void FilesMadeMeanwhileShowInTheList() {
    Browser b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.form));
    b.files->setCurrentRow(1);  // b.txt
    // Written by another program: the list follows the directory ...
    QVERIFY(WriteAll(QStringLiteral("new.txt"), "x"));
    QTRY_COMPARE(Texts(*b.files), (QStringList{"A.dat", "b.txt", "c", "new.txt"}));
    QCOMPARE(b.files->currentItem()->text(), QStringLiteral("b.txt"));
    QVERIFY(QFile::remove(QStringLiteral("c")));
    QTRY_COMPARE(Texts(*b.files), (QStringList{"A.dat", "b.txt", "new.txt"}));
    // ... and reads it again when the window is activated.
    QVERIFY(WriteAll(QStringLiteral("d.txt"), "x"));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&b.form, &activate);
    QCOMPARE(Texts(*b.files), (QStringList{"A.dat", "b.txt", "d.txt", "new.txt"}));
  }

  void NamesCutOffShowWholeInATooltip_data() {
    QTest::addColumn<bool>("directory");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("cut");
    QTest::newRow("long file") << false << "a-result-file-with-a-name-longer-than-the-list.txt"
                               << true;
    QTest::newRow("short file") << false << "b.txt" << false;
    QTest::newRow("long directory")
        << true << "a-directory-with-a-name-longer-than-the-list" << true;
    QTest::newRow("short directory") << true << "alpha" << false;
  }
  void NamesCutOffShowWholeInATooltip() {
    QFETCH(bool, directory);
    QFETCH(QString, name);
    QFETCH(bool, cut);
    QVERIFY(directory ? QDir().mkpath(name) : WriteAll(name, "x"));
    Browser b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.form));
    QAbstractItemView* view = directory ? static_cast<QAbstractItemView*>(b.directories)
                                        : static_cast<QAbstractItemView*>(b.files);
    const QModelIndex index =
        directory ? b.directories->indexFromItem(Item(*b.directories, name))
                  : b.files->indexFromItem(b.files->findItems(name, Qt::MatchExactly).front());
    const QPoint at = view->visualRect(index).center();
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    if (cut) {
      QTRY_VERIFY(QToolTip::isVisible());
      QCOMPARE(QToolTip::text(), name);
    } else {
      QTRY_VERIFY(!QToolTip::isVisible());
    }
    QToolTip::hideText();
  }

  void EnterOpensTheCurrentDirectoryOrItsParent() {
    Browser b;
    b.directories->setCurrentItem(Item(*b.directories, "alpha"));
    QTest::keyClick(b.directories, Qt::Key_Return);
    QCOMPARE(QDir::currentPath(), workingDirectory_->FilePath(QStringLiteral("alpha")));
    // Its parent stands above it in the list.
    b.directories->setCurrentItem(b.directories->currentItem()->parent());
    QTest::keyClick(b.directories, Qt::Key_Enter);
    QCOMPARE(QDir::currentPath(), Here());
    QCOMPARE(Texts(*b.files), (QStringList{"A.dat", "b.txt", "c"}));
    QCOMPARE(b.messages.finishCount, 0);  // Enter here runs no calculation
    // A directory that cannot be entered changes nothing.
    QVERIFY(!b.directories->OpenDirectory(workingDirectory_->FilePath(QStringLiteral("gone"))));
    QCOMPARE(QDir::currentPath(), Here());
    QCOMPARE(b.form.ShownDirectory(), Here());
  }

 private:
  QString Here() const { return workingDirectory_->Path(); }

  std::unique_ptr<WorkingDirectory> workingDirectory_;
};

QTEST_MAIN(FileBrowserTest)
#include "FileBrowserTest.moc"
