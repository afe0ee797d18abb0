#include "simhost/HostCore.h"
#include "simhost/tests/MoveBlockFixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace simhost {
namespace {

using namespace simapi;

HostVariable Refresh(HostCore& host, uint32_t id) {
  HostVariable v;
  v.id = id;
  host.InitVariable(&v);
  host.ReadVariable(&v);
  return v;
}
double Read(HostCore& host, uint32_t id) { return Refresh(host, id).AsDouble(); }
uint32_t ReadBcd(HostCore& host, uint32_t id) { return Refresh(host, id).AsU32(); }

void Fly(HostCore& host, double seconds, double step = 0.1) {
  for (double t = 0; t < seconds; t += step) host.Step(step);
}

TEST(HostCoreTest, AutopilotTurnsToSelectedHeadingAndClimbsToSelectedAltitude) {
  HostCore host(90, AircraftStart{47, 8, 3000, 10, 120});
  Services* s = host.GetServices();
  ASSERT_EQ(0, s->sendEvent(s->context, kEventSelectHeading, 270));
  ASSERT_EQ(0, s->sendEvent(s->context, kEventSelectAltitude, 5000));
  ASSERT_EQ(0, s->sendEvent(s->context, kEventSelectVerticalSpeed, 1500));
  Fly(host, 10);
  EXPECT_DOUBLE_EQ(10, Read(host, kVarTrueHeading)) << "nothing moves before the autopilot is engaged";

  s->sendEvent(s->context, kEventAutopilotMaster, 0);
  s->sendEvent(s->context, kEventHeadingHold, 0);
  s->sendEvent(s->context, kEventAltitudeHold, 0);
  Fly(host, 20);
  // A left turn of 100 degrees at 3 degrees per second is not done after 20 s.
  const double midTurn = Read(host, kVarTrueHeading);
  EXPECT_NEAR(310, midTurn, 1.0);
  EXPECT_NEAR(1500, Read(host, kVarVerticalSpeed) / 256 * 60 * 3.28083989501312, 1.0);

  Fly(host, 120);
  EXPECT_DOUBLE_EQ(270, Read(host, kVarTrueHeading));
  EXPECT_NEAR(5000, Read(host, kVarAltitude) * 3.28083989501312, 0.01);
  EXPECT_NEAR(0, Read(host, kVarVerticalSpeed), 1e-9) << "levelled off";

  // Disengaging the heading hold keeps the heading.
  s->sendEvent(s->context, kEventHeadingHold, 0);
  s->sendEvent(s->context, kEventSelectHeading, 90);
  Fly(host, 10);
  EXPECT_DOUBLE_EQ(270, Read(host, kVarTrueHeading));
}

TEST(HostCoreTest, SpeedFollowsTheAirspeedOrMachSelection) {
  struct Case { const char* name; uint32_t holdEvent; uint32_t selectEvent; uint32_t value; double knots; } cases[] = {
      {"airspeed", kEventAirspeedHold, kEventSelectAirspeed, 180, 180},
      // Mach 0.5 at 15 degrees Celsius: 0.5 x 661.5 kt.
      {"mach", kEventMachHold, kEventSelectMach, 50, 330.74},
  };
  for (const Case& c : cases) {
    HostCore host(90, AircraftStart{0, 0, 3000, 0, 120});
    Services* s = host.GetServices();
    s->sendEvent(s->context, c.selectEvent, c.value);
    s->sendEvent(s->context, kEventAutopilotMaster, 0);
    s->sendEvent(s->context, c.holdEvent, 0);
    host.Step(5);
    EXPECT_NEAR(130, Read(host, kVarAirspeed), 1e-9) << c.name << ": accelerates gradually";
    host.Step(200);
    EXPECT_NEAR(c.knots, Read(host, kVarAirspeed), 0.01) << c.name;
  }
}

TEST(HostCoreTest, PositionIntegratesGroundSpeedIncludingWindAndRate) {
  HostCore host(90, AircraftStart{0, 0, 3000, 90, 360});
  host.GetAircraft().windSpeed = 60;
  host.GetAircraft().windDirection = 270;  // from the west: a tailwind on an eastbound heading
  host.GetAircraft().simulationRate = 2;
  host.Step(30);  // one simulated minute at 420 kt ground speed = 7 nm
  EXPECT_NEAR(0, Read(host, kVarLatitude), 1e-6);
  const double lonDegrees = Read(host, kVarLongitude) / kLongitudeUnitsPerTurn * 360;
  EXPECT_NEAR(7 * 1852 * 360 / 40007000.0, lonDegrees, 1e-9);
}

// A host at time scale 20 flies, and runs its clock, 20 simulated seconds per real one, and
// reports the scale as its simulation rate.
TEST(HostCoreTest, TimeScaleRunsTheAircraftAndTheClockFaster) {
  HostCore host(90, AircraftStart{0, 0, 3000, 90, 360}, 20);
  const double hour = Read(host, kVarUtcHour), minute = Read(host, kVarUtcMinute);
  host.Step(3);  // one simulated minute at 360 kt = 6 nm
  EXPECT_EQ(20, Read(host, kVarSimulationRate));
  EXPECT_NEAR(6 * 1852 * 360 / 40007000.0, Read(host, kVarLongitude) / kLongitudeUnitsPerTurn * 360, 1e-6);
  EXPECT_EQ(hour * 60 + minute + 1, Read(host, kVarUtcHour) * 60 + Read(host, kVarUtcMinute));
  HostCore unscaled(90, AircraftStart{});
  EXPECT_EQ(1, Read(unscaled, kVarSimulationRate));
}

TEST(HostCoreTest, WestLongitudeIsReportedAboveHalfATurn) {
  HostCore host(90, AircraftStart{10, -20, 1000, 0, 0});
  EXPECT_NEAR(340, Read(host, kVarLongitude) / kLongitudeUnitsPerTurn * 360, 1e-9);
}

TEST(HostCoreTest, RadioEventsUsePackedBcd) {
  HostCore host(80);
  Services* s = host.GetServices();
  s->sendEvent(s->context, kEventCom, 0x2345);
  s->sendEvent(s->context, kEventNav1, 0x1150);
  s->sendEvent(s->context, kEventNav2, 0x0890);
  s->sendEvent(s->context, kEventTransponder, 0x7700);
  EXPECT_EQ(12345, host.GetAircraft().radios.com);
  EXPECT_EQ(11150, host.GetAircraft().radios.nav1);
  EXPECT_EQ(10890, host.GetAircraft().radios.nav2);
  EXPECT_EQ(7700, host.GetAircraft().radios.transponder);
  EXPECT_EQ(0x2345u, ReadBcd(host, kVarCom));
  EXPECT_EQ(0x7700u, ReadBcd(host, kVarTransponder));
}

TEST(HostCoreTest, AdfTunesByBcdPairAndByDigitSteps) {
  {
    HostCore host(70);
    Services* s = host.GetServices();
    // 1234.5 kHz: tenths and thousands in one event, the middle digits in the other.
    s->sendEvent(s->context, kEventAdfExtra, 0x105);
    s->sendEvent(s->context, kEventAdf, 0x234);
    EXPECT_EQ(12345, host.GetAircraft().radios.adf);
    EXPECT_EQ(0x234u, ReadBcd(host, kVarAdf));
    EXPECT_EQ(0x105u, ReadBcd(host, kVarAdfExtra));
  }
  {
    HostCore host(80);
    Services* s = host.GetServices();
    // 352.5 kHz dialled from 1000 kHz.
    s->sendEvent(s->context, kEventAdfReset, 0);
    for (int i = 0; i < 7; ++i) s->sendEvent(s->context, kEventAdfHundredsDown, 0);
    for (int i = 0; i < 5; ++i) s->sendEvent(s->context, kEventAdfTensUp, 0);
    for (int i = 0; i < 2; ++i) s->sendEvent(s->context, kEventAdfUnitsUp, 0);
    for (int i = 0; i < 5; ++i) s->sendEvent(s->context, kEventAdfTenthsUp, 0);
    EXPECT_EQ(3525, host.GetAircraft().radios.adf);
  }
}

TEST(HostCoreTest, EventsCanBeRefusedOrIgnoredPerId) {
  HostCore host(90, AircraftStart{47, 8, 3000, 10, 120});
  host.SetEventAnswer(kEventSelectHeading, EventAnswer::kRefuse);
  host.SetEventAnswer(kEventSelectAltitude, EventAnswer::kIgnore);
  EXPECT_NE(0, host.SendEvent(kEventSelectHeading, 200));
  EXPECT_EQ(0, host.SendEvent(kEventSelectAltitude, 9000));
  EXPECT_EQ(0, host.SendEvent(kEventSelectAirspeed, 150));
  EXPECT_DOUBLE_EQ(10, Read(host, kVarSelectedHeading));
  EXPECT_DOUBLE_EQ(3000, Read(host, kVarSelectedAltitude));
  EXPECT_DOUBLE_EQ(150, Read(host, kVarSelectedAirspeed));
  EXPECT_EQ(3u, host.Events().size()) << "refused and ignored events are logged too";
  host.SetEventAnswer(kEventSelectHeading, EventAnswer::kApply);
  EXPECT_EQ(0, host.SendEvent(kEventSelectHeading, 200));
  EXPECT_DOUBLE_EQ(200, Read(host, kVarSelectedHeading));
}

TEST(HostCoreTest, HeadingSelectorIsMagneticUnderAnEastVariation) {
  HostCore host(90, AircraftStart{47, 8, 3000, 0, 120});
  host.GetAircraft().magneticVariation = 3;
  host.GetAircraft().autopilot.master = true;
  host.GetAircraft().autopilot.headingHold = true;
  host.SendEvent(kEventSelectHeading, 87);
  Fly(host, 60);
  EXPECT_NEAR(90, Read(host, kVarTrueHeading), 1e-9);
}

TEST(HostCoreTest, MovePausesHoldTheAircraftUntilTheMoveIsDone) {
  HostCore host(80, AircraftStart{47, 8, 3000, 90, 120});
  host.SendEvent(kEventPause1, 0);
  Fly(host, 5);
  EXPECT_DOUBLE_EQ(8, host.GetAircraft().longitude);
  host.SendEvent(kEventMoveDone, 0);
  Fly(host, 5);
  EXPECT_GT(host.GetAircraft().longitude, 8.0);
}

TEST(HostCoreTest, RefusesIdsBelowTheEventRangeAndLogsTheRest) {
  HostCore host;
  Services* s = host.GetServices();
  EXPECT_NE(0, s->sendEvent(s->context, 0xFFFF, 1));
  EXPECT_EQ(0, s->sendEvent(s->context, kEventPause1, 0));
  EXPECT_EQ(0, s->sendEvent(s->context, kEventSelectHeading, 123));
  EXPECT_EQ((std::vector<LoggedEvent>{{kEventPause1, 0}, {kEventSelectHeading, 123}}), host.Events());
}

TEST(HostCoreTest, NamedVariableStorageIsSharedAndTheFirstRegistrationKeepsTheName) {
  HostCore host;
  Services* s = host.GetServices();
  int32_t first = 0, second = 0;
  s->registerNamedVariable(s->context, &first, kTypeInt32, "SHARED_FLAG");
  s->registerNamedVariable(s->context, &second, kTypeInt32, "SHARED_FLAG");
  HostVariable v;
  s->lookupNamedVariable(s->context, &v, "SHARED_FLAG");
  ASSERT_EQ(&first, v.storage);
  *static_cast<int32_t*>(v.storage) = 7;  // a gauge writes through the address
  EXPECT_EQ(7, first);
  s->lookupNamedVariable(s->context, &v, "NOBODY");
  EXPECT_EQ(nullptr, v.storage);
  EXPECT_EQ(1u, host.NamedVariableNames().size());
}

TEST(HostCoreTest, UnknownVariablesHaveNoStorage) {
  HostCore host;
  HostVariable v;
  v.id = 9999;
  host.InitVariable(&v);
  EXPECT_EQ(nullptr, v.storage);
  EXPECT_EQ(nullptr, host.ReadVariable(&v));
}

TEST(HostCoreTest, GlobalBlockIsAlignedAndWritesStayInside) {
  HostCore host;
  HostVariable v;
  v.id = kVarGlobalBlock;
  host.InitVariable(&v);
  ASSERT_NE(nullptr, v.storage);
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(v.storage) % kGlobalBlockAlignment);
  const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  struct Case { uint32_t offset; uint16_t count; bool ok; } cases[] = {
      {0, 8, true}, {kGlobalBlockSize - 8, 8, true}, {kGlobalBlockSize - 4, 8, false},
      {kGlobalBlockSize, 0, true}, {0xFFFFFFF8u, 8, false}};
  for (const Case& c : cases)
    EXPECT_EQ(c.ok, host.WriteGlobal(c.offset, c.count, bytes)) << c.offset << "+" << c.count;
  EXPECT_EQ(0, std::memcmp(host.GlobalBlock() + kGlobalBlockSize - 8, bytes, 8));
}

