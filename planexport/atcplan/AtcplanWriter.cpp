#include "planexport/atcplan/AtcplanWriter.h"

#include <cmath>

namespace {

// The plan block's indent.
constexpr char kIndent[] = "    ";
constexpr size_t kDescriptionLine = 80;
// Frequencies the add-on assumes where the airport has no ATIS, MHz.
constexpr double kDepartureAtisDefault = 135.4;
constexpr double kArrivalAtisDefault = 126.7;

bool IsVertical(char type) { return type >= 'Q' && type <= 'V'; }

std::string S(std::string_view text) { return std::string(text); }

double AtisTimes100(double frequency, double fallback) { return (frequency == 0 ? fallback : frequency) * 100.0; }

bool WriteRunways(CExportFile& file, const char* prefix, const FlpxAirportInfo& airport, bool withIls) {
  const int count = RunwayCount(airport);
  for (int i = 0; i < count; ++i) {
    const FlpxRunwayInfo& r = airport.runways[i];
    const unsigned n = static_cast<unsigned>(i) + 1;
    const std::string id = ConvertRunwayId(FieldText(r.ident));
    if (!file.Print("%s%s_%u_id = %s\n", kIndent, prefix, n, id.c_str()) ||
        !file.Print("%s%s_%u_heading = %0.0f\n", kIndent, prefix, n, r.heading) ||
        !file.Print("%s%s_%u_latitude = %0.6f\n", kIndent, prefix, n, r.latitude) ||
        !file.Print("%s%s_%u_longitude = %0.6f\n", kIndent, prefix, n, r.longitude) ||
        !file.Print("%s%s_%u_altitude = %0.0f\n", kIndent, prefix, n, r.elevation) ||
        (withIls && !file.Print("%s%s_%u_freq = %0.2f\n", kIndent, prefix, n, r.ilsFrequency))) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ReadAtcRoute(const FlpxPlanSource& plan, AtcRoute& route) {
  route = AtcRoute();
  int counter = 0;
  FlpxWaypoint w;
  for (int move = kFlpxMoveLast; plan.Waypoint(move, w); move = kFlpxMovePrevious) {
    const double altitude = w.altitude;
    if (altitude > route.highestAltitude) route.highestAltitude = altitude;
    if (IsVertical(w.type)) continue;
    if (counter == 1) route.holdId = FieldText(w.ident);
    ++counter;
  }
  route.checkpointCount = counter - 2;
  return route.checkpointCount >= 0;
}

std::string ConvertRunwayId(std::string_view id) {
  std::string out(id);
  if (!out.empty() && out.back() == 'C') {
    out.back() = '2';
  } else if (!out.empty() && out.back() == 'L') {
    out.back() = '1';
  } else if (!out.empty() && out.back() == 'R') {
    out.back() = '3';
  } else {
    out += '0';
  }
  return out;
}

std::vector<std::string_view> DescriptionChunks(std::string_view description) {
  std::vector<std::string_view> chunks;
  size_t start = 0;
  while (start < description.size()) {
    const size_t left = description.size() - start;
    size_t length = 0;
    if (left <= kDescriptionLine) {
      // The end is within reach: the search never looks past it.
      length = left;
    } else {
      for (size_t k = kDescriptionLine; k > 0; --k) {
        if (description[start + k] == ' ') {
          length = k;
          break;
        }
      }
      // No blank to break at but the one the piece starts with: a hard break.
      if (length == 0) length = kDescriptionLine;
    }
    chunks.push_back(description.substr(start, length));
    start += length;
  }
  return chunks;
}

int WriteAtcCheckpoints(const FlpxPlanSource& plan, CExportFile& file) {
  FlpxWaypoint w, previous{};
  int kept = 0;
  unsigned c = 0;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext) {
    if (IsVertical(w.type)) continue;
    if (++kept >= 3) {
      ++c;
      const FlpxWaypoint& p = previous;
      if (!file.Print("%scheckpoint_%u_latitude = %0.6f\n", kIndent, c, p.latitude) ||
          !file.Print("%scheckpoint_%u_longitude = %0.6f\n", kIndent, c, p.longitude) ||
          !file.Print("%scheckpoint_%u_altitude = %0.0f\n", kIndent, c, p.altitude) ||
          !file.Print("%scheckpoint_%u_speed = %0.0f\n", kIndent, c, p.indicatedAirspeed) ||
          !file.Print("%scheckpoint_%u_freq = %0.2f\n", kIndent, c, p.frequency) ||
          !file.Print("%scheckpoint_%u_heading = %0.0f\n", kIndent, c, p.heading)) {
        return 0;
      }
    }
    previous = w;
  }
  return 1;
}

int WriteAtcplanPlan(const FlpxPlanSource& plan, const AtcRoute& route, const AtcDetails& details, CExportFile& file) {
  const FlpxPlanInfo& info = details.info;
  const char* in = kIndent;
  if (!file.Print("ARRIVAL_ID = \"%s\"\n", S(FieldText(info.arrival.ident)).c_str()) ||
      !file.Print("; ALTERNATE_ID = \"\"\n") || !file.Print("HOLD_ID = \"%s\"\n", route.holdId.c_str()) ||
      !file.Print("DEPARTURE_ID = \"%s\"\n", S(FieldText(info.departure.ident)).c_str()) ||
      !file.Print("; AIRCRAFT = \"\"\n") || !file.Print("; CALLSIGN = \"\"\n\n") || !file.Print("GET_FLIGHT_PLAN:\n") ||
      !file.Print("%sTitle \"%s\"\n", in, details.title.c_str())) {
    return 0;
  }
  for (std::string_view chunk : DescriptionChunks(details.description)) {
    if (!file.Print("%sDescription \"%.*s\"\n", in, static_cast<int>(chunk.size()), chunk.data())) return 0;
  }
  const double atisDeparture = AtisTimes100(info.departure.atisFrequency, kDepartureAtisDefault);
  const double atisArrival = AtisTimes100(info.arrival.atisFrequency, kArrivalAtisDefault);
  if (!file.Print("\n") || !file.Print("; %sforce_holding = 1\n", in) || !file.Print("%sflight_planner = 3\n", in) ||
      !file.Print("%saircraft_type = %d\n", in, details.aircraftType) ||
      !file.Print("%sdeparture_elevation = %0.0f\n", in, info.departure.elevation) ||
      !file.Print("%sarrival_elevation = %0.0f\n", in, info.arrival.elevation) ||
      !file.Print("%sfiled_altitude = %0.0f\n", in, std::ceil(route.highestAltitude / 10.0)) ||
      !file.Print("%sdeparture_atis_freq = %0.0f\n", in, atisDeparture) ||
      !file.Print("%sarrival_atis_freq = %0.0f\n", in, atisArrival)) {
    return 0;
  }
  static const char* const kFixedLines[] = {
      "%sflight_services_freq = 12220\n",      "%sdelivery_freq = 12165\n",
      "%sdeparture_ground_freq = 12190\n",     "%sdeparture_tower_freq = 11870\n",
      "%sdeparture_freq = 11920\n",            "%scenter_freq = 11835\n",
      "%sarrival_ground_freq = 12180\n",       "%sarrival_tower_freq = 11830\n",
      "%sapproach_freq = 12485\n",             "; %stwofifty_altitude = 0\n",
      "; %sradar_approach = 0\n",              "; %sradar_departure = 0\n",
      "%sannounce_passing_checkpoint = 1\n",   "; %sdeparture_minimum_altitude = 300\n",
      "; %sdeparture_maximum_altitude = 600\n", "; %sarrival_minimum_altitude = 300\n",
      "; %sarrival_maximum_altitude = 600\n",  "; %smissed_approach_altitude = 320\n",
      "; %sheading_deviation = 15\n",          "; %saltitude_deviation = 200\n",
      "; %sspeed_deviation = 15\n",
  };
  for (const char* line : kFixedLines) {
    if (!file.Print(line, in)) return 0;
  }
  if (!file.Print("%snumber_of_checkpoints = %u\n", in, static_cast<unsigned>(route.checkpointCount)) ||
      !file.Print("%sdeparture_latitude = %0.6f\n", in, info.departure.latitude) ||
      !file.Print("%sdeparture_longitude = %0.6f\n", in, info.departure.longitude) ||
      !file.Print("; %sdeparture_speed = 0\n", in) || !file.Print("; %salternate_latitude = 0\n", in) ||
      !file.Print("; %salternate_longitude = 0\n", in) || !file.Print("; %salternate_elevation = 0\n", in) ||
      !file.Print("%sarrival_latitude = %0.6f\n", in, info.arrival.latitude) ||
      !file.Print("%sarrival_longitude = %0.6f\n", in, info.arrival.longitude)) {
    return 0;
  }
  if (!WriteAtcCheckpoints(plan, file) || !WriteRunways(file, "d_runway", info.departure, false) ||
      !WriteRunways(file, "a_runway", info.arrival, true) || !file.Print("RETURN\n")) {
    return 0;
  }
  return 1;
}

int ExportAtcplan(const FlpxCall& call, const AtcDetailsDialog& dialog) {
  const FlpxPlanSource plan = call.Source();
  // Read afresh on every call: a library kept mapped between calls must not write the last
  // plan's altitude or holding fix.
  AtcRoute route;
  if (!ReadAtcRoute(plan, route)) return 0;
  FlpxPlanInfo info;
  if (!plan.PlanInfo(info) || !info.departure.present || !info.arrival.present) return 0;
  AtcDetailsModel model(info, route.highestAltitude);
  if (!dialog || dialog(model, call.parent, FlpxCaption(call.displayName, "Export Options")) != 1) return 1;
  std::string path;
  const FlpxAsked asked = FlpxAskTarget(call, FlpxTarget{"apl", "apl", ""}, path);
  if (asked != FlpxAsked::Path) return FlpxNoPathResult(asked);
  return FlpxWriteTarget(path, [&](CExportFile& file) { return WriteAtcplanPlan(plan, route, model.Details(), file); });
}
