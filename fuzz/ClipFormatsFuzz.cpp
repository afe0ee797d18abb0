// Dropped and pasted bytes through every reader of the private formats: no read outside the
// block, and what a reader accepts is consistent with the block's size.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plotr/views/ClipFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto points = clip::ReadPlanPoints(bytes); points && 4 + points->size() * sizeof(PlanPoint) > size && !points->empty())
    std::abort();
  if (const auto entries = clip::ReadComArray(bytes); entries && 4 + entries->size() * 6 > size && !entries->empty())
    std::abort();
  if (const auto ref = clip::ReadSidStar(bytes); ref && !ref->IsProcedure()) std::abort();
  if (const auto points = clip::ReadPlanPoints(bytes)) {
    for (const PlanPoint& p : *points) {
      if (!std::isfinite(p.ref.point.latitude) || !std::isfinite(p.ref.point.longitude)) std::abort();
    }
  }
  if (const auto point = clip::ReadFullPoint(bytes); point && !(std::fabs(point->point.latitude) <= 90)) std::abort();
  if (const auto f = clip::ReadFloat(bytes); f) {
    const auto valid = clip::IsValidComFrequency(*f);
    (void)valid;
  }
  return 0;
}
