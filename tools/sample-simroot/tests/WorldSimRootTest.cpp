// The synthetic world root at a small size, written twice and built: the same bytes each time,
// and one airway network that the route finder can use on either level, with its VORs and NDBs
// bound to their junctions.

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "basemaker/compiler/tests/support/ScratchDir.h"
#include "navdb/Payloads.h"
#include "navdb/SceneryDatabase.h"
#include "tools/sample-simroot/SampleSimRoot.h"
#include "tools/sample-simroot/SimRootBuild.h"

namespace {

namespace fs = std::filesystem;

sampleroot::WorldRootCounts SmallWorld() {
  sampleroot::WorldRootCounts c;
  c.airports = 200;
  c.beacons = 100;
  c.intersections = 500;
  c.airwaySegments = 2000;
  c.airspaces = 10;
  c.files = 8;
  c.areas = 2;
  c.classicBeacons = 20;
  c.classicFiles = 1;
  return c;
}

std::map<std::string, std::string> FilesUnder(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    files[fs::relative(e.path(), root).string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

TEST(WorldSimRoot, TheSameCountsGiveTheSameBytes) {
  testbgl::ScratchDir a, b;
  std::string error;
  ASSERT_TRUE(sampleroot::WriteWorldSimRoot(a.path(), SmallWorld(), error)) << error;
  ASSERT_TRUE(sampleroot::WriteWorldSimRoot(b.path(), SmallWorld(), error)) << error;
  const auto first = FilesUnder(a.path()), second = FilesUnder(b.path());
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(first == second);
}

// The built database's airway junctions and their segments, read by value.
struct Junctions {
  const CSceneryDatabase& db;
  std::vector<int> all;

  explicit Junctions(const CSceneryDatabase& database) : db(database) {
    for (int i = 0; i < db.m_intersections.GetSize(); ++i) {
      const IntersectionRecord* r = db.GetIntersection(db.m_intersections[i]);
      if (r && r->segmentCount > 0) all.push_back(i);
    }
  }
  IntersectionRecord Record(int i) const {
    IntersectionRecord r;
    std::memcpy(&r, db.GetIntersection(db.m_intersections[i]), sizeof r);
    return r;
  }
  std::vector<AirwaySegment> Segments(int i) const {
    std::vector<AirwaySegment> out(Record(i).segmentCount);
    std::memcpy(out.data(), db.GetIntersectionSegments(db.m_intersections[i]), out.size() * sizeof(AirwaySegment));
    return out;
  }
  // The junctions reached from `from` over halves flown that way on `level` (1 low, 2 high).
  std::vector<bool> Reached(int from, int level) const {
    std::vector<bool> seen(static_cast<size_t>(db.m_intersections.GetSize()), false);
    std::deque<int> queue{from};
    seen[static_cast<size_t>(from)] = true;
    while (!queue.empty()) {
      const int u = queue.front();
      queue.pop_front();
      for (const AirwaySegment& s : Segments(u)) {
        for (const SegmentHalf& h : s.half) {
          const int32_t v = h.neighbour;  // packed: read by value
          if (v < 0 || !(h.flags & 1) || !((h.flags >> 1) & level) || seen[static_cast<size_t>(v)]) continue;
          seen[static_cast<size_t>(v)] = true;
          queue.push_back(v);
        }
      }
    }
    return seen;
  }
};

TEST(WorldSimRoot, BuildsOneAirwayNetworkOnBothLevelsWithItsNavaidsBound) {
  testbgl::ScratchDir dir;
  std::string error;
  ASSERT_TRUE(sampleroot::WriteWorldSimRoot(dir.path(), SmallWorld(), error)) << error;
  ASSERT_EQ(IDS_BUILD_READY, sampleroot::BuildSimRoot(dir.path()));
  CSceneryDatabase db;
  const fs::path folder = sampleroot::DatabaseFolder(dir.path());
  ASSERT_TRUE(db.LoadDatabaseFiles((folder / "Scenery.000").string(), (folder / "Scenery.001").string()))
      << db.GetLastError();

  const Junctions net(db);
  ASSERT_GT(net.all.size(), 500u);
  int lowOnly = 0, high = 0, bothHalves = 0, lowHalves = 0, highHalves = 0, withNavaid = 0;
  for (int i : net.all) {
    const uint16_t levels = db.m_intersections[i].kind & 3;
    lowOnly += levels == 1;
    high += (levels & 2) != 0;
    withNavaid += net.Record(i).navaid >= 0;
    for (const AirwaySegment& s : net.Segments(i)) {
      for (const SegmentHalf& h : s.half) {
        if (h.neighbour < 0) continue;
        EXPECT_TRUE(h.flags & 1) << "junction " << i << " has a half that cannot be flown";
        const int bits = (h.flags >> 1) & 3;
        bothHalves += bits == 3;
        lowHalves += bits == 1;
        highHalves += bits == 2;
      }
    }
  }
  // Low airways, high airways of their own, and airways of both levels, crossing.
  EXPECT_GT(lowOnly, 0);
  EXPECT_GT(bothHalves, 0);
  EXPECT_GT(lowHalves, 0);
  EXPECT_GT(highHalves, 0);

  // Each level alone joins its junctions: every junction by low airways, every high one by high.
  const int start = net.all.front();
  const std::vector<bool> low = net.Reached(start, 1);
  int firstHigh = -1;
  for (int i : net.all) {
    EXPECT_TRUE(low[static_cast<size_t>(i)]) << "junction " << i << " is cut off the low airways";
    if (firstHigh < 0 && (db.m_intersections[i].kind & 2)) firstHigh = i;
  }
  ASSERT_GE(firstHigh, 0);
  const std::vector<bool> highReached = net.Reached(firstHigh, 2);
  int cutOff = 0;
  for (int i : net.all) cutOff += (db.m_intersections[i].kind & 2) && !highReached[static_cast<size_t>(i)];
  EXPECT_EQ(0, cutOff) << "of " << high << " high junctions";

  // The junctions' VORs and NDBs were bound, and nothing else was.
  int vors = 0, ndbs = 0;
  for (int i = 0; i < db.m_vors.GetSize(); ++i) {
    const VorRecord* r = db.GetVor(db.m_vors[i]);
    vors += r && r->intersection >= 0;
  }
  for (int i = 0; i < db.m_ndbs.GetSize(); ++i) {
    const NdbRecord* r = db.GetNdb(db.m_ndbs[i]);
    ndbs += r && r->intersection >= 0;
  }
  EXPECT_GT(vors, 0);
  EXPECT_GT(ndbs, 0);
  EXPECT_EQ(withNavaid, vors + ndbs);
  EXPECT_GT(withNavaid * 4, static_cast<int>(net.all.size()));
  EXPECT_LT(withNavaid * 3, static_cast<int>(net.all.size()));
}

}  // namespace
