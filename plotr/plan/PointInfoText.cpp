#include "plotr/plan/PointInfoText.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "navdb/Geodesy.h"
#include "navdb/Payloads.h"
#include "platform/ui/StringTable.h"
#include "platform/win/CLocale.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/plan/Route.h"

namespace {

// Paths this long or longer are cut in the middle.
constexpr size_t kLongPath = 56;
constexpr size_t kShortPathLimit = 55;
// Kinds with a scenery file (all database kinds but airways) and the airspace kinds.
constexpr uint16_t kKindsWithFile = 0x73FF;
constexpr uint16_t kAirspaceKinds = 0x7000;
// Parking name kinds with a name text, and the helipad.
constexpr int kLastNamedParking = 37;
constexpr int kHelipad = 38;
constexpr uint32_t kLastParkingTypeBits = 0x5FFFFFFF;
// Fly-to time is shown only above this true airspeed.
constexpr double kMinTimedAirspeed = 10;

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* format, ...) {
  win::CLocaleScope c;
  char small[512];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n > 0 && static_cast<size_t>(n) < sizeof small) {
    out.append(small, static_cast<size_t>(n));
  } else if (n > 0) {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, args);
    big.resize(static_cast<size_t>(n));
    out += big;
  }
  va_end(args);
}

const char* Text(const CSceneryDatabase& db, int32_t offset) {
  const char* t = offset >= 0 ? db.GetString(offset) : nullptr;
  return t ? t : "";
}

std::string Ident(std::string_view ident) { return std::string(ident); }

int Feet(double metres) { return static_cast<int>(metres * kFeetPerMetre); }

void LatLonLine(std::string& out, double lat, double lon) {
  Append(out, "Lat/Lon:\t%s\t%s\r\n", FormatLatLon(lat, true, false, true).c_str(),
         FormatLatLon(lon, false, false, true).c_str());
}

void VariationLine(std::string& out, double variation) { Append(out, "Mag. Variation:\t%.1f deg\r\n", variation); }

void AirportLine(std::string& out, const CSceneryDatabase& db, const CRoute& route, const NavPoint& key) {
  FullPoint airport;
  if (!route.FindAirportOf(airport, key)) return;
  if (const AirportRecord* a = db.GetAirport(airport.point)) Append(out, "Airport:\t%s\r\n", Text(db, a->nameText));
}

const char* GlideSlopeMark(const IlsRecord& ils) { return ils.glideSlope > 0 ? "/GS" : ils.glideSlope < 0 ? "/BC" : ""; }
const char* DmeMark(const IlsRecord& ils) { return (ils.flags & 1) != 0 ? "/DME" : ""; }

void MhzFrequencyLine(std::string& out, const char* prefix, float frequency, uint8_t range) {
  if (range != 0) Append(out, "%sFrequ./Range:\t%6.2f MHz\t%0.0f nm\r\n", prefix, frequency, RangeToNm(range));
  else Append(out, "%sFrequency:\t%6.2f MHz\r\n", prefix, frequency);
}

void ApproachCourseLine(std::string& out, double variation, uint16_t heading) {
  const double course = variation + BinaryAngleToDegrees(heading) + 360 + 0.5;
  if (!std::isfinite(course) || std::fabs(course) > 1e9) return;
  Append(out, "Approach course:\t%d deg\r\n", static_cast<int>(course) % 360);
}

void GlideSlopeLine(std::string& out, const IlsRecord& ils) {
  if (ils.glideSlope <= 0) return;
  const double feet = std::floor((std::tan(std::asin(ils.glideSlope / 2.0 / 65536)) * 5 * kMetresPerNm + ils.altitude) *
                                     kFeetPerMetre * 0.01 + 0.5) * 100;
  Append(out, "Glideslope altitude:\t%0.0f ft at 5 nm distance\r\n", feet);
}

const char* SurfaceText(unsigned surface) {
  static const char* const kSurfaces[] = {"Dirt",   "Concrete",  "Asphalt", "Grass", "Gravel", "Oil treated", "Mush, Slush",
                                          "Snow",   "Coral",     "Water",   "Turf",  "Ice",    "Steel",       "Bituminus",
                                          "Brick",  "Macadam",   "Planks",  "Sand",  "Shale",  "Tarmac"};
  return surface < std::size(kSurfaces) ? kSurfaces[surface] : nullptr;
}

