#include "tools/sample-simroot/SampleSimRoot.h"

#include <charconv>
#include <chrono>
#include <iterator>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "basemaker/compiler/OldBgl.h"
#include "basemaker/compiler/SectionBgl.h"
#include "basemaker/compiler/tests/support/CompressedBglWriter.h"
#include "basemaker/compiler/tests/support/OldBglWriter.h"
#include "basemaker/compiler/tests/support/ScratchDir.h"
#include "basemaker/compiler/tests/support/SectionBglWriter.h"
#include "cw/SourceDir.h"
#include "navdb/Geodesy.h"
#include "platform/win/WinPath.h"
#include "platform/win/WinePrefix.h"
#include "plotr/core/Settings.h"
#include "tools/sample-simroot/MagneticModel.h"

namespace fs = std::filesystem;

namespace sampleroot {

namespace {

using namespace testbgl;

std::string Num(double v, int precision = 6) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, precision);
  return std::string(buffer, r.ptr);
}

bool SameContent(const fs::path& file, const char* data, size_t size) {
  std::error_code ec;
  if (fs::file_size(file, ec) != size || ec) return false;
  std::ifstream in(file, std::ios::binary);
  std::string existing(size, '\0');
  in.read(existing.data(), static_cast<std::streamsize>(size));
  return in && existing.compare(0, size, data, size) == 0;
}

// A file that already holds these bytes is left alone, so its time stays and a second build
// of an unchanged root takes the previous database for every area.
bool WriteBytes(const fs::path& file, const char* data, size_t size, std::string& error) {
  if (SameContent(file, data, size)) return true;
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
  out.close();
  if (!out) {
    error = "cannot write " + file.string();
    return false;
  }
  return true;
}

bool WriteText(const fs::path& file, const std::string& text, std::string& error) {
  return WriteBytes(file, text.data(), text.size(), error);
}

bool WriteImage(const fs::path& file, const std::vector<uint8_t>& bytes, std::string& error) {
  return WriteBytes(file, reinterpret_cast<const char*>(bytes.data()), bytes.size(), error);
}

// The same file packed: the header stays, the rest becomes one compressed block.
std::vector<uint8_t> Compressed(const std::vector<uint8_t>& plain) {
  std::vector<uint8_t> image = plain;
  if (image.size() < 256) image.resize(256, 0);
  const std::vector<uint8_t> header(image.begin(), image.begin() + 128);
  const std::vector<uint8_t> body(image.begin() + 128, image.end());
  return MakeCompressedBgl(header, static_cast<uint32_t>(body.size()), CompressBody(body));
}

// A scenery configuration area section.
std::string AreaSection(int number, const std::string& title, const std::string& local, int layer,
                        const std::string& exclude = "") {
  std::string s = "[Area." + std::string(number < 10 ? "00" : number < 100 ? "0" : "") +
                  std::to_string(number) + "]\r\nTitle=" + title + "\r\nLocal=" + local +
                  "\r\nLayer=" + std::to_string(layer) + "\r\nActive=TRUE\r\nRequired=FALSE\r\n";
  if (!exclude.empty()) s += "Exclude=" + exclude + "\r\n";
  return s + "\r\n";
}

std::string ProgramCfg() { return "[Essential]\r\nSimVer=90\r\n"; }

// ---- The Swiss sample ------------------------------------------------------------------------

struct RunwayData {
  double lat, lon;    // centre
  double lengthM, widthM;
  double heading;     // true heading of the primary end
  uint8_t number;     // primary number; the other end is number + 18 (mod 36)
  uint8_t designator; // 0 none, 1 L, 2 R, 3 C (the other end mirrors L and R)
};

struct IlsData {
  int runway;         // index into the airport's runways
  bool primary;       // serves the primary end
  double mhz;
  const char* ident;
};

struct AirportData {
  const char* ident;
  const char* name;
  double lat, lon, elevationM;
  std::vector<RunwayData> runways;
  std::vector<IlsData> ils;
  double atisMhz;  // 0 none
};

// Positions, runways and frequencies of public aeronautical charts, rounded.
const std::vector<AirportData>& SwissAirports() {
  static const std::vector<AirportData> airports = {
      {"LSZH", "Zurich", 47.4647, 8.5492, 432,
       {{47.4736, 8.5477, 3300, 60, 137.5, 14, 0}, {47.4578, 8.5575, 3700, 60, 154.1, 16, 0},
        {47.4594, 8.5470, 2500, 60, 96.8, 10, 0}},
       {{0, true, 108.30, "IKL"}, {1, true, 110.50, "IZS"}, {2, false, 109.50, "IZW"}}, 128.525},
      {"LSGG", "Geneve", 46.2381, 6.1090, 430, {{46.2381, 6.1090, 3900, 50, 46.3, 5, 0}},
       {{0, false, 110.90, "IGG"}}, 135.725},
      {"LFSB", "Basel-Mulhouse", 47.5896, 7.5299, 270,
       {{47.5935, 7.5275, 3900, 60, 153.2, 15, 0}, {47.5986, 7.5320, 1820, 60, 77.3, 8, 0}},
       {{0, true, 110.75, "IBS"}}, 127.875},
      {"LSZB", "Bern-Belp", 46.9141, 7.4971, 510, {{46.9141, 7.4971, 1730, 30, 137.6, 14, 0}},
       {{0, true, 110.10, "IBE"}}, 125.125},
      {"LSZA", "Lugano", 46.0040, 8.9106, 279, {{46.0040, 8.9106, 1350, 30, 12.0, 1, 0}}, {}, 0},
      {"LSGS", "Sion", 46.2196, 7.3268, 482, {{46.2196, 7.3268, 2000, 40, 75.0, 7, 0}}, {}, 0},
      {"LSZS", "Samedan", 46.5341, 9.8841, 1707, {{46.5341, 9.8841, 1800, 40, 30.0, 3, 0}}, {}, 0},
      {"LSZG", "Grenchen", 47.1816, 7.4172, 430, {{47.1816, 7.4172, 1000, 30, 70.0, 7, 0}}, {}, 0},
      {"LSZR", "St. Gallen-Altenrhein", 47.4850, 9.5608, 398,
       {{47.4850, 9.5608, 1500, 30, 98.0, 10, 0}}, {}, 0},
      {"LSMP", "Payerne", 46.8432, 6.9151, 450, {{46.8432, 6.9151, 2800, 40, 50.0, 5, 0}}, {}, 0},
      {"LSME", "Emmen", 47.0924, 8.3052, 426, {{47.0924, 8.3052, 2500, 40, 40.0, 4, 0}}, {}, 0},
      {"LSZC", "Buochs", 46.9744, 8.3969, 450, {{46.9744, 8.3969, 2000, 40, 64.0, 6, 0}}, {}, 0},
  };
  return airports;
}

