// Parse throughput of a large synthetic section-format file, in MB/s and as a multiple of the
// time it takes only to read the same bytes from a (cached) file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "basemaker/compiler/BglImage.h"
#include "basemaker/compiler/SectionBgl.h"
#include "basemaker/compiler/SectionBglParser.h"
#include "basemaker/compiler/tests/support/SectionBglWriter.h"
#include "navdb/SceneryDatabase.h"

namespace {

using namespace testbgl;

// About 20 MB: airports with runways, frequencies, parking and taxi lines, and navaids.
const std::vector<uint8_t>& LargeFile() {
  static const std::vector<uint8_t> image = [] {
    SectionBglWriter w;
    std::vector<std::string> lists[5];
    std::vector<NameListEntry> entries;
    for (int i = 0; i < 2000; ++i) {
      lists[4].push_back("Airport " + std::to_string(i));
      entries.push_back({"A" + std::to_string(i), 0, 0, 0, 0, static_cast<uint32_t>(i)});
    }
    lists[0] = {"Region"};
    lists[1] = {"Country"};
    lists[2] = {"State"};
    lists[3] = {"City"};
    w.Add(kBglSectionNameList, NameList(lists, entries));
    std::vector<std::pair<double, double>> points;
    std::vector<std::pair<int, int>> paths;
    for (int p = 0; p < 200; ++p) {
      points.push_back({p * 0.0001, (p % 7) * 0.0001});
      if (p > 0) paths.push_back({p - 1, p});
    }
    for (int i = 0; i < 3000; ++i) {
      const double lat = -60 + (i % 120);
      const double lon = -170 + (i / 120) * 3.4;
      std::vector<std::pair<double, double>> here;
      for (const auto& [a, b] : points) here.push_back({lat + a, lon + b});
      Record parking(27, 8);
      parking.U16(6, 40);
      for (int k = 0; k < 40; ++k) {
        parking.U32(8 + k * 20, 3u | (10u << 8) | (static_cast<uint32_t>(k) << 12))
            .F32(16 + k * 20, 90.0f).Lon(20 + k * 20, lon).Lat(24 + k * 20, lat);
      }
      Record airport = Airport(lat, lon, 100, "A" + std::to_string(i % 2000));
      for (int r = 0; r < 3; ++r) airport.Sub(Runway(lat, lon, 1500 + r * 500, 45, r * 60.0, 9, 1, 27, 2));
      for (int f = 1; f <= 6; ++f) airport.Sub(Frequency(static_cast<uint16_t>(f), 118 + f * 0.5));
      airport.Sub(parking).Sub(TaxiPoints(here)).Sub(TaxiPaths(paths));
      w.Add(kBglSectionAirport, airport);
      w.Add(kBglSectionVorIls, Vor(lat + 0.1, lon, 112.3, "V" + std::to_string(i % 1000)));
      w.Add(kBglSectionNdb, Ndb(lat + 0.2, lon, 350, "N" + std::to_string(i % 1000)));
      w.Add(kBglSectionMarker, Marker(lat + 0.3, lon, 0, 64));
    }
    return w.Build();
  }();
  return image;
}

const std::string& LargeFilePath() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "cw_bench_section.bgl").string();
    const auto& image = LargeFile();
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return p;
  }();
  return path;
}

std::vector<uint8_t> ReadWhole(const std::string& path) {
  std::vector<uint8_t> bytes(std::filesystem::file_size(path));
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(n);
  }
  return bytes;
}

void ParseOnce(const std::vector<uint8_t>& image) {
  CSceneryDatabase db;
  db.AddArea("bench", nullptr);
  db.m_files.Add(BglFileRecord{}, &db.m_areas[0].fileEnd);
  ParseSectionBglImage(db, image.data(), image.size());
  benchmark::DoNotOptimize(db.m_airports.GetSize());
}

void BM_ReadSectionFileBytes(benchmark::State& state) {
  const std::string& path = LargeFilePath();
  for (auto _ : state) {
    std::vector<uint8_t> bytes = ReadWhole(path);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * LargeFile().size()));
}
BENCHMARK(BM_ReadSectionFileBytes)->Unit(benchmark::kMillisecond);

void BM_ParseSectionFile(benchmark::State& state) {
  const std::string& path = LargeFilePath();
  // The reference: reading the bytes alone, timed here so the ratio compares like with like.
  using Clock = std::chrono::steady_clock;
  constexpr int kReads = 5;
  const auto readStart = Clock::now();
  for (int i = 0; i < kReads; ++i) benchmark::DoNotOptimize(ReadWhole(path).data());
  const double readSeconds = std::chrono::duration<double>(Clock::now() - readStart).count() / kReads;

  const std::vector<uint8_t> image = ReadWhole(path);
  double parseSeconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    ParseOnce(image);
    parseSeconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
  state.counters["MB"] = static_cast<double>(image.size()) / 1e6;
  state.counters["x_read_time"] = parseSeconds / static_cast<double>(state.iterations()) / readSeconds;
}
BENCHMARK(BM_ParseSectionFile)->Unit(benchmark::kMillisecond);

}  // namespace
