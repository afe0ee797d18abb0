#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "basemaker/compiler/AirspaceFileReader.h"
#include "basemaker/compiler/TextLineReader.h"
#include "basemaker/compiler/tests/support/NavTextFixtures.h"
#include "navdb/SceneryDatabase.h"

namespace {

struct Edge {
  int sequence;
  double startLat, startLon, endLat, endLon;
  const char* edge = "G";
  double arcLat = 0, arcLon = 0, radius = 0;
};

struct Space {
  std::string type = "8";
  std::string ident = "EDGG";
  std::string name = "LANGEN";
  std::string levelA = "L";
  std::string levelB = "H";
  std::string cls = "";
  std::string callSign = "LANGEN RADAR";
  std::string f1 = "128.325";
  std::string f2 = "0";
};

std::string Line(const Space& s, const Edge& e) {
  auto num = [](double v) { return std::to_string(v); };
  return s.type + "\t" + s.ident + "\t" + s.name + "\t" + s.levelA + "\t" + s.levelB + "\t" + s.cls +
         "\t" + std::to_string(e.sequence) + "\t" + num(e.startLat) + "\t" + num(e.startLon) + "\t" +
         num(e.endLat) + "\t" + num(e.endLon) + "\t" + e.edge + "\t" + s.callSign + "\t" + s.f1 +
         "\t" + s.f2 + "\t-\t" + num(e.arcLat) + "\t" + num(e.arcLon) + "\t" + num(e.radius) +
         "\t-\r\n";
}

// A closed triangle with sequence numbers 1, 2, 3.
std::string Triangle(const Space& s, double lat = 50, double lon = 8) {
  return Line(s, {1, lat, lon, lat + 1, lon}) + Line(s, {2, lat + 1, lon, lat + 1, lon + 1}) +
         Line(s, {3, lat + 1, lon + 1, lat, lon});
}

struct Result {
  std::unique_ptr<CSceneryDatabase> db = MakeAreaDatabase();
  bool ok = false;
};

Result Read(const std::string& text, CountingSignals* counting = nullptr) {
  Result r;
  CTextLineReader lines;
  lines.OpenMemory(text);
  NavTextFile file;
  file.name = "AIRSPACE.txt";
  CountingSignals none;
  r.ok = ReadAirspaceLines(lines, file, *r.db, (counting ? counting : &none)->Signals());
  return r;
}

TEST(AirspaceFile, ConsecutiveClosedEdgesFormOneShapeAndALabelledPoint) {
  Space s;
  s.cls = "C";
  const Result r = Read(Triangle(s));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.db->m_files.GetSize(), 1);
  ASSERT_EQ(r.db->m_airspaceShapes.GetSize(), 1);
  EXPECT_EQ(+r.db->m_files[0].airspaceShapeEnd, 1);
  const AirspaceShape& shape = r.db->m_airspaceShapes[0];
  EXPECT_EQ(+shape.flags, 8 | (1 << 4) | (2 << 6) | (3 << 8));
  EXPECT_EQ(+shape.vertexEnd, 3);
  ASSERT_EQ(r.db->m_airspaceVertices.GetSize(), 3);
  EXPECT_EQ(+r.db->m_airspaceVertices[1].latitude, 51.0f);
  EXPECT_EQ(+r.db->m_airspaceVertices[1].longitude, 8.0f);
  EXPECT_EQ(+r.db->m_airspaceVertices[1].edge, 3);
  EXPECT_EQ(+r.db->m_airspaceVertices[1].extraOffset, -1);

  ASSERT_EQ(r.db->m_airspaces.GetSize(), 1);
  const NavPoint& p = r.db->m_airspaces[0];
  EXPECT_EQ(+p.kind, 8192);
  EXPECT_TRUE(p.IsKept());
  double lat = 0, lon = 0;
  r.db->m_airspaceShapes.GetLabelPosition(lat, lon, 0);
  EXPECT_EQ(+p.latitude, static_cast<float>(lat));
  EXPECT_EQ(+p.longitude, static_cast<float>(lon));
  const AirspaceRecord* a = r.db->GetAirspace(p);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(+a->classWord, 128 | (1 << 14));
  EXPECT_STREQ(r.db->GetString(+a->nameText), "LANGEN");
  EXPECT_STREQ(r.db->GetString(+a->callSignText), "LANGEN RADAR");
  EXPECT_EQ(a->Ident(), "EDGG");
  ASSERT_EQ(+a->frequencyCount, 1);
  const FrequencyEntry* f = r.db->GetAirspaceFrequencies(p);
  EXPECT_EQ(+f[0].type, 0x8000);
  EXPECT_FLOAT_EQ(+f[0].frequency, 128.32f);
  EXPECT_TRUE(r.db->Validate()) << r.db->GetLastError();
}

