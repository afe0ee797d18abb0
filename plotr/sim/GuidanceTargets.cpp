#include <algorithm>
#include <cmath>

#include "navdb/Geodesy.h"
#include "platform/simapi/SimApi.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/sim/FlightPlanGuidance.h"
#include "plotr/sim/GuidanceMath.h"
#include "plotr/sim/SimBlock.h"

using namespace guidance;
using namespace simapi;

namespace {

// Automation settings: 0 full (targets and modes), 1 half (targets only), 2 manual.
constexpr int kAutoFull = 0;
constexpr int kAutoHalf = 1;

constexpr double kAltitudeDeadband = 1;
constexpr double kVerticalSpeedDeadband = 1;
constexpr double kAirspeedDeadband = 1;
// Mach numbers a hundredth apart can lie a little closer than that in binary (0.57 - 0.56), and
// such a target would never be sent.
constexpr double kMachDeadband = 0.01 - 1e-9;
// Vertical speed changes in steps of this size, one per this many milliseconds of simulated time,
// and not at all this close to the target altitude.
constexpr double kVerticalStep = 100;
constexpr double kVerticalStepMs = 2000;
constexpr double kVerticalStepQuietFeet = 300;
// Below this share of the profile's descent speed the host is told to hurry.
constexpr double kSlowShare = 0.7;
constexpr uint32_t kSlowValue = static_cast<uint32_t>(-1000);
// Modes are switched on only above this true airspeed on the newer hosts.
constexpr double kEngageAirspeed = 50;
// Legs within this angle count as one straight line for the radio choice.
constexpr double kAlignedAngle = 5;

bool IsVorOrIls(const PlanRow& r) {
  return !r.IsPseudo() && ((r.kind & 0xFFFC) == kKindVor || r.kind == kKindIls);
}
bool IsNdb(const PlanRow& r) { return !r.IsPseudo() && (r.kind & 0xFFFC) == kKindNdb; }


}  // namespace

void CFlightPlanGuidance::SetAutopilotTargets(double h, double a, double v, double s, double m, bool continueFlight) {
  const SimSnapshot& sim = Sim().GetSnapshot();
  CSettings& settings = GetSettings();
  const int version = settings.GetSimVer();
  const int autoHeading = settings.GetAutoHeading();
  const int autoAltitude = settings.GetAutoAltitude();
  const int autoSpeed = settings.GetAutoSpeed();

  if ((autoHeading == kAutoFull || autoHeading == kAutoHalf) && Folded(sim.selectedHeading, h) >= kHeadingDeadband)
    SendNumber(kEventSelectHeading, h);

  if (autoAltitude == kAutoFull || autoAltitude == kAutoHalf) {
    if (std::fabs(sim.selectedAltitude - a) >= kAltitudeDeadband) {
      if (version <= 70) {
        uint32_t fixed;
        if (EventValue(a / kFeetPerMetre * 65536, fixed))
          Sim().WriteSimGlobal(version <= 61 ? kGlobalApAltitude61 : kGlobalApAltitude70, 4, &fixed);
      } else {
        SendNumber(kEventSelectAltitude, a);
        Send(kEventAltitudeFollow1);
        Send(kEventAltitudeFollow2);
        SendNumber(kEventSelectVerticalSpeed, sim.selectedVerticalSpeed);
      }
    }
    if (std::fabs(sim.selectedVerticalSpeed - v) >= kVerticalSpeedDeadband) {
      if (version >= 80 && !sim.onGround && continueFlight) {
        const double rate = sim.simulationRate;
        // A rate that is not a positive number gives no step time: no step.
        if (std::fabs(sim.indicatedAltitude - a) > kVerticalStepQuietFeet && std::isfinite(rate) && rate > 0) {
          const double interval = std::min(kVerticalStepMs / rate, 4.0e9);
          const uint32_t now = GetClock().TickCount();
          if (win::TicksBetween(m_lastVerticalStep, now) >= static_cast<uint32_t>(interval)) {
            m_lastVerticalStep = now;
            SendNumber(kEventSelectVerticalSpeed,
                       sim.selectedVerticalSpeed + (v > sim.selectedVerticalSpeed ? kVerticalStep : -kVerticalStep));
          }
        }
      } else {
        SendNumber(kEventSelectVerticalSpeed, v);
      }
    }
    const CRoute* route = GetCurrent();
    if (sim.autopilotMaster && route && sim.indicatedAirspeed < kSlowShare * route->m_profile.descentSpeed)
      Send(kEventDescentSpeedLow, kSlowValue);
  }

  if (autoSpeed == kAutoFull || autoSpeed == kAutoHalf) {
    if (!sim.machHold && std::fabs(sim.selectedAirspeed - s) >= kAirspeedDeadband) SendNumber(kEventSelectAirspeed, s);
    if (!sim.airspeedHold && std::fabs(sim.selectedMach - m) >= kMachDeadband)
      SendNumber(kEventSelectMach, MachHundredths(m));
  }
}

