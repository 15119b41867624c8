#include "cli/sweep/SweepCommandLine.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/plant/PlantReport.h"
#include "analysis/sweep/SweepGrid.h"
#include "analysis/sweep/SweepRun.h"
#include "analysis/sweep/SweepTable.h"
#include "analysis/uncertainty/SweepIntervals.h"
#include "base/Error.h"
#include "base/FormatFixed.h"
#include "base/PrintableText.h"
#include "cli/CommandLine.h"
#include "cli/DataFileArgument.h"
#include "cli/DecimalSeparator.h"
#include "cli/ErrorBarsOptions.h"
#include "cli/ProgramShell.h"
#include "cli/ProgressBar.h"
#include "cli/SolventOptions.h"
#include "cli/StopSignals.h"
#include "cli/StreamMessages.h"
#include "cli/Suggestions.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "plot/SweepChart.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#include "report/OutputClash.h"

namespace quillmere {
namespace {

//! Bytes gathered before they are written, so that a table of millions of rows is written in
//! large pieces...
constexpr std::size_t kWriteChunk = 1 << 20;
//! ...and at least this often while rows come, so that the table grows as the sweep runs and
//! a sweep that is killed keeps what it did [s].
constexpr double kWriteInterval = 0.5;

//! The fewest bytes a row of the table takes beyond its case number and varied values: the
//! shortest outcome and the commas of the empty result columns. What the disk must hold at
//! least for a sweep's table.
constexpr std::size_t kFewestRowBytes = 16;

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
  ErrorBarsOptions ErrorBars;
  std::optional<std::string> Intervals;  //!< --intervals FILE.csv (with --uncertainty)
};

//! Where the table goes: standard output, written through, or a file written whole (the rows
//! go to a temporary file beside it, renamed into place when the table is closed).
class TableOutput {
 public:
  explicit TableOutput(const std::string& name) : file_(StagedOutput::Begin(name, "table")) {}

  void Write(std::string_view bytes) {
    try {
      file_.Write(bytes);
    } catch (const FileError& error) {
      throw ToStandardOutput(error);
    }
  }

  void Close() {
    try {
      file_.Commit();
    } catch (const FileError& error) {
      throw ToStandardOutput(error);
    }
  }

 private:
  //! "Could not write the table "-": Broken pipe" said as "... to standard output: ...".
  FileError ToStandardOutput(const FileError& error) const {
    std::string text = error.what();
    const std::string named = " the table \"-\"";
    if (file_.ToStandardOutput()) {
      if (const std::size_t at = text.find(named); at != std::string::npos) {
        text.replace(at, named.size(), " the table to standard output");
      }
    }
    return FileError(text);
  }

  StagedOutput file_;
};

//! The rows as they come, in grid order, written in pieces; what the closing lines and the
//! exit status need.
class TableWriter {
 public:
  TableWriter(TableOutput& table, bool keepForPlot, bool plantColumns, bool resultFileColumn)
      : table_(table),
        keepForPlot_(keepForPlot),
        plantColumns_(plantColumns),
        resultFileColumn_(resultFileColumn) {}

  void Start(const std::string& header) {
    table_.Write(header);
    lastWrite_ = std::chrono::steady_clock::now();
  }

  void Add(SweepRow&& row) {
    ++rows_;
    if (row.Finished) ++finished_;
    if (row.InputRefused && !row.ResultFileFailed) {
      if (refused_++ == 0) firstRefusal_ = "case " + std::to_string(row.Case) + ": " + row.Outcome;
    }
    if (row.ResultFileFailed) {
      if (resultFilesFailed_++ == 0) {
        firstFailedResult_ = "case " + std::to_string(row.Case) + ": " + row.ResultFileError;
      }
    }
    AppendSweepTableLine(text_, row, plantColumns_, resultFileColumn_);
    if (keepForPlot_) {
      // The chart needs the values and the web at the exit, not the texts.
      row.Outcome.clear();
      row.Warnings.clear();
      row.Warnings.shrink_to_fit();
      plotRows_.emplace_back(std::move(row));
    }
    const auto now = std::chrono::steady_clock::now();
    if (text_.size() >= kWriteChunk ||
        std::chrono::duration<double>(now - lastWrite_).count() >= kWriteInterval) {
      Flush();
      lastWrite_ = now;
    }
  }