TEST(AirspaceFile, NewAirspaceStartsOnEachChangeOfIdentNameOrSequence) {
  Space s;
  s.type = "5";
  Space other = s;
  other.name = "OTHER";
  Space longIdent = s;
  longIdent.ident = "ABCDE";  // kept as ABCD, so every one of its lines starts anew
  const std::string text = Triangle(s) + Triangle(s) /* sequence restarts */ + Triangle(other) +
                           Line(longIdent, {1, 0, 0, 0, 0, "C", 0, 0, 5}) +
                           Line(longIdent, {2, 0, 0, 0, 0, "C", 0, 0, 5});
  const Result r = Read(text);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.db->m_airspaceShapes.GetSize(), 5);
  EXPECT_EQ(+r.db->m_airspaceShapes[2].vertexEnd, 9);
  EXPECT_EQ(+r.db->m_airspaceShapes[4].vertexEnd, 11);
  EXPECT_EQ(r.db->m_airspaces.GetSize(), 0) << "type 5 stores only shapes";
}

TEST(AirspaceFile, OutlinesThatDoNotCloseOrDoNotAgreeAreDropped) {
  Space s;
  s.type = "3";
  Space badClass = s;
  badClass.cls = "D";
  const struct {
    const char* name;
    std::string text;
    int shapes;
  } cases[] = {
      {"open outline", Line(s, {1, 10, 10, 11, 10}) + Line(s, {2, 11, 10, 11, 11}), 0},
      // Each piece has one vertex, and a single vertex is taken as a whole outline.
      {"gap between edges splits the airspace",
       Line(s, {1, 10, 10, 11, 10}) + Line(s, {2, 11.5, 10, 10, 10}), 2},
      {"class letter changes inside", Line(s, {1, 10, 10, 11, 10}) + Line(badClass, {2, 11, 10, 10, 10}), 0},
      {"unknown edge letter", Line(s, {1, 10, 10, 11, 10, "X"}) + Line(s, {2, 11, 10, 10, 10}), 0},
      {"type 13", [] { Space t; t.type = "13"; return Triangle(t); }(), 0},
      {"type 0", [] { Space t; t.type = "16"; return Triangle(t); }(), 0},
      {"level letter", [] { Space t; t.levelB = "X"; return Triangle(t); }(), 0},
      {"class letter", [] { Space t; t.cls = "H"; return Triangle(t); }(), 0},
      {"a bad airspace does not spoil the next", Line(s, {1, 10, 10, 11, 10, "X"}) + Triangle(s), 1},
      {"single circle line needs no closing", Line(s, {1, 10, 10, 12, 12, "C", 10, 10, 5}), 1},
      {"a line whose position is no number is skipped",
       Line(s, {1, NAN, 10, 12, 12, "C", 10, 10, 5}) + Line(s, {1, 10, 10, 12, 12, "C", 10, 10, INFINITY}), 0},
  };
  for (const auto& c : cases) {
    const Result r = Read(c.text);
    EXPECT_TRUE(r.ok) << c.name;
    EXPECT_EQ(r.db->m_airspaceShapes.GetSize(), c.shapes) << c.name;
    EXPECT_EQ(r.db->m_airspaces.GetSize(), c.shapes) << c.name;
  }
}

TEST(AirspaceFile, ArcEdgesCarryTheirCircleRecords) {
  Space s;
  s.type = "5";
  const std::string text = Line(s, {1, 10, 10, 10, 11, "A", 10.5, 10.5, 3}) +
                           Line(s, {2, 10, 11, 11, 11, "B", 1, 1, 1}) +
                           Line(s, {3, 11, 11, 11, 10, "L", 11.5, 10.5, 4}) +
                           Line(s, {4, 11, 10, 10, 10.5, "R", 12, 12, 5}) +
                           Line(s, {5, 10, 10.5, 10, 10, "H", 1, 1, 1});
  const Result r = Read(text);
  ASSERT_EQ(r.db->m_airspaceVertices.GetSize(), 5);
  const int edges[] = {0, 1, 5, 6, 4};
  const bool arcs[] = {true, false, true, true, false};
  for (int i = 0; i < 5; ++i) {
    const AirspaceVertex& v = r.db->m_airspaceVertices[i];
    EXPECT_EQ(v.EdgeType(), edges[i]) << i;
    EXPECT_EQ(+v.extraOffset >= 0, arcs[i]) << i;
  }
  const VertexExtra* extra = r.db->GetVertexExtra(r.db->m_airspaceVertices[2]);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(+extra->centreLatitude, 11.5f);
  EXPECT_EQ(+extra->centreLongitude, 10.5f);
  EXPECT_EQ(+extra->radiusNm, 4.0f);
}

