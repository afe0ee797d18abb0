#include "plotr/sim/SimBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/Units.h"
#include "simhost/HostCore.h"

namespace {

using namespace simapi;
using simhost::HostCore;
namespace fs = std::filesystem;

// The block wired to a stand-in host of the given version, with its own settings file.
class Rig {
 public:
  explicit Rig(int simVer, simhost::AircraftStart start = {}) : host(simVer, start) {
    folder = fs::temp_directory_path() /
             ("simblock-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
              std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(folder);
    std::ofstream(folder / "Program.cfg", std::ios::binary)
        << "[Essential]\r\nSimVer=" << simVer << "\r\n[Settings]\r\nUseIndicatedAirSpeed=0\r\n";
    settings.SetProfileFile(folder / "Program.cfg");
    settings.GetUseIndicatedAirSpeed(true);
    table.services = host.GetServices();
    block.SetImportTable(&table);
    block.SetMessageTarget(&messages);
  }
  ~Rig() { fs::remove_all(folder); }

  // One exchange, as the fifth timer tick runs it.
  void Exchange() {
    block.Exchange(tick);
    tick += 5;
  }
  void Send(uint32_t id, uint32_t value = 0) { ASSERT_EQ(0, block.SendSimEvent(id, value)); }

  simhost::HostCore host;
  fs::path folder;
  CSettings settings;
  ImportTable table;
  ui::RecordingTarget messages;
  CSimBlock block{&settings};
  uint32_t tick = 1;
};

const char* const kNames[] = {
    "CHARTWRIGHT_VERSION", "CHARTWRIGHT_FMC_MODE2", "CHARTWRIGHT_FLY_TO_POSSIBLE",
    "CHARTWRIGHT_FLY_TO", "CHARTWRIGHT_FLY_FP_POSSIBLE", "CHARTWRIGHT_FLY_FP",
    "CHARTWRIGHT_FLY_HOLDING_POSSIBLE", "CHARTWRIGHT_FLY_HOLDING", "CHARTWRIGHT_FMS_DATA",
    "CHARTWRIGHT_FMS_WAYPOINT1", "CHARTWRIGHT_FMS_WAYPOINT2", "CHARTWRIGHT_FMS_WAYPOINT3",
    "CHARTWRIGHT_HSI_DATA", "CHARTWRIGHT_FMC_MODE1_ON", "CHARTWRIGHT_FMC_MODE2_ON",
    "CHARTWRIGHT_FMC_MODE_TOGGLE", "CHARTWRIGHT_FLY_TO_LATITUDE", "CHARTWRIGHT_FLY_TO_LONGITUDE",
    "CHARTWRIGHT_FLY_TO_ON", "CHARTWRIGHT_FLY_TO_OFF", "CHARTWRIGHT_FLY_TO_TOGGLE",
    "CHARTWRIGHT_FLY_FP_WP", "CHARTWRIGHT_FLY_FP_ON", "CHARTWRIGHT_FLY_FP_OFF",
    "CHARTWRIGHT_FLY_FP_TOGGLE", "CHARTWRIGHT_NEXT_WAYPOINT", "CHARTWRIGHT_PREV_WAYPOINT",
    "CHARTWRIGHT_FLY_HOLDING_ON", "CHARTWRIGHT_FLY_HOLDING_OFF", "CHARTWRIGHT_FLY_HOLDING_TOGGLE"};

TEST(SimBlockTest, RegistersItsThirtyNamesOnceInOrderAndSharesTheStorage) {
  Rig rig(90);
  rig.Exchange();
  rig.Exchange();
  ASSERT_EQ(std::vector<std::string>(std::begin(kNames), std::end(kNames)), rig.host.NamedVariableNames());
  EXPECT_DOUBLE_EQ(4.70, *static_cast<double*>(rig.host.FindNamedVariable("CHARTWRIGHT_VERSION")));

  // A gauge writes a command through the address it looked up; the next snapshot sees it.
  auto* flyPlanOn = static_cast<int32_t*>(rig.block.LookupNamedVariable("CHARTWRIGHT_FLY_FP_ON"));
  ASSERT_EQ(&rig.block.GetNamedStorage().flyPlanOn, flyPlanOn);
  EXPECT_EQ(&rig.block.GetNamedStorage().flyPlanWaypoint,
            rig.block.LookupNamedVariable("CHARTWRIGHT_FLY_FP_WP"));
  EXPECT_EQ(static_cast<void*>(rig.block.GetNamedStorage().fmsWaypoints[2]),
            rig.block.LookupNamedVariable("CHARTWRIGHT_FMS_WAYPOINT3"));
  *flyPlanOn = 5;
  rig.Exchange();
  EXPECT_TRUE(rig.block.GetSnapshot().flyPlanOn);
}

TEST(SimBlockTest, RegistersNothingWhenAnotherModuleOwnsTheVersionName) {
  Rig rig(90);
  double theirs = 1.0;
  rig.host.RegisterNamedVariable(&theirs, kTypeFloat64, "CHARTWRIGHT_VERSION");
  rig.Exchange();
  EXPECT_EQ(1u, rig.host.NamedVariableNames().size());
  EXPECT_EQ(&theirs, rig.host.FindNamedVariable("CHARTWRIGHT_VERSION"));
}

TEST(SimBlockTest, ExchangesOnlyOnTicksOneModuloFive) {
  Rig rig(90, {10, 20, 3000, 45, 100});
  for (uint32_t tick : {0u, 2u, 3u, 4u, 5u, 10u}) rig.block.Exchange(tick);
  EXPECT_TRUE(rig.host.NamedVariableNames().empty());
  EXPECT_EQ(0, rig.block.GetSnapshot().latitude);
  EXPECT_TRUE(rig.messages.Codes().empty());
  rig.block.Exchange(11);
  EXPECT_NEAR(10, rig.block.GetSnapshot().latitude, 1e-9);
  EXPECT_EQ(std::vector<uint32_t>{WM_APP_SIMDATA_CHANGED}, rig.messages.Codes());
}

TEST(SimBlockTest, ConvertsHostUnits) {
  Rig rig(90, {-33.5, -70.25, 5000, 200, 150});
  simhost::Aircraft& a = rig.host.GetAircraft();
  a.magneticVariation = 350;  // reported as 350: magnetic = true + 10
  a.verticalSpeed = 0;
  rig.Exchange();
  const SimSnapshot& s = rig.block.GetSnapshot();
  EXPECT_NEAR(-33.5, s.latitude, 1e-9);
  EXPECT_NEAR(-70.25, s.longitude, 1e-9) << "west longitudes fold back below 180";
  EXPECT_NEAR(10, s.magneticVariation, 1e-9);
  EXPECT_NEAR(5000, s.altitude, 1e-6);
  EXPECT_EQ(200, s.trueHeading);
  EXPECT_EQ(150, s.trueAirspeed);
  EXPECT_EQ(TasToIas(150, s.altitude), s.indicatedAirspeed);
  EXPECT_EQ(12, s.localHour);
}

TEST(SimBlockTest, HostAirspeedIsIndicatedWhenTheSettingSaysSo) {
  Rig rig(90, {0, 0, 10000, 0, 250});
  rig.settings.SetUseIndicatedAirSpeed(true);
  rig.Exchange();
  EXPECT_EQ(250, rig.block.GetSnapshot().indicatedAirspeed);
  EXPECT_EQ(290, rig.block.GetSnapshot().trueAirspeed);
}

TEST(SimBlockTest, WindIsDoubledOnVersion70AndEntersTheGroundVector) {
  for (int version : {61, 70, 80, 90}) {
    Rig rig(version, {0, 0, 3000, 0, 100});
    rig.host.GetAircraft().windSpeed = 20;
    rig.host.GetAircraft().windDirection = 180;  // from the south: a tailwind northbound
    rig.Exchange();
    EXPECT_DOUBLE_EQ(20, rig.block.GetSnapshot().windSpeed) << version;
    EXPECT_NEAR(120, rig.block.GetSnapshot().groundSpeed, 1e-9) << version;
  }
}

TEST(SimBlockTest, TrackFollowsTheGroundVector) {
  struct Case { const char* name; double heading, speed, windSpeed, windFrom, track; } cases[] = {
      {"no wind, no speed", 123, 0, 0, 0, 123},
      {"no wind", 123, 100, 0, 0, 123},
      {"crosswind from the west", 0, 100, 100, 270, 45},
      {"only wind", 10, 0, 30, 90, 270},
  };
  for (const Case& c : cases) {
    Rig rig(90, {0, 0, 3000, c.heading, c.speed});
    rig.host.GetAircraft().windSpeed = c.windSpeed;
    rig.host.GetAircraft().windDirection = c.windFrom;
    rig.Exchange();
    EXPECT_NEAR(c.track, rig.block.GetSnapshot().track, 1e-9) << c.name;
  }
}

TEST(SimBlockTest, PostsWindAndDataChangesButNotAPositionChangeAlone) {
  Rig rig(90, {10, 10, 3000, 90, 0});
  rig.Exchange();
  rig.messages.Clear();

  rig.host.GetAircraft().latitude = 11;
  rig.host.GetAircraft().longitude = 12;
  rig.Exchange();
  EXPECT_TRUE(rig.messages.Codes().empty());
  EXPECT_NEAR(11, rig.block.GetSnapshot().latitude, 1e-9);

  rig.Send(kEventSelectHeading, 180);
  rig.Exchange();
  EXPECT_EQ(std::vector<uint32_t>{WM_APP_SIMDATA_CHANGED}, rig.messages.Codes());

  rig.messages.Clear();
  rig.host.GetAircraft().windDirection = 45;  // no wind speed: direction alone, nothing else moves
  rig.Exchange();
  EXPECT_EQ(std::vector<uint32_t>{WM_APP_WIND_CHANGED}, rig.messages.Codes());
}

TEST(SimBlockTest, RadioValuesRoundTripThroughPackedBcd) {
  EXPECT_EQ(0x1345u, EncodeBcdFrequency(1345));
  EXPECT_EQ(0x87654321u, EncodeBcdFrequency(987654321)) << "digits above the eighth are dropped";
  EXPECT_EQ(12345, DecodeBcd8(0x12345));

  Rig rig(70);
  rig.Send(kEventCom, EncodeBcdFrequency(12345 - 10000));
  rig.Send(kEventNav1, EncodeBcdFrequency(11150 - 10000) & 0xFFFF);
  rig.Send(kEventNav2, EncodeBcdFrequency(10890 - 10000) & 0xFFFF);
  rig.Send(kEventTransponder, EncodeBcdFrequency(7700));
  // 1234.5 kHz as the old hosts take it: tenths and thousands, then the middle digits.
  const uint32_t adf = EncodeBcdFrequency(12345);
  rig.Send(kEventAdfExtra, (adf & 0xF) | ((adf >> 8) & 0xF00));
  rig.Send(kEventAdf, (adf >> 4) & 0xFFF);
  rig.Exchange();
  const SimSnapshot& s = rig.block.GetSnapshot();
  EXPECT_EQ(12345, s.com);
  EXPECT_EQ(11150, s.nav1);
  EXPECT_EQ(10890, s.nav2);
  EXPECT_EQ(7700, s.transponder);
  EXPECT_TRUE(s.adfExtended);
  EXPECT_EQ(12345, s.adf);
}

TEST(SimBlockTest, EventsBelowTheEventRangeAndWithoutAHostAreNotSent) {
  Rig rig(90);
  EXPECT_NE(0, rig.block.SendSimEvent(0xFFFF, 1));
  EXPECT_TRUE(rig.host.Events().empty());
  CSimBlock detached;
  EXPECT_NE(0, detached.SendSimEvent(kEventAutopilotMaster, 0));
}

TEST(SimBlockTest, WriteSimGlobalStaysInsideTheHostBlock) {
  Rig rig(61);
  const unsigned char bytes[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  EXPECT_TRUE(rig.block.WriteSimGlobal(kGlobalTowerHeight, 4, bytes));
  EXPECT_EQ(0, std::memcmp(rig.host.GlobalBlock() + kGlobalTowerHeight, bytes, 4));
  EXPECT_TRUE(rig.block.WriteSimGlobal(kGlobalBlockSize - 4, 4, bytes));
  EXPECT_FALSE(rig.block.WriteSimGlobal(kGlobalBlockSize - 2, 4, bytes));
  EXPECT_FALSE(rig.block.WriteSimGlobal(-4, 4, bytes));

  // A host that hands out the block's address only through a read.
  Services byRead = *rig.host.GetServices();
  byRead.initVariable = [](void* context, HostVariable* v) {
    static_cast<HostCore*>(context)->InitVariable(v);
    if (v->id == kVarGlobalBlock) v->storage = kStorageByRead;
  };
  ImportTable byReadTable;
  byReadTable.services = &byRead;
  rig.block.SetImportTable(&byReadTable);
  const unsigned char other[4] = {1, 2, 3, 4};
  EXPECT_TRUE(rig.block.WriteSimGlobal(kGlobalTowerHeight, 4, other));
  EXPECT_EQ(0, std::memcmp(rig.host.GlobalBlock() + kGlobalTowerHeight, other, 4));

  // A host without a global block refuses every write.
  Services noBlock = *rig.host.GetServices();
  noBlock.initVariable = [](void*, HostVariable* v) { v->storage = nullptr; };
  ImportTable table;
  table.services = &noBlock;
  rig.block.SetImportTable(&table);
  EXPECT_FALSE(rig.block.WriteSimGlobal(kGlobalTowerHeight, 4, bytes));
}

TEST(SimBlockTest, AircraftTurnsAndClimbsToTheSelectionsItIsSent) {
  Rig rig(90, {47, 8, 3000, 10, 150});
  rig.Send(kEventSelectHeading, 270);
  rig.Send(kEventSelectAltitude, 6000);
  rig.Send(kEventSelectVerticalSpeed, 2000);
  rig.Send(kEventAutopilotMaster);
  rig.Send(kEventHeadingHold);
  rig.Send(kEventAltitudeHold);
  bool turning = false;
  // The 100 ms timer: the host moves on, the block exchanges on every fifth tick.
  for (uint32_t tick = 0; tick < 2000; ++tick) {
    rig.host.Step(0.1);
    rig.block.Exchange(tick);
    if (rig.block.GetSnapshot().trueHeading > 200 && rig.block.GetSnapshot().trueHeading < 350)
      turning = true;
  }
  const SimSnapshot& s = rig.block.GetSnapshot();
  EXPECT_TRUE(turning) << "turned left through the west, the short way";
  EXPECT_TRUE(s.autopilotMaster && s.headingHold && s.altitudeHold);
  EXPECT_DOUBLE_EQ(270, s.trueHeading);
  EXPECT_DOUBLE_EQ(270, s.selectedHeading);
  EXPECT_NEAR(6000, s.altitude, 0.01);
  EXPECT_NEAR(0, s.verticalSpeed, 1e-9);
  EXPECT_LT(s.longitude, 8) << "flying west after the turn";
}

}  // namespace
