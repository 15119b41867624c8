// Choosing a file to save into (a chart picture, a CSV file): the save dialog, behind a
// function a window is given, so that tests can choose without a modal dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace quillmere {

//! Lets the user choose a file to write: `caption` of the dialog, `suggested` path, `filters`
//! ("PNG image (*.png)", the first selected). The full path chosen, or nothing when the user
//! cancelled.
using SaveFileChooser = std::function<std::optional<QString>(
    const QString& caption, const QString& suggested, const QStringList& filters)>;

//! A modal save dialog over `owner`; a name given without an extension gets the one of the
//! filter selected. Asks before replacing a file.
std::optional<QString> ChooseSaveFile(QWidget* owner, const QString& caption,
                                      const QString& suggested, const QStringList& filters);

}  // namespace quillmere