TEST(AirspaceFile, SouthPoleLatitudesAreRaised) {
  Space s;
  const Result r = Read(Line(s, {1, -90, 0, -90, 90}) + Line(s, {2, -90, 90, -89, 0}) +
                        Line(s, {3, -89, 0, -95, 0}));
  ASSERT_EQ(r.db->m_airspaceShapes.GetSize(), 1);
  EXPECT_EQ(+r.db->m_airspaceVertices[0].latitude, static_cast<float>(-89.9999));
  EXPECT_EQ(+r.db->m_airspaceVertices[1].latitude, static_cast<float>(-89.9999));
}

TEST(AirspaceFile, FrequencyTexts) {
  const struct {
    const char* text;
    float mhz;
  } cases[] = {{"128.325", 128.32f}, {"118.1", 118.1f}, {"3500 K", 3.5f}, {"3500k", 3.5f},
               {"121.5 MHz", 121.5f}, {"", 0.0f},       {"abc", 0.0f}};
  for (const auto& c : cases) {
    EXPECT_FLOAT_EQ(ParseAirspaceFrequency(c.text), c.mhz) << c.text;
  }
}

TEST(AirspaceFile, PointKindFollowsLevelBAndFrequenciesOnlyWhenSet) {
  const struct {
    const char* type;
    const char* levelA;
    const char* levelB;
    const char* f1;
    const char* f2;
    uint16_t kind;
    uint16_t classWord;
    int frequencies;
  } cases[] = {
      {"3", "B", "B", "0", "0", 16384, 4 | (3 << 14), 0},
      {"3", "H", "L", "0", "119.9", 4096, 4 | (2 << 14), 1},
      {"8", "L", "H", "124.1", "3500 K", 8192, 128 | (1 << 14), 2},
  };
  for (const auto& c : cases) {
    Space s;
    s.type = c.type;
    s.levelA = c.levelA;
    s.levelB = c.levelB;
    s.f1 = c.f1;
    s.f2 = c.f2;
    const Result r = Read(Triangle(s));
    ASSERT_EQ(r.db->m_airspaces.GetSize(), 1) << c.type << c.levelB;
    const NavPoint& p = r.db->m_airspaces[0];
    EXPECT_EQ(+p.kind, +c.kind);
    const AirspaceRecord* a = r.db->GetAirspace(p);
    EXPECT_EQ(+a->classWord, +c.classWord);
    EXPECT_EQ(+a->frequencyCount, c.frequencies);
    if (c.frequencies == 1) {
      EXPECT_FLOAT_EQ(+r.db->GetAirspaceFrequencies(p)[0].frequency, 119.9f);
    }
  }
}

TEST(AirspaceFile, MissingFileAddsNothingAndAbortStops) {
  CNavTextFolder folder;
  auto db = MakeAreaDatabase();
  EXPECT_TRUE(ReadAirspaceFile(folder.Missing("AIRSPACE.txt"), *db, {}));
  EXPECT_EQ(db->m_files.GetSize(), 0);

  std::string text;
  Space s;
  for (int i = 0; i < 120; ++i) text += Triangle(s, i % 80, 0);
  CountingSignals counting;
  counting.abortAt = 1;
  const Result r = Read(text, &counting);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(counting.polls, 2);
}

TEST(AirspaceFile, ReadsTheFileFromDisk) {
  CNavTextFolder folder;
  auto db = MakeAreaDatabase();
  Space s;
  ASSERT_TRUE(ReadAirspaceFile(folder.Write("AIRSPACE.txt", Triangle(s)), *db, {}));
  EXPECT_STREQ(db->GetString(+db->m_files[0].fileNameText), "AIRSPACE.txt");
  EXPECT_EQ(db->m_airspaceShapes.GetSize(), 1);
}

}  // namespace
