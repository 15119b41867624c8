// template: the window's default inputs as a data file, to edit and give to run.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/UserMessages.h"
#include "cli/Command.h"
#include "cli/DataFileArgument.h"
#include "cli/SolventOptions.h"
#include "cli/StreamMessages.h"
#include "params/MemoryFieldTexts.h"
#include "report/DataFile.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

class TemplateCommand : public Command {
 public:
  TemplateCommand(CLI::App& app, const std::string& separatorText) : separatorText_(separatorText) {
    subcommand_ = app.add_subcommand(
        "template", "Write the default inputs as a data file, to edit and give to run");
    subcommand_
        ->add_option("-o,--output", file_,
                     "Data file to write (default, or \"-\": standard output)")
        ->type_name("FILE");
    solvents_.AddTo(*subcommand_);
    subcommand_->footer(ExitStatusHelp());
  }

  void Validate(OutputClashCheck& files) override {
    solvents_.AddInputsTo(files);
    files.Output("data file", file_.value_or(std::string(kStandardStream)));
  }

  int Work(const ProgramStreams& streams) override {
    const char separator = SeparatorOf(separatorText_);
    MemoryFieldTexts fields(separator);
    StreamMessages messages(streams.Err);
    std::vector<std::string> unread;
    if (const int status = ExitStatusOf(
            [&] { unread = solvents_.Apply(fields, separator).UnreadWarnings(); }, messages)) {
      return status;
    }
    for (const std::string& warning : unread) messages.ShowWarning(warning);
    const std::string text = DataFileText(fields);  // a text it cannot hold is refused
    if (file_ && *file_ != kStandardStream) {
      StagedOutputs outputs;
      WriteWhole(outputs, *file_, "data file", text);
      outputs.CommitAll();
      return kExitFinished;
    }
    streams.Out.write(text.data(), static_cast<std::streamsize>(text.size()));
    streams.Out.flush();
    if (!streams.Out) {
      throw Error(ErrorKind::File,
                  "Could not write the data file to standard output: the output is full or "
                  "closed.");
    }
    return kExitFinished;
  }

 private:
  const std::string& separatorText_;
  std::optional<std::string> file_;
  SolventOptions solvents_;
};

}  // namespace

std::unique_ptr<Command> AddTemplateCommand(CLI::App& app, const std::string& separatorText) {
  return std::make_unique<TemplateCommand>(app, separatorText);
}

}  // namespace quillmere