const char* AirspaceTypeText(int type) {
  switch (type) {
    case 1: return "Advisory area (ADA) or (UDA)\r\n";
    case 2: return "Air Defense Identification Zone (ADIZ)\r\n";
    case 4: return "Air Route Traffic Control Center (ARTCC)\r\n";
    case 8: return "Area Control Center (ACC)\r\n";
    case 16: return "Buffer Zone (BZ)\r\n";
    case 32: return "Control Area (CTA), Upper Control Area (UTA),\r\n\tSpecial Rules Area (SRA, U.K. only)\r\n";
    case 64: return "Control Zone (CTRZ), Special Rules Zone (SRZ, U.K. only)\r\n\tMilitary Aerodrome Traffic Zone (MATZ, U.K. only)\r\n";
    case 128: return "Flight Information Region (FIR)\r\n";
    case 256: return "Oceanic Area Control Centre (OAC)\r\n";
    case 512: return "Radar Area\r\n";
    case 1024: return "Terminal Control Area (TMA)\r\n";
    case 2048: return "Upper Flight Information Region (UIR)\r\n";
    default: return "unknown\r\n";
  }
}

// The co-located intersection of a navaid, when its index names one.
void ColocatedAirways(std::string& out, const CSceneryDatabase& db, int32_t intersection) {
  if (intersection >= 0 && intersection < db.m_intersections.GetSize())
    AirwaysText(out, db, db.m_intersections[intersection]);
}

}  // namespace

void AddPointTextStrings() {
  static std::once_flag once;
  std::call_once(once, [] {
    ui::AddStrings({{IDS_FREQ_ATIS, "ATIS Frequency"},        {IDS_FREQ_CLEARANCE, "Clearance Delivery"},
                    {IDS_FREQ_CTAF, "CTAF Frequency"},        {IDS_FREQ_GROUND, "Ground Frequency"},
                    {IDS_FREQ_TOWER, "Tower Frequency"},      {IDS_FREQ_DEPARTURE, "Departure Frequency"},
                    {IDS_FREQ_APPROACH, "Approach Frequency"}, {IDS_FREQ_CENTER, "Center Frequency"},
                    {IDS_FREQ_FSS, "FSS Frequency"},          {IDS_FREQ_MULTICOM, "MULTICOMM Frequ."},
                    {IDS_FREQ_UNICOM, "UNICOM Frequency"},    {IDS_FREQ_AWOS, "AWOS Frequency"},
                    {IDS_FREQ_ASOS, "ASOS Frequency"},
                    {6449, "Parking"},       {6450, "N Parking"},   {6451, "NE Parking"},  {6452, "E Parking"},
                    {6453, "SE Parking"},    {6454, "S Parking"},   {6455, "SW Parking"},  {6456, "W Parking"},
                    {6457, "NW Parking"},    {6458, "Gate"},        {6459, "Dock"},
                    {6486, "Type unknown"},  {6487, "Ramp GA"},     {6488, "Ramp GA small"},
                    {6489, "Ramp GA medium"}, {6490, "Ramp GA large"}, {6491, "Ramp Cargo"},
                    {6492, "Ramp mil Cargo"}, {6493, "Ramp mil Combat"}, {6494, "Gate small"},
                    {6495, "Gate medium"},   {6496, "Gate heavy"},  {6497, "Dock GA"}});
    static char gates[26][8];
    for (int i = 0; i < 26; ++i) {
      std::snprintf(gates[i], sizeof gates[i], "Gate %c", 'A' + i);
      ui::AddStrings({{static_cast<unsigned>(6460 + i), gates[i]}});
    }
  });
}

void FrequencyText(std::string& out, const CSceneryDatabase& db, const NavPoint& airport, uint16_t type,
                   unsigned labelId) {
  AddPointTextStrings();
  const AirportRecord* a = db.GetAirport(airport);
  const FrequencyEntry* list = a ? db.GetAirportFrequencies(airport) : nullptr;
  if (list == nullptr) return;
  int printed = 0;
  for (int i = 0; i < a->FrequencyCount(); ++i) {
    const FrequencyEntry entry = list[i];
    if (entry.type != type) continue;
    switch (printed % 3) {
      case 0: Append(out, "%s:\t%6.2f MHz", ui::LoadString(labelId).c_str(), entry.frequency); break;
      case 1: Append(out, "\t%6.2f MHz", entry.frequency); break;
      default: Append(out, "\t%6.2f MHz\r\n", entry.frequency); break;
    }
    ++printed;
  }
  if (printed % 3 != 0) out += "\r\n";
}

