#include <csignal>
#include <iostream>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
  // A reader of the result file or of standard output that goes away (a closed pipe) makes a
  // write fail with "Broken pipe", reported as any failed write, instead of ending the program
  // without a word.
  std::signal(SIGPIPE, SIG_IGN);
  return quillmere::RunCommandLine(argc, argv, std::cout, std::cerr);
}
