#include "cli/SolventOptions.h"

#include "base/Error.h"
#include "base/PrintableText.h"
#include "report/FileIO.h"

namespace quillmere {

void SolventOptions::AddTo(CLI::App& command) {
  const std::string userFile = UserSolventFile();
  command
      .add_option(
          "--solvents", LibraryFile,
          "Also read the solvents of FILE (the columns of the shipped library); the "
          "program always reads its own library and " +
              (userFile.empty() ? std::string("$XDG_DATA_HOME/quillmere/solvents.csv") : userFile) +
              " where it exists, a later solvent of the same name replacing an earlier one")
      ->type_name("FILE");
  command
      .add_option("--solvent1", Solvent1,
                  "Make the library's solvent NAME Solvent-1: its fixed constants and its "
                  "properties (\"as specified\": the original pair)")
      ->type_name("NAME");
  command.add_option("--solvent2", Solvent2, "The same for Solvent-2")->type_name("NAME");
}

void SolventOptions::AddInputsTo(OutputClashCheck& files) const {
  const std::string userFile = UserSolventFile();
  if (!userFile.empty() && IdentityOfPath(userFile)) files.Input("solvent library", userFile);
  if (LibraryFile) files.Input("solvent library", *LibraryFile);
}

SolventLibrary SolventOptions::Apply(FieldTexts& fields, char decimalSeparator) const {
  SolventLibrary library = LoadSolventLibrary(LibraryFile);
  ApplySolventNames(library, fields, decimalSeparator);
  const std::array<const std::optional<std::string>*, 2> chosen{&Solvent1, &Solvent2};
  for (int number = 1; number <= 2; ++number) {
    const std::optional<std::string>& name = *chosen[static_cast<std::size_t>(number - 1)];
    if (!name) continue;
    if (*name == kAsSpecified) {
      ApplySolventChoice(fields, number, nullptr, decimalSeparator, true);
      continue;
    }
    // The name is checked by the same rule as a data file's.
    fields.SetText(SolventNameField(number), *name);
    ApplySolventNames(library, fields, decimalSeparator);
    RequireRunProperties(*library.Find(*name), number);
    ApplySolventChoice(fields, number, library.Find(*name), decimalSeparator, true);
  }
  return library;
}

int ExitStatusOf(const std::function<void()>& work, UserMessages& messages) {
  try {
    work();
    return 0;
  } catch (const Error& e) {
    messages.ShowMessage(e.what());
    if (!e.Details().empty()) messages.ShowDetail(e.Details());
    return ExitStatus(e.Kind());
  }
}

}  // namespace quillmere
