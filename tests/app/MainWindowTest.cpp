// The main window driven as a user drives it: fields found by name, typing, clicks, Enter.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <optional>

#include "TestSupport.h"
#include "app/DataFile.h"
#include "app/FileBrowser.h"
#include "app/MainWindow.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "params/ParameterSet.h"
#include "sim/CalculationRun.h"
#include "sim/SimulationState.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

constexpr std::array<const char*, 8> kFixedConstants{"Edit224", "Edit225", "Edit226", "Edit228",
                                                     "Edit234", "Edit235", "Edit236", "Edit238"};

// The window with recorded messages and a data file chooser that answers what the test says.
struct Window {
  explicit Window(char separator = '.')
      : form(TestLook(), messages, separator, [this](const QString& start) {
          startDirectories.push_back(start);
          return chosenFile;
        }) {
    form.show();
  }

  QLineEdit* Edit(const char* name) const {
    return form.findChild<QLineEdit*>(QString::fromLatin1(name));
  }
  QPushButton* Button(const char* name) const {
    return form.findChild<QPushButton*>(QString::fromLatin1(name));
  }
  void Type(const char* field, const QString& text) const {
    QLineEdit* edit = Edit(field);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  void Click(const char* button) const { QTest::mouseClick(Button(button), Qt::LeftButton); }

  RecordingMessages messages;
  std::optional<QString> chosenFile;
  QStringList startDirectories;
  TForm1 form;
};

// The result file of RunCalculation over the default texts, as the headless front end writes
// it, run in a directory of its own.
QByteArray HeadlessResult(char separator) {
  WorkingDirectory elsewhere;
  const MemoryFieldTexts fields(separator);
  RecordingMessages messages;
  ParameterSet params;
  auto state = std::make_unique<SimulationState>();
  RunCalculation(fields, messages, separator, params, *state);
  return ReadAll(elsewhere.FilePath(QStringLiteral("result.txt")));
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { workingDirectory_ = std::make_unique<WorkingDirectory>(); }
  void cleanup() { workingDirectory_.reset(); }

  void CaptionSizeAndPages() {
    Window w;
    QCOMPARE(w.form.windowTitle(), QStringLiteral("Quillmere  (Refined  Version)"));
    QCOMPARE(w.form.size(), QSize(727, 545));
    QCOMPARE(w.form.minimumSize(), w.form.maximumSize());
    QVERIFY(!(w.form.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.form.windowFlags() & Qt::WindowMaximizeButtonHint));
    auto* notebook = w.form.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"));
    QVERIFY(notebook);
    const QStringList captions{"Zone Cond. (1)", "Zone Cond. (2)", "Zone Cond. (3)",
                               "General Cond."};
    QCOMPARE(notebook->count(), captions.size());
    for (int i = 0; i < notebook->count(); ++i) QCOMPARE(notebook->tabText(i), captions[i]);
    QCOMPARE(notebook->currentIndex(), 0);
    QVERIFY(w.Button("BitBtn1")->isDefault());
    QCOMPARE(w.Button("BitBtn1")->text(), QStringLiteral("OK"));
    QCOMPARE(w.Button("BitBtn2")->text(), QStringLiteral("&Close"));
    QCOMPARE(w.Button("InputData")->text(), QStringLiteral("Input Data File"));
  }

  void EveryFieldIsALineEditNamedAfterItsField() {
    Window w;
    for (const FieldSpec& field : AllFields()) {
      const QString name = QString::fromUtf8(field.name.data(), qsizetype(field.name.size()));
      QVERIFY2(w.form.findChild<QLineEdit*>(name) != nullptr, qPrintable(name));
    }
    QCOMPARE(w.form.findChildren<QLineEdit*>().size(), qsizetype(AllFields().size()));
  }

  void DefaultsShownWithTheDecimalSeparator_data() {
    QTest::addColumn<char>("separator");
    QTest::newRow("point") << '.';
    QTest::newRow("comma") << ',';
  }
  void DefaultsShownWithTheDecimalSeparator() {
    QFETCH(char, separator);
    Window w(separator);
    for (const FieldSpec& field : AllFields()) {
      QCOMPARE(w.form.Fields().Text(field.name), DefaultText(field, separator));
    }
    QCOMPARE(w.Edit("Edit1")->text(), QString::fromLatin1(separator == ',' ? "0,0695" : "0.0695"));
    QCOMPARE(w.Edit("Edit250")->text(), QStringLiteral("result.txt"));
  }

  void FixedConstantsAreDisabled() {
    Window w;
    for (const char* name : kFixedConstants) {
      QVERIFY2(!w.Edit(name)->isEnabled(), name);
      QVERIFY(!w.form.Fields().IsEnabled(name));
    }
    int enabled = 0;
    for (const FieldSpec& field : AllFields()) enabled += w.form.Fields().IsEnabled(field.name);
    QCOMPARE(enabled, int(AllFields().size()) - 8);
    // Typing into a fixed constant changes nothing.
    QTest::keyClicks(w.Edit("Edit224"), QStringLiteral("1"));
    QCOMPARE(w.Edit("Edit224")->text(), QStringLiteral("6.38469"));
  }

  void FurtherZonesAreEmptyAtStart() {
    Window w;
    for (int zone = 3; zone <= kMaxZones; ++zone) {
      for (int index = 0; index < 6; ++index) {
        QVERIFY(w.form.Fields().Text(ZoneFieldName(zone, index)).empty());
      }
    }
    QCOMPARE(w.Edit("Edit21")->text(), QStringLiteral("60.0"));
  }

  void OkWithTheDefaultsWritesWhatTheHeadlessRunWrites_data() {
    QTest::addColumn<char>("separator");
    QTest::newRow("point") << '.';
    QTest::newRow("comma") << ',';
  }
  void OkWithTheDefaultsWritesWhatTheHeadlessRunWrites() {
    QFETCH(char, separator);
    Window w(separator);
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(w.messages.errors.empty());
    QVERIFY(w.messages.messages.empty());
    const QByteArray written = ReadAll(workingDirectory_->FilePath(QStringLiteral("result.txt")));
    QVERIFY(!written.isEmpty());
    QCOMPARE(written, HeadlessResult(separator));
    // The file list shows the new result file.
    auto* files = w.form.findChild<QListWidget*>(QStringLiteral("FileListBox1"));
    QCOMPARE(files->findItems(QStringLiteral("result.txt"), Qt::MatchExactly).size(), 1);
  }

  void EnterInAFieldOfTheFirstPageRunsTheCalculation() {
    Window w;
    QTest::keyClick(w.Edit("Edit6"), Qt::Key_Return);
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
    QTest::keyClick(w.Edit("Edit250"), Qt::Key_Enter);
    QCOMPARE(w.messages.finishCount, 2);
  }

  void EnterOnTheOtherPagesDoesNothing() {
    Window w;
    w.form.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"))->setCurrentIndex(3);
    QTest::keyClick(w.Edit("Edit201"), Qt::Key_Return);
    QTest::keyClick(w.Edit("Edit31"), Qt::Key_Return);
    QCOMPARE(w.messages.finishCount, 0);
    QVERIFY(!QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
  }

  void TypedTextsReachTheCalculation() {
    Window w;
    w.Type("Edit250", QStringLiteral("typed.txt"));
    w.Type("Edit9", QStringLiteral("20.0"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(QFile::exists(workingDirectory_->FilePath(QStringLiteral("typed.txt"))));
    QVERIFY(!QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
  }

  void InputErrorShowsItsMessageAndWritesNothing() {
    Window w;
    w.Type("Edit2", QStringLiteral("abc"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.messages, std::vector<std::string>{"Input value is not correct!"});
    QCOMPARE(w.messages.finishCount, 0);
    QVERIFY(!QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
  }

  void ErrorBoxLeavesTheWindowUsable() {
    Window w;
    w.Type("Edit4", QStringLiteral("0"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.errors, std::vector<std::string>{"Invalid floating point operation."});
    QCOMPARE(w.messages.finishCount, 0);
    QVERIFY(w.form.isVisible());
    QVERIFY(w.form.isEnabled());
    // Fixed, the next run goes through.
    w.Type("Edit4", QStringLiteral("0.60"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    QCOMPARE(w.messages.errors.size(), std::size_t{1});
    QCOMPARE(ReadAll(workingDirectory_->FilePath(QStringLiteral("result.txt"))),
             HeadlessResult('.'));
  }

  void DataFileFillsTheEnabledFields() {
    Window w;
    MemoryFieldTexts source('.');
    int n = 0;
    for (const FieldSpec& field : AllFields()) {
      if (field.slot != FieldSlot::SaveFileName) {
        source.SetText(field.name, std::to_string(++n) + ".25");
      }
    }
    const QString path = workingDirectory_->FilePath(QStringLiteral("inputs.txt"));
    QVERIFY(WriteAll(path, QByteArray::fromStdString(DataFileText(source))));
    w.Type("Edit250", QStringLiteral("kept.txt"));

    w.chosenFile = path;
    w.Click("InputData");
    QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.form.DataFileName, path.toStdString());
    for (const FieldSpec& field : AllFields()) {
      if (field.slot == FieldSlot::SaveFileName) continue;
      const std::string expected =
          field.enabled ? source.Text(field.name) : DefaultText(field, '.');
      QCOMPARE(w.form.Fields().Text(field.name), expected);
    }
    QCOMPARE(w.Edit("Edit250")->text(), QStringLiteral("kept.txt"));
  }

  void RefusedDataFileChangesNothing() {
    Window w;
    w.Type("Edit1", QStringLiteral("0.07"));
    // A result file is no data file: its second line holds no "=".
    w.Click("BitBtn1");
    const std::vector<std::string> before = AllTexts(w.form.Fields());
    const QString path = workingDirectory_->FilePath(QStringLiteral("result.txt"));
    w.chosenFile = path;
    w.Click("InputData");
    QCOMPARE(w.messages.messages, std::vector<std::string>{"\"" + path.toStdString() +
                                                           "\" is not a correct data file!"});
    QVERIFY(AllTexts(w.form.Fields()) == before);
    QCOMPARE(w.form.DataFileName, path.toStdString());
  }

  void MissingDataFileCanNotOpen() {
    Window w;
    const std::vector<std::string> before = AllTexts(w.form.Fields());
    const QString path = workingDirectory_->FilePath(QStringLiteral("not-there.txt"));
    w.chosenFile = path;
    w.Click("InputData");
    QCOMPARE(w.messages.messages, std::vector<std::string>{std::string(kDataFileCanNotOpen)});
    QVERIFY(AllTexts(w.form.Fields()) == before);
    QCOMPARE(w.form.DataFileName, path.toStdString());
  }

  void CancelledOpenDialogAsksForOneFile() {
    Window w;
    const std::vector<std::string> before = AllTexts(w.form.Fields());
    w.chosenFile.reset();
    w.Click("InputData");
    QCOMPARE(w.messages.messages,
             std::vector<std::string>{"Select one data file! Please try again."});
    QVERIFY(AllTexts(w.form.Fields()) == before);
    QVERIFY(w.form.DataFileName.empty());
  }

  void OpenDialogStartsInTheDirectoryShown() {
    QVERIFY(QDir().mkdir(QStringLiteral("inputs")));
    Window w;
    w.Click("InputData");
    QCOMPARE(w.startDirectories, QStringList{workingDirectory_->Path()});
    auto* directories = w.form.findChild<DirectoryListBox*>(QStringLiteral("DirectoryListBox1"));
    QVERIFY(directories->OpenDirectory(workingDirectory_->FilePath(QStringLiteral("inputs"))));
    w.Click("InputData");
    QCOMPARE(w.startDirectories.back(), workingDirectory_->FilePath(QStringLiteral("inputs")));
  }

  void OpeningAnotherDirectoryMovesTheResultFile() {
    QVERIFY(QDir().mkdir(QStringLiteral("runs")));
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    auto* directories = w.form.findChild<QTreeWidget*>(QStringLiteral("DirectoryListBox1"));
    const QList<QTreeWidgetItem*> found =
        directories->findItems(QStringLiteral("runs"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    const QPoint centre = directories->visualItemRect(found.front()).center();
    QTest::mouseClick(directories->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(directories->viewport(), Qt::LeftButton, {}, centre);
    const QString runs = workingDirectory_->FilePath(QStringLiteral("runs"));
    QCOMPARE(QDir::currentPath(), runs);
    QCOMPARE(w.form.ShownDirectory(), runs);

    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(QFile::exists(QDir(runs).filePath(QStringLiteral("result.txt"))));
    QVERIFY(!QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
    auto* files = w.form.findChild<QListWidget*>(QStringLiteral("FileListBox1"));
    QCOMPARE(files->count(), 1);
    QCOMPARE(files->item(0)->text(), QStringLiteral("result.txt"));
  }

  void CloseButtonClosesTheWindow() {
    Window w;
    QVERIFY(w.form.testAttribute(Qt::WA_QuitOnClose));
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    w.Click("BitBtn2");
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    QVERIFY(!w.form.isVisible());
  }

 private:
  std::unique_ptr<WorkingDirectory> workingDirectory_;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
