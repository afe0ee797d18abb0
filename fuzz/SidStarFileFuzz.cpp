// Reads arbitrary bytes as a ".ss" file: the header, the end mark, both procedure lists and every
// line as a waypoint line. Whatever is read must write back to text that reads to the same
// record, no description may come back longer than its field, and a one-line value holds no
// control character and no blank at its ends.
#include "navdb/ProfileFile.h"
#include "plotr/tools/SidStarFile.h"
#include "fuzz/WorkFolder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string& InputPath() {
  static const std::string path = (fuzzsupport::WorkFolder("cw-fuzz-sidstar") / "input.ss").string();
  return path;
}

void CheckWaypoint(const CSidStarWaypoint& w) {
  const std::string line = WriteSidStarWaypoint(w);
  CSidStarWaypoint again;
  if (!ReadSidStarWaypoint(line, again) || WriteSidStarWaypoint(again) != line) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  CProfileFile file;
  if (!file.Load(InputPath())) std::abort();
  CSidStarAirport airport;
  if (ReadSidStarHeader(file, airport)) {
    if (airport.id.empty() || airport.id.size() > kSidStarIdSize || airport.authors.size() > kSidStarAuthorCount) {
      std::abort();
    }
    HasSidStarEnd(file, airport);
  }
  for (bool isStar : {false, true}) {
    for (const CSidStarProcedure& p : ReadSidStarProcedures(file, isStar)) {
      if (p.waypoints.size() < 2 || p.name.size() > kSidStarDescriptionSize || p.runway.size() > kSidStarRunwaySize) {
        std::abort();
      }
      for (const CSidStarWaypoint& w : p.waypoints) CheckWaypoint(w);
    }
  }
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    CSidStarWaypoint w;
    if (ReadSidStarWaypoint(text.substr(start, end - start), w)) CheckWaypoint(w);
    start = end + 1;
  }
  if (DecodeSidStarDescription(text).size() > kSidStarDescriptionSize) std::abort();
  if (EncodeSidStarDescription(text).find_first_of("\r\n") != std::string::npos) std::abort();
  // A one-line value comes back from the file exactly as it went in.
  const std::string value = SidStarValueText(text, kSidStarAuthorSize);
  if (value.size() > kSidStarAuthorSize || SidStarValueText(value) != value) std::abort();
  for (char c : value) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
  }
  SidStarChecksum(text);
  return 0;
}
