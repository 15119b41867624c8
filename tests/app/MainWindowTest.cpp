// The main window driven as a user drives it: fields found by name, typing, clicks, Enter.
#include <QFileInfo>
#include <QProcess>
#include <QTabWidget>
#include <QtTest>
#include <array>
#include <memory>

#include "TestSupport.h"
#include "params/MemoryFieldTexts.h"
#include "params/ParameterSet.h"
#include "params/PlantInputs.h"
#include "report/CalculationRun.h"
#include "report/DataFile.h"
#include "sim/SimulationState.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

constexpr std::array<const char*, 8> kFixedConstants{"Edit224", "Edit225", "Edit226", "Edit228",
                                                     "Edit234", "Edit235", "Edit236", "Edit238"};

void SeparatorRows() {
  QTest::addColumn<char>("separator");
  QTest::newRow("point") << '.';
  QTest::newRow("comma") << ',';
}

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

// The data files the loading orders are made of: tests' own and the examples of the
// documentation, with plant lines and without.
const QStringList kDataFiles{QStringLiteral(QUILLMERE_TEST_DATA "/three-zones.dat"),
                             QStringLiteral(QUILLMERE_TEST_DATA "/fourteen-zones.dat"),
                             QStringLiteral(QUILLMERE_TEST_DATA "/fault-zone2.dat"),
                             QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/examples/plant-line4.dat"),
                             QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/examples/pilot-slow.dat"),
                             QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/examples/pilot-fast.dat")};

// The result file `quillmere-cli run <dataFile> -o <result>` writes (a run that ends on a
// fault writes part of it).
QByteArray CommandLineResult(const QString& dataFile, const QString& result) {
  QFile::remove(result);
  QProcess cli;
  cli.start(QStringLiteral(QUILLMERE_CLI),
            {QStringLiteral("run"), dataFile, QStringLiteral("-o"), result});
  if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit) return {};
  return ReadAll(result);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { workingDirectory_ = std::make_unique<WorkingDirectory>(); }
  void cleanup() { workingDirectory_.reset(); }

  void StartsWithTheDefaultsAndTheConstantsLocked_data() { SeparatorRows(); }
  void StartsWithTheDefaultsAndTheConstantsLocked() {
    QFETCH(char, separator);
    Window w(separator);
    QCOMPARE(w.form.findChildren<QLineEdit*>().size(),
             qsizetype(AllFields().size() + PlantFields().size()));
    int enabled = 0;
    for (const auto& field : AllFields()) {
      QLineEdit* edit = w.Edit(field.name);
      QVERIFY2(edit, field.name.data());
      QCOMPARE(edit->text().toStdString(), DefaultText(field, separator));
      enabled += edit->isEnabled();
    }
    QCOMPARE(w.Edit("Edit1")->text(), QString::fromLatin1(separator == ',' ? "0,0695" : "0.0695"));
    for (int zone = 3; zone <= 14; ++zone) {
      for (int index = 0; index < 6; ++index)
        QVERIFY(w.Edit(ZoneFieldName(zone, index))->text().isEmpty());
    }
    QCOMPARE(enabled, int(AllFields().size()) - 8);
    for (const char* name : kFixedConstants) {
      QVERIFY2(!w.Edit(name)->isEnabled() && !w.form.Fields().IsEnabled(name), name);
      const QString shown = w.Edit(name)->text();
      QTest::keyClicks(w.Edit(name), QStringLiteral("1"));
      QCOMPARE(w.Edit(name)->text(), shown);
    }
  }

  void OkWithTheDefaultsWritesWhatTheHeadlessRunWrites_data() { SeparatorRows(); }
  void OkWithTheDefaultsWritesWhatTheHeadlessRunWrites() {
    QFETCH(char, separator);
    Window w(separator);
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(w.messages.errors.empty() && w.messages.messages.empty());
    const QByteArray written = ReadAll(workingDirectory_->FilePath(QStringLiteral("result.txt")));
    QVERIFY(!written.isEmpty());
    QCOMPARE(written, HeadlessResult(separator));
  }

  void EnterRunsTheTypedInputsOnlyOnTheFirstPage() {
    Window w;
    auto* notebook = w.Named<QTabWidget>("TabbedNotebook1");
    notebook->setCurrentIndex(3);
    QTest::keyClick(w.Edit("Edit201"), Qt::Key_Return);
    QCOMPARE(w.messages.finishCount, 0);
    notebook->setCurrentIndex(0);
    w.Type("Edit250", QStringLiteral("typed.txt"));
    QTest::keyClick(w.Edit("Edit6"), Qt::Key_Return);
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(QFile::exists(workingDirectory_->FilePath(QStringLiteral("typed.txt"))));
    QVERIFY(!QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
  }

  void FailedRunsLeaveTheWindowUsable() {
    Window w;
    w.Type("Edit2", QStringLiteral("abc"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.messages, std::vector<std::string>{"Input value is not correct!"});
    QVERIFY(!QFile::exists(workingDirectory_->FilePath(QStringLiteral("result.txt"))));
    w.Type("Edit2", ToQString(DefaultText(*FindField("Edit2"), '.')));
    w.Type("Edit4", QStringLiteral("0"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.errors, std::vector<std::string>{"Invalid floating point operation."});
    QCOMPARE(w.messages.finishCount, 0);
    QVERIFY(w.form.isVisible() && w.form.isEnabled());
    // Put right, the next run goes through.
    w.Type("Edit4", QStringLiteral("0.60"));
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    QCOMPARE(w.messages.errors.size() + w.messages.messages.size(), std::size_t{2});
    QCOMPARE(ReadAll(workingDirectory_->FilePath(QStringLiteral("result.txt"))),
             HeadlessResult('.'));
  }

  void DataFileFillsTheEnabledFields() {
    Window w;
    MemoryFieldTexts source('.');
    int n = 0;
    for (const auto& field : AllFields()) source.SetText(field.name, std::to_string(++n) + ".25");
    const QString path = workingDirectory_->FilePath(QStringLiteral("inputs.txt"));
    QVERIFY(WriteAll(path, QByteArray::fromStdString(DataFileText(source))));
    w.Type("Edit250", QStringLiteral("kept.txt"));
    w.chosenFile = path;
    w.Click("InputData");
    QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.form.DataFileName, path.toStdString());
    for (const auto& field : AllFields()) {
      if (field.slot == FieldSlot::SaveFileName) continue;
      const std::string expected =
          field.enabled ? source.Text(field.name) : DefaultText(field, '.');
      QCOMPARE(w.form.Fields().Text(field.name), expected);
    }
    QCOMPARE(w.Edit("Edit250")->text(), QStringLiteral("kept.txt"));
  }

  void UnusableDataFileChangesNothing_data() {
    QTest::addColumn<QString>("file");     // none: the open dialog was cancelled
    QTest::addColumn<QString>("message");  // %1 stands for the file's path
    QTest::newRow("refused") << "notes.txt"
                             << "\"%1\" is not a correct data file!";
    QTest::newRow("missing") << "not-there.txt"
                             << "Data file can not open!";
    QTest::newRow("cancelled") << QString() << "Select one data file! Please try again.";
  }
  void UnusableDataFileChangesNothing() {
    QFETCH(QString, file);
    QFETCH(QString, message);
    QVERIFY(WriteAll(QStringLiteral("notes.txt"), "no values here\r\n"));
    Window w;
    w.Type("Edit1", QStringLiteral("0.07"));
    const std::vector<std::string> before = AllTexts(w.form.Fields());
    const QString path = file.isEmpty() ? QString() : workingDirectory_->FilePath(file);
    if (!file.isEmpty()) w.chosenFile = path;
    w.Click("InputData");
    if (message.contains(QStringLiteral("%1"))) message = message.arg(path);
    QCOMPARE(w.messages.messages, std::vector<std::string>{message.toStdString()});
    QVERIFY(AllTexts(w.form.Fields()) == before);
    QCOMPARE(w.form.DataFileName, path.toStdString());
  }

  // A field keeps every character it is given: typed, set, or loaded from a data file.
  void AFieldKeepsALongTextWhole() {
    Window w;
    const std::string longText(39993, '1');
    w.form.Fields().SetText("Edit1", longText);
    QCOMPARE(w.form.Fields().Text("Edit1").size(), longText.size());
    QLineEdit* edit = w.Edit("Edit2");
    edit->setText(QString(39990, QLatin1Char('2')));
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("0123456789"));
    QCOMPARE(edit->text().size(), 40000);
  }

  // The data file applied last is never overwritten by the result file.
  void ARunNeverWritesOverTheDataFileItsInputsCameFrom() {
    Window w;
    const QString path = workingDirectory_->FilePath(QStringLiteral("result.txt"));
    const QByteArray data = QByteArray::fromStdString(DataFileText(MemoryFieldTexts('.')));
    QVERIFY(WriteAll(path, data));
    w.chosenFile = path;
    w.Click("InputData");
    QVERIFY(w.messages.messages.empty());
    w.Click("BitBtn1");
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY(w.messages.messages.front().find("is the data file") != std::string::npos);
    QCOMPARE(w.messages.finishCount, 0);
    QCOMPARE(ReadAll(path), data);
  }

  // Whatever was loaded before, OK on a data file writes what the command line writes from
  // that file alone: the file governs every input, the plant inputs included.
  void EveryLoadingOrderRunsAsTheCommandLine_data() {
    QTest::addColumn<QString>("before");  // empty: a fresh window
    QTest::addColumn<QString>("last");
    for (const QString& last : kDataFiles) {
      QTest::newRow(qPrintable(QFileInfo(last).fileName())) << QString() << last;
      for (const QString& before : kDataFiles) {
        if (before == last) continue;
        const QString row = QFileInfo(before).fileName() + " then " + QFileInfo(last).fileName();
        QTest::newRow(qPrintable(row)) << before << last;
      }
    }
  }
  void EveryLoadingOrderRunsAsTheCommandLine() {
    QFETCH(QString, before);
    QFETCH(QString, last);
    const QString result = workingDirectory_->FilePath(QStringLiteral("result.txt"));
    const QByteArray expected = CommandLineResult(last, result);
    QVERIFY(!expected.isEmpty());
    QFile::remove(result);
    Window w;
    if (!before.isEmpty()) {
      w.chosenFile = before;
      w.Click("InputData");
    }
    w.chosenFile = last;
    w.Click("InputData");
    QVERIFY(w.messages.messages.empty());
    w.form.Fields().SetText("Edit250", result.toStdString());
    w.Click("BitBtn1");
    QCOMPARE(ReadAll(result), expected);
  }

  // A plant line that names no input is said, not passed over without a word.
  void AnIgnoredPlantLineIsSaid() {
    const QString path = workingDirectory_->FilePath(QStringLiteral("plant.dat"));
    const std::string text =
        DataFileText(MemoryFieldTexts('.')) + "    Web Speed (m/s) [WebSpeed]  =  2\r\n";
    QVERIFY(WriteAll(path, QByteArray::fromStdString(text)));
    Window w;
    w.chosenFile = path;
    w.Click("InputData");
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY2(w.messages.messages.front().find("names no plant input") != std::string::npos,
             w.messages.messages.front().c_str());
  }

  // A file whose numbers use the other decimal separator loads (as it always has), and the
  // window says why its values will not read before OK refuses the first of them.
  void AFileWhoseValuesMayNotReadIsSaid() {
    const QString path = workingDirectory_->FilePath(QStringLiteral("commas.dat"));
    QVERIFY(WriteAll(path, QByteArray::fromStdString(DataFileText(MemoryFieldTexts(',')))));
    Window w;
    w.chosenFile = path;
    w.Click("InputData");
    QCOMPARE(w.messages.messages.size(), std::size_t{1});
    QVERIFY2(w.messages.messages.front().find("may not read: The file seems to write its numbers "
                                              "with \",\" as the decimal separator.") !=
                 std::string::npos,
             w.messages.messages.front().c_str());
  }

  void TypingStartsInTheFirstField() {
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Edit("Edit1")));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
    QCOMPARE(w.Edit("Edit1")->text().size(), QStringLiteral("0.0695").size() + 1);
  }

  void EnterPressesTheButtonThatHasTheFocus() {
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.Named<QPushButton>("InputData")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(w.startDirectories.size(), qsizetype(1));  // the open dialog, not a calculation
    QCOMPARE(w.messages.finishCount, 0);
    w.Named<QPushButton>("BitBtn1")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(w.messages.finishCount, 1);
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    w.Named<QPushButton>("BitBtn2")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    QVERIFY(!w.form.isVisible());
    QCOMPARE(w.startDirectories.size(), qsizetype(1));
    QCOMPARE(w.messages.finishCount, 1);
  }

  // OK looks like the default button only while Enter would press it: not while Close, or
  // another button, has the focus.
  void OkLooksDefaultOnlyWhileEnterPressesIt() {
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    auto* ok = w.Named<QPushButton>("BitBtn1");
    QVERIFY(ok->isDefault());  // the first field has the focus
    w.Named<QPushButton>("BitBtn2")->setFocus();
    QVERIFY(!ok->isDefault());
    w.Named<QPushButton>("InputData")->setFocus();
    QVERIFY(!ok->isDefault());
    w.Edit("Edit6")->setFocus();
    QVERIFY(ok->isDefault());
    QTest::keyClick(w.Edit("Edit6"), Qt::Key_Return);  // and Enter in a field still runs
    QCOMPARE(w.messages.finishCount, 1);
  }

  void ListsAndOkShowAFrameWhenTheyHaveTheFocus_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("directory list") << "DirectoryListBox1";
    QTest::newRow("file list") << "FileListBox1";
    QTest::newRow("OK") << "BitBtn1";
  }
  void ListsAndOkShowAFrameWhenTheyHaveTheFocus() {
    QFETCH(QString, name);
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QWidget* widget = w.Named(name.toStdString());
    QWidget* page = widget->parentWidget();
    // The widget with a few pixels around it, as the page shows it.
    const auto picture = [&] {
      QApplication::processEvents();
      return page->grab(widget->geometry().adjusted(-3, -3, 3, 3)).toImage();
    };
    const QImage unfocused = picture();
    widget->setFocus(Qt::TabFocusReason);
    const QImage focused = picture();
    QVERIFY(focused != unfocused);
    // Its edge is drawn in the highlight colour.
    const QColor highlight = w.form.palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(focused.pixelColor(focused.width() / 2, 1), highlight);
    w.Edit("Edit1")->setFocus();
    QCOMPARE(picture(), unfocused);
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
