#include "planexport/simpln/SimPlnWriter.h"

#include <optional>
#include <string>

#include "planexport/simpln/SimPlnText.h"

namespace {

std::string S(std::string_view text) { return std::string(text); }

unsigned CruisingAltitude(const FlpxPlanSource& plan) {
  unsigned highest = 0;
  FlpxWaypoint w;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext) {
    const unsigned altitude = TruncUnsigned(w.altitude);
    if (altitude > highest) highest = altitude;
  }
  return highest;
}

// The airport's id and position, as the id lines and a runway's waypoint line write them.
std::string AirportPlace(const FlpxAirportInfo& airport) {
  return SimPlnCoordinate(airport.latitude, false) + SimPlnCoordinate(airport.longitude, true);
}

// `departurePosition` empty: no "departure_position" line.
bool WriteHeader(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info,
                 const std::optional<std::string>& departurePosition, bool alternate) {
  const std::string from = S(FieldText(info.departure.ident));
  const std::string to = S(FieldText(info.arrival.ident));
  return file.Print("[flightplan]\n") && file.Print("title=%s to %s\n", from.c_str(), to.c_str()) &&
         file.Print("description=%s, %s\n", from.c_str(), to.c_str()) && file.Print("type=IFR\n") &&
         file.Print("routetype=1\n") && file.Print("cruising_altitude=%u\n", CruisingAltitude(plan)) &&
         file.Print("departure_id=%s, %s%s\n", from.c_str(), AirportPlace(info.departure).c_str(),
                    SimPlnAltitude(info.departure.elevation).c_str()) &&
         (!departurePosition || file.Print("departure_position=%s\n", departurePosition->c_str())) &&
         file.Print("destination_id=%s, %s%s\n", to.c_str(), AirportPlace(info.arrival).c_str(),
                    SimPlnAltitude(info.arrival.elevation).c_str()) &&
         file.Print("departure_name=%s\n", S(FieldText(info.departure.name)).c_str()) &&
         file.Print("destination_name=%s\n", S(FieldText(info.arrival.name)).c_str()) &&
         (!alternate || file.Print("alternate_name=\n"));
}

// Each line is left open for the next one to close with a zero altitude; the first carries the
// departure elevation and the last is closed with the arrival's.
bool WriteWaypoints(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info) {
  int n = 0;
  FlpxWaypoint w;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext) {
    const char letter = SimPlnTypeLetter(w.type);
    if (!letter) continue;
    if (n > 1 && !file.Print("+000000.00,\n")) return false;
    std::string id = S(FieldText(w.ident));
    std::string place = SimPlnCoordinate(w.latitude, false) + SimPlnCoordinate(w.longitude, true);
    if (w.type == 'C') {
      // A runway stands for its airport: the departure's on the first line, the arrival's after.
      const FlpxAirportInfo& airport = n == 0 ? info.departure : info.arrival;
      id = S(FieldText(airport.ident));
      place = AirportPlace(airport);
    }
    if (!file.Print("waypoint.%d=%.5s, %c, %s", n, id.c_str(), letter, place.c_str())) return false;
    if (n == 0 && !file.Print("%s,\n", SimPlnAltitude(info.departure.elevation).c_str())) return false;
    ++n;
  }
  return file.Print("%s,\n", SimPlnAltitude(info.arrival.elevation).c_str());
}

}  // namespace

int WriteSimPlnPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info,
                    std::string_view startPosition) {
  return WriteHeader(plan, file, info, S(startPosition), false) && WriteWaypoints(plan, file, info) ? 1 : 0;
}

int WriteSimplanaPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info) {
  std::optional<std::string> position;
  FlpxWaypoint first;
  if (plan.Waypoint(kFlpxMoveFirst, first) && first.type == 'C') {
    position = S(FieldText(first.ident));
  } else if (RunwayCount(info.departure) > 0) {
    position = S(FieldText(info.departure.runways[0].ident));
  }
  return WriteHeader(plan, file, info, position, true) && WriteWaypoints(plan, file, info) ? 1 : 0;
}
