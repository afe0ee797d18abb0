#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "navdb/SceneryDatabase.h"
#include "navdb/tests/support/NavdbFixture.h"

using namespace navdbtest;

namespace {

struct OneFile : ::testing::Test {
  OneFile() {
    db.AddArea("area", nullptr);
    AddFile(db, "sub", "file.bgl");
  }
  bool AddNdb(double lat, double lon, const char* ident, uint16_t kind = kKindNdb) {
    const NdbRecord r = Ndb(ident, 300);
    return AddPointAt(db, lat, lon, kind, &r);
  }
  std::string NdbAt(int i) { return std::string(db.GetNdb(db.m_ndbs[i])->Ident()); }
  CSceneryDatabase db;
};

}  // namespace

TEST(Tiles, RowsAndColumnsFollowTheBorders) {
  struct Case {
    double lat, lon;
    int row, column;
  } cases[] = {
      {90, 0, 0, 0},        {82.5, 0, 1, 0},        {-90, 0, 24, 0},      {0, -180, 12, 24},
      {0, -172.5, 12, 25},  {0, 172.5, 12, 23},     {0, 179.99, 12, 23},  {0, -0.01, 12, 47},
  };
  for (const Case& c : cases) {
    TileRecord t(c.lat, c.lon);
    EXPECT_EQ(+t.row, +c.row) << c.lat << "," << c.lon;
    EXPECT_EQ(+t.column, +c.column) << c.lat << "," << c.lon;
  }
  const TileBounds b = TileCellBounds(12, 23);
  EXPECT_EQ(+b.lonMin, 172.5);
  EXPECT_EQ(+b.lonMax, -180);
  EXPECT_TRUE(TileRecord(0, 175).Contains(0, -180));
  EXPECT_TRUE(TileIntersectsView(TileRecord(0, 175), -1, 1, 179, -179));
  EXPECT_FALSE(TileIntersectsView(TileRecord(0, 0), -1, 1, 179, -179));
}

TEST_F(OneFile, PointsOfATileKeepInsertionOrderAndLaterTilesFollowEarlierOnes) {
  AddNdb(10, 10, "A");   // tile 0
  AddNdb(50, 50, "B");   // tile 1
  AddNdb(11, 11, "C");   // tile 0 again: goes before B
  ASSERT_EQ(db.m_tiles.GetSize(), 2);
  EXPECT_EQ(NdbAt(0), "A");
  EXPECT_EQ(NdbAt(1), "C");
  EXPECT_EQ(NdbAt(2), "B");
  EXPECT_EQ(+db.m_tiles[0].end[kArrayNdb], 2);
  EXPECT_EQ(+db.m_tiles[1].end[kArrayNdb], 3);
  EXPECT_EQ(+db.m_files[0].tileEnd, 2);
  EXPECT_TRUE(db.Validate()) << db.GetLastError();
}

TEST_F(OneFile, ABorderPointGoesToTheEarlierTileThatContainsIt) {
  AddNdb(80, 10, "A");    // row 1: 75..82.5
  AddNdb(82.5, 10, "B");  // on the border, inside row 1's closed bounds
  EXPECT_EQ(db.m_tiles.GetSize(), 1);
  AddNdb(84, 10, "C");  // row 0
  ASSERT_EQ(db.m_tiles.GetSize(), 2);
  EXPECT_EQ(+db.m_tiles[1].row, 0);
  EXPECT_EQ(+db.m_tiles[0].end[kArrayNdb], 2);
}

TEST_F(OneFile, LongitudePlus180SharesTheTileOfMinus180) {
  for (int i = 0; i < 3; ++i) AddNdb(1, 180, "E");
  AddNdb(1, -180, "W");
  ASSERT_EQ(db.m_tiles.GetSize(), 1);
  EXPECT_EQ(+db.m_tiles[0].column, 24);
  EXPECT_EQ(db.m_ndbs.GetSize(), 4);
  EXPECT_EQ(+db.m_ndbs[0].longitude, 180.0f);  // the stored position is not changed
}

TEST_F(OneFile, ANewTileStartsWithTheEndsOfTheTileBefore) {
  AddNdb(10, 10, "A");
  const VorRecord v = Vor("V", 113);
  AddPointAt(db, 10, 10, kKindVor, &v);
  AddNdb(50, 50, "B");
  ASSERT_EQ(db.m_tiles.GetSize(), 2);
  EXPECT_EQ(+db.m_tiles[1].end[kArrayVor], 1);
  EXPECT_TRUE(db.PointRange(1, kArrayVor).Empty());
  EXPECT_EQ(db.PointRange(1, kArrayNdb).Count(), 1);
}