void AirwaysText(std::string& out, const CSceneryDatabase& db, const NavPoint& intersection) {
  const IntersectionRecord* r = db.GetIntersection(intersection);
  const AirwaySegment* segments = r ? db.GetIntersectionSegments(intersection) : nullptr;
  if (segments == nullptr) return;
  for (const auto& [levelBit, heading] : {std::pair<uint16_t, const char*>{2, "L-Airways:"}, {4, "H-Airways:"}}) {
    int counted = 0;
    for (int i = 0; i < r->segmentCount; ++i) {
      const AirwaySegment s = segments[i];
      const std::string_view name = s.Name();
      const bool level = (s.half[0].flags & levelBit) != 0 || (s.half[1].flags & levelBit) != 0;
      const bool linked = s.half[0].neighbour >= 0 || s.half[1].neighbour >= 0;
      if (name.empty() || !level || !linked) continue;
      if (counted == 0) out += heading;
      out += '\t';
      out += name;
      if (++counted % 3 == 0) out += "\r\n";
    }
    if (counted % 3 != 0) out += "\r\n";
  }
}

std::string ShortenFilePath(std::string path) {
  if (path.size() < kLongPath) return path;
  size_t start = 0;
  while (start < 2 && start < path.size() && path[start] == '\\') ++start;
  const size_t a = path.find('\\', start);
  if (a == std::string::npos) return path;
  size_t b = path.find('\\', a + 1);
  if (b == std::string::npos) return path;
  while ((a + 1) + 3 + (path.size() - b) > kShortPathLimit) {
    const size_t next = path.find('\\', b + 1);
    if (next == std::string::npos) break;
    b = next;
  }
  return path.substr(0, a + 1) + "..." + path.substr(b);
}

