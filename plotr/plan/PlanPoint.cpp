#include "plotr/plan/PlanPoint.h"

std::optional<PlanPoint> ReadPlanPoint(std::span<const uint8_t> bytes) {
  if (bytes.size() < sizeof(PlanPoint)) {
    return std::nullopt;
  }
  PlanPoint point;
  std::memcpy(&point, bytes.data(), sizeof point);
  point.userName[kUserNameSize - 1] = '\0';
  return point;
}

void ApplyPlanPointExtra(PlanPoint& point, std::span<const uint8_t, kPlanPointExtraSize> extra) {
  std::memcpy(reinterpret_cast<uint8_t*>(&point) + kPlanPointExtraOffset, extra.data(), kPlanPointExtraSize);
  point.userName[kUserNameSize - 1] = '\0';
}
