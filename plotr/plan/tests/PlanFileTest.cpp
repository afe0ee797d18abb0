#include "plotr/plan/PlanFile.h"

#include "navdb/tests/support/NavdbFixture.h"
#include "platform/archive/Exceptions.h"
#include "platform/archive/MemoryFile.h"
#include "platform/flpx/Flpx.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using plantest::ObjectPoint;
using plantest::UserPoint;

// Little-endian file image written field by field at explicit offsets, independent of the
// structs under test.
class Image {
 public:
  explicit Image(size_t size = 0) : bytes(size, 0) {}
  Image& U16(size_t at, uint16_t v) { return Put(at, &v, 2); }
  Image& U32(size_t at, uint32_t v) { return Put(at, &v, 4); }
  Image& F32(size_t at, float v) { return Put(at, &v, 4); }
  Image& Text(size_t at, const std::string& s) { return Put(at, s.data(), s.size()); }
  Image& Put(size_t at, const void* data, size_t n) {
    if (bytes.size() < at + n) bytes.resize(at + n, 0);
    std::memcpy(bytes.data() + at, data, n);
    return *this;
  }
  std::vector<uint8_t> bytes;
};

// A plan file as this program writes it: header, profile, points, extras, cruise.
struct HandPoint {
  uint16_t kind;
  float lat;
  float lon;
  std::string name;
  uint32_t flags = 0;
};
Image HandMadePlan(uint16_t version, const AircraftProfile& profile, const std::vector<HandPoint>& points,
                   int32_t speed, int32_t altitude, const std::string& title = "") {
  const uint32_t n = static_cast<uint32_t>(points.size());
  Image f;
  f.U32(0, 400 + 52 * n).Text(4, "FP").U16(6, version).Text(16, title);
  f.U32(272, 320).U32(276, 1);
  f.U32(280, 388).U32(284, n);
  f.U32(296, 388 + 52 * n).U32(300, 1);
  f.U32(304, 388 + 10 * n).U32(308, n);
  f.Put(320, &profile, 68);
  for (uint32_t i = 0; i < n; ++i) {
    f.U16(388 + 10 * i, points[i].kind).F32(390 + 10 * i, points[i].lat).F32(394 + 10 * i, points[i].lon);
    const size_t extra = 388 + 10 * n + 42 * i;
    f.Text(extra, points[i].name);
    f.U32(extra + 22, points[i].flags);
  }
  const size_t cruise = 388 + 52 * n;
  f.U32(cruise, static_cast<uint32_t>(speed)).U32(cruise + 4, static_cast<uint32_t>(altitude));
  f.U32(cruise + 8, static_cast<uint32_t>(altitude));
  return f;
}

FlpxPlanInfo Info(const char* from, const char* to, const char* aircraft) {
  FlpxPlanInfo info{};
  info.size = kFlpxPlanInfoSize;
  std::snprintf(info.aircraftName, sizeof info.aircraftName, "%s", aircraft);
  if (from) {
    info.departure.present = 1;
    std::snprintf(info.departure.name, sizeof info.departure.name, "%s", from);
  }
  if (to) {
    info.arrival.present = 1;
    std::snprintf(info.arrival.name, sizeof info.arrival.name, "%s", to);
  }
  return info;
}

class PlanFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DatabaseLease lease;
    plantest::BuildPlanDatabase(lease.Database());
  }
  void TearDown() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  static std::vector<uint8_t> Saved(const CRoute& route, uint16_t format,
                                    const FlpxPlanInfo& info = Info(nullptr, nullptr, "Jet")) {
    archive::MemoryFile file;
    route.Save(file, info, format);
    return file.Bytes();
  }
  static int Load(CRoute& route, const std::vector<uint8_t>& bytes, uint16_t& format) {
    archive::MemoryFile file(bytes, "plan.cwp");
    return route.Load(format, file);
  }
  static PlanPoint At(plantest::PlanPlace p, uint16_t kind) { return ObjectPoint(p.lat, p.lon, kind); }

  plantest::ScopedPlanFolder m_folder{"planfile"};
};

