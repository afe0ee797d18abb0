#include "navdb/SceneryDatabase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

#include "navdb/tests/support/NavdbFixture.h"

using namespace navdbtest;

static_assert(!std::is_copy_constructible_v<CSceneryDatabase>);
static_assert(!std::is_copy_assignable_v<CSceneryDatabase>);

TEST(RecordArray, GrowsByAnEighthClampedToFourWhenNoStepIsSet) {
  CExcludeBoxArray a;
  a.SetSize(5, 0);
  EXPECT_EQ(a.GetCapacity(), 5);
  a.SetSize(6);
  EXPECT_EQ(a.GetCapacity(), 9);
  a.SetSize(2);
  EXPECT_EQ(a.GetCapacity(), 9);  // shrinking keeps the block
  a.SetSize(0);
  EXPECT_EQ(a.GetCapacity(), 0);
  EXPECT_EQ(a.GetData(), nullptr);
}

TEST(RecordArray, InsertMovesTheTailAndRegrownElementsAreConstructedAgain) {
  CAirspaceVertexArray a;
  AirspaceVertex v;
  for (int i = 0; i < 3; ++i) {
    v.latitude = static_cast<float>(i);
    a.Add(v);
  }
  v.latitude = 9;
  a.InsertAt(1, v, 2);
  ASSERT_EQ(a.GetSize(), 5);
  const float expected[] = {0, 9, 9, 1, 2};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(+a[i].latitude, expected[i]) << i;

  a[4].edge = 1;
  a.SetSize(4);
  a.SetSize(5);  // the dropped element comes back as a default one
  EXPECT_EQ(+a[4].edge, kEdgeRhumbDefault);
  EXPECT_EQ(+a[4].extraOffset, -1);
}

TEST(Records, DefaultElementsCarryTheirNeutralValues) {
  CSceneryDatabase db;
  db.m_areas.SetSize(1);
  db.m_files.SetSize(1);
  db.m_ndbs.SetSize(1);
  db.m_tiles.SetSize(1);
  db.m_tileKeys.SetSize(1);
  db.m_objects.SetSize(1);
  db.m_airspaceVertices.SetSize(1);
  EXPECT_EQ(+db.m_areas[0].pathText, -1);
  EXPECT_EQ(+db.m_areas[0].excludeText, -1);
  EXPECT_EQ(+db.m_files[0].fileNameText, -1);
  EXPECT_EQ(+db.m_files[0].tileEnd, 0);
  EXPECT_EQ(+db.m_ndbs[0].word, 0xFFFFFFFFu);  // no payload, kept and shown
  EXPECT_EQ(db.m_ndbs[0].PayloadOffset(), -1);
  EXPECT_EQ(+db.m_tiles[0].row, 12);
  EXPECT_EQ(+db.m_tiles[0].column, 0);
  EXPECT_EQ(+db.m_tileKeys[0].row, 12);
  EXPECT_EQ(+db.m_objects[0].flags, 0xC0);
  EXPECT_EQ(+db.m_objects[0].layer, 255);
  EXPECT_EQ(db.m_airspaceVertices[0].EdgeType(), 4);
  EXPECT_EQ(+db.m_airspaceVertices[0].extraOffset, -1);
}

TEST(Pool, EmptyTextsAreNotStoredAndOutOfRangeOffsetsReadEmpty) {
  CSceneryDatabase db;
  EXPECT_EQ(db.AddString(static_cast<const char*>(nullptr)), -1);
  EXPECT_EQ(db.AddString(""), -1);
  EXPECT_EQ(db.GetPoolLength(), 0);
  EXPECT_STREQ(db.GetString(0), "");

  EXPECT_EQ(db.AddString("alpha"), 0);
  EXPECT_EQ(db.AddString(std::string_view("betagamma", 4)), 6);
  EXPECT_EQ(db.GetPoolLength(), 11);
  EXPECT_STREQ(db.GetString(0), "alpha");
  EXPECT_STREQ(db.GetString(6), "beta");
  EXPECT_STREQ(db.GetString(2), "pha");
  EXPECT_STREQ(db.GetString(-1), "");
  EXPECT_STREQ(db.GetString(11), "");
}

