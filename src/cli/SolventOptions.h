// The solvent options of the commands that run or write inputs: which solvent library to read
// besides the shipped one and the user's, and the solvents chosen on the command line.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>

#include "base/UserMessages.h"
#include "params/FieldTexts.h"
#include "report/OutputClash.h"
#include "report/SolventLibrary.h"

namespace quillmere {

struct SolventOptions {
  std::optional<std::string> LibraryFile;  //!< --solvents FILE
  std::optional<std::string> Solvent1;     //!< --solvent1 NAME
  std::optional<std::string> Solvent2;     //!< --solvent2 NAME

  //! Adds --solvents, --solvent1 and --solvent2 to `command`.
  void AddTo(CLI::App& command);

  //! Names the libraries read as inputs of `files`: the user's file in the data folder where
  //! it exists and --solvents, so that no output is written over them.
  void AddInputsTo(OutputClashCheck& files) const;

  //! Reads the library, puts the fixed constants of the solvents the fields name (a data
  //! file's plant lines) into their fields, then makes the solvents chosen on the command
  //! line Solvent-1 and Solvent-2 with all their properties (refused when the library lacks
  //! one). Returns the library, whose UnreadWarnings() the command shows. Throws
  //! quillmere::Error.
  SolventLibrary Apply(FieldTexts& fields, char decimalSeparator) const;
};

//! Runs `work`: 0 when it returns; when it throws quillmere::Error, shows the error's text as a
//! message and its details, and returns the error kind's exit status.
int ExitStatusOf(const std::function<void()>& work, UserMessages& messages);

}  // namespace quillmere