TEST_F(PlanFileTest, SavedBytesMatchTheLayout) {
  CRoute route;
  route.m_cruise = {120, 8000, 8000};
  EXPECT_EQ(Saved(route, kPlanFormatCurrent, Info("Zurich", nullptr, "Jet")),
            HandMadePlan(105, route.m_profile, {}, 120, 8000, "Zurich to Unknown - Aircraft: Jet").bytes);
  EXPECT_EQ(PlanFileLength(0), 400u);

  PlanPoint airport = At(plantest::kHomeAirport, kKindAirport);
  airport.flags = kPointFlyOver;
  route.AddPoint(airport);
  route.AddPoint(UserPoint(47.0, 8.0, "HOME"));
  const std::vector<uint8_t> two = Saved(route, kPlanFormatCurrent, Info("Zurich", "Basel", "Jet"));
  const Image expected =
      HandMadePlan(105, route.m_profile,
                   {{kKindAirport, 47.46f, 8.55f, "", kPointFlyOver}, {kKindUserPoint, 47.0f, 8.0f, "HOME"}}, 120,
                   8000, "Zurich to Basel - Aircraft: Jet");
  EXPECT_EQ(two.size(), 400u + 2 * 52);
  EXPECT_EQ(two, expected.bytes);
}

TEST_F(PlanFileTest, RoundTripKeepsPointsSettingsAndCruise) {
  CRoute route;
  PlanPoint vor = At(plantest::kVor, kKindVor);
  vor.altitude1 = MakeManualValue(5000);
  vor.speed = MakeManualValue(110);
  route.AddPoint(At(plantest::kHomeAirport, kKindAirport));
  route.AddPoint(vor);
  route.AddPoint(UserPoint(47.2, 8.1, "HOME"));
  route.AddPoint(UserPoint(47.25, 8.1));
  route.AddPoint(At(plantest::kFarAirport, kKindAirport));
  route.m_cruise = {route.m_profile.cruiseSpeed - 10, 7000, 7000};

  CRoute loaded;
  uint16_t format = 0;
  EXPECT_EQ(Load(loaded, Saved(route, kPlanFormatCurrent), format), 0);
  EXPECT_EQ(format, kPlanFormatCurrent);
  ASSERT_EQ(loaded.GetCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(loaded[i].ref.point, route[i].ref.point) << i;
    EXPECT_EQ(loaded[i].UserName(), route[i].UserName()) << i;
  }
  EXPECT_EQ(+loaded[1].altitude1, +vor.altitude1);
  EXPECT_EQ(+loaded[1].speed, +vor.speed);
  EXPECT_GE(loaded[1].ref.point.PayloadOffset(), 0) << "found again in the database";
  EXPECT_EQ(+loaded.m_cruise.speed, +route.m_cruise.speed);
  EXPECT_EQ(+loaded.m_cruise.altitude1, 7000);
  EXPECT_EQ(std::memcmp(&loaded.m_profile, &route.m_profile, sizeof route.m_profile), 0);
}

TEST_F(PlanFileTest, OldFormatWritesOldKindsAndIntersectionsAsNamedFixes) {
  CRoute route;
  PlanPoint ndb = At(plantest::kNdb, kKindNdb + 1);  // airway level bits are not stored
  ndb.flags = kPointBearing | kPointAutoRoute | kPointFlyOver | kPointAltitudeOption | kPointSpeedOption | 0x40;
  route.AddPoint(ndb);
  route.AddPoint(At(plantest::kIntersection, kKindIntersection));
  route.AddPoint(At(plantest::kMarker, kKindMarker));
  {
    DatabaseLease lease;
    route.Revalidate();  // the intersection needs its payload for its identifier
  }
  const std::vector<uint8_t> bytes = Saved(route, kPlanFormatOld);
  ASSERT_EQ(bytes.size(), PlanFileLength(3));
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); };
  EXPECT_EQ(u16(6), 103);
  EXPECT_EQ(u16(388), 1);
  EXPECT_EQ(u16(398), 0x2000);
  EXPECT_EQ(u16(408), 0x2000);
  const size_t extras = 388 + 30;
  EXPECT_EQ(bytes[extras + 22], 0x41) << "option bits 1-4 cleared, others kept";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[extras + 42])), "ABCDE");

  CRoute loaded;
  uint16_t format = 0;
  EXPECT_EQ(Load(loaded, bytes, format), 0);
  EXPECT_EQ(format, kPlanFormatOld);
  ASSERT_EQ(loaded.GetCount(), 3);
  EXPECT_EQ(loaded[0].Kind(), kKindNdb);
  EXPECT_TRUE(loaded[1].IsUserPoint());
  EXPECT_EQ(loaded[1].UserName(), "ABCDE");
  EXPECT_EQ(+loaded[1].ref.point.latitude, static_cast<float>(plantest::kIntersection.lat));
  EXPECT_TRUE(loaded[2].IsUserPoint()) << "0x2000 reads back as a user point";
}