TEST(Pool, ATextOfThePoolItselfCanBeAddedAgainWhileThePoolMoves) {
  CSceneryDatabase db(16);  // tiny grow step: every append reallocates
  const int32_t first = db.AddString("a text that is longer than the grow step");
  for (int i = 0; i < 20; ++i) {
    const int32_t copy = db.AddString(db.GetString(first));
    EXPECT_STREQ(db.GetString(copy), "a text that is longer than the grow step");
  }
}

TEST(Pool, ATextRunningToTheEndOfThePoolStopsThere) {
  CSceneryDatabase db;
  const char raw[] = {'a', 'b', 'c'};
  db.AppendPool(raw, sizeof raw);  // no NUL of its own
  EXPECT_STREQ(db.GetString(1), "bc");
}

TEST(Pool, AnAppendThatWouldPassThe30BitOffsetsIsRefusedNotWrapped) {
  CSceneryDatabase db;
  db.AddString("kept");
  const char byte = 0;
  // Refused before a byte is read: the size alone passes the limit.
  EXPECT_EQ(db.AppendPool(&byte, static_cast<size_t>(kMaxPoolLength)), -1);
  EXPECT_EQ(db.AppendPool(&byte, SIZE_MAX), -1);  // and the sum does not wrap
  EXPECT_EQ(db.GetPoolLength(), 5);
}

TEST(Payloads, ListsFollowTheirHeaders) {
  CSceneryDatabase db;
  db.AddArea("area", nullptr);
  AddFile(db, "sub", "file.bgl");
  AirportRecord h;
  SetFixedText(h.ident, sizeof h.ident, "KXYZ");
  const PayloadBytes airport =
      Airport(h, {{1, 118.0f}, {2, 119.0f}, {3, 120.0f}}, {{1, 2, 3u}, {4, 5, 6u}});
  ASSERT_EQ(airport.bytes.size(), 73u);
  NavPoint p(10, 10, kKindAirport, 1);
  ASSERT_TRUE(db.AddPoint(10, 10, p, airport.data()));
  const uint8_t* base = reinterpret_cast<const uint8_t*>(db.GetAirport(p));
  EXPECT_EQ(db.GetPoolLength() - p.PayloadOffset(), 73);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(db.GetAirportFrequencies(p)), base + 31);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(db.GetAirportParkings(p)), base + 49);
  EXPECT_EQ(+db.GetAirportParkings(p)[1].latitude, 4.0f);
  EXPECT_EQ(db.GetAirport(p)->Ident(), "KXYZ");

  NavPoint none(0, 0, kKindNdb, 1);
  EXPECT_EQ(none.word & kPayloadMask, kNoPayload);
  EXPECT_EQ(db.GetNdb(none), nullptr);
}

TEST(Payloads, IntersectionNeighboursMoveByTheBaseOnlyWhenSet) {
  CSceneryDatabase db;
  IntersectionRecord h;
  const PayloadBytes payload = Intersection(h, {Segment("V1", 3, 1, -1, 0), Segment("V2", 0, 0, 7, 2)});
  NavPoint p(0, 0, kKindIntersection, 1);
  db.AddIntersection(p, payload.as<IntersectionRecord>(), 10);
  const AirwaySegment* s = db.GetIntersectionSegments(p);
  EXPECT_EQ(+s[0].half[0].neighbour, 13);
  EXPECT_EQ(+s[0].half[1].neighbour, -1);
  EXPECT_EQ(+s[1].half[0].neighbour, 10);
  EXPECT_EQ(+s[1].half[1].neighbour, 17);
  EXPECT_EQ(s[1].Name(), "V2");
  EXPECT_EQ(+s[1].half[1].slot, 2);
}

TEST(Payloads, FixedTextFieldsAreReadWithinTheirWidth) {
  NdbRecord r;
  std::memcpy(r.ident, "ABCDEF", 6);  // no NUL
  EXPECT_EQ(r.Ident(), "ABCDEF");
  RunwayRecord w;
  std::memcpy(w.designator, "36LX", 4);
  EXPECT_EQ(w.Designator(), "36LX");
  EXPECT_EQ(w.IlsIndex(), -1);
  EXPECT_FALSE(w.HasIls());
  w.SetIlsIndex(1234);
  EXPECT_EQ(w.IlsIndex(), 1234);
  EXPECT_TRUE(w.HasIls());
}

