// "Optimise...": the dialog searches in the background, the window stays usable, Cancel ends
// the search, and Apply types the optimum into the fields.
#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "TestSupport.h"
#include "app/OptimiseDialog.h"
#include "base/NumberText.h"

using namespace quillmere;
using namespace quillmere::test;

class OptimiseDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    workingDirectory_ = std::make_unique<WorkingDirectory>();
    window_ = std::make_unique<Window>('.');
    // Two zones of 10 m: a search of a fraction of a second.
    window_->Type("Edit9", QStringLiteral("10"));
    window_->Type("Edit22", QStringLiteral("10"));
    QTest::mouseClick(window_->Named<QPushButton>("OptimiseButton"), Qt::LeftButton);
    dialog_ = window_->form.findChild<OptimiseDialog*>(QStringLiteral("OptimiseDialog"));
    QVERIFY(dialog_);
    QVERIFY(dialog_->isVisible());
  }
  void cleanup() {
    window_.reset();
    workingDirectory_.reset();
  }

  void FindsTheFastestSpeedAndApplies() {
    QSignalSpy ended(dialog_, &OptimiseDialog::SearchEnded);
    QTest::mouseClick(dialog_->findChild<QPushButton*>(QStringLiteral("Start")), Qt::LeftButton);
    QVERIFY(dialog_->Running());
    // The window answers while the search runs.
    window_->Type("Edit1", QStringLiteral("0.0695"));
    QVERIFY(ended.wait(120000));
    QVERIFY2(dialog_->ReportText().startsWith(QStringLiteral("Optimum: Speed maximised to ")),
             qPrintable(dialog_->ReportText()));
    auto* apply = dialog_->findChild<QPushButton*>(QStringLiteral("Apply"));
    QVERIFY(apply->isEnabled());
    QCOMPARE(dialog_->findChild<QProgressBar*>(QStringLiteral("Progress"))->value(), 8);
    const QString zone1Before = window_->Edit("Edit8")->text();
    QTest::mouseClick(apply, Qt::LeftButton);
    // The optimum's speed typed into its field, and the air temperatures too.
    const std::optional<double> speed =
        ParseNumber(window_->Edit("Edit6")->text().toStdString(), '.');
    QVERIFY(speed);
    // The report's optimum (3.5 m/s with these zones) over the data file's 1 m/s.
    QVERIFY2(*speed > 3.0, qPrintable(window_->Edit("Edit6")->text()));
    QVERIFY(window_->Edit("Edit8")->text() != zone1Before);
    if (const QByteArray file = qgetenv("QUILLMERE_OPTIMISE_SCREENSHOT"); !file.isEmpty()) {
      QVERIFY(dialog_->grab().save(QString::fromLocal8Bit(file)));
    }
  }

  void CancelEndsTheSearch() {
    QSignalSpy ended(dialog_, &OptimiseDialog::SearchEnded);
    QTest::mouseClick(dialog_->findChild<QPushButton*>(QStringLiteral("Start")), Qt::LeftButton);
    QTest::mouseClick(dialog_->findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
    QVERIFY(ended.wait(120000));
    QVERIFY(!dialog_->Running());
    QVERIFY(dialog_->findChild<QPushButton*>(QStringLiteral("Start"))->isEnabled());
    QVERIFY(!dialog_->findChild<QPushButton*>(QStringLiteral("Cancel"))->isEnabled());
  }

  void RefusedChoicesSayWhy() {
    dialog_->findChild<QCheckBox*>(QStringLiteral("Free.Speed"))->setChecked(false);
    QTest::mouseClick(dialog_->findChild<QPushButton*>(QStringLiteral("Start")), Qt::LeftButton);
    QVERIFY(!dialog_->Running());
    QCOMPARE(dialog_->ReportText(),
             QStringLiteral("Speed is to be optimised but is not free: add --free Speed=LO:HI"));
  }

 private:
  std::unique_ptr<WorkingDirectory> workingDirectory_;
  std::unique_ptr<Window> window_;
  OptimiseDialog* dialog_ = nullptr;
};

QTEST_MAIN(OptimiseDialogTest)
#include "OptimiseDialogTest.moc"
