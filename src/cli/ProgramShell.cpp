#include "cli/ProgramShell.h"

#include <unistd.h>

#include <charconv>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

#include "base/PrintableText.h"
#include "base/UserMessages.h"
#include "cli/DecimalSeparator.h"
#include "cli/StopSignals.h"
#include "cli/Suggestions.h"

namespace quillmere {
namespace {

void Tell(std::ostream& err, const std::string& text, const std::string& details) {
  err << PrintableMessage(text) << '\n';
  if (!details.empty()) err << PrintableMessage(details) << '\n';
  err.flush();
}

}  // namespace

int RunProgram(Program& program, const std::string& work, const ProgramStreams& streams) {
  try {
    OutputClashCheck files(work);
    program.Validate(files);
    files.Check();
  } catch (const Error& e) {
    Tell(streams.Err, e.what(), e.Details());
    return ExitStatus(e.Kind());
  }
  try {
    const int status = program.Work(streams);
    if (status != kExitFinished || !StopRequested().load()) return status;
    // A stop signal while the work went on: it ended, and what it wrote is complete.
    streams.Err << "Interrupted: the " << work << " ended and its files are written.\n";
    return ExitStatus(ErrorKind::Interrupted);
  } catch (const Error& e) {
    Tell(streams.Err, ErrorBoxText(e.what()), e.Details());
    return ExitStatus(e.Kind());
  } catch (const std::bad_alloc&) {
    Tell(streams.Err, "Not enough memory for the " + work + ".", {});
    return ExitStatus(ErrorKind::RunFault);
  }
}

int ParseAndRunProgram(CLI::App& app, int argc, const char* const* argv, Program& program,
                       const std::string& work, const ProgramStreams& streams) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e, streams.Out, streams.Err, ExitStatus(ErrorKind::Usage));
  }
  return RunProgram(program, work, streams);
}

int ProgramMain(CLI::App& app, int argc, char** argv, Program& program, const std::string& work) {
  InstallStopSignals();
  return ParseAndRunProgram(app, argc, argv, program, work,
                            {std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1});
}

void RunWatched(const std::function<void()>& work, const std::function<void()>& watch,
                std::chrono::milliseconds period) {
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool finished = false;
  std::thread runner([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    const std::lock_guard lock(mutex);
    finished = true;
    finishedChanged.notify_all();
  });
  {
    std::unique_lock lock(mutex);
    do {
      watch();
    } while (!finishedChanged.wait_for(lock, period, [&finished] { return finished; }));
  }
  runner.join();
  if (failure) std::rethrow_exception(failure);
}

void WriteWhole(StagedOutputs& outputs, const std::string& name, const std::string& kind,
                std::string_view bytes) {
  outputs.Add(name, kind).Write(bytes);
}

char SeparatorOf(const std::string& text) {
  return text.empty() ? UserDecimalSeparator() : text[0];
}

CLI::Validator ChartFileValidator() {
  return CLI::Validator(
      [](const std::string& path) {
        const std::string extension = std::filesystem::path(path).extension().string();
        return extension == ".svg" || extension == ".png" || extension == ".SVG" ||
                       extension == ".PNG"
                   ? std::string()
                   : std::string("a chart file name ends in .svg or .png");
      },
      "");
}

CLI::Validator WholeNumberValidator(std::uint64_t most) {
  return CLI::Validator(
      [most](const std::string& text) {
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end != text.data() + text.size() || value > most) {
          return "a whole number from 0 to " + std::to_string(most) + ", not " + Quoted(text);
        }
        return std::string();
      },
      "");
}

std::string FooterWithExitStatuses(const std::string& footer) {
  return footer.empty() ? ExitStatusHelp() : footer + "\n\n" + ExitStatusHelp();
}

}  // namespace quillmere
