#include "basemaker/compiler/SceneryCommandInterpreter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "basemaker/compiler/tests/support/OldBglWriter.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

using namespace testbgl;

constexpr double kBandSouth = 46.9;
constexpr double kBandNorth = 47.1;

struct Walk {
  explicit Walk(const ByteVec& stream, double refLat = 47.0, double refLon = 8.0) {
    InterpretSceneryCommands(f.db, newGroup, kBandSouth, kBandNorth, refLat, refLon, stream.data(),
                             stream.data() + stream.size());
  }
  std::vector<std::string> Designators() const {
    std::vector<std::string> out;
    for (const NavPoint& p : f.db.m_runways) out.emplace_back(f.db.GetRunway(p)->Designator());
    return out;
  }
  OpenFileDb f;
  uint8_t newGroup = 1;
};

RunwaySpec Runway(uint8_t designator, uint16_t heading) {
  RunwaySpec r;
  r.lat = 47.0;
  r.lon = 8.0;
  r.designator = designator;
  r.heading = heading;
  return r;
}

TEST(SceneryCommandInterpreter, EveryPathEndsAndEachCommandCountsOnce) {
  const Cmd runway = RunwayFixed(Runway(9, 0x4000));
  struct Case {
    const char* name;
    ByteVec stream;
    size_t runwayEnds;
  };
  std::vector<Case> cases;
  {
    CommandStream s;
    s.Add(Jump(13, 0));
    s.Add(runway);
    cases.push_back({"jump by zero ends the path", s.Data(), 0});
  }
  {
    CommandStream s;
    s.Add(runway);
    s.Add(LongJump(136, -64));
    cases.push_back({"backward jump to a command already walked", s.Data(), 2});
  }
  {
    CommandStream s;
    s.Add(Jump(13, 400));
    s.Add(runway);
    cases.push_back({"jump past the end", s.Data(), 0});
  }
  {
    CommandStream s;
    s.Add(LongJump(136, -1000));
    s.Add(runway);
    cases.push_back({"jump before the start", s.Data(), 0});
  }
  {
    CommandStream s;
    s.Add(Jump(150, 0x7000, 6));
    s.Add(runway);
    cases.push_back({"branch out of the stream is dropped, the path goes on", s.Data(), 2});
  }
  {
    ByteVec cut = runway.Data();
    cut.resize(40);
    cases.push_back({"command that does not fit", cut, 0});
  }
  {
    // Both branches lead to the runway at 14; the second is dropped when it is taken.
    CommandStream s;
    s.Add(Jump(150, 14, 6));
    s.Add(Jump(150, 8, 6));
    s.Add(Op(34));
    s.Add(runway);
    s.Add(Op(34));
    cases.push_back({"two branches to one address", s.Data(), 2});
  }
  {
    CommandStream s;
    s.Add(CallTable({12, 78}, 0));
    s.Add(runway);  // at 12
    s.Add(Op(34));
    s.Add(RunwaySized(Runway(18, 0x8000)));  // at 78
    s.Add(Op(22));
    cases.push_back({"call table queues every entry", s.Data(), 4});
  }
  {
    CommandStream s;
    s.Add(ByteVec{0xFF, 0x00});  // opcode 255 has no rule
    s.Add(runway);
    cases.push_back({"unknown opcode", s.Data(), 0});
  }
  for (const Case& c : cases) {
    Walk w(c.stream);
    EXPECT_EQ(w.f.db.m_runways.GetSize(), static_cast<int>(c.runwayEnds)) << c.name;
  }
}

TEST(SceneryCommandInterpreter, FixedVariableFollowsOneOutcomeOthersBoth) {
  struct Case {
    uint16_t variable, lo, hi;
    std::vector<std::string> designators;
  };
  const Case cases[] = {
      {1784, 3, 3, {"18", "36"}},             // value 2 outside [3, 3]: the branch only
      {1784, 0, 5, {"9", "27"}},              // inside: the fall-through only
      {100, 3, 3, {"9", "27", "18", "36"}},  // unknown variable: both
  };
  for (const Case& c : cases) {
    CommandStream s;
    const size_t test = s.Add(VariableTest(c.variable, c.lo, c.hi, 0));
    s.Add(RunwayFixed(Runway(9, 0x4000)));
    s.Add(Op(34));
    const size_t branch = s.Add(RunwayFixed(Runway(18, 0x8000)));
    s.Add(Op(34));
    s.PutU16(test + 2, static_cast<uint16_t>(branch - test));
    Walk w(s.Data());
    EXPECT_EQ(w.Designators(), c.designators) << c.variable << " " << c.lo << ".." << c.hi;
  }
}