struct BeaconData {
  const char* ident;
  const char* name;
  double lat, lon, frequency;  // MHz for VORs, kHz for NDBs
  bool dmeOnly;
};

const std::vector<BeaconData>& SwissVors() {
  static const std::vector<BeaconData> vors = {
      {"KLO", "Kloten", 47.4573, 8.5461, 114.85, false},    {"ZUE", "Zurich East", 47.5922, 8.8175, 110.05, false},
      {"TRA", "Trasadingen", 47.6900, 8.4367, 114.30, false}, {"HOC", "Hochwald", 47.4681, 7.6686, 113.20, false},
      {"WIL", "Willisau", 47.1786, 7.9056, 116.90, false},  {"GVA", "Geneva", 46.2530, 6.1300, 114.60, false},
      {"PAS", "Passeiry", 46.1664, 6.0000, 116.60, false},  {"SPR", "Saint-Prex", 46.4700, 6.4500, 113.90, false},
      {"FRI", "Fribourg", 46.7800, 7.2200, 115.10, false},  {"SIO", "Sion", 46.2200, 7.3500, 114.20, false},
      {"BSL", "Basel", 47.6300, 7.5300, 116.20, true},
  };
  return vors;
}

const std::vector<BeaconData>& SwissNdbs() {
  static const std::vector<BeaconData> ndbs = {
      {"ZH", "Zurich", 47.5300, 8.5500, 347.0, false},   {"GRE", "Grenchen", 47.1810, 7.4100, 373.0, false},
      {"SAM", "Samedan", 46.5300, 9.8800, 413.0, false}, {"BLM", "Bern", 46.9200, 7.5000, 326.0, false},
  };
  return ndbs;
}

// The point `metres` from (lat, lon) along `course`.
void Offset(double& lat, double& lon, double course, double metres) {
  double outLat, outLon;
  DestinationPoint(outLat, outLon, lat, lon, course, metres);
  lat = outLat;
  lon = outLon;
}

uint8_t OtherEnd(uint8_t number) { return static_cast<uint8_t>(number > 18 ? number - 18 : number + 18); }

std::vector<uint8_t> AirportFile(const std::vector<const AirportData*>& airports) {
  SectionBglWriter w;
  for (const AirportData* a : airports) {
    Record rec = Airport(a->lat, a->lon, a->elevationM, a->ident);
    rec.Sub(NameSub(a->name));
    for (const RunwayData& r : a->runways) {
      const uint8_t other = OtherEnd(r.number);
      const uint8_t otherDesignator = r.designator == 1 ? 2 : r.designator == 2 ? 1 : r.designator;
      rec.Sub(Runway(r.lat, r.lon, r.lengthM, r.widthM, r.heading, r.number, r.designator, other,
                     otherDesignator, 4, a->elevationM));
    }
    if (a->atisMhz > 0) rec.Sub(Frequency(1, a->atisMhz));
    w.Add(kBglSectionAirport, rec);
    for (const IlsData& ils : a->ils) {
      const RunwayData& r = a->runways[static_cast<size_t>(ils.runway)];
      const double course = ils.primary ? r.heading : std::fmod(r.heading + 180, 360);
      // The localizer stands beyond the far end of the runway, on the approach course.
      double lat = r.lat, lon = r.lon;
      Offset(lat, lon, course, r.lengthM / 2 + 300);
      w.Add(kBglSectionVorIls, Ils(lat, lon, ils.mhz, ils.ident, static_cast<float>(course)));
    }
  }
  return w.Build();
}

std::vector<uint8_t> NavaidFile() {
  SectionBglWriter w;
  for (const BeaconData& v : SwissVors()) {
    w.Add(kBglSectionVorIls, Vor(v.lat, v.lon, v.frequency, v.ident, v.dmeOnly ? 3 : 1, v.dmeOnly ? 16 : 17)
                                 .Sub(NameSub(v.name)));
  }
  for (const BeaconData& n : SwissNdbs()) {
    w.Add(kBglSectionNdb, Ndb(n.lat, n.lon, n.frequency, n.ident).Sub(NameSub(n.name)));
  }
  return w.Build();
}

struct Fix {
  const char* ident;
  double lat, lon;
};

const std::vector<Fix>& SwissFixes() {
  static const std::vector<Fix> fixes = {
      {"GIPOL", 47.5361, 7.6181}, {"RILAX", 47.3956, 8.0603}, {"AMIKI", 47.3433, 8.4025},
      {"DEGES", 47.6817, 8.7361}, {"NEGRA", 47.2333, 8.9000}, {"ROTOS", 47.7500, 9.2167},
      {"ODINA", 46.5500, 6.7500}, {"BELUS", 46.6383, 6.8900}, {"DITON", 46.9000, 7.6000},
      {"LUSAR", 46.3000, 8.0000}, {"ABESI", 46.0500, 6.6000}, {"MOLUS", 46.7000, 8.3000},
      {"KELIP", 47.0500, 8.6500}, {"ZHNB", 47.5310, 8.5510},
  };
  return fixes;
}

