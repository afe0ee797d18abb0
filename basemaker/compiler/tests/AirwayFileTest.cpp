#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "basemaker/compiler/AirwayFileReader.h"
#include "basemaker/compiler/IntersectionFileReader.h"
#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"
#include "basemaker/compiler/TrackSegmentList.h"
#include "basemaker/compiler/tests/support/NavTextFixtures.h"
#include "navdb/SceneryDatabase.h"

namespace {

struct Side {
  std::string ident;
  double lat = 0;
  double lon = 0;
  int value = 0;
  const char* flag = "N";
};

std::string Line(const std::string& ident, double lat, double lon, const std::string& airway,
                 const char* level, const Side& prev, const Side& next, int type = 2) {
  auto num = [](double v) { return std::to_string(v); };
  return ident + "\t" + num(lat) + "\t" + num(lon) + "\t" + std::to_string(type) + "\t" + airway +
         "\t" + level + "\t" + prev.ident + "\t" + num(prev.lat) + "\t" + num(prev.lon) + "\t" +
         std::to_string(prev.value) + "\t" + prev.flag + "\t" + next.ident + "\t" + num(next.lat) +
         "\t" + num(next.lon) + "\t" + std::to_string(next.value) + "\t" + next.flag + "\r\n";
}

TrackSegment Track(float lat1, float lon1, float lat2, float lon2) {
  TrackSegment s;
  s.lat1 = lat1;
  s.lon1 = lon1;
  s.lat2 = lat2;
  s.lon2 = lon2;
  return s;
}

uint16_t U16(const AirwaySegment& e, int offset) {
  uint16_t v;
  std::memcpy(&v, reinterpret_cast<const uint8_t*>(&e) + offset, sizeof v);
  return v;
}
int32_t I32(const AirwaySegment& e, int offset) {
  int32_t v;
  std::memcpy(&v, reinterpret_cast<const uint8_t*>(&e) + offset, sizeof v);
  return v;
}
std::string HalfIdent(const AirwaySegment& e, int half) {
  return std::string(reinterpret_cast<const char*>(&e) + 10 + 10 * half);
}
uint8_t Byte(const AirwaySegment& e, int offset) {
  return reinterpret_cast<const uint8_t*>(&e)[offset];
}

struct Result {
  std::unique_ptr<CSceneryDatabase> db = MakeAreaDatabase();
  CTrackSegmentList tracks;
  bool ok = false;

