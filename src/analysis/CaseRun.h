// One case: the inputs given as field texts, acquired and marched exactly as the OK button
// would, and everything a finished run means: its record, its series, the solvents in force,
// the plant figures and every warning. The window's OK, `run`, a sweep's grid point, a fit's
// trial, an optimiser's setting and the screenshots all run their cases here.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/plant/PlantFigures.h"
#include "base/Error.h"
#include "base/UserMessages.h"
#include "params/FieldTexts.h"
#include "params/MemoryFieldTexts.h"
#include "params/ParameterSet.h"
#include "params/PlantInputs.h"
#include "report/ResultFile.h"
#include "report/SolventLibrary.h"
#include "sim/RunRecord.h"
#include "sim/RunSeries.h"
#include "sim/SimulationState.h"

namespace quillmere {

//! What a case computes besides its march.
struct CaseRequest {
  //! The solvents in force (PlantSolventsOf): with them the case tells where the web leaves
  //! the range of their Antoine constants and, with plant inputs, the plant figures.
  std::optional<std::array<PlantSolvent, 2>> Solvents;
  //! The plant inputs, acquired by the caller (AcquirePlantInputs): the figures of a finished
  //! case. Needs Solvents.
  std::optional<PlantInputs> Plant;
  //! Collect the run's series (the curves, the exports); else the figures and the warnings
  //! are read from the state that still holds the run.
  bool Series = false;
  //! Write the result file as the OK button does, the march's observer, with these options;
  //! the finish notice is shown when every zone is written.
  std::optional<ResultFileOptions> ResultFile;
  //! The chosen solvents' values in the fields that no checked source gives
  //! (UnconfirmedValueWarnings): said again beside the run's other solvent warnings.
  std::vector<std::string> UnconfirmedValues;
};

//! The request of a case with the solvents the fields name in `library` and `plant`.
CaseRequest PlantCaseRequest(const SolventLibrary& library, const FieldTexts& fields,
                             std::optional<PlantInputs> plant);

struct CaseResult {
  //! How the case ended: nothing when every active zone was computed; else the kind of the
  //! error that ended it: InputRefused (acquisition refused the inputs: its message, or an
  //! unconvertible zone), File (its result file could not be written) or RunFault (a
  //! floating-point fault ended the march, or the step count division, or the plant figures
  //! of a finished march are not finite).
  std::optional<ErrorKind> Ending = ErrorKind::InputRefused;
  //! What the window would have shown, in order, when no messages were given: messages,
  //! then their details.
  std::vector<std::string> Messages;
  RunRecord Record;  //!< the march's record (ZoneCount 0 when the input was refused)
  //! The zones computed, where the request asked for the series.
  std::optional<RunSeries> Series;
  //! The solvents in force, as requested.
  std::optional<std::array<PlantSolvent, 2>> Solvents;
  //! The plant figures of a finished case with plant inputs; their warnings are the zones
  //! whose exhaust exceeds its LEL limit.
  std::optional<PlantFigures> Figures;
  //! The request's UnconfirmedValues, then where the web leaves a solvent's Antoine range,
  //! from every zone computed.
  std::vector<std::string> SolventWarnings;

  bool Finished() const { return !Ending; }
  //! Finished, or ended by a fault in the march: its zones can be shown.
  bool Marched() const {
    return Finished() || (Ending == ErrorKind::RunFault && Record.Fault.has_value());
  }
  //! "finished", or what the case ended with: its message, then its details ("Input value is
  //! not correct! Web Speed (m/s) (Edit6) holds ...").
  std::string OutcomeText() const;
  //! The zones whose exhaust exceeds its LEL limit; none without figures.
  std::vector<std::string> LelWarnings() const;
  //! A solvent was chosen from the library (it has an Antoine range) or the plant inputs are
  //! given: the solvents are worth naming.
  bool SolventsNamed(bool plantGiven) const;
};

//! What a worker thread of a study keeps from case to case: its field texts (the study's base
//! texts, changed case by case) and its own parameter set and simulation state, allocated once.
struct CaseWorker {
  explicit CaseWorker(const MemoryFieldTexts& base)
      : Fields(base),
        Params(std::make_unique<ParameterSet>()),
        State(std::make_unique<SimulationState>()) {}
  MemoryFieldTexts Fields;
  std::unique_ptr<ParameterSet> Params;
  std::unique_ptr<SimulationState> State;
};

//! Acquires `fields` into `params` (the entry temperature into `state`), marches through the
//! dryer and adds what `request` asks for. What the user would be told goes to `messages`,
//! as the OK button tells it: an error that ends the case (Error) is shown in the error box
//! (ErrorBoxText). `params` and `state` are the caller's own, reused from case to case.
CaseResult RunCase(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                   ParameterSet& params, SimulationState& state, const CaseRequest& request = {});

//! The same, with what the user would be told kept in the result's Messages.
CaseResult RunCase(const FieldTexts& fields, char decimalSeparator, ParameterSet& params,
                   SimulationState& state, const CaseRequest& request = {});

//! The same with a worker's texts, set and state.
CaseResult RunCase(CaseWorker& worker, char decimalSeparator, const CaseRequest& request = {});

}  // namespace quillmere
