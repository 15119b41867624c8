// What sets two runs apart: the inputs whose texts differ, named as users address them
// ("Speed 1.2, Zone2.OuterTemperature 80"), for the legend of runs drawn over one another.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "params/FieldTexts.h"

namespace quillmere {

//! The texts of every input field of one run, in the order of AllFields().
struct RunInputs {
  std::vector<std::string> Texts;
};

//! The texts of the fields as they are now.
RunInputs InputsOf(const FieldTexts& fields);

//! Places in AllFields() of the inputs whose texts give different values in the two runs:
//! numbers are compared by value ("1.20" is "1.2"), other texts as written, blanks around
//! them aside. The save file name is no input of the model and is left out.
std::vector<std::size_t> DifferingInputs(const RunInputs& a, const RunInputs& b,
                                         char decimalSeparator);

//! Those inputs with the texts of `run`: "Speed 1.2, Zone2.OuterTemperature 80"; an empty
//! text reads "(empty)". After `most` inputs the rest are counted: "... and 2 more".
std::string DescribeInputs(const RunInputs& run, const std::vector<std::size_t>& inputs,
                           std::size_t most = 3);

}  // namespace quillmere