  // Points in the array in order, with their payloads.
  std::vector<int> Find(const std::string& ident) const {
    std::vector<int> found;
    for (int i = 0; i < db->m_intersections.GetSize(); ++i) {
      const IntersectionRecord* r = db->GetIntersection(db->m_intersections[i]);
      if (r != nullptr && r->Ident() == ident) found.push_back(i);
    }
    return found;
  }
  const IntersectionRecord& Header(int i) const { return *db->GetIntersection(db->m_intersections[i]); }
  const AirwaySegment& Entry(int i, int slot) const {
    return db->GetIntersectionSegments(db->m_intersections[i])[slot];
  }
};

void ReadText(Result& r, const std::string& text, CountingSignals* counting = nullptr) {
  CTextLineReader lines;
  lines.OpenMemory(text);
  NavTextFile file;
  file.name = "AIRWAY.txt";
  CountingSignals none;
  r.ok = ReadAirwayLines(lines, file, *r.db, r.tracks, (counting ? counting : &none)->Signals());
}

TEST(AirwayFile, LinesOfOneWaypointBecomeOnePointWithAnEntryPerAirway) {
  Result r;
  ReadText(r, Line("ALPHA", 50, 8, "UL610", "H", {"PREV", 49, 7, 1500, "Y"}, {"NEXT", 51, 9, 2500, "N"}) +
                  Line("ALPHA", 50, 8, "A1", "L", {}, {"OTHER", 50, 10, 0, "Y"}) +
                  Line("BRAVO", 40, 8, "A1", "L", {"ALPHA", 50, 8, 0, "N"}, {}) +
                  Line("ALPHA", 50, 8, "B2", "L", {}, {"ZULU", 51, 8, 0, "N"}));
  ASSERT_TRUE(r.ok);
  const std::vector<int> alpha = r.Find("ALPHA");
  ASSERT_EQ(alpha.size(), 2u) << "the same waypoint after another one starts a second point";
  const std::vector<int> bravo = r.Find("BRAVO");
  ASSERT_EQ(bravo.size(), 1u);

  // The first point (points of one tile keep their file order): two entries, kind 4 | high | low.
  const int first = alpha[0];
  const int second = alpha[1];
  ASSERT_EQ(+r.Header(first).segmentCount, 2);
  EXPECT_EQ(+r.db->m_intersections[first].kind, 7);
  EXPECT_EQ(+r.Header(first).type, 0x22);
  EXPECT_EQ(+r.Header(first).navaid, -1);
  EXPECT_EQ(+r.Header(first).cellCode, CellCode(50, 8));

  const AirwaySegment& ul610 = r.Entry(first, 0);
  EXPECT_STREQ(ul610.name, "UL610");
  EXPECT_EQ(Byte(ul610, 7), ('U' + 'L' + '6' + '1' + '0') % 4);
  EXPECT_EQ(U16(ul610, 8), CellCode(49, 7));
  EXPECT_EQ(HalfIdent(ul610, 0), "PREV");
  EXPECT_EQ(U16(ul610, 16), 1 | (2 << 1) | (15 << 3));
  EXPECT_EQ(U16(ul610, 18), CellCode(51, 9));
  EXPECT_EQ(HalfIdent(ul610, 1), "NEXT");
  EXPECT_EQ(U16(ul610, 26), 0 | (2 << 1) | (25 << 3));

  // A half the file leaves empty keeps the resolved form of "no neighbour".
  const AirwaySegment& a1 = r.Entry(first, 1);
  EXPECT_STREQ(a1.name, "A1");
  EXPECT_EQ(U16(a1, 8), 0);
  EXPECT_EQ(Byte(a1, 10), 0);
  EXPECT_EQ(Byte(a1, 11), 255);
  EXPECT_EQ(I32(a1, 12), -1);
  EXPECT_EQ(U16(a1, 16), 0);
  EXPECT_EQ(HalfIdent(a1, 1), "OTHER");
  EXPECT_EQ(U16(a1, 26), 1 | (1 << 1));

  EXPECT_EQ(+r.Header(second).segmentCount, 1);
  EXPECT_EQ(+r.db->m_intersections[second].kind, 5);
  EXPECT_EQ(r.db->m_intersections[bravo[0]].kind, 5);
}

TEST(AirwayFile, SameAirwayFillsTheFreeHalfOfItsEntry) {
  Result r;
  ReadText(r, Line("ALPHA", 50, 8, "UL610", "H", {"PREV", 49, 7, 0, "N"}, {}) +
                  Line("ALPHA", 50, 8, "ul610", "H", {}, {"NEXT", 51, 9, 0, "N"}) +
                  // Both halves are taken now: the same airway again needs a new entry.
                  Line("ALPHA", 50, 8, "UL610", "H", {}, {"THIRD", 52, 9, 0, "N"}));
  ASSERT_TRUE(r.ok);
  const std::vector<int> alpha = r.Find("ALPHA");
  ASSERT_EQ(alpha.size(), 1u);
  ASSERT_EQ(+r.Header(alpha[0]).segmentCount, 2);
  EXPECT_EQ(HalfIdent(r.Entry(alpha[0], 0), 0), "PREV");
  EXPECT_EQ(HalfIdent(r.Entry(alpha[0], 0), 1), "NEXT");
  EXPECT_EQ(HalfIdent(r.Entry(alpha[0], 1), 1), "THIRD");
  EXPECT_TRUE(SegmentHalfEmpty(r.Entry(alpha[0], 1), 0));
}

TEST(AirwayFile, LevelLetterGivesTheKind) {
  const struct {
    const char* level;
    uint16_t kind;
  } cases[] = {{"B", 7}, {"L", 5}, {"H", 6}, {"X", 4}, {"Both", 7}, {"", 4}};
  for (const auto& c : cases) {
    Result r;
    ReadText(r, Line("WPT", 10, 10, "J1", c.level, {"A", 9, 9, 0, "N"}, {}));
    ASSERT_EQ(r.db->m_intersections.GetSize(), 1) << c.level;
    EXPECT_EQ(+r.db->m_intersections[0].kind, +c.kind) << "level " << c.level;
  }
}

TEST(AirwayFile, LinkValueIsClampedToItsThirteenBits) {
  EXPECT_EQ(SegmentHalfBits(false, 0, 819100), 8191 << 3);
  EXPECT_EQ(SegmentHalfBits(false, 0, 1000000000), 8191 << 3);
  EXPECT_EQ(SegmentHalfBits(true, 3, -500), 7);
  EXPECT_EQ(SegmentHalfBits(true, 1, 199), 3 | (1 << 3));
}

TEST(AirwayFile, LinesWithAMissingFieldOrAWaypointOffTheGlobeAreSkipped) {
  Result r;
  std::string incomplete = Line("SHORT", 1, 1, "A1", "L", {"P", 0, 0, 0, "N"}, {});
  incomplete.resize(incomplete.rfind('\t'));  // drop field 16
  std::string comment = Line("COMM", 1, 1, "A1", "L", {"P", 0, 0, 0, "N"}, {});
  comment.replace(comment.find("A1"), 2, ";x");
  ReadText(r, incomplete + "\n" + comment + Line("FAR", 95, 1, "A1", "L", {"P", 0, 0, 0, "N"}, {}) +
                  Line("GOOD", 1, 1, "A1", "L", {"P", 0, 0, 0, "N"}, {}));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.db->m_intersections.GetSize(), 1);
  EXPECT_EQ(r.Find("GOOD").size(), 1u);
}

