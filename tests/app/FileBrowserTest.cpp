// The drive selector, the directory list and the file list, and their link to the working
// directory.
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QStorageInfo>
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

// The three controls, linked as on the first page.
struct Browser {
  Browser() : drives(&host), directories(&host), files(&host) {
    host.resize(400, 300);
    drives.setGeometry(0, 0, 160, 22);
    directories.setGeometry(0, 30, 160, 250);
    files.setGeometry(200, 0, 160, 280);
    files.SetDirectory(directories.Directory());
    drives.ShowDirectory(directories.Directory());
    QObject::connect(&drives, &DriveComboBox::DriveChosen, &directories,
                     &DirectoryListBox::OpenDirectory);
    QObject::connect(&directories, &DirectoryListBox::DirectoryChanged, &files,
                     &FileListBox::SetDirectory);
    QObject::connect(&directories, &DirectoryListBox::DirectoryChanged, &drives,
                     &DriveComboBox::ShowDirectory);
    host.show();
  }

  QWidget host;
  DriveComboBox drives;
  DirectoryListBox directories;
  FileListBox files;
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
    for (const char* name : {"b.txt", "A.dat", "c"})
      QVERIFY(WriteAll(QString::fromLatin1(name), "x"));
  }
  void cleanup() { workingDirectory_.reset(); }

  void StartsAtTheWorkingDirectory() {
    Browser b;
    QCOMPARE(b.directories.Directory(), workingDirectory_->Path());
    QCOMPARE(b.files.Directory(), workingDirectory_->Path());
    QCOMPARE(b.drives.Drive(), QStorageInfo(workingDirectory_->Path()).rootPath());
  }

  void FileListShowsEveryFileAndNoDirectory() {
    Browser b;
    QCOMPARE(Texts(b.files), (QStringList{"A.dat", "b.txt", "c"}));
  }

  void DirectoryListShowsTheChainAndTheSubdirectories() {
    Browser b;
    QTreeWidgetItem* current = b.directories.currentItem();
    QVERIFY(current);
    QCOMPARE(current->text(0), QFileInfo(workingDirectory_->Path()).fileName());
    QCOMPARE(current->childCount(), 2);  // hidden directories are left out
    QCOMPARE(current->child(0)->text(0), QStringLiteral("alpha"));
    QCOMPARE(current->child(1)->text(0), QStringLiteral("Beta"));
    // Up the chain to the volume's root.
    QTreeWidgetItem* top = current;
    while (top->parent() != nullptr) top = top->parent();
    QCOMPARE(top->text(0), QStorageInfo(workingDirectory_->Path()).rootPath());
  }

  void DoubleClickOpensADirectory() {
    Browser b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.host));
    QSignalSpy changed(&b.directories, &DirectoryListBox::DirectoryChanged);
    const QPoint centre = b.directories.visualItemRect(Item(b.directories, "Beta")).center();
    QTest::mouseClick(b.directories.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(b.directories.viewport(), Qt::LeftButton, {}, centre);
    const QString beta = workingDirectory_->FilePath(QStringLiteral("Beta"));
    QCOMPARE(QDir::currentPath(), beta);
    QCOMPARE(b.directories.Directory(), beta);
    QCOMPARE(b.files.Directory(), beta);
    QVERIFY(Texts(b.files).isEmpty());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(b.directories.currentItem()->text(0), QStringLiteral("Beta"));
    QCOMPARE(b.directories.currentItem()->child(0)->text(0), QStringLiteral("inner"));
  }

  void EnterOpensTheCurrentDirectoryAndParentsToo() {
    Browser b;
    b.directories.setCurrentItem(Item(b.directories, "alpha"));
    QTest::keyClick(&b.directories, Qt::Key_Return);
    QCOMPARE(QDir::currentPath(), workingDirectory_->FilePath(QStringLiteral("alpha")));
    // Its parent stands above it in the list.
    b.directories.setCurrentItem(b.directories.currentItem()->parent());
    QTest::keyClick(&b.directories, Qt::Key_Enter);
    QCOMPARE(QDir::currentPath(), workingDirectory_->Path());
    QCOMPARE(Texts(b.files), (QStringList{"A.dat", "b.txt", "c"}));
  }

  void SingleClickDoesNotOpen() {
    Browser b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.host));
    const QPoint centre = b.directories.visualItemRect(Item(b.directories, "alpha")).center();
    QTest::mouseClick(b.directories.viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(QDir::currentPath(), workingDirectory_->Path());
  }

  void ADirectoryThatCannotBeEnteredChangesNothing() {
    Browser b;
    QVERIFY(!b.directories.OpenDirectory(workingDirectory_->FilePath(QStringLiteral("gone"))));
    QCOMPARE(QDir::currentPath(), workingDirectory_->Path());
    QCOMPARE(b.directories.Directory(), workingDirectory_->Path());
  }

  void RefreshShowsNewFiles() {
    Browser b;
    QVERIFY(WriteAll(QStringLiteral("result.txt"), "x"));
    QVERIFY(!Texts(b.files).contains(QStringLiteral("result.txt")));
    b.files.Refresh();
    QVERIFY(Texts(b.files).contains(QStringLiteral("result.txt")));
  }

  void ChoosingADriveGoesToItsCurrentDirectory() {
    Browser b;
    const QString root = QStorageInfo(workingDirectory_->Path()).rootPath();
    const int index = b.drives.findData(root, Qt::UserRole);
    QVERIFY(index >= 0);
    // The volume remembers the directory last shown on it, as a drive does.
    QVERIFY(b.directories.OpenDirectory(workingDirectory_->FilePath(QStringLiteral("alpha"))));
    QVERIFY(QDir::setCurrent(workingDirectory_->Path()));
    b.directories.Refresh();
    QSignalSpy chosen(&b.drives, &DriveComboBox::DriveChosen);
    b.drives.activated(index);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(QDir::currentPath(), workingDirectory_->FilePath(QStringLiteral("alpha")));
    QCOMPARE(b.files.Directory(), workingDirectory_->FilePath(QStringLiteral("alpha")));
  }

  void DriveSelectorListsTheRootVolume() {
    Browser b;
    QVERIFY(b.drives.count() >= 1);
    QVERIFY(b.drives.findData(QStringLiteral("/"), Qt::UserRole) >= 0 ||
            QStorageInfo::root().fileSystemType() == "tmpfs");
  }

 private:
  std::unique_ptr<WorkingDirectory> workingDirectory_;
};

QTEST_MAIN(FileBrowserTest)
#include "FileBrowserTest.moc"
