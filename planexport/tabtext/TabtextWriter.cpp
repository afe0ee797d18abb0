#include "planexport/tabtext/TabtextWriter.h"

#include <cmath>
#include <string>

#include "planexport/common/Coordinates.h"

namespace {

// Code page 1252 degree sign.
#define DEG "\xB0"

const char kHeader[] =
    "#   Type:     Name:                                       Frequency:  Course:  Dist.:  Time:\n";
const std::string kEqualsRule = std::string(92, '=') + "\n";
const std::string kHyphenRule = std::string(92, '-') + "\n";

struct Totals {
  double distance = 0;
  double time = 0;
  double fuel = 0;
  double cruiseSpeed = 0;
  double climbAltitude = 0;
};

struct Clock {
  unsigned hours;
  unsigned minutes;
};
Clock ClockOf(double minutes) { return {TruncUnsigned(minutes / 60.0), TruncUnsigned(std::fmod(minutes, 60.0))}; }

const char* FuelUnitText(unsigned code) {
  static const char* const kUnits[] = {"Lbs", "Gal", "kg", "L"};
  return code < 4 ? kUnits[code] : "";
}

std::string FrequencyText(double frequency) { return frequency == 0 ? "n.a.  " : FormatC("%6.2f", frequency); }

std::string S(std::string_view text) { return std::string(text); }

// "%.80s [%.5s]" of a name and an identifier.
std::string NameAndIdent(std::string_view name, std::string_view ident) {
  return FormatC("%.80s [%.5s]", S(name).c_str(), S(ident).c_str());
}

bool IsVertical(char type) { return type >= 'Q' && type <= 'V'; }

Totals FirstPass(const FlpxPlanSource& plan) {
  Totals t;
  FlpxWaypoint w;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext) {
    t.distance += w.legDistance;
    t.time += w.legTime;
    t.fuel += w.legFuel;
    const double speed = w.speed;
    const double altitude = w.altitude;
    if (speed > t.cruiseSpeed) t.cruiseSpeed = speed;
    if (altitude > t.climbAltitude) t.climbAltitude = altitude;
  }
  return t;
}

class TabtextRows {
 public:
  TabtextRows(const FlpxPlanInfo& info, const Totals& totals, CExportFile& file)
      : m_info(info), m_totals(totals), m_file(file) {}

  bool Departure(int n, const FlpxWaypoint& w) {
    std::string text;
    if (w.type == 'C') {
      text = FormatC("%.80s - Rwy %.3s", S(FieldText(m_info.departure.name)).c_str(), S(FieldText(w.ident)).c_str());
    } else if (w.type == 'A') {
      text = NameAndIdent(FieldText(m_info.departure.name), FieldText(m_info.departure.ident));
    } else {
      return false;
    }
    m_carriedDistance = m_carriedTime = 0;
    return m_file.Print("%-3d Depart:   %-43.43s ATC : %s           0 nm  00:00\n", n, text.c_str(),
                        FrequencyText(m_info.departure.atisFrequency).c_str()) &&
           m_file.Print("              --> Climb to %.0f feet.\n", m_totals.climbAltitude);
  }

  bool Middle(int n, const FlpxWaypoint& w) {
    const char type = w.type;
    if (IsVertical(type)) {
      // A climb or descent point has no row: its leg goes into the next printed row. Several in
      // a row all count, so the rows add up to the total.
      m_carriedDistance += w.legDistance;
      m_carriedTime += w.legTime;
      return true;
    }
    const double course = w.heading;
    const double distance = w.legDistance + m_carriedDistance;
    const Clock clock = ClockOf(w.legTime + m_carriedTime);
    const double frequency = w.frequency;
    const std::string text = RowText(w);
    bool ok;
    switch (type) {
      case 'A':
      case 'C':
        ok = m_file.Print("%-3d Waypoint: %-42.42s  %s            %3.0f" DEG " %4.0f nm  %02u:%02u\n", n, text.c_str(),
                          type == 'A' ? "APT" : "RWY", course, distance, clock.hours, clock.minutes);
        break;
      case 'G':
      case 'H':
      case 'I':
      case 'K':
      case 'L':
      case 'M':
        ok = m_file.Print("%-3d Waypoint: %-43.43s %s : %6.2f   %3.0f" DEG " %4.0f nm  %02u:%02u\n", n, text.c_str(),
                          type == 'G' || type == 'H' ? "ILS" : "VOR", frequency, course, distance, clock.hours,
                          clock.minutes);
        break;
      case 'N':
        ok = m_file.Print("%-3d Waypoint: %-43.43s NDB : %6.1f   %3.0f" DEG " %4.0f nm  %02u:%02u\n", n, text.c_str(),
                          frequency, course, distance, clock.hours, clock.minutes);
        break;
      case 'O':
      case 'P':
        ok = m_file.Print("%-3d Waypoint: %-42.42s                 %3.0f" DEG " %4.0f nm  %02u:%02u\n", n, text.c_str(),
                          course, distance, clock.hours, clock.minutes);
        break;
      default:
        return false;
    }
    m_carriedDistance = m_carriedTime = 0;
    return ok;
  }

