#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "basemaker/compiler/AirportList.h"
#include "basemaker/compiler/FileEntry.h"
#include "basemaker/compiler/NavTextEntryReaders.h"
#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TrackSegmentList.h"
#include "basemaker/compiler/tests/support/NavTextFixtures.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/Sync.h"

namespace {

// A small program folder: two coordinate fixes, an airway of three waypoints (one a reporting
// point from ISEC.txt as well), a track that joins the airway's southern end to a lone
// waypoint, a control zone and an FIR, and three airports.
const char* const kIsec =
    "; intersections\r\n"
    "DENUT\t50.5\t8.5\r\n"
    "50N10\t50\t-10\t3\r\n"
    "ABCDE\t51\t9\t6\r\n";
const char* const kTrack =
    "49.05\t8.0\t55.02\t12.0\r\n"  // ends 5.6 km from SOUTH and 2.2 km from LONER
    "30.0\t30.0\t31.0\t31.0\r\n";  // nowhere near a waypoint
const char* const kAirway =
    "NORTH\t51.0\t8.0\t2\tUL1\tH\t\t0\t0\t0\tN\tMID\t50.0\t8.0\t1200\tY\r\n"
    "MID\t50.0\t8.0\t2\tUL1\tH\tNORTH\t51.0\t8.0\t1200\tY\tSOUTH\t49.0\t8.0\t900\tY\r\n"
    "MID\t50.0\t8.0\t2\tA5\tL\t\t0\t0\t0\tN\tEAST\t50.0\t9.0\t0\tN\r\n"
    "SOUTH\t49.0\t8.0\t2\tUL1\tH\tMID\t50.0\t8.0\t900\tY\t\t0\t0\t0\tN\r\n"
    "EAST\t50.0\t9.0\t2\tA5\tL\tMID\t50.0\t8.0\t0\tN\t\t0\t0\t0\tN\r\n"
    "LONER\t55.0\t12.0\t2\tB9\tB\t\t0\t0\t0\tN\tFAR\t56.0\t12.0\t0\tN\r\n";
const char* const kAirspace =
    "3\tEDDF\tFRANKFURT CTR\tL\tL\tD\t1\t50.0\t8.5\t50.1\t8.5\tG\tFRANKFURT TOWER\t119.9\t0\t-\t0\t0\t0\t-\r\n"
    "3\tEDDF\tFRANKFURT CTR\tL\tL\tD\t2\t50.1\t8.5\t50.1\t8.6\tG\tFRANKFURT TOWER\t119.9\t0\t-\t0\t0\t0\t-\r\n"
    "3\tEDDF\tFRANKFURT CTR\tL\tL\tD\t3\t50.1\t8.6\t50.0\t8.5\tG\tFRANKFURT TOWER\t119.9\t0\t-\t0\t0\t0\t-\r\n"
    "8\tEDGG\tLANGEN FIR\tL\tH\t\t1\t49.0\t6.0\t49.0\t6.0\tC\tLANGEN RADAR\t128.325\t3500 K\t-\t50.0\t8.0\t120\t-\r\n"
    "5\tX\tTMA\tB\tB\tC\t1\t48\t7\t48\t7\tC\t\t0\t0\t-\t48\t7\t10\t-\r\n";
const char* const kIcao =
    "EDDF\t50.0333\t8.5706\tFrankfurt Main\r\n"
    "EDDH\t53.6304\t9.9882\r\n"
    ";EDDM\t48.3538\t11.7861\tMunich\r\n";

FileEntry Entry(CNavTextFolder& folder, const char* name, const char* text) {
  const NavTextFile file = folder.Write(name, text);
  FileEntry entry;
  entry.name = file.name;
  entry.size = file.size;
  entry.lastWrite = file.lastWrite;
  entry.fullPath = file.fullPath;
  return entry;
}

std::string HalfIdent(const AirwaySegment& e, int half) {
  return std::string(reinterpret_cast<const char*>(&e) + 10 + 10 * half);
}

class NavTextFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    // The collector lists the files in this order; the names may come in any letter case.
    const FileEntry entries[] = {Entry(folder, "ISEC.txt", kIsec), Entry(folder, "Track.TXT", kTrack),
                                 Entry(folder, "AIRWAY.txt", kAirway)};
    CTrackSegmentList tracks;
    for (const FileEntry& e : entries) {
      ASSERT_EQ(ReadNavTextEntry(e, *nav, tracks, &abort, [this] { ++heartbeats; }), true) << e.name;
    }
    trackList = tracks;
    ASSERT_EQ(ReadNavTextEntry(Entry(folder, "AIRSPACE.txt", kAirspace), *air, tracks, &abort),
              true);
    for (int i = 0; i < nav->m_intersections.GetSize(); ++i) {
      const NavPoint& p = nav->m_intersections[i];
      byIdent[std::string(nav->GetIntersection(p)->Ident())].push_back(i);
    }
  }

  const IntersectionRecord& Header(int i) const { return *nav->GetIntersection(nav->m_intersections[i]); }
  const AirwaySegment& Segment(int i, int slot) const {
    return nav->GetIntersectionSegments(nav->m_intersections[i])[slot];
  }
  int Only(const std::string& ident) {
    EXPECT_EQ(byIdent[ident].size(), 1u) << ident;
    return byIdent[ident].empty() ? 0 : byIdent[ident][0];
  }

  CNavTextFolder folder;
  win::AutoResetEvent abort;
  int heartbeats = 0;
  std::unique_ptr<CSceneryDatabase> nav = MakeAreaDatabase("C:\\FS\\Modules\\Chartwright\\Bin\\");
  std::unique_ptr<CSceneryDatabase> air = MakeAreaDatabase("C:\\FS\\Modules\\Chartwright\\Bin\\");
  CTrackSegmentList trackList;
  std::map<std::string, std::vector<int>> byIdent;
};