  void Flush() {
    if (text_.empty()) return;
    table_.Write(text_);
    text_.clear();
  }

  std::size_t Rows() const { return rows_; }
  std::size_t Finished() const { return finished_; }
  std::size_t Refused() const { return refused_; }
  std::size_t ResultFilesFailed() const { return resultFilesFailed_; }
  const std::string& FirstRefusal() const { return firstRefusal_; }
  const std::string& FirstFailedResult() const { return firstFailedResult_; }
  const std::vector<std::optional<SweepRow>>& PlotRows() const { return plotRows_; }

 private:
  TableOutput& table_;
  bool keepForPlot_;
  bool plantColumns_;
  bool resultFileColumn_;
  std::string text_;
  std::chrono::steady_clock::time_point lastWrite_;
  std::size_t rows_ = 0;
  std::size_t finished_ = 0;
  std::size_t refused_ = 0;
  std::size_t resultFilesFailed_ = 0;
  std::string firstRefusal_;
  std::string firstFailedResult_;
  std::vector<std::optional<SweepRow>> plotRows_;
};

//! Whether `name` is a result file that --results writes for one of `cases` of a grid of
//! `caseCount` cases: "case-" and the case number with CaseResultFileName's digits, ".txt".
bool IsCaseResultFileName(std::string_view name, std::size_t caseCount, const SweepCases& cases) {
  constexpr std::string_view kPrefix = "case-";
  constexpr std::string_view kSuffix = ".txt";
  if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix)) {
    return false;
  }
  const std::string_view digits =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size() || number == 0 ||
      number > caseCount) {
    return false;
  }
  if (std::filesystem::path(CaseResultFileName("", number, caseCount)).filename() != name) {
    return false;
  }
  const std::size_t index = number - 1;
  return index >= cases.First && (index - cases.First) % cases.Step == 0 &&
         (index - cases.First) / cases.Step < cases.Count;
}

//! What the disk under `table` has free [bytes]; nullopt for standard output or a device.
std::optional<std::uint64_t> FreeBytesFor(const std::string& table) {
  if (table == kStandardStream) return std::nullopt;
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(table, error);
  if (error) return std::nullopt;
  if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
    return std::nullopt;
  }
  const std::filesystem::space_info space = std::filesystem::space(path.parent_path(), error);
  if (error) return std::nullopt;
  return space.available;
}

//! A size for a message, in the unit that shows its figures: "512 bytes", "3.4 MB", "1.2 GB".
std::string SizeText(long double bytes) {
  if (bytes < 1e3L) return std::to_string(static_cast<long long>(bytes)) + " bytes";
  const char* units[] = {"kB", "MB", "GB", "TB", "PB"};
  std::size_t unit = 0;
  for (bytes /= 1e3L; bytes >= 1e3L && unit + 1 < std::size(units); ++unit) bytes /= 1e3L;
  return FormatFixed(static_cast<double>(bytes), 1, 1, '.') + " " + units[unit];
}

class SweepProgram : public Program {
 public:
  explicit SweepProgram(CLI::App& app) { Declare(app); }