// The position halves as a module writes them, four bytes at a time.
void WriteFixed(HostCore& host, uint32_t offset, double v) {
  const double whole = std::floor(v);
  const auto high = static_cast<int32_t>(whole);
  const auto low = static_cast<uint32_t>((v - whole) * 4294967296.0);
  host.WriteGlobal(offset, 4, &low);
  host.WriteGlobal(offset + 4, 4, &high);
}

TEST(HostCoreTest, WritingThePositionIntoTheGlobalBlockMovesTheAircraft) {
  HostCore host(70, AircraftStart{10, 10, 1000, 0, 0});
  WriteFixed(host, kGlobalLatitude, -33.5 * 40007000 / 360);
  WriteFixed(host, kGlobalLongitude, -70.25 * 1073741824.0 / 90);
  WriteFixed(host, kGlobalAltitude, 500);
  EXPECT_NEAR(-33.5, host.GetAircraft().latitude, 1e-9);
  EXPECT_NEAR(-70.25, host.GetAircraft().longitude, 1e-9);
  EXPECT_NEAR(500, host.GetAircraft().altitude, 1e-9);
  const int32_t apAltitude = static_cast<int32_t>(1000 * 0.3048 * 65536);
  host.WriteGlobal(kGlobalApAltitude70, 4, &apAltitude);
  EXPECT_NEAR(1000, host.GetAircraft().autopilot.selectedAltitude, 0.01);
}

