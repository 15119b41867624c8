// The drying model and its integration: property and rate models, the Runge–Kutta–Gill step
// and the march through one zone.
#pragma once

#include <array>
#include <cstdint>

#include "params/ParameterSet.h"
#include "sim/SimulationState.h"

namespace quillmere {

//! The integrated state: up to 10 equations, of which a zone step uses the first three.
using StateVector = std::array<double, 10>;

//! Names of the state components.
enum StateComponent : std::size_t {
  kSolvent1Weight = 0,  //!< [kg/m2]
  kSolvent2Weight = 1,  //!< [kg/m2]
  kWebTemperature = 2,  //!< [°C]
};

//! Equations integrated for a dryer zone.
inline constexpr int kZoneEquations = 3;

//! Mass transfer coefficient of a solvent vapour [m/s] from the heat/mass transfer analogy:
//! k = (Sc / Pr)^0.42 × D × hK / λair × 1000 with Sc = νair / D.
//! `diffusivity` [m2/s]; `effectiveHeatTransfer` = HeatTransferUpper × Keff [kJ/m2.s.K].
double MassTransferCoefficient(double diffusivity, double effectiveHeatTransfer);

//! Drying speed correction factor of a total solvent mass fraction x: 1 down to Wi, a line to
//! Wy at Wx, a line to 0 at We, 0 below.
double DryingSpeedCorrection(const ParameterSet& params, double solventFraction);

//! Volume fractions of the two solvents in the coating.
struct VolumeFractions {
  double Solvent1 = 0;  //!< φ1 [-]
  double Solvent2 = 0;  //!< φ2 [-]
};
VolumeFractions SolventVolumeFractions(const ParameterSet& params, double solvent1Weight,
                                       double solvent2Weight);

//! Total pressure of the zone air [mmHg]: the coating boils where its surface vapour pressure
//! reaches it.
inline constexpr double kTotalPressure = 760;

//! Partial pressures of the two solvents over the coating surface [mmHg].
struct SurfacePressures {
  double Solvent1 = 0;  //!< p1 [mmHg]
  double Solvent2 = 0;  //!< p2 [mmHg]
};

//! Antoine vapour pressures of the pure solvents times their ternary Flory–Huggins activities
//! at web temperature `temperature` [°C] and solvent volume fractions φ1, φ2.
SurfacePressures SurfacePartialPressures(double temperature, double antoineA1, double antoineB1,
                                         double antoineC1, double antoineA2, double antoineB2,
                                         double antoineC2, double phi1, double phi2, double chi12,
                                         double chi1p, double chi2p);

//! The surface partial pressures of a web state (temperature [°C], solvent weights [kg/m2])
//! with the set's constants.
SurfacePressures WebSurfacePressures(const ParameterSet& params, double temperature,
                                     double solvent1Weight, double solvent2Weight);

//! Equilibrium absolute humidities over the coating surface [kg vapour / kg dry air].
struct Humidities {
  double Solvent1 = 0;  //!< H1 [kg/kg dry air]
  double Solvent2 = 0;  //!< H2 [kg/kg dry air]
};

//! The humidities of air at 760 mmHg that holds the solvents at partial pressures `pressures`,
//! for solvents of molecular weights `molecularWeight1` and `molecularWeight2` [g/mol].
Humidities SurfaceHumidities(const SurfacePressures& pressures, double molecularWeight1,
                             double molecularWeight2);

//! The surface humidities of a web state (temperature [°C], solvent weights [kg/m2]) with the
//! set's constants.
Humidities WebSurfaceHumidities(const ParameterSet& params, double temperature,
                                double solvent1Weight, double solvent2Weight);

//! Heat capacity of the web per area [kJ/m2.K]: coating solvents, polymer and base film.
double WebHeatCapacity(const ParameterSet& params, double solvent1Weight, double solvent2Weight);

//! Rates at which the two solvent weights change [kg/m2.s] (negative while the coating dries).
struct SolventRates {
  double Solvent1 = 0;
  double Solvent2 = 0;
};

//! What the four stages of an integration step hold fixed: the values of the web at the step's
//! start.
struct StepValues {
  double CorrectionFactor = 0;  //!< drying speed correction factor [-]
  Humidities Surface;           //!< equilibrium humidities over the surface [kg/kg dry air]
  double HeatCapacity = 0;      //!< web heat capacity per area [kJ/m2.K]
};

//! The step values of the web at point `point` of zone `zone` of the trace: the correction
//! factor of its stored fractions, the humidities and the heat capacity of its weights.
StepValues StepValuesAt(const ParameterSet& params, const ZoneTrace& trace, int zone, int point);

//! The solvent rates of a step in zone `zone` (whose mass transfer coefficients are set) that
//! starts with correction factor `correctionFactor` and surface humidities `humidity1` and
//! `humidity2`: the first two time derivatives of ZoneDerivatives, to the bit.
SolventRates SolventRatesAt(const ParameterSet& params, const SimulationState& state, int zone,
                            double correctionFactor, double humidity1, double humidity2);

//! Time derivatives of the state in zone `zone` (whose mass transfer coefficients are set) with
//! the step's values `step`: evaporation rates [kg/m2.s] and the web temperature rate [K/s].
//! `time` is not used.
StateVector ZoneDerivatives(const ParameterSet& params, const SimulationState& state, int zone,
                            const StepValues& step, double time, StateVector y);

//! One Runge–Kutta–Gill step of size h [s] from time x for the first n equations (0 to 10) of
//! y, updated in place, with the step's values `step`. Throws std::out_of_range for another n,
//! leaving y as it was.
void RungeKuttaGillStep(const ParameterSet& params, const SimulationState& state,
                        const StepValues& step, int n, StateVector& y, int zone, double x,
                        double h);

//! Marches the web through zone `zone` for `steps` steps from point 0 of its trace. Throws
//! FloatingPointError on a fault, naming the zone and the last point computed before it; the
//! points up to that one stay in the trace. A count below 1 takes no step; a zone outside 1 to
//! 14 or more steps than the trace holds (kTracePoints - 1) are refused with std::out_of_range.
void IntegrateZone(const ParameterSet& params, SimulationState& state, int zone,
                   std::int32_t steps);

}  // namespace quillmere
