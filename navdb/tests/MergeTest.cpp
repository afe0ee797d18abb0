#include <gtest/gtest.h>

#include "navdb/SceneryDatabase.h"
#include "navdb/tests/support/NavdbFixture.h"

using namespace navdbtest;

namespace {

// A source of one area and one file, and a destination that already holds intersections so
// the merge has to move their indexes.
struct Merge : ::testing::Test {
  Merge() {
    src.AddArea("area", nullptr);
    AddFile(src, "sub", "file.bgl");
    dst.AddArea("earlier", nullptr);
    AddFile(dst, "sub", "earlier.bgl");
    for (int i = 0; i < 10; ++i) {
      const PayloadBytes x = Intersection(IntersectionRecord{}, {});
      AddPointAt(dst, 1, 1, kKindIntersection, x.data());
    }
  }
  CSceneryDatabase src, dst;
};

}  // namespace

TEST_F(Merge, AnAreaWithoutKeptPointsBringsOnlyItsIntersectionsAndThoseHidden) {
  const NdbRecord n = Ndb("N", 300);
  AddPointAt(src, 5, 5, kKindNdb, &n, false);
  const PayloadBytes airport = Airport(AirportRecord{}, {}, {});
  AddPointAt(src, 5, 5, kKindAirport, airport.data(), false);
  const PayloadBytes x = Intersection(IntersectionRecord{}, {Segment("V1", 1, 1, -1, 0)});
  AddPointAt(src, 5, 5, kKindIntersection, x.data(), false);
  AddPointAt(src, 5, 6, kKindIntersection, x.data(), false);

  dst.MergeArea(src, 0);
  EXPECT_EQ(dst.m_areas.GetSize(), 2);
  EXPECT_EQ(dst.m_files.GetSize(), 2);
  EXPECT_EQ(dst.m_tiles.GetSize(), 2);
  EXPECT_EQ(dst.m_ndbs.GetSize(), 0);
  EXPECT_EQ(dst.m_airports.GetSize(), 0);
  ASSERT_EQ(dst.m_intersections.GetSize(), 12);
  for (int i = 10; i < 12; ++i) {
    EXPECT_FALSE(dst.m_intersections[i].IsShown());
    EXPECT_EQ(+dst.GetIntersectionSegments(dst.m_intersections[i])[0].half[0].neighbour, 11);
  }
  EXPECT_TRUE(dst.Validate()) << dst.GetLastError();
}

TEST_F(Merge, IlsPairsAreDecidedByTheirFirstPointAndALoneLastIlsByItself) {
  auto ils = [&](const char* ident, bool kept) {
    const IlsRecord r = Ils(ident, 110.1f, 0, 300);
    AddPointAt(src, 5, 5, kKindIls, &r, kept);
  };
  ils("A1", true);
  ils("A2", false);  // companion of a kept localizer: comes along
  ils("B1", false);
  ils("B2", true);  // only the companion kept: the pair is dropped
  ils("C1", true);  // no companion at the end of the tile
  dst.MergeArea(src, 0);
  ASSERT_EQ(dst.m_ils.GetSize(), 3);
  EXPECT_EQ(dst.GetIls(dst.m_ils[0])->Ident(), "A1");
  EXPECT_EQ(dst.GetIls(dst.m_ils[1])->Ident(), "A2");
  EXPECT_FALSE(dst.m_ils[1].IsShown());
  EXPECT_EQ(dst.GetIls(dst.m_ils[2])->Ident(), "C1");
  EXPECT_TRUE(dst.Validate()) << dst.GetLastError();
}

TEST_F(Merge, LabelPointsAndAirwayItemsMoveWithTheIntersections) {
  src.AddLabelPoint(5, 5, LabelPoint{LabelPoint::MakeWord(5, 1, true), 5, 5});
  const PayloadBytes airway = Airway({LabelPoint::MakeWord(5, 1, false), LabelPoint::MakeWord(6, 0, false)});
  AddPointAt(src, 5, 5, 1026, airway.data());
  dst.MergeArea(src, 0);
  ASSERT_EQ(dst.m_labelPoints.GetSize(), 1);
  const LabelPoint& l = dst.m_labelPoints[0];
  EXPECT_EQ(l.Intersection(), 15);
  EXPECT_EQ(l.Slot(), 1);
  EXPECT_TRUE(l.IsFirst());
  ASSERT_EQ(dst.m_airways.GetSize(), 1);
  EXPECT_EQ(dst.ReadAirwayItem(dst.m_airways[0], 0), LabelPoint::MakeWord(15, 1, false));
  EXPECT_EQ(dst.ReadAirwayItem(dst.m_airways[0], 1), LabelPoint::MakeWord(16, 0, false));
}

