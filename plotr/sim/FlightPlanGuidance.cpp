#include "plotr/sim/FlightPlanGuidance.h"

#include <cfloat>
#include <cmath>
#include <mutex>

#include "navdb/Geodesy.h"
#include "platform/simapi/SimApi.h"
#include "platform/ui/Messages.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/sim/GuidanceMath.h"
#include "plotr/sim/SimBlock.h"

using namespace guidance;
using namespace simapi;

namespace {

// Level-off prediction needs this much altitude to go and this much ground speed.
constexpr double kMinLevelOffFeet = 30;
constexpr double kMinLevelOffGroundSpeed = 30;

}  // namespace

CFlightPlanGuidance::CFlightPlanGuidance(const PlanSimServices& services) : CFlightPlanSim(services) {
  m_previous.flyToLatitude = DBL_MAX;
  m_previous.flyToLongitude = DBL_MAX;
  m_lastVerticalStep = GetClock().TickCount();
}

CFlightPlanGuidance::GuidanceState CFlightPlanGuidance::CaptureGuidanceState() const {
  GuidanceState s;
  s.flags = m_guidanceFlags;
  s.flyPlanChangeCount = m_flyPlanChangeCount;
  s.currentRow = m_currentRow;
  s.flyToLatitude = m_flyToLatitude;
  s.flyToLongitude = m_flyToLongitude;
  s.levelOffValid = m_levelOffValid;
  s.levelOffLatitude = m_levelOffLatitude;
  s.levelOffLongitude = m_levelOffLongitude;
  s.levelOffCourse = m_levelOffCourse;
  return s;
}

int CFlightPlanGuidance::Send(uint32_t id, uint32_t value) { return Sim().SendSimEvent(id, value); }

int CFlightPlanGuidance::SendNumber(uint32_t id, double value) {
  uint32_t v;
  if (!EventValue(value, v)) return -1;
  return Send(id, v);
}

void CFlightPlanGuidance::OnTick(uint32_t tick) {
  CFlightPlanSim::OnTick(tick);
  if (IsMoving() || tick % 5 != 4) return;
  // Rows, route and records are shared with the map's drawing thread.
  DatabaseLease lease;
  ExecuteCommands();
  if (IsHoldingActive()) {
    FlyHolding();
  } else if (IsFlyToActive()) {
    FlyTo();
  } else if (IsFlyPlanActive()) {
    FlyFlightPlan();
  }
  m_levelOffValid = (LevelOffPointOnTrack() || LevelOffPointToTarget() || LevelOffPointOnPlan()) ? 1 : 0;
  const GuidanceState now = CaptureGuidanceState();
  if (((now.flags ^ m_previous.flags) & kGuidanceFlyingPlan) != 0 ||
      now.flyPlanChangeCount != m_previous.flyPlanChangeCount || now.currentRow != m_previous.currentRow) {
    if (ui::IMessageTarget* frame = Frame()) frame->Post({WM_APP_GUIDANCE_CHANGED, 0, 0});
  }
  m_previous = now;
}

bool CFlightPlanGuidance::StartSequence() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  if (sim.onGround) {
    const struct {
      bool engaged;
      uint32_t toggle;
    } modes[] = {{sim.headingHold, kEventHeadingHold},   {sim.altitudeHold, kEventAltitudeHold},
                 {sim.airspeedHold, kEventAirspeedHold}, {sim.machHold, kEventMachHold},
                 {sim.nav1Hold, kEventNav1Hold},         {sim.approachHold, kEventApproachHold},
                 {sim.backCourseHold, kEventBackCourseHold}};
    for (const auto& mode : modes)
      if (mode.engaged) Send(mode.toggle);
    if (sim.autopilotMaster) {
      Send(kEventAutopilotMaster);
      return false;
    }
  }
  StartFlyPlan(sim.flyPlanWaypoint);
  return true;
}