// Airways as waypoint chains in order, each of one level: 'L' low, 'H' high, 'B' both. Where
// chains share a waypoint, a route may change airways, and levels where a low and a high one meet.
struct AirwayData {
  const char* name;
  char level;
  std::vector<const char*> waypoints;
};

const std::vector<AirwayData>& SwissAirways() {
  static const std::vector<AirwayData> airways = {
      {"A9", 'L', {"PAS", "GVA", "SPR", "BELUS", "FRI", "DITON", "WIL", "RILAX", "KLO"}},
      {"UN871", 'H', {"GIPOL", "HOC", "RILAX", "AMIKI", "KLO", "DEGES", "ROTOS"}},
      {"UL613", 'B', {"ABESI", "ODINA", "BELUS", "MOLUS", "KELIP", "ZUE"}},
      {"UN850", 'H', {"BELUS", "DITON", "HOC"}},
      {"R12", 'L', {"TRA", "ZHNB", "KLO", "NEGRA"}},
  };
  return airways;
}

bool LookUpWaypoint(const char* ident, double& lat, double& lon) {
  for (const Fix& f : SwissFixes()) {
    if (std::string(f.ident) == ident) return lat = f.lat, lon = f.lon, true;
  }
  for (const BeaconData& v : SwissVors()) {
    if (std::string(v.ident) == ident) return lat = v.lat, lon = v.lon, true;
  }
  return false;
}

// One AIRWAY.txt line: waypoint, airway, level, previous and next waypoint. Every hop to a
// neighbour may be flown ("Y"), so the route finder can travel the airways either way.
std::string AirwayLine(const std::string& ident, double lat, double lon, const std::string& airway,
                       const std::string& level, const std::string& prev, double prevLat, double prevLon,
                       const std::string& next, double nextLat, double nextLon) {
  const auto flyable = [](const std::string& neighbour) { return neighbour.empty() ? "N" : "Y"; };
  return ident + "\t" + Num(lat) + "\t" + Num(lon) + "\t2\t" + airway + "\t" + level + "\t" + prev + "\t" +
         Num(prevLat) + "\t" + Num(prevLon) + "\t0\t" + flyable(prev) + "\t" + next + "\t" + Num(nextLat) + "\t" +
         Num(nextLon) + "\t0\t" + flyable(next) + "\r\n";
}

// An airway network: the airways as chains of junctions, each junction one waypoint however
// many airways pass it.
struct Junction {
  double lat = 0, lon = 0;
  uint16_t levels = 0;  // 1 low, 2 high
  std::string ident;
  char navaid = 0;      // 'V' VOR, 'N' NDB, 0 a plain fix
  std::string navaidIdent;
  double navaidLat = 0, navaidLon = 0;
};

struct Airway {
  std::string name;
  char level;  // 'L', 'H' or 'B'
  std::vector<int> junctions;
};

struct AirwayNetwork {
  std::vector<Junction> junctions;
  std::vector<Airway> airways;
  int vors = 0, ndbs = 0;
};

// AIRWAY.txt of the network: each junction's lines together, as the build reads them.
std::string AirwayText(const AirwayNetwork& net) {
  struct Through {
    size_t airway;
    size_t at;
  };
  std::vector<std::vector<Through>> through(net.junctions.size());
  for (size_t a = 0; a < net.airways.size(); ++a) {
    const std::vector<int>& js = net.airways[a].junctions;
    for (size_t i = 0; i < js.size(); ++i) through[static_cast<size_t>(js[i])].push_back({a, i});
  }
  std::string out;
  out.reserve(net.airways.size() * 2 * 110);
  for (size_t n = 0; n < net.junctions.size(); ++n) {
    const Junction& j = net.junctions[n];
    for (const Through& t : through[n]) {
      const Airway& a = net.airways[t.airway];
      std::string prev, next;
      double plat = 0, plon = 0, nlat = 0, nlon = 0;
      if (t.at > 0) {
        const Junction& p = net.junctions[static_cast<size_t>(a.junctions[t.at - 1])];
        prev = p.ident, plat = p.lat, plon = p.lon;
      }
      if (t.at + 1 < a.junctions.size()) {
        const Junction& x = net.junctions[static_cast<size_t>(a.junctions[t.at + 1])];
        next = x.ident, nlat = x.lat, nlon = x.lon;
      }
      out += AirwayLine(j.ident, j.lat, j.lon, a.name, std::string(1, a.level), prev, plat, plon, next, nlat, nlon);
    }
  }
  return out;
}

// The Swiss airways as a network: a waypoint several airways pass is one junction.
AirwayNetwork SwissAirwayNetwork() {
  AirwayNetwork net;
  std::map<std::string, int> junctionOf;
  for (const AirwayData& a : SwissAirways()) {
    Airway airway{a.name, a.level, {}};
    for (const char* ident : a.waypoints) {
      const auto [at, added] = junctionOf.emplace(ident, static_cast<int>(net.junctions.size()));
      if (added) {
        Junction j;
        j.ident = ident;
        LookUpWaypoint(ident, j.lat, j.lon);
        net.junctions.push_back(j);
      }
      airway.junctions.push_back(at->second);
    }
    net.airways.push_back(std::move(airway));
  }
  return net;
}

