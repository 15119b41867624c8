#include "cli/sweep/SweepCommandLine.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/sweep/SweepGrid.h"
#include "analysis/sweep/SweepRun.h"
#include "analysis/sweep/SweepTable.h"
#include "base/PrintableText.h"
#include "analysis/sweep/SweepGrid.h"
#include "analysis/sweep/SweepRun.h"
#include "analysis/sweep/SweepTable.h"
#include "analysis/plant/PlantReport.h"
#include "cli/CommandLine.h"
#include "cli/DataFileArgument.h"
#include "cli/DecimalSeparator.h"
#include "cli/ProgressBar.h"
#include "cli/SolventOptions.h"
#include "cli/StreamMessages.h"
#include "cli/Suggestions.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "base/PrintableText.h"
#include "plot/SweepChart.h"
#include "report/DataFile.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

//! Bytes gathered before they are written, so that a table of millions of rows is never held
//! as one text.
constexpr std::size_t kWriteChunk = 1 << 20;

struct SweepArguments {
  std::optional<std::string> DataFile;
  std::vector<std::string> Varies;
  std::string Table;
  int Jobs = 0;
  std::optional<std::string> Shard;
  std::optional<std::string> Results;
  std::optional<std::string> Plot;
  std::string Separator;
  SolventOptions Solvents;
};

//! Where the table goes: a file (checked before the first case runs) or standard output.
class TableOutput {
 public:
  TableOutput(const std::string& name, std::ostream& out)
      : out_(out), file_(name == kStandardStream ? std::nullopt : Open(name)) {}

  void Write(const std::string& bytes) {
    if (file_) {
      if (!truncated_) file_->Truncate();
      truncated_ = true;
      file_->Write(bytes);
      return;
    }
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_) throw FileError("Could not write the table to standard output");
  }

  void Close() {
    if (file_) {
      file_->Close();
      return;
    }
    out_.flush();
    if (!out_) throw FileError("Could not write the table to standard output");
  }

 private:
  static std::optional<OutputFile> Open(const std::string& name) {
    int error = 0;
    std::optional<OutputFile> file =
        OutputFile::Open(name, OutputFile::Mode::Create, "table", error);
    if (!file) {
      throw FileError("Could not create the table " + Quoted(name) + ": " + SystemReason(error));
    }
    return file;
  }

  std::ostream& out_;
  std::optional<OutputFile> file_;
  bool truncated_ = false;
};

//! The rows that ran, in grid order, and a last comment line when some did not.
void WriteTable(TableOutput& table, const SweepGrid& grid,
                const std::vector<std::optional<SweepRow>>& rows, std::size_t shardCases,
                bool plantColumns) {
  std::string text = SweepTableHeader(grid.Axes(), plantColumns);
  std::size_t written = 0;
  for (const std::optional<SweepRow>& row : rows) {
    if (!row) continue;
    text += SweepTableLine(*row, plantColumns);
    ++written;
    if (text.size() >= kWriteChunk) {
      table.Write(text);
      text.clear();
    }
  }
  if (written < shardCases) {
    text += "# incomplete: the sweep was interrupted; " + std::to_string(written) + " of " +
            std::to_string(shardCases) + " cases are in the table\n";
  }
  table.Write(text);
  table.Close();
}

class Sweep {
 public:
  Sweep(const SweepArguments& arguments, std::ostream& out, std::ostream& err,
        const std::atomic<bool>& interrupted, bool progressBar)
      : a_(arguments), out_(out), err_(err), interrupted_(interrupted), progressBar_(progressBar) {}

