// The whole database build, against the time it takes just to read every input byte once.
//
// World: a world-sized synthetic simulator root (about 25,000 airports, 16,000 beacons, 120,000
// plain intersections, a connected network of 40,000 low and high airway segments, 2,000
// airspaces in a few hundred scenery files), written once into a temporary folder; built cold
// with one, two and one worker per core, and with the previous database as cache.
//
// Installation: the same world grown to a whole simulator installation (20,000 scenery files in
// 48 areas, about 1 GB, most of it terrain data the build reads past), and a quarter and a half
// of it, to show how the time grows with the input. Written into the build tree the first time
// the benchmark runs and kept there; built cold with one worker per core, with the build's peak
// resident memory.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tools/sample-simroot/SimRootBuild.h"

namespace fs = std::filesystem;

namespace {

struct InputRoot {
  fs::path root;
  uint64_t inputBytes = 0;
  int inputFiles = 0;
  double readSeconds = 0;  // reading every input file once, best of three

  void MeasureReading() {
    for (int pass = 0; pass < 3; ++pass) {
      const double s = ReadAll();
      readSeconds = pass == 0 ? s : std::min(readSeconds, s);
    }
  }

  double ReadAll() {
    const auto start = std::chrono::steady_clock::now();
    inputBytes = 0;
    inputFiles = 0;
    std::vector<char> buffer(1 << 20);
    const fs::path database = sampleroot::DatabaseFolder(root);
    for (const auto& e : fs::recursive_directory_iterator(root)) {
      if (!e.is_regular_file() || e.path().parent_path() == database) continue;
      std::ifstream in(e.path(), std::ios::binary);
      while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        inputBytes += static_cast<uint64_t>(in.gcount());
      }
      ++inputFiles;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  void RemoveDatabase() const {
    std::error_code ec;
    fs::remove(sampleroot::DatabaseFolder(root) / "Scenery.000", ec);
    fs::remove(sampleroot::DatabaseFolder(root) / "Scenery.001", ec);
  }
};

void Write(const fs::path& root, const sampleroot::WorldRootCounts& counts) {
  std::string error;
  if (!sampleroot::WriteWorldSimRoot(root, counts, error)) {
    std::fprintf(stderr, "cannot write %s: %s\n", root.string().c_str(), error.c_str());
    std::abort();
  }
}

struct WorldRoot : InputRoot {
  WorldRoot() {
    std::string tmpl = (fs::temp_directory_path() / "cw_world_XXXXXX").string();
    root = ::mkdtemp(tmpl.data());
    Write(root, sampleroot::WorldRootCounts{});
    MeasureReading();
  }
  ~WorldRoot() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

WorldRoot& World() {
  static WorldRoot world;
  return world;
}

std::string Describe(const sampleroot::WorldRootCounts& c) {
  std::ostringstream out;
  out << c.airports << ' ' << c.beacons << ' ' << c.intersections << ' ' << c.airwaySegments << ' ' << c.airspaces
      << ' ' << c.files << ' ' << c.areas << ' ' << c.classicBeacons << ' ' << c.classicFiles << ' ' << c.bulkBytes;
  return out.str();
}

// An installation root `1 / parts` the size of the whole, kept in the build tree: written again
// only when the generator's counts have changed.
InputRoot& Installation(int parts) {
  static std::map<int, std::unique_ptr<InputRoot>> roots;
  std::unique_ptr<InputRoot>& r = roots[parts];
  if (r) return *r;
  r = std::make_unique<InputRoot>();
  r->root = fs::path(CW_BENCH_ROOTS_DIR) / ("installation-1of" + std::to_string(parts));
  const sampleroot::WorldRootCounts counts = sampleroot::InstallationCounts(1.0 / parts);
  const fs::path stamp = r->root / "counts.txt";
  std::string written;
  std::getline(std::ifstream(stamp), written);
  if (written != Describe(counts)) {
    std::error_code ec;
    fs::remove_all(r->root, ec);
    Write(r->root, counts);
    std::ofstream(stamp) << Describe(counts) << '\n';
  }
  r->MeasureReading();
  return *r;
}

// Peak resident memory since the last reset, from the kernel's high-water mark.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double PeakMemoryMB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}

void Report(benchmark::State& state, const InputRoot& in, double seconds, int iterations, const BuildReport& report) {
  const double perBuild = seconds / iterations;
  state.counters["input_MB"] = static_cast<double>(in.inputBytes) / 1e6;
  state.counters["input_files"] = in.inputFiles;
  state.counters["read_once_s"] = in.readSeconds;
  state.counters["build_s"] = perBuild;
  state.counters["MB_per_s"] = static_cast<double>(in.inputBytes) / 1e6 / perBuild;
  state.counters["x_read_once"] = perBuild / in.readSeconds;
  state.counters["areas_compiled"] = report.areasCompiled;
  state.counters["areas_cached"] = report.areasFromCache;
  state.counters["workers"] = report.compileWorkers;
}

// Cold builds: the previous database removed before each.
double BuildCold(benchmark::State& state, const InputRoot& in, int workers, BuildReport& report) {
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    in.RemoveDatabase();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    if (sampleroot::BuildSimRoot(in.root, &report, workers) != IDS_BUILD_READY) state.SkipWithError("build failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  return seconds;
}

// Argument: compile workers, 0 for one per core.
void BM_WorldCold(benchmark::State& state) {
  WorldRoot& w = World();
  BuildReport report;
  const double seconds = BuildCold(state, w, static_cast<int>(state.range(0)), report);
  Report(state, w, seconds, static_cast<int>(state.iterations()), report);
}
BENCHMARK(BM_WorldCold)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_WorldWithCache(benchmark::State& state) {
  WorldRoot& w = World();
  BuildReport report;
  if (sampleroot::BuildSimRoot(w.root, &report) != IDS_BUILD_READY) state.SkipWithError("first build failed");
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (sampleroot::BuildSimRoot(w.root, &report) != IDS_BUILD_READY) state.SkipWithError("build failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  Report(state, w, seconds, static_cast<int>(state.iterations()), report);
}
BENCHMARK(BM_WorldWithCache)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Argument: the root is 1 / argument of the whole installation.
void BM_InstallationCold(benchmark::State& state) {
  InputRoot& in = Installation(static_cast<int>(state.range(0)));
  BuildReport report;
  ResetPeakMemory();
  const double seconds = BuildCold(state, in, 0, report);
  Report(state, in, seconds, static_cast<int>(state.iterations()), report);
  state.counters["peak_rss_MB"] = PeakMemoryMB();
}
BENCHMARK(BM_InstallationCold)->Arg(4)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