TEST(AirwayFile, EntryCountStopsAtWhatItsByteHolds) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    text += Line("HUB", 20, 20, "W" + std::to_string(i), "L", {"P" + std::to_string(i), 19, 19, 0, "N"}, {});
  }
  Result r;
  r.tracks.Add(Track(20, 20, 20, 20));  // a track link would be entry 256
  ReadText(r, text);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.db->m_intersections.GetSize(), 1);
  EXPECT_EQ(r.tracks[0].link1, 0);
  const IntersectionRecord& h = r.Header(0);
  EXPECT_EQ(+h.segmentCount, 255);
  EXPECT_STREQ(r.Entry(0, 254).name, "W254");
  // The payload is exactly as long as its count says: the pool ends with it.
  EXPECT_EQ(r.db->m_intersections[0].PayloadOffset() + static_cast<int>(h.PayloadSize()),
            r.db->GetPoolLength());
}

// Two airway waypoints about 10 km apart near (50, 8) and a third far away.
std::string NetworkText() {
  return Line("WEST", 50.0, 8.0, "A1", "L", {}, {"EAST", 50.0, 8.14, 0, "N"}) +
         Line("EAST", 50.0, 8.14, "A1", "L", {"WEST", 50.0, 8.0, 0, "N"}, {}) +
         Line("LONE", 60.0, 20.0, "B1", "H", {"X", 61, 21, 0, "N"}, {});
}

TEST(AirwayFile, TrackEndsNearWaypointsGetLinksBothWays) {
  Result r;
  r.tracks.Add(Track(50.1f, 8.0f, 59.8f, 20.0f));     // 11 km from WEST, 22 km from LONE
  r.tracks.Add(Track(50.63f, 8.0f, 60.63f, 20.0f));  // 70 km north of WEST and of LONE
  ReadText(r, NetworkText());
  ASSERT_TRUE(r.ok);

  const int west = r.Find("WEST").at(0);
  const int lone = r.Find("LONE").at(0);
  EXPECT_EQ(r.tracks[0].link1, west);
  EXPECT_EQ(r.tracks[0].link2, lone);
  EXPECT_EQ(r.tracks[1].link1, -1);
  EXPECT_EQ(r.tracks[1].link2, -1);

  ASSERT_EQ(+r.Header(west).segmentCount, 2);
  const AirwaySegment& link = r.Entry(west, 1);
  EXPECT_STREQ(link.name, "");
  EXPECT_EQ(Byte(link, 7), 0);
  EXPECT_EQ(U16(link, 8), CellCode(60, 20));
  EXPECT_EQ(HalfIdent(link, 0), "LONE");
  EXPECT_EQ(U16(link, 16), 7);
  EXPECT_EQ(Byte(link, 21), 255);
  EXPECT_EQ(I32(link, 22), -1);
  EXPECT_EQ(U16(link, 26), 0);

  ASSERT_EQ(+r.Header(lone).segmentCount, 2);
  const AirwaySegment& back = r.Entry(lone, 1);
  EXPECT_TRUE(SegmentHalfEmpty(back, 0));
  EXPECT_EQ(U16(back, 18), CellCode(50, 8));
  EXPECT_EQ(HalfIdent(back, 1), "WEST");
  EXPECT_EQ(U16(back, 26), 7);

  EXPECT_EQ(r.Header(r.Find("EAST").at(0)).segmentCount, 1);
}

