// Helpers of the window tests: a working directory of their own, file bytes, and the main
// window with recorded messages instead of modal boxes.
#pragma once

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <string>
#include <vector>

#include "RecordingMessages.h"
#include "app/CurvesWindow.h"
#include "app/MainWindow.h"
#include "app/WindowLook.h"
#include "params/FieldTable.h"
#include "params/FieldTexts.h"

namespace quillmere::test {

//! Makes a fresh temporary directory the working directory and returns to the former one when
//! it goes out of scope.
class WorkingDirectory {
 public:
  WorkingDirectory() : former_(QDir::currentPath()) {
    QVERIFY2(dir_.isValid(), "no temporary directory");
    QVERIFY(QDir::setCurrent(dir_.path()));
  }
  ~WorkingDirectory() { QDir::setCurrent(former_); }

  //! The temporary directory, canonical (as the working directory reads back).
  QString Path() const { return QDir(dir_.path()).canonicalPath(); }
  QString FilePath(const QString& name) const { return QDir(Path()).filePath(name); }

 private:
  QString former_;
  QTemporaryDir dir_;
};

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

//! The texts of every input field.
inline std::vector<std::string> AllTexts(const FieldTexts& fields) {
  std::vector<std::string> texts;
  for (const auto& field : AllFields()) texts.push_back(fields.Text(field.name));
  return texts;
}

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

//! The look the program chooses, as the tests build their windows with it.
inline const WindowLook& TestLook() {
  static const WindowLook look = ChooseWindowLook();
  return look;
}

//! The main window, shown, with recorded messages, a data file chooser that records where it
//! starts and answers `chosenFile`, and its curves window, whose save dialog records the file
//! it suggests and answers `savePath`.
struct Window {
  explicit Window(char separator = '.')
      : curves(TestLook(), messages, separator,
               [this](const QString&, const QString& suggested, const QStringList&) {
                 suggestedSaves.push_back(suggested);
                 return savePath;
               }),
        form(
            TestLook(), messages, separator,
            [this](const QString& start) {
              startDirectories.push_back(start);
              return chosenFile;
            },
            &curves) {
    form.show();
  }

  template <typename T = QWidget>
  T* Named(std::string_view name) const {
    return form.findChild<T*>(ToQString(name));
  }
  QLineEdit* Edit(std::string_view name) const { return Named<QLineEdit>(name); }
  void Type(const char* field, const QString& text) const {
    QLineEdit* edit = Edit(field);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  void Click(const char* button) const {
    QTest::mouseClick(Named<QPushButton>(button), Qt::LeftButton);
  }

  RecordingMessages messages;
  std::optional<QString> chosenFile;
  QStringList startDirectories;
  std::optional<QString> savePath;
  QStringList suggestedSaves;
  CurvesWindow curves;
  TForm1 form;
};

}  // namespace quillmere::test
