#include "app/OpenFileDialog.h"

#include <QFileDialog>
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
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.front());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.size() != 1) return std::nullopt;
  return chosen.front();
}

}  // namespace quillmere
