#include "app/SaveFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace quillmere {

std::optional<QString> ChooseSaveFile(QWidget* owner, const QString& caption,
                                      const QString& suggested, const QStringList& filters) {
  QFileDialog dialog(owner, caption);
  dialog.setObjectName(QStringLiteral("SaveFileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  dialog.selectFile(suggested);
  // The extension of the filter chosen ("PNG image (*.png)": png) for a name without one.
  const auto suffixOf = [](const QString& filter) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
  };
  dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().size() != 1) {
    return std::nullopt;
  }
  return dialog.selectedFiles().front();
}

}  // namespace quillmere
