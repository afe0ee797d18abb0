#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "navdb/Geodesy.h"
#include "plotr/sim/tests/support/GuidanceRig.h"
#include "simhost/MoveBlock.h"

namespace {

using namespace simapi;
using guidancetest::Rig;

// The host's window side of a move: reads the block on the sender's thread, as a queued
// copy-data call is handled, and hands the result to the test's thread.
class FakeChannel : public IMoveChannel {
 public:
  bool FindHost() override { return hostPresent; }
  void SendCopyData(uint32_t tag, const void* data, size_t size) override {
    const std::string text(static_cast<const char*>(data), size);
    auto target = simhost::HostCore::ReceiveMoveBlock(tag, data, size);
    std::lock_guard lock(m_lock);
    announcement = text;
    received = target;
    ++calls;
    m_ready.notify_all();
  }
  bool WaitForCall(int count) {
    std::unique_lock lock(m_lock);
    return m_ready.wait_for(lock, std::chrono::seconds(5), [&] { return calls >= count; });
  }
  bool hostPresent = true;
  std::mutex m_lock;
  std::condition_variable m_ready;
  std::string announcement;
  std::optional<simhost::MoveTarget> received;
  int calls = 0;
};

double FixedAt(const unsigned char* block, uint32_t offset) {
  uint32_t low;
  int32_t high;
  std::memcpy(&low, block + offset, 4);
  std::memcpy(&high, block + offset + 4, 4);
  return high + low / 4294967296.0;
}

class Moves : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
  }
  std::unique_ptr<Rig> Make(int version) {
    auto rig = std::make_unique<Rig>(version, simhost::AircraftStart{46.5, 7.0, 5000, 90, 120});
    rig->Ticks(2);
    rig->Aircraft().pitch = 2;
    rig->Aircraft().bank = -3;
    rig->block.Exchange(1);
    return rig;
  }
};

TEST(MoveBlock, BuiltBlockIsReadByTheHostAndKeepsItsLayout) {
  unsigned char block[kMoveBlockBytes];
  BuildMoveBlock(block, 46.25, -6.5, 1000 / kFeetPerMetre, 1.5, -2.5, 226);
  static_assert(kMoveBlockBytes == simapi::kMoveBlockSize);
  const auto target = simhost::ParseMoveBlock(block, sizeof block);
  ASSERT_TRUE(target.has_value());
  EXPECT_EQ(46.25, target->latitude);
  EXPECT_EQ(-6.5, target->longitude);
  EXPECT_NEAR(1000, target->altitudeFeet, 1e-9);
  EXPECT_EQ(1.5, target->pitch);
  EXPECT_EQ(-2.5, target->bank);
  EXPECT_EQ(226, target->heading);
  const struct {
    size_t at;
    const char* text;
  } texts[] = {{0, "FSIB"}, {8, "BFIB"}, {16, "ODIB"}, {28, "UserAircraft"}, {40, "PDIB"}, {58, "PLANE LATITUDE"},
               {72, "degrees"}, {218, "PLANE HEADING DEGREES TRUE"}, {251, "FRIB"}, {367, "TAIB"}, {383, "TAIB"}};
  for (const auto& t : texts) EXPECT_EQ(0, std::memcmp(block + t.at, t.text, std::strlen(t.text))) << t.text;
  uint32_t u32;
  std::memcpy(&u32, block + 12, 4);
  EXPECT_EQ(359u, u32);
  std::memcpy(&u32, block + 44, 4);
  EXPECT_EQ(211u, u32);
  std::memcpy(&u32, block + 363, 4);
  EXPECT_EQ(359u, u32);
  std::memcpy(&u32, block + 387, 4);
  EXPECT_EQ(24u, u32);
}

TEST(MoveBlock, FixedPointHalvesFloorSouthAndWest) {
  struct Case {
    double v;
    int32_t high;
    uint32_t low;
  };
  const Case cases[] = {{1.5, 1, 0x80000000u}, {-1.5, -2, 0x80000000u}, {-0.25, -1, 0xC0000000u}, {7, 7, 0}, {-7, -7, 0}};
  for (const Case& c : cases) {
    uint32_t low;
    int32_t high;
    SplitFixedPoint(c.v, low, high);
    EXPECT_EQ(c.high, high) << c.v;
    EXPECT_EQ(c.low, low) << c.v;
    EXPECT_EQ(c.v, high + low / 4294967296.0);
  }
}

TEST_F(Moves, FromVersion90APipeCarriesThePositionAndTheAttitudeStays) {
  auto rig = Make(90);
  FakeChannel channel;
  PlanSimServices services;
  services.sim = &rig->block;
  services.clock = &rig->clock;
  services.moveChannel = &channel;
  auto plan = std::make_unique<CFlightPlanStatus>(services);
  const auto start = std::chrono::steady_clock::now();
  plan->MoveAircraft(46.2, 6.1, 300, 10);
  EXPECT_TRUE(plan->IsMoving());
  ASSERT_TRUE(channel.WaitForCall(1));
  plan->MoveAircraft(47.0, 8.0);  // while the first runs: ignored
  {
    std::lock_guard lock(channel.m_lock);
    ASSERT_EQ(21u, channel.announcement.size());
    EXPECT_EQ("<HA>", channel.announcement.substr(0, 4));
    for (char c : channel.announcement.substr(4, 16)) EXPECT_TRUE(std::isdigit(c) || (c >= 'A' && c <= 'F')) << c;
    ASSERT_TRUE(channel.received.has_value());
    rig->host.ApplyMove(*channel.received);
  }
  const simhost::Aircraft& a = rig->Aircraft();
  EXPECT_EQ(46.2, a.latitude);
  EXPECT_EQ(6.1, a.longitude);
  EXPECT_NEAR(5000, a.altitude * kFeetPerMetre, 1e-6) << "altitude and heading arguments have no effect";
  EXPECT_EQ(90, a.heading);
  EXPECT_EQ(2, a.pitch);
  EXPECT_EQ(-3, a.bank);
  plan.reset();  // interrupts the worker's wait
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_EQ(1, channel.calls);

  // Without the host's window nothing starts.
  channel.hostPresent = false;
  auto quiet = std::make_unique<CFlightPlanStatus>(services);
  quiet->MoveAircraft(46.2, 6.1);
  EXPECT_FALSE(quiet->IsMoving());
}

