// Saving and loading a world-sized database, each beside a plain write or read of the same
// bytes, so the cost of the checks and the array set-up shows as a ratio.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "navdb/SceneryDatabase.h"
#include "navdb/tests/support/NavdbFixture.h"

namespace {

namespace fs = std::filesystem;

struct World {
  CSceneryDatabase db;
  std::string dir, rec, str;
  World() {
    navdbtest::WorldCounts counts;  // 25,000 airports, 60,000 runway ends, 120,000 fixes...
    navdbtest::BuildWorldDatabase(db, counts);
    dir = (fs::temp_directory_path() / ("navdb-bench-" + std::to_string(::getpid()))).string();
    fs::create_directories(dir);
    rec = dir + "/world.000";
    str = dir + "/world.001";
    if (!db.SaveDatabaseFiles(rec, str)) std::fprintf(stderr, "cannot save: %s\n", db.GetLastError().c_str());
  }
  ~World() { fs::remove_all(dir); }
};

World& TheWorld() {
  static World world;
  return world;
}

// The plain reads: open, size, allocate, read whole, close, for both files.
size_t ReadPlain(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  struct stat st;
  ::fstat(fd, &st);
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[st.st_size]);
  size_t done = 0;
  while (done < static_cast<size_t>(st.st_size)) {
    const ssize_t n = ::read(fd, buffer.get() + done, st.st_size - done);
    if (n <= 0) break;
    done += n;
  }
  ::close(fd);
  benchmark::DoNotOptimize(buffer.get());
  return done;
}

void WritePlain(const std::string& path, const uint8_t* data, size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  ::fsync(fd);
  ::close(fd);
}

template <class F>
double SecondsPerRun(F f, int runs) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

void BM_LoadWorldDatabase(benchmark::State& state) {
  World& w = TheWorld();
  const double bytes = static_cast<double>(fs::file_size(w.rec) + fs::file_size(w.str));
  CSceneryDatabase db;
  for (auto _ : state) {
    if (!db.LoadDatabaseFiles(w.rec, w.str)) state.SkipWithError(db.GetLastError().c_str());
  }
  const double load = SecondsPerRun([&] { db.LoadDatabaseFiles(w.rec, w.str); }, 10);
  const double read = SecondsPerRun([&] { ReadPlain(w.rec); ReadPlain(w.str); }, 10);
  state.counters["MB"] = bytes / 1e6;
  state.counters["load_ms"] = load * 1e3;
  state.counters["read_ms"] = read * 1e3;
  state.counters["load_per_read"] = load / read;
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_LoadWorldDatabase)->Unit(benchmark::kMillisecond);

void BM_SaveWorldDatabase(benchmark::State& state) {
  World& w = TheWorld();
  const std::string rec = w.dir + "/copy.000", str = w.dir + "/copy.001";
  for (auto _ : state) {
    if (!w.db.SaveDatabaseFiles(rec, str)) state.SkipWithError(w.db.GetLastError().c_str());
  }
  const auto recBytes = navdbtest::ReadFileBytes(w.rec), strBytes = navdbtest::ReadFileBytes(w.str);
  const double save = SecondsPerRun([&] { w.db.SaveDatabaseFiles(rec, str); }, 10);
  const double write = SecondsPerRun([&] {
    WritePlain(rec, recBytes.data(), recBytes.size());
    WritePlain(str, strBytes.data(), strBytes.size());
  }, 10);
  state.counters["save_ms"] = save * 1e3;
  state.counters["write_ms"] = write * 1e3;
  state.counters["save_per_write"] = save / write;
  state.SetBytesProcessed(static_cast<int64_t>(recBytes.size() + strBytes.size()) * state.iterations());
}
BENCHMARK(BM_SaveWorldDatabase)->Unit(benchmark::kMillisecond);

}  // namespace
