#include "app/FileBrowser.h"

#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QStyle>
#include <QToolTip>

namespace quillmere {
namespace {

constexpr int kPathRole = Qt::UserRole;

// File systems that hold no user files (or one per installed package) are left out of the
// drive selector, unless the working directory lies on one of them.
bool IsUserVolume(const QStorageInfo& volume) {
  if (!volume.isValid() || !volume.isReady()) return false;
  static const QByteArrayList kHidden{"squashfs", "tmpfs",  "devtmpfs", "ramfs",   "proc",
                                      "sysfs",    "cgroup", "cgroup2",  "efivarfs"};
  return !kHidden.contains(volume.fileSystemType());
}

QString VolumeRoot(const QString& path) {
  return QStorageInfo(path).rootPath();
}

// A tooltip with the whole name of the item under the pointer when the view cuts it off;
// `option` is the view's item option.
void ShowCutName(const QAbstractItemView& view, QStyleOptionViewItem option, QHelpEvent& help) {
  const QModelIndex index = view.indexAt(help.pos());
  option.rect = view.visualRect(index);
  const QAbstractItemDelegate* delegate = view.itemDelegateForIndex(index);
  if (!index.isValid() || delegate == nullptr ||
      option.rect.left() + delegate->sizeHint(option, index).width() <= view.viewport()->width()) {
    QToolTip::hideText();
    help.ignore();
    return;
  }
  QToolTip::showText(help.globalPos(), index.data(Qt::DisplayRole).toString(), view.viewport(),
                     option.rect);
}

}  // namespace

// ---- DriveComboBox ------------------------------------------------------------------------

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
  setObjectName(QStringLiteral("DriveComboBox1"));
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (IsUserVolume(volume)) AddVolume(volume.rootPath(), volume.name());
  }
  connect(this, &QComboBox::activated, this, &DriveComboBox::Choose);
}

int DriveComboBox::AddVolume(const QString& root, const QString& label) {
  const int existing = findData(root, kPathRole);
  if (existing >= 0) return existing;
  const QString text = label.isEmpty() ? root : root + QStringLiteral("  [") + label + ']';
  // Sorted by path, so "/" comes first.
  int index = 0;
  while (index < count() && itemData(index, kPathRole).toString() < root) ++index;
  insertItem(index, style()->standardIcon(QStyle::SP_DriveHDIcon), text, root);
  return index;
}

QString DriveComboBox::Drive() const {
  return currentData(kPathRole).toString();
}

void DriveComboBox::ShowDirectory(const QString& directory) {
  const QStorageInfo volume(directory);
  const QString root = volume.rootPath();
  currentDirectories_.insert(root, directory);
  setCurrentIndex(AddVolume(root, volume.name()));
}

void DriveComboBox::Choose(int index) {
  const QString root = itemData(index, kPathRole).toString();
  QString directory = currentDirectories_.value(root, root);
  if (!QFileInfo(directory).isDir()) directory = root;
  emit DriveChosen(directory);
}

// ---- DirectoryListBox ----------------------------------------------------------------------

DirectoryListBox::DirectoryListBox(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("DirectoryListBox1"));
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(10);
  setUniformRowHeights(true);
  // Mouse: a double click opens; the keyboard's Enter is handled in keyPressEvent.
  connect(this, &QTreeWidget::itemDoubleClicked, this, &DirectoryListBox::OpenItem);
  Refresh();
}

void DirectoryListBox::Refresh() {
  directory_ = QDir::currentPath();
  clear();
  // The chain from the volume's root down to the directory shown, each an open folder ...
  const QString root = VolumeRoot(directory_);
  QStringList chain;
  for (QDir dir(directory_);; dir.cdUp()) {
    chain.prepend(dir.absolutePath());
    if (dir.absolutePath() == root || dir.isRoot()) break;
  }
  QTreeWidgetItem* parent = nullptr;
  for (const QString& path : chain) {
    const QString name = path == chain.front() ? path : QFileInfo(path).fileName();
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
    item->setData(0, kPathRole, path);
    parent = item;
  }
  // ... then the directories in it, closed.
  const QDir shown(directory_);
  for (const QString& name : shown.entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                             QDir::Name | QDir::IgnoreCase | QDir::LocaleAware)) {
    auto* item = new QTreeWidgetItem(parent);
    item->setText(0, name);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    item->setData(0, kPathRole, shown.absoluteFilePath(name));
  }
  expandAll();
  setCurrentItem(parent);
  scrollToItem(parent);
}

bool DirectoryListBox::OpenDirectory(const QString& path) {
  if (!QDir::setCurrent(path)) return false;
  Refresh();
  emit DirectoryChanged(directory_);
  return true;
}

void DirectoryListBox::OpenItem(QTreeWidgetItem* item) {
  if (item != nullptr) OpenDirectory(item->data(0, kPathRole).toString());
}

void DirectoryListBox::drawBranches(QPainter*, const QRect&, const QModelIndex&) const {
  // Every directory is shown open or closed by its icon; there is nothing to expand.
}

bool DirectoryListBox::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(event);
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  ShowCutName(*this, option, static_cast<QHelpEvent&>(*event));
  return true;
}

void DirectoryListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenItem(currentItem());
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

// ---- FileListBox ---------------------------------------------------------------------------

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("FileListBox1"));
  setUniformItemSizes(true);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FileListBox::Refresh);
}

void FileListBox::SetDirectory(const QString& directory) {
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  directory_ = directory;
  watcher_.addPath(directory_);
  Refresh();
}

void FileListBox::Refresh() {
  const QString selected = currentItem() != nullptr ? currentItem()->text() : QString();
  clear();
  addItems(QDir(directory_)
               .entryList(QStringList{QStringLiteral("*")}, QDir::Files,
                          QDir::Name | QDir::IgnoreCase | QDir::LocaleAware));
  if (selected.isEmpty()) return;
  const QList<QListWidgetItem*> same = findItems(selected, Qt::MatchExactly);
  if (!same.isEmpty()) setCurrentItem(same.front());
}

bool FileListBox::event(QEvent* event) {
  // The window's activation reaches its children: a file made meanwhile by another program
  // shows even where the directory cannot be watched.
  if (event->type() == QEvent::WindowActivate) Refresh();
  return QListWidget::event(event);
}

bool FileListBox::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QListWidget::viewportEvent(event);
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  ShowCutName(*this, option, static_cast<QHelpEvent&>(*event));
  return true;
}

}  // namespace quillmere
