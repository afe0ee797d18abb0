// Scenery-set files come from the simulator's scenery folder and may be damaged or truncated.
#include <cstddef>
#include <cstdint>
#include <span>

#include "basemaker/app/VisFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto set = ParseVisSet(std::span<const uint8_t>(data, size));
  if (set) {
    // Touch every text so a sanitizer sees any byte taken from outside the input.
    size_t total = set->title.size() + set->description.size();
    for (const auto& area : set->areas) {
      total += area.title.size() + area.path.size() + area.cdLabel.size() + area.FormatPathValue().size();
    }
    volatile size_t sink = total;
    (void)sink;
  }
  return 0;
}