void CFlightPlanGuidance::EngageAutopilotModes() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  if (!sim.autopilotMaster) return;
  CSettings& settings = GetSettings();
  const bool mayEngage = settings.GetSimVer() <= 61 || sim.trueAirspeed > kEngageAirspeed;
  if (settings.GetAutoHeading() == kAutoFull) {
    if (sim.navSource) Send(kEventNavSourceOff);
    if (sim.nav1Hold) Send(kEventNav1Hold);
    if (!sim.headingHold && mayEngage) Send(kEventHeadingHold);
  }
  if (settings.GetAutoAltitude() == kAutoFull && !sim.altitudeHold && mayEngage) Send(kEventAltitudeHold);
  const CRoute* route = GetCurrent();
  if (settings.GetAutoSpeed() == kAutoFull && route && !route->m_profile.WithoutAsh()) {
    if (!sim.autothrottleArmed && mayEngage) Send(kEventAutothrottleArm);
    if (!sim.airspeedHold && mayEngage) Send(kEventAirspeedHold);
  }
}

CFlightPlanGuidance::RadioChoice CFlightPlanGuidance::ChooseRadios(int s) const {
  RadioChoice out;
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const int count = static_cast<int>(m_rows.size());
  const auto row = [this](int i) -> const PlanRow& { return m_rows[static_cast<size_t>(i)]; };
  const auto tc = [&](int i) { return TrueCourse(row(i)); };
  const auto aligned = [&](int i, double c) {
    return Folded(tc(i), c) <= kAlignedAngle || Folded(tc(i), Wrap360(c + 180)) <= kAlignedAngle;
  };
  const bool backCourses = g_Settings.GetMapBcIls(false);
  const auto ilsRunway = [&](int i) {
    const PlanRow& r = row(i);
    if (r.IsPseudo() || r.kind != kKindRunway || r.rowKind != kRowDestination) return false;
    const PlanPoint* point = GetRowPoint(i);
    const RunwayRecord* runway = point ? db.GetRunway(point->ref.point) : nullptr;
    const IlsRecord* ils = runway ? RunwayIls(db, *runway) : nullptr;
    return ils != nullptr && (backCourses || ils->glideSlope >= 0);
  };
  // Every walk ends after the last row and at a later departure.
  const auto ends = [&](int i) { return i > s && row(i).rowKind == kRowDeparture; };

  // 1: an ILS runway at the end of straight legs from the current row.
  for (int i = std::max(s, 0), t = -1; i < count && !ends(i); ++i) {
    if (row(i).rowKind == kRowBearing) continue;
    if (t >= 0 && Folded(tc(i), tc(t)) > kAlignedAngle) break;
    if (ilsRunway(i)) {
      out.nav1 = out.course1 = i;
      break;
    }
    t = i;
  }

  // 2 to 4: the navaid that the line through the current leg comes from.
  const auto walkFromStart = [&](bool withBearings, bool (*isNavaid)(const PlanRow&), int& navaid, int& courseRow) {
    for (int i = 0, t = -1; i < count && !ends(i); ++i) {
      const PlanRow& r = row(i);
      bool f = false;
      if (r.rowKind == kRowBearing) {
        if (!withBearings || (i > 0 && row(i - 1).rowKind == kRowBearing)) continue;
        f = true;
      }
      if (!f && t >= 0 && Folded(tc(i), tc(t)) > kAlignedAngle) f = true;
      if (!f && navaid >= 0) {
        const PlanRow& n = row(navaid);
        const double line = withBearings && n.rowKind == kRowBearing
                                ? tc(navaid)
                                : InitialCourse(n.latitude, n.longitude, r.latitude, r.longitude);
        f = !aligned(i, line);
      }
      if (f && withBearings && i > s) break;
      if (f) navaid = courseRow = -1;
      if (isNavaid(r)) {
        t = -1;
        navaid = i;
        courseRow = s >= 0 && s < count ? s : -1;
        if (i >= s) break;
      } else if (i > 0) {
        t = i;
      }
    }
  };
  if (out.nav1 < 0) walkFromStart(false, IsVorOrIls, out.nav1, out.course1);
  if (out.nav1 < 0) walkFromStart(true, IsVorOrIls, out.nav1, out.course1);
  int adfCourse = -1;
  walkFromStart(true, IsNdb, out.adf, adfCourse);

  // 5: the next navaids from the current row on, and the rows whose legs set their courses.
  for (int i = std::max(s, 0); i < count && !ends(i); ++i) {
    const PlanRow& r = row(i);
    // The navaid NAV1 already holds is not tuned on NAV2 as well.
    if ((IsVorOrIls(r) || ilsRunway(i)) && i != out.nav1) {
      if (out.nav1 < 0) out.nav1 = i;
      else if (out.nav2 < 0) out.nav2 = i;
    }
    if (IsNdb(r) && out.adf < 0) out.adf = i;
    if (r.rowKind == kRowBearing || i == s) continue;
    const auto courseFor = [&](int navaid, int& courseRow) {
      courseRow = (navaid != s && !aligned(i, tc(navaid))) ? navaid : i;
    };
    if (out.nav1 >= 0 && out.course1 < 0) courseFor(out.nav1, out.course1);
    else if (out.nav2 >= 0 && out.course2 < 0) courseFor(out.nav2, out.course2);
  }
  return out;
}

