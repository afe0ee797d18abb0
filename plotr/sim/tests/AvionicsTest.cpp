// The avionics bars' rules: what they show from the snapshot, what a commit sends, the edit
// field's states and the frequency picker's lines.

#include "plotr/sim/Avionics.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace {

using namespace avionics;

TEST(Avionics, CommitsCheckRoundAndSend) {
  struct Case {
    int field;
    const char* text;
    int simVer;
    int message;
    std::vector<SimEvent> events;
  } cases[] = {
      {kCom, "118.025", 90, 6404, {}},            // rounds to 118.03: not a channel
      {kCom, "136.975", 90, 6404, {}},            // rounds to 136.98: above the band
      {kCom, "121.5", 90, 0, {{0x100AB, 0x2150}}},
      {kNav1, "113.90", 90, 0, {{0x100AC, 0x1390}}},
      {kNav2, "113.92", 90, 6405, {}},
      {kNav2, "108.05xyz", 90, 0, {{0x100AD, 0x0805}}},  // the rest of the text is ignored
      {kNav1, "7E306", 90, 6405, {}},             // rounds to infinity: no digit to check
      {kTransponder, "7700", 90, 0, {{0x100B3, 0x7700}}},
      {kTransponder, "7800", 90, 6407, {}},
      {kTransponder, "99999", 90, 6407, {}},
      {kHeading, "365", 90, 0, {{0x101FA, 5}}},
      {kVerticalSpeed, "-1250", 90, 0, {{0x101F4, static_cast<uint32_t>(-1300)}}},
      {kVerticalSpeed, "-730", 90, 0, {{0x101F4, static_cast<uint32_t>(-750)}}},
      {kAltitude, "4950", 90, 0, {{0x1024C, 5000}, {0x10164, 0}, {0x10165, 0}}},
      {kAltitude, "4950", 70, 0, {}},
      {kSpeed, "254", 90, 0, {{0x101F5, 250}}},
      {kMach, "0.786", 90, 0, {{0x101F6, 79}}},
      // Hundredths that binary floating point holds just below the whole number.
      {kMach, "0.29", 90, 0, {{0x101F6, 29}}},
      {kMach, "0.57", 90, 0, {{0x101F6, 57}}},
      {kMach, "0.58", 90, 0, {{0x101F6, 58}}},
      {kMach, "0.60", 90, 0, {{0x101F6, 60}}},
      {kMach, "0.79", 90, 0, {{0x101F6, 79}}},
      {kNav1Course, "721", 90, 0, {{0x100B4, 1}}},
      {kAdf, "199.9", 90, 6406, {}},
  };
  for (const Case& c : cases) {
    const Commit commit = CommitField(c.field, c.text, c.simVer);
    EXPECT_EQ(c.message == 0, commit.accepted) << c.field << " " << c.text;
    EXPECT_EQ(c.message, commit.message) << c.field << " " << c.text;
    EXPECT_EQ(c.events, commit.events) << c.field << " " << c.text;
  }
  const Commit altitude = CommitField(kAltitude, "4950", 70);
  EXPECT_EQ(2000, altitude.globalOffset);
  EXPECT_EQ(static_cast<int32_t>(5000 * 0.3048 * 65536), altitude.globalValue);
  EXPECT_EQ(2004, CommitField(kAltitude, "4950", 61).globalOffset);
  EXPECT_EQ(5000.0, altitude.shown);
  EXPECT_EQ(0.57, CommitField(kMach, "0.57", 90).shown);
  EXPECT_EQ(352.5f, CommitField(kAdf, "352.5", 80).adf);
  EXPECT_EQ(0.0, LeadingNumber("no number"));
}

TEST(Avionics, NumbersAreReadAndWrittenInTheCLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C.UTF-8");
  EXPECT_EQ("121.50", FormatValue("%03.2f", 121.5));
  EXPECT_EQ(113.9, LeadingNumber("113.90"));
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ("0000", FormatValue("%04.0f", std::numeric_limits<double>::quiet_NaN()));
}