TEST(SceneryCommandInterpreter, BothOutcomesRunThroughSharedDrawingCode) {
  // Day and night set their own texture, then draw one shared ground polygon: each outcome
  // records its own object, although the second reaches commands the first already walked.
  CommandStream s;
  const size_t test = s.Add(VariableTest(100, 3, 3, 0));
  s.Add(Texture("ASPHALT.BMP"));
  const size_t jump = s.Add(Jump(13, 0));
  const size_t branch = s.Add(Texture("CONCRETE.BMP"));
  const size_t shared = s.Add(DefineVertex(0, 10, 0, 20));
  s.Add(DefineVertex(1, 30, 0, 40));
  s.Add(DefineVertex(2, 50, 0, 60));
  s.Add(Op(5));
  for (uint16_t i = 0; i < 3; ++i) s.Add(PolygonVertex(i, i > 0));
  s.Add(Op(8));
  s.Add(Op(34));
  s.PutU16(test + 2, static_cast<uint16_t>(branch - test));
  s.PutU16(jump + 2, static_cast<uint16_t>(shared - jump));
  Walk w(s.Data());
  EXPECT_EQ(w.f.db.m_objects.GetSize(), 2);
  EXPECT_EQ(w.f.db.m_footprintVertices.GetSize(), 6);
  EXPECT_TRUE(w.f.db.Validate()) << w.f.db.GetLastError();
}

TEST(SceneryCommandInterpreter, LightingFrequencyInComBandAddsPointSouthWest) {
  struct Case {
    uint16_t lo, hi;
    bool added;
  };
  const Case cases[] = {
      {0x2250, 0x2250, true},   // 122.50
      {0x3697, 0x3697, true},   // 136.97
      {0x2259, 0x2259, false},  // last digit 9
      {0x3700, 0x3700, false},  // 137.00
      {0x1797, 0x1797, false},  // 117.97
      {0x2250, 0x2255, false},  // a range, not a frequency
  };
  for (const Case& c : cases) {
    CommandStream s;
    s.Add(VariableTest(1982, c.lo, c.hi, 10));
    s.Add(Op(34));
    Walk w(s.Data(), 47.0, 8.0);
    ASSERT_EQ(w.f.db.m_coms.GetSize(), c.added ? 1 : 0) << std::hex << c.lo;
    if (!c.added) continue;
    const NavPoint& p = w.f.db.m_coms[0];
    const ComRecord* com = w.f.db.GetCom(p);
    EXPECT_EQ(+com->type, kComPilotLighting);
    EXPECT_NEAR(com->frequency, (DecodeBcd8(c.lo) * 0.01 + 100), 1e-4);
    EXPECT_NEAR(GreatCircleDistance(47.0, 8.0, p.latitude, p.longitude), 100.0, 0.5);
    EXPECT_NEAR(InitialCourse(47.0, 8.0, p.latitude, p.longitude), 225.0, 0.5);
  }
}

TEST(SceneryCommandInterpreter, GroundPolygonsBecomeFootprints) {
  struct Case {
    const char* name;
    std::string texture;
    uint16_t surface;
    int vertices;
    int16_t thirdY;
    bool indexed;
    uint16_t normalX;
    bool recorded;
  };
  const Case cases[] = {
      {"asphalt texture in capitals", "ASPHALT.BMP", 0, 3, 0, false, 0, true},
      {"two vertices", "ASPHALT.BMP", 0, 2, 0, false, 0, false},
      {"vertex off the ground", "ASPHALT.BMP", 0, 3, 10, false, 0, false},
      {"untextured on a surface word", "", 0xF002, 3, 0, false, 0, true},
      {"untextured without a surface word", "", 0xF010, 3, 0, false, 0, false},
      {"texture of no surface", "grass.bmp", 0xF002, 3, 0, false, 0, false},
      {"indexed polygon", "apron1  x", 0, 3, 0, true, 0, true},
      {"indexed polygon not facing up", "apron1  x", 0, 3, 0, true, 5, false},
      {"indexed polygon off the ground", "taxi", 0, 3, 10, true, 0, false},
  };
  for (const Case& c : cases) {
    CommandStream s;
    if (!c.texture.empty()) s.Add(Texture(c.texture));
    s.Add(SurfaceWord(c.surface));
    s.Add(DefineVertex(0, 10, 0, 20));
    s.Add(DefineVertex(1, 30, 0, 40));
    s.Add(DefineVertex(2, 50, c.thirdY, 60));
    if (c.indexed) {
      std::vector<uint16_t> numbers;
      for (int i = 0; i < c.vertices; ++i) numbers.push_back(static_cast<uint16_t>(i));
      s.Add(IndexedPolygon(numbers, c.normalX));
    } else {
      s.Add(Op(5));
      for (int i = 0; i < c.vertices; ++i) s.Add(PolygonVertex(static_cast<uint16_t>(i), i > 0));
      s.Add(Op(8));
    }
    Walk w(s.Data(), 47.0, 8.0);
    const CSceneryDatabase& db = w.f.db;
    ASSERT_EQ(db.m_objects.GetSize(), c.recorded ? 1 : 0) << c.name;
    if (!c.recorded) {
      EXPECT_EQ(db.m_objectGroups.GetSize(), 0) << c.name;
      EXPECT_EQ(+w.newGroup, 1) << c.name;
      continue;
    }
    ASSERT_EQ(db.m_objectGroups.GetSize(), 1);
    EXPECT_FLOAT_EQ(db.m_objectGroups[0].BandSouth(), static_cast<float>(kBandSouth));
    EXPECT_FLOAT_EQ(db.m_objectGroups[0].BandNorth(), static_cast<float>(kBandNorth));
    EXPECT_EQ(+w.newGroup, 0);
    EXPECT_EQ(+db.m_files[0].objectGroupEnd, 1);
    const ObjectRecord& o = db.m_objects[0];
    EXPECT_EQ(+o.flags, 0xC3) << c.name;
    EXPECT_FLOAT_EQ(o.latitude, 47.0f);
    EXPECT_FLOAT_EQ(o.scale, 1.0f);
    ASSERT_EQ(db.m_footprintVertices.GetSize(), 3) << c.name;
    EXPECT_EQ(+db.m_footprintVertices[1].north, 40);
    EXPECT_EQ(+db.m_footprintVertices[1].east, 30);
    EXPECT_EQ(+o.vertexEnd, 3);
  }
}