TEST_F(NavTextFiles, IntersectionsOfIsecAndAirwayFilesUnderTheirFileRecords) {
  ASSERT_EQ(nav->m_areas.GetSize(), 1);
  ASSERT_EQ(nav->m_files.GetSize(), 3);
  const char* names[] = {"ISEC.txt", "Track.TXT", "AIRWAY.txt"};
  for (int f = 0; f < 3; ++f) {
    EXPECT_STREQ(nav->GetString(+nav->m_files[f].fileNameText), names[f]);
  }
  EXPECT_TRUE(nav->TileRange(1).Empty()) << "the track file has no points";
  EXPECT_EQ(nav->m_intersections.GetSize(), 3 + 5);
  EXPECT_TRUE(nav->Validate()) << nav->GetLastError();

  EXPECT_EQ(Header(Only("DENUT")).type, 0xFF);
  EXPECT_EQ(Header(Only("50N10")).type, 0xDD);
  EXPECT_EQ(Header(Only("ABCDE")).type, 0x66);
  EXPECT_EQ(Header(Only("DENUT")).segmentCount, 0);
  EXPECT_GE(heartbeats, 2);
}

TEST_F(NavTextFiles, AirwaySegmentsNameTheirNeighbours) {
  const int mid = Only("MID");
  EXPECT_EQ(+nav->m_intersections[mid].kind, 4 | 2 | 1);
  ASSERT_EQ(+Header(mid).segmentCount, 2);
  const AirwaySegment& ul1 = Segment(mid, 0);
  EXPECT_STREQ(ul1.name, "UL1");
  EXPECT_EQ(HalfIdent(ul1, 0), "NORTH");
  EXPECT_EQ(HalfIdent(ul1, 1), "SOUTH");
  uint16_t cell;
  std::memcpy(&cell, reinterpret_cast<const uint8_t*>(&ul1) + 18, 2);
  EXPECT_EQ(cell, CellCode(49, 8));
  EXPECT_STREQ(Segment(mid, 1).name, "A5");
  EXPECT_EQ(HalfIdent(Segment(mid, 1), 1), "EAST");

  EXPECT_EQ(+nav->m_intersections[Only("NORTH")].kind, 6);
  EXPECT_EQ(+nav->m_intersections[Only("EAST")].kind, 5);
  EXPECT_EQ(+nav->m_intersections[Only("LONER")].kind, 7);
}