void CFlightPlanGuidance::ExecuteCommands() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  NamedVariableStorage& v = Sim().GetNamedStorage();
  const auto clearFlyTo = [&](int32_t& command) {
    command = 0;
    v.flyToLatitude = 0;
    v.flyToLongitude = 0;
  };
  const auto clearFlyPlan = [&](int32_t& command) {
    command = 0;
    v.flyPlanWaypoint = -1;
  };
  if (sim.flyToOn) {
    CFlightPlanCore::FlyTo(sim.flyToLatitude, sim.flyToLongitude);
    clearFlyTo(v.flyToOn);
  }
  if (sim.flyToOff) {
    ClearFlyTo();
    clearFlyTo(v.flyToOff);
  }
  if (sim.flyToToggle) {
    if (IsFlyToActive()) ClearFlyTo();
    else CFlightPlanCore::FlyTo(sim.flyToLatitude, sim.flyToLongitude);
    clearFlyTo(v.flyToToggle);
  }
  if (sim.flyPlanOn && StartSequence()) clearFlyPlan(v.flyPlanOn);
  if (sim.flyPlanOff) {
    StopFlyPlan();
    clearFlyPlan(v.flyPlanOff);
  }
  if (sim.flyPlanToggle) {
    if (IsFlyPlanActive()) {
      StopFlyPlan();
      clearFlyPlan(v.flyPlanToggle);
    } else if (StartSequence()) {
      clearFlyPlan(v.flyPlanToggle);
    }
  }
  if (sim.nextWaypoint) {
    NextWaypoint();
    v.nextWaypoint = 0;
  }
  if (sim.prevWaypoint) {
    PreviousWaypoint();
    v.prevWaypoint = 0;
  }
  if (sim.holdingOn) {
    if (sim.autopilotAvailable) StartHolding();
    v.holdingOn = 0;
  }
  if (sim.holdingOff) {
    ClearHoldingEntry();
    v.holdingOff = 0;
  }
  if (sim.holdingToggle) {
    if (IsHoldingEntry()) ClearHoldingEntry();
    else if (sim.autopilotAvailable) StartHolding();
    v.holdingToggle = 0;
  }
  CSettings& settings = GetSettings();
  if (sim.fmcMode1On) {
    settings.SetAvionicsAutoMode2(false);
    v.fmcMode1On = 0;
  }
  if (sim.fmcMode2On) {
    settings.SetAvionicsAutoMode2(true);
    v.fmcMode2On = 0;
  }
  if (sim.fmcModeToggle) {
    settings.SetAvionicsAutoMode2(!settings.GetAvionicsAutoMode2(false));
    v.fmcModeToggle = 0;
  }
}

// ---- Level-off point -------------------------------------------------------------------------

namespace {

// The distance to level off in metres, or a negative value when no point can be predicted.
double LevelOffDistance(const SimSnapshot& sim) {
  if (!sim.autopilotAvailable) return -1;
  const double dA = sim.selectedAltitude - sim.indicatedAltitude;
  const double v = sim.selectedVerticalSpeed;
  const double g = sim.groundSpeed;
  if (!(std::fabs(dA) >= kMinLevelOffFeet) || !(v != 0) || (v > 0 && dA < 0) || (v < 0 && dA > 0) ||
      !(g >= kMinLevelOffGroundSpeed))
    return -1;
  const double r = dA * g / v / 60 * kMetresPerNm;
  return std::isfinite(r) ? r : -1;
}

}  // namespace

bool CFlightPlanGuidance::LevelOffPointOnTrack() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  if (m_guidanceFlags != 0) return false;
  const double r = LevelOffDistance(sim);
  if (r < 0) return false;
  m_levelOffCourse = sim.track;
  DestinationPoint(m_levelOffLatitude, m_levelOffLongitude, sim.latitude, sim.longitude, sim.track, r);
  return true;
}

bool CFlightPlanGuidance::LevelOffPointToTarget() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  if (m_guidanceFlags != kGuidanceFlyTo) return false;
  const double r = LevelOffDistance(sim);
  if (r < 0) return false;
  m_levelOffCourse = InitialCourse(sim.latitude, sim.longitude, m_flyToLatitude, m_flyToLongitude);
  DestinationPoint(m_levelOffLatitude, m_levelOffLongitude, sim.latitude, sim.longitude, m_levelOffCourse, r);
  return true;
}

