// Live what-if: a field edited after a run redraws the curves with the fields as they stand,
// against the run OK'd last, without a result file and without a message box.
#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>
#include <memory>

#include "ChartParts.h"
#include "TestSupport.h"
#include "app/LivePreview.h"
#include "app/PlantPanel.h"
#include "plot/LineChart.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

// The exit time of the last zone as the zone table shows it.
QString LastExitTime(const CurvesWindow& curves) {
  const auto& table = *curves.findChild<QTableWidget*>(QStringLiteral("ZoneTable"));
  return table.item(table.rowCount() - 1, 3)->text();
}

}  // namespace

class LivePreviewTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { workingDirectory_ = std::make_unique<WorkingDirectory>(); }
  void cleanup() { workingDirectory_.reset(); }

  // Typing restarts the pause; its end draws the preview (the timer's own signal is the
  // handshake), and only OK writes the result file.
  void AnEditRedrawsThePreviewWithoutWritingAFile() {
    Window w;
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 1);
    LivePreview& preview = *w.form.Preview();
    QVERIFY(!preview.Pending());  // the fields OK just ran need no preview
    const QString okTime = LastExitTime(w.curves);
    const QStringList files = QDir::current().entryList(QDir::Files);
    const QByteArray result = ReadAll(QStringLiteral("result.txt"));

    QSignalSpy drawn(&preview, &LivePreview::Drawn);
    w.Type("Edit6", QStringLiteral("2"));
    QVERIFY(preview.Pending());
    QVERIFY(drawn.wait(10000));
    QCOMPARE(drawn.count(), 1);  // once, after the last key
    QVERIFY(w.curves.Previewing());
    QVERIFY(LastExitTime(w.curves) != okTime);
    QVERIFY(w.curves.windowTitle().contains(QStringLiteral("preview")));
    QCOMPARE(w.curves.KeyTexts(), (QStringList{"Speed 2 m/s (preview)", "Speed 1.0 m/s (OK'd)"}));
    QCOMPARE(QDir::current().entryList(QDir::Files), files);
    QCOMPARE(ReadAll(QStringLiteral("result.txt")), result);
    QCOMPARE(w.messages.finishCount, 1);
    QVERIFY(w.messages.messages.empty() && w.messages.errors.empty());

    // OK does what it always did: the result file, the finish dialog, the run shown alone.
    w.Click("BitBtn1");
    QCOMPARE(w.messages.finishCount, 2);
    QVERIFY(!w.curves.Previewing());
    QVERIFY(ReadAll(QStringLiteral("result.txt")) != result);
    QVERIFY(w.curves.KeyTexts().isEmpty());
  }

  // A field that does not read is framed at the field with the reason; no box is shown and
  // the curves go back to the run OK'd last until the fields read again.
  void AFieldThatDoesNotReadIsMarkedAtTheField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("reason");
    QTest::newRow("drying input") << "Edit2"
                                  << "Input value is not correct!";
    QTest::newRow("plant input") << "WebWidth"
                                 << "Input value is not correct!";
    QTest::newRow("exhaust") << "Zone1.Exhaust"
                             << "Input value is not correct!";
  }
  void AFieldThatDoesNotReadIsMarkedAtTheField() {
    QFETCH(QString, field);
    QFETCH(QString, reason);
    Window w;
    w.form.Fields().SetText("WebWidth", "1.3");
    w.Click("BitBtn1");
    LivePreview& preview = *w.form.Preview();
    QLineEdit* edit = w.Edit(field.toStdString());
    const QString tip = edit->toolTip();
    w.Type(field.toLatin1().constData(), QStringLiteral("abc"));
    preview.RunNow();
    QCOMPARE(preview.MarkedField(), edit);
    QVERIFY2(edit->toolTip().startsWith(reason), qPrintable(edit->toolTip()));
    QVERIFY(edit->property("refused").toBool());
    QVERIFY(!w.curves.Previewing());
    QVERIFY(w.messages.messages.empty() && w.messages.errors.empty());
    w.Type(field.toLatin1().constData(), QStringLiteral("1"));
    preview.RunNow();
    QCOMPARE(preview.MarkedField(), nullptr);
    QCOMPARE(edit->toolTip(), tip);
    QVERIFY(!edit->property("refused").toBool());
    QVERIFY(w.curves.Previewing());
  }

  // The toggle turns the preview off (and what it drew with it); before the first OK there
  // is nothing to draw against, and nothing is drawn for a closed window.
  void TheToggleTurnsThePreviewOff() {
    Window w;
    LivePreview& preview = *w.form.Preview();
    w.Type("Edit6", QStringLiteral("2"));
    QVERIFY(!preview.Pending());
    w.Click("BitBtn1");
    w.Type("Edit6", QStringLiteral("1.5"));
    preview.RunNow();
    QVERIFY(w.curves.Previewing());
    QAction* toggle = w.curves.findChild<QAction*>(QStringLiteral("LivePreview"));
    toggle->trigger();
    QVERIFY(!toggle->isChecked());
    QVERIFY(!w.curves.Previewing());
    w.Type("Edit6", QStringLiteral("1.2"));
    QVERIFY(!preview.Pending());
    // On again from the fields' window (Ctrl+P): the fields as they stand at once.
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QTest::keyClick(w.Edit("Edit6"), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(toggle->isChecked());
    QVERIFY(w.curves.Previewing());
    // A window the user closed is not drawn for.
    w.curves.close();
    w.Type("Edit6", QStringLiteral("1.3"));
    QVERIFY(!preview.Pending());
  }

  // Edit after edit, the charts shown take the preview's values in place: the same charts,
  // their lines the run of the fields as they stand, drawn against the run OK'd last.
  void EachEditRedrawsTheSameChartsWithItsValues() {
    Window w;
    w.Click("BitBtn1");
    LivePreview& preview = *w.form.Preview();
    w.Type("Edit6", QStringLiteral("1.1"));
    preview.RunNow();
    QChart* chart = w.curves.Chart(plot::RunChart::WebTemperature);
    const auto web = [&] { return plot::ExactPoints(*chart, *Line(*chart, 0)); };
    const QList<QPointF> before = web();
    const QList<QPointF> okd = plot::ExactPoints(*chart, *Line(*chart, 2));
    w.Type("Edit6", QStringLiteral("1.2"));
    preview.RunNow();
    QVERIFY(w.curves.Chart(plot::RunChart::WebTemperature) == chart);
    QVERIFY(web() != before);
    QCOMPARE(plot::ExactPoints(*chart, *Line(*chart, 2)), okd);
    // The same lines as a chart built afresh for the preview draws.
    const QChart* solvent = w.curves.Chart(plot::RunChart::Solvent);
    w.Type("Edit6", QStringLiteral("1.3"));
    preview.RunNow();
    QVERIFY(w.curves.Chart(plot::RunChart::Solvent) == solvent);
    const QList<QPointF> refreshed = web();
    w.curves.SetAlong(plot::AlongDryer::Time);  // built afresh
    w.curves.SetAlong(plot::AlongDryer::Position);
    QVERIFY(w.curves.Chart(plot::RunChart::WebTemperature) != chart);
    chart = w.curves.Chart(plot::RunChart::WebTemperature);
    QCOMPARE(web(), refreshed);
  }

  // The plant page follows the preview: its figures are those of the fields as typed.
  void ThePlantPageFollowsThePreview() {
    Window w;
    w.chosenFile = QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/examples/plant-line4.dat");
    w.Click("InputData");
    w.Click("BitBtn1");
    QTableWidget& plant = *w.curves.Plant().Table();
    const QString exhaust = plant.item(1, 6)->text();  // zone 2's % of the LEL
    w.Type("Zone2.Exhaust", QStringLiteral("16000"));
    w.form.Preview()->RunNow();
    QVERIFY(w.curves.Previewing());
    QVERIFY(plant.item(1, 6)->text() != exhaust);
    QCOMPARE(plant.item(1, 5)->text(), QStringLiteral("16000"));
  }

 private:
  std::unique_ptr<WorkingDirectory> workingDirectory_;
};

QTEST_MAIN(LivePreviewTest)
#include "LivePreviewTest.moc"
