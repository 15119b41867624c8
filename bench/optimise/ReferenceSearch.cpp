// The reference best of an optimisation problem, found without the optimiser: differential
// evolution (DE/rand/1/bin with feasibility rules) over the free inputs' box, each setting run as
// one case and judged from the run's own series and plant figures, the way `run` reports them.
// Takes the data file and the optimiser's arguments (--maximise/--minimise, --free, --limit), so
// that bench/optimise/recheck runs both on the same problem. Prints the best value and setting.
//
// With --at NAME=VALUE (one a free input, repeated) it judges that one setting instead and prints
// its value and largest violation: how bench/optimise/recheck checks the optimiser's answers.
//
//   quillmere_optimise_reference DATAFILE --maximise Speed --free Speed=0.2:3 ...
//       --limit "ExitResidual1<=0.01" [--population 60] [--generations 300] [--seed 1]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantFigures.h"
#include "analysis/plant/PlantReport.h"
#include "base/KeptMessages.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "report/DataFile.h"
#include "report/SolventLibrary.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

struct Free {
  std::string Field;  // the field's name ("Edit6", "Zone3.Exhaust")
  std::string Name;
  double Low = 0, High = 0;
};

struct Bound {
  std::string
      What;  // ExitResidual1, ExitResidual2, WebTemperature, NoBoiling, LEL, LELcode, Energy
  double Value = 0;
};

struct Problem {
  MemoryFieldTexts Base{'.'};
  SolventLibrary Library;
  std::string Goal;
  bool Maximise = true;
  std::vector<Free> Inputs;
  std::vector<Bound> Limits;
};

//! A setting's run: the objective and the largest relative violation (0 where every limit is
//! met), or not finished.
struct Judged {
  bool Finished = false;
  double Objective = 0;
  double Violation = 1e9;
};

std::string FieldOf(const std::string& name) {
  if (const FieldSpec* f = FindInput(name)) return std::string(f->name);
  if (FindPlantField(name) != nullptr) return name;
  std::cerr << "unknown input " << name << "\n";
  std::exit(64);
}

Judged Judge(const Problem& p, const std::vector<double>& x, MemoryFieldTexts& fields,
             ParameterSet& params, SimulationState& state) {
  Judged judged;
  for (std::size_t i = 0; i < x.size(); ++i) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", x[i]);
    fields.SetText(p.Inputs[i].Field, text);
  }
  CaseResult run;
  try {
    run = RunCase(fields, '.', params, state);
  } catch (const std::exception&) {
    return judged;
  }
  if (!run.Finished()) return judged;
  const RunSeries series = CollectRunSeries(params, state, run.Record);
  double residual1 = series.Points.back().State.Solvent1Residual;
  double residual2 = series.Points.back().State.Solvent2Residual;
  double hottest = -1e9, pressure = 0;
  for (const SeriesPoint& s : series.Points) {
    hottest = std::max(hottest, s.State.Temperature);
    if (s.SurfaceKnown) pressure = std::max(pressure, s.SurfaceVapourPressure / 760.0);
  }
  std::optional<PlantFigures> plant;
  if (const std::optional<PlantInputs> inputs = AcquirePlantInputs(fields, '.')) {
    plant = PlantFiguresOf(params, *inputs, PlantSolventsOf(p.Library, fields), series);
  }
  const auto quantity = [&](const std::string& what, double bound) -> double {
    if (what == "ExitResidual1") return residual1;
    if (what == "ExitResidual2") return residual2;
    if (what == "WebTemperature") return hottest;
    if (what == "NoBoiling") return pressure;
    if (what == "Energy") return plant ? plant->TotalHeat : NAN;
    // LEL<=P: every zone whose exhaust is given; LEL: each zone against its own limit.
    double worst = 0;
    if (!plant) return NAN;
    for (const ZonePlant& z : plant->Zones) {
      if (z.ExhaustSized) continue;
      const double percent = z.PercentLel.value_or(0.0);
      worst = std::max(worst, what == "LEL" ? percent : percent / z.LimitPercent * bound);
    }
    return worst;
  };
  judged.Objective = p.Goal == "Speed" ? x[0] : quantity(p.Goal, 0);
  judged.Violation = 0;
  for (const Bound& b : p.Limits) {
    const double v = quantity(b.What, b.Value);
    if (!std::isfinite(v)) return Judged{};
    const double scale = std::fabs(b.Value) > 0 ? std::fabs(b.Value) : 1.0;
    judged.Violation = std::max(judged.Violation, (v - b.Value) / scale);
  }
  judged.Finished = std::isfinite(judged.Objective);
  return judged;
}

//! Feasibility rules: feasible beats infeasible, then the better objective; among infeasible
//! settings the smaller violation.
bool Beats(const Problem& p, const Judged& a, const Judged& b) {
  if (a.Finished != b.Finished) return a.Finished;
  const bool fa = a.Violation <= 0, fb = b.Violation <= 0;
  if (fa != fb) return fa;
  if (!fa) return a.Violation < b.Violation;
  return p.Maximise ? a.Objective > b.Objective : a.Objective < b.Objective;
}