bool CFlightPlanGuidance::LevelOffPointOnPlan() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  if (m_guidanceFlags != kGuidanceFlyingPlan) return false;
  double r = LevelOffDistance(sim);
  if (r < 0) return false;
  const int count = static_cast<int>(m_rows.size());
  if (m_currentRow < 0 || m_currentRow >= count) return false;
  const auto row = [this](int i) -> const PlanRow& { return m_rows[static_cast<size_t>(i)]; };

  int previous = -1;
  if (row(m_currentRow).rowKind != kRowDestination) {
    for (int i = m_currentRow - 1; i >= 0; --i) {
      if (IsFlyable(row(i))) {
        previous = i;
        break;
      }
    }
  }
  for (int i = m_currentRow; i < count; ++i) {
    const PlanRow& R = row(i);
    if (R.rowKind == kRowBearing) continue;
    const bool destination = R.rowKind == kRowDestination;
    if (i == m_currentRow) {
      double c;
      const uint16_t kind = static_cast<uint16_t>(R.kind);
      const PlanPoint* point = GetRowPoint(i);
      const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
      const RunwayRecord* runway = point && kind == kKindRunway && destination ? db.GetRunway(point->ref.point) : nullptr;
      const IlsRecord* ils = point && kind == kKindIls ? db.GetIls(point->ref.point) : nullptr;
      if (runway) c = BinaryAngleToDegrees(runway->heading);
      else if (ils) c = BinaryAngleToDegrees(ils->course);
      else if (i > 0 && R.rowKind != kRowDeparture) c = TrueCourse(R);
      else c = InitialCourse(sim.latitude, sim.longitude, R.latitude, R.longitude);

      double xLat, xLon;
      if (GreatCircleIntersection(xLat, xLon, sim.latitude, sim.longitude, sim.track, R.latitude, R.longitude, c)) {
        const double a = GreatCircleDistance(sim.latitude, sim.longitude, xLat, xLon);
        const double b = GreatCircleDistance(xLat, xLon, R.latitude, R.longitude);
        if (r <= a + b || destination) {
          if (r > a) {
            m_levelOffCourse = c;
            DestinationPoint(m_levelOffLatitude, m_levelOffLongitude, xLat, xLon, c, r - a);
          } else {
            m_levelOffCourse = InitialCourse(sim.latitude, sim.longitude, xLat, xLon);
            DestinationPoint(m_levelOffLatitude, m_levelOffLongitude, sim.latitude, sim.longitude, m_levelOffCourse, r);
          }
          return true;
        }
        r -= a + b;
        previous = i;
        continue;
      }
      {
        const double m = GreatCircleDistance(sim.latitude, sim.longitude, R.latitude, R.longitude);
        if (r <= m || destination) {
          m_levelOffCourse = c;
          if (r > m) {
            DestinationPoint(m_levelOffLatitude, m_levelOffLongitude, R.latitude, R.longitude, c, r - m);
            return true;
          }
          if (previous >= 0) {
            const PlanRow& P = row(previous);
            const double w = std::max(GreatCircleDistance(P.latitude, P.longitude, R.latitude, R.longitude), 1e-10);
            const double e = (w - m + r) / w;
            if (e < 0) return false;
            PointAlongSegment(m_levelOffLatitude, m_levelOffLongitude, P.latitude, P.longitude, R.latitude,
                              R.longitude, e);
            return true;
          }
          DestinationPoint(m_levelOffLatitude, m_levelOffLongitude, R.latitude, R.longitude, Wrap360(c + 180), m - r);
          return true;
        }
        r -= m;
        previous = i;
        continue;
      }
    }
    const double m = R.legDistance * kMetresPerNm;
    if (r <= m || destination) {
      m_levelOffCourse = TrueCourse(R);
      if (r > m) {
        // Beyond the destination, on along its course.
        DestinationPoint(m_levelOffLatitude, m_levelOffLongitude, R.latitude, R.longitude, m_levelOffCourse, r - m);
      } else if (previous >= 0) {
        const PlanRow& P = row(previous);
        PointAlongSegment(m_levelOffLatitude, m_levelOffLongitude, P.latitude, P.longitude, R.latitude, R.longitude,
                          r / std::max(m, 1e-10));
      } else {
        m_levelOffLatitude = R.latitude;
        m_levelOffLongitude = R.longitude;
      }
      return true;
    }
    r -= m;
    previous = i;
  }
  return false;
}
