#include "analysis/fit/TrialModel.h"

#include <cmath>

#include "analysis/CaseRun.h"
#include "base/FloatingPointGuard.h"
#include "base/PrintableText.h"
#include "report/CsvText.h"
#include "sim/DryerMarch.h"
#include "sim/TraceView.h"

namespace quillmere {

TrialModel::TrialModel(const FitTrial& trial, const std::vector<const FieldSpec*>& free,
                       const FitTrial& first, char separator)
    : table_(trial.Measurements),
      free_(free),
      params_(std::make_unique<ParameterSet>()),
      state_(std::make_unique<SimulationState>()) {
  // The free parameters start from the first trial's texts in every trial.
  MemoryFieldTexts fields = trial.Fields;
  for (const FieldSpec* field : free) fields.SetText(field->name, first.Fields.Text(field->name));
  const CaseResult start = RunCase(fields, separator, *params_, *state_);
  ++runs_;
  if (!start.Finished()) {
    throw FitRefused(
        "The trial " + Quoted(trial.DataFileName) + " does not run at the start values:",
        start.Messages);
  }
  entryTemperature_ = state_->EntryTemperature();
  zones_ = params_->ZoneCount;
  const double end = TraceEnd(*params_, *state_, zones_, table_.Axis);
  for (const Measurement& m : table_.Rows) {
    const std::optional<TraceSite> site =
        LocateOnTrace(*params_, *state_, zones_, table_.Axis, m.Where);
    if (!site) {
      const bool time = table_.Axis == MeasurementAxis::Time;
      throw FitRefused(Quoted(table_.Name) + ", line " + std::to_string(m.Line) + ", " +
                       std::string(AxisName(table_.Axis)) + ": " + CsvNumber(m.Where) +
                       " lies outside the dryer of " + Quoted(trial.DataFileName) + ", which " +
                       (time ? "the web leaves after " : "is ") + CsvNumber(end) +
                       (time ? " s" : " m long"));
    }
    sites_.push_back(*site);
    weights_.push_back(m.Sigma ? 1 / *m.Sigma : 1.0);
  }
  fitting_ = FittingValuesOf(*params_);
  CheckWeights(trial);
}

TrialModel::TrialModel(const TrialModel& other)
    : table_(other.table_),
      free_(other.free_),
      params_(std::make_unique<ParameterSet>(*other.params_)),
      state_(std::make_unique<SimulationState>(*other.state_)),
      entryTemperature_(other.entryTemperature_),
      zones_(other.zones_),
      sites_(other.sites_),
      weights_(other.weights_),
      fitting_(other.fitting_) {}

void TrialModel::CheckWeights(const FitTrial& trial) const {
  // The solver adds up the squares of all residuals: each must leave room for the others.
  const double count = static_cast<double>(sites_.size());
  for (std::size_t i = 0; i < sites_.size(); ++i) {
    const Measurement& m = table_.Rows[i];
    const double model = ModelValue(i);
    const double measured = m.Value * weights_[i];
    const double residual = (model - m.Value) * weights_[i];
    const bool representable =
        std::isfinite(measured * measured * count) && std::isfinite(residual * residual * count);
    ClearFloatingPointFaults();
    if (representable) continue;
    std::string what = Quoted(table_.Name) + ", line " + std::to_string(m.Line) + ": ";
    if (m.Sigma) {
      what += "the weighted residual (model - measured) / sigma = (" + CsvNumber(model) + " - " +
              CsvNumber(m.Value) + ") / " + CsvNumber(*m.Sigma) +
              " is too large to be squared and summed: check the value and its sigma";
    } else {
      what += "the residual model - measured = " + CsvNumber(model) + " - " + CsvNumber(m.Value) +
              " is too large to be squared and summed: check the value";
    }
    throw FitRefused(what + " (the model at the start values of " + Quoted(trial.DataFileName) +
                     ")");
  }
}

bool TrialModel::Run(const double* values) {
  for (std::size_t i = 0; i < free_.size(); ++i) (*params_).*free_[i]->member = values[i];
  state_->EntryTemperature() = entryTemperature_;
  ++runs_;
  if (MarchThroughDryer(*params_, *state_).Finished()) return true;
  ++faults_;
  return false;
}

double TrialModel::ModelValue(std::size_t i) const {
  return ValueAt(*state_, sites_[i], table_.Rows[i].Quantity);
}

bool TrialModel::Residuals(const double* values, double* residuals) {
  if (!Run(values)) return false;
  ClearFloatingPointFaults();
  double sum = 0;
  for (std::size_t i = 0; i < sites_.size(); ++i) {
    residuals[i] = (ModelValue(i) - table_.Rows[i].Value) * weights_[i];
    sum += residuals[i] * residuals[i];
  }
  return !FloatingPointFaultRaised({residuals[0], residuals[sites_.size() - 1], sum});
}

std::vector<CurvePoint> TrialModel::Curve() const {
  std::vector<CurvePoint> curve;
  for (int zone = 1; zone <= zones_; ++zone) {
    const ZoneView view(*params_, *state_, zone);
    for (int point = zone == 1 ? 0 : 1; point <= view.Steps(); ++point) {
      const TracePoint at = view.At(point);
      CurvePoint p;
      p.Where = table_.Axis == MeasurementAxis::Position ? at.DryerPosition : at.Time;
      for (std::size_t q = 0; q < kMeasuredQuantities.size(); ++q) {
        p.Values[q] = ValueAt(*state_, TraceSite{zone, point, 0}, kMeasuredQuantities[q]);
      }
      curve.push_back(p);
    }
  }
  return curve;
}

}  // namespace quillmere
