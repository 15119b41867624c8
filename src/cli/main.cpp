#include <iostream>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
  return quillmere::RunCommandLine(argc, argv, std::cout, std::cerr);
}
