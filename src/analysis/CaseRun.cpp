#include "analysis/CaseRun.h"

#include <utility>

#include "analysis/plant/PlantReport.h"
#include "base/KeptMessages.h"
#include "base/Text.h"
#include "params/AcquireParameters.h"
#include "report/CalculationRun.h"
#include "sim/DryerMarch.h"

namespace quillmere {
namespace {

//! The march without a result file: acquisition, then the march through the dryer.
void March(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
           ParameterSet& params, SimulationState& state, CaseResult& result) {
  if (!AcquireParameters(fields, messages, decimalSeparator, params, state.EntryTemperature())
           .Ok()) {
    return;
  }
  result.Record = MarchThroughDryer(params, state);
  if (result.Record.Fault) {
    messages.ShowError(ErrorBoxText(result.Record.Fault->Message));
    result.Ending = ErrorKind::RunFault;
    return;
  }
  result.Ending = std::nullopt;
}

//! The march as the OK button runs it, with the result file as its observer.
void MarchWithResultFile(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                         ParameterSet& params, SimulationState& state,
                         const ResultFileOptions& options, CaseResult& result) {
  CalculationResult run =
      RunCalculation(fields, messages, decimalSeparator, params, state, options);
  result.Record = std::move(run.Record);
  result.Ending = run.Ending();
}

//! The series, the Antoine ranges and the plant figures of the zones the march computed.
void AddWhatTheRunMeans(const ParameterSet& params, const SimulationState& state,
                        const CaseRequest& request, CaseResult& result) {
  if (request.Series) result.Series = CollectRunSeries(params, state, result.Record);
  result.Solvents = request.Solvents;
  if (!request.Solvents) return;
  const std::array<PlantSolvent, 2>& solvents = *request.Solvents;
  result.SolventWarnings = request.UnconfirmedValues;
  const std::vector<std::string> antoine =
      result.Series ? AntoineRangeWarnings(solvents, *result.Series)
                    : AntoineRangeWarnings(solvents, params, state, result.Record);
  result.SolventWarnings.insert(result.SolventWarnings.end(), antoine.begin(), antoine.end());
  if (!result.Finished() || !request.Plant) return;
  result.Figures = result.Series
                       ? PlantFiguresOf(params, *request.Plant, solvents, *result.Series)
                       : PlantFiguresOf(params, *request.Plant, solvents, state, result.Record);
}

}  // namespace

CaseRequest PlantCaseRequest(const SolventLibrary& library, const FieldTexts& fields,
                             std::optional<PlantInputs> plant) {
  CaseRequest request;
  request.Solvents = PlantSolventsOf(library, fields);
  request.Plant = std::move(plant);
  request.UnconfirmedValues = UnconfirmedValueWarnings(library, fields);
  return request;
}

std::string CaseResult::OutcomeText() const {
  if (Finished()) return "finished";
  return Messages.empty() ? "refused" : Joined(Messages, " ");
}

std::vector<std::string> CaseResult::LelWarnings() const {
  return Figures ? Figures->Warnings : std::vector<std::string>{};
}

bool CaseResult::SolventsNamed(bool plantGiven) const {
  return plantGiven || (Solvents && ((*Solvents)[0].AntoineRange || (*Solvents)[1].AntoineRange));
}

CaseResult RunCase(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                   ParameterSet& params, SimulationState& state, const CaseRequest& request) {
  CaseResult result;
  try {
    if (request.ResultFile) {
      MarchWithResultFile(fields, messages, decimalSeparator, params, state, *request.ResultFile,
                          result);
    } else {
      March(fields, messages, decimalSeparator, params, state, result);
    }
  } catch (const Error& error) {
    // An unconvertible outer temperature of a further zone (refused input), a fault of the
    // step count division, or a result file that could not be written.
    messages.ShowError(ErrorBoxText(error.what()));
    result.Ending = error.Kind();
    return result;
  }
  try {
    AddWhatTheRunMeans(params, state, request, result);
  } catch (const Error& error) {
    // Plant figures that are not finite (a web of 1e308 m): a fault of this run, told as the
    // march's own faults are.
    messages.ShowError(ErrorBoxText(error.what()));
    result.Ending = error.Kind();
    result.Figures.reset();
  }
  return result;
}

CaseResult RunCase(const FieldTexts& fields, char decimalSeparator, ParameterSet& params,
                   SimulationState& state, const CaseRequest& request) {
  std::vector<std::string> kept;
  KeptMessages messages(kept);
  CaseResult result = RunCase(fields, messages, decimalSeparator, params, state, request);
  result.Messages = std::move(kept);
  return result;
}

CaseResult RunCase(CaseWorker& worker, char decimalSeparator, const CaseRequest& request) {
  return RunCase(worker.Fields, decimalSeparator, *worker.Params, *worker.State, request);
}

}  // namespace quillmere
