// The private formats: their bytes, hostile blocks, valid COM frequencies, and what a map or
// search drag or copy offers for each kind of object.

#include "plotr/views/ClipFormats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <mutex>

#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/SimSnapshot.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using namespace clip;

FrequencyEntry Entry(uint16_t type, float mhz) {
  FrequencyEntry e;
  e.type = type;
  e.frequency = mhz;
  return e;
}

float FrequencyOf(const FrequencyEntry& e) {
  float f = 0;
  std::memcpy(&f, reinterpret_cast<const char*>(&e) + 2, sizeof f);
  return f;
}

TEST(ClipFormats, ValidComFrequenciesAreTunableChannels) {
  struct Case {
    float mhz;
    bool valid;
  } cases[] = {{121.50f, true},  {121.53f, false}, {137.00f, false}, {136.97f, true},
               {118.00f, true},  {117.99f, false}, {121.03f, false}, {124.27f, true}, {124.275f, false}};
  for (const Case& c : cases) EXPECT_EQ(c.valid, IsValidComFrequency(c.mhz)) << c.mhz;
  const FrequencyEntry list[] = {Entry(1, 121.03f), Entry(2, 118.1f), Entry(3, 137.0f), Entry(4, 122.95f)};
  const auto valid = ValidComFrequencies(list);
  ASSERT_EQ(2u, valid.size());
  EXPECT_EQ(2, valid[0].type);
  EXPECT_EQ(4, valid[1].type) << "in record order";
  EXPECT_EQ(0.0f, HeadingOfCourse(359.6));
  EXPECT_EQ(5.0f, HeadingOfCourse(365.2));
}

TEST(ClipFormats, RecordsRoundTripAndHostileBlocksReadAsAbsent) {
  PlanPoint points[3];
  for (int i = 0; i < 3; ++i) {
    points[i].ref.point = NavPoint(47 + i, 8, kKindVor, 1);
    points[i].altitude1 = MakeManualValue(1000 * i);
    points[i].marked = 1;
  }
  const std::string bytes = WritePlanPoints(points);
  ASSERT_EQ(4u + 3 * 72, bytes.size());
  const auto read = ReadPlanPoints(bytes);
  ASSERT_TRUE(read);
  ASSERT_EQ(3u, read->size());
  EXPECT_EQ(0, std::memcmp(points, read->data(), sizeof points)) << "copied byte for byte";

  EXPECT_FALSE(ReadPlanPoints(bytes.substr(0, bytes.size() - 1))) << "a short record rejects all";
  EXPECT_FALSE(ReadPlanPoints("\x01\x00")) << "a short count";
  std::string huge = WriteComArray({});
  const int32_t big = 0x7FFFFFFF;
  std::memcpy(huge.data(), &big, 4);
  EXPECT_FALSE(ReadPlanPoints(huge + std::string(72, '\0')));
  EXPECT_FALSE(ReadComArray(huge + std::string(12, '\0')));
  const int32_t negative = -5;
  const std::string minus(reinterpret_cast<const char*>(&negative), 4);
  EXPECT_TRUE(ReadComArray(minus)->empty()) << "a negative count gives nothing";
  EXPECT_TRUE(ReadPlanPoints(minus)->empty());

  const FrequencyEntry one[] = {Entry(7, 121.5f)};
  const auto entries = ReadComArray(WriteComArray(one) + "tail");
  ASSERT_TRUE(entries && entries->size() == 1);
  EXPECT_EQ(121.5f, FrequencyOf((*entries)[0]));

  SidStarRefClip procedure;
  procedure.airport = 2;
  procedure.group = 0;
  procedure.procedure = 3;
  EXPECT_TRUE(ReadSidStar(WriteSidStar(procedure)));
  SidStarRefClip group = procedure;
  group.procedure = -1;
  EXPECT_FALSE(ReadSidStar(WriteSidStar(group))) << "group items are refused";
  EXPECT_FALSE(ReadSidStar(WriteSidStar(procedure).substr(0, 20)));

  EXPECT_EQ(114.85f, ReadFloat(WriteFloat(114.85f)));
  EXPECT_FALSE(ReadFloat(WriteFloat(std::nanf(""))));
  EXPECT_FALSE(ReadFloat("abc"));

  const std::string descriptions[] = {"A", "B", "C"};
  EXPECT_EQ(std::string("A\r\n\r\nB\r\n\r\nC\r\n\r\n") + '\0', WriteText(descriptions, "\r\n\r\n"));
}

