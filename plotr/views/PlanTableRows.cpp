#include "plotr/views/PlanTableRows.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>

#include "navdb/SceneryDatabase.h"
#include "platform/ui/StringTable.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/plan/Units.h"

namespace plantable {
namespace {

// Row values are doubles from the plan's arithmetic; one that is not finite shows as an empty
// cell rather than "nan" or "inf".
std::string Fixed(const char* format, double value) {
  if (!std::isfinite(value)) return {};
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

template <class... Args>
std::string Printf(const char* format, Args... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

struct IlsSuffixes {
  const char* glideSlope;
  const char* dme;
};

IlsSuffixes SuffixesOf(const IlsRecord& ils) {
  return {ils.glideSlope >= 1 ? "/GS" : (ils.glideSlope < 0 ? "/BC" : ""), (ils.flags & 1) != 0 ? "/DME" : ""};
}

int VorImage(uint8_t flags) {
  if ((flags & 2) != 0 || ((flags & 1) != 0 && (flags & 8) == 0)) return kImageVortac;
  if ((flags & 9) == 9) return kImageVorDme;
  return kImageVor;
}

void FillPseudoRow(TableRow& out, uint32_t kind) {
  struct Pseudo {
    uint32_t kind;
    int image;
    const char* text;
  };
  static constexpr Pseudo kPseudo[] = {
      {kPseudoBeginClimb, kImageBeginClimb, "Beginning of Climb"},
      {kPseudoEndClimb, kImageEndClimb, "End of Climb"},
      {kPseudoBeginDescent, kImageBeginDescent, "Beginning of Descent"},
      {kPseudoClimbMeetsDescent, kImageClimbMeetsDescent, "End of Climb, Beginning of Descent"},
      {kPseudoEndDescent, kImageEndDescent, "End of Descent"},
      {kPseudoDescentMeetsClimb, kImageDescentMeetsClimb, "End of Descent, Beginning of Climb"},
  };
  for (const Pseudo& p : kPseudo) {
    if (p.kind == kind) {
      out.image = p.image;
      out.texts[kColLocation] = p.text;
      return;
    }
  }
}

// Icon, identifier, location and frequency of a row with a plan point.
void FillPointColumns(TableRow& out, const PlanRow& row, const PlanPoint& point, const CRoute& route,
                      const CSceneryDatabase& db, const TableOptions& options) {
  const NavPoint& key = point.ref.point;
  const std::string_view airport = FixedText(row.airportName, sizeof row.airportName);
  std::string& id = out.texts[kColId];
  std::string& location = out.texts[kColLocation];
  std::string& frequency = out.texts[kColFrequency];
  switch (BaseKind(static_cast<uint16_t>(row.kind))) {
    case kKindUserPoint: {
      out.image = kImageUserPoint;
      FixName name{};
      route.LookupUserFixName(point.FixId(), name);
      id = FixNameText(name);
      if (id.starts_with("Fix")) {
        location = FormatLatLon(row.latitude, true, false, false) + ", " +
                   FormatLatLon(row.longitude, false, false, false);
      } else {
        location = id;
      }
      return;
    }
    case kKindAirport:
      out.image = kImageAirport;
      if (const AirportRecord* r = db.GetAirport(key)) {
        id = r->Ident();
        location = db.GetString(r->nameText);
      }
      return;
    case kKindRunway: {
      out.image = kImageRunway;
      const RunwayRecord* r = db.GetRunway(key);
      if (r == nullptr) return;
      id = r->Designator();
      const IlsRecord* ils = RunwayIls(db, *r);
      // A back course leads nowhere with the setting off: the runway shows as one without ILS.
      if (ils != nullptr && ils->glideSlope < 0 && !options.mapBcIls) ils = nullptr;
      if (ils == nullptr) {
        location = airport.empty() ? std::string("Runway") : Printf("%s - Rwy", std::string(airport).c_str());
        return;
      }
      const IlsSuffixes s = SuffixesOf(*ils);
      const std::string ident(ils->Ident());
      location = airport.empty() ? Printf("ILS%s%s: %s", s.glideSlope, s.dme, ident.c_str())
                                 : Printf("%s - ILS%s%s: %s", std::string(airport).c_str(), s.glideSlope, s.dme,
                                          ident.c_str());
      frequency = Fixed("%6.2f", ils->frequency);
      return;
    }
    case kKindIls:
      out.image = kImageIls;
      if (const IlsRecord* r = db.GetIls(key)) {
        const IlsSuffixes s = SuffixesOf(*r);
        id = r->Ident();
        location = airport.empty() ? Printf("ILS%s%s", s.glideSlope, s.dme)
                                   : Printf("%s - ILS%s%s", std::string(airport).c_str(), s.glideSlope, s.dme);
        frequency = Fixed("%6.2f", r->frequency);
      }
      return;
    case kKindIntersection:
      out.image = kImageIntersection;
      if (const IntersectionRecord* r = db.GetIntersection(key)) location = id = r->Ident();
      return;
    case kKindNdb:
      out.image = kImageNdb;
      if (const NdbRecord* r = db.GetNdb(key)) {
        id = r->Ident();
        location = db.GetString(r->nameText);
        frequency = Fixed("%5.1f", r->frequency);
      }
      return;
    case kKindVor:
      if (const VorRecord* r = db.GetVor(key)) {
        out.image = VorImage(r->flags);
        id = r->Ident();
        location = db.GetString(r->nameText);
        frequency = Fixed("%6.2f", r->frequency);
      } else {
        out.image = kImageVor;
      }
      return;
    default: return;
  }
}

double Chosen(int mode, double leg, double cumulative, double remaining) {
  return mode == 1 ? cumulative : (mode == 2 ? remaining : leg);
}

void FillValueColumns(TableRow& out, const PlanRow& row, bool first, int fuelUnit, const TableOptions& options) {
  const bool departure = first || row.rowKind == kRowDeparture;
  const bool bearing = row.rowKind == kRowBearing;
  out.texts[kColCourse] = departure ? std::string("-") : Fixed("%.0f", row.course);
  if (bearing) {
    out.texts[kColDistance] = Fixed("%.1f", row.legDistance);
    return;
  }
  if (departure) {
    out.texts[kColSpeed] = "-";
    out.texts[kColVerticalSpeed] = "-";
  } else {
    const double ias = row.indicatedAirspeed;
    double speed = ias;
    if (!options.indicatedAirspeed) {
      const bool known = std::isfinite(ias) && std::isfinite(row.altitude);
      speed = known ? static_cast<double>(IasToTas(ias, row.altitude)) : std::numeric_limits<double>::quiet_NaN();
    }
    out.texts[kColSpeed] = Fixed("%.0f", speed);
    out.texts[kColVerticalSpeed] = Fixed("%.0f", row.verticalSpeed);
  }
  out.texts[kColAltitude] = Fixed("%.0f", row.altitude);
  out.texts[kColDistance] = Fixed(
      "%.1f", Chosen(options.cumulativeDistance, row.legDistance, row.cumulativeDistance, row.remainingDistance));
  out.texts[kColTime] =
      FormatMinutes(Chosen(options.cumulativeTime, row.legTime, row.cumulativeTime, row.remainingTime));
  const double fuel = Chosen(options.cumulativeFuel, row.legFuel, row.cumulativeFuel, row.remainingFuel);
  out.texts[kColFuel] = Fixed("%.1f", ConvertFuel(options.fuelMeasure, fuelUnit, fuel));
}

uint8_t TrianglesOf(const PlanPoint& point) {
  uint8_t bits = 0;
  if (IsManualValueGiven(point.speed) || (point.flags & kPointSpeedOption) != 0) bits |= kTriangleSpeed;
  if (IsManualValueGiven(point.altitude1) || IsManualValueGiven(point.altitude2) ||
      (point.flags & kPointAltitudeOption) != 0) {
    bits |= kTriangleAltitude;
  }
  if ((point.flags & kPointFlyOver) != 0) bits |= kTriangleFlyOver;
  return bits;
}

void AddTableStrings() {
  static const bool added = [] {
    ui::AddStrings({{kIdsColumnLocation, "Location"},
                    {kIdsColumnId, "Id"},
                    {6019, "Freq"},
                    {6020, "Course"},
                    {6022, "Altitude"},
                    {6023, "Distance"},
                    {6024, "ETE"},
                    {6025, "VSpeed"},
                    {6026, "TAS"},
                    {6027, "IAS"},
                    {6028, "Fuel [Lbs]"},
                    {6029, "Fuel [Gal]"},
                    {6030, "Fuel [kg]"},
                    {6031, "Fuel [L]"}});
    return true;
  }();
  (void)added;
}

}  // namespace

TableOptions TableOptions::FromSettings() {
  TableOptions o;
  o.indicatedAirspeed = g_Settings.GetUseIndicatedAirSpeed(false);
  o.fuelMeasure = g_Settings.GetFuelMeasure(false);
  o.mapBcIls = g_Settings.GetMapBcIls(false);
  o.cumulativeDistance = g_Settings.GetPlanCumulativeDist(false);
  o.cumulativeTime = g_Settings.GetPlanCumulativeEte(false);
  o.cumulativeFuel = g_Settings.GetPlanCumulativeFuel(false);
  return o;
}

std::string FormatMinutes(double minutes) {
  // Beyond this many minutes (some nineteen centuries) a time is no flight time, and its
  // seconds would leave a 64-bit integer.
  constexpr double kLongestMinutes = 1e9;
  if (!std::isfinite(minutes) || std::fabs(minutes) >= kLongestMinutes) return {};
  const auto hours = static_cast<long long>(minutes / 60);
  const auto wholeMinutes = static_cast<long long>(minutes) % 60;
  const auto seconds = static_cast<long long>(minutes * 60) % 60;
  return Printf("%02lld %02lld' %02lld\"", hours, wholeMinutes, seconds);
}

std::vector<TableRow> BuildTableRows(const CFlightPlanCore& plan, const CSceneryDatabase& db,
                                     const TableOptions& options, int currentRow) {
  std::vector<TableRow> out;
  const CRoute* route = plan.GetCurrent();
  if (route == nullptr || plan.m_rows.empty()) return out;
  const int fuelUnit = route->m_profile.FuelUnit();
  out.reserve(plan.m_rows.size() + 1);
  for (size_t i = 0; i < plan.m_rows.size(); ++i) {
    const PlanRow& row = plan.m_rows[i];
    const int index = static_cast<int>(i);
    TableRow& t = out.emplace_back();
    const PlanPoint* point = plan.GetRowPoint(index);
    if (row.IsPseudo()) {
      FillPseudoRow(t, row.kind);
    } else if (point != nullptr && row.kind <= 0xFFFF) {
      FillPointColumns(t, row, *point, *route, db, options);
    }
    FillValueColumns(t, row, index == 0, fuelUnit, options);
    if (index == currentRow) {
      t.overlay = kOverlayCurrent;
    } else if (row.rowKind == kRowBearing) {
      t.overlay = kOverlayBearing;
    }
    t.procedure = row.sidProcedure >= 0 || row.starProcedure >= 0;
    if (point != nullptr) {
      t.isNew = point->isNew != 0;
      t.triangles = TrianglesOf(*point);
    }
  }
  double distance = 0, time = 0, fuel = 0;
  plan.GetTotals(distance, time, fuel);
  TableRow& total = out.emplace_back();
  total.total = true;
  total.texts[kColAltitude] = "TOTAL :";
  total.texts[kColDistance] = Fixed("%.1f", distance);
  total.texts[kColTime] = FormatMinutes(time);
  total.texts[kColFuel] = Fixed("%.1f", ConvertFuel(options.fuelMeasure, fuelUnit, fuel));
  return out;
}

std::string ColumnHeader(int column, const TableOptions& options) {
  AddTableStrings();
  static constexpr unsigned kHeaders[kColumnCount] = {kIdsColumnId, kIdsColumnLocation, 6019, 6020, 6026, 6025, 6022, 6023, 6024, 6028};
  if (column < 0 || column >= kColumnCount) return {};
  unsigned id = kHeaders[column];
  if (column == kColSpeed && options.indicatedAirspeed) id = 6027;
  if (column == kColFuel) id += static_cast<unsigned>(options.fuelMeasure & 3);
  return ui::LoadString(id);
}

const char* ColumnWidthSample(int column) {
  static constexpr const char* kSamples[kColumnCount] = {
      "XXXXXXXXXXX", "XXXXXXXXXXXXX_XXXXXXXXXXXXX", "XXXXXXX", "XXXXXXX", "XXXXXXXX",
      "XXXXXXXX",    "XXXXXXXX",                    "XXXXXXXXX", "XXXXXXXXX", "XXXXXXXXX"};
  return column >= 0 && column < kColumnCount ? kSamples[column] : "";
}

}  // namespace plantable