TEST_F(PlanFileTest, OlderVersionsRemapTheirKinds) {
  struct Case {
    const char* name;
    uint16_t version;
    uint16_t stored;
    plantest::PlanPlace at;
    uint16_t expected;
  };
  const Case cases[] = {
      {"v100 ndb", 100, 1, plantest::kNdb, kKindNdb},
      {"v100 intersection", 100, 512, plantest::kIntersection, kKindIntersection},
      {"v103 vor", 103, 4, plantest::kVor, kKindVor},
      {"v103 airport", 103, 8, plantest::kHomeAirport, kKindAirport},
      {"v103 marker becomes user point", 103, 16, plantest::kMarker, kKindUserPoint},
      {"v104 marker becomes user point", 104, kKindMarker, plantest::kMarker, kKindUserPoint},
      {"v104 vor kept", 104, kKindVor, plantest::kVor, kKindVor},
      {"v105 marker kept", 105, kKindMarker, plantest::kMarker, kKindMarker},
      {"v102 ils near its runway becomes the runway", 102, 2, plantest::kHomeRunway14, kKindRunway},
      {"v103 ils stays", 103, 2, plantest::kHomeIls, kKindIls},
  };
  CRoute fresh;
  for (const Case& c : cases) {
    const Image f = HandMadePlan(c.version, fresh.m_profile,
                                 {{c.stored, static_cast<float>(c.at.lat), static_cast<float>(c.at.lon), ""}},
                                 fresh.m_profile.cruiseSpeed, fresh.m_profile.cruiseAltitude);
    CRoute loaded;
    uint16_t format = 0;
    EXPECT_EQ(Load(loaded, f.bytes, format), 0) << c.name;
    ASSERT_EQ(loaded.GetCount(), 1) << c.name;
    EXPECT_EQ(loaded[0].Kind(), c.expected) << c.name;
    EXPECT_EQ(format, c.version == 103 ? 103 : 105) << c.name;
  }
}

TEST_F(PlanFileTest, BearingFlagsAndDroppedRunwayBearings) {
  CRoute fresh;
  // Flag section: bit 24 makes an NDB, VOR or ILS a bearing point; nothing else.
  Image f = HandMadePlan(104, fresh.m_profile,
                         {{kKindNdb, static_cast<float>(plantest::kNdb.lat), static_cast<float>(plantest::kNdb.lon), ""},
                          {kKindAirport, static_cast<float>(plantest::kHomeAirport.lat),
                           static_cast<float>(plantest::kHomeAirport.lon), ""}},
                         100, 5000);
  const uint32_t flagOffset = static_cast<uint32_t>(f.bytes.size());
  f.U32(flagOffset, kPlanFileBearingFlag).U32(flagOffset + 4, kPlanFileBearingFlag);
  f.U32(288, flagOffset).U32(292, 2).U32(0, static_cast<uint32_t>(f.bytes.size()));
  CRoute loaded;
  uint16_t format = 0;
  Load(loaded, f.bytes, format);
  ASSERT_EQ(loaded.GetCount(), 2);
  EXPECT_TRUE(loaded[0].IsBearing());
  EXPECT_FALSE(loaded[1].IsBearing());

  // A version-102 ILS bearing that turns out to be the runway end is dropped.
  Image old = HandMadePlan(102, fresh.m_profile,
                           {{2, static_cast<float>(plantest::kHomeRunway14.lat),
                             static_cast<float>(plantest::kHomeRunway14.lon), ""}},
                           100, 5000);
  old.U32(old.bytes.size(), kPlanFileBearingFlag);
  old.U32(288, static_cast<uint32_t>(old.bytes.size() - 4)).U32(292, 1).U32(0, static_cast<uint32_t>(old.bytes.size()));
  CRoute dropped;
  EXPECT_EQ(Load(dropped, old.bytes, format), 0);
  EXPECT_EQ(dropped.GetCount(), 0);
}

