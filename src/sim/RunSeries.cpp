#include "sim/RunSeries.h"

#include "base/FloatingPointGuard.h"
#include "sim/MiscCalc.h"

namespace quillmere {
namespace {

SeriesPoint Collect(const ParameterSet& params, const SimulationState& state,
                    const TracePoint& point) {
  SeriesPoint p;
  p.State = point;
  p.CorrectionFactor =
      DryingSpeedCorrection(params, point.Solvent1Fraction + point.Solvent2Fraction);
  if (!point.SurfaceKnown) return p;
  ClearFloatingPointFaults();
  const SurfacePressures pressures =
      WebSurfacePressures(params, point.Temperature, point.Solvent1Weight, point.Solvent2Weight);
  const double vapourPressure = pressures.Solvent1 + pressures.Solvent2;
  const SolventRates rates =
      SolventRatesAt(params, state, point.Zone, p.CorrectionFactor, point.Solvent1SurfaceHumidity,
                     point.Solvent2SurfaceHumidity);
  if (FloatingPointFaultRaised({vapourPressure, rates.Solvent1, rates.Solvent2})) return p;
  p.SurfaceKnown = true;
  p.SurfaceVapourPressure = vapourPressure;
  p.Solvent1DryingRate = -rates.Solvent1;
  p.Solvent2DryingRate = -rates.Solvent2;
  return p;
}

}  // namespace

RunSeries CollectRunSeries(const ParameterSet& params, const SimulationState& state,
                           const RunRecord& record) {
  RunSeries series;
  series.Warnings = record.Warnings;
  series.Fault = record.Fault;
  series.TimeStep = state.TimeStep;
  std::size_t points = 0;
  for (int zone = 1; zone <= record.ZonesDone(); ++zone) {
    points += static_cast<std::size_t>(params.ZoneSteps[zone]) + 1;
  }
  series.Points.reserve(points);
  for (int zone = 1; zone <= record.ZonesDone(); ++zone) {
    const ZoneView view(params, state, zone);
    for (int s = 0; s <= view.Steps(); ++s) {
      series.Points.push_back(Collect(params, state, view.At(s)));
    }
    const TracePoint entry = view.At(0);
    ZoneSummary summary;
    summary.Zone = zone;
    summary.OuterTemperature = params.Zones.OuterTemperature[zone];
    summary.Exit = view.Exit();
    summary.Length = summary.Exit.ZonePosition;
    summary.StartPosition = view.StartPosition();
    summary.SolventEvaporated = (entry.Solvent1Weight + entry.Solvent2Weight) -
                                (summary.Exit.Solvent1Weight + summary.Exit.Solvent2Weight);
    series.Zones.push_back(summary);
  }
  return series;
}

}  // namespace quillmere
