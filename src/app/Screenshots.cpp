#include "app/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <array>

#include "app/FinishForm.h"
#include "app/MainWindow.h"

namespace quillmere {

bool SaveScreenshots(TForm1& form, TFinishForm& finishForm, const QString& directory) {
  static constexpr std::array<const char*, 4> kPageFiles{"page-zone1.png", "page-zone2.png",
                                                         "page-zone3.png", "page-general.png"};
  const QDir target(directory);
  bool saved = target.mkpath(QStringLiteral("."));
  auto* notebook = form.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"));
  const int current = notebook->currentIndex();
  for (int page = 0; page < notebook->count(); ++page) {
    notebook->setCurrentIndex(page);
    QApplication::processEvents();
    saved = form.grab().save(target.filePath(QString::fromLatin1(kPageFiles.at(page)))) && saved;
  }
  notebook->setCurrentIndex(current);

  finishForm.show();
  QApplication::processEvents();
  saved = finishForm.grab().save(target.filePath(QStringLiteral("finish.png"))) && saved;
  finishForm.hide();
  return saved;
}

}  // namespace quillmere
