// The whole database build on a world-sized synthetic simulator root (about 25,000 airports,
// 16,000 beacons, 120,000 plain intersections, a connected network of 40,000 low and high airway
// segments, 2,000 airspaces in a few hundred scenery files), cold and with the previous database
// as cache, against the time it takes just to read every input byte once. The root is written
// once into a temporary folder.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/sample-simroot/SimRootBuild.h"

namespace fs = std::filesystem;

namespace {

struct WorldRoot {
  fs::path root;
  uint64_t inputBytes = 0;
  int inputFiles = 0;
  double readSeconds = 0;  // reading every input file once, best of three

  WorldRoot() {
    std::string tmpl = (fs::temp_directory_path() / "cw_world_XXXXXX").string();
    root = ::mkdtemp(tmpl.data());
    std::string error;
    if (!sampleroot::WriteWorldSimRoot(root, sampleroot::WorldRootCounts{}, error)) {
      std::fprintf(stderr, "cannot write the world root: %s\n", error.c_str());
      std::abort();
    }
    for (int pass = 0; pass < 3; ++pass) {
      const double s = ReadAll();
      readSeconds = pass == 0 ? s : std::min(readSeconds, s);
    }
  }
  ~WorldRoot() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  double ReadAll() {
    const auto start = std::chrono::steady_clock::now();
    inputBytes = 0;
    inputFiles = 0;
    std::vector<char> buffer(1 << 20);
    for (const auto& e : fs::recursive_directory_iterator(root)) {
      if (!e.is_regular_file() || e.path().parent_path() == sampleroot::DatabaseFolder(root)) continue;
      std::ifstream in(e.path(), std::ios::binary);
      while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        inputBytes += static_cast<uint64_t>(in.gcount());
      }
      ++inputFiles;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  int Build(BuildReport& report) { return sampleroot::BuildSimRoot(root, &report); }
  void RemoveDatabase() {
    std::error_code ec;
    fs::remove(sampleroot::DatabaseFolder(root) / "Scenery.000", ec);
    fs::remove(sampleroot::DatabaseFolder(root) / "Scenery.001", ec);
  }
};

WorldRoot& World() {
  static WorldRoot world;
  return world;
}

void Report(benchmark::State& state, double seconds, int iterations, const BuildReport& report) {
  WorldRoot& w = World();
  const double perBuild = seconds / iterations;
  state.counters["input_MB"] = static_cast<double>(w.inputBytes) / 1e6;
  state.counters["input_files"] = w.inputFiles;
  state.counters["read_once_s"] = w.readSeconds;
  state.counters["build_s"] = perBuild;
  state.counters["x_read_once"] = perBuild / w.readSeconds;
  state.counters["areas_compiled"] = report.areasCompiled;
  state.counters["areas_cached"] = report.areasFromCache;
}

void BM_BuildCold(benchmark::State& state) {
  WorldRoot& w = World();
  BuildReport report;
  double seconds = 0;
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.RemoveDatabase();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    if (w.Build(report) != IDS_BUILD_READY) state.SkipWithError("build failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++n;
  }
  Report(state, seconds, n, report);
}
BENCHMARK(BM_BuildCold)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_BuildWithCache(benchmark::State& state) {
  WorldRoot& w = World();
  BuildReport report;
  if (w.Build(report) != IDS_BUILD_READY) state.SkipWithError("first build failed");
  double seconds = 0;
  int n = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (w.Build(report) != IDS_BUILD_READY) state.SkipWithError("build failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++n;
  }
  Report(state, seconds, n, report);
}
BENCHMARK(BM_BuildWithCache)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