TEST_F(Moves, Version80WithoutAltitudeStepsEveryTick) {
  auto rig = Make(80);
  rig->TakeEvents();
  rig->plan->MoveAircraft(46.3, 6.4);
  std::vector<std::vector<uint32_t>> steps;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(101 + i, rig->plan->GetMoveState());
    rig->Tick();
    std::vector<uint32_t> ids;
    for (const auto& e : rig->TakeEvents()) ids.push_back(e.id);
    steps.push_back(ids);
  }
  EXPECT_EQ((std::vector<std::vector<uint32_t>>{
                {kEventPause1}, {kEventPause2}, {kEventPause1, kEventPause2}, {kEventMoveDone}}),
            steps);
  EXPECT_EQ(0, rig->plan->GetMoveState());
  EXPECT_NEAR(46.3, rig->Aircraft().latitude, 1e-6);
  EXPECT_NEAR(6.4, rig->Aircraft().longitude, 1e-6);
}

TEST_F(Moves, OldVersionsWithoutAltitudeWriteThePositionAtOnce) {
  auto rig = Make(61);
  rig->plan->MoveAircraft(-33.5, -70.25);
  EXPECT_FALSE(rig->plan->IsMoving());
  EXPECT_NEAR(-33.5, rig->Aircraft().latitude, 1e-9);
  EXPECT_NEAR(-70.25, rig->Aircraft().longitude, 1e-9);
}

TEST_F(Moves, Version70WithAltitudeAndHeadingEndsWhereItPlacedTheAircraft) {
  for (const bool ignoringHost : {false, true}) {
    SCOPED_TRACE(ignoringHost ? "a host that ignores the turn" : "a host that turns");
    auto rig = Make(70);
    if (ignoringHost) rig->host.SetEventAnswer(kEventTurn, simhost::EventAnswer::kIgnore);
    rig->plan->MoveAircraft(46.25, 6.15, 600, 226);
    int ticks = 0;
    while (rig->plan->IsMoving() && ticks < 1000) {
      rig->Tick();
      ++ticks;
    }
    ASSERT_FALSE(rig->plan->IsMoving());
    const simhost::Aircraft& a = rig->Aircraft();
    EXPECT_NEAR(46.25, a.latitude, 1e-6);
    EXPECT_NEAR(6.15, a.longitude, 1e-6);
    EXPECT_NEAR(600, a.altitude, 1e-6);
    if (ignoringHost) {
      EXPECT_EQ(90, a.heading);
      EXPECT_LE(ticks, 5 * (36 + CFlightPlanSim::kMaxTurnSteps) + 5) << "the hold at 34 ends after its cap";
    } else {
      EXPECT_NEAR(226, a.heading, 0.5);
      EXPECT_LE(ticks, 5 * 36 + 5) << "about 18 s";
    }
    unsigned char* g = rig->host.GlobalBlock();
    const double towerLat = FixedAt(g, kGlobalTowerLatitude) * 360 / kEarthCircumferenceMetres;
    const double towerLon = FixedAt(g, kGlobalTowerLongitude) * 90 / 1073741824.0;
    EXPECT_NEAR(600, GreatCircleDistance(46.25, 6.15, towerLat, towerLon), 1);
    EXPECT_NEAR(std::fmod(226 + 315, 360.0), InitialCourse(46.25, 6.15, towerLat, towerLon), 0.1);
    int32_t height;
    std::memcpy(&height, g + kGlobalTowerHeight, 4);
    EXPECT_EQ(630, height);
  }
}

TEST_F(Moves, TowerViewAndBadPositionsFromTheViews) {
  auto rig = Make(90);
  rig->plan->SetTowerViewPosition(46.1, -6.2, 431.9);
  unsigned char* g = rig->host.GlobalBlock();
  EXPECT_NEAR(46.1, FixedAt(g, kGlobalTowerLatitude) * 360 / kEarthCircumferenceMetres, 1e-9);
  EXPECT_NEAR(-6.2, FixedAt(g, kGlobalTowerLongitude) * 90 / 1073741824.0, 1e-9);
  int32_t height;
  std::memcpy(&height, g + kGlobalTowerHeight, 4);
  EXPECT_EQ(431, height);
  auto old = Make(70);
  old->plan->MoveAircraft(std::nan(""), 7.0, 300);
  old->plan->MoveAircraft(91, 7.0, 300);
  old->plan->MoveAircraft(46, 7.0, std::numeric_limits<double>::infinity());
  EXPECT_FALSE(old->plan->IsMoving());
}

}  // namespace