TEST_F(PlanFileTest, Version100SpeedsAreConvertedAndCruiseIsCapped) {
  AircraftProfile stored;
  stored.SetName("Nowhere Jet");  // no such section: the stored values stand
  stored.flags = 3;
  stored.climbSpeed = 300;
  stored.cruiseSpeed = 400;
  stored.descentSpeed = 380;
  stored.cruiseAltitude = 30000;
  const Image f = HandMadePlan(100, stored, {}, 900, 40000);
  CRoute loaded;
  uint16_t format = 0;
  Load(loaded, f.bytes, format);
  const auto round10 = [](unsigned v) { return static_cast<int32_t>((v + 5) / 10 * 10); };
  const int32_t climb = round10(TasToIas(300, 30000));
  EXPECT_EQ(loaded.m_profile.Name(), "Nowhere Jet");
  EXPECT_EQ(loaded.m_profile.FuelUnit(), 0);
  EXPECT_EQ(+loaded.m_profile.climbSpeed, climb);
  EXPECT_EQ(+loaded.m_profile.cruiseSpeed, round10(TasToIas(400, 30000)));
  EXPECT_EQ(+loaded.m_profile.descentSpeed, climb) << "descent speed above climb speed is lowered";
  EXPECT_EQ(+loaded.m_cruise.speed, +loaded.m_profile.cruiseSpeed) << "cruise speed capped at the profile's";
  EXPECT_EQ(+loaded.m_cruise.altitude1, 36000);
  EXPECT_EQ(+loaded.m_cruise.altitude2, 36000);

  // A known aircraft's section in "Aircraft.ini" overrides the stored numbers.
  AircraftProfile known = loaded.m_profile;
  known.SetName(CRoute().m_profile.Name());
  known.climbSpeed = 1;
  CRoute again;
  Load(again, HandMadePlan(105, known, {}, 10, 1000).bytes, format);
  EXPECT_EQ(+again.m_profile.climbSpeed, +CRoute().m_profile.climbSpeed);
}

TEST_F(PlanFileTest, ExtremeStoredNumbersLoadWithinRange) {
  AircraftProfile stored;
  stored.SetName("Nowhere Jet");
  stored.cruiseAltitude = INT32_MAX;
  stored.cruiseSpeed = INT32_MAX;
  stored.climbSpeed = INT32_MIN;
  CRoute loaded;
  uint16_t format = 0;
  Load(loaded, HandMadePlan(100, stored, {}, INT32_MAX, INT32_MAX).bytes, format);
  EXPECT_EQ(+loaded.m_cruise.altitude1, INT32_MAX);
  Load(loaded, HandMadePlan(105, stored, {}, INT32_MIN, INT32_MIN).bytes, format);
  EXPECT_EQ(+loaded.m_cruise.speed, INT32_MIN);
}

TEST_F(PlanFileTest, WaypointsMissingFromTheDatabaseAreDroppedAndCounted) {
  CRoute fresh;
  const Image f = HandMadePlan(105, fresh.m_profile,
                               {{kKindVor, 10.0f, 10.0f, ""}, {kKindUserPoint, 10.0f, 10.0f, "X"},
                                {kKindNdb, 11.0f, 11.0f, ""}},
                               100, 5000);
  CRoute loaded;
  uint16_t format = 0;
  EXPECT_EQ(Load(loaded, f.bytes, format), 2);
  ASSERT_EQ(loaded.GetCount(), 1);
  EXPECT_TRUE(loaded[0].IsUserPoint());
}

TEST_F(PlanFileTest, AirspacePointsComeBackInBothFormats) {
  const plantest::PlanPlace zone{47.20, 8.30};
  FullPoint airspace;
  {
    DatabaseLease lease;
    AirspaceRecord h;
    h.classWord = 64;
    SetFixedText(h.ident, sizeof h.ident, "ZRH");
    navdbtest::AddPointAt(lease.Database(), zone.lat, zone.lon, kKindAirspaceLow, navdbtest::Airspace(h, {}).data());
    double radius = 100;
    ASSERT_TRUE(CRoute().FindObject(airspace, radius, zone.lat, zone.lon, kKindAirspaceLow | kSearchAllAirspaceClasses, false));
  }
  CRoute route;
  route.AddPoint(At(plantest::kHomeAirport, kKindAirport));
  PlanPoint point;
  point.ref = airspace;
  route.AddPoint(point);
  // The older format has no airspace kind: the point comes back as a user point at its place.
  struct Case {
    uint16_t format;
    uint16_t kind;
  };
  for (const Case c : {Case{kPlanFormatOld, kKindUserPoint}, Case{kPlanFormatCurrent, kKindAirspaceLow}}) {
    CRoute loaded;
    uint16_t format = 0;
    EXPECT_EQ(Load(loaded, Saved(route, c.format), format), 0) << c.format;
    ASSERT_EQ(loaded.GetCount(), 2) << c.format;
    EXPECT_EQ(loaded[1].ref.point.kind, c.kind) << c.format;
    EXPECT_FLOAT_EQ(loaded[1].ref.point.latitude, static_cast<float>(zone.lat)) << c.format;
    EXPECT_EQ(loaded.Revalidate(), 0) << c.format;
    EXPECT_EQ(loaded[1].ref.point.kind, c.kind) << c.format;
  }
  CRoute kept = route;
  EXPECT_EQ(kept.Revalidate(), 0);
  EXPECT_EQ(kept[1].ref.point, airspace.point);
}

