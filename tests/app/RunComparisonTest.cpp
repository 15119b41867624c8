// What sets two runs apart, in the words of the key: the input pages' words and units.
#include <QtTest>

#include "analysis/RunComparison.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"

using namespace quillmere;

namespace {

RunInputs With(std::initializer_list<std::pair<const char*, const char*>> changes,
               char separator = '.') {
  MemoryFieldTexts fields(separator);
  for (const auto& [name, text] : changes) fields.SetText(FindInput(name)->name, text);
  return InputsOf(fields);
}

std::string Describe(const RunInputs& run, const RunInputs& other, char separator = '.') {
  return DescribeInputs(run, DifferingInputs(run, other, separator));
}

}  // namespace

class RunComparisonTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void InputsThatDifferAreNamedWithTheirTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("described");  // empty: no difference
    QTest::newRow("speed") << "Speed"
                           << "1.2"
                           << "Speed 1.2 m/s";
    QTest::newRow("a zone's air") << "Zone2.OuterTemperature"
                                  << "80"
                                  << "zone 2 air 80 °C";
    QTest::newRow("same value written otherwise") << "Speed"
                                                  << " 1.00 "
                                                  << "";
    QTest::newRow("same value with an exponent") << "Keff"
                                                 << "3e-1"
                                                 << "";
    QTest::newRow("emptied") << "Zone2.ZoneLength"
                             << ""
                             << "zone 2 length (empty)";
    QTest::newRow("not a number") << "Speed"
                                  << "fast"
                                  << "Speed fast";
    QTest::newRow("a third zone") << "Zone3.OuterTemperature"
                                  << "70"
                                  << "zone 3 air 70 °C";
    QTest::newRow("a solvent's property") << "Solvent1Density"
                                          << "0.9"
                                          << "Density of Solvent-1 0.9 g/cm3";
    QTest::newRow("the save file name is no input") << "SaveFileName"
                                                    << "other.txt"
                                                    << "";
  }
  void InputsThatDifferAreNamedWithTheirTexts() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, described);
    const std::string n = name.toStdString();
    const std::string t = text.toStdString();
    const RunInputs changed = With({{n.c_str(), t.c_str()}});
    const RunInputs defaults = With({});
    QCOMPARE(QString::fromStdString(Describe(changed, defaults)), described);
  }

  void EachRunIsDescribedByItsOwnTexts() {
    const RunInputs slow = With({{"Speed", "0.8"}, {"Zone2.OuterTemperature", "75"}});
    const RunInputs fast = With({{"Speed", "1.2"}});
    QCOMPARE(Describe(slow, fast), std::string("Speed 0.8 m/s, zone 2 air 75 °C"));
    QCOMPARE(Describe(fast, slow), std::string("Speed 1.2 m/s, zone 2 air 60.0 °C"));
  }

  void NumbersCompareWithTheUsersSeparator() {
    const RunInputs comma = With({{"Speed", "1,0"}}, ',');
    QCOMPARE(Describe(comma, With({}, ','), ','), std::string());
    QCOMPARE(Describe(With({{"Speed", "1,2"}}, ','), comma, ','), std::string("Speed 1,2 m/s"));
  }

  void ManyDifferencesAreCounted() {
    const RunInputs many = With({{"Speed", "2"},
                                 {"Keff", "0.4"},
                                 {"Wi", "0.35"},
                                 {"Zone1.OuterTemperature", "70"},
                                 {"Zone2.OuterTemperature", "90"}});
    const std::vector<std::size_t> differing = DifferingInputs(many, With({}), '.');
    QCOMPARE(differing.size(), std::size_t(5));
    // In the order of the fields: the start conditions, zone 1, the fitting parameters, ...
    QCOMPARE(
        DescribeInputs(many, differing),
        std::string(
            "Speed 2 m/s, zone 1 air 70 °C, Drying Speed Correction Factor Wi 0.35 and 2 more"));
    QCOMPARE(
        DescribeInputs(many, differing, 10),
        std::string("Speed 2 m/s, zone 1 air 70 °C, Drying Speed Correction Factor Wi 0.35, Dryer "
                    "Efficiency Parameter Keff 0.4, zone 2 air 90 °C"));
  }
};

QTEST_APPLESS_MAIN(RunComparisonTest)
#include "RunComparisonTest.moc"
