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

// A plant input given on two lines is refused before anything is applied, naming both lines;
// a label and the input's name are the same input; the zone's air line is written only when
// it is given.
TEST(DuplicatePlantLine, NamesBothLinesOfTheInput) {
  struct Case {
    std::string lines;
    std::string details;  // "" for none
  };
  const std::vector<Case> cases{
      {"WebWidth = 1\r\nZone1.Exhaust = 5\r\n", ""},
      {"WebWidth = 1\r\n\r\nwebwidth = 2.6\r\n",
       "Lines 120 and 122 of the data file \"line.dat\" both give WebWidth (Web (Coating) Width "
       "(m)); keep one of them."},
      {"Exhaust Air of Zone 2 (Nm3/h) = 5\r\nno equals\r\nZone2.Exhaust = 6\r\n",
       "Lines 120 and 122 of the data file \"line.dat\" both give Zone2.Exhaust (Exhaust Air of "
       "Zone 2 (Nm3/h)); keep one of them."},
      {"Zone4.AirFromExhaust = yes\r\nUnknown = 1\r\n    Zone4.AirFromExhaust = no\r\n",
       "Lines 120 and 122 of the data file \"line.dat\" both give Zone4.AirFromExhaust (Air of "
       "Zone 4 from its Exhaust (yes/no)); keep one of them."},
  };
  std::string first119;
  for (int line = 1; line <= kDataFileLines; ++line) first119 += "x = 1\r\n";
  for (const Case& c : cases) {
    const std::optional<Error> refusal =
        DuplicatePlantLine(SplitDataFileLines(first119 + c.lines), "line.dat");
    ASSERT_EQ(refusal.has_value(), !c.details.empty()) << c.lines;
    if (refusal) {
      EXPECT_EQ(refusal->Kind(), ErrorKind::InputRefused);
      EXPECT_EQ(std::string(refusal->what()), "Input value is not correct!");
      EXPECT_EQ(refusal->Details(), c.details);
    }
  }
  MemoryFieldTexts fields('.');
  fields.SetText("Zone4.AirFromExhaust", "yes");
  const std::string text = PlantDataLinesText(fields);
  EXPECT_NE(text.find("[Zone4.AirFromExhaust] =  yes\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Zone3.AirFromExhaust"), std::string::npos) << text;
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
  EXPECT_FALSE(plant->AnyAirFromExhaust());
  // The ends of the make-up air's range, and a zone's air from its exhaust in any case.
  fields.SetText("AmbientTemperature", "-50");
  fields.SetText("Zone3.AirFromExhaust", "YES");
  EXPECT_EQ(AcquirePlantInputs(fields, ',')->AmbientTemperature, -50.0);
  EXPECT_TRUE(AcquirePlantInputs(fields, ',')->AirFromExhaust[3]);
  fields.SetText("AmbientTemperature", "60");
  EXPECT_EQ(AcquirePlantInputs(fields, ',')->AmbientTemperature, 60.0);

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
      {"AmbientTemperature", "-300",
       "Make-up Air Temperature (deg-C) (AmbientTemperature) holds \"-300\", and make-up air is "
       "drawn at -50 to 60 °C."},
      {"AmbientTemperature", "60,5",
       "Make-up Air Temperature (deg-C) (AmbientTemperature) holds \"60,5\", and make-up air is "
       "drawn at -50 to 60 °C."},
      {"Zone14.AirFromExhaust", "ja",
       "Air of Zone 14 from its Exhaust (yes/no) (Zone14.AirFromExhaust) holds \"ja\", which is "
       "neither \"yes\" nor \"no\"."},
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
