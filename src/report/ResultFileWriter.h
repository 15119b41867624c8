// The result file as an observer of the march: its write steps taken in the order the march
// tells them, by a thread of their own, so that a zone's table is formatted and written while
// the next zones are integrated.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/UserMessages.h"
#include "params/ParameterSet.h"
#include "report/ResultFile.h"
#include "sim/DryerMarch.h"
#include "sim/TraceView.h"

namespace quillmere {

//! Writes the echo when the run starts, each further zone's conditions when the zone starts and
//! each zone's table when it is finished: the same blocks in the same order as steps taken one
//! after the other, each opening and closing the file. The steps run on a writer thread; what
//! they have to say (a file that cannot be opened, a failed write) reaches the march at its
//! next step, which then ends the run, and Finish takes the last steps. So a run that ends
//! on a fault still holds every block written before the fault, and a file problem always
//! takes precedence over a fault that the march met after it.
class ResultFileWriter : public MarchObserver {
 public:
  ResultFileWriter(const ParameterSet& params, char decimalSeparator, UserMessages& messages,
                   ResultFileOptions options = {});
  //! Ends the writer thread, abandoning steps not yet taken (after an error of the run).
  ~ResultFileWriter() override;
  ResultFileWriter(const ResultFileWriter&) = delete;
  ResultFileWriter& operator=(const ResultFileWriter&) = delete;

  bool RunStarting(const ParameterSet& params, const SimulationState& state) override;
  bool ZoneStarting(int zone) override;
  bool ZoneFinished(const ZoneView& zone, const RunRecord& record) override;

  //! Takes the steps the writer has not started and waits for the one it is taking, shows what
  //! the steps had to say, and returns what a step that could not open the file told (nothing
  //! when the file took every block). Throws FileError when a write failed.
  Outcome<> Finish();

 private:
  //! One write step: the echo, a zone's conditions, or a finished zone's table.
  struct Step {
    enum class Kind { Header, Conditions, Table } kind = Kind::Header;
    double initialTemperature = 0;  //!< for the echo
    int zone = 0;                   //!< for the conditions
    std::optional<ZoneView> table;  //!< for the table
  };

  //! What a step had to say, shown in the march's thread (the window's boxes belong to it).
  struct Told {
    bool detail = false;
    std::string text;
  };

  //! The writer thread's messages, kept for the march's thread.
  class KeptMessages : public UserMessages {
   public:
    void ShowMessage(std::string_view text) override { told.push_back({false, std::string(text)}); }
    void ShowError(std::string_view text) override { told.push_back({false, std::string(text)}); }
    void ShowFinish() override {}
    void ShowDetail(std::string_view text) override { told.push_back({true, std::string(text)}); }
    std::vector<Told> told;
  };

  void Add(Step step);
  Outcome<> Take(const Step& step);
  //! The writer thread: takes each step as it comes, until it is asked to stop.
  void Write(std::stop_token stop);
  //! Takes the next step, unless there is none or one is being taken: one step at a time, in
  //! order, by whichever thread holds `lock` (on `mutex_`, released while the step is taken).
  bool TakeNextStep(std::unique_lock<std::mutex>& lock);
  //! Shows what the steps taken so far had to say; rethrows a failed write. False once a step
  //! could not open the file: the run ends.
  bool Delivered();

  UserMessages& messages_;
  KeptMessages kept_;  //!< the step-taker's own
  ResultFile file_;    //!< written by the thread taking a step, one step at a time

  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<Step> steps_;       //!< steps still to take, in order
  bool busy_ = false;            //!< a step is being taken (by the writer or by Finish)
  bool finishing_ = false;       //!< Finish takes the steps: the writer starts none
  std::vector<Told> told_;       //!< what taken steps had to say, not yet shown
  std::optional<Error> failed_;  //!< what a step that could not open the file told: no further step
  std::exception_ptr error_;     //!< a failed write
  std::jthread writer_;          //!< last: started when everything it uses exists
};

}  // namespace quillmere
