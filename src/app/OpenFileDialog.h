// Choosing a data file: the open dialog, behind a function the main window is given, so that
// tests can choose without a modal dialog.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace quillmere {

//! Lets the user choose one data file, starting in `startDirectory`. The full path of the
//! file chosen (which need not exist), or nothing when the user cancelled or chose other
//! than exactly one file.
using DataFileChooser = std::function<std::optional<QString>(const QString& startDirectory)>;

//! OpenFileDialog: a modal open dialog over `owner`, filters "Text Files (*.txt)" (selected)
//! and "All Files (*)", one file, any name (a file that does not exist is reported when it
//! is opened), no default extension.
std::optional<QString> ChooseDataFile(QWidget* owner, const QString& startDirectory);

}  // namespace quillmere