TEST_F(PlanFileTest, HostileImagesAreRejectedAndTheRouteKept) {
  CRoute source;
  source.AddPoint(At(plantest::kVor, kKindVor));
  source.AddPoint(At(plantest::kNdb, kKindNdb));
  const std::vector<uint8_t> good = Saved(source, kPlanFormatCurrent);

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  auto patched = [&](const char* name, size_t at, uint32_t value) {
    Image f;
    f.bytes = good;
    f.U32(at, value);
    cases.push_back({name, f.bytes});
  };
  cases.push_back({"empty", {}});
  cases.push_back({"short header", std::vector<uint8_t>(good.begin(), good.begin() + 200)});
  {
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    cases.push_back({"one byte longer than its length field", longer});
  }
  patched("length field one off", 0, static_cast<uint32_t>(good.size() - 1));
  patched("magic", 4, 0x00695846);  // "FX" and version 105
  {
    Image f;
    f.bytes = good;
    f.U16(6, 99);
    cases.push_back({"version 99", f.bytes});
    f.U16(6, 106);
    cases.push_back({"version 106", f.bytes});
  }
  patched("point count huge", 284, 0x7FFFFFFF);
  patched("extra count wraps 32 bits", 308, 0x06186187);
  patched("point offset past the end", 280, static_cast<uint32_t>(good.size()));
  patched("profile offset past the end", 272, 0xFFFFFFF0);
  patched("cruise block cut short", 296, static_cast<uint32_t>(good.size() - 8));
  patched("flag section past the end", 292, 1000);

  CRoute route;
  route.AddPoint(UserPoint(1, 1, "KEEP"));
  for (const Case& c : cases) {
    uint16_t format = 77;
    archive::MemoryFile file(c.bytes, "hostile.cwp");
    try {
      route.Load(format, file);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const archive::ArchiveException& e) {
      EXPECT_EQ(e.cause, archive::ArchiveException::badIndex) << c.name;
      EXPECT_EQ(e.fileName, "hostile.cwp") << c.name;
    }
    EXPECT_EQ(format, 77) << c.name;
    ASSERT_EQ(route.GetCount(), 1) << c.name;
    EXPECT_EQ(route[0].UserName(), "KEEP") << c.name;
  }

  // A cruise count above one is read as its one block, not rejected.
  Image many;
  many.bytes = good;
  many.U32(300, 5000);
  CRoute loaded;
  uint16_t format = 0;
  EXPECT_NO_THROW(Load(loaded, many.bytes, format));
  EXPECT_EQ(loaded.GetCount(), 2);
}

TEST_F(PlanFileTest, SavingToDiskReplacesThePreviousFileWhole) {
  const std::filesystem::path path = m_folder.Folder() / "trip.cwp";
  {
    std::ofstream old(path, std::ios::binary);
    old << "previous plan";
  }
  CRoute route;
  route.AddPoint(At(plantest::kVor, kKindVor));
  SavePlanFile(route, path, Info(nullptr, nullptr, "Jet"), kPlanFormatCurrent);
  EXPECT_EQ(std::filesystem::file_size(path), PlanFileLength(1));
  for (const auto& entry : std::filesystem::directory_iterator(m_folder.Folder())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "trip.cwp" || name.find("trip") == std::string::npos) << "temporary file left: " << name;
  }

  EXPECT_THROW(SavePlanFile(route, m_folder.Folder() / "missing" / "trip.cwp", Info(nullptr, nullptr, "Jet"),
                            kPlanFormatCurrent),
               archive::FileException);
}

}  // namespace
