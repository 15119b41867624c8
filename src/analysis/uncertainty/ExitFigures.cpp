#include "analysis/uncertainty/ExitFigures.h"

#include "analysis/CaseRun.h"
#include "base/Error.h"

namespace quillmere {

std::string FigureCaption(const ExitFigure& figure) {
  const std::string zone = "Zone " + std::to_string(figure.Zone) + " ";
  switch (figure.Kind) {
    case FigureKind::Residual1:
      return zone + "residual ratio 1";
    case FigureKind::Residual2:
      return zone + "residual ratio 2";
    case FigureKind::Temperature:
      return zone + "web temperature (deg-C)";
    case FigureKind::WorstPercentLel:
      return "Worst %LEL (zone " + std::to_string(figure.Zone) + ")";
    case FigureKind::TotalHeat:
      return "Total heat (kW)";
  }
  return {};
}

std::string FigureName(const ExitFigure& figure) {
  const std::string zone = "ZoneExit" + std::to_string(figure.Zone) + ".";
  switch (figure.Kind) {
    case FigureKind::Residual1:
      return zone + "Residual1";
    case FigureKind::Residual2:
      return zone + "Residual2";
    case FigureKind::Temperature:
      return zone + "Temperature";
    case FigureKind::WorstPercentLel:
      return "WorstPercentLel";
    case FigureKind::TotalHeat:
      return "TotalHeat";
  }
  return {};
}

std::string FigureUnit(FigureKind kind) {
  switch (kind) {
    case FigureKind::Residual1:
    case FigureKind::Residual2:
      return "-";
    case FigureKind::Temperature:
      return "deg-C";
    case FigureKind::WorstPercentLel:
      return "% LEL";
    case FigureKind::TotalHeat:
      return "kW";
  }
  return {};
}

int FigureDecimals(FigureKind kind) {
  switch (kind) {
    case FigureKind::Residual1:
    case FigureKind::Residual2:
      return 4;
    case FigureKind::Temperature:
    case FigureKind::WorstPercentLel:
      return 2;
    case FigureKind::TotalHeat:
      return 1;
  }
  return 4;
}

ExitFigures ExitFiguresOf(const ParameterSet& params, const SimulationState& state,
                          const RunRecord& record, const PlantContext* plant) {
  ExitFigures figures;
  for (const TracePoint& exit : record.ZoneExits) {
    figures.push_back({FigureKind::Residual1, exit.Zone, exit.Solvent1Residual});
    figures.push_back({FigureKind::Residual2, exit.Zone, exit.Solvent2Residual});
    figures.push_back({FigureKind::Temperature, exit.Zone, exit.Temperature});
  }
  if (plant != nullptr) {
    const PlantFigures line = PlantFiguresOf(params, plant->Inputs, plant->Solvents, state, record);
    if (line.WorstPercentLel) {
      figures.push_back({FigureKind::WorstPercentLel, line.WorstZone, *line.WorstPercentLel});
    }
    figures.push_back({FigureKind::TotalHeat, 0, line.TotalHeat});
  }
  return figures;
}

FigureModel::FigureModel(char decimalSeparator, std::optional<PlantContext> plant)
    : separator_(decimalSeparator),
      plant_(std::move(plant)),
      params_(std::make_unique<ParameterSet>()),
      state_(std::make_unique<SimulationState>()) {}

ExitFigures FigureModel::Run(const FieldTexts& fields) {
  ++runs_;
  const CaseResult run = RunCase(fields, separator_, *params_, *state_);
  if (!run.Finished()) throw Error(*run.Ending, run.OutcomeText());
  return ExitFiguresOf(*params_, *state_, run.Record, plant_ ? &*plant_ : nullptr);
}

}  // namespace quillmere