TEST(Chains, FirstChildRangeStartsAtZeroAndEmptyParentsRepeatTheEnd) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  EXPECT_EQ(+db.FileRange(0).first, 0);
  EXPECT_EQ(+db.FileRange(1).first, +db.m_areas[0].fileEnd);
  // The second file of area 0 has no objects: its range is empty and starts at the first's end.
  const IndexRange groups = db.ObjectGroupRange(1);
  EXPECT_TRUE(groups.Empty());
  EXPECT_EQ(+groups.first, +db.m_files[0].objectGroupEnd);
  EXPECT_TRUE(db.Validate()) << db.GetLastError();
}

TEST(Shapes, ObjectBoxContainsItsReferencePointAndAirspaceBoxesCrossTheDateLine) {
  CSceneryDatabase db;
  db.AddArea("a", nullptr);
  const int file = AddFile(db, "s", "f");
  ObjectGroup g;
  const int group = db.m_objectGroups.Add(g, &db.m_files[file].objectGroupEnd);
  ObjectRecord o;
  o.latitude = 10;
  o.longitude = 20;
  o.scale = 1;
  db.m_objects.Add(o, &db.m_objectGroups[group].objectEnd);
  double la0, la1, lo0, lo1;
  db.m_objects.GetBounds(la0, la1, lo0, lo1, 0);
  EXPECT_EQ(la0, 10);
  EXPECT_EQ(la1, 10);
  EXPECT_EQ(lo0, 20);
  EXPECT_EQ(lo1, 20);

  const int shape = db.m_airspaceShapes.Add(AirspaceShape{}, &db.m_files[file].airspaceShapeEnd);
  for (double lon : {179.0, -179.0, -178.0}) {
    AirspaceVertex v;
    v.latitude = 5;
    v.longitude = static_cast<float>(lon);
    db.m_airspaceVertices.Add(v);
    ++db.m_airspaceShapes[shape].vertexEnd;
  }
  db.m_airspaceShapes.GetBounds(la0, la1, lo0, lo1, shape);
  EXPECT_DOUBLE_EQ(lo0, 179.0);
  EXPECT_DOUBLE_EQ(lo1, -178.0);
  double lat, lon;
  db.m_airspaceShapes.GetLabelPosition(lat, lon, shape);
  EXPECT_NEAR(lat, 5, 1e-9);
  EXPECT_TRUE(lon > 179.0 || lon < -178.0) << lon;
}

TEST(Swap, ContentsMoveWhileEachArrayStaysWithItsOwnDatabase) {
  CSceneryDatabase loaded;
  BuildSampleDatabase(loaded);
  const int ndbs = loaded.m_ndbs.GetSize();
  const int tiles = loaded.m_tiles.GetSize();
  const int32_t pool = loaded.GetPoolLength();

  CSceneryDatabase inUse;
  inUse.SwapContents(loaded);
  EXPECT_EQ(inUse.m_ndbs.GetSize(), ndbs);
  EXPECT_EQ(inUse.m_tiles.GetSize(), tiles);
  EXPECT_EQ(inUse.GetPoolLength(), pool);
  EXPECT_TRUE(inUse.Validate()) << inUse.GetLastError();
  EXPECT_EQ(loaded.m_ndbs.GetSize(), 0);
  EXPECT_EQ(loaded.GetPoolLength(), 0);

  // A point added afterwards must land in the tiles of the database it was added to; arrays
  // that still pointed at their former owner would change the emptied one instead.
  const NdbRecord ndb = Ndb("SWP", 350.0f);
  ASSERT_TRUE(AddPointAt(inUse, 10.0, 10.0, kKindNdb, &ndb));
  EXPECT_EQ(inUse.m_ndbs.GetSize(), ndbs + 1);
  EXPECT_TRUE(inUse.Validate()) << inUse.GetLastError();
  EXPECT_EQ(loaded.m_tiles.GetSize(), 0);
}
