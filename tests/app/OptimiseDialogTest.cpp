// "Optimise...": the dialog searches in the background, the window stays usable, Cancel ends
// the search, Apply types the optimum into the fields with as few digits as still meet every
// limit, the report speaks the input pages' words, and the dialog fits the screen.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "TestSupport.h"
#include "analysis/FieldValueText.h"
#include "analysis/optimise/OptimiseProblem.h"
#include "analysis/optimise/PlantDuty.h"
#include "app/OptimiseDialog.h"
#include "app/ShortestSetting.h"
#include "base/NumberText.h"
#include "params/PlantInputs.h"

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
    const QString report = dialog_->ReportText();
    QVERIFY2(report.startsWith(QStringLiteral("Optimum: Speed (m/s) maximised to ")),
             qPrintable(report));
    auto* apply = dialog_->findChild<QPushButton*>(QStringLiteral("Apply"));
    QVERIFY(apply->isEnabled());
    QCOMPARE(dialog_->findChild<QProgressBar*>(QStringLiteral("Progress"))->value(), 8);
    const QString zone1Before = window_->Edit("Edit8")->text();
    QTest::mouseClick(apply, Qt::LeftButton);
    // The optimum's speed typed into its field, and the air temperatures too.
    const QString speedText = window_->Edit("Edit6")->text();
    const std::optional<double> speed = ParseNumber(speedText.toStdString(), '.');
    QVERIFY(speed);
    // The report's optimum (3.5 m/s with these zones) over the data file's 1 m/s.
    QVERIFY2(*speed > 3.0, qPrintable(speedText));
    QVERIFY(window_->Edit("Edit8")->text() != zone1Before);
    // Typed as the report says, with a few digits ("4.757"), not the search's 17.
    QVERIFY2(report.contains(QStringLiteral("Apply types Speed (m/s) ") + speedText + ","),
             qPrintable(report));
    QVERIFY2(speedText.size() <= 6, qPrintable(speedText));
    // A run of the fields as they now stand meets every limit, and loses at most 0.1 % of the
    // optimum's speed.
    OptimiseProblem problem;
    problem.Goal = ParseObjective("Speed", true);
    for (const char* free :
         {"Speed=0.1:10", "Zone1.OuterTemperature=20:200", "Zone2.OuterTemperature=20:200"}) {
      problem.Free.push_back(ParseFreeInput(free));
    }
    problem.Limits = {ParseLimit("ExitResidual1<=0.01"), ParseLimit("NoBoiling:0.95")};
    MemoryFieldTexts fields('.');
    std::vector<double> values;
    for (const FieldSpec& field : AllFields())
      fields.SetText(field.name, window_->form.Fields().Text(field.name));
    for (const FreeInput& input : problem.Free) {
      values.push_back(*ParseNumber(fields.Text(input.FieldName), '.'));
    }
    auto params = std::make_unique<ParameterSet>();
    auto state = std::make_unique<SimulationState>();
    const RunEvaluation run = EvaluateSetting(problem, values, '.', fields, *params, *state);
    QVERIFY(run.Finished);
    for (std::size_t i = 0; i < problem.Limits.size(); ++i) {
      QVERIFY2(Constraint(problem.Limits[i], run.LimitValue[i]) <= 0,
               problem.Limits[i].Text.c_str());
    }
    const qsizetype at = report.indexOf(QStringLiteral("maximised to ")) + 13;
    const double optimum = report.mid(at, report.indexOf(QLatin1Char(','), at) - at).toDouble();
    QVERIFY2(run.Objective >= optimum * (1 - kShortSettingObjectiveShare), qPrintable(report));
    if (const QByteArray file = qgetenv("QUILLMERE_OPTIMISE_SCREENSHOT"); !file.isEmpty()) {
      QVERIFY(dialog_->grab().save(QString::fromLocal8Bit(file)));
    }
  }

  // The values Apply types: the fewest digits that meet every limit and keep the objective
  // within 0.1 %; the speed rounded down where rounding up would break a limit that binds;
  // the search's own values where nothing shorter passes. The default line, the speed free.
  void ShortestSettingMeetsTheLimits() {
    const MemoryFieldTexts base('.');
    const double speed = 1.23456789;
    // The exit residual at that speed, as a bound that binds there.
    OptimiseProblem probe;
    probe.Goal = ParseObjective("Speed", true);
    probe.Free = {ParseFreeInput("Speed=0.1:10")};
    probe.Limits = {ParseLimit("ExitResidual1<=1")};
    MemoryFieldTexts fields = base;
    auto params = std::make_unique<ParameterSet>();
    auto state = std::make_unique<SimulationState>();
    const RunEvaluation run = EvaluateSetting(probe, {speed}, '.', fields, *params, *state);
    QVERIFY(run.Finished);
    const std::string binding = "ExitResidual1<=" + FieldValueText(run.LimitValue[0], '.');
    struct Case {
      std::string limit;
      double typed;  // what Apply types
      int digits;
      bool checked;
    };
    const Case cases[] = {
        {"WebTemperature<=200", 1.235, 4, true},  // 1.23 would give away 0.4 % of the speed
        {binding, 1.234, 4, true},                // 1.235 runs a little over the residual
        {"WebTemperature<=1", speed, 17, false},  // no speed meets it
    };
    for (const Case& c : cases) {
      OptimiseProblem problem = probe;
      problem.Limits = {ParseLimit(c.limit)};
      const ShortSetting shortest = ShortestSetting(problem, {speed}, speed, base, '.');
      QCOMPARE(shortest.Values, std::vector<double>{c.typed});
      QCOMPARE(shortest.Digits, c.digits);
      QCOMPARE(shortest.Checked, c.checked);
    }
  }

  // An exhaust left empty under LEL<=P is sized to P by the search; Apply types it with the
  // values, or OK would size it to the zone's own limit and run above P. The default line on
  // a 1.3 m web: both zones' exhausts left empty.
  void ShortestSettingKeepsTheExhaustsSizedToTheLimit() {
    MemoryFieldTexts base('.');
    base.SetText("WebWidth", "1.3");
    OptimiseProblem problem;
    problem.Goal = ParseObjective("Speed", true);
    problem.Free = {ParseFreeInput("Speed=0.1:10")};
    problem.Limits = {ParseLimit("LEL<=20")};
    problem.Plant = PlantModelOf(std::make_shared<const SolventLibrary>(LoadSolventLibrary()));
    const ShortSetting shortest = ShortestSetting(problem, {1.0}, 1.0, base, '.');
    QVERIFY(shortest.Checked);
    QCOMPARE(shortest.SizedExhausts.size(), std::size_t{2});
    QCOMPARE(shortest.SizedExhausts.front().first, std::string("Zone1.Exhaust"));
  }

  // The report names the inputs and limits as the pages and the dialog's rows do, never as
  // the command line does.
  void ReportSpeaksThePagesWords() {
    QSignalSpy ended(dialog_, &OptimiseDialog::SearchEnded);
    dialog_->findChild<QCheckBox*>(QStringLiteral("Limit.WebTemperature<="))->setChecked(true);
    dialog_->Start();
    QVERIFY(ended.wait(120000));
    const QString report = dialog_->ReportText();
    for (const char* said :
         {"  Speed (m/s): ", "  Zone 1 air temperature (°C): ", "  Zone 2 air temperature (°C): ",
          "  Solvent-1 residual at the exit at most 0.01: ", "  Web temperature (°C) at most 120: ",
          "  Vapour pressure (share of 760 mmHg) at most 0.95: "}) {
      QVERIFY2(report.contains(QString::fromUtf8(said)), said);
    }
    for (const char* command :
         {"OuterTemperature", "--", "ExitResidual", "WebTemperature<=", "NoBoiling", "max-runs"}) {
      QVERIFY2(!report.contains(QString::fromUtf8(command)), command);
    }
  }

  // Choices the search cannot take are refused in the dialog's words, before any run.
  void RefusedChoicesSayWhy() {
    struct Case {
      const char* row;  // a check box or line edit of the dialog
      const char* text;
      const char* said;
    };
    const Case cases[] = {
        {"Free.Speed", "", "Tick Speed (m/s) among the free inputs: it is the one to maximise."},
        {"Low.Speed", "abc", "Speed (m/s): \"abc\" is not a number"},
        {"Low.Speed", "20", "Speed (m/s): the range's lower end 20 must be below its upper end 10"},
        {"Low.Speed", "-1", "Speed (m/s): the line runs forwards; the range must be above 0"},
        {"Bound.NoBoiling:", "1.5",
         "No boiling: vapour pressure at most, of 760 mmHg: the share must be above 0 and at most "
         "1"},
        {"Bound.ExitResidual1<=", "0",
         "Solvent-1 residual at the exit at most: no setting meets 0; give a bound above 0"},
        {"Limit.LEL<=", "",
         "The LEL and the heat need the plant inputs: give the web width on the page \"Solvents "
         "and Plant\", and each zone's exhaust there (or leave it empty to have it sized)."},
    };
    for (const Case& c : cases) {
      init();
      if (QLineEdit* edit = dialog_->findChild<QLineEdit*>(QString::fromUtf8(c.row))) {
        edit->setText(QString::fromUtf8(c.text));
      } else {
        QCheckBox* tick = dialog_->findChild<QCheckBox*>(QString::fromUtf8(c.row));
        tick->setChecked(!tick->isChecked());
      }
      QTest::mouseClick(dialog_->findChild<QPushButton*>(QStringLiteral("Start")), Qt::LeftButton);
      QVERIFY(!dialog_->Running());
      QCOMPARE(dialog_->ReportText(), QString::fromUtf8(c.said));
      cleanup();
    }
  }

  // The LEL limit is ticked where the page "Solvents and Plant" gives a web width, also when
  // it was given after the dialog was first shown, until the user chooses otherwise.
  void TicksTheLelLimitWhereThePlantInputsAreSet() {
    auto* lel = dialog_->findChild<QCheckBox*>(QStringLiteral("Limit.LEL<="));
    QVERIFY(!lel->isChecked());
    dialog_->hide();
    window_->form.Fields().SetText("WebWidth", "1.3");
    dialog_->show();
    QVERIFY(lel->isChecked());
    QTest::mouseClick(lel, Qt::LeftButton);
    QVERIFY(!lel->isChecked());
    dialog_->hide();
    dialog_->show();
    QVERIFY(!lel->isChecked());
  }

  // The dialog opens within the screen, and at 1024 x 640 (less a title bar) its buttons are
  // all in view, the form scrolling above them.
  void FitsTheScreen() {
    const QRect area = dialog_->screen()->availableGeometry();
    QVERIFY2(area.contains(dialog_->frameGeometry()),
             qPrintable(QStringLiteral("%1x%2").arg(dialog_->width()).arg(dialog_->height())));
    QVERIFY(dialog_->minimumSizeHint().width() <= 1024);
    QVERIFY(dialog_->minimumSizeHint().height() <= 600);
    dialog_->resize(1024, 600);
    QApplication::processEvents();
    QCOMPARE(dialog_->size(), QSize(1024, 600));
    for (QPushButton* button : dialog_->findChildren<QPushButton*>()) {
      QVERIFY2(dialog_->rect().contains(QRect(button->mapTo(dialog_, QPoint()), button->size())),
               qPrintable(button->text()));
    }
    dialog_->resize(dialog_->minimumSizeHint());
    QApplication::processEvents();
    auto* form = dialog_->findChild<QScrollArea*>(QStringLiteral("Form"));
    QVERIFY(form->verticalScrollBar()->maximum() > 0);
    auto* close = dialog_->findChild<QPushButton*>(QStringLiteral("Close"));
    QVERIFY(dialog_->rect().contains(QRect(close->mapTo(dialog_, QPoint()), close->size())));
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

 private:
  std::unique_ptr<WorkingDirectory> workingDirectory_;
  std::unique_ptr<Window> window_;
  OptimiseDialog* dialog_ = nullptr;
};

QTEST_MAIN(OptimiseDialogTest)
#include "OptimiseDialogTest.moc"
