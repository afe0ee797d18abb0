// ICAO.txt airport list over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "basemaker/compiler/AirportList.h"
#include "basemaker/compiler/TextLineReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CTextLineReader lines;
  lines.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
  CAirportList list;
  list.ReadFrom(lines);
  for (const AirportListEntry& e : list) {
    if (std::strlen(e.ident) > 5 || std::strlen(e.name) > 30 || e.point != -1) {
      std::abort();
    }
  }
  return 0;
}