  int Run() {
    const char separator = a_.Separator.empty() ? UserDecimalSeparator() : a_.Separator[0];
    // The command line first: nothing is read or written when it is wrong.
    std::vector<SweepAxis> axes;
    std::optional<SweepGrid> grid;
    SweepShard shard;
    try {
      for (const std::string& vary : a_.Varies) axes.push_back(ParseSweepAxis(vary));
      grid.emplace(std::move(axes));
      if (a_.Shard) shard = ParseSweepShard(*a_.Shard);
      if (a_.Plot && grid->Axes().size() > 2) {
        throw SweepInputError("--plot draws one or two varied inputs, and this sweep varies " +
                              std::to_string(grid->Axes().size()));
      }
      if (a_.Plot && !plot::IsChartFileName(*a_.Plot)) {
        throw SweepInputError("--plot " + Quoted(*a_.Plot) +
                              ": the picture's name must end in .svg or .png");
      }
    } catch (const SweepInputError& error) {
      err_ << PrintableText(error.what()) << '\n';
      return ExitStatus(ErrorKind::Usage);
    }

    StreamMessages messages(err_);
    MemoryFieldTexts fields(separator);
    std::optional<LoadedDataFile> loaded;
    if (a_.DataFile) {
      loaded = LoadDataFileArgument(*a_.DataFile, fields, messages);
      if (!loaded) return ExitStatus(ErrorKind::InputRefused);
      if (a_.Table != kStandardStream && loaded->Identity &&
          IdentityOfPath(a_.Table) == loaded->Identity) {
        err_ << "The table " << Quoted(a_.Table) << " is the data file " << Quoted(loaded->Name)
             << " of this sweep, which is left as it is. Choose another table.\n";
        return ExitStatus(ErrorKind::Usage);
      }
      for (const std::string& warning : loaded->PlantLineWarnings) messages.ShowWarning(warning);
    }
    // The solvents the data file or the command line names, and the plant inputs of the cases.
    SweepOptions options;
    bool plantColumns = false;
    if (const int status = ExitStatusOf(
            [&] {
              const SolventLibrary library = a_.Solvents.Apply(fields, separator);
              const std::array<PlantSolvent, 2> solvents = PlantSolventsOf(library, fields);
              plantColumns = AcquirePlantInputs(fields, separator).has_value();
              if (plantColumns || solvents[0].AntoineRange || solvents[1].AntoineRange) {
                options.PlantSolvents = solvents;
              }
            },
            messages)) {
      return status;
    }
    if (loaded) {
      for (const std::string& warning : IgnoredFixedConstantLines(*loaded, fields, separator)) {
        messages.ShowWarning(warning);
      }
    }

    options.DecimalSeparator = separator;
    options.Jobs = a_.Jobs;
    try {
      if (a_.Results) {
        std::error_code error;
        std::filesystem::create_directories(*a_.Results, error);
        if (error) {
          throw FileError("Could not create the directory " + Quoted(*a_.Results) +
                          " for the result files: " + error.message());
        }
        options.ResultDirectory = *a_.Results;
      }
      TableOutput table(a_.Table, out_);
      const std::vector<std::size_t> cases = ShardCases(grid->CaseCount(), shard);
      const std::vector<std::optional<SweepRow>> rows = RunAll(*grid, fields, cases, options);
      WriteTable(table, *grid, rows, cases.size(), plantColumns);
      std::string error;
      if (a_.Plot && !plot::SaveSweepChart(grid->Axes(), rows, *a_.Plot, error)) {
        throw FileError("Could not write the picture " + Quoted(*a_.Plot) + ": " + error);
      }
      return Report(rows, cases.size());
    } catch (const FileError& error) {
      err_ << PrintableText(ErrorBoxText(error.what())) << '\n';
      return ExitStatus(ErrorKind::File);
    }
  }

 private:
  //! Runs the cases on the sweep's threads while this one watches for an interrupt and draws
  //! the progress bar.
  std::vector<std::optional<SweepRow>> RunAll(const SweepGrid& grid, const MemoryFieldTexts& base,
                                              const std::vector<std::size_t>& cases,
                                              const SweepOptions& options) {
    std::vector<std::optional<SweepRow>> rows;
    std::exception_ptr failure;
    std::mutex mutex;
    std::condition_variable finishedChanged;
    bool finished = false;
    start_ = std::chrono::steady_clock::now();
    std::thread runner([&] {
      try {
        rows = RunSweep(grid, base, cases, options, control_);
      } catch (...) {
        failure = std::current_exception();
      }
      const std::lock_guard lock(mutex);
      finished = true;
      finishedChanged.notify_all();
    });
    {
      std::unique_lock lock(mutex);
      while (!finishedChanged.wait_for(lock, std::chrono::milliseconds(200),
                                       [&finished] { return finished; })) {
        if (interrupted_.load()) control_.Stop.store(true);
        if (progressBar_) Draw(cases.size());
      }
    }
    runner.join();
    if (interrupted_.load()) control_.Stop.store(true);
    if (progressBar_) err_ << '\r' << std::string(TerminalWidth(2), ' ') << '\r' << std::flush;
    if (failure) std::rethrow_exception(failure);
    return rows;
  }

