// make-sample-simroot [--world] SIMROOT: writes the Swiss sample simulator root (scenery
// configuration, scenery areas, program folder with profile and navigation text files), or with
// --world the world-sized synthetic root of the build benchmark.

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/sample-simroot/SampleSimRoot.h"

int main(int argc, char** argv) {
  const bool world = argc == 3 && std::string(argv[1]) == "--world";
  if (argc != 2 && !world) {
    std::fprintf(stderr, "usage: make-sample-simroot [--world] SIMROOT\n");
    return 2;
  }
  const std::filesystem::path root = argv[argc - 1];
  std::string error;
  const bool written = world ? sampleroot::WriteWorldSimRoot(root, sampleroot::WorldRootCounts{}, error)
                             : sampleroot::WriteSampleSimRoot(root, error);
  if (!written) {
    std::fprintf(stderr, "make-sample-simroot: %s\n", error.c_str());
    return 1;
  }
  std::printf("make-sample-simroot: wrote %s (%s, program folder %s)\n", root.string().c_str(),
              world ? "synthetic world" : "Swiss sample", sampleroot::ProgramFolder(root).string().c_str());
  return 0;
}
