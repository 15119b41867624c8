#include "app/OpenFileDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QStringList>

namespace quillmere {

std::optional<QString> ChooseDataFile(QWidget* owner, const QString& startDirectory) {
  QFileDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("OpenFileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setLabelText(QFileDialog::Accept, QFileDialog::tr("&Open"));
  dialog.setDirectory(startDirectory);
  const QStringList filters{QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")};
  // Data files are text files, and the ones `quillmere-cli template` and the README write are
  // named *.dat: while the text filter is chosen, the list shows them too, so that they are
  // found without a change of filter. The filters offered stay as they are.
  auto* files = dialog.findChild<QFileSystemModel*>();
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [files, text = filters.front()](const QString& chosen) {
                     if (files != nullptr && chosen == text) {
                       files->setNameFilters({QStringLiteral("*.txt"), QStringLiteral("*.dat")});
                     }
                   });
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.front());
  if (files != nullptr) files->setNameFilters({QStringLiteral("*.txt"), QStringLiteral("*.dat")});
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.size() != 1) return std::nullopt;
  return chosen.front();
}

}  // namespace quillmere