TEST(AirwayFile, TrackSeventyKilometresAwayGetsNoLink) {
  Result r;
  r.tracks.Add(Track(50.63f, 8.0f, 50.63f, 8.14f));
  ReadText(r, NetworkText());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.tracks[0].link1, -1);
  EXPECT_EQ(r.tracks[0].link2, -1);
  for (const char* ident : {"WEST", "EAST"}) {
    EXPECT_EQ(r.Header(r.Find(ident).at(0)).segmentCount, 1) << ident;
  }
}

TEST(AirwayFile, TrackEndHalfWayBetweenTwoWaypointsTakesTheEarlierOne) {
  Result r;
  r.tracks.Add(Track(40.0f, 8.0f, 40.0f, 8.0f));
  ReadText(r, Line("EAST", 40, 8.25, "A1", "L", {}, {"WEST", 40, 7.75, 0, "N"}) +
                  Line("WEST", 40, 7.75, "A1", "L", {"EAST", 40, 8.25, 0, "N"}, {}));
  ASSERT_TRUE(r.ok);
  const int east = r.Find("EAST").at(0);
  ASSERT_LT(east, r.Find("WEST").at(0));
  EXPECT_EQ(r.tracks[0].link1, east);
  EXPECT_EQ(r.tracks[0].link2, east);
}

TEST(AirwayFile, RebuildKeepsTheEarlierFilesAndTheirIntersections) {
  CNavTextFolder folder;
  auto db = MakeAreaDatabase("C:\\Program\\");
  ASSERT_TRUE(ReadIntersectionFile(folder.Write("ISEC.txt", "ISEC1\t45\t5\nISEC2\t-10\t100\n"), *db, {}));
  CTrackSegmentList tracks;
  NavTextFile track = folder.Write("TRACK.txt", "50.1\t8\t49.9\t8.14\n");
  ASSERT_TRUE(tracks.Read(track.fullPath));
  AppendTextFileRecord(*db, track);
  const int isecSize = db->m_intersections.GetSize();

  CountingSignals counting;
  ASSERT_TRUE(ReadAirwayFile(folder.Write("AIRWAY.txt", NetworkText()), *db, tracks,
                             counting.Signals()));
  EXPECT_GE(counting.heartbeats, 2);
  ASSERT_EQ(db->m_areas.GetSize(), 1);
  EXPECT_STREQ(db->GetString(+db->m_areas[0].pathText), "C:\\Program\\");
  ASSERT_EQ(db->m_files.GetSize(), 3);
  EXPECT_EQ(+db->m_areas[0].fileEnd, 3);
  EXPECT_STREQ(db->GetString(+db->m_files[0].fileNameText), "ISEC.txt");
  EXPECT_STREQ(db->GetString(+db->m_files[2].fileNameText), "AIRWAY.txt");
  EXPECT_EQ(db->m_intersections.GetSize(), isecSize + 3);
  // The text files' intersections come first and keep their payloads.
  const IntersectionRecord* first = db->GetIntersection(db->m_intersections[0]);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Ident().substr(0, 4), "ISEC");
  EXPECT_EQ(db->TileRange(2).first, db->TileRange(0).end);
  EXPECT_TRUE(db->Validate()) << db->GetLastError();

  // The track's ends were matched to the airway waypoints by their indexes in the result.
  ASSERT_GE(tracks[0].link1, 0);
  EXPECT_EQ(db->GetIntersection(db->m_intersections[tracks[0].link1])->Ident(), "WEST");
  EXPECT_EQ(db->GetIntersection(db->m_intersections[tracks[0].link2])->Ident(), "EAST");
}

TEST(AirwayFile, MissingFileLeavesTheAreaAlone) {
  CNavTextFolder folder;
  auto db = MakeAreaDatabase();
  ASSERT_TRUE(ReadIntersectionFile(folder.Write("ISEC.txt", "A\t1\t1\n"), *db, {}));
  CTrackSegmentList tracks;
  EXPECT_TRUE(ReadAirwayFile(folder.Missing("AIRWAY.txt"), *db, tracks, {}));
  EXPECT_EQ(db->m_files.GetSize(), 1);
  EXPECT_EQ(db->m_intersections.GetSize(), 1);
}

TEST(AirwayFile, AbortWhileReadingGivesFalse) {
  Result r;
  CountingSignals counting;
  counting.abortAt = 0;
  ReadText(r, NetworkText(), &counting);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(counting.polls, 1);
}

}  // namespace