// One airspace as four great-circle edges of a box.
std::string AirspaceBox(int type, const std::string& ident, const std::string& name, const std::string& callSign,
                        const std::string& mhz, double south, double west, double north, double east) {
  const double pts[5][2] = {{south, west}, {north, west}, {north, east}, {south, east}, {south, west}};
  std::string out;
  for (int i = 0; i < 4; ++i) {
    out += std::to_string(type) + "\t" + ident + "\t" + name + "\tL\tH\tC\t" + std::to_string(i + 1) + "\t" +
           Num(pts[i][0]) + "\t" + Num(pts[i][1]) + "\t" + Num(pts[i + 1][0]) + "\t" + Num(pts[i + 1][1]) +
           "\tG\t" + callSign + "\t" + mhz + "\t0\t-\t0\t0\t0\t-\r\n";
  }
  return out;
}

bool WriteSwissTextFiles(const fs::path& program, std::string& error) {
  std::string isec;
  for (const Fix& f : SwissFixes()) isec += std::string(f.ident) + "\t" + Num(f.lat) + "\t" + Num(f.lon) + "\r\n";

  // Two tracks between airway waypoints: Zurich to Geneva and Basel to Samedan.
  const std::string track = "47.4573\t8.5461\t46.2530\t6.1300\r\n47.4681\t7.6686\t46.5341\t9.8841\r\n";

  std::string airspace =
      AirspaceBox(8, "LSZH", "ZURICH TMA", "ZURICH ARRIVAL", "118.000", 47.20, 8.10, 47.75, 9.05) +
      AirspaceBox(8, "LSGG", "GENEVA TMA", "GENEVA ARRIVAL", "131.325", 46.00, 5.85, 46.55, 6.55) +
      AirspaceBox(3, "LSR1", "RESTRICTED ALPS", "SWISS MIL", "0", 46.40, 8.20, 46.70, 8.80);

  std::string icao;
  for (const AirportData& a : SwissAirports()) {
    icao += std::string(a.ident) + "\t" + Num(a.lat, 4) + "\t" + Num(a.lon, 4) + "\t" + a.name + "\r\n";
  }

  return WriteText(program / "Program.cfg", ProgramCfg(), error) &&
         WriteText(program / "ISEC.txt", isec, error) && WriteText(program / "TRACK.txt", track, error) &&
         WriteText(program / "AIRWAY.txt", AirwayText(SwissAirwayNetwork()), error) &&
         WriteText(program / "AIRSPACE.txt", airspace, error) && WriteText(program / "ICAO.txt", icao, error);
}

// The sample's stored SIDs and STARs: the ".ss" files kept beside this source, copied into the
// program's SID/STAR folder so the browser and the route finder have procedures to offer.
bool WriteSampleSidStars(const fs::path& folder, std::string& error) {
  const fs::path source = fs::path(CW_SOURCE_DIR) / "tools" / "sample-simroot" / "SidStar";
  std::error_code ec;
  std::vector<fs::path> files;
  for (fs::directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".ss") files.push_back(it->path());
  }
  if (ec || files.empty()) {
    error = "no SID/STAR files in " + source.string();
    return false;
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      error = "cannot read " + file.string();
      return false;
    }
    if (!WriteText(folder / file.filename(), bytes, error)) return false;
  }
  return true;
}

const AirportData* FindAirport(const char* ident) {
  for (const AirportData& a : SwissAirports()) {
    if (std::string(a.ident) == ident) return &a;
  }
  return nullptr;
}

// ---- The old-format area ----------------------------------------------------------------------
// Navaids of the older simulator versions' scenery, none of them in the section-format areas:
// the St. Gallen-Altenrhein ILS for runway 10 with its markers and locator, a VOR/DME and NDBs,
// ATIS frequencies, airfields known only by their scenery labels, and the world's magnetic
// variation. Positions and frequencies of public aeronautical charts, rounded.

constexpr double kVorIndexBaseMhz = 108.0;
constexpr double kVorIndexStepMhz = 0.05;

int VorIndex(double mhz) { return static_cast<int>(std::lround((mhz - kVorIndexBaseMhz) / kVorIndexStepMhz)); }

// Heights in the file are whole metres.
int16_t Metres(double m) { return static_cast<int16_t>(std::lround(m)); }

// The runway 10 approach of LSZH's neighbour on Lake Constance: the localizer beyond the far end,
// the glide slope abeam the touchdown zone, the outer and middle markers on the approach line.
struct ClassicIls {
  double lat, lon;      // localizer
  double gsLat, gsLon;  // glide slope
  double omLat, omLon, mmLat, mmLon;
  double course;        // true, degrees
};

ClassicIls AltenrheinIls() {
  const AirportData* a = nullptr;
  for (const AirportData& d : SwissAirports()) {
    if (std::string(d.ident) == "LSZR") a = &d;
  }
  const RunwayData& r = a->runways.front();
  ClassicIls ils{};
  ils.course = r.heading;
  const double back = std::fmod(r.heading + 180, 360);
  ils.lat = r.lat, ils.lon = r.lon;
  Offset(ils.lat, ils.lon, r.heading, r.lengthM / 2 + 300);
  double thresholdLat = r.lat, thresholdLon = r.lon;
  Offset(thresholdLat, thresholdLon, back, r.lengthM / 2);
  ils.gsLat = thresholdLat, ils.gsLon = thresholdLon;
  Offset(ils.gsLat, ils.gsLon, r.heading, 300);
  ils.omLat = thresholdLat, ils.omLon = thresholdLon;
  Offset(ils.omLat, ils.omLon, back, 4.0 * 1852);
  ils.mmLat = thresholdLat, ils.mmLon = thresholdLon;
  Offset(ils.mmLat, ils.mmLon, back, 1050);
  return ils;
}

int16_t ModelVariationWord(int lon, int lat) {
  return MagVarGridWord(MagneticDeclination(lat, lon > 180 ? lon - 360 : lon));
}

