#include "plotr/sim/FlightPlanStatus.h"

#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>

#include "navdb/Geodesy.h"
#include "platform/win/CLocale.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/sim/GuidanceMath.h"
#include "plotr/sim/SimBlock.h"

using namespace guidance;

namespace {

// Below this ground speed no time or arrival is published.
constexpr double kMinTimedGroundSpeed = 40;
// Names in the rows are cut to this length.
constexpr size_t kMaxNameLength = kFmsNameSize - 1;
// Beyond this many minutes a time is no arrival worth a clock.
constexpr double kMaxClockMinutes = 366.0 * 24 * 60;
constexpr double kMinDeviationMetres = 1;
constexpr double kDeviationLimitNm = 5;

template <size_t N>
void CopyText(char (&out)[N], std::string_view text) {
  const size_t n = std::min(text.size(), N - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

template <size_t N, typename... Args>
void FormatText(char (&out)[N], const char* format, Args... args) {
  // snprintf cuts and terminates within the field; gauges read a decimal point.
  win::CLocaleScope c;
  std::snprintf(out, N, format, args...);
}

std::string_view PoolText(const CSceneryDatabase& db, int32_t offset) {
  const char* text = offset >= 0 ? db.GetString(offset) : nullptr;
  return text ? std::string_view(text) : std::string_view();
}

double SignedAngle(double a) {
  a = std::fmod(a, 360.0);
  if (a > 180) a -= 360;
  if (a <= -180) a += 360;
  return a;
}

// A navaid's frequency as text (never longer than its field) and as a number.
void SetFrequency(FmsRow& out, const char* format, float frequency) {
  if (!std::isfinite(frequency)) return;
  FormatText(out.frequencyText, format, frequency);
  out.frequency = frequency;
}

}  // namespace

bool AddMinutesToClock(uint8_t& hour, uint8_t& minute, uint8_t& second, double minutes) {
  if (!std::isfinite(minutes) || minutes < 0 || minutes > kMaxClockMinutes) return false;
  const auto t = static_cast<int64_t>(minutes * 60) % 60 + second;
  second = static_cast<uint8_t>(t % 60);
  const auto u = static_cast<int64_t>(minutes) % 60 + minute + t / 60;
  minute = static_cast<uint8_t>(u % 60);
  hour = static_cast<uint8_t>((hour + static_cast<int64_t>(minutes / 60) % 24 + u / 60) % 24);
  return true;
}

CFlightPlanStatus::CFlightPlanStatus(const PlanSimServices& services) : CFlightPlanGuidance(services) {}

void CFlightPlanStatus::OnTick(uint32_t tick) {
  CFlightPlanGuidance::OnTick(tick);
  if (tick % 5 != 0) return;
  DatabaseLease lease;
  Publish();
}

void CFlightPlanStatus::FillRowTexts(FmsRow& out, int index) const {
  const PlanRow& row = m_rows[static_cast<size_t>(index)];
  const PlanPoint* point = GetRowPoint(index);
  if (point == nullptr || row.IsPseudo()) return;
  const NavPoint& key = point->ref.point;
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const std::string_view rowName(row.airportName, strnlen(row.airportName, sizeof row.airportName));
  const bool backCourses = g_Settings.GetMapBcIls(false);
  const auto ilsMarks = [](const IlsRecord& ils, const char*& gs, const char*& dme) {
    gs = ils.glideSlope > 0 ? "/GS" : ils.glideSlope < 0 ? "/BC" : "";
    dme = (ils.flags & 1) != 0 ? "/DME" : "";
  };
  char name[256] = {};
  switch (key.Kind()) {
    case kKindNdb:
      if (const NdbRecord* r = db.GetNdb(key)) {
        CopyText(name, PoolText(db, r->nameText));
        CopyText(out.kind, "NDB");
        CopyText(out.ident, r->Ident());
        SetFrequency(out, "%5.1f", r->frequency);
      }
      break;
    case kKindVor:
      if (const VorRecord* r = db.GetVor(key)) {
        CopyText(name, PoolText(db, r->nameText));
        const uint8_t f = r->flags;
        CopyText(out.kind, VorKindText(f));
        CopyText(out.ident, r->Ident());
        SetFrequency(out, "%6.2f", r->frequency);
      }
      break;
    case kKindIls:
      if (const IlsRecord* r = db.GetIls(key)) {
        const char *gs, *dme;
        ilsMarks(*r, gs, dme);
        const std::string n(rowName);
        if (n.empty()) std::snprintf(name, sizeof name, "ILS%s%s", gs, dme);
        else std::snprintf(name, sizeof name, "%s - ILS%s%s", n.c_str(), gs, dme);
        CopyText(out.kind, "ILS");
        CopyText(out.ident, r->Ident());
        SetFrequency(out, "%6.2f", r->frequency);
      }
      break;
    case kKindAirport:
      if (const AirportRecord* r = db.GetAirport(key)) {
        CopyText(name, PoolText(db, r->nameText));
        CopyText(out.kind, "Airport");
        CopyText(out.ident, r->Ident());
      }
      break;
    case kKindRunway:
      if (const RunwayRecord* r = db.GetRunway(key)) {
        const std::string n(rowName);
        const IlsRecord* ils = nullptr;
        if (r->HasIls() && r->IlsIndex() >= 0 && r->IlsIndex() < db.m_ils.GetSize())
          ils = db.GetIls(db.m_ils[r->IlsIndex()]);
        if (ils && (ils->glideSlope >= 0 || backCourses)) {
          const char *gs, *dme;
          ilsMarks(*ils, gs, dme);
          const std::string ident(ils->Ident());
          if (n.empty()) std::snprintf(name, sizeof name, "ILS%s%s: %s", gs, dme, ident.c_str());
          else std::snprintf(name, sizeof name, "%s - ILS%s%s: %s", n.c_str(), gs, dme, ident.c_str());
          SetFrequency(out, "%6.2f", ils->frequency);
        } else if (n.empty()) {
          CopyText(name, "Runway");
        } else {
          std::snprintf(name, sizeof name, "%s - Rwy", n.c_str());
        }
        CopyText(out.kind, "Rwy");
        CopyText(out.ident, r->Designator());
      }
      break;
    case kKindIntersection:
      if (const IntersectionRecord* r = db.GetIntersection(key)) {
        CopyText(name, r->Ident());
        CopyText(out.kind, "ISEC");
        CopyText(out.ident, r->Ident());
      }
      break;
    case kKindUserPoint: {
      FixName fix{};
      const CRoute* route = GetCurrent();
      if (route) route->LookupUserFixName(point->FixId(), fix);
      const std::string_view text = FixNameText(fix);
      if (text.substr(0, 3) == "Fix") {
        const std::string lat = FormatLatLon(row.latitude, true, true, true);
        const std::string lon = FormatLatLon(row.longitude, false, true, true);
        std::snprintf(name, sizeof name, "%s, %s", lat.c_str(), lon.c_str());
      } else {
        CopyText(name, text);
      }
      CopyText(out.kind, "Fix");
      CopyText(out.ident, text);
      break;
    }
    default:
      break;
  }
  CopyText(out.name, std::string_view(name, strnlen(name, kMaxNameLength)));
}

void CFlightPlanStatus::Publish() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  NamedVariableStorage& v = Sim().GetNamedStorage();
  const CRoute* route = GetCurrent();

  v.fmcMode2 = GetSettings().GetAvionicsAutoMode2(false) ? 1 : 0;
  v.flyToPossible = sim.autopilotAvailable && !sim.onGround;
  v.flyTo = IsFlyToActive();
  v.flyPlanPossible = sim.autopilotAvailable && route && route->GetCount() >= 1;
  v.flyPlan = IsFlyPlanActive();
  v.holdingPossible = sim.autopilotAvailable && m_holding.defined;
  v.holdingState = (IsHoldingActive() ? 1 : 0) | (IsHoldingEntry() ? 2 : 0);

  FmsData data{};
  FmsRow rows[3]{};
  HsiData hsi{};
  data.utcHour = sim.utcHour;
  data.utcMinute = sim.utcMinute;
  data.second = sim.localSecond;
  data.localHour = sim.localHour;
  data.localMinute = sim.localMinute;
  data.secondAgain = sim.localSecond;

  const double rate = sim.simulationRate;
  // Without a usable rate there is no real time to publish.
  const bool timed = sim.groundSpeed >= kMinTimedGroundSpeed && std::isfinite(rate) && rate > 0;
  const auto arrival = [&](double minutes, uint8_t& uh, uint8_t& um, uint8_t& us, uint8_t& lh, uint8_t& lm,
                           uint8_t& ls) {
    uh = sim.utcHour, um = sim.utcMinute, us = sim.localSecond;
    lh = sim.localHour, lm = sim.localMinute, ls = sim.localSecond;
    AddMinutesToClock(uh, um, us, minutes);
    AddMinutesToClock(lh, lm, ls, minutes);
  };

  const int count = static_cast<int>(m_rows.size());
  const auto row = [this](int i) -> const PlanRow& { return m_rows[static_cast<size_t>(i)]; };
  if (m_currentRow >= 0 && m_currentRow < count) {
    const PlanRow& active = row(m_currentRow);
    data.filled = 1;
    data.distance =
        GreatCircleDistance(sim.latitude, sim.longitude, active.latitude, active.longitude) / kMetresPerNm +
        active.remainingDistance;
    if (timed) {
      data.timeValid = 1;
      data.time = data.distance / sim.groundSpeed * 60;
      data.arrivalValid = 1;
      arrival(data.time, data.arrivalUtcHour, data.arrivalUtcMinute, data.arrivalUtcSecond, data.arrivalLocalHour,
              data.arrivalLocalMinute, data.arrivalLocalSecond);
      data.time /= rate;
    }

    int filled = 0;
    int previous = -1;
    for (int i = m_currentRow; i < count && filled < 3; ++i) {
      const PlanRow& r = row(i);
      if (!IsFlyable(r)) continue;
      if (filled == 0 && i > 0 && r.rowKind != kRowDeparture) {
        for (int p = i - 1; p >= 0; --p)
          if (IsFlyable(row(p))) {
            previous = p;
            break;
          }
      }
      FmsRow& out = rows[filled];
      out.filled = 1;
      out.row = i;
      out.latitude = r.latitude;
      out.longitude = r.longitude;
      FillRowTexts(out, i);
      if (filled == 0) {
        const double course = InterceptHeading(InitialCourse(sim.latitude, sim.longitude, r.latitude, r.longitude));
        out.course = std::fmod(course + sim.magneticVariation + 360, 360.0);
        out.distance = GreatCircleDistance(sim.latitude, sim.longitude, r.latitude, r.longitude) / kMetresPerNm;
      } else {
        const FmsRow& before = rows[filled - 1];
        out.course = r.course;
        out.distance = before.distance +
                       GreatCircleDistance(before.latitude, before.longitude, r.latitude, r.longitude) / kMetresPerNm;
      }
      out.remainingDistance = r.remainingDistance;
      if (timed) {
        out.timeValid = 1;
        out.time = out.distance / sim.groundSpeed * 60;
        arrival(out.time, out.arrivalUtcHour, out.arrivalUtcMinute, out.arrivalUtcSecond, out.arrivalLocalHour,
                out.arrivalLocalMinute, out.arrivalLocalSecond);
        out.remainingTime = out.remainingDistance / sim.groundSpeed * 60;
        out.time /= rate;
        out.remainingTime /= rate;
      }
      if (filled == 0 && !IsFlyToActive()) {
        hsi.filled = 1;
        std::memcpy(hsi.ident, out.ident, sizeof hsi.ident);
        std::memcpy(hsi.frequencyText, out.frequencyText, sizeof hsi.frequencyText);
        const double dW = GreatCircleDistance(sim.latitude, sim.longitude, r.latitude, r.longitude);
        if (previous < 0) {
          hsi.toFrom = 1;
          hsi.course = std::fmod(InitialCourse(sim.latitude, sim.longitude, r.latitude, r.longitude) +
                                     sim.magneticVariation + 360, 360.0);
          hsi.distance = dW / kMetresPerNm;
        } else {
          const PlanRow& P = row(previous);
          const double b = InitialCourse(r.latitude, r.longitude, P.latitude, P.longitude);
          const double a = InitialCourse(r.latitude, r.longitude, sim.latitude, sim.longitude);
          double qLat, qLon, c, s = 0, g;
          if (Folded(a, b) > 90) {
            DestinationPoint(qLat, qLon, r.latitude, r.longitude, Wrap360(b + 180), dW);
            c = InitialCourse(qLat, qLon, r.latitude, r.longitude);
            g = GreatCircleDistance(sim.latitude, sim.longitude, qLat, qLon);
            if (g >= kMinDeviationMetres) s = SignedAngle(c - InitialCourse(sim.latitude, sim.longitude, qLat, qLon));
            hsi.toFrom = -1;
            hsi.course = std::fmod(c + 180 + sim.magneticVariation + 360, 360.0);
          } else {
            const double L = GreatCircleDistance(P.latitude, P.longitude, r.latitude, r.longitude);
            if (dW > L) DestinationPoint(qLat, qLon, r.latitude, r.longitude, b, dW);
            else PointAlongSegment(qLat, qLon, r.latitude, r.longitude, P.latitude, P.longitude, dW / std::max(L, 1e-10));
            c = InitialCourse(qLat, qLon, r.latitude, r.longitude);
            g = GreatCircleDistance(sim.latitude, sim.longitude, qLat, qLon);
            if (g >= kMinDeviationMetres) s = SignedAngle(InitialCourse(sim.latitude, sim.longitude, qLat, qLon) - c);
            hsi.toFrom = 1;
            hsi.course = std::fmod(c + sim.magneticVariation + 360, 360.0);
          }
          hsi.deviation = std::copysign(std::min(g / kMetresPerNm, kDeviationLimitNm) / kDeviationLimitNm, s);
          if (s == 0) hsi.deviation = 0;
          hsi.distance = dW / kMetresPerNm;
        }
      }
      ++filled;
      if (IsFlyPlanActive() && r.rowKind == kRowDestination) break;
    }
  }
  if (IsFlyToActive()) {
    hsi = HsiData{};
    hsi.filled = 1;
    hsi.toFrom = 1;
    hsi.course = std::fmod(InitialCourse(sim.latitude, sim.longitude, m_flyToLatitude, m_flyToLongitude) +
                               sim.magneticVariation + 360, 360.0);
    hsi.distance = GreatCircleDistance(sim.latitude, sim.longitude, m_flyToLatitude, m_flyToLongitude) / kMetresPerNm;
  }
  WriteFmsBlock(v.fmsData, data);
  for (int i = 0; i < 3; ++i) WriteFmsBlock(v.fmsWaypoints[i], rows[i]);
  WriteFmsBlock(v.hsiData, hsi);
}
