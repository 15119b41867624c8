// The figures a line is judged by where the web leaves each zone: the residual ratios of both
// solvents and the web temperature, and, with the plant inputs, the line's worst %LEL and its
// total heat. The step's error and the fit's uncertainty are both stated figure by figure, so
// both take a case to this one list.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/plant/PlantFigures.h"
#include "params/FieldTexts.h"
#include "params/ParameterSet.h"
#include "params/PlantInputs.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"

namespace quillmere {

enum class FigureKind {
  Residual1,        //!< Solvent-1 residual ratio at a zone's exit [-]
  Residual2,        //!< Solvent-2 residual ratio at a zone's exit [-]
  Temperature,      //!< web temperature at a zone's exit [°C]
  WorstPercentLel,  //!< the zone nearest its LEL limit: its exhaust's vapour [% LEL]
  TotalHeat,        //!< Σ (Qweb + Qair) over the zones [kW]
};

struct ExitFigure {
  FigureKind Kind = FigureKind::Residual1;
  int Zone = 0;  //!< the zone whose exit it is; 0 for a figure of the whole line
  double Value = 0;
};

using ExitFigures = std::vector<ExitFigure>;

//! "Zone 2 residual ratio 1", "Worst %LEL".
std::string FigureCaption(const ExitFigure& figure);
//! "ZoneExit2.Residual1", "WorstPercentLel": the figure's name in CSV and JSON.
std::string FigureName(const ExitFigure& figure);
//! "-", "deg-C", "% LEL", "kW".
std::string FigureUnit(FigureKind kind);
//! Decimals of the figure in a summary (those of the zone table for the exit figures).
int FigureDecimals(FigureKind kind);

//! What a run needs for its plant figures.
struct PlantContext {
  PlantInputs Inputs;
  std::array<PlantSolvent, 2> Solvents;
};

//! The figures of a finished run: each zone's exit, zone 1 first, then the plant's (only those
//! it has: no %LEL where no zone's LEL is known).
ExitFigures ExitFiguresOf(const ParameterSet& params, const SimulationState& state,
                          const RunRecord& record, const PlantContext* plant);

//! A case as a function of its field texts: acquired and marched as the OK button would, its
//! exit figures returned. Owns its parameter set and state (allocated once), so one model runs
//! one case at a time.
class FigureModel {
 public:
  FigureModel(char decimalSeparator, std::optional<PlantContext> plant);

  //! Throws quillmere::Error (its kind and the run's first message) when the case does not
  //! finish.
  ExitFigures Run(const FieldTexts& fields);

  //! The parameter set of the last case run.
  const ParameterSet& Params() const { return *params_; }
  char DecimalSeparator() const { return separator_; }
  const std::optional<PlantContext>& Plant() const { return plant_; }
  int Runs() const { return runs_; }

 private:
  char separator_;
  std::optional<PlantContext> plant_;
  std::unique_ptr<ParameterSet> params_;
  std::unique_ptr<SimulationState> state_;
  int runs_ = 0;
};

}  // namespace quillmere