TEST_F(Merge, RunwayEndsLoseTheirIlsBindingAndTextsMoveIntoThisPool) {
  RunwayRecord r = Runway("09", 0);
  r.ilsWord = 0xAA000003;  // layer bits above an ILS index
  AddPointAt(src, 5, 5, kKindRunway, &r);
  const NdbRecord n = Ndb("N", 300, src.AddString("Beacon"));
  AddPointAt(src, 5, 5, kKindNdb, &n);
  dst.MergeArea(src, 0);
  EXPECT_EQ(+dst.GetRunway(dst.m_runways[0])->ilsWord, 0xABFFFFFFu);
  EXPECT_EQ(dst.GetRunway(dst.m_runways[0])->IlsIndex(), -1);
  EXPECT_STREQ(dst.GetString(dst.GetNdb(dst.m_ndbs[0])->nameText), "Beacon");
  EXPECT_STREQ(dst.GetString(dst.m_files[1].fileNameText), "file.bgl");
}

TEST_F(Merge, AirportTextsAreSharedWithinOneMergeOnly) {
  AirportRecord h;
  h.countryText = src.AddString("Country");
  for (int i = 0; i < 2; ++i) {
    h.nameText = src.AddString("Name");
    const PayloadBytes a = Airport(h, {{1, 118.0f}}, {});
    AddPointAt(src, 5, 5 + i, kKindAirport, a.data());
  }
  dst.MergeArea(src, 0);
  dst.MergeArea(src, 0);
  ASSERT_EQ(dst.m_airports.GetSize(), 4);
  auto country = [&](int i) { return dst.GetAirport(dst.m_airports[i])->countryText; };
  auto name = [&](int i) { return dst.GetAirport(dst.m_airports[i])->nameText; };
  EXPECT_EQ(country(0), country(1));
  EXPECT_EQ(country(2), country(3));
  EXPECT_NE(country(0), country(2));
  EXPECT_NE(name(0), name(1));
  EXPECT_STREQ(dst.GetString(country(3)), "Country");
  EXPECT_EQ(+dst.GetAirportFrequencies(dst.m_airports[3])[0].frequency, 118.0f);
  EXPECT_TRUE(dst.Validate()) << dst.GetLastError();
}

TEST(MergeWhole, TheSampleDatabaseMergesAreaByAreaIntoAConsistentDatabase) {
  CSceneryDatabase sample, merged;
  BuildSampleDatabase(sample);
  for (int a = 0; a < sample.m_areas.GetSize(); ++a) merged.MergeArea(sample, a);
  ASSERT_TRUE(merged.Validate()) << merged.GetLastError();
  EXPECT_EQ(merged.m_intersections.GetSize(), sample.m_intersections.GetSize());
  EXPECT_EQ(merged.m_labelPoints.GetSize(), sample.m_labelPoints.GetSize());
  // Area 1's chain starts after area 0's intersections in both databases: the shift is zero
  // and every neighbour index stays as it was.
  for (int i = 0; i < merged.m_intersections.GetSize(); ++i) {
    EXPECT_EQ(+merged.GetIntersectionSegments(merged.m_intersections[i])[0].half[0].neighbour,
              +sample.GetIntersectionSegments(sample.m_intersections[i])[0].half[0].neighbour);
  }
  EXPECT_EQ(merged.m_ndbs.GetSize(), sample.m_ndbs.GetSize() - 1);  // the duplicate stays behind
  EXPECT_EQ(merged.m_objects.GetSize(), 1);                         // so does the object not kept
  EXPECT_EQ(merged.m_footprintVertices.GetSize(), 3);
  EXPECT_EQ(merged.m_airspaceVertices.GetSize(), sample.m_airspaceVertices.GetSize());
  const AirspaceVertex& circle = merged.m_airspaceVertices[4];
  ASSERT_NE(merged.GetVertexExtra(circle), nullptr);
  EXPECT_EQ(+merged.GetVertexExtra(circle)->radiusNm, 5.0f);
  EXPECT_EQ(merged.m_magVarGrids.GetSize(), 1);
  EXPECT_EQ(+merged.m_magVarGrids[0].value[1000], +sample.m_magVarGrids[0].value[1000]);
}

TEST(MergeWhole, ASecondAreaOfTheSourceMovesByTheIntersectionsLeftBehind) {
  CSceneryDatabase sample, merged;
  BuildSampleDatabase(sample);
  merged.MergeArea(sample, 1);  // area 0's intersections are not in the destination
  ASSERT_TRUE(merged.Validate()) << merged.GetLastError();
  const int before = sample.m_intersections.GetSize() - merged.m_intersections.GetSize();
  ASSERT_GT(before, 0);
  EXPECT_EQ(+merged.GetIntersectionSegments(merged.m_intersections[0])[0].half[0].neighbour, 1);
  for (const LabelPoint& l : merged.m_labelPoints) EXPECT_LT(l.Intersection(), merged.m_intersections.GetSize());
}