TEST_F(OneFile, KindsWithAirwayLevelsGoToTheirBaseArrayAndUnknownKindsAreRefused) {
  EXPECT_TRUE(AddNdb(10, 10, "A", kKindNdb | 2));
  const VorRecord v = Vor("V", 113);
  EXPECT_TRUE(AddPointAt(db, 10, 10, kKindVor | 3, &v));
  EXPECT_EQ(db.m_ndbs.GetSize(), 1);
  EXPECT_EQ(db.m_vors.GetSize(), 1);
  const PayloadBytes airway = Airway({1, 2});
  EXPECT_FALSE(AddPointAt(db, 10, 10, kKindAirway, airway.data()));  // 1024 without a level
  EXPECT_FALSE(AddPointAt(db, 10, 10, 0, &v));
  EXPECT_EQ(db.m_airways.GetSize(), 0);
}

TEST(PointInsertion, IsRefusedBeforeAnyFileRecord) {
  CSceneryDatabase db;
  db.AddArea("area", nullptr);
  const NdbRecord r = Ndb("A", 300);
  const int32_t pool = db.GetPoolLength();
  EXPECT_FALSE(AddPointAt(db, 1, 1, kKindNdb, &r));
  EXPECT_EQ(db.m_ndbs.GetSize(), 0);
  EXPECT_EQ(db.m_tiles.GetSize(), 0);
  EXPECT_EQ(db.GetPoolLength(), pool);
}

TEST_F(OneFile, NavaidsWidenTheFileBoxButAirwayNetworkAndAirspacePointsDoNot) {
  BglFileRecord& f = db.m_files[0];
  AddNdb(10, 170, "A");
  AddNdb(12, -170, "B");
  EXPECT_EQ(+f.latMin, 10);
  EXPECT_EQ(+f.latMax, 12);
  EXPECT_EQ(+f.lonMin, 170);  // the box crosses 180 degrees
  EXPECT_EQ(+f.lonMax, -170);
  const BglFileRecord before = db.m_files[0];
  const PayloadBytes x = Intersection(IntersectionRecord{}, {});
  AddPointAt(db, 40, 40, kKindIntersection, x.data());
  const PayloadBytes w = Airway({0});
  AddPointAt(db, 41, 41, 1025, w.data());
  const PayloadBytes s = Airspace(AirspaceRecord{}, {});
  AddPointAt(db, 42, 42, kKindAirspaceHigh, s.data());
  EXPECT_EQ(+db.m_files[0].latMax, +before.latMax);
  EXPECT_EQ(+db.m_files[0].lonMin, +before.lonMin);
  EXPECT_EQ(+db.m_files[0].lonMax, +before.lonMax);
}

TEST_F(OneFile, PayloadOffsetIsStoredKeepingTheFlags) {
  const NdbRecord r = Ndb("A", 300);
  NavPoint p(5, 5, kKindNdb, 0);
  ASSERT_TRUE(db.AddPoint(5, 5, p, &r));
  EXPECT_FALSE(db.m_ndbs[0].IsKept());
  EXPECT_FALSE(db.m_ndbs[0].IsShown());
  EXPECT_EQ(db.m_ndbs[0].PayloadOffset(), p.PayloadOffset());
  EXPECT_EQ(db.GetNdb(db.m_ndbs[0])->Ident(), "A");
}

TEST(LabelPoints, AreFiledUnderTheTileKeysOfTheLastArea) {
  CSceneryDatabase db;
  EXPECT_EQ(db.AddLabelPoint(0, 0, LabelPoint{}), nullptr);
  db.AddArea("one", nullptr);
  LabelPoint l;
  l.word = LabelPoint::MakeWord(1, 0, true);
  db.AddLabelPoint(10, 10, l);
  l.word = LabelPoint::MakeWord(2, 0, true);
  db.AddLabelPoint(50, 50, l);
  l.word = LabelPoint::MakeWord(3, 0, true);
  db.AddLabelPoint(11, 11, l);  // into the first key, before label 2
  ASSERT_EQ(db.m_tileKeys.GetSize(), 2);
  EXPECT_EQ(db.m_labelPoints[1].Intersection(), 3);
  EXPECT_EQ(db.m_labelPoints[2].Intersection(), 2);
  db.AddArea("two", nullptr);
  db.AddLabelPoint(10, 10, l);  // a new area gets a key of its own
  EXPECT_EQ(db.m_tileKeys.GetSize(), 3);
  EXPECT_EQ(+db.m_areas[1].tileKeyEnd, 3);
  EXPECT_EQ(db.TileKeyRange(1).Count(), 1);
}

