// template: the window's default inputs as a data file, to edit and give to run.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/PrintableText.h"
#include "base/UserMessages.h"
#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/SolventOptions.h"
#include "cli/StreamMessages.h"
#include "params/MemoryFieldTexts.h"
#include "report/DataFile.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

class TemplateCommand : public Command {
 public:
  explicit TemplateCommand(CLI::App& app) {
    subcommand_ = app.add_subcommand(
        "template", "Write the default inputs as a data file, to edit and give to run");
    subcommand_
        ->add_option("-o,--output", file_,
                     "Data file to write (default, or \"-\": standard output)")
        ->type_name("FILE");
    solvents_.AddTo(*subcommand_);
  }

  int Execute(char separator, std::ostream& out, std::ostream& err) override {
    if (file_) {
      // No data file written over a solvent library it reads.
      OutputClashCheck files("template");
      solvents_.AddInputsTo(files);
      files.Output("data file", *file_);
      if (const std::optional<std::string> clash = files.FirstClash()) {
        err << *clash << '\n';
        return ExitStatus(ErrorKind::Usage);
      }
    }
    try {
      MemoryFieldTexts fields(separator);
      StreamMessages messages(err);
      std::vector<std::string> unread;
      if (const int status = ExitStatusOf(
              [&] { unread = solvents_.Apply(fields, separator).UnreadWarnings(); }, messages)) {
        return status;
      }
      for (const std::string& warning : unread) messages.ShowWarning(warning);
      if (file_ && *file_ != "-") {
        WriteDataFile(*file_, fields);
        return kExitFinished;
      }
      const std::string text = DataFileText(fields);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      out.flush();
      if (!out) {
        err << "Could not write the data file to standard output: the output is full or "
               "closed.\n";
        return ExitStatus(ErrorKind::File);
      }
      return kExitFinished;
    } catch (const DataFileWriteError& e) {
      err << PrintableText(ErrorBoxText(e.what())) << '\n';
      return ExitStatus(ErrorKind::InputRefused);
    } catch (const FileError& e) {
      err << PrintableText(ErrorBoxText(e.what())) << '\n';
      return ExitStatus(ErrorKind::File);
    } catch (const std::exception& e) {
      err << PrintableText(ErrorBoxText(e.what())) << '\n';
      return ExitStatus(ErrorKind::RunFault);
    }
  }

 private:
  std::optional<std::string> file_;
  SolventOptions solvents_;
};

}  // namespace

std::unique_ptr<Command> AddTemplateCommand(CLI::App& app) {
  return std::make_unique<TemplateCommand>(app);
}

}  // namespace quillmere