  void Draw(std::size_t total) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const std::size_t width = TerminalWidth(2);
    err_ << '\r' << ProgressLine(control_.Done.load(), total, elapsed, width - 1) << std::flush;
  }

  int Report(const std::vector<std::optional<SweepRow>>& rows, std::size_t total) {
    std::size_t run = 0;
    std::size_t finished = 0;
    for (const std::optional<SweepRow>& row : rows) {
      if (!row) continue;
      ++run;
      if (row->Finished) ++finished;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (run < total) {
      err_ << "Interrupted: the table holds the " << run << " of " << total
           << " cases that were run, and says that it is incomplete.\n";
      return ExitStatus(ErrorKind::Interrupted);
    }
    if (progressBar_) {
      char rate[32];
      std::snprintf(rate, sizeof rate, "%.1f",
                    elapsed > 0 ? static_cast<double>(run) / elapsed : 0.0);
      err_ << run << " cases in " << DurationText(elapsed) << " (" << rate << "/s): " << finished
           << " finished, " << run - finished << " ended early (see the outcome column).\n";
    }
    return kExitFinished;
  }

  const SweepArguments& a_;
  std::ostream& out_;
  std::ostream& err_;
  const std::atomic<bool>& interrupted_;
  bool progressBar_;
  SweepControl control_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace

int RunSweepCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                        const std::atomic<bool>& interrupted, bool progressBar) {
  CLI::App app{
      "Runs a grid of cases, each the calculation of the window's OK button with some inputs "
      "varied, on every core, and writes one table with a row per case: how it ended, the web "
      "at the dryer's exit, its highest temperature, where the coating first boils and the "
      "other limits of the model it reached.",
      "quillmere-cli sweep"};
  app.footer(
      "NAME is an input's name (Speed, Keff, IncrementZ, InitialTemperature, ...), a zone's "
      "condition (Zone3.OuterTemperature, Zone1.ZoneLength, ...) or a field's name (Edit31). "
      "VALUES is a:b:n (n values from a to b, evenly spaced), a:b:n:log (geometrically "
      "spaced) or a list a,b,c; numbers are written with \".\" and each value is typed into its "
      "field with the decimal separator in force. With several --vary every combination is a "
      "case; the first --vary varies slowest.\n\n"
      "The table is UTF-8 CSV with \".\" decimals and a header line; rows are in grid order "
      "and keep their case numbers in a shard. Ctrl-C stops the sweep: the table gets the rows "
      "finished so far and a last line \"# incomplete: ...\".\n\n"
      "Exit status: 0 the table is written (cases that ended early are rows with their "
      "outcome); 1 the data file was refused; 2 a file could not be opened, read or written; "
      "64 a wrong command line (a misspelt input, values that do not read); 130 interrupted.");
  app.set_help_flag("-h,--help", "Print this help and exit");

  SweepArguments arguments;
  app.add_option("DATAFILE", arguments.DataFile,
                 "Data file applied over the defaults as the window's \"Input Data File\" does "
                 "(\"-\" reads standard input)")
      ->type_name("FILE");
  app.add_option("--vary", arguments.Varies, "An input and its values (repeat for a grid)")
      ->type_name("NAME=VALUES")
      ->required()
      ->expected(1)
      ->take_all();
  app.add_option("-o,--output", arguments.Table, "The table (\"-\": standard output)")
      ->type_name("TABLE.csv")
      ->required();
  app.add_option("-j,--jobs", arguments.Jobs,
                 "Cases run at once (default: one per core, " + std::to_string(DefaultSweepJobs()) +
                     " here)")
      ->type_name("N")
      ->check(CLI::Range(1, 1024));
  app.add_option("--shard", arguments.Shard,
                 "Run only every N-th case from case I on (I from 1 to N), for spreading a "
                 "sweep over N machines")
      ->type_name("I/N");
  app.add_option("--results", arguments.Results,
                 "Write each case's result file into DIR (case-0001.txt, ...), as the OK "
                 "button does")
      ->type_name("DIR");
  app.add_option("--plot", arguments.Plot,
                 "Draw the exit residual ratios and web temperature against the first varied "
                 "input, one colour for each value of the second, into an SVG or PNG picture")
      ->type_name("FILE.svg|.png");
  AddDecimalSeparatorOption(app, arguments.Separator, "the field texts and the data file");
  arguments.Solvents.AddTo(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e, out, err, ExitStatus(ErrorKind::Usage));
  }
  Sweep sweep(arguments, out, err, interrupted, progressBar);
  return sweep.Run();
}

}  // namespace quillmere
