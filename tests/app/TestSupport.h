// Helpers of the window tests: recorded messages instead of modal boxes, and a working
// directory of their own for every test.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <string>
#include <vector>

#include "RecordingMessages.h"
#include "app/WindowLook.h"
#include "params/FieldTable.h"
#include "params/FieldTexts.h"
#include "params/UserMessages.h"

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
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  //! The temporary directory, canonical (as the working directory reads back).
  QString Path() const { return QDir(dir_.path()).canonicalPath(); }
  QString FilePath(const QString& name) const { return QDir(Path()).filePath(name); }

 private:
  QString former_;
  QTemporaryDir dir_;
};

//! The texts of every input field.
inline std::vector<std::string> AllTexts(const FieldTexts& fields) {
  std::vector<std::string> texts;
  for (const FieldSpec& field : AllFields()) texts.push_back(fields.Text(field.name));
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

}  // namespace quillmere::test
