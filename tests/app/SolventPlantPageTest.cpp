// Page "Solvents and Plant" and the plant panel of the curves window, driven as a user does.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include "TestSupport.h"
#include "app/PlantPanel.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

//! A user's solvent library in a temporary data folder, in force (XDG_DATA_HOME) while it
//! lives: `rows` under the shipped library's header.
class UserLibrary {
 public:
  explicit UserLibrary(const QByteArray& rows) : former_(qgetenv("XDG_DATA_HOME")) {
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("quillmere")));
    const QByteArray shipped = ReadAll(QStringLiteral(QUILLMERE_SOURCE_DIR "/data/solvents.csv"));
    const qsizetype header = shipped.indexOf("\nname,") + 1;
    const QByteArray headerLine = shipped.mid(header, shipped.indexOf('\n', header) - header + 1);
    QVERIFY(WriteAll(dir_.filePath(QStringLiteral("quillmere/solvents.csv")), headerLine + rows));
    qputenv("XDG_DATA_HOME", dir_.path().toUtf8());
  }
  ~UserLibrary() {
    if (former_.isNull()) {
      qunsetenv("XDG_DATA_HOME");
    } else {
      qputenv("XDG_DATA_HOME", former_);
    }
  }

 private:
  QByteArray former_;
  QTemporaryDir dir_;
};

//! A row of a user's solvent: ethyl acetate's constants under `name` and `cas`, with no
//! specific heat where `specificHeat` is empty.
QByteArray SolventRow(const QByteArray& name, const QByteArray& cas,
                      const QByteArray& specificHeat) {
  return name + "," + cas +
         ",7.00871,1195.13,212.470,-8,99,Poling,77.11,CRC,88.105,ChemSep,0.9003,20,CRC," +
         specificHeat + ",CRC,404,CRC,0.00000869,Fuller,2.0,NFPA497,-4,NFPA497\n";
}

}  // namespace

class SolventPlantPageTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // A choice fills the fixed constants (still disabled) and the properties; the pair as
  // specified brings the defaults back.
  void ChoosingASolventFillsItsConstantsAndProperties() {
    WorkingDirectory here;
    Window w(',');
    auto* choice = w.Named<QComboBox>("Solvent1Choice");
    QVERIFY(choice);
    const int index = choice->findText(QStringLiteral("Ethyl acetate"));
    QVERIFY(index > 0);
    choice->setCurrentIndex(index);
    emit choice->activated(index);
    QCOMPARE(w.Edit("Edit224")->text(), QStringLiteral("7,00871"));
    QVERIFY(!w.Edit("Edit224")->isEnabled());
    QCOMPARE(w.Edit("Edit228")->text(), QStringLiteral("88,105"));
    QCOMPARE(w.Edit("Edit221")->text(), QStringLiteral("1,937"));
    QCOMPARE(w.form.Fields().Text("Solvent1Name"), std::string("Ethyl acetate"));
    QVERIFY(w.Named<QLabel>("Solvent1Note")->text().contains(QStringLiteral("LEL 2.0 %")));

    choice->setCurrentIndex(0);
    emit choice->activated(0);
    QCOMPARE(w.Edit("Edit224")->text(), QStringLiteral("6,38469"));
    QCOMPARE(w.Edit("Edit221")->text(), QStringLiteral("2,30"));
  }

  // A user's solvent without a property a run needs is refused as the command line refuses
  // it (the solvent and the column named); the choice and the fields stay as they were.
  void ChoosingASolventWithoutARunPropertyIsRefused() {
    WorkingDirectory here;
    UserLibrary library(SolventRow("Lacking", "1-2-3", "") +
                        SolventRow("Complete", "4-5-6", "1.937"));
    Window w('.');
    auto* choice = w.Named<QComboBox>("Solvent1Choice");
    const auto choose = [&](const QString& name) {
      const int index = choice->findText(name);
      QVERIFY2(index > 0, qPrintable(name));
      choice->setCurrentIndex(index);
      emit choice->activated(index);
    };
    choose(QStringLiteral("Complete"));
    QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.form.Fields().Text("Solvent1Name"), std::string("Complete"));
    const QString heat = w.Edit("Edit221")->text();

    choose(QStringLiteral("Lacking"));
    QCOMPARE(w.messages.messages.size(), std::size_t(1));
    QCOMPARE(w.messages.messages[0],
             std::string("Solvent-1 \"Lacking\" lacks a property a run needs!"));
    QCOMPARE(w.messages.details.size(), std::size_t(1));
    QVERIFY2(w.messages.details[0].find("specific_heat_kJ_kgK") != std::string::npos,
             w.messages.details[0].c_str());
    QVERIFY2(w.messages.details[0].find("quillmere/solvents.csv") != std::string::npos,
             w.messages.details[0].c_str());
    QCOMPARE(choice->currentText(), QStringLiteral("Complete"));
    QCOMPARE(w.form.Fields().Text("Solvent1Name"), std::string("Complete"));
    QCOMPARE(w.Edit("Edit221")->text(), heat);
  }

  // Names and texts of a user's library show printable: control characters escaped (no
  // terminal or label reads them), a name too long to quote cut with its length named; the
  // choice still makes the solvent of that name.
  void AUsersSolventShowsPrintable() {
    WorkingDirectory here;
    const QByteArray longName(300, 'x');
    UserLibrary library(SolventRow("Esc\x1b[2Jape", "1-2\x07-3", "1.9") +
                        SolventRow(longName, "4-5-6", "1.9"));
    Window w('.');
    auto* choice = w.Named<QComboBox>("Solvent2Choice");
    const int escaped = choice->findText(QStringLiteral("Esc\\x1B[2Jape"));
    QVERIFY(escaped > 0);
    choice->setCurrentIndex(escaped);
    emit choice->activated(escaped);
    QCOMPARE(w.form.Fields().Text("Solvent2Name"), std::string("Esc\x1b[2Jape"));
    const QString note = w.Named<QLabel>("Solvent2Note")->text();
    QVERIFY2(note.startsWith(QStringLiteral("CAS 1-2\\x07-3.")), qPrintable(note));
    QCOMPARE(w.Named<QLabel>("Solvent2Note")->textFormat(), Qt::PlainText);

    const int cut = choice->findText(
        QStringLiteral("\"%1...\" (300 bytes)").arg(QString(QByteArray(200, 'x'))));
    QVERIFY(cut > 0);
    choice->setCurrentIndex(cut);
    emit choice->activated(cut);
    QCOMPARE(w.form.Fields().Text("Solvent2Name"), longName.toStdString());
    // A data file's name shows in the choice as well.
    w.form.Fields().SetText("Solvent2Name", "esc\x1b[2jape");
    QCOMPARE(choice->currentIndex(), escaped);
    QVERIFY(w.messages.messages.empty());
  }

  // "Input Data File" with plant lines sets the choices and the plant inputs; OK shows the
  // zone table with its totals, the zone above its limit in red, and the warnings.
  void ADataFileWithPlantLinesShowsTheZoneTable() {
    WorkingDirectory here;
    Window w('.');
    w.chosenFile = QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/examples/plant-line4.dat");
    w.Click("InputData");
    QVERIFY(w.messages.messages.empty());
    QCOMPARE(w.Named<QComboBox>("Solvent2Choice")->currentText(), QStringLiteral("Ethanol"));
    QCOMPARE(w.Edit("WebWidth")->text(), QStringLiteral("1.3"));
    QCOMPARE(w.Edit("Edit234")->text(), QStringLiteral("8.21185"));
    QVERIFY(!w.Named<QCheckBox>("LelMonitoringCheck")->isChecked());

    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    PlantPanel& panel = w.curves.Plant();
    QVERIFY(panel.HasContent());
    // On its own page, which the run does not bring forward; the page's tab counts the
    // warnings, and so does the window's title (zone 2 over its limit and the run's own).
    QVERIFY(!panel.isVisible());
    auto* pages = w.curves.findChild<QTabWidget*>(QStringLiteral("CurvesPages"));
    QCOMPARE(pages->tabText(1), QStringLiteral("&Plant (%1)").arg(panel.WarningCount()));
    QVERIFY(panel.WarningCount() >= 1);
    const QString summary = w.curves.WarningsSummary();
    QVERIFY2(summary.contains(QStringLiteral("<a href=\"plant:\">the plant</a>")),
             qPrintable(summary));
    const QString count =
        summary.section(QStringLiteral("<b>"), 1).section(QStringLiteral("</b>"), 0, 0);
    QVERIFY2(w.curves.windowTitle().endsWith(QStringLiteral("— ") + count),
             qPrintable(w.curves.windowTitle() + " / " + count));
    w.curves.ShowPlantPage();
    QVERIFY(panel.isVisible());
    QTableWidget* table = panel.Table();
    QCOMPARE(table->rowCount(), 5);  // four zones and the totals
    // Zone 2 by hand from the run: 8000 Nm3/h at 46.22 % of the LEL, in red.
    QCOMPARE(table->item(1, 5)->text(), QStringLiteral("8000"));
    QCOMPARE(table->item(1, 6)->text(), QStringLiteral("46.22"));
    QCOMPARE(table->item(1, 6)->foreground().color(), QColor(0xa0, 0x00, 0x00));
    QCOMPARE(table->item(2, 5)->text(), QStringLiteral("14627 (sized)"));
    QCOMPARE(table->item(4, 0)->text(), QStringLiteral("All"));
    const QString note = panel.findChild<QLabel*>(QStringLiteral("PlantNote"))->text();
    QVERIFY(
        note.contains(QStringLiteral("Zone 2: the exhaust of 8000 Nm3/h is at 46.2 % of the "
                                     "LEL, above the limit of 25 %; it needs at least 14865 "
                                     "Nm3/h.")));
    QVERIFY(note.contains(QStringLiteral("Casing losses and fan heat are not modelled.")));

    // Without a web width the run has no plant figures, and the table goes; the page stays
    // where the user left it.
    w.Type("WebWidth", QString());
    w.Click("BitBtn1");
    QVERIFY(panel.isVisible());  // the Antoine ranges the web leaves still show
    QVERIFY(panel.HasContent());
    QVERIFY(!panel.Table()->isVisible());
  }

  // A monitoring check is the field's "yes".
  void TheMonitoringCheckIsTheFieldsYes() {
    WorkingDirectory here;
    Window w('.');
    w.Named<QCheckBox>("LelMonitoringCheck")->setChecked(true);
    QCOMPARE(w.form.Fields().Text("LelMonitoring"), std::string("yes"));
    w.form.Fields().SetText("LelMonitoring", "no");
    QVERIFY(!w.Named<QCheckBox>("LelMonitoringCheck")->isChecked());
  }
};

QTEST_MAIN(SolventPlantPageTest)
#include "SolventPlantPageTest.moc"