TEST(Avionics, WithoutAnAutopilotItsFieldsShowZeroAndAreDisabled) {
  SimSnapshot s{};
  s.com = 12150;
  s.nav1 = 11390;
  s.adf = 3525;
  s.transponder = 7000;
  s.selectedHeading = 270;
  s.autopilotMaster = true;
  s.nav1Available = true;
  s.trueHeading = 359.8;
  s.magneticVariation = 0.5;
  s.indicatedAltitude = 4996;
  s.airspeedRead = 122.4;
  s.verticalSpeed = -730;
  const BarState b = StateOf(s);
  const auto value = [&](int id) {
    for (const auto& [i, v] : b.values)
      if (i == id) return v;
    return -1.0;
  };
  const auto enabled = [&](int id) {
    for (const auto& [i, e] : b.enabled)
      if (i == id) return e;
    return true;
  };
  EXPECT_EQ(121.5, value(kCom));
  EXPECT_EQ(113.9, value(kNav1));
  EXPECT_EQ(0.0, value(kNav2)) << "no NAV2 radio";
  EXPECT_EQ(352.5, value(kAdf));
  EXPECT_EQ(0.0, value(kHeading)) << "no autopilot";
  EXPECT_FALSE(enabled(kHeading));
  EXPECT_FALSE(enabled(kAutopilot));
  EXPECT_TRUE(enabled(kNav1));
  for (const auto& [id, on] : b.checks) EXPECT_FALSE(on) << id;
  EXPECT_EQ("0", b.headingText);
  EXPECT_EQ("5000", b.altitudeText);
  EXPECT_EQ("120", b.speedText);
  EXPECT_EQ("-750", b.verticalSpeedText);
}

TEST(Avionics, SpeedHoldArmsFirstAndAProfileWithoutItSendsNothing) {
  EXPECT_EQ((std::vector<SimEvent>{{kArmAutothrottle, 0}, {0x10163, 0}}), ButtonEvents(kSpeedHold, false, false));
  EXPECT_EQ((std::vector<SimEvent>{{0x1017B, 0}}), ButtonEvents(kMachHold, true, false));
  EXPECT_TRUE(ButtonEvents(kSpeedHold, false, true).empty());
  EXPECT_EQ((std::vector<SimEvent>{{0x1002C, 0}}), ButtonEvents(kAutopilot, false, true));
}

TEST(Avionics, TheEditFieldKeepsTypedTextFromTheSimulator) {
  CPilotEditState com(*FieldOf(kCom));
  EXPECT_EQ("121.50", com.SetValue(121.5));
  com.BeginEdit();
  EXPECT_FALSE(com.SetValue(122.8)) << "typing is not overwritten";
  EXPECT_EQ("122.80", com.Abandon()) << "Escape shows the latest value";
  EXPECT_FALSE(com.Allows('a'));
  EXPECT_TRUE(com.Allows('.'));
  EXPECT_TRUE(com.Allows(8)) << "Backspace always";
  EXPECT_EQ("121.500000", CPilotEditState::DropText(121.5f));
  CPilotEditState adf(*FieldOf(kAdf));
  adf.SetFormat("%06.1f", 6);
  EXPECT_EQ("0352.5", adf.SetValue(352.5));
}

TEST(Avionics, PickerGroupsByKindAndLeavesUnknownKindsOut) {
  std::vector<FrequencyEntry> entries(4);
  entries[0].type = 32;
  entries[0].frequency = 118.1f;
  entries[1].type = 1;
  entries[1].frequency = 128.5f;
  entries[2].type = 7;  // not a kind the picker knows
  entries[2].frequency = 121.5f;
  entries[3].type = 32;
  entries[3].frequency = 119.7f;
  const auto lines = PickerLines(entries);
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("ATIS Frequency:\t128.50", lines[0].text);
  EXPECT_EQ(1, lines[0].index);
  EXPECT_EQ("Tower Frequency:\t118.10", lines[1].text);
  EXPECT_EQ(0, lines[1].index);
  EXPECT_EQ(3, lines[2].index);
  EXPECT_EQ("Frequency", KindName(7));
}

}  // namespace
