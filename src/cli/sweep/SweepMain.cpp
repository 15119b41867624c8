// quillmere-sweep: the program behind "quillmere-cli sweep".
#include "cli/sweep/SweepCommandLine.h"

int main(int argc, char** argv) {
  return quillmere::RunSweepCommandLine(argc, argv);
}