// Counts are outside data: each is checked against the bytes that follow before anything is
// reserved, and any position that is not a place on the earth refuses the whole block.
TEST(ClipFormats, CountsAndPositionsFromOutsideAreChecked) {
  PlanPoint two[2];
  two[0].ref.point = NavPoint(47, 8, kKindVor, 1);
  two[1].ref.point = NavPoint(-33, -70, kKindAirport, 1);
  const std::string body = WritePlanPoints(two).substr(4);
  const FrequencyEntry freqs[] = {Entry(1, 121.5f), Entry(2, 118.0f)};
  const std::string freqBody = WriteComArray(freqs).substr(4);
  auto withCount = [](int32_t count, const std::string& rest) {
    return std::string(reinterpret_cast<const char*>(&count), 4) + rest;
  };
  const struct {
    const char* name;
    int32_t count;
    int points;  // -1: refused
  } counts[] = {{"minus one", -1, 0}, {"zero", 0, 0}, {"as many as there are", 2, 2},
                {"fewer than there are", 1, 1}, {"one above the bytes", 3, -1}, {"INT32_MAX", INT32_MAX, -1},
                {"INT32_MIN", INT32_MIN, 0}};
  for (const auto& c : counts) {
    const auto points = ReadPlanPoints(withCount(c.count, body));
    const auto entries = ReadComArray(withCount(c.count, freqBody));
    if (c.points < 0) {
      EXPECT_FALSE(points) << c.name;
      EXPECT_FALSE(entries) << c.name;
    } else {
      ASSERT_TRUE(points && entries) << c.name;
      EXPECT_EQ(static_cast<size_t>(c.points), points->size()) << c.name;
      EXPECT_EQ(static_cast<size_t>(c.points), entries->size()) << c.name;
    }
  }
  for (int size = 0; size < 4; ++size) {
    EXPECT_FALSE(ReadPlanPoints(std::string(size, '\0'))) << size;
    EXPECT_FALSE(ReadComArray(std::string(size, '\0'))) << size;
    EXPECT_FALSE(ReadFloat(std::string(size, '\0'))) << size;
  }
  EXPECT_FALSE(ReadFullPoint(std::string(23, '\0')));
  EXPECT_FALSE(ReadSidStar(std::string(20, '\0')));

  const struct {
    const char* name;
    float lat, lon;
    bool ok;
  } places[] = {{"poles and date line", -90, 180, true}, {"NaN latitude", std::nanf(""), 8, false},
                {"infinite longitude", 47, INFINITY, false}, {"beyond the pole", 90.5f, 8, false},
                {"beyond the date line", 47, -180.5f, false}};
  for (const auto& p : places) {
    PlanPoint points[2] = {two[0], two[1]};
    points[1].ref.point.latitude = p.lat;
    points[1].ref.point.longitude = p.lon;
    EXPECT_EQ(p.ok, ReadPlanPoints(WritePlanPoints(points)).has_value()) << p.name;
    EXPECT_EQ(p.ok, ReadFullPoint(WriteFullPoint(points[1].ref)).has_value()) << p.name;
  }

  SidStarRefClip ref;
  ref.airport = 0;
  ref.group = 1;
  ref.procedure = 2;
  for (uint8_t star : {0, 1}) {
    ref.isStar = star;
    EXPECT_TRUE(ReadSidStar(WriteSidStar(ref))) << int(star);
  }
  ref.isStar = 2;
  EXPECT_FALSE(ReadSidStar(WriteSidStar(ref))) << "neither SID nor STAR";
  ref.isStar = 1;
  ref.procedure = -1;
  EXPECT_FALSE(ReadSidStar(WriteSidStar(ref))) << "-1 at offset 13: a group item";
}

class ClipObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    lease.emplace();
    plantest::BuildPlanDatabase(DatabaseLease::HeldDatabase());
    // Two airports of frequencies only the plan list would offer, and one with a channel.
    for (auto [lat, ident, freqs] : {std::tuple{46.0, "LSGS", std::vector<FrequencyEntry>{Entry(2, 121.03f)}},
                                     std::tuple{46.1, "LSGK", std::vector<FrequencyEntry>{Entry(2, 121.03f),
                                                                                           Entry(3, 119.7f)}}}) {
      AirportRecord a;
      SetFixedText(a.ident, sizeof a.ident, ident);
      navdbtest::AddPointAt(DatabaseLease::HeldDatabase(), lat, 7.3, kKindAirport,
                            navdbtest::Airport(a, freqs, {}).data());
    }
  }
  void TearDown() override { lease.reset(); }
  FullPoint Object(double lat, double lon, int32_t kinds) {
    FullPoint out;
    double radius = 200;
    EXPECT_TRUE(route.FindObject(out, radius, lat, lon, kinds, false)) << lat << " " << lon;
    return out;
  }
  std::optional<DatabaseLease> lease;
  plantest::ScopedPlanFolder folder{"clip"};
  CRoute route;
  SimSnapshot sim{};
};

TEST_F(ClipObjects, EachKindOffersItsFrequencyFormat) {
  using plantest::kHomeRunway14;
  using plantest::kHomeRunway32;
  const auto format = [&](const FullPoint& o, bool bcIls = false, bool list = false) {
    const auto f = FrequencyFormat(o, DatabaseLease::HeldDatabase(), bcIls, list);
    return f ? f->first : std::string("none");
  };
  EXPECT_EQ(kNavFrequency, format(Object(plantest::kVor.lat, plantest::kVor.lon, 0x13)));
  EXPECT_EQ(kAdfFrequency, format(Object(plantest::kNdb.lat, plantest::kNdb.lon, 0x0B)));
  EXPECT_EQ(kNavFrequency, format(Object(kHomeRunway14.lat, kHomeRunway14.lon, kKindRunway))) << "its ILS";
  EXPECT_EQ("none", format(Object(kHomeRunway32.lat, kHomeRunway32.lon, kKindRunway))) << "no ILS";
  EXPECT_EQ(kComFrequency, format(Object(plantest::kHomeAtis.lat, plantest::kHomeAtis.lon, kKindCom)));

  const FullPoint noChannel = Object(46.0, 7.3, kKindAirport);
  EXPECT_EQ("none", format(noChannel)) << "map and search offer no empty array";
  const auto list = FrequencyFormat(noChannel, DatabaseLease::HeldDatabase(), false, true);
  ASSERT_TRUE(list);
  EXPECT_EQ(kComFrequencyArray, list->first);
  EXPECT_TRUE(ReadComArray(list->second)->empty()) << "the plan list's array may count 0";
  const auto one = FrequencyFormat(Object(46.1, 7.3, kKindAirport), DatabaseLease::HeldDatabase(), false, false);
  ASSERT_TRUE(one);
  ASSERT_EQ(1u, ReadComArray(one->second)->size());
  EXPECT_EQ(119.7f, FrequencyOf(ReadComArray(one->second)->front()));
}

TEST_F(ClipObjects, DragAndCopyOfAnObject) {
  const FullPoint vor = Object(plantest::kVor.lat, plantest::kVor.lon, 0x13);
  const ClipData drag = ObjectDrag(vor, route, sim, false);
  ASSERT_EQ(3u, drag.size());
  EXPECT_EQ(kFullPoint, drag[0].first);
  EXPECT_EQ(kText, drag[1].first);
  EXPECT_EQ(kNavFrequency, drag[2].first);
  EXPECT_EQ('\0', drag[1].second.back());
  EXPECT_NE(std::string::npos, drag[1].second.find("KLO"));

  const ClipData copy = ObjectCopy(vor, route, sim, "\r\n\r\n");
  ASSERT_EQ(kPlanPointArray, copy[0].first);
  EXPECT_EQ(1u, ReadPlanPoints(copy[0].second)->size());

  FullPoint gone = vor;
  gone.point.latitude += 1.0f;  // no longer in the database
  const ClipData stale = ObjectDrag(gone, route, sim, false);
  EXPECT_EQ(nullptr, Find(stale, kFullPoint));
  EXPECT_EQ(nullptr, Find(ObjectCopy(gone, route, sim, "\r\n"), kPlanPointArray));

  EXPECT_EQ(nullptr, DragSession::Current());
  {
    DragSession session(drag);
    ASSERT_NE(nullptr, DragSession::Current());
    EXPECT_NE(nullptr, Find(*DragSession::Current(), kNavFrequency));
  }
  EXPECT_EQ(nullptr, DragSession::Current());
}

}  // namespace