  bool Arrival(int n, const FlpxWaypoint& w) {
    if (!m_file.Print("%s", kHyphenRule.c_str())) return false;
    const std::string name = S(FieldText(m_info.arrival.name));
    const std::string ident = S(FieldText(w.ident));
    const char type = w.type;
    const double course = w.heading;
    const double altitude = w.altitude;
    std::string text, detail;
    if (type == 'C') {
      text = FormatC("%.80s - Rwy %.3s", name.c_str(), ident.c_str());
      detail = FormatC("Runway heading %.0f" DEG ", altitude %.0f ft", course, altitude);
    } else if (type == 'G' || type == 'H') {
      text = FormatC("%.80s - ILS %.3s", name.c_str(), ident.c_str());
      detail = FormatC("ILS heading %.0f" DEG ", altitude %.0f ft", course, altitude);
    } else if (type == 'A') {
      text = NameAndIdent(FieldText(m_info.arrival.name), FieldText(m_info.arrival.ident));
      detail = FormatC("Airport altitude %.0f ft", altitude);
    } else {
      return false;
    }
    const Clock clock = ClockOf(w.legTime + m_carriedTime);
    if (!m_file.Print("%-3d Arrive:   %-43.43s ATC : %s   %3.0f" DEG " %4.0f nm  %02u:%02u\n", n, text.c_str(),
                      FrequencyText(m_info.arrival.atisFrequency).c_str(), course, w.legDistance + m_carriedDistance,
                      clock.hours, clock.minutes)) {
      return false;
    }
    if (type == 'A') return m_file.Print("              %-43.43s\n", detail.c_str());
    return m_file.Print("              %-43.43s ILS : %s\n", detail.c_str(), FrequencyText(w.frequency).c_str());
  }

 private:
  static std::string RowText(const FlpxWaypoint& w) {
    if (w.type == 'O') return FormatC("Intersection [%.5s]", S(FieldText(w.ident)).c_str());
    if (w.type == 'P') {
      const FlpxDegMin lat = SplitDegrees(w.latitude);
      const FlpxDegMin lon = SplitDegrees(w.longitude);
      return FormatC("%s [%c%d %2.2f', %c%d %2.2f']", S(FieldText(w.name)).c_str(), lat.negative ? 'S' : 'N',
                     lat.degrees, lat.minutes, lon.negative ? 'W' : 'E', lon.degrees, lon.minutes);
    }
    return NameAndIdent(FieldText(w.name), FieldText(w.ident));
  }

  const FlpxPlanInfo& m_info;
  const Totals& m_totals;
  CExportFile& m_file;
  double m_carriedDistance = 0;
  double m_carriedTime = 0;
};

}  // namespace

int WriteTabtextPlan(const FlpxPlanSource& plan, const FlpxPlanInfo& info, CExportFile& file) {
  const Totals totals = FirstPass(plan);
  const Clock total = ClockOf(totals.time);
  const std::string depart = NameAndIdent(FieldText(info.departure.name), FieldText(info.departure.ident));
  const std::string arrive = NameAndIdent(FieldText(info.arrival.name), FieldText(info.arrival.ident));
  if (!file.Print("%s%s", kHeader, kEqualsRule.c_str()) ||
      !file.Print("    Depart:   %-43.43s ATC: %s        %5.0f nm  %02u:%02u\n", depart.c_str(),
                  FrequencyText(info.departure.atisFrequency).c_str(), 0.0, 0u, 0u) ||
      !file.Print("    Arrive:   %-43.43s ATC: %s        %5.0f nm  %02u:%02u\n", arrive.c_str(),
                  FrequencyText(info.arrival.atisFrequency).c_str(), totals.distance, total.hours, total.minutes) ||
      !file.Print("%s    Aircraft: %s\n", kEqualsRule.c_str(), S(FieldText(info.aircraftName)).c_str()) ||
      !file.Print("    Cruise:   %0.0f kts\n%s", totals.cruiseSpeed, kEqualsRule.c_str())) {
    return 0;
  }

  TabtextRows rows(info, totals, file);
  FlpxWaypoint current, next;
  if (!plan.Waypoint(kFlpxMoveFirst, current)) return 0;
  int index = 0;
  while (plan.Waypoint(kFlpxMoveNext, next)) {
    const bool ok = index == 0 ? rows.Departure(index + 1, current) : rows.Middle(index + 1, current);
    if (!ok) return 0;
    current = next;
    ++index;
  }
  if (index == 0 && !rows.Departure(1, current)) return 0;
  if (!rows.Arrival(index + 1, current)) return 0;

  const std::string fuel = FormatC("(%.0f %s fuel required)", totals.fuel, FuelUnitText(info.fuelUnit));
  if (!file.Print("%s    Total:    %-43.43s                    %5.0f nm  %02u:%02u\n", kEqualsRule.c_str(),
                  fuel.c_str(), totals.distance, total.hours, total.minutes)) {
    return 0;
  }
  return 1;
}