Bound ParseBound(const std::string& text) {
  if (text == "NoBoiling") return {"NoBoiling", 0.95};
  if (text.rfind("NoBoiling:", 0) == 0) return {"NoBoiling", std::stod(text.substr(10))};
  if (text == "LEL") return {"LELcode", 1.0};
  const std::size_t at = text.find("<=");
  return {text.substr(0, at), std::stod(text.substr(at + 2))};
}

}  // namespace
}  // namespace quillmere

int main(int argc, char** argv) {
  using namespace quillmere;
  if (argc < 2) return 64;
  Problem p;
  std::vector<std::string> kept;
  KeptMessages messages(kept);
  if (!LoadDataFile(argv[1], p.Base, messages).Ok()) return 1;
  p.Library = LoadSolventLibrary();
  ApplySolventNames(p.Library, p.Base, '.');
  int population = 0, generations = 300;
  unsigned seed = 1;
  std::vector<std::pair<std::string, double>> at;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--maximise" || option == "--minimise") {
      p.Goal = value;
      p.Maximise = option == "--maximise";
    } else if (option == "--free") {
      const std::size_t eq = value.find('='), colon = value.find(':');
      Free f{FieldOf(value.substr(0, eq)), value.substr(0, eq),
             std::stod(value.substr(eq + 1, colon - eq - 1)), std::stod(value.substr(colon + 1))};
      p.Inputs.push_back(f);
    } else if (option == "--limit") {
      p.Limits.push_back(ParseBound(value));
    } else if (option == "--population") {
      population = std::stoi(value);
    } else if (option == "--generations") {
      generations = std::stoi(value);
    } else if (option == "--at") {
      const std::size_t eq = value.find('=');
      at.emplace_back(value.substr(0, eq), std::stod(value.substr(eq + 1)));
    } else if (option == "--seed") {
      seed = static_cast<unsigned>(std::stoul(value));
    }
  }
  // The speed, where it is the objective, comes first.
  if (p.Goal == "Speed" && p.Inputs.front().Name != "Speed") return 64;
  const std::size_t n = p.Inputs.size();
  if (population == 0) population = static_cast<int>(10 * n);
  if (!at.empty()) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
      for (const auto& [name, v] : at) {
        if (name == p.Inputs[i].Name) x[i] = v;
      }
    }
    MemoryFieldTexts fields = p.Base;
    auto params = std::make_unique<ParameterSet>();
    auto state = std::make_unique<SimulationState>();
    const Judged j = Judge(p, x, fields, *params, *state);
    std::printf("judged %.9g feasible %d violation %.3g\n", j.Objective,
                j.Finished && j.Violation <= 0 ? 1 : 0, j.Violation);
    return 0;
  }
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> uniform(0, 1);
  MemoryFieldTexts fields = p.Base;
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const auto setting = [&](const std::vector<double>& u) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
      x[i] = p.Inputs[i].Low + u[i] * (p.Inputs[i].High - p.Inputs[i].Low);
    }
    return x;
  };
  std::vector<std::vector<double>> members(static_cast<std::size_t>(population),
                                           std::vector<double>(n));
  std::vector<Judged> judged(members.size());
  long runs = 0;
  for (std::size_t k = 0; k < members.size(); ++k) {
    for (double& u : members[k]) u = uniform(random);
    judged[k] = Judge(p, setting(members[k]), fields, *params, *state);
    ++runs;
  }
  for (int g = 0; g < generations; ++g) {
    for (std::size_t k = 0; k < members.size(); ++k) {
      std::size_t a, b, c;
      do a = random() % members.size();
      while (a == k);
      do b = random() % members.size();
      while (b == k || b == a);
      do c = random() % members.size();
      while (c == k || c == a || c == b);
      const double weight = 0.5 + 0.3 * uniform(random);
      const std::size_t forced = random() % n;
      std::vector<double> trial = members[k];
      for (std::size_t i = 0; i < n; ++i) {
        if (i == forced || uniform(random) < 0.9) {
          double v = members[a][i] + weight * (members[b][i] - members[c][i]);
          if (v < 0) v = uniform(random) * members[a][i];
          if (v > 1) v = members[a][i] + uniform(random) * (1 - members[a][i]);
          trial[i] = v;
        }
      }
      const Judged j = Judge(p, setting(trial), fields, *params, *state);
      ++runs;
      if (!Beats(p, judged[k], j)) {
        members[k] = trial;
        judged[k] = j;
      }
    }
  }
  std::size_t best = 0;
  for (std::size_t k = 1; k < members.size(); ++k) {
    if (Beats(p, judged[k], judged[best])) best = k;
  }
  const std::vector<double> x = setting(members[best]);
  std::printf(
      "reference %.9g feasible %d violation %.3g runs %ld seed %u population %d "
      "generations %d\n",
      judged[best].Objective, judged[best].Finished && judged[best].Violation <= 0 ? 1 : 0,
      judged[best].Violation, runs, seed, population, generations);
  std::printf("setting");
  for (std::size_t i = 0; i < n; ++i) std::printf(" %s=%.9g", p.Inputs[i].Name.c_str(), x[i]);
  std::printf("\n");
  return 0;
}
