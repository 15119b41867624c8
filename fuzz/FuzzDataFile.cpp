// Any bytes as a data file: reading never fails in another way than by refusing the file, a
// refused file changes no field, and the fixed constants and the save file name never change.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/UserMessages.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/DataFile.h"

namespace {

class SilentMessages : public quillmere::UserMessages {
 public:
  void ShowMessage(std::string_view) override { ++shown; }
  void ShowError(std::string_view) override { ++shown; }
  void ShowFinish() override { ++shown; }
  int shown = 0;
};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmere;
  static const MemoryFieldTexts defaults;
  MemoryFieldTexts fields = defaults;
  SilentMessages messages;

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool applied =
      SetInputData(SplitDataFileLines(bytes), "/fuzz/data.txt", fields, messages).Ok();

  Check(messages.shown == (applied ? 0 : 1));
  for (const FieldSpec& field : AllFields()) {
    const bool unchanged = fields.Text(field.name) == defaults.Text(field.name);
    if (!applied || !field.enabled || field.name == "Edit250") Check(unchanged);
  }
  if (applied) {
    // What was read can be written again, unless a value holds what a data file cannot
    // carry; when it can, it reads back to the same texts.
    try {
      const std::string text = DataFileText(fields);
      MemoryFieldTexts again = defaults;
      Check(SetInputData(SplitDataFileLines(text), "/fuzz/again.txt", again, messages).Ok());
      for (const FieldSpec& field : AllFields()) {
        Check(again.Text(field.name) == fields.Text(field.name));
      }
    } catch (const DataFileWriteError&) {
    }
  }
  return 0;
}