TEST(SceneryCommandInterpreter, PointListsGoToTheirOwnObjectOnly) {
  CommandStream s;
  s.Add(SurfaceWord(0xF001));
  s.Add(Texture("taxi"));
  s.Add(PointListVertex(1, 2));  // no object of this stream yet: dropped
  s.Add(PointListObject(10, 20));
  s.Add(PointListVertex(30, 40));
  s.Add(SurfaceWord(0xF025));  // dirt surface word, but the texture is not dirt
  s.Add(PointListObject(50, 60));
  Walk w(s.Data());
  const CSceneryDatabase& db = w.f.db;
  ASSERT_EQ(db.m_objects.GetSize(), 1);
  EXPECT_EQ(+db.m_objects[0].flags, 0xC1);
  EXPECT_EQ(+db.m_objects[0].layer, 24);
  ASSERT_EQ(db.m_footprintVertices.GetSize(), 2);
  EXPECT_EQ(+db.m_footprintVertices[0].north, 20);
  EXPECT_EQ(+db.m_footprintVertices[1].east, 30);
}

TEST(SceneryCommandInterpreter, RunwayDesignatorsFollowHeadingAndSide) {
  struct Case {
    uint8_t designator;
    uint16_t heading;
    bool sized;
    std::vector<std::string> ends;
  };
  const Case cases[] = {
      {0x49, 0x4000, false, {"9L", "27R"}},
      {0x49, 0xC000, false, {"27L", "9R"}},  // number points the other way: flipped first
      {0x49, 0x4000, true, {"9L", "27R"}},
      {0x89, 0x4000, false, {"9R", "27L"}},
      {0xC9, 0x4000, true, {"9C", "27C"}},
      {0x24, 0x0000, false, {"36", "18"}},
  };
  for (const Case& c : cases) {
    RunwaySpec r = Runway(c.designator, c.heading);
    r.altitude = 120;
    r.widthFeet = 148;
    r.surface = 2;
    CommandStream s;
    s.Add(c.sized ? RunwaySized(r) : RunwayFixed(r));
    Walk w(s.Data());
    EXPECT_EQ(w.Designators(), c.ends) << std::hex << int(c.designator) << " " << c.heading;
    if (w.f.db.m_runways.GetSize() != 2) continue;
    const RunwayRecord* first = w.f.db.GetRunway(w.f.db.m_runways[0]);
    const RunwayRecord* second = w.f.db.GetRunway(w.f.db.m_runways[1]);
    EXPECT_EQ(+first->heading, c.heading);
    EXPECT_EQ(+second->heading, static_cast<uint16_t>(c.heading - 0x8000));
    EXPECT_FALSE(first->HasIls());
    EXPECT_EQ(first->Layer(), 24);
    EXPECT_EQ(+first->altitude, 120);
    EXPECT_EQ(+first->width, 148);
    EXPECT_EQ(+first->length, 5000);
    EXPECT_EQ(+first->surface, 2);
  }
}

