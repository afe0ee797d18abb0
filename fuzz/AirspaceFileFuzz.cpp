// AIRSPACE.txt reader over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "basemaker/compiler/AirspaceFileReader.h"
#include "basemaker/compiler/TextLineReader.h"
#include "navdb/SceneryDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSceneryDatabase db(4096);
  db.AddArea("fuzz", nullptr);
  CTextLineReader lines;
  lines.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
  ReadAirspaceLines(lines, NavTextFile{}, db, {});
  if (!db.Validate()) {
    std::abort();
  }
  return 0;
}