TEST(HostCoreTest, WindIsReportedHalvedOnlyByVersion70) {
  for (int version : {61, 70, 80, 90}) {
    HostCore host(version);
    host.GetAircraft().windSpeed = 20;
    EXPECT_DOUBLE_EQ(version == 70 ? 10 : 20, Read(host, kVarWindSpeed)) << version;
  }
}

using testing::MakeMoveBlock;

TEST(HostCoreTest, MoveBlockArrivesThroughAPipeAndACopyDataCall) {
  const double values[6] = {51.5, -0.5, 2500, 1, 2, 135};
  const auto block = MakeMoveBlock(values);
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  ASSERT_EQ(static_cast<ssize_t>(block.size()), write(fds[1], block.data(), block.size()));
  char text[32];
  std::snprintf(text, sizeof text, "<HA>%08X%08X", static_cast<unsigned>(fds[0]),
                static_cast<unsigned>(getpid()));
  EXPECT_FALSE(HostCore::ReceiveMoveBlock(kMoveCopyDataTag + 1, text, std::strlen(text) + 1));
  const auto target = HostCore::ReceiveMoveBlock(kMoveCopyDataTag, text, std::strlen(text) + 1);
  close(fds[0]);
  close(fds[1]);
  ASSERT_TRUE(target);
  HostCore host;
  host.ApplyMove(*target);
  EXPECT_DOUBLE_EQ(51.5, host.GetAircraft().latitude);
  EXPECT_DOUBLE_EQ(-0.5, host.GetAircraft().longitude);
  EXPECT_NEAR(2500, host.GetAircraft().altitude * 3.28083989501312, 1e-9);
  EXPECT_DOUBLE_EQ(135, host.GetAircraft().heading);
}

