#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "cw/SourceDir.h"
#include "tools/world-map/WorldMapWriter.h"

namespace {

using gdi::Op;
using gdi::RecordedCall;
using worldmap::LonLat;
using worldmap::Line;

constexpr int kCx = 8000;
constexpr int kCy = 6000;

// The fixture: a shore of two arcs near Lucerne, a lake and a river beside it, and an islet's
// shore near Fiji given as a reversed arc that runs across the date line.
const std::filesystem::path kFixture = std::filesystem::path(CW_SOURCE_DIR) / "tools/world-map/tests/lake-and-fiji.topojson";
const Line kShore = {{7.5, 46.8}, {8.0, 47.0}, {8.4, 46.9}, {8.5, 46.6}};
const Line kFijiEast = {{179.7, -16.5}, {179.9, -16.6}};
const Line kFijiWest = {{-179.9, -16.8}, {-179.8, -17.0}};
const Line kLake = {{8.6, 47.3}, {8.8, 47.2}, {8.7, 47.1}, {8.6, 47.3}};
const Line kRiver = {{8.2, 47.2}, {7.9, 47.2}, {7.8, 47.4}};

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class WorldMapWriterTest : public ::testing::Test {
 protected:
  WorldMapWriterTest() {
    plan.ClearWorldMap();
    r.MapRoundWorld = 0;
    r.ColorScheme = kSchemeWhite;
    r.MapMountains = 1;
  }

  // Draws one layer of the loaded map at zoom 64 (every step a point) around the position; the
  // view stays there for the checks that follow.
  template <class Draw>
  std::vector<RecordedCall> DrawAt(double lat, double lon, Draw draw) {
    r.PushZoom(64, lat, lon);
    gdi::RecordingDc dc;
    MapDrawContext ctx{dc, kCx, kCy, {}, &plan, nullptr, nullptr};
    r.GetViewExtents(kCx, kCy, ctx.view);
    draw(ctx);
    return dc.Calls();
  }

  gdi::Point Pixel(LonLat p) {
    int x = 0, y = 0;
    EXPECT_TRUE(r.LatLonToPixel(x, y, p.lat, p.lon, kCx, kCy, 2));
    return {x, y};
  }

  // The polyline that starts at the line's first point and ends at its last, passing near each
  // of its vertices: near meaning within a step unit and a half of where the data put it.
  void ExpectTraced(const std::vector<RecordedCall>& calls, const Line& line) {
    const gdi::Point a = Pixel(line.front());
    const gdi::Point b = Pixel({line.front().lon, line.front().lat + 0.015});
    const double tolerance = std::hypot(a.x - b.x, a.y - b.y);
    auto near = [&](gdi::Point p, gdi::Point q) { return std::hypot(p.x - q.x, p.y - q.y) <= tolerance; };
    const RecordedCall* traced = nullptr;
    for (const RecordedCall& c : calls) {
      if (c.op == Op::Polyline && near(c.points.front(), Pixel(line.front())) && near(c.points.back(), Pixel(line.back()))) {
        traced = &c;
      }
    }
    ASSERT_NE(traced, nullptr) << "no polyline from " << line.front().lon << "/" << line.front().lat;
    for (const LonLat& vertex : line) {
      const gdi::Point want = Pixel(vertex);
      bool found = false;
      for (const gdi::Point& p : traced->points) found |= near(p, want);
      EXPECT_TRUE(found) << "nothing drawn near " << vertex.lon << "/" << vertex.lat;
    }
  }

  plantest::ScopedPlanFolder folder{"world-map-writer"};
  CFlightPlanCore plan;
  CMapRenderer r;
};

int CountOps(const std::vector<RecordedCall>& calls, Op op) {
  int n = 0;
  for (const RecordedCall& c : calls) n += c.op == op;
  return n;
}

TEST_F(WorldMapWriterTest, TopologyArcsAreDecodedJoinedAndReversed) {
  const std::string text = ReadText(kFixture);
  std::vector<Line> coast, lakes, rivers;
  std::string error;
  ASSERT_TRUE(worldmap::ReadTopoJsonLines(text, "coastlines", coast, error)) << error;
  ASSERT_TRUE(worldmap::ReadTopoJsonLines(text, "lakes", lakes, error)) << error;
  ASSERT_TRUE(worldmap::ReadTopoJsonLines(text, "rivers", rivers, error)) << error;
  Line fiji = kFijiEast;
  fiji.insert(fiji.end(), kFijiWest.begin(), kFijiWest.end());
  const std::vector<Line> wantCoast = {kShore, fiji};
  const std::vector<Line> wantLakes = {kLake};
  const std::vector<Line> wantRivers = {kRiver};
  for (const auto& [got, want] :
       {std::pair{&coast, &wantCoast}, std::pair{&lakes, &wantLakes}, std::pair{&rivers, &wantRivers}}) {
    ASSERT_EQ(got->size(), want->size());
    for (size_t i = 0; i < want->size(); ++i) {
      ASSERT_EQ((*got)[i].size(), (*want)[i].size()) << "line " << i;
      for (size_t k = 0; k < (*want)[i].size(); ++k) {
        EXPECT_NEAR((*got)[i][k].lon, (*want)[i][k].lon, 1e-9) << "line " << i << " point " << k;
        EXPECT_NEAR((*got)[i][k].lat, (*want)[i][k].lat, 1e-9) << "line " << i << " point " << k;
      }
    }
  }
}

TEST_F(WorldMapWriterTest, GeneratedMapLoadsAndDrawsWhereTheArcsWere) {
  const std::filesystem::path target = folder.Folder() / "world.map";
  std::string error;
  ASSERT_TRUE(worldmap::MakeWorldMap(kFixture, target, error)) << error;
  ASSERT_TRUE(plan.LoadWorldMap(target));
  // The Fiji shore is two shapes, one each side of the date line; the lake's shore is a coast.
  EXPECT_EQ(plan.m_coastShapes.size(), 4u);
  EXPECT_EQ(plan.m_riverShapes.size(), 1u);

  std::vector<RecordedCall> calls = DrawAt(46.8, 8.0, [&](MapDrawContext& c) { r.DrawContinents(c); });
  ASSERT_EQ(CountOps(calls, Op::Polyline), 2);  // the shore and the lake
  EXPECT_EQ(calls[0].pen, mappens::PenCoastDay);
  ExpectTraced(calls, kShore);
  calls = DrawAt(47.2, 8.7, [&](MapDrawContext& c) { r.DrawContinents(c); });
  ExpectTraced(calls, kLake);

  calls = DrawAt(47.3, 8.0, [&](MapDrawContext& c) { r.DrawRivers(c); });
  ASSERT_EQ(CountOps(calls, Op::Polyline), 1);
  EXPECT_EQ(calls[0].pen, mappens::PenRiverDay);
  ExpectTraced(calls, kRiver);

  // At the date line the shore is not drawn across the window.
  calls = DrawAt(-16.7, 180, [&](MapDrawContext& c) { r.DrawContinents(c); });
  ASSERT_EQ(CountOps(calls, Op::Polyline), 2);
  ExpectTraced(calls, kFijiEast);
  ExpectTraced(calls, kFijiWest);
}

TEST_F(WorldMapWriterTest, PeaksAreDrawnWithTheirElevationInFeet) {
  const std::filesystem::path target = folder.Folder() / "world.map";
  std::string error;
  ASSERT_TRUE(worldmap::MakeWorldMap(kFixture, target, error)) << error;
  ASSERT_TRUE(plan.LoadWorldMap(target));
  ASSERT_EQ(plan.m_peaks.size(), worldmap::WellKnownPeaks().size());
  int32_t begin = 0;
  for (const MountainGroup& group : plan.m_mountainGroups) {
    ASSERT_GT(group.endIndex, begin);
    for (int32_t i = begin; i < group.endIndex; ++i) {
      const MountainPeak& peak = plan.m_peaks[static_cast<size_t>(i)];
      EXPECT_TRUE(peak.latitude >= group.south && peak.latitude <= group.north && peak.longitude >= group.west &&
                  peak.longitude <= group.east);
    }
    begin = group.endIndex;
  }
  EXPECT_EQ(begin, static_cast<int32_t>(plan.m_peaks.size()));

  // Titlis, 3238 m: its symbol's apex above the summit and the label 10623 (feet).
  const LonLat titlis{8.4269, 46.7722};
  const std::vector<RecordedCall> calls = DrawAt(titlis.lat, titlis.lon, [&](MapDrawContext& c) { r.DrawMountains(c); });
  const gdi::Point summit = Pixel(titlis);
  bool symbol = false, label = false;
  for (const RecordedCall& c : calls) {
    symbol |= c.op == Op::Polyline && c.points.size() == 3 && std::abs(c.points[1].x - summit.x) <= 1 &&
              std::abs(c.points[1].y - (summit.y - 45)) <= 1;
    label |= c.op == Op::TextOut && c.text == "10623";
  }
  EXPECT_TRUE(symbol);
  EXPECT_TRUE(label);
}

TEST_F(WorldMapWriterTest, BadInputIsRefusedWithAReasonAndTheOldMapKept) {
  const std::string rivers =
      R"("lakes":{"type":"GeometryCollection","geometries":[]},"rivers":{"type":"GeometryCollection","geometries":[]})";
  auto topology = [&](const std::string& coast, const std::string& arcs) {
    return R"({"type":"Topology","objects":{"coastlines":)" + coast + "," + rivers + R"(},"arcs":)" + arcs + "}";
  };
  const std::string line = R"({"type":"LineString","arcs":[0]})";
  struct Case {
    const char* what;
    std::string text;
    const char* reason;
  } cases[] = {
      {"not JSON", "{\"type\":", "not JSON"},
      {"GeoJSON", R"({"type":"FeatureCollection","features":[]})", "not a TopoJSON topology"},
      {"no lakes", R"({"type":"Topology","objects":{"coastlines":)" + line + R"(},"arcs":[[[0,0],[1,1]]]})",
       "no object \"lakes\""},
      {"arc index past the arcs", topology(R"({"type":"LineString","arcs":[0,1]})", "[[[0,0],[1,1]]]"),
       "an arc index outside the arcs"},
      {"reversed index past the arcs", topology(R"({"type":"LineString","arcs":[-2]})", "[[[0,0],[1,1]]]"),
       "an arc index outside the arcs"},
      {"one number", topology(line, "[[[0,0],[1]]]"), "a position without two numbers"},
      {"off the globe", topology(line, "[[[0,0],[181,0]]]"), "a position off the globe"},
      {"quantized off the globe",
       R"({"type":"Topology","transform":{"scale":[1,1],"translate":[0,0]},"objects":{"coastlines":)" + line + "," +
           rivers + R"(},"arcs":[[[0,80],[0,20]]]})",
       "a position off the globe"},
      {"unknown geometry", topology(R"({"type":"Curve","arcs":[0]})", "[[[0,0],[1,1]]]"), "unknown geometry type"},
      {"arcs not nested", topology(R"({"type":"Polygon","arcs":[0]})", "[[[0,0],[1,1]]]"), "arcs that are not a list"},
  };
  const std::filesystem::path target = folder.Folder() / "world.map";
  WriteText(target, "the map before");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path input = folder.Folder() / "input.topojson";
    WriteText(input, c.text);
    std::string error;
    EXPECT_FALSE(worldmap::MakeWorldMap(input, target, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(ReadText(target), "the map before");
  }

  std::string error;
  EXPECT_FALSE(worldmap::MakeWorldMap(folder.Folder() / "missing.topojson", target, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
  EXPECT_FALSE(worldmap::MakeWorldMap(kFixture, folder.Folder() / "no-such-folder" / "world.map", error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(ReadText(target), "the map before");
}

}  // namespace