void CFlightPlanGuidance::TuneNav(int radio, int navRow, int courseRow) {
  const int setting = radio == 1 ? GetSettings().GetAutoNav1() : GetSettings().GetAutoNav2();
  if (navRow < 0 || (setting != kAutoFull && setting != kAutoHalf)) return;
  const PlanPoint* point = GetRowPoint(navRow);
  if (point == nullptr) return;
  const uint16_t kind = point->ref.point.Kind();
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  double frequency = 0;
  double declination = 0;
  const IlsRecord* ils = nullptr;
  if (kind == kKindVor) {
    const VorRecord* vor = db.GetVor(point->ref.point);
    if (vor == nullptr) return;
    frequency = vor->frequency;
    declination = BinaryAngleToDegrees(vor->declination);
  } else if (kind == kKindIls) {
    ils = db.GetIls(point->ref.point);
  } else if (kind == kKindRunway) {
    const RunwayRecord* runway = db.GetRunway(point->ref.point);
    ils = runway ? RunwayIls(db, *runway) : nullptr;
  }
  if (ils) frequency = ils->frequency;
  TuneNavFrequency(radio, frequency);

  if (setting != kAutoFull || courseRow < 0) return;
  const PlanRow& K = m_rows[static_cast<size_t>(courseRow)];
  const PlanPoint* coursePoint = GetRowPoint(courseRow);
  const uint16_t courseKind = coursePoint ? coursePoint->ref.point.Kind() : 0;
  double course;
  const IlsRecord* courseIls = courseKind == kKindIls ? db.GetIls(coursePoint->ref.point) : nullptr;
  const RunwayRecord* courseRunway =
      courseKind == kKindRunway && K.rowKind == kRowDestination ? db.GetRunway(coursePoint->ref.point) : nullptr;
  if (courseIls) {
    course = BinaryAngleToDegrees(courseIls->course) + K.variation;
  } else if (courseRunway && RunwayIls(db, *courseRunway)) {
    course = BinaryAngleToDegrees(courseRunway->heading) + K.variation;
  } else if (kind == kKindVor) {
    course = TrueCourse(K) + declination;
  } else {
    // A localizer has no declination of its own: the leg's magnetic course.
    course = K.course;
  }
  course = Wrap360(course + 360);
  SendNumber(radio == 1 ? kEventNav1Course : kEventNav2Course, std::fmod(course, 360.0) + 0.5);
}

void CFlightPlanGuidance::TuneNavFrequency(int radio, double frequency) {
  // The event carries 100.00 to 199.99 MHz; anything else is a damaged record.
  if (!(frequency >= 100.0 && frequency < 200.0)) return;
  const auto hundredths = static_cast<uint32_t>(std::floor(frequency * 100 + 0.5)) - 10000;
  Send(radio == 1 ? kEventNav1 : kEventNav2, EncodeBcdFrequency(std::min(hundredths, 9999u)) & 0xFFFF);
}

void CFlightPlanGuidance::TuneAdf(float frequency) {
  // The events carry 100.0 to 1999.9 kHz; digits come from the rounded tenths, never from the
  // float, which may lie just below the value it stands for.
  if (!(frequency >= 100.0f && frequency < 2000.0f)) return;
  const auto tenths = static_cast<uint32_t>(std::floor(static_cast<double>(frequency) * 10 + 0.5));
  if (GetSettings().GetSimVer() < 80) {
    const uint32_t b = EncodeBcdFrequency(tenths);
    Send(kEventAdfExtra, (b & 0xF) | ((b >> 8) & 0xF00));
    Send(kEventAdf, (b >> 4) & 0xFFF);
    return;
  }
  Send(kEventAdfReset);
  const int hundreds = static_cast<int>(tenths / 1000);
  for (int h = 10; h > hundreds; --h) Send(kEventAdfHundredsDown);
  for (int h = 10; h < hundreds; ++h) Send(kEventAdfHundredsUp);
  for (uint32_t i = 0; i < tenths / 100 % 10; ++i) Send(kEventAdfTensUp);
  for (uint32_t i = 0; i < tenths / 10 % 10; ++i) Send(kEventAdfUnitsUp);
  for (uint32_t i = 0; i < tenths % 10; ++i) Send(kEventAdfTenthsUp);
}

void CFlightPlanGuidance::TuneRadios(int s) {
  if (s < 0 || s >= static_cast<int>(m_rows.size())) return;
  const RadioChoice c = ChooseRadios(s);
  TuneNav(1, c.nav1, c.course1);
  TuneNav(2, c.nav2, c.course2);
  if (c.adf >= 0 && GetSettings().GetAutoAdf() == kAutoFull) {
    const PlanPoint* point = GetRowPoint(c.adf);
    const NdbRecord* ndb = point ? DatabaseLease::HeldDatabase().GetNdb(point->ref.point) : nullptr;
    if (ndb) TuneAdf(ndb->frequency);
  }
}
