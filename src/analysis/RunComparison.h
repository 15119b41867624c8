// What sets two runs apart: the inputs whose texts differ, named in the words of the input
// pages with their units ("Speed 1.2 m/s, zone 2 air 80 °C"), for the key of runs drawn over
// one another.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "params/FieldTable.h"
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

//! An input in the words of its caption, without the unit: "Speed", "Initial Coating Weight",
//! "Density of Solvent-1"; a zone's condition as "zone 2 air", "zone 3 length".
std::string InputLabel(const FieldSpec& field);

//! Those inputs with the texts of `run` and their units: "Speed 1.2 m/s, zone 2 air 80 °C";
//! an empty text reads "(empty)". After `most` inputs the rest are counted: "... and 2 more".
std::string DescribeInputs(const RunInputs& run, const std::vector<std::size_t>& inputs,
                           std::size_t most = 3);

}  // namespace quillmere
