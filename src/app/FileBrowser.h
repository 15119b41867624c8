// The small file browser of the first page: a drive selector, a directory list and a file
// list, linked to the process's working directory. The directory list shows the working
// directory; opening a directory in it, or choosing a volume in the drive selector, makes that
// directory the working directory, so that a result file named without a directory lands in
// the directory shown.
#pragma once

#include <QComboBox>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTreeWidget>

namespace quillmere {

//! DriveComboBox1: the mounted volumes (on a system without drive letters, the file-system
//! roots). Each volume remembers the directory last shown on it, as a drive keeps its own
//! current directory.
class DriveComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveComboBox(QWidget* parent);

  //! Root path of the selected volume.
  QString Drive() const;
  //! Selects the volume that holds `directory` (adding it to the list when it is missing) and
  //! remembers `directory` as that volume's current directory.
  void ShowDirectory(const QString& directory);

 signals:
  //! The user chose a volume; `directory` is that volume's current directory.
  void DriveChosen(const QString& directory);

 private:
  void Choose(int index);
  int AddVolume(const QString& root, const QString& label);

  QMap<QString, QString> currentDirectories_;  // volume root -> last directory shown on it
};

//! DirectoryListBox1: the working directory with the directories above it up to its volume's
//! root, and the directories in it. Double click or Enter opens a directory. A name cut off
//! by the list's width shows whole in a tooltip.
class DirectoryListBox : public QTreeWidget {
  Q_OBJECT
 public:
  explicit DirectoryListBox(QWidget* parent);

  //! The directory shown, as an absolute path.
  QString Directory() const { return directory_; }
  //! Makes `path` the process's working directory and shows it. False (nothing changes) when
  //! it cannot be entered.
  bool OpenDirectory(const QString& path);
  //! Shows the process's working directory afresh.
  void Refresh();

 signals:
  void DirectoryChanged(const QString& directory);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
  bool viewportEvent(QEvent* event) override;

 private:
  void OpenItem(QTreeWidgetItem* item);

  QString directory_;
};

//! FileListBox1: every file ("*.*") of the directory shown. It follows the directory: files
//! created, renamed or removed there show at once (and at the latest when the window is
//! activated again). A name cut off by the list's width shows whole in a tooltip.
class FileListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit FileListBox(QWidget* parent);

  QString Directory() const { return directory_; }
  void SetDirectory(const QString& directory);
  //! Reads the directory again; the selected file stays selected.
  void Refresh();

 protected:
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  QString directory_;
  QFileSystemWatcher watcher_;
};

}  // namespace quillmere
