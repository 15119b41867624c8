#include "report/ResultFileWriter.h"

namespace quillmere {

ResultFileWriter::ResultFileWriter(const ParameterSet& params, char decimalSeparator,
                                   UserMessages& messages, ResultFileOptions options)
    : messages_(messages),
      file_(params, decimalSeparator, kept_, std::move(options)),
      writer_([this](std::stop_token stop) { Write(stop); }) {}

ResultFileWriter::~ResultFileWriter() {
  writer_.request_stop();
  writer_.join();
}

bool ResultFileWriter::RunStarting(const ParameterSet& /*params*/, const SimulationState& state) {
  Add({Step::Kind::Header, state.EntryTemperature(), 0, std::nullopt});
  return Delivered();
}

bool ResultFileWriter::ZoneStarting(int zone) {
  // Zone 1's conditions end the echo.
  if (zone > 1) Add({Step::Kind::Conditions, 0, zone, std::nullopt});
  return Delivered();
}

bool ResultFileWriter::ZoneFinished(const ZoneView& zone, const RunRecord& /*record*/) {
  Add({Step::Kind::Table, 0, 0, zone});
  return Delivered();
}

Outcome<> ResultFileWriter::Finish() {
  {
    // The march has nothing left to do: rather than wait, it takes the steps the writer has not
    // started, and the writer starts none meanwhile (one step at a time, so the order holds).
    // Where the writer shares a busy processor, this keeps the run from waiting for its turns.
    std::unique_lock lock(mutex_);
    finishing_ = true;
    while (TakeNextStep(lock) || !steps_.empty() || busy_) {
      if (busy_) changed_.wait(lock, [this] { return !busy_; });
    }
    finishing_ = false;
  }
  if (Delivered()) return {};
  const std::lock_guard lock(mutex_);
  return *failed_;
}

void ResultFileWriter::Add(Step step) {
  {
    const std::lock_guard lock(mutex_);
    if (failed_ || error_) return;  // the file took no further block
    steps_.push_back(std::move(step));
  }
  changed_.notify_all();
}

Outcome<> ResultFileWriter::Take(const Step& step) {
  switch (step.kind) {
    case Step::Kind::Header:
      return file_.WriteResultHeader(step.initialTemperature);
    case Step::Kind::Conditions:
      return file_.AppendZoneConditions(step.zone);
    case Step::Kind::Table:
      return file_.AppendZoneTable(*step.table);
  }
  return {};
}

void ResultFileWriter::Write(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!changed_.wait(lock, stop, [this] { return !steps_.empty() && !busy_ && !finishing_; })) {
      return;
    }
    TakeNextStep(lock);
  }
}

bool ResultFileWriter::TakeNextStep(std::unique_lock<std::mutex>& lock) {
  if (steps_.empty() || busy_) return false;
  const Step step = std::move(steps_.front());
  steps_.pop_front();
  busy_ = true;
  lock.unlock();
  std::optional<Error> notOpened;
  std::exception_ptr error;
  try {
    if (Outcome<> taken = Take(step); !taken.Ok()) notOpened = taken.Why();
  } catch (...) {
    error = std::current_exception();
  }
  lock.lock();
  for (Told& told : kept_.told) told_.push_back(std::move(told));
  kept_.told.clear();
  if (notOpened || error) {
    if (notOpened && !failed_) failed_ = std::move(notOpened);
    if (error) error_ = error;
    steps_.clear();
  }
  busy_ = false;
  changed_.notify_all();
  return true;
}

bool ResultFileWriter::Delivered() {
  std::vector<Told> told;
  bool failed = false;
  std::exception_ptr error;
  {
    const std::lock_guard lock(mutex_);
    told.swap(told_);
    failed = failed_.has_value();
    error = error_;
  }
  for (const Told& t : told) {
    if (t.detail) {
      messages_.ShowDetail(t.text);
    } else {
      messages_.ShowMessage(t.text);
    }
  }
  if (error) std::rethrow_exception(error);
  return !failed;
}

}  // namespace quillmere