// The cell lookup that files points must pick the tile a search in order picks, for positions
// on every kind of border, across the 180-degree meridian, at the poles and out of range, while
// tiles are appended between lookups and after the array was emptied and refilled in place.
TEST(Tiles, CellLookupFindsTheFirstContainingTileLikeASearchInOrder) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> onGrid(-26, 26);
  std::uniform_real_distribution<double> anywhere(-200, 200);
  auto position = [&](double& lat, double& lon) {
    switch (random() % 4) {
      case 0:  // on cell borders and corners
        lat = onGrid(random) * 3.75;
        lon = onGrid(random) * 7.5;
        break;
      case 1:
        lat = anywhere(random) / 2;
        lon = anywhere(random);
        break;
      case 2:  // the poles, the meridians and values out of range
        lat = std::vector<double>{90, -90, 82.5, -82.5, 0, 95, -1e-300}[random() % 7];
        lon = std::vector<double>{180, -180, 172.5, -172.5, 0, -0.0, 360, -1e-300}[random() % 8];
        break;
      default:
        lat = std::nan("");
        lon = anywhere(random);
    }
  };
  CSceneryDatabase db;
  TileCellIndex index;
  for (int round = 0; round < 3; ++round) {
    db.m_tiles.SetSize(0);  // a refill in place must not reuse what the index knew
    const int first = round;  // tiles before `first` belong to an earlier file
    for (int i = 0; i < first; ++i) db.m_tiles.AddTile(TileRecord(10.0 * i, 20.0 * i), nullptr);
    for (int n = 0; n < 4000; ++n) {
      double lat, lon;
      position(lat, lon);
      const int end = db.m_tiles.GetSize();
      const int expected = TileCellIndex::FindInOrder(db.m_tiles, first, end, lat, lon);
      ASSERT_EQ(index.Find(db.m_tiles, first, end, lat, lon), expected) << lat << "," << lon;
      if (expected < 0) db.m_tiles.AddTile(TileRecord(lat, lon), nullptr);
    }
  }
}

// Filing points together must leave exactly what filing them one by one leaves, points of
// earlier tiles and earlier files in the same array included.
TEST(Tiles, PointsFiledTogetherMatchPointsFiledOneByOne) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
  CSceneryDatabase one, together;
  const NdbRecord ndb = Ndb("NDB", 300);
  std::vector<std::pair<double, double>> early;
  for (int i = 0; i < 50; ++i) early.emplace_back(lat(random) / 4, lon(random) / 4);
  for (CSceneryDatabase* db : {&one, &together}) {
    db->AddArea("area", nullptr);
    AddFile(*db, "sub", "first.bgl");
    for (const auto& [a, b] : early) AddPointAt(*db, a, b, kKindNdb, &ndb);
    AddFile(*db, "sub", "second.bgl");
    AddPointAt(*db, 10, 10, kKindNdb, &ndb);  // a point filed before the batch, in a later tile
  }
  std::vector<CSceneryDatabase::PendingPoint> batch;
  const PayloadBytes fix = Intersection(IntersectionRecord{}, {});
  for (int i = 0; i < 3000; ++i) {
    const double a = lat(random), b = i % 7 == 0 ? 180.0 : lon(random);
    const uint16_t kind = i % 3 == 0 ? kKindNdb : kKindIntersection;
    const void* payload = kind == kKindNdb ? static_cast<const void*>(&ndb) : fix.data();
    NavPoint p(a, b, kind, i % 5 != 0);
    ASSERT_TRUE(one.AddPoint(a, b, p, payload));
    batch.push_back({a, b, NavPoint(a, b, kind, i % 5 != 0), payload});
  }
  batch.push_back({0, 0, NavPoint(0, 0, 3, 1), &ndb});  // a kind that is not stored: refused
  together.AddPoints(batch);
  EXPECT_FALSE(batch.back().added);
  auto same = [](const auto& a, const auto& b) {
    return a.GetSize() == b.GetSize() &&
           std::memcmp(a.GetData(), b.GetData(), sizeof(*a.GetData()) * a.GetSize()) == 0;
  };
  EXPECT_TRUE(same(one.m_ndbs, together.m_ndbs));
  EXPECT_TRUE(same(one.m_intersections, together.m_intersections));
  EXPECT_TRUE(same(one.m_tiles, together.m_tiles));
  EXPECT_TRUE(same(one.m_files, together.m_files));
  ASSERT_EQ(one.GetPoolLength(), together.GetPoolLength());
  EXPECT_EQ(std::memcmp(one.GetPoolData(), together.GetPoolData(), one.GetPoolLength()), 0);
}