TEST(SceneryCommandInterpreter, RunwayEndsLieHalfTheDrawnLengthFromTheCentre) {
  struct Case {
    uint16_t feet;
    double metres;
  };
  const Case cases[] = {{900, 137.16}, {1000, 122.4}};
  for (const Case& c : cases) {
    RunwaySpec r = Runway(36, 0);
    r.lat = 0.5;
    r.lon = 0.5;
    r.lengthFeet = c.feet;
    CommandStream s;
    s.Add(RunwayFixed(r));
    Walk w(s.Data());
    ASSERT_EQ(w.f.db.m_runways.GetSize(), 2);
    const NavPoint& a = w.f.db.m_runways[0];
    const NavPoint& b = w.f.db.m_runways[1];
    EXPECT_NEAR(GreatCircleDistance(a.latitude, a.longitude, b.latitude, b.longitude), 2 * c.metres,
                0.05)
        << c.feet;
    // Heading north: the first end lies south of the centre.
    EXPECT_LT(+a.latitude, +b.latitude);
  }
}

TEST(SceneryCommandInterpreter, RunwaysThatCannotBePlacedAddNothing) {
  struct Case {
    const char* name;
    double lat;
    uint16_t width;
    uint8_t surface;
  };
  const Case cases[] = {
      {"at the pole", 90.0, 150, 4},
      {"past the pole", -120.0, 150, 4},
      {"wide water", 47.0, 251, 255},
      {"wider than any runway", 47.0, 5001, 4},
  };
  for (const Case& c : cases) {
    RunwaySpec r = Runway(9, 0x4000);
    r.lat = c.lat;
    r.widthFeet = c.width;
    r.surface = c.surface;
    CommandStream s;
    s.Add(RunwayFixed(r));
    Walk w(s.Data());
    EXPECT_EQ(w.f.db.m_runways.GetSize(), 0) << c.name;
  }
}

TEST(SceneryCommandInterpreter, LayerTravelsWithQueuedBranches) {
  // Opcode 116 queues its body with the layer before it, then sets the layer for what follows.
  CommandStream s;
  const size_t layerCmd = s.Add(Cmd(116, 6).U8(4, 7));
  s.Add(Op(34));  // body at 6: returns
  const size_t after = s.Add(RunwayFixed(Runway(9, 0x4000)));
  s.PutU16(layerCmd + 2, static_cast<uint16_t>(after - layerCmd));
  Walk w(s.Data());
  ASSERT_EQ(w.f.db.m_runways.GetSize(), 2);
  EXPECT_EQ(w.f.db.GetRunway(w.f.db.m_runways[0])->Layer(), 7);
}

TEST(SceneryCommandInterpreter, PathsSharingALongTailAreWalkedWithinABudgetOfTheStreamsSize) {
  // Each of `paths` jumps into one tail of `tail` commands ending in a runway, queueing the next
  // jump: every path runs the whole tail again, so the walk grows with paths times tail. A real
  // stream is walked to the end; a hostile one stops long before, keeping what it found.
  struct Case {
    const char* name;
    int paths;
    int tail;
    bool everyPath;
  };
  const Case cases[] = {
      {"a few paths through a short tail", 20, 200, true},
      {"thousands of paths through a long tail", 4000, 4000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CommandStream s;
    std::vector<size_t> jumps;
    for (int i = 0; i < c.paths; ++i) jumps.push_back(s.Add(LongJump(138, 0)));  // queue the next, jump
    const size_t tail = s.Add(Op(2));
    for (int i = 1; i < c.tail; ++i) s.Add(Op(2));
    s.Add(RunwayFixed(Runway(9, 0x4000)));
    s.Add(Op(34));
    for (const size_t at : jumps) s.PutI32(at + 2, static_cast<int32_t>(tail - at));
    Walk w(s.Data());
    const int walked = w.f.db.m_runways.GetSize() / 2;  // each path that came through adds both ends
    if (c.everyPath) {
      EXPECT_EQ(c.paths, walked);
    } else {
      EXPECT_GT(walked, 0) << "what the walk found before it stopped is kept";
      EXPECT_LT(walked, c.paths / 4);
    }
    EXPECT_TRUE(w.f.db.Validate()) << w.f.db.GetLastError();
  }
}

TEST(SceneryCommandInterpreter, RandomStreamsTerminate) {
  std::mt19937 rng(20261210);
  OpenFileDb f;
  for (int round = 0; round < 3000; ++round) {
    ByteVec stream(rng() % 700);
    for (size_t i = 0; i < stream.size(); ++i) {
      // Mostly small opcodes and offsets, so that most streams go deep.
      stream[i] = static_cast<uint8_t>((i % 2 == 1 && rng() % 4 != 0) ? 0 : rng() % 192);
    }
    uint8_t newGroup = 1;
    InterpretSceneryCommands(f.db, newGroup, 0, 0, 47, 8, stream.data(), stream.data() + stream.size());
  }
  EXPECT_TRUE(f.db.Validate()) << f.db.GetLastError();
}

}  // namespace