  void Validate(OutputClashCheck& files) override {
    std::vector<SweepAxis> axes;
    try {
      for (const std::string& vary : a_.Varies) axes.push_back(ParseSweepAxis(vary));
      grid_.emplace(std::move(axes));
      if (a_.Shard) shard_ = ParseSweepShard(*a_.Shard);
      if (a_.Plot && grid_->Axes().size() > 2) {
        throw SweepInputError("--plot draws one or two varied inputs, and this sweep varies " +
                              std::to_string(grid_->Axes().size()));
      }
      if (a_.Plot && !plot::IsChartFileName(*a_.Plot)) {
        throw SweepInputError("--plot " + Quoted(*a_.Plot) +
                              ": the picture's name must end in .svg or .png");
      }
    } catch (const SweepInputError& error) {
      throw Error(ErrorKind::Usage, error.what());
    }
    cases_ = ShardCases(grid_->CaseCount(), shard_);
    a_.ErrorBars.CheckOptions();
    if (a_.DataFile) files.Input("data file", DataFileArgumentName(*a_.DataFile));
    a_.Solvents.AddInputsTo(files);
    files.Output("table", a_.Table);
    if (a_.Plot) files.Output("picture", *a_.Plot);
    if (a_.Intervals) files.Output("intervals table", *a_.Intervals);
    if (a_.ErrorBars.UncertaintyFile) files.Input("fit report", *a_.ErrorBars.UncertaintyFile);
    if (a_.Results) {
      files.Output("folder of the result files", *a_.Results);
      const std::size_t caseCount = grid_->CaseCount();
      files.OutputDirectory("result file", *a_.Results,
                            [caseCount, cases = cases_](std::string_view name) {
                              return IsCaseResultFileName(name, caseCount, cases);
                            });
    }
  }

  int Work(const ProgramStreams& streams) override {
    err_ = &streams.Err;
    progressBar_ = streams.ProgressBar;
    const char separator = SeparatorOf(a_.Separator);
    StreamMessages messages(streams.Err);
    MemoryFieldTexts fields(separator);
    SweepOptions options;
    bool plantColumns = false;
    if (const int status = ReadInputs(fields, separator, options, plantColumns, messages)) {
      return status;
    }
    if (const int status = PrepareErrorBars(fields, separator, messages)) return status;
    options.DecimalSeparator = separator;
    options.Jobs = a_.Jobs;
    const std::string header =
        SweepTableHeader(grid_->Axes(), plantColumns, a_.Results.has_value());
    if (const std::optional<std::uint64_t> free = FreeBytesFor(a_.Table)) {
      RefuseTableBeyondDisk(header.size(), *free);
    }
    if (a_.Results) options.ResultDirectory = ResultDirectory();
    TableOutput table(a_.Table);
    TableWriter writer(table, a_.Plot.has_value(), plantColumns, a_.Results.has_value());
    writer.Start(header);
    const double seconds = RunAll(fields, options, writer);
    const bool interrupted = writer.Rows() < cases_.size();
    writer.Flush();
    if (interrupted) {
      table.Write("# incomplete: the sweep was interrupted; " + std::to_string(writer.Rows()) +
                  " of " + std::to_string(cases_.size()) + " cases are in the table\n");
    }
    // The picture is complete before the table takes its place, and then takes its own.
    StagedOutputs picture;
    if (a_.Plot && !interrupted) {
      StagedOutput& file = picture.Add(*a_.Plot, "picture", "write");
      file.Close();
      plot::SaveSweepChart(grid_->Axes(), writer.PlotRows(), file.WrittenTo());
    }
    table.Close();
    if (fit_ && !interrupted) {
      TableOutput intervals(*a_.Intervals);
      intervals.Write(SweepIntervalsCsv(*grid_, cases_, fields, *fit_,
                                        a_.ErrorBars.ConfidencePercent / 100, separator));
      intervals.Close();
    }
    picture.CommitAll();
    return Report(writer, cases_.size(), seconds);
  }

 private:
  void Declare(CLI::App& app);

