#include "planexport/iniplan/IniplanWriter.h"

#include <string>

namespace {

const char* TypeName(char type) {
  switch (type) {
    case 'A': return "APT";
    case 'C': return "RWY";
    case 'G': return "ILS";
    case 'H': return "ILS/GS";
    case 'I': return "VORTAC";
    case 'K': return "VORDME";
    case 'L': return "DME";
    case 'M': return "VOR";
    case 'N': return "NDB";
    case 'O': return "ISEC";
    case 'P': return "GPS";
    case 'Q': return "BOC";
    case 'R': return "EOC";
    case 'S': return "BOD";
    case 'T': return "EOD";
    case 'U': return "EOCBOD";
    case 'V': return "EODBOC";
    default: return "";
  }
}

std::string S(std::string_view text) { return std::string(text); }

bool WriteAirport(CExportFile& file, const FlpxAirportInfo& airport, const char* section) {
  if (!file.Print("[%s]\nID=%s\nNAME=%s\nATISFREQ=%0.2f\nLAT=%0.6f\nLON=%0.6f\nELEVATION=%0.0f\nMAGVAR=%0.1f\n\n",
                  section, S(FieldText(airport.ident)).c_str(), S(FieldText(airport.name)).c_str(),
                  airport.atisFrequency, airport.latitude, airport.longitude, airport.elevation, airport.variation)) {
    return false;
  }
  const int count = RunwayCount(airport);
  for (int i = 0; i < count; ++i) {
    const FlpxRunwayInfo& r = airport.runways[i];
    if (!file.Print("[%sRWY_%d]\nID=%s\nHEAD=%0.0f\nLAT=%0.6f\nLON=%0.6f\nELEVATION=%0.0f\nLENGTH=%0.0f\nWIDTH=%0.0f\n"
                    "ILSFREQ=%0.2f\n\n",
                    section, i + 1, S(FieldText(r.ident)).c_str(), r.heading, r.latitude, r.longitude, r.elevation,
                    r.length, r.width, r.ilsFrequency)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int WriteIniplanPlan(const FlpxPlanSource& plan, CExportFile& file) {
  FlpxPlanInfo info;
  if (!plan.PlanInfo(info)) return 0;
  if (!file.Print("[AIRCRAFT]\nNAME=%s\nFUELMEASURE=%u\n\n", S(FieldText(info.aircraftName)).c_str(),
                  static_cast<unsigned>(info.fuelUnit))) {
    return 0;
  }
  const struct {
    const FlpxAirportInfo& block;
    const char* section;
  } blocks[] = {{info.departure, "DEPARTURE"}, {info.arrival, "ARRIVAL"}, {info.alternate, "ALTERNATE"}};
  for (const auto& b : blocks) {
    const uint32_t present = b.block.present;
    if (present && !WriteAirport(file, b.block, b.section)) return 0;
  }

  FlpxWaypoint w;
  int n = 1;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext, ++n) {
    if (!file.Print("[WAYPOINT_%d]\nID=%.5s\nNAME=%.30s\nTYPE=%s\nLAT=%0.6f\nLON=%0.6f\nHEADING=%0.0f\nSPEED=%0.0f\n"
                    "TAS=%0.0f\nIAS=%0.0f\nMACH=%0.0f\nVSPEED=%0.0f\nALT=%0.0f\nDIST=%0.1f\nETE=%0.1f\nFUEL=%0.0f\n"
                    "FREQ=%0.2f\n\n",
                    n, S(FieldText(w.ident)).c_str(), S(FieldText(w.name)).c_str(), TypeName(w.type), w.latitude,
                    w.longitude, w.heading, w.speed, w.trueAirspeed, w.indicatedAirspeed, w.mach, w.verticalSpeed,
                    w.altitude, w.legDistance, w.legTime, w.legFuel, w.frequency)) {
      return 0;
    }
  }
  return 1;
}