std::vector<uint8_t> ClassicNavaidFile() {
  OldBglWriter w;
  w.SetBox(47.9, 45.8, 10.5, 5.9);

  w.SetSection(kOldNdbSectionField,
               GroupedSection({{0, 0, Items({NdbItem(47.4780, 9.4700, 3180, "AR", "ALTENRHEIN", 400),
                                             NdbItem(46.0050, 8.9100, 3160, "LUG", "LUGANO", 300),
                                             NdbItem(46.8460, 6.9120, 3470, "PAY", "PAYERNE", 450)})}}));

  // One index table entry per 50 kHz from the lowest frequency used to the highest.
  const ClassicIls ils = AltenrheinIls();
  IlsFields loc;
  loc.lat = ils.lat, loc.lon = ils.lon;
  loc.course = static_cast<uint16_t>(std::lround(ils.course * 65536.0 / 360.0) & 0xFFFF);
  loc.ident = "IAR";
  loc.gsLat = ils.gsLat, loc.gsLon = ils.gsLon;
  loc.altitude = Metres(398);
  loc.gsAltitude = Metres(398);
  const double ilsMhz = 110.30, vorMhz = 115.70;
  const int low = VorIndex(ilsMhz), high = VorIndex(vorMhz);
  std::vector<std::vector<Group>> entries(static_cast<size_t>(high - low + 1));
  entries[0] = {{0, 0, IlsItem(loc)}};
  Bytes vor;
  vor.Append(VorItem(47.0494, 9.0403, "GLA", "GLARUS", 0x01, 22, 0, Metres(1290)));
  vor.Append(DmeExtension(47.0494, 9.0403, Metres(1290)));
  entries[static_cast<size_t>(high - low)] = {{0, 0, vor.Data()}};
  w.SetVorIlsRange(static_cast<uint16_t>(low), static_cast<uint16_t>(high));
  w.SetSection(kOldVorIlsSectionField, VorIlsSection(entries));

  w.SetSection(kOldAtisSectionField, GroupedSection({{0, 0, Items({AtisItem(46.0040, 8.9106, 0x2742),
                                                                  AtisItem(46.2196, 7.3268, 0x3062)})}}));
  w.SetSection(kOldLabelSectionField, LabelSection({{{47.4433, 8.2336, 395, "Birrfeld Airport"},
                                                     {46.5453, 6.6167, 621, "Lausanne-Blecherette Airport"},
                                                     {46.7550, 7.0761, 694, "Ecuvillens Airport"}}}));
  w.SetSection(kOldMarkerSectionField,
               GroupedSection({{0, 0, Items({MarkerBeacon(6, ils.omLat, ils.omLon, Metres(398), 70),
                                             MarkerBeacon(5, ils.mmLat, ils.mmLon, Metres(398), 70)})}}));
  w.SetSection(kOldMagVarSectionField, MagVarSection(ModelVariationWord));
  return w.Build();
}

// The stand-in simulator reports true airspeed, and says so in its own configuration, which the
// newest simulator keeps in the application-data folder of the user running it. The root is the
// Wine prefix of its installation, so the configuration comes with it.
bool WriteSimulatorConfiguration(const fs::path& root, std::string& error) {
  std::error_code ec;
  const fs::path drive = root / "dosdevices" / "c:";
  fs::create_directories(root / "dosdevices", ec);
  fs::create_directories(root / "drive_c", ec);
  if (!fs::exists(fs::symlink_status(drive, ec))) fs::create_directory_symlink("../drive_c", drive, ec);
  if (ec) {
    error = "cannot make the drive " + drive.string() + ": " + ec.message();
    return false;
  }
  const std::string user = win::WineUserName();
  if (user.empty()) {
    error = "no user name for the simulator's configuration";
    return false;
  }
  const fs::path appData = root / "drive_c" / "users" / user / "AppData" / "Roaming";
  return WriteText(win::ToNativePath(kSimConfig90, appData), "[REALISM]\r\nTrueAirspeed=True\r\n", error);
}

}  // namespace

fs::path ProgramFolder(const fs::path& root) { return root / "Modules" / "Chartwright" / "Bin"; }
fs::path DatabaseFolder(const fs::path& root) { return root / "Modules" / "Chartwright"; }

