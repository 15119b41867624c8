#include <iostream>

#include "cli/CommandLine.h"
#include "cli/StopSignals.h"

int main(int argc, char** argv) {
  // A reader of the result file or of standard output that goes away (a closed pipe) makes a
  // write fail with "Broken pipe", reported as any failed write, instead of ending the program
  // without a word; a stop signal ends the run and writes it.
  quillmere::InstallStopSignals();
  return quillmere::RunCommandLine(argc, argv, std::cout, std::cerr);
}
