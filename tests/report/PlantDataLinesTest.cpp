// The plant inputs: their lines after a data file's 119 lines, and their acquisition.
#include "report/PlantDataLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingMessages.h"
#include "TestSupport.h"
#include "base/Error.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

using test::RecordingMessages;

// Save, then "Input Data File": the plant texts come back, the 119 lines are those a file
// without plant lines holds, and the 119-line reading of the file ignores what follows.
TEST(PlantDataLines, RoundTripThroughSaveAndInputDataFile) {
  test::ScratchDirectory scratch;
  for (const char separator : {'.', ','}) {
    MemoryFieldTexts saved(separator);
    const std::string withoutPlant = DataFileText(saved);
    const std::vector<std::pair<std::string, std::string>> texts{
        {"Solvent1Name", "Ethyl acetate"},
        {"Solvent2Name", "Ethanol"},
        {"WebWidth", separator == ',' ? "1,3" : "1.3"},
        {"AmbientTemperature", "25"},
        {"LelMonitoring", "yes"},
        {"Zone2.Exhaust", "8000"},
        {"Zone14.Exhaust", "12"}};
    for (const auto& [name, text] : texts) saved.SetText(name, text);
    const std::string path = scratch.File("plant.dat");
    WriteDataFile(path, saved);

    const std::vector<std::string> lines = test::CrLfLines(test::ReadBytes(path));
    // Every plant line but those of the zones' air, which are written only when given.
    ASSERT_EQ(lines.size(), 119u + PlantFields().size() - kMaxZones);
    const std::vector<std::string> first = test::CrLfLines(withoutPlant);
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + 119, lines.begin()));
    EXPECT_EQ(lines[120], "    Solvent-2 [Solvent2Name]                           =  Ethanol");

    MemoryFieldTexts loaded(separator);
    RecordingMessages messages;
    const Outcome<LoadedDataFile> file = LoadDataFile(path, loaded, messages);
    ASSERT_TRUE(file.Ok());
    EXPECT_TRUE(file->PlantLineWarnings.empty());
    for (const PlantFieldSpec& field : PlantFields()) {
      EXPECT_EQ(loaded.Text(field.name), saved.Text(field.name)) << field.name;
    }
    // A loader of 119 lines: the same fields as from the file without plant lines.
    MemoryFieldTexts old(separator);
    MemoryFieldTexts plain(separator);
    ASSERT_TRUE(SetInputData(SplitDataFileLines(test::ReadBytes(path)), path, old, messages).Ok());
    ASSERT_TRUE(SetInputData(SplitDataFileLines(withoutPlant), path, plain, messages).Ok());
    for (const FieldSpec& field : AllFields()) {
      EXPECT_EQ(old.Text(field.name), plain.Text(field.name)) << field.name;
    }
    EXPECT_EQ(old.Text("WebWidth"), "");
  }
}

TEST(ApplyPlantDataLines, TakesALabelOrANameAndWarnsOfOtherLines) {
  std::string text = DataFileText(MemoryFieldTexts());
  text = text.substr(0, text.find("    Solvent-1 [")) +  // the 119 lines alone
         "  web width (m) = 2.5\r\n"                     // the label alone, any case
         "zone3.exhaust=100\r\n"                         // the name alone
         "Solvent-1 [Solvent1Name] = n-Butyl acetate \r\n"
         "\r\n"
         "Belt speed (m/s) = 3\r\n"
         "no equals sign\r\n";
  MemoryFieldTexts fields;
  const std::vector<std::string> warnings =
      ApplyPlantDataLines(SplitDataFileLines(text), "line.dat", fields);
  EXPECT_EQ(fields.Text("WebWidth"), "");  // "web width (m)" is not the label
  EXPECT_EQ(fields.Text("Zone3.Exhaust"), "100");
  EXPECT_EQ(fields.Text("Solvent1Name"), "n-Butyl acetate");
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "Line 120 of the data file \"line.dat\" names no plant input (\"web "
                          "width (m)\"); the line is ignored.",
                          "Line 124 of the data file \"line.dat\" names no plant input (\"Belt "
                          "speed (m/s)\"); the line is ignored.",
                          "Line 125 of the data file \"line.dat\" holds no \"=\"; the line is "
                          "ignored."}));
}

TEST(AcquirePlantInputs, ReadsTheTextsOrRefusesNamingTheField) {
  MemoryFieldTexts fields(',');
  EXPECT_FALSE(AcquirePlantInputs(fields, ','));  // no width: no plant figures
  fields.SetText("WebWidth", "1,25");
  fields.SetText("Zone2.Exhaust", "8000");
  const std::optional<PlantInputs> plant = AcquirePlantInputs(fields, ',');
  ASSERT_TRUE(plant);
  EXPECT_EQ(plant->WebWidth, 1.25);
  EXPECT_EQ(plant->AmbientTemperature, 20.0);
  EXPECT_FALSE(plant->LelMonitoring);
  EXPECT_EQ(plant->Exhaust[2], 8000.0);
  EXPECT_FALSE(plant->Exhaust[1]);

  struct Case {
    std::string field, text, details;
  };
  const std::vector<Case> cases{
      {"WebWidth", "1.25",
       "Web (Coating) Width (m) (WebWidth) holds \"1.25\", which is not a number; the decimal "
       "separator in force is \",\"."},
      {"WebWidth", "0",
       "Web (Coating) Width (m) (WebWidth) holds \"0\", and a web is wider than "
       "0 m."},
      {"LelMonitoring", "maybe",
       "Continuous LEL Monitoring (yes/no) (LelMonitoring) holds \"maybe\", which is neither "
       "\"yes\" nor \"no\"."},
      {"Zone3.Exhaust", "-1",
       "Exhaust Air of Zone 3 (Nm3/h) (Zone3.Exhaust) holds \"-1\", and an exhaust air flow is "
       "not below 0."},
  };
  for (const Case& c : cases) {
    MemoryFieldTexts texts(',');
    texts.SetText("WebWidth", "1");
    texts.SetText(c.field, c.text);
    try {
      AcquirePlantInputs(texts, ',');
      ADD_FAILURE() << c.field;
    } catch (const Error& e) {
      EXPECT_EQ(e.Kind(), ErrorKind::InputRefused);
      EXPECT_EQ(std::string(e.what()), "Input value is not correct!");
      EXPECT_EQ(e.Details(), c.details);
    }
  }
}

}  // namespace
}  // namespace quillmere
