// One case from its field texts to what its run means: how it ended, its record and series,
// the plant figures and the warnings; the OK button's result file through the same call.
#include "analysis/CaseRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingMessages.h"
#include "TestSupport.h"
#include "analysis/plant/PlantReport.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"
#include "report/DataFile.h"
#include "report/SolventLibrary.h"

namespace quillmere {
namespace {

using test::RecordingMessages;

// The README's plant example: ethyl acetate and ethanol in four zones on a 1.3 m web, zone 2's
// exhaust of 8000 Nm3/h too small for its vapour, zone 3's left empty and sized.
const std::string kPlantExample =
    std::string(QUILLMERE_TEST_DATA) + "/../../docs/examples/plant-line4.dat";

struct PlantCase {
  MemoryFieldTexts Fields{'.'};
  SolventLibrary Library{ShippedSolvents()};
  CaseRequest Request;
};

PlantCase PlantExample() {
  PlantCase plant;
  RecordingMessages messages;
  EXPECT_TRUE(LoadDataFile(kPlantExample, plant.Fields, messages).Ok());
  ApplySolventNames(plant.Library, plant.Fields, '.');
  plant.Request =
      PlantCaseRequest(plant.Library, plant.Fields, AcquirePlantInputs(plant.Fields, '.'));
  return plant;
}

struct EndingCase {
  const char* Name;
  const char* Field;  //!< changed from the default texts ("" for none)
  const char* Text;
  std::optional<ErrorKind> Ending;
  bool Marched;              //!< its zones can be shown
  int Zones;                 //!< the zones its record holds
  const char* FirstMessage;  //!< what the user is told first ("" for nothing)
};

TEST(RunCase, EndsAsTheOkButtonWouldAndKeepsWhatTheUserIsTold) {
  const std::vector<EndingCase> cases{
      {"finished", "", "", std::nullopt, true, 2, ""},
      {"refused speed", "Edit6", "fast", ErrorKind::InputRefused, false, 0,
       "Input value is not correct! Speed (m/s) (Edit6) holds \"fast\", which is not a number; "
       "the decimal separator in force is \".\"."},
      {"fault in zone 1", "Edit5", "0", ErrorKind::RunFault, true, 0,
       "Invalid floating point operation."},
      {"fault in zone 2", "Edit26", "1E308", ErrorKind::RunFault, true, 1,
       "Floating point overflow."},
  };
  test::Model model;  // one worker's set and state, reused from case to case
  for (const EndingCase& c : cases) {
    SCOPED_TRACE(c.Name);
    MemoryFieldTexts fields('.');
    if (*c.Field != '\0') fields.SetText(c.Field, c.Text);
    CaseRequest request;
    request.Series = true;
    const CaseResult result = RunCase(fields, '.', *model.params, *model.state, request);
    EXPECT_EQ(result.Ending, c.Ending);
    EXPECT_EQ(result.Finished(), !c.Ending);
    EXPECT_EQ(result.Marched(), c.Marched);
    EXPECT_EQ(result.Record.ZoneExits.size(), static_cast<std::size_t>(c.Zones));
    ASSERT_TRUE(result.Series);
    EXPECT_EQ(result.Series->Zones.size(), static_cast<std::size_t>(c.Zones));
    EXPECT_EQ(result.Messages.empty(), !c.Ending);
    if (*c.FirstMessage != '\0') {
      EXPECT_EQ(result.OutcomeText(), c.FirstMessage);
    }
    if (!c.Ending) {
      EXPECT_EQ(result.OutcomeText(), "finished");
    }
    EXPECT_FALSE(result.Figures);  // no plant inputs asked for
  }
}

TEST(RunCase, APlantCaseHasItsFiguresAndTheZoneOverItsLimit) {
  PlantCase plant = PlantExample();
  ASSERT_TRUE(plant.Request.Plant);
  test::Model model;
  const CaseResult result = RunCase(plant.Fields, '.', *model.params, *model.state, plant.Request);
  ASSERT_TRUE(result.Finished()) << result.OutcomeText();
  ASSERT_TRUE(result.Figures);
  EXPECT_EQ(result.Figures->Zones.size(), 4u);
  EXPECT_TRUE(result.Figures->Zones[2].ExhaustSized);
  // Zone 2's exhaust over its limit, and the zones whose air, stated free of solvent, the
  // exhaust contradicts (1 to 3).
  const std::vector<std::string> lel = result.LelWarnings();
  ASSERT_EQ(lel.size(), 4u);
  EXPECT_EQ(lel[1].rfind("Zone 2: the exhaust of 8000 Nm3/h", 0), 0u) << lel[1];
  EXPECT_TRUE(result.SolventsNamed(false));
  EXPECT_EQ((*result.Solvents)[0].Name, "Ethyl acetate");

  // The figures read from the series are those read from the state that holds the run.
  plant.Request.Series = true;
  const CaseResult withSeries =
      RunCase(plant.Fields, '.', *model.params, *model.state, plant.Request);
  ASSERT_TRUE(withSeries.Figures);
  EXPECT_EQ(withSeries.Figures->TotalHeat, result.Figures->TotalHeat);
  EXPECT_EQ(withSeries.Figures->WorstPercentLel, result.Figures->WorstPercentLel);
  EXPECT_EQ(withSeries.LelWarnings(), lel);
  EXPECT_EQ(withSeries.SolventWarnings, result.SolventWarnings);
}

// A chosen solvent's property that the library takes from no checked source is said first
// among the solvents' warnings of the run that uses it.
TEST(RunCase, AValueFromNoCheckedSourceIsWarnedBeforeTheAntoineRanges) {
  PlantCase plant = PlantExample();
  ApplySolventChoice(plant.Fields, 2, plant.Library.Find("PGME"), '.', true);
  plant.Request =
      PlantCaseRequest(plant.Library, plant.Fields, AcquirePlantInputs(plant.Fields, '.'));
  test::Model model;
  const CaseResult result = RunCase(plant.Fields, '.', *model.params, *model.state, plant.Request);
  ASSERT_TRUE(result.Finished()) << result.OutcomeText();
  ASSERT_GE(result.SolventWarnings.size(), 2u);
  EXPECT_EQ(result.SolventWarnings[0].rfind("Solvent-2 \"PGME\": its specific heat, 2.32", 0), 0u)
      << result.SolventWarnings[0];
  EXPECT_NE(result.SolventWarnings[1].find("vapour pressure constants"), std::string::npos)
      << result.SolventWarnings[1];
}

TEST(RunCase, APlantCaseThatDoesNotFinishHasNoFigures) {
  PlantCase plant = PlantExample();
  plant.Fields.SetText("Edit5", "0");
  test::Model model;
  const CaseResult result = RunCase(plant.Fields, '.', *model.params, *model.state, plant.Request);
  EXPECT_EQ(result.Ending, ErrorKind::RunFault);
  EXPECT_FALSE(result.Figures);
  EXPECT_TRUE(result.LelWarnings().empty());
}

// The OK button's path: the result file as the march's observer, the same bytes as the
// calculation writes them, the finish notice and the messages through the caller's messages.
TEST(RunCase, WritesTheResultFileOfTheOkButtonByteForByte) {
  test::ScratchDirectory directory;
  test::Model model;
  MemoryFieldTexts fields('.');
  fields.SetText("Edit250", directory.File("calculation.txt"));
  RecordingMessages calculationMessages;
  ASSERT_TRUE(
      RunCalculation(fields, calculationMessages, '.', *model.params, *model.state).Finished());
  fields.SetText("Edit250", directory.File("case.txt"));
  RecordingMessages messages;
  CaseRequest request;
  request.ResultFile.emplace();
  const CaseResult result = RunCase(fields, messages, '.', *model.params, *model.state, request);
  EXPECT_TRUE(result.Finished());
  EXPECT_EQ(messages.finishCount, 1);
  EXPECT_TRUE(result.Messages.empty());  // told through the caller's messages
  EXPECT_EQ(test::ReadBytes(directory.File("case.txt")),
            test::ReadBytes(directory.File("calculation.txt")));
}

TEST(RunCase, AResultFileThatCannotBeWrittenEndsTheCaseAsAFileError) {
  test::Model model;
  MemoryFieldTexts fields('.');
  fields.SetText("Edit250", "/dev/full");
  CaseRequest request;
  request.ResultFile.emplace();
  const CaseResult result = RunCase(fields, '.', *model.params, *model.state, request);
  EXPECT_EQ(result.Ending, ErrorKind::File);
  ASSERT_FALSE(result.Messages.empty());
  EXPECT_NE(result.Messages.front().find("No space left on device"), std::string::npos)
      << result.Messages.front();
}

}  // namespace
}  // namespace quillmere
