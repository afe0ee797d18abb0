#include <algorithm>
#include <cmath>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/FlightPlanCore.h"

namespace {

// Beyond this angle between the course to the nearest row and the leg after it, the aircraft
// has passed that row.
constexpr double kPassedAngle = 120.0;

class NullSimLink : public IPlanSimLink {
 public:
  const SimSnapshot& Snapshot() const override { return m_snapshot; }
  void PlayCue(int) override {}

 private:
  SimSnapshot m_snapshot{};
};

double FoldedDifference(double a, double b) {
  double d = std::fabs(a - b);
  if (d > 180) d = std::fabs(360 - d);
  return d;
}

bool IsFlownRow(const PlanRow& row) { return row.rowKind != kRowBearing && row.pointIndex >= 0; }

}  // namespace

IPlanSimLink& NoSimLink() {
  static NullSimLink link;
  return link;
}

void CFlightPlanCore::SetSimLink(IPlanSimLink* link) { m_simLink = link != nullptr ? link : &NoSimLink(); }

void CFlightPlanCore::FlyTo(double latitude, double longitude) {
  const SimSnapshot& sim = SimLink().Snapshot();
  // Written as "inside" tests so that a NaN from a gauge is refused too.
  if (!sim.autopilotAvailable || sim.onGround || !(latitude >= -90 && latitude <= 90) ||
      !(longitude >= -180 && longitude <= 180))
    return;
  StopFlyPlan();
  StopHolding();
  m_guidanceFlags |= kGuidanceFlyTo;
  m_flyToLatitude = latitude;
  m_flyToLongitude = longitude;
}

void CFlightPlanCore::ClearFlyTo() { m_guidanceFlags &= ~kGuidanceFlyTo; }

bool CFlightPlanCore::IsFlyToActive() const { return (m_guidanceFlags & kGuidanceFlyTo) != 0; }

void CFlightPlanCore::StartFlyPlan(int firstRow) {
  const SimSnapshot& sim = SimLink().Snapshot();
  if (!sim.autopilotAvailable) return;
  const int count = static_cast<int>(m_rows.size());
  int start = -1;
  if (firstRow < 0) {
    double best = 0;
    for (int i = 0; i < count; ++i) {
      const PlanRow& row = m_rows[static_cast<size_t>(i)];
      if (row.rowKind == kRowBearing || (sim.onGround && row.rowKind == kRowDestination)) continue;
      const double d = GreatCircleDistance(sim.latitude, sim.longitude, row.latitude, row.longitude);
      if (start < 0 || d < best) {
        start = i;
        best = d;
      }
    }
    if (start < 0) return;
    for (int next = start + 1; next < count; ++next) {
      const PlanRow& row = m_rows[static_cast<size_t>(next)];
      if (row.rowKind == kRowBearing) continue;
      const PlanRow& nearest = m_rows[static_cast<size_t>(start)];
      const double toNearest = InitialCourse(sim.latitude, sim.longitude, nearest.latitude, nearest.longitude);
      const double leg = std::fmod(row.course - row.variation + 360, 360);
      if (FoldedDifference(toNearest, leg) > kPassedAngle) start = next;
      break;
    }
  } else {
    start = firstRow;
    while (start >= 0 && start < count && m_rows[static_cast<size_t>(start)].rowKind == kRowBearing) --start;
    if (start < 0 || start >= count) return;
  }
  if (!IsFlyPlanActive() && g_Settings.GetUseSound(false)) SimLink().PlayCue(kCueFlyPlanOn);
  ClearFlyTo();
  m_guidanceFlags |= kGuidanceFlyingPlan;
  m_flyPlanChangeCount = GetChangeCount();
  m_currentRow = start;
}

void CFlightPlanCore::StopFlyPlan() {
  if (IsFlyPlanActive() && g_Settings.GetUseSound(false)) SimLink().PlayCue(kCueFlyPlanOff);
  m_guidanceFlags &= ~kGuidanceFlyingPlan;
}

bool CFlightPlanCore::IsFlyPlanActive() const { return (m_guidanceFlags & kGuidanceFlyingPlan) != 0; }

bool CFlightPlanCore::PreviousWaypoint() {
  const int count = static_cast<int>(m_rows.size());
  if (IsFlyPlanActive() && m_currentRow >= 0 && m_currentRow < count &&
      m_rows[static_cast<size_t>(m_currentRow)].rowKind == kRowDeparture)
    return false;
  if (m_currentRow <= 0) return false;
  for (int i = std::min(m_currentRow, count) - 1; i >= 0; --i) {
    if (IsFlownRow(m_rows[static_cast<size_t>(i)])) {
      m_currentRow = i;
      return true;
    }
  }
  return false;
}

bool CFlightPlanCore::NextWaypoint() {
  const int count = static_cast<int>(m_rows.size());
  if (IsFlyPlanActive() && m_currentRow >= 0 && m_currentRow < count &&
      m_rows[static_cast<size_t>(m_currentRow)].rowKind == kRowDestination)
    return false;
  if (m_currentRow >= count) return false;
  for (int i = m_currentRow < 0 ? 0 : m_currentRow + 1; i < count; ++i) {
    if (IsFlownRow(m_rows[static_cast<size_t>(i)])) {
      m_currentRow = i;
      return true;
    }
  }
  return false;
}

void CFlightPlanCore::StartHolding() {
  if (!SimLink().Snapshot().autopilotAvailable || !m_holding.defined) return;
  ClearFlyTo();
  m_guidanceFlags |= kGuidanceHoldingRequested | kGuidanceHolding;
}

void CFlightPlanCore::ClearHoldingEntry() { m_guidanceFlags &= ~kGuidanceHoldingRequested; }

void CFlightPlanCore::StopHolding() { m_guidanceFlags &= ~(kGuidanceHoldingRequested | kGuidanceHolding); }

bool CFlightPlanCore::IsHoldingEntry() const { return (m_guidanceFlags & kGuidanceHoldingRequested) != 0; }

bool CFlightPlanCore::IsHoldingActive() const {
  return (m_guidanceFlags & (kGuidanceHoldingRequested | kGuidanceHolding)) != 0;
}