namespace {

// What the text of every kind is made from.
struct InfoSource {
  const CSceneryDatabase& db;
  const CRoute& route;
  const NavPoint& key;
  double lat;
  double lon;
  double variation;
};

bool ComInfo(std::string& out, const InfoSource& s) {
  const ComRecord* r = s.db.GetCom(s.key);
  if (!r) return false;
  const int type = r->Type();
  const bool atis = type == kComAtis && r->range != 0;
  out += type == kComAtis ? "ATIS\r\n" : type == kComPilotLighting ? "Pilot controlled Lighting\r\n" : "COM\r\n";
  if (atis) Append(out, "Frequ./Range:\t%6.2f MHz\t%0.0f nm\r\n", r->frequency, RangeToNm(r->range));
  else Append(out, "Frequency:\t%6.2f MHz\r\n", r->frequency);
  AirportLine(out, s.db, s.route, s.key);
  VariationLine(out, s.variation);
  if (atis) {
    out += "Preferred runways:\r\n";
    static const char kSides[] = " LRC";
    const struct {
      const char* label;
      int byte;
    } winds[] = {{"North", 0}, {"East", 2}, {"South", 1}, {"West", 3}};
    for (const auto& w : winds) {
      const uint8_t b = r->runways[w.byte];
      Append(out, "  %s wind:\t%d%c\r\n", w.label, b & 0x3F, kSides[b >> 6]);
    }
  }
  LatLonLine(out, s.lat, s.lon);
  return true;
}

bool AirspaceInfo(std::string& out, const InfoSource& s) {
  const AirspaceRecord* r = s.db.GetAirspace(s.key);
  if (!r) return false;
  Append(out, "Airspace\t%s\r\n", Ident(r->Ident()).c_str());
  if (r->nameText >= 0) Append(out, "Full name:\t%s\r\n", Text(s.db, r->nameText));
  if (r->callSignText >= 0) Append(out, "Call Sign:\t%s\r\n", Text(s.db, r->callSignText));
  const FrequencyEntry* f = s.db.GetAirspaceFrequencies(s.key);
  const auto frequency = [&](const char* lead, const FrequencyEntry& e, const char* end) {
    if (e.frequency >= 100) Append(out, "%s%6.2f MHz%s", lead, e.frequency, end);
    else Append(out, "%s%4.0f kHz%s", lead, e.frequency * 1000, end);
  };
  if (f && r->frequencyCount >= 2) {
    frequency("Frequency:\t", f[0], "");
    frequency("\t", f[1], "\r\n");
  } else if (f && r->frequencyCount == 1) {
    frequency("Frequency:\t", f[0], "\r\n");
  }
  const int level = r->Level();
  if (level == 3) out += "Level:\tHigh and Low\r\n";
  else if (level == 1) out += "Level:\tLow\r\n";
  else if (level == 2) out += "Level:\tHigh\r\n";
  out += "Type:\t";
  out += AirspaceTypeText(r->Type());
  return true;
}

bool FixInfo(std::string& out, const InfoSource& s, const CFixNameMap& names) {
  FixName name{};
  if (!names.Lookup(s.key, name)) return false;
  Append(out, "Fix\t%s\r\n", std::string(FixNameText(name)).c_str());
  VariationLine(out, s.variation);
  LatLonLine(out, s.lat, s.lon);
  return true;
}

bool MarkerInfo(std::string& out, const InfoSource& s) {
  const MarkerRecord* r = s.db.GetMarker(s.key);
  if (!r) return false;
  static const char* const kMarkers[] = {"Outer marker\r\n", "Middle marker\r\n", "Inner marker\r\n"};
  if (r->type < 3) out += kMarkers[r->type];
  AirportLine(out, s.db, s.route, s.key);
  Append(out, "Altitude:\t%d ft\r\n", Feet(r->altitude));
  VariationLine(out, s.variation);
  LatLonLine(out, s.lat, s.lon);
  return true;
}

// The parking position a point of the airport stands for: the parking entry at its position.
void ParkingLine(std::string& out, const InfoSource& s, const AirportRecord& r) {
  const ParkingEntry* parkings = s.db.GetAirportParkings(s.key);
  if (parkings == nullptr) return;
  for (int i = 0; i < r.ParkingCount(); ++i) {
    const ParkingEntry p = parkings[i];
    if (p.latitude != s.key.latitude || p.longitude != s.key.longitude) continue;
    const int nameKind = p.NameKind();
    if (nameKind >= 1 && nameKind <= kLastNamedParking) {
      const unsigned type = p.bits > kLastParkingTypeBits ? 0 : static_cast<unsigned>(p.Type());
      Append(out, "Position:\t%s %u\t%s\r\n", ui::LoadString(IDS_PARKING_NAME_BASE + nameKind).c_str(),
             static_cast<unsigned>(p.Number()), ui::LoadString(IDS_PARKING_TYPE_BASE + type).c_str());
    } else if (nameKind == kHelipad) {
      Append(out, "Position:\tHelipad %u\r\n", static_cast<unsigned>(p.Number()));
    }
    return;
  }
}

bool AirportInfo(std::string& out, const InfoSource& s) {
  const AirportRecord* r = s.db.GetAirport(s.key);
  if (!r) return false;
  Append(out, "Airport\t%s\r\n", Ident(r->Ident()).c_str());
  Append(out, "Full name:\t%s\r\n", Text(s.db, r->nameText));
  ParkingLine(out, s, *r);
  if (r->cityText >= 0) Append(out, "City:\t%s\r\n", Text(s.db, r->cityText));
  if (r->stateText >= 0) Append(out, "State:\t%s\r\n", Text(s.db, r->stateText));
  if (r->countryText >= 0) Append(out, "Country:\t%s\r\n", Text(s.db, r->countryText));
  static const std::pair<uint16_t, unsigned> kFrequencies[] = {
      {1, IDS_FREQ_ATIS},    {64, IDS_FREQ_CLEARANCE}, {8, IDS_FREQ_CTAF},    {16, IDS_FREQ_GROUND},
      {32, IDS_FREQ_TOWER},  {256, IDS_FREQ_DEPARTURE}, {128, IDS_FREQ_APPROACH}, {512, IDS_FREQ_CENTER},
      {1024, IDS_FREQ_FSS}, {2, IDS_FREQ_MULTICOM},   {4, IDS_FREQ_UNICOM},  {2048, IDS_FREQ_AWOS},
      {4096, IDS_FREQ_ASOS}};
  for (const auto& [type, label] : kFrequencies) FrequencyText(out, s.db, s.key, type, label);
  Append(out, "Altitude:\t%d ft\r\n", Feet(r->altitude));
  VariationLine(out, s.variation);
  LatLonLine(out, s.lat, s.lon);
  return true;
}

bool RunwayInfo(std::string& out, const InfoSource& s) {
  const RunwayRecord* r = s.db.GetRunway(s.key);
  if (!r) return false;
  const IlsRecord* ils = RunwayIls(s.db, *r);
  const bool shown = ils && (g_Settings.GetMapBcIls(false) || ils->glideSlope >= 0);
  const std::string designator(r->Designator());
  if (shown) {
    Append(out, "Rwy ILS%s%s\t%s\t%s\r\n", GlideSlopeMark(*ils), DmeMark(*ils), designator.c_str(),
           Ident(ils->Ident()).c_str());
  } else {
    Append(out, "Runway\t%s\r\n", designator.c_str());
  }
  AirportLine(out, s.db, s.route, s.key);
  if (shown) MhzFrequencyLine(out, "ILS ", ils->frequency, ils->range);
  ApproachCourseLine(out, s.variation, r->heading);
  if (ils) GlideSlopeLine(out, *ils);
  Append(out, "Altitude/Surface:\t%d ft", Feet(r->altitude));
  if (const char* surface = SurfaceText(r->surface)) Append(out, "\t%s\r\n", surface);
  else Append(out, "\t%u\r\n", static_cast<unsigned>(r->surface));
  Append(out, "Length/Width:\t%u ft\t%d ft\r\n", static_cast<unsigned>(r->length), static_cast<int>(r->width));
  LatLonLine(out, s.lat, s.lon);
  return true;
}

bool IlsInfo(std::string& out, const InfoSource& s) {
  const IlsRecord* r = s.db.GetIls(s.key);
  if (!r) return false;
  Append(out, "ILS%s%s\t%s\r\n", GlideSlopeMark(*r), DmeMark(*r), Ident(r->Ident()).c_str());
  AirportLine(out, s.db, s.route, s.key);
  MhzFrequencyLine(out, "", r->frequency, r->range);
  ApproachCourseLine(out, s.variation, r->course);
  GlideSlopeLine(out, *r);
  Append(out, "Altitude:\t%d ft\r\n", Feet(r->altitude));
  LatLonLine(out, s.lat, s.lon);
  return true;
}

bool IntersectionInfo(std::string& out, const InfoSource& s) {
  const IntersectionRecord* r = s.db.GetIntersection(s.key);
  if (!r) return false;
  Append(out, "ISEC\t%s\r\n", Ident(r->Ident()).c_str());
  VariationLine(out, s.variation);
  LatLonLine(out, s.lat, s.lon);
  AirwaysText(out, s.db, s.key);
  return true;
}

bool NdbInfo(std::string& out, const InfoSource& s) {
  const NdbRecord* r = s.db.GetNdb(s.key);
  if (!r) return false;
  Append(out, "NDB\t%s\r\n", Ident(r->Ident()).c_str());
  Append(out, "Full name:\t%s\r\n", Text(s.db, r->nameText));
  if (r->range != 0) Append(out, "Frequ./Range:\t%5.1f KHz\t%0.0f nm\r\n", r->frequency, RangeToNm(r->range));
  else Append(out, "Frequency:\t%5.1f KHz\r\n", r->frequency);
  if (r->altitude > 0) Append(out, "Altitude:\t%d ft\r\n", Feet(r->altitude));
  VariationLine(out, s.variation);
  LatLonLine(out, s.lat, s.lon);
  ColocatedAirways(out, s.db, r->intersection);
  return true;
}

bool VorInfo(std::string& out, const InfoSource& s) {
  const VorRecord* r = s.db.GetVor(s.key);
  if (!r) return false;
  const uint8_t f = r->flags;
  const char* header = VorKindText(f);
  Append(out, "%s\t%s\r\n", header, Ident(r->Ident()).c_str());
  Append(out, "Full name:\t%s\r\n", Text(s.db, r->nameText));
  MhzFrequencyLine(out, "", r->frequency, r->range);
  if (r->altitude > 0) Append(out, "Altitude:\t%d ft\r\n", Feet(r->altitude));
  VariationLine(out, s.variation);
  const double diff = BinaryAngleToDegrees(r->declination) - s.variation;
  if (std::fabs(diff) >= 0.5)
    Append(out, "NAV Course:\tMag. Heading %c %.0f deg\r\n", diff >= 0 ? '+' : '-', std::fabs(diff) + 0.5);
  LatLonLine(out, s.lat, s.lon);
  ColocatedAirways(out, s.db, r->intersection);
  return true;
}

// The scenery file the object came from, for the kinds that have one.
void FileLine(std::string& out, const CSceneryDatabase& db, const FullPoint& object) {
  if (object.areaIndex < 0 || object.areaIndex >= db.m_areas.GetSize()) return;
  std::string path = Text(db, db.m_areas[object.areaIndex].TitleText());
  if (path.empty() || path.back() != '\\') path += '\\';
  if (object.fileIndex >= 0 && object.fileIndex < db.m_files.GetSize()) {
    const BglFileRecord& file = db.m_files[object.fileIndex];
    path += Text(db, file.subfolderText);
    path += Text(db, file.fileNameText);
  }
  out += "File: " + ShortenFilePath(path) + "\r\n";
}

// Distance, heading and time from the aircraft.
void FlyToLines(std::string& out, const CRoute& route, const SimSnapshot& sim, double lat, double lon) {
  const double metres = GreatCircleDistance(sim.latitude, sim.longitude, lat, lon);
  const double course = std::fmod(InitialCourse(sim.latitude, sim.longitude, lat, lon) +
                                      route.MagneticVariation(sim.latitude, sim.longitude) + 360, 360.0);
  // A host position that is no number gives no line: its casts would be undefined.
  if (!std::isfinite(metres) || !std::isfinite(course)) return;
  const double nm = metres / kMetresPerNm;
  Append(out, "Fly to Dist/Head:\t%0.1f nm\t%d deg\r\n", nm, static_cast<int>(course + 0.5));
  if (!sim.onGround && sim.trueAirspeed > kMinTimedAirspeed && std::isfinite(sim.trueAirspeed)) {
    const double t = nm / sim.trueAirspeed * 60;
    if (t < 1e6)
      Append(out, "Fly to Time:\t%02d %02d' %02d\"\r\n", static_cast<int>(t / 60), static_cast<int>(t) % 60,
             static_cast<int>(t * 60) % 60);
  }
}

}  // namespace