TEST(HostCoreTest, RejectsDamagedMoveBlocksAndAnnouncements) {
  const double values[6] = {51.5, -0.5, 2500, 1, 2, 135};
  auto good = MakeMoveBlock(values);
  ASSERT_TRUE(ParseMoveBlock(good.data(), good.size()));
  EXPECT_FALSE(ParseMoveBlock(good.data(), good.size() - 1));
  auto badTag = good;
  badTag[251] = 'X';
  EXPECT_FALSE(ParseMoveBlock(badTag.data(), badTag.size()));
  auto twice = good;
  twice[275 + 14 + 2] = 1;  // index 1 again in the second slot
  EXPECT_FALSE(ParseMoveBlock(twice.data(), twice.size()));
  const double nan[6] = {NAN, 0, 0, 0, 0, 0};
  auto notFinite = MakeMoveBlock(nan);
  EXPECT_FALSE(ParseMoveBlock(notFinite.data(), notFinite.size()));

  EXPECT_FALSE(ParsePipeAnnouncement("<HA>0000000G00000001", 21));
  EXPECT_FALSE(ParsePipeAnnouncement("<HA>0000000100000001", 20)) << "no terminator inside the data";
  const auto a = ParsePipeAnnouncement("<HA>0000001A0000BEEF", 21);
  ASSERT_TRUE(a);
  EXPECT_EQ(0x1Au, a->readHandle);
  EXPECT_EQ(0xBEEFu, a->processId);
  // Another process's descriptor is not ours to read, and of ours only a pipe is.
  char text[32];
  std::snprintf(text, sizeof text, "<HA>%08X%08X", 0u, static_cast<unsigned>(getpid()) + 1);
  EXPECT_FALSE(HostCore::ReceiveMoveBlock(kMoveCopyDataTag, text, std::strlen(text) + 1));
  FILE* file = std::tmpfile();
  ASSERT_NE(nullptr, file);
  std::fwrite(good.data(), 1, good.size(), file);
  std::rewind(file);
  std::snprintf(text, sizeof text, "<HA>%08X%08X", static_cast<unsigned>(fileno(file)),
                static_cast<unsigned>(getpid()));
  EXPECT_FALSE(HostCore::ReceiveMoveBlock(kMoveCopyDataTag, text, std::strlen(text) + 1));
  std::fclose(file);
}

}  // namespace
}  // namespace simhost