bool WriteSampleSimRoot(const fs::path& root, std::string& error) {
  const fs::path scenery = root / "Scenery";
  // Area "Switzerland": the big airports in plain files, the eastern ones compressed in the
  // Addon subfolder.
  const auto group = [](std::initializer_list<const char*> idents) {
    std::vector<const AirportData*> out;
    for (const char* id : idents) out.push_back(FindAirport(id));
    return out;
  };
  if (!WriteImage(scenery / "Switzerland" / "scenery" / "AP_ZURICH.bgl", AirportFile(group({"LSZH", "LSME", "LSZC"})), error) ||
      !WriteImage(scenery / "Switzerland" / "scenery" / "AP_WEST.bgl", AirportFile(group({"LSGG", "LSMP", "LSGS", "LSZB", "LSZG"})), error) ||
      !WriteImage(scenery / "Switzerland" / "Addon" / "scenery" / "AP_EAST.bgl",
                  Compressed(AirportFile(group({"LSZR", "LFSB"}))), error)) {
    return false;
  }
  // Area "Swiss Navaids": one compressed file.
  if (!WriteImage(scenery / "SwissNav" / "scenery" / "NAV_CH.bgl", Compressed(NavaidFile()), error)) return false;
  // Area "Alpine Fields": a cabinet standing where the folder would be.
  {
    const fs::path work = root / "Scenery" / ".alpine-work";
    const fs::path member = work / "scenery" / "AP_ALPS.bgl";
    std::error_code ec;
    fs::remove_all(work, ec);
    if (!WriteImage(member, AirportFile(group({"LSZA", "LSZS"})), error)) return false;
    // The member's date goes into the cabinet: a fixed one keeps the cabinet's bytes the same.
    const std::chrono::system_clock::time_point fixed = std::chrono::sys_days{std::chrono::year{2004} / 7 / 1};
    fs::last_write_time(member, fs::file_time_type::clock::from_sys(fixed), ec);
    const fs::path packed = work / "Alpine.cab";
    const bool made = MakeCabinet(work, fs::absolute(packed), {"scenery/AP_ALPS.bgl"});
    std::vector<uint8_t> cab;
    if (made) {
      std::ifstream in(packed, std::ios::binary);
      cab.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::remove_all(work, ec);
    if (!made || cab.empty()) {
      error = "cannot make the cabinet (is gcab installed?)";
      return false;
    }
    if (!WriteImage(scenery / "Alpine.cab", cab, error)) return false;
  }
  // Area "Zurich 1998": an older, lower-priority copy of Zurich that the build hides.
  if (!WriteImage(scenery / "Zurich1998" / "scenery" / "OLD_LSZH.bgl", AirportFile(group({"LSZH"})), error)) {
    return false;
  }

  // Area "Swiss Classic": the scenery of the older simulator versions, below all the others.
  if (!WriteImage(scenery / "SwissClassic" / "scenery" / "NAVCLASS.BGL", ClassicNavaidFile(), error)) return false;

  const std::string cfg = "[General]\r\nTitle=FS9 World\r\nDescription=Swiss sample scenery\r\n\r\n" +
                          AreaSection(1, "Swiss Classic", "Scenery\\SwissClassic", 1) +
                          AreaSection(2, "Zurich 1998", "Scenery\\Zurich1998", 2) +
                          AreaSection(3, "Alpine Fields", "Scenery\\Alpine", 3) +
                          AreaSection(4, "Swiss Navaids", "Scenery\\SwissNav", 4) +
                          AreaSection(5, "Switzerland", "Scenery\\Switzerland", 5,
                                      "N47 40,E008 20,N47 20,E008 45,objects");
  return WriteText(root / "Scenery.cfg", cfg, error) && WriteSwissTextFiles(ProgramFolder(root), error) &&
         WriteSampleSidStars(DatabaseFolder(root) / "SidStar", error) && WriteSimulatorConfiguration(root, error);
}

// ---- The synthetic world -------------------------------------------------------------------------

namespace {

// A fixed linear congruential sequence: the same root on every machine.
struct Sequence {
  uint64_t state;
  double Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  }
  double Between(double a, double b) { return a + (b - a) * Next(); }
};

// VOR channels of the old-format index table, 50 kHz apart from 108.00 MHz.
constexpr int kWorldVorChannels = 200;

// Terrain elevation data: a section type the navigation build passes over.
constexpr uint32_t kBglSectionTerrain = 0x65;

// One terrain record of pseudo-random bytes, from a sequence of its own so the navigation data
// of a root with terrain stays that of the same root without.
Record TerrainRecord(Sequence& seq, size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; i += 8) {
    seq.Next();
    std::memcpy(bytes.data() + i, &seq.state, std::min<size_t>(8, size - i));
  }
  Record r(1, 0);
  r.Append(bytes.data(), bytes.size());
  return r;
}

std::string Ident(const char* prefix, int n, int letters) {
  std::string s = prefix;
  for (int i = 0; i < letters; ++i) {
    s += static_cast<char>('A' + n % 26);
    n /= 26;
  }
  return s;
}

// ---- The world's airway network ----
//
// Junctions on a jittered grid over the inhabited latitudes, closed around the antimeridian.
// Every row and every column carries a low airway; every second row and column is also high,
// either as an airway of both levels through every junction or as a high airway of its own that
// skips every other junction of the low one beside it. A route can so change between levels at
// the shared junctions, and the high network alone joins any two places. The lines are cut into
// named airways of at most a dozen segments, as real airways are. About three junctions in ten
// are VORs or NDBs under the junction's name, a kilometre or less from it, as the build expects
// to bind them.

constexpr int kSegmentsPerAirway = 12;

// Cuts a line of junctions into airways; a ring's airways start at `offset` and the last one
// closes it.
void AddAirways(AirwayNetwork& net, std::vector<int> line, bool ring, int offset, char level, const char* prefix,
                int& counter) {
  if (line.size() < 2) return;
  if (ring) {
    std::rotate(line.begin(), line.begin() + offset % static_cast<int>(line.size()), line.end());
    line.push_back(line.front());
  }
  const int segments = static_cast<int>(line.size()) - 1;
  // An airway never meets its own junction twice.
  const int per = std::max(1, std::min(kSegmentsPerAirway, ring ? segments / 2 : segments));
  for (int first = 0; first < segments; first += per) {
    const int last = std::min(segments, first + per);
    Airway a;
    a.name = prefix + std::to_string(++counter);
    a.level = level;
    a.junctions.assign(line.begin() + first, line.begin() + last + 1);
    for (int j : a.junctions) net.junctions[static_cast<size_t>(j)].levels |= level == 'L' ? 1 : level == 'H' ? 2 : 3;
    net.airways.push_back(std::move(a));
  }
}

// Three-letter VOR names that no random beacon of the world shares.
std::string NextVorIdent(int& counter) {
  for (;;) {
    const std::string ident = Ident("", counter++, 3);
    if (std::string("VNCKQ").find(ident[0]) == std::string::npos) return ident;
  }
}

