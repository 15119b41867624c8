#include "analysis/uncertainty/SweepIntervals.h"

#include "analysis/FieldValueText.h"
#include "base/Error.h"
#include "report/CsvText.h"

namespace quillmere {

std::string SweepIntervalsCsv(const SweepGrid& grid, const SweepCases& cases,
                              const MemoryFieldTexts& base, const FitUncertainty& fit,
                              double confidence, char separator) {
  constexpr std::array<const char*, 3> kExitNames{"exit_residual1", "exit_residual2",
                                                  "exit_temperature_C"};
  std::string text = "case";
  for (const SweepAxis& axis : grid.Axes()) text += ',' + CsvField(axis.Name);
  for (const char* name : kExitNames) {
    text += std::string(",") + name + "," + name + "_low," + name + "_high";
  }
  text += ",method\n";
  FigureModel model(separator, std::nullopt);
  MemoryFieldTexts fields = base;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::size_t index = cases[i];
    const std::vector<double> values = grid.Values(index);
    text += std::to_string(index + 1);
    for (std::size_t axis = 0; axis < values.size(); ++axis) {
      fields.SetText(grid.Axes()[axis].Field->name, FieldValueText(values[axis], separator));
      text += ',';
      AppendCsvNumber(text, values[axis]);
    }
    try {
      const ExitFigures nominal = model.Run(fields);
      const ExitIntervals intervals = ExitIntervalsOf(fields, model, fit, nominal, confidence);
      IntervalMethod method = IntervalMethod::Linearised;
      for (std::size_t k = intervals.Figures.size() - 3; k < intervals.Figures.size(); ++k) {
        const FigureInterval& f = intervals.Figures[k];
        for (const double v : {f.Figure.Value, f.Low, f.High}) {
          text += ',';
          AppendCsvNumber(text, v);
        }
        if (f.Method == IntervalMethod::Sampled) method = f.Method;
      }
      text += ',' + MethodName(method) + '\n';
    } catch (const Error& error) {
      text += ",,,,,,,,,," + CsvField(error.what()) + '\n';
    }
  }
  return text;
}

}  // namespace quillmere
