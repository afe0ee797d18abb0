// make-sample-simroot SIMROOT: writes the Swiss sample simulator root (scenery configuration,
// scenery areas, program folder with profile and navigation text files).

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/sample-simroot/SampleSimRoot.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-sample-simroot SIMROOT\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::string error;
  if (!sampleroot::WriteSampleSimRoot(root, error)) {
    std::fprintf(stderr, "make-sample-simroot: %s\n", error.c_str());
    return 1;
  }
  std::printf("make-sample-simroot: wrote %s (Scenery.cfg, 4 areas, %s)\n", root.string().c_str(),
              sampleroot::ProgramFolder(root).string().c_str());
  return 0;
}