AirwayNetwork LayAirwayNetwork(int airwaySegments) {
  // A sequence of its own: the rest of the world stays where it was whatever the network's size.
  Sequence seq{90210};
  AirwayNetwork net;
  // About 2.25 segments per junction; columns a multiple of four, so the level pattern repeats
  // across the antimeridian, and the cells about as wide as high at the middle latitudes.
  const double cells = std::max(64.0, airwaySegments / 2.25);
  const int columns = std::max(8, static_cast<int>(std::lround(std::sqrt(cells / 0.4) / 4)) * 4);
  const int rows = std::max(4, static_cast<int>(std::lround(cells / columns)));
  const double dLat = 116.0 / rows, dLon = 360.0 / columns;
  net.junctions.resize(static_cast<size_t>(rows * columns));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      Junction& j = net.junctions[static_cast<size_t>(r * columns + c)];
      j.lat = -58 + (r + 0.5 + seq.Between(-0.25, 0.25)) * dLat;
      j.lon = -180 + (c + 0.5 + seq.Between(-0.25, 0.25)) * dLon;
    }
  }
  int eastWest = 0, northSouth = 0;
  for (int r = 0; r < rows; ++r) {
    std::vector<int> all, every2;
    for (int c = 0; c < columns; ++c) {
      all.push_back(r * columns + c);
      if (c % 2 == 0) every2.push_back(r * columns + c);
    }
    const int offset = r * 5;
    if (r % 4 == 0) {
      AddAirways(net, all, true, offset, 'B', "W", eastWest);
    } else {
      AddAirways(net, all, true, offset, 'L', "A", eastWest);
      if (r % 4 == 2) AddAirways(net, every2, true, offset, 'H', "UA", eastWest);
    }
  }
  for (int c = 0; c < columns; ++c) {
    std::vector<int> all, every2;
    for (int r = 0; r < rows; ++r) {
      all.push_back(r * columns + c);
      if (r % 2 == 0) every2.push_back(r * columns + c);
    }
    if (c % 4 == 0) {
      AddAirways(net, all, false, 0, 'B', "Y", northSouth);
    } else {
      AddAirways(net, all, false, 0, 'L', "B", northSouth);
      if (c % 4 == 2) AddAirways(net, every2, false, 0, 'H', "UB", northSouth);
    }
  }
  int vorNames = 0, ndbNames = 0;
  for (size_t n = 0; n < net.junctions.size(); ++n) {
    Junction& j = net.junctions[n];
    const double u = seq.Next();
    const bool high = (j.levels & 2) != 0;
    if (u < (high ? 0.25 : 0.06)) {
      j.navaid = 'V';
      j.ident = j.navaidIdent = NextVorIdent(vorNames);
      ++net.vors;
    } else if (u < (high ? 0.35 : 0.25)) {
      j.navaid = 'N';
      j.navaidIdent = Ident("", ndbNames++, 2);
      // Half of them carry the suffix the build tries after the bare name.
      j.ident = j.navaidIdent + (ndbNames % 2 ? "NB" : "");
      ++net.ndbs;
    } else {
      // Clear of the plain intersections' names.
      j.ident = Ident("", 1000000 + static_cast<int>(n), 5);
    }
    if (j.navaid) {
      j.navaidLat = j.lat, j.navaidLon = j.lon;
      Offset(j.navaidLat, j.navaidLon, seq.Between(0, 360), seq.Between(0, 1000));
    }
  }
  return net;
}

}  // namespace

WorldRootCounts InstallationCounts(double fraction) {
  const auto scaled = [fraction](int whole) { return std::max(1, static_cast<int>(std::lround(whole * fraction))); };
  const WorldRootCounts world;
  WorldRootCounts c;
  c.airports = scaled(world.airports);
  c.beacons = scaled(world.beacons);
  c.intersections = scaled(world.intersections);
  c.airwaySegments = scaled(world.airwaySegments);
  c.airspaces = scaled(world.airspaces);
  c.files = scaled(20000);
  c.areas = scaled(48);
  c.classicBeacons = scaled(world.classicBeacons);
  c.classicFiles = scaled(world.classicFiles);
  c.bulkBytes = 54000;
  return c;
}

