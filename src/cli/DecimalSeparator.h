// The decimal separator of number texts in fields, data files and result files, for the
// command-line programs: the user's, or the one given with --decimal-separator.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace quillmere {

//! The user's decimal separator, as the window takes it from the numeric locale. The process's
//! numeric locale is put back afterwards: no number text of the program depends on it.
char UserDecimalSeparator();

//! Why `text` cannot be a decimal separator ("" when it can): it must be one character that
//! is not a digit, a sign, an exponent letter, a blank or a control character.
std::string CheckSeparator(const std::string& text);

//! Adds --decimal-separator CHAR to `app`, checked by CheckSeparator, into `text`; `texts`
//! says which number texts it applies to ("fields, data files and the result file").
CLI::Option* AddDecimalSeparatorOption(CLI::App& app, std::string& text, const std::string& texts);

}  // namespace quillmere
