// Trials for the fit's tests and benchmark: short dryers of two zones of 10 m, with
// measurements that the model itself makes from known fitting parameters.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/fit/Fit.h"
#include "analysis/fit/Measurements.h"
#include "analysis/fit/TraceSampling.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere::test {

//! Two zones of 10 m at `speed` [m/s] with the air at `zone1` and `zone2` [°C]; the fitting
//! parameters `fitting` (name, text) over the defaults.
inline MemoryFieldTexts ShortLine(const std::string& speed, const std::string& zone1,
                                  const std::string& zone2,
                                  const std::vector<std::pair<std::string, std::string>>& fitting) {
  MemoryFieldTexts fields('.');
  fields.SetText("Edit6", speed);
  fields.SetText("Edit8", zone1);
  fields.SetText("Edit9", "10.0");
  fields.SetText("Edit21", zone2);
  fields.SetText("Edit22", "10.0");
  for (const auto& [name, text] : fitting) fields.SetText(FindInput(name)->name, text);
  return fields;
}

//! The fitting parameters the measurements are made with.
inline const std::vector<std::pair<std::string, std::string>> kTrueFitting{
    {"Keff", "0.45"}, {"Wi", "0.35"}, {"We", "0.08"}};

//! A place and a quantity to measure, with the standard deviation of the noise added.
struct Probe {
  MeasuredQuantity Quantity;
  double Where;  //!< [m]
  double Sigma;  //!< [its unit]
};

//! Pyrometers every 2 m from 1 m on, residual solvent of both solvents every 4 m from 4 m on:
//! 20 measurements along a 20 m dryer.
inline std::vector<Probe> LineProbes() {
  std::vector<Probe> probes;
  for (double z = 1; z < 20; z += 2) probes.push_back({MeasuredQuantity::Temperature, z, 0.3});
  for (double z = 4; z <= 20; z += 4) {
    probes.push_back({MeasuredQuantity::Residual1, z, 0.003});
    probes.push_back({MeasuredQuantity::Residual2, z, 0.003});
  }
  return probes;
}

//! What the model gives at the probes for `fields`, plus normal noise of each probe's sigma
//! drawn from `random` (none when it is null); the sigmas are written when `withSigma`.
inline MeasurementTable Measure(const MemoryFieldTexts& fields, const std::vector<Probe>& probes,
                                std::mt19937* random, bool withSigma, std::string name) {
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const CaseResult run = RunCase(fields, '.', *params, *state);
  MeasurementTable table;
  table.Name = std::move(name);
  table.HasSigma = withSigma;
  if (!run.Finished()) return table;
  int line = 1;
  for (const Probe& probe : probes) {
    const std::optional<TraceSite> site =
        LocateOnTrace(*params, *state, params->ZoneCount, MeasurementAxis::Position, probe.Where);
    Measurement m;
    m.Where = probe.Where;
    m.Quantity = probe.Quantity;
    m.Value = ValueAt(*state, *site, probe.Quantity);
    if (random != nullptr) m.Value += std::normal_distribution<double>(0, probe.Sigma)(*random);
    if (withSigma) m.Sigma = probe.Sigma;
    m.Line = ++line;
    table.Rows.push_back(m);
  }
  return table;
}

//! Two trials, slow and cool and fast and hot, measured at the probes with the fitting
//! parameters `truth`; the data files carry the defaults (Keff 0.3, Wi 0.3, We 0.1) and `start`.
inline std::vector<FitTrial> TrialsMadeWith(
    const std::vector<std::pair<std::string, std::string>>& truthFitting, std::mt19937* random,
    bool withSigma, const std::vector<Probe>& probes = LineProbes(),
    const std::vector<std::pair<std::string, std::string>>& start = {}) {
  std::vector<FitTrial> trials;
  const std::vector<std::vector<std::string>> lines{{"0.5", "60.0", "80.0"},
                                                    {"0.8", "70.0", "90.0"}};
  for (std::size_t t = 0; t < lines.size(); ++t) {
    const std::string name = "trial" + std::to_string(t + 1);
    const MemoryFieldTexts truth = ShortLine(lines[t][0], lines[t][1], lines[t][2], truthFitting);
    trials.push_back({name + ".dat", ShortLine(lines[t][0], lines[t][1], lines[t][2], start),
                      Measure(truth, probes, random, withSigma, name + ".csv")});
  }
  return trials;
}

//! The trials of TrialsMadeWith, measured with kTrueFitting.
inline std::vector<FitTrial> TwoTrials(
    std::mt19937* random, bool withSigma, const std::vector<Probe>& probes = LineProbes(),
    const std::vector<std::pair<std::string, std::string>>& start = {}) {
  return TrialsMadeWith(kTrueFitting, random, withSigma, probes, start);
}

}  // namespace quillmere::test
