#include "base/Error.h"

#include <array>

namespace quillmere {
namespace {

constexpr std::array<ExitStatusMeaning, 8> kExitStatuses{{
    {0, std::nullopt,
     "finished (a fit: an optimum to trust; an optimisation: a setting that meets every limit)"},
    {1, ErrorKind::InputRefused, "the inputs, a data file or a measurement file were refused"},
    {2, ErrorKind::File,
     "a file could not be opened, read or written (a missing helper program included)"},
    {3, ErrorKind::RunFault, "an error such as a floating-point fault ended the run"},
    {4, ErrorKind::Untrustworthy,
     "`fit`: the fit is not to be trusted (the solver stopped short, a parameter stalled, or "
     "the fit is poor)"},
    {5, ErrorKind::Infeasible, "`optimise`: no setting found meets every limit"},
    {64, ErrorKind::Usage,
     "the command line itself was wrong (an output that is an input or another output "
     "included)"},
    {130, ErrorKind::Interrupted,
     "stopped by Ctrl-C, SIGTERM or SIGHUP (what was done is written first)"},
}};

}  // namespace

std::span<const ExitStatusMeaning> ExitStatuses() {
  return kExitStatuses;
}

int ExitStatus(ErrorKind kind) {
  for (const ExitStatusMeaning& row : kExitStatuses) {
    if (row.Kind == kind) return row.Status;
  }
  return 3;  // every kind is in the table
}

std::string ExitStatusHelp() {
  std::string text = "Exit status: ";
  for (const ExitStatusMeaning& row : kExitStatuses) {
    if (row.Status != 0) text += "; ";
    text += std::to_string(row.Status) + " ";
    for (const char c : row.Meaning) {
      if (c != '`') text += c;
    }
  }
  return text + ".";
}

}  // namespace quillmere