bool WriteWorldSimRoot(const fs::path& root, const WorldRootCounts& counts, std::string& error) {
  Sequence seq{12345};
  Sequence terrain{4711};
  const int files = std::max(counts.files, 1);
  const int areas = std::max(1, std::min(counts.areas, files));
  // Each file covers one cell of a grid over the inhabited latitudes.
  const int columns = static_cast<int>(std::ceil(std::sqrt(files * 2.0)));
  const int rows = (files + columns - 1) / columns;
  const double cellLat = 120.0 / rows, cellLon = 360.0 / columns;
  // The junctions' navaids go into the scenery file whose cell holds them.
  const AirwayNetwork network = LayAirwayNetwork(counts.airwaySegments);
  std::vector<std::vector<const Junction*>> junctionNavaids(static_cast<size_t>(files));
  for (const Junction& j : network.junctions) {
    if (!j.navaid) continue;
    const int row = std::clamp(static_cast<int>((j.navaidLat + 60) / cellLat), 0, rows - 1);
    const int column = std::clamp(static_cast<int>((j.navaidLon + 180) / cellLon), 0, columns - 1);
    junctionNavaids[static_cast<size_t>(std::min(row * columns + column, files - 1))].push_back(&j);
  }
  std::string cfg = "[General]\r\nTitle=World\r\n\r\n";
  std::string icao;
  for (int f = 0; f < files; ++f) {
    const double south = -60 + (f / columns) * cellLat, west = -180 + (f % columns) * cellLon;
    SectionBglWriter w;
    const int firstAirport = counts.airports * f / files, endAirport = counts.airports * (f + 1) / files;
    for (int a = firstAirport; a < endAirport; ++a) {
      const double lat = seq.Between(south + 0.2, south + cellLat - 0.2);
      const double lon = seq.Between(west + 0.2, west + cellLon - 0.2);
      const std::string ident = Ident("W", a, 3);
      Record rec = Airport(lat, lon, seq.Between(0, 2000), ident);
      const double heading = seq.Between(0, 180);
      const uint8_t number = static_cast<uint8_t>(std::max(1, static_cast<int>(std::lround(heading / 10)) % 36));
      rec.Sub(Runway(lat, lon, seq.Between(800, 3500), 45, heading, number, 0, OtherEnd(number), 0));
      if (a % 3 == 0) {
        double lat2 = lat, lon2 = lon;
        Offset(lat2, lon2, heading + 90, 400);
        rec.Sub(Runway(lat2, lon2, 1200, 30, heading, number, 1, OtherEnd(number), 2));
      }
      w.Add(kBglSectionAirport, rec);
      if (a % 50 == 0) icao += ident + "\t" + Num(lat, 4) + "\t" + Num(lon, 4) + "\tAirport " + ident + "\r\n";
    }
    const int firstBeacon = counts.beacons * f / files, endBeacon = counts.beacons * (f + 1) / files;
    for (int b = firstBeacon; b < endBeacon; ++b) {
      const double lat = seq.Between(south, south + cellLat), lon = seq.Between(west, west + cellLon);
      if (b % 2 == 0) {
        w.Add(kBglSectionVorIls, Vor(lat, lon, 108.0 + (b % 200) * 0.05, Ident("V", b, 2)));
      } else {
        w.Add(kBglSectionNdb, Ndb(lat, lon, 200 + b % 300, Ident("N", b, 2)));
      }
    }
    for (size_t k = 0; k < junctionNavaids[static_cast<size_t>(f)].size(); ++k) {
      const Junction& j = *junctionNavaids[static_cast<size_t>(f)][k];
      if (j.navaid == 'V') {
        w.Add(kBglSectionVorIls, Vor(j.navaidLat, j.navaidLon, 108.0 + (k % 200) * 0.05, j.navaidIdent));
      } else {
        w.Add(kBglSectionNdb, Ndb(j.navaidLat, j.navaidLon, 200 + k % 300, j.navaidIdent));
      }
    }
    if (counts.bulkBytes > 0) {
      w.Add(kBglSectionTerrain, TerrainRecord(terrain, static_cast<size_t>(counts.bulkBytes * terrain.Between(0.5, 1.5))));
    }
    const int area = f % areas;
    const std::string folder = "Area" + std::to_string(area);
    const std::string name = "W" + std::to_string(f) + ".bgl";
    if (!WriteImage(root / "Scenery" / "World" / folder / "scenery" / name, w.Build(), error)) return false;
  }
  for (int a = 0; a < areas; ++a) {
    cfg += AreaSection(a + 1, "World part " + std::to_string(a), "Scenery\\World\\Area" + std::to_string(a), a + 1);
  }
  // The old-format area: each file a band of the world with its beacons, the first with the grid.
  const int classicFiles = std::max(counts.classicFiles, 1);
  for (int f = 0; f < classicFiles; ++f) {
    const double south = -60 + 120.0 * f / classicFiles, north = -60 + 120.0 * (f + 1) / classicFiles;
    OldBglWriter w;
    w.SetBox(north, south, 180, -180);
    Bytes ndbs, atis;
    std::vector<std::vector<Group>> vors(kWorldVorChannels);
    const int first = counts.classicBeacons * f / classicFiles, end = counts.classicBeacons * (f + 1) / classicFiles;
    for (int b = first; b < end; ++b) {
      const double lat = seq.Between(south, north), lon = seq.Between(-180, 180);
      if (b % 2 == 0) {
        const size_t channel = static_cast<size_t>(b / 2 % kWorldVorChannels);
        Bytes items;
        items.Append(VorItem(lat, lon, Ident("C", b, 2), "CLASSIC " + std::to_string(b), 0x01));
        items.Append(DmeExtension(lat, lon, 0));
        vors[channel].push_back({0, 0, items.Data()});
      } else {
        ndbs.Append(NdbItem(lat, lon, static_cast<uint32_t>(2000 + b % 3000), Ident("K", b, 2), "CLASSIC"));
      }
      if (b % 10 == 0) atis.Append(AtisItem(lat, lon, 0x2250));
    }
    w.SetSection(kOldNdbSectionField, GroupedSection({{0, 0, ndbs.Data()}}));
    w.SetVorIlsRange(0, kWorldVorChannels - 1);
    w.SetSection(kOldVorIlsSectionField, VorIlsSection(vors));
    w.SetSection(kOldAtisSectionField, GroupedSection({{0, 0, atis.Data()}}));
    if (f == 0) w.SetSection(kOldMagVarSectionField, MagVarSection(ModelVariationWord));
    const std::string name = "C" + std::to_string(f) + ".BGL";
    if (!WriteImage(root / "Scenery" / "World" / "Classic" / "scenery" / name, w.Build(), error)) return false;
  }
  cfg += AreaSection(areas + 1, "World classic", "Scenery\\World\\Classic", areas + 1);

  const fs::path program = ProgramFolder(root);
  std::string isec;
  isec.reserve(static_cast<size_t>(counts.intersections) * 32);
  for (int i = 0; i < counts.intersections; ++i) {
    isec += Ident("", i, 5) + "\t" + Num(seq.Between(-60, 60), 4) + "\t" + Num(seq.Between(-180, 180), 4) + "\r\n";
  }
  std::string airspace;
  for (int s = 0; s < counts.airspaces; ++s) {
    const double lat = seq.Between(-58, 58), lon = seq.Between(-178, 177);
    airspace += AirspaceBox(s % 2 ? 8 : 3, Ident("S", s, 3), "SPACE " + std::to_string(s), "CONTROL", "120.500",
                            lat, lon, lat + 1, lon + 1.5);
  }
  return WriteText(root / "Scenery.cfg", cfg, error) && WriteText(program / "Program.cfg", ProgramCfg(), error) &&
         WriteText(program / "ISEC.txt", isec, error) && WriteText(program / "TRACK.txt", "", error) &&
         WriteText(program / "AIRWAY.txt", AirwayText(network), error) && WriteText(program / "AIRSPACE.txt", airspace, error) &&
         WriteText(program / "ICAO.txt", icao, error);
}

}  // namespace sampleroot
