// ISEC.txt reader, and the coordinate syntax of exclude texts, over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "basemaker/compiler/IntersectionFileReader.h"
#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"
#include "navdb/SceneryDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CSceneryDatabase db(4096);
  db.AddArea("fuzz", nullptr);
  CTextLineReader lines;
  lines.OpenMemory(bytes);
  ReadIntersectionLines(lines, NavTextFile{}, db, {});
  if (!db.Validate()) {
    std::abort();
  }

  const std::string text(bytes.substr(0, 256));
  for (int mode = 0; mode < 4; ++mode) {
    float value = 0;
    const int result = ParseCoordinate(value, text.c_str(), mode & 1, mode & 2);
    if (result < -1 || result > static_cast<int>(text.size())) {
      std::abort();
    }
    if (result == -1 && !(value >= -180.0f && value <= 180.0f)) {
      std::abort();
    }
  }
  return 0;
}