TEST_F(NavTextFiles, TrackJoinsTheNearestWaypointsBothWays) {
  const int south = Only("SOUTH");
  const int loner = Only("LONER");
  ASSERT_EQ(trackList.GetSize(), 2);
  EXPECT_EQ(trackList[0].link1, south);
  EXPECT_EQ(trackList[0].link2, loner);
  EXPECT_EQ(trackList[1].link1, -1);
  EXPECT_EQ(trackList[1].link2, -1);

  ASSERT_EQ(+Header(south).segmentCount, 2);
  EXPECT_STREQ(Segment(south, 1).name, "");
  EXPECT_EQ(HalfIdent(Segment(south, 1), 0), "LONER");
  ASSERT_EQ(+Header(loner).segmentCount, 2);
  EXPECT_EQ(HalfIdent(Segment(loner, 1), 1), "SOUTH");
  EXPECT_EQ(Header(Only("NORTH")).segmentCount, 1);
}

TEST_F(NavTextFiles, AirspacesBecomeShapesAndLabelledPoints) {
  ASSERT_EQ(air->m_files.GetSize(), 1);
  EXPECT_STREQ(air->GetString(+air->m_files[0].fileNameText), "AIRSPACE.txt");
  ASSERT_EQ(air->m_airspaceShapes.GetSize(), 3);
  EXPECT_EQ(+air->m_airspaceShapes[0].vertexEnd, 3);
  EXPECT_EQ(+air->m_airspaceShapes[1].vertexEnd, 4);
  EXPECT_EQ(+air->m_airspaceShapes[2].vertexEnd, 5);
  EXPECT_GE(+air->m_airspaceVertices[3].extraOffset, 0) << "circle of the FIR";
  EXPECT_EQ(+air->GetVertexExtra(air->m_airspaceVertices[3])->radiusNm, 120.0f);

  ASSERT_EQ(air->m_airspaces.GetSize(), 2) << "the TMA is drawn but not labelled";
  std::map<std::string, const NavPoint*> points;
  for (const NavPoint& p : air->m_airspaces) {
    points[std::string(air->GetAirspace(p)->Ident())] = &p;
  }
  ASSERT_EQ(points.count("EDDF"), 1u);
  ASSERT_EQ(points.count("EDGG"), 1u);
  EXPECT_EQ(+points["EDDF"]->kind, 4096);
  EXPECT_EQ(+points["EDGG"]->kind, 8192);
  const AirspaceRecord* fir = air->GetAirspace(*points["EDGG"]);
  ASSERT_EQ(+fir->frequencyCount, 2);
  EXPECT_FLOAT_EQ(+air->GetAirspaceFrequencies(*points["EDGG"])[0].frequency, 128.32f);
  EXPECT_FLOAT_EQ(+air->GetAirspaceFrequencies(*points["EDGG"])[1].frequency, 3.5f);
  EXPECT_STREQ(air->GetString(+fir->callSignText), "LANGEN RADAR");
  EXPECT_TRUE(air->Validate()) << air->GetLastError();
}

TEST_F(NavTextFiles, AirportListOfIcaoTxt) {
  CAirportList list;
  ASSERT_TRUE(list.Read(Entry(folder, "ICAO.txt", kIcao).fullPath));
  ASSERT_EQ(list.GetSize(), 2);
  EXPECT_STREQ(list[0].ident, "EDDF");
  EXPECT_STREQ(list[0].name, "Frankfurt Main");
  EXPECT_STREQ(list[1].ident, "EDDH");
  EXPECT_STREQ(list[1].name, "");
}

TEST(NavTextEntry, OtherNamesAreLeftToTheSceneryLoader) {
  auto db = MakeAreaDatabase();
  CTrackSegmentList tracks;
  FileEntry entry;
  entry.name = "AP_EUROPE.bgl";
  EXPECT_EQ(ReadNavTextEntry(entry, *db, tracks, nullptr), std::nullopt);
  EXPECT_EQ(db->m_files.GetSize(), 0);
}

TEST(NavTextEntry, SignalledAbortEventStopsTheReader) {
  CNavTextFolder folder;
  auto db = MakeAreaDatabase();
  CTrackSegmentList tracks;
  win::AutoResetEvent abort;
  abort.Set();
  EXPECT_EQ(ReadNavTextEntry(Entry(folder, "isec.txt", kIsec), *db, tracks, &abort), false);
  EXPECT_FALSE(abort.Wait(0)) << "the poll consumed the event";
}

}  // namespace
