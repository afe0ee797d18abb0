#include "navdb/tests/support/NavdbFixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "navdb/Geodesy.h"

namespace navdbtest {

namespace {

template <class T>
void AppendBytes(std::vector<uint8_t>& out, const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

// A small deterministic generator, so fixtures are the same on every run and machine.
struct Lcg {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  double Unit() { return (Next() & 0xFFFF) / 65536.0; }
};

}  // namespace

NdbRecord Ndb(const char* ident, float khz, int32_t nameText) {
  NdbRecord r;
  r.frequency = khz;
  r.range = 25;
  r.altitude = 120;
  r.nameText = nameText;
  SetFixedText(r.ident, sizeof r.ident, ident);
  return r;
}

VorRecord Vor(const char* ident, float mhz, int32_t nameText, uint8_t flags) {
  VorRecord r;
  r.frequency = mhz;
  r.range = 60;
  r.flags = flags;
  r.declination = 512;
  r.nameText = nameText;
  SetFixedText(r.ident, sizeof r.ident, ident);
  return r;
}

IlsRecord Ils(const char* ident, float mhz, uint16_t course, int16_t glideSlope) {
  IlsRecord r;
  r.frequency = mhz;
  r.course = course;
  r.glideSlope = glideSlope;
  r.range = 12;
  r.flags = 1;
  SetFixedText(r.ident, sizeof r.ident, ident);
  return r;
}

RunwayRecord Runway(const char* designator, uint16_t heading) {
  RunwayRecord r;
  r.heading = heading;
  r.width = 150;
  r.length = 9000;
  r.surface = 4;
  SetFixedText(r.designator, sizeof r.designator, designator);
  return r;
}

ComRecord Com(uint16_t type, float mhz) {
  ComRecord r;
  r.type = type;
  r.frequency = mhz;
  r.range = 20;
  return r;
}

MarkerRecord Marker(uint8_t type) {
  MarkerRecord r;
  r.type = type;
  r.altitude = 30;
  r.heading = 270;
  return r;
}

namespace {

// A header (its counts already set) followed by each of its lists.
template <class Header, class... Lists>
PayloadBytes Packed(const Header& header, const Lists&... lists) {
  PayloadBytes p;
  AppendBytes(p.bytes, header);
  (..., [&] { for (const auto& item : lists) AppendBytes(p.bytes, item); }());
  return p;
}

}  // namespace

PayloadBytes Airport(const AirportRecord& header, const std::vector<FrequencyEntry>& frequencies,
                     const std::vector<ParkingEntry>& parkings) {
  AirportRecord h = header;
  h.SetCounts(static_cast<int>(frequencies.size()), static_cast<int>(parkings.size()));
  return Packed(h, frequencies, parkings);
}

PayloadBytes Airspace(const AirspaceRecord& header, const std::vector<FrequencyEntry>& frequencies) {
  AirspaceRecord h = header;
  h.frequencyCount = static_cast<uint8_t>(frequencies.size());
  return Packed(h, frequencies);
}

PayloadBytes Intersection(const IntersectionRecord& header, const std::vector<AirwaySegment>& segments) {
  IntersectionRecord h = header;
  h.segmentCount = static_cast<uint8_t>(segments.size());
  return Packed(h, segments);
}

PayloadBytes Airway(const std::vector<uint32_t>& items) {
  AirwayRecord h;
  h.count = static_cast<uint16_t>(items.size());
  return Packed(h, items);
}

AirwaySegment Segment(const char* airway, int forwardNeighbour, int forwardSlot,
                      int backwardNeighbour, int backwardSlot) {
  AirwaySegment s;
  SetFixedText(s.name, 7, airway);
  s.name[7] = 1;  // low airway
  s.half[0].neighbour = forwardNeighbour;
  s.half[0].slot = static_cast<int8_t>(forwardSlot);
  s.half[0].flags = forwardNeighbour >= 0 ? 3 : 0;
  s.half[1].neighbour = backwardNeighbour;
  s.half[1].slot = static_cast<int8_t>(backwardSlot);
  s.half[1].flags = backwardNeighbour >= 0 ? 3 : 0;
  return s;
}

int AddFile(CSceneryDatabase& db, const char* subfolder, const char* name) {
  BglFileRecord f;
  f.subfolderText = db.AddString(subfolder);
  f.fileNameText = db.AddString(name);
  f.fileSize = 4096;
  f.fileTime = 132000000000000000ull;
  // An empty box that the first navaid sets.
  f.latMin = 90;
  f.latMax = -90;
  f.lonMin = 180;
  f.lonMax = -180;
  AreaRecord& area = db.m_areas[db.m_areas.GetSize() - 1];
  return db.m_files.Add(f, &area.fileEnd);
}

bool AddPointAt(CSceneryDatabase& db, double lat, double lon, uint16_t kind, const void* payload,
                bool kept) {
  NavPoint p(lat, lon, kind, kept ? 1 : 0);
  return db.AddPoint(lat, lon, p, payload);
}

namespace {

// A chain of `n` intersections from (lat, lon), `latStep` and `lonStep` apart, with an airway
// through all of them and a label point per segment. Indexes are those of this database: the
// chain lies in one tile of the current file, so its intersections follow each other in the
// array. Intersections are named after the airway and their place in it, or, with a serial,
// by five letters counted from it.
void AddAirwayChain(CSceneryDatabase& db, const char* name, int n, double lat, double lon,
                    double latStep, double lonStep, uint16_t airwayKind, int identSerial = -1) {
  const int first = db.m_intersections.GetSize();
  std::vector<uint32_t> items;
  for (int j = 0; j < n; ++j) {
    IntersectionRecord h;
    h.type = 0x10;
    char ident[8];
    if (identSerial < 0) {
      std::snprintf(ident, sizeof ident, "%c%c%03d", name[0], 'X', j % 1000);
    } else {
      for (int k = 4, v = identSerial + j; k >= 0; --k, v /= 26) ident[k] = static_cast<char>('A' + v % 26);
      ident[5] = 0;
    }
    SetFixedText(h.ident, sizeof h.ident, ident);
    std::vector<AirwaySegment> segs;
    // Slot 0 leads on to the next intersection, slot 1 back to the previous one.
    segs.push_back(Segment(name, j + 1 < n ? first + j + 1 : -1, 1, j > 0 ? first + j - 1 : -1, 0));
    const PayloadBytes payload = Intersection(h, segs);
    AddPointAt(db, lat + latStep * j, lon + lonStep * j, kKindIntersection + 1, payload.data());
    items.push_back(LabelPoint::MakeWord(first + j, 0, false));
  }
  const PayloadBytes airway = Airway(items);
  AddPointAt(db, lat, lon, airwayKind, airway.data());
  for (int j = 0; j + 1 < n; ++j) {
    LabelPoint l;
    l.word = LabelPoint::MakeWord(first + j, 0, true);
    double mlat, mlon;
    PointAlongSegment(mlat, mlon, lat + latStep * j, lon + lonStep * j, lat + latStep * (j + 1),
                      lon + lonStep * (j + 1), 0.5);
    l.latitude = static_cast<float>(mlat);
    l.longitude = static_cast<float>(mlon);
    db.AddLabelPoint(mlat, mlon, l);
  }
}

void AddAirportWithRunways(CSceneryDatabase& db, double lat, double lon, const char* ident,
                           int32_t region, int32_t country, int32_t state, int runwayPairs) {
  AirportRecord h;
  h.size = 25;
  h.altitude = 130;
  h.regionText = region;
  h.countryText = country;
  h.stateText = state;
  h.cityText = db.AddString(std::string("City of ") + ident);
  h.nameText = db.AddString(std::string("Airport ") + ident);
  SetFixedText(h.ident, sizeof h.ident, ident);
  const PayloadBytes airport = Airport(h, {{1, 118.1f}, {2, 121.9f}, {3, 127.25f}},
                                       {{static_cast<float>(lat + 0.001), static_cast<float>(lon), 0x08000100u},
                                        {static_cast<float>(lat), static_cast<float>(lon + 0.001), 0x10004200u}});
  AddPointAt(db, lat, lon, kKindAirport, airport.data());
  for (int r = 0; r < runwayPairs; ++r) {
    const uint16_t heading = static_cast<uint16_t>(r * 8192);
    const RunwayRecord a = Runway("09", heading);
    const RunwayRecord b = Runway("27", static_cast<uint16_t>(heading + 32768));
    AddPointAt(db, lat + 0.002 * r, lon - 0.01, kKindRunway, &a);
    AddPointAt(db, lat + 0.002 * r, lon + 0.01, kKindRunway, &b);
  }
}

void AddAirspaceWithShape(CSceneryDatabase& db, int file, double lat, double lon, const char* ident,
                          bool withCircle) {
  AirspaceRecord h;
  h.classWord = static_cast<uint16_t>((1u << 14) | 64);
  h.nameText = db.AddString(std::string("Zone ") + ident);
  h.callSignText = db.AddString(std::string(ident) + " Approach");
  SetFixedText(h.ident, sizeof h.ident, ident);
  const PayloadBytes airspace = Airspace(h, {{1, 119.5f}});
  AddPointAt(db, lat, lon, kKindAirspaceLow, airspace.data());

  AirspaceShape shape;
  shape.flags = 11;
  const int s = db.m_airspaceShapes.Add(shape, &db.m_files[file].airspaceShapeEnd);
  const double corners[4][2] = {{lat - 0.5, lon - 0.5}, {lat - 0.5, lon + 0.5}, {lat + 0.5, lon + 0.5}, {lat + 0.5, lon - 0.5}};
  for (const auto& c : corners) {
    AirspaceVertex v;
    v.latitude = static_cast<float>(c[0]);
    v.longitude = static_cast<float>(c[1]);
    v.edge = kEdgeGreatCircle;
    db.m_airspaceVertices.Add(v);
    ++db.m_airspaceShapes[s].vertexEnd;
  }
  if (withCircle) {
    AirspaceVertex v;
    v.latitude = static_cast<float>(lat);
    v.longitude = static_cast<float>(lon);
    v.edge = kEdgeCircle;
    VertexExtra e;
    e.centreLatitude = static_cast<float>(lat);
    e.centreLongitude = static_cast<float>(lon);
    e.radiusNm = 5;
    db.AddVertexExtra(v, e);
    db.m_airspaceVertices.Add(v);
    ++db.m_airspaceShapes[s].vertexEnd;
  }
}

void AddObjects(CSceneryDatabase& db, int file, double lat, double lon) {
  ObjectGroup g;
  g.SetBand(static_cast<float>(lat - 0.1), static_cast<float>(lat + 0.1));
  const int group = db.m_objectGroups.Add(g, &db.m_files[file].objectGroupEnd);
  for (int i = 0; i < 2; ++i) {
    ObjectRecord o;
    o.flags = static_cast<uint8_t>((i == 0 ? kObjectKept : 0) | 1);
    o.latitude = static_cast<float>(lat);
    o.longitude = static_cast<float>(lon + 0.01 * i);
    o.scale = 2;
    const int object = db.m_objects.Add(o, &db.m_objectGroups[group].objectEnd);
    const FootprintVertex vertices[3] = {{0, 0}, {200, 40}, {-60, 100}};
    for (const FootprintVertex& v : vertices) {
      db.m_footprintVertices.Add(v);
      ++db.m_objects[object].vertexEnd;
    }
  }
}

}  // namespace

void BuildSampleDatabase(CSceneryDatabase& db) {
  db.ClearDatabase();
  db.m_name1 = "Sample database";
  db.m_name2 = "Built by the test fixture";

  // Area 0: a mainland with everything.
  db.AddArea("Scenery\\World", "exclude.xml");
  MagVarGrid grid;
  for (int i = 0; i < kMagVarLongitudes * kMagVarLatitudes; ++i) grid.value[i] = static_cast<int16_t>(i % 4096 - 2048);
  db.m_magVarGrids.SetAtGrow(db.m_magVarGrids.GetSize(), grid);
  ++db.m_areas[0].magVarEnd;
  ExcludeBox box;
  box.flags = kExcludeNdbs | kExcludeVors;
  box.latMin = 10;
  box.latMax = 11;
  box.lonMin = 20;
  box.lonMax = 21;
  db.m_excludeBoxes.Add(box);
  ++db.m_areas[0].excludeBoxEnd;

  const int32_t region = db.AddString("North America");
  const int32_t country = db.AddString("United States");
  const int32_t state = db.AddString("Washington");

  int file = AddFile(db, "scenery", "APX47120.BGL");
  AddAirportWithRunways(db, 47.45, -122.31, "KSEA", region, country, state, 2);
  AddAirportWithRunways(db, 47.53, -122.30, "KBFI", region, country, state, 1);
  const IlsRecord ils = Ils("ISNQ", 110.3f, 0x4000, 300);
  IlsRecord back = ils;
  back.course = static_cast<uint16_t>(ils.course + 0x8000);
  back.glideSlope = -1;
  AddPointAt(db, 47.44, -122.31, kKindIls, &ils, true);
  AddPointAt(db, 47.46, -122.31, kKindIls, &back, false);
  const MarkerRecord marker = Marker(0);
  AddPointAt(db, 47.30, -122.31, kKindMarker, &marker);
  const ComRecord atis = Com(kComAtis, 118.0f);
  AddPointAt(db, 47.45, -122.31, kKindCom, &atis);
  const VorRecord sea = Vor("SEA", 116.8f, db.AddString("Seattle"), kVorDme);
  AddPointAt(db, 47.43, -122.30, kKindVor, &sea);
  const VorRecord tcm = Vor("TCM", 109.6f, db.AddString("McChord"), kVorDme | kVorTacan);
  AddPointAt(db, 47.14, -122.47, kKindVor + 1, &tcm);  // already linked to a low airway
  const NdbRecord ndb = Ndb("BF", 362.0f, db.AddString("Boeing"));
  AddPointAt(db, 47.50, -122.30, kKindNdb, &ndb);
  const NdbRecord duplicate = Ndb("BF", 362.0f, db.AddString("Boeing"));
  AddPointAt(db, 47.50, -122.30, kKindNdb, &duplicate, false);
  AddAirwayChain(db, "V4", 4, 46.0, -121.0, 0, 0.8, 1025);
  AddAirspaceWithShape(db, file, 47.45, -122.31, "SEA", true);
  AddObjects(db, file, 47.45, -122.31);

  // Tile borders and the 180-degree meridian, in a file of their own.
  file = AddFile(db, "scenery", "APX00000.BGL");
  const NdbRecord north = Ndb("NB", 400.0f);
  AddPointAt(db, 82.5, 10.0, kKindNdb, &north);  // row 1, not row 0
  const NdbRecord east = Ndb("EA", 401.0f);
  AddPointAt(db, 0.0, 180.0, kKindNdb, &east);  // filed with -180
  const NdbRecord west = Ndb("WE", 402.0f);
  AddPointAt(db, 0.0, -180.0, kKindNdb, &west);
  const VorRecord dateLine = Vor("DLV", 112.0f, db.AddString("Date line"));
  AddPointAt(db, -16.0, 179.9, kKindVor, &dateLine);
  AddAirspaceWithShape(db, file, -16.0, 179.8, "NAN", false);

  // Area 1: islands with their own airway, so a merge has to move intersection indexes.
  db.AddArea("Scenery\\Islands", nullptr);
  file = AddFile(db, "islands", "ISL.BGL");
  AddAirportWithRunways(db, -17.75, 177.44, "NFFN", db.AddString("Pacific"), db.AddString("Fiji"), -1, 1);
  const ComRecord tower = Com(2, 119.1f);
  AddPointAt(db, -17.75, 177.44, kKindCom, &tower);
  AddAirwayChain(db, "B5", 3, -18.0, 176.0, 0, 1.9, 1026);  // 1.9 degrees: segments over 150 km
  (void)file;
}

namespace {

// The dense box of the synthetic world: one more area whose files each lie in the part of the
// box inside one tile cell, so every file's points share a tile.
void AddDenseBox(CSceneryDatabase& db, const WorldCounts::Dense& d, Lcg& rng, int& airportSerial,
                 int& navaidSerial) {
  const int total = d.airports + d.vors + d.ndbs + d.intersections;
  if (total <= 0 || !(d.latMin < d.latMax) || !(d.lonMin < d.lonMax)) return;
  CSceneryDatabase area(1 << 20);
  area.AddArea("Scenery\\Dense", nullptr);
  const int32_t region = area.AddString("Region");
  const int32_t country = area.AddString("Country");
  const int32_t state = area.AddString("State");
  const double boxArea = (d.latMax - d.latMin) * (d.lonMax - d.lonMin);
  // Counts are shared out by the pieces' areas; the last piece takes what rounding left.
  int left[6] = {d.airports, d.vors, d.ndbs, d.intersections, d.airwaySegments, d.airspaces};
  const int full[6] = {d.airports, d.vors, d.ndbs, d.intersections, d.airwaySegments, d.airspaces};
  struct Piece {
    double latMin, latMax, lonMin, lonMax;
  };
  std::vector<Piece> pieces;
  // Cells are inset a little, so no point lands on a tile border.
  constexpr double kInset = 0.02;
  for (double top = 82.5; top - kTileSize > -90; top -= kTileSize) {
    const double latMin = std::max(d.latMin, top - kTileSize + kInset), latMax = std::min(d.latMax, top - kInset);
    if (latMin >= latMax) continue;
    for (double west = -180; west < 180; west += kTileSize) {
      const double lonMin = std::max(d.lonMin, west + kInset), lonMax = std::min(d.lonMax, west + kTileSize - kInset);
      if (lonMin < lonMax) pieces.push_back({latMin, latMax, lonMin, lonMax});
    }
  }
  int fileSerial = 0, airwaySerial = 0, identSerial = 0;
  for (size_t k = 0; k < pieces.size(); ++k) {
    const Piece& p = pieces[k];
    const double share = (p.latMax - p.latMin) * (p.lonMax - p.lonMin) / boxArea;
    int n[6];
    for (int i = 0; i < 6; ++i) {
      n[i] = k + 1 == pieces.size() ? left[i] : std::min(left[i], static_cast<int>(full[i] * share + 0.5));
      left[i] -= n[i];
    }
    const int fileCount = std::max(1, (n[0] + n[1] + n[2] + n[3]) / 400);
    for (int f = 0; f < fileCount; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "DENSE%03d.BGL", fileSerial++);
      const int file = AddFile(area, "scenery", name);
      auto slice = [&](int count) { return count / fileCount + (f < count % fileCount ? 1 : 0); };
      auto lat = [&] { return p.latMin + rng.Unit() * (p.latMax - p.latMin); };
      auto lon = [&] { return p.lonMin + rng.Unit() * (p.lonMax - p.lonMin); };
      for (int i = 0, m = slice(n[0]); i < m; ++i) {
        char ident[8];
        std::snprintf(ident, sizeof ident, "E%04d", airportSerial++ % 10000);
        const double a = lat(), b = lon();
        AddAirportWithRunways(area, a, b, ident, region, country, state, (airportSerial % 5 == 0) ? 2 : 1);
      }
      for (int i = 0, m = slice(n[1]); i < m; ++i) {
        const VorRecord v = Vor("DVR", 108.0f + (navaidSerial++ % 100) * 0.1f, area.AddString("Vor station"));
        const double a = lat(), b = lon();
        AddPointAt(area, a, b, kKindVor, &v);
      }
      for (int i = 0, m = slice(n[2]); i < m; ++i) {
        const NdbRecord r = Ndb("DN", 200.0f + (navaidSerial++ % 500), area.AddString("Ndb station"));
        const double a = lat(), b = lon();
        AddPointAt(area, a, b, kKindNdb, &r);
      }
      // Airways of a dozen segments between two places of the piece, then lone intersections.
      int intersections = slice(n[3]);
      for (int segments = slice(n[4]); segments > 0 && intersections > 1;) {
        const int chain = std::min({12, segments, intersections - 1});
        const double lat1 = lat(), lon1 = lon(), lat2 = lat(), lon2 = lon();
        char airway[8];
        std::snprintf(airway, sizeof airway, "%c%d", "ULNTYZ"[airwaySerial % 6], airwaySerial % 1000);
        ++airwaySerial;
        AddAirwayChain(area, airway, chain + 1, lat1, lon1, (lat2 - lat1) / chain, (lon2 - lon1) / chain, 1027,
                       identSerial);
        identSerial += chain + 1;
        segments -= chain;
        intersections -= chain + 1;
      }
      for (; intersections > 0; --intersections) {
        IntersectionRecord h;
        SetFixedText(h.ident, sizeof h.ident, "FIX");
        const PayloadBytes x = Intersection(h, {});
        const double a = lat(), b = lon();
        AddPointAt(area, a, b, kKindIntersection, x.data());
      }
      for (int i = 0, m = slice(n[5]); i < m; ++i) {
        const double a = lat(), b = lon();
        AddAirspaceWithShape(area, file, a, b, "DSP", i % 2 == 0);
      }
    }
  }
  db.MergeArea(area, 0);
}

}  // namespace

void BuildWorldDatabase(CSceneryDatabase& db, const WorldCounts& c) {
  db.ClearDatabase();
  db.m_name1 = "Synthetic world";
  db.m_name2 = "Benchmark database";
  Lcg rng{12345};
  const int areas = std::max(1, c.areas);
  auto share = [&](int total, int a) { return total / areas + (a < total % areas ? 1 : 0); };
  int airportSerial = 0, navaidSerial = 0;
  for (int a = 0; a < areas; ++a) {
    CSceneryDatabase area(1 << 20);
    char title[32];
    std::snprintf(title, sizeof title, "Scenery\\Region%02d", a);
    area.AddArea(title, nullptr);
    const int32_t region = area.AddString("Region");
    const int32_t country = area.AddString("Country");
    const int32_t state = area.AddString("State");
    const int airports = share(c.airports, a);
    const int vors = share(c.vors, a);
    const int ndbs = share(c.ndbs, a);
    const int intersections = share(c.intersections, a);
    const int segments = share(c.airwaySegments, a);
    const int airspaces = share(c.airspaces, a);
    // About 400 points per file, each file inside one tile cell, as scenery files are small.
    const int fileCount = std::max(1, (airports + vors + ndbs + intersections) / 400);
    for (int f = 0; f < fileCount; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "R%02dF%04d.BGL", a, f);
      const int file = AddFile(area, "scenery", name);
      const int cell = (a * 131 + f * 7) % (24 * kTileColumns);
      const double latBase = 82.5 - kTileSize * (cell / kTileColumns) - kTileSize + 0.2;
      const double lonBase = -180 + kTileSize * (cell % kTileColumns) + 0.2;
      auto lat = [&] { return latBase + rng.Unit() * (kTileSize - 0.4); };
      auto lon = [&] { return lonBase + rng.Unit() * (kTileSize - 0.4); };
      auto slice = [&](int total) { return total / fileCount + (f < total % fileCount ? 1 : 0); };
      for (int i = 0, n = slice(airports); i < n; ++i) {
        char ident[8];
        std::snprintf(ident, sizeof ident, "A%04d", airportSerial++ % 10000);
        AddAirportWithRunways(area, lat(), lon(), ident, region, country, state,
                              (airportSerial % 5 == 0) ? 2 : 1);
      }
      for (int i = 0, n = slice(vors); i < n; ++i) {
        const VorRecord v = Vor("VOR", 108.0f + (navaidSerial++ % 100) * 0.1f, area.AddString("Vor station"));
        AddPointAt(area, lat(), lon(), kKindVor, &v);
      }
      for (int i = 0, n = slice(ndbs); i < n; ++i) {
        const NdbRecord r = Ndb("NDB", 200.0f + (navaidSerial++ % 500), area.AddString("Ndb station"));
        AddPointAt(area, lat(), lon(), kKindNdb, &r);
      }
      const int fileIntersections = slice(intersections);
      const int fileSegments = std::min(slice(segments), std::max(0, fileIntersections - 1));
      if (fileIntersections > 0) {
        // One chain carries the file's segments; the remaining intersections stand alone.
        const int chain = fileSegments > 0 ? fileSegments + 1 : 0;
        if (chain > 0) AddAirwayChain(area, "J1", chain, latBase + 1, lonBase, 0, (kTileSize - 0.5) / chain, 1027);
        for (int i = chain; i < fileIntersections; ++i) {
          IntersectionRecord h;
          SetFixedText(h.ident, sizeof h.ident, "FIX");
          const PayloadBytes p = Intersection(h, {});
          AddPointAt(area, lat(), lon(), kKindIntersection, p.data());
        }
      }
      for (int i = 0, n = slice(airspaces); i < n; ++i) {
        AddAirspaceWithShape(area, file, lat(), lon(), "ASP", i % 2 == 0);
      }
    }
    db.MergeArea(area, 0);
  }
  AddDenseBox(db, c.dense, rng, airportSerial, navaidSerial);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace navdbtest