bool CRoute::AirportInfoText(std::string& out, const FullPoint& object, const SimSnapshot& sim) const {
  AddPointTextStrings();
  out.clear();
  const NavPoint& key = object.point;
  const double lat = key.latitude, lon = key.longitude;
  const InfoSource s{DatabaseLease::HeldDatabase(), *this, key, lat, lon, MagneticVariation(lat, lon)};
  const uint16_t kind = (key.kind & kKindUserPoint) != 0 ? static_cast<uint16_t>(kKindUserPoint) : key.Kind();

  bool known = false;
  switch (kind) {
    case kKindCom: known = ComInfo(out, s); break;
    case kKindAirspaceLow:
    case kKindAirspaceMid:
    case kKindAirspaceHigh: known = AirspaceInfo(out, s); break;
    case kKindUserPoint: known = FixInfo(out, s, m_fixNames); break;
    case kKindMarker: known = MarkerInfo(out, s); break;
    case kKindAirport: known = AirportInfo(out, s); break;
    case kKindRunway: known = RunwayInfo(out, s); break;
    case kKindIls: known = IlsInfo(out, s); break;
    case kKindIntersection: known = IntersectionInfo(out, s); break;
    case kKindNdb: known = NdbInfo(out, s); break;
    case kKindVor: known = VorInfo(out, s); break;
    default: break;
  }
  if (!known) return false;
  if ((kind & kKindsWithFile) != 0) FileLine(out, s.db, object);
  if ((kind & kAirspaceKinds) == 0) FlyToLines(out, *this, sim, lat, lon);
  return true;
}