  //! The data file over the defaults, the solvents it or the command line names, and the
  //! plant inputs of the cases. 0, or the exit status of what was refused (and told).
  int ReadInputs(MemoryFieldTexts& fields, char separator, SweepOptions& options,
                 bool& plantColumns, StreamMessages& messages) const {
    std::optional<LoadedDataFile> loaded;
    if (a_.DataFile) {
      Outcome<LoadedDataFile> read = LoadDataFileArgument(*a_.DataFile, fields, messages);
      if (!read.Ok()) return ExitStatus(read.Why().Kind());
      loaded = std::move(read.Value());
      for (const std::string& warning : loaded->PlantLineWarnings) messages.ShowWarning(warning);
      ShowReadingWarning(*loaded, separator, messages);
    }
    if (const int status = ExitStatusOf(
            [&] {
              const SolventLibrary library = a_.Solvents.Apply(fields, separator);
              for (const std::string& warning : library.UnreadWarnings()) {
                messages.ShowWarning(warning);
              }
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
    return 0;
  }

  //! --step auto at the data file's setting (a varied IncrementZ overrides it); the fit's
  //! report read before the first case runs. 0, or the exit status of what was refused.
  int PrepareErrorBars(MemoryFieldTexts& fields, char separator, StreamMessages& messages) {
    return ExitStatusOf(
        [&] {
          fit_ = a_.ErrorBars.Validate();
          if (a_.Intervals.has_value() != fit_.has_value()) {
            throw Error(ErrorKind::Usage, "--intervals and --uncertainty go together.");
          }
          FigureModel model(separator, std::nullopt);
          if (const auto choice = ChooseStepFor(a_.ErrorBars, fields, model)) {
            *err_ << StepChoiceText(*choice, separator);
          }
        },
        messages);
  }

  std::string ResultDirectory() const {
    std::error_code error;
    std::filesystem::create_directories(*a_.Results, error);
    if (error) {
      throw FileError("Could not create the directory " + Quoted(*a_.Results) +
                      " for the result files: " + SystemReason(error.value()));
    }
    return *a_.Results;
  }

  //! A table that the disk cannot hold, whatever the rows say, is refused before a case runs.
  void RefuseTableBeyondDisk(std::size_t headerBytes, std::uint64_t freeBytes) const {
    const long double perRow = static_cast<long double>(kFewestRowBytes + grid_->Axes().size() * 2 +
                                                        std::to_string(grid_->CaseCount()).size());
    const long double least =
        static_cast<long double>(headerBytes) + perRow * static_cast<long double>(cases_.size());
    if (least <= static_cast<long double>(freeBytes)) return;
    throw Error(ErrorKind::File, "The table of " + std::to_string(cases_.size()) +
                                     " cases would take at least " + SizeText(least) +
                                     ", and its disk has " + SizeText(freeBytes) +
                                     " free: run fewer cases, or shard the sweep (--shard).");
  }

  //! Runs the cases on the sweep's threads, the rows going to `writer` as they come, while this
  //! thread passes on a stop signal and draws the progress bar. Returns the seconds the cases
  //! took.
  double RunAll(const MemoryFieldTexts& base, const SweepOptions& options, TableWriter& writer) {
    start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point end = start_;
    const auto watch = [&] {
      if (StopRequested().load()) control_.Stop.store(true);
      if (progressBar_) Draw(cases_.size());
    };
    watch();  // a signal that came before the first case stops the sweep before it
    RunWatched(
        [&] {
          RunSweep(*grid_, base, cases_, options, control_,
                   [&writer](SweepRow&& row) { writer.Add(std::move(row)); });
          end = std::chrono::steady_clock::now();
        },
        watch, std::chrono::milliseconds(100));
    if (progressBar_) *err_ << '\r' << std::string(TerminalWidth(2), ' ') << '\r' << std::flush;
    return std::chrono::duration<double>(end - start_).count();
  }

  void Draw(std::size_t total) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const std::size_t width = TerminalWidth(2);
    *err_ << '\r' << ProgressLine(control_.Done.load(), total, elapsed, width - 1) << std::flush;
  }

  int Report(const TableWriter& writer, std::size_t total, double seconds) {
    std::ostream& err = *err_;
    const std::size_t run = writer.Rows();
    if (run < total) {
      err << "Interrupted: the table holds the " << run << " of " << total
          << " cases that were run, and says that it is incomplete.\n";
      return ExitStatus(ErrorKind::Interrupted);
    }
    if (progressBar_) {
      err << run << " cases in " << DurationText(seconds) << " ("
          << RateText(seconds > 0 ? static_cast<double>(run) / seconds : 0.0)
          << "/s): " << writer.Finished() << " finished, " << run - writer.Finished()
          << " ended early (see the outcome column).\n";
    }
    if (writer.ResultFilesFailed() > 0) {
      err << "The result files of " << writer.ResultFilesFailed() << " of " << total
          << " cases could not be written; the first, "
          << PrintableMessage(writer.FirstFailedResult()) << '\n';
      return ExitStatus(ErrorKind::File);
    }
    if (total > 0 && writer.Refused() == total) {
      err << "Every case of the sweep was refused at input; the first, "
          << PrintableMessage(writer.FirstRefusal()) << '\n';
      return ExitStatus(ErrorKind::InputRefused);
    }
    return kExitFinished;
  }

  SweepArguments a_;
  std::optional<SweepGrid> grid_;
  std::optional<FitUncertainty> fit_;  //!< --uncertainty: the fit report read
  SweepShard shard_;
  SweepCases cases_;
  std::ostream* err_ = nullptr;
  bool progressBar_ = false;
  SweepControl control_;
  std::chrono::steady_clock::time_point start_;
};

void SweepProgram::Declare(CLI::App& app) {
  app.footer(FooterWithExitStatuses(
      "NAME is an input's name (Speed, Keff, IncrementZ, InitialTemperature, ...), a zone's "
      "condition (Zone3.OuterTemperature, Zone1.ZoneLength, ...) or a field's name (Edit31). "
      "VALUES is a:b:n (n values from a to b, evenly spaced), a:b:n:log (geometrically "
      "spaced) or a list a,b,c; numbers are written with \".\" and each value is typed into its "
      "field with the decimal separator in force. With several --vary every combination is a "
      "case; the first --vary varies slowest.\n\n"
      "The table is UTF-8 CSV with \".\" decimals and a header line; rows are in grid order "
      "and keep their case numbers in a shard. Ctrl-C stops the sweep: the table gets the rows "
      "finished so far and a last line \"# incomplete: ...\"; so do SIGTERM and SIGHUP. Cases "
      "that ended early are rows with their outcome; the exit status is 1 only when every case "
      "was refused at input, and 2 when a case's result file could not be written."));
  app.set_help_flag("-h,--help", "Print this help and exit");
  app.add_option("DATAFILE", a_.DataFile,
                 "Data file applied over the defaults as the window's \"Input Data File\" does "
                 "(\"-\" reads standard input)")
      ->type_name("FILE");
  app.add_option("--vary", a_.Varies, "An input and its values (repeat for a grid)")
      ->type_name("NAME=VALUES")
      ->required()
      ->expected(1)
      ->take_all();
  app.add_option("-o,--output", a_.Table, "The table (\"-\": standard output)")
      ->type_name("TABLE.csv")
      ->required();
  app.add_option("-j,--jobs", a_.Jobs,
                 "Cases run at once (default: one per core, " + std::to_string(DefaultSweepJobs()) +
                     " here)")
      ->type_name("N")
      ->check(CLI::Range(1, 1024));
  app.add_option("--shard", a_.Shard,
                 "Run only every N-th case from case I on (I from 1 to N), for spreading a "
                 "sweep over N machines")
      ->type_name("I/N");
  app.add_option("--results", a_.Results,
                 "Write each case's result file into DIR (case-0001.txt, ...), as the OK "
                 "button does")
      ->type_name("DIR");
  app.add_option("--plot", a_.Plot,
                 "Draw the exit residual ratios and web temperature against the first varied "
                 "input, each quantity in its colour and one line style for each value of the "
                 "second, into an SVG or PNG picture")
      ->type_name("FILE.svg|.png");
  AddDecimalSeparatorOption(app, a_.Separator, "the field texts and the data file");
  a_.Solvents.AddTo(app);
  a_.ErrorBars.AddTo(app, ErrorBarsCommand::Study);
  app.add_option("--intervals", a_.Intervals,
                 "With --uncertainty: write each case's exit figures with their intervals as "
                 "CSV to FILE (\"-\": standard output)")
      ->type_name("FILE.csv");
}

}  // namespace

int RunSweepCommandLine(int argc, char** argv) {
  CLI::App app{
      "Runs a grid of cases, each the calculation of the window's OK button with some inputs "
      "varied, on every core, and writes one table with a row per case: how it ended, the web "
      "at the dryer's exit, its highest temperature, where the coating first boils and the "
      "other limits of the model it reached.",
      "quillmere-cli sweep"};
  SweepProgram program(app);
  return ProgramMain(app, argc, argv, program, "sweep");
}

}  // namespace quillmere
