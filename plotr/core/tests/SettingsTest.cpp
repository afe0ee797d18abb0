#include "plotr/core/Settings.h"

#include "platform/profile/Profile.h"
#include "platform/win/Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("plotr-settings-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
             std::to_string(::getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir / "sim");
    m_cfg = m_dir / "Program.cfg";
    m_settings.SetProfileFile(m_cfg);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::string Stored(const char* section, const char* key) {
    return profile::GetString(m_cfg, section, key, "<missing>");
  }

  fs::path m_dir;
  fs::path m_cfg;
  CSettings m_settings;
};

TEST_F(SettingsTest, FirstStartGivesEveryDefaultAndWritesOnlyDetectedValues) {
  m_settings.Load(FIXTURE_EXE_V6_10, m_dir / "sim");

  EXPECT_EQ(m_settings.GetSimVer(), 61);
  EXPECT_EQ(Stored("Essential", "SimVer"), "61");
  // No simulator configuration: the oldest version's rule reads nothing as true airspeed.
  EXPECT_FALSE(m_settings.GetUseIndicatedAirSpeed(false));
  EXPECT_EQ(Stored("Settings", "UseIndicatedAirSpeed"), "0");
  // Nothing else reaches the file at start-up.
  EXPECT_EQ(profile::GetKeys(m_cfg, "Settings").size(), 1u);
  EXPECT_EQ(profile::GetKeys(m_cfg, "Essential").size(), 1u);

  struct IntCase {
    const char* name;
    int value;
    int expected;
  } ints[] = {
      {"SpeedLimit", m_settings.GetSpeedLimit(false), 1},
      {"FuelMeasure", m_settings.GetFuelMeasure(false), 0},
      {"RouteType", m_settings.GetRouteType(false), 1},
      {"RouteDistance", m_settings.GetRouteDistance(false), 70},
      {"ColorDay", m_settings.GetColorDay(false), 7},
      {"ColorNight", m_settings.GetColorNight(false), 21},
      {"TransitionHeight", m_settings.GetMapAirspaceTransitionHeight(false), 18000},
      {"AvionicsAutoHead", m_settings.GetAvionicsAutoHead(false), 0},
      {"Avionics2AutoHead", m_settings.GetAvionics2AutoHead(false), 1},
      {"Avionics2AutoAlt", m_settings.GetAvionics2AutoAlt(false), 1},
      {"Avionics2AutoSpeed", m_settings.GetAvionics2AutoSpeed(false), 1},
      {"Avionics2AutoNav1", m_settings.GetAvionics2AutoNav1(false), 0},
  };
  for (const auto& c : ints) {
    EXPECT_EQ(c.value, c.expected) << c.name;
  }
  struct BoolCase {
    const char* name;
    bool value;
    bool expected;
  } bools[] = {
      {"UseSound", m_settings.GetUseSound(false), true},
      {"MapAirwayL", m_settings.GetMapAirwayL(false), false},
      {"MapAirwayId", m_settings.GetMapAirwayId(false), true},
      {"MapIsec", m_settings.GetMapIsec(false), false},
      {"MapVor", m_settings.GetMapVor(false), true},
      {"MapIls", m_settings.GetMapIls(false), false},
      {"MapFreq", m_settings.GetMapFreq(false), true},
      {"MapAirportId", m_settings.GetMapAirportId(false), false},
      {"MapBcIls", m_settings.GetMapBcIls(false), true},
      {"MapRoundWorld", m_settings.GetMapRoundWorld(false), true},
      {"MapFollowAircraft", m_settings.GetMapFollowAircraft(false), true},
      {"RouteGps", m_settings.GetRouteGps(false), true},
      {"FMCUsesLocalTime", m_settings.GetFMCUsesLocalTime(false), false},
      {"DisableWarningMultiplay", m_settings.GetDisableWarningMultiplay(false), false},
  };
  for (const auto& c : bools) {
    EXPECT_EQ(c.value, c.expected) << c.name;
  }
  EXPECT_EQ(m_settings.GetHoldingTime(false), "1.5");
  EXPECT_EQ(m_settings.GetHoldingDist(false), "5");
  EXPECT_EQ(m_settings.GetMapFont(false), LogFont{});
  EXPECT_TRUE(m_settings.m_routeLabelsShown);
  EXPECT_FALSE(m_settings.m_upperAirspaceActive);
  EXPECT_EQ(m_settings.GetSwitchKey(false), (HotKey{"F9", false, false, false}));
  EXPECT_EQ(m_settings.GetDockingKey(false), (HotKey{"F9", false, true, false}));
  EXPECT_EQ(m_settings.GetFlyPlanKey(false), (HotKey{"F9", false, false, true}));
}

TEST_F(SettingsTest, StoredValuesWinOverDefaultsAndSettersWriteThrough) {
  WriteFile(m_cfg,
            "[Settings]\r\nSpeedLimit=2\r\nMapIsec=7\r\nAvionics2utoAlt=2\r\nAvionicsAutoMode2=1\r\n"
            "AvionicsAutoAlt=0\r\nHoldingTime=2\r\n");
  m_settings.Load(m_dir / "no-such-executable", m_dir / "sim");

  EXPECT_EQ(m_settings.GetSpeedLimit(false), 2);
  EXPECT_TRUE(m_settings.GetMapIsec(false));  // any non-zero is true
  EXPECT_EQ(m_settings.GetHoldingTime(false), "2");
  EXPECT_EQ(m_settings.GetAutoAltitude(), 2);  // the second set is active

  m_settings.SetAvionicsAutoMode2(false);
  EXPECT_EQ(m_settings.GetAutoAltitude(), 0);
  EXPECT_EQ(Stored("Settings", "AvionicsAutoMode2"), "0");
  m_settings.SetMapIsec(true);
  EXPECT_EQ(Stored("Settings", "MapIsec"), "1");
  m_settings.SetColorNight(22);
  EXPECT_EQ(Stored("Settings", "ColorNight"), "22");

  // The cache answers without the reload flag, even when the file changes underneath.
  profile::WriteInt(m_cfg, "Settings", "SpeedLimit", 0);
  EXPECT_EQ(m_settings.GetSpeedLimit(false), 2);
  EXPECT_EQ(m_settings.GetSpeedLimit(true), 0);

  m_settings.SetDisableWarningGetSidStar(true);
  m_settings.ResetDisabledWarnings();
  EXPECT_FALSE(m_settings.GetDisableWarningGetSidStar(false));
  EXPECT_EQ(Stored("Settings", "DisableWarningGetSidStar"), "0");
}

TEST_F(SettingsTest, SimulatorVersionComesFromTheExecutable) {
  m_settings.Load(FIXTURE_EXE_V9, m_dir / "sim");
  EXPECT_EQ(m_settings.GetSimVer(), 90);
  EXPECT_EQ(Stored("Essential", "SimVer"), "90");

  // Without a readable version the stored value is kept and read on demand.
  CSettings other;
  other.SetProfileFile(m_cfg);
  profile::WriteInt(m_cfg, "Essential", "SimVer", 80);
  other.Load(m_dir / "Program.cfg", m_dir / "sim");
  EXPECT_EQ(other.GetSimVer(), 80);
  EXPECT_EQ(Stored("Essential", "SimVer"), "80");
}

TEST_F(SettingsTest, IndicatedAirspeedFollowsTheSimulatorConfiguration) {
  struct Case {
    const char* name;
    int simVer;
    const char* file;  // relative to the simulator folder, or "appdata:" + relative
    const char* text;
    bool expected;
  } cases[] = {
      {"61 on", 61, "FLTSIM98.CFG", "[PREFS]\r\nINDASPD=1\r\n", true},
      {"61 off", 61, "Fltsim98.cfg", "[PREFS]\r\nINDASPD=0\r\n", false},
      {"61 any text", 61, "Fltsim98.cfg", "[prefs]\r\nindaspd=yes\r\n", true},
      {"61 no key", 61, "Fltsim98.cfg", "[PREFS]\r\n", false},
      {"70 on", 70, "fs2000.cfg", "[PREFS]\r\nINDASPD=1\r\n", true},
      {"80 true airspeed", 80, "FS2002.CFG", "[REALISM]\r\nTrueAirspeed=TRUE\r\n", false},
      {"80 false", 80, "FS2002.cfg", "[REALISM]\r\nTrueAirspeed=False\r\n", true},
      {"80 no file", 80, nullptr, nullptr, true},
      {"90 application data", 90, "appdata:Microsoft/FS9/fs9.cfg", "[REALISM]\r\nTrueAirspeed=True\r\n", false},
      {"90 no file", 90, nullptr, nullptr, true},
      {"unknown version", 75, nullptr, nullptr, true},
  };
  for (const auto& c : cases) {
    fs::remove_all(m_dir);
    fs::create_directories(m_dir / "sim");
    fs::create_directories(m_dir / "appdata");
    profile::WriteInt(m_cfg, "Essential", "SimVer", c.simVer);
    // The user's own choice is overwritten by the simulator's.
    profile::WriteInt(m_cfg, "Settings", "UseIndicatedAirSpeed", c.expected ? 0 : 1);
    if (c.file) {
      std::string rel = c.file;
      if (rel.rfind("appdata:", 0) == 0) {
        WriteFile(m_dir / "appdata" / rel.substr(8), c.text);
      } else {
        WriteFile(m_dir / "sim" / rel, c.text);
      }
    }
    CSettings s;
    s.SetProfileFile(m_cfg);
    s.SetAppDataFolder(m_dir / "appdata");
    s.Load(m_dir / "not-an-executable", m_dir / "sim");
    EXPECT_EQ(s.GetUseIndicatedAirSpeed(false), c.expected) << c.name;
    EXPECT_EQ(Stored("Settings", "UseIndicatedAirSpeed"), c.expected ? "1" : "0") << c.name;
  }
}

TEST_F(SettingsTest, HotKeysFillMissingPartsFromTheDefault) {
  struct Case {
    const char* name;
    const char* stored;
    HotKey expected;
  } cases[] = {
      {"name and alt only", "F5 1", {"F5", true, true, false}},
      {"full text", "3 0 0 1", {"3", false, false, true}},
      {"tabs separate", "F2\t1\t0\t0", {"F2", true, false, false}},
      {"unknown name is kept", "Q 0 1 0", {"Q", false, true, false}},
      {"empty text keeps the default", "", {"F9", false, true, false}},
      {"flag by first character", "F1 10 01 1x", {"F1", true, false, true}},
  };
  for (const auto& c : cases) {
    profile::WriteString(m_cfg, "Settings", "DockingKey", c.stored);
    EXPECT_EQ(m_settings.GetDockingKey(true), c.expected) << c.name;
  }

  // Hot-key texts have no length limit.
  const std::string longName(1000, 'K');
  m_settings.SetSwitchKey({longName, true, false, true});
  EXPECT_EQ(Stored("Settings", "SwitchKey"), longName + " 1 0 1");
  EXPECT_EQ(m_settings.GetSwitchKey(true), (HotKey{longName, true, false, true}));
}

TEST_F(SettingsTest, MapFontRoundTripsAndFallsBackOnBadText) {
  LogFont font;
  font.height = -15;
  font.weight = 700;
  font.italic = 1;
  font.charSet = 0xEE;
  std::snprintf(font.faceName, sizeof font.faceName, "%s", "Courier New");
  m_settings.SetMapFont(font);
  const std::string text = Stored("Settings", "MapFont");
  ASSERT_EQ(text.size(), 120u);
  EXPECT_EQ(text.substr(0, 8), "BPPPPPPP");  // -15 little-endian, low nibble first
  EXPECT_EQ(m_settings.GetMapFont(true), font);

  struct Case {
    const char* name;
    std::string text;
  } bad[] = {
      {"50 bytes", std::string(100, 'A')},
      {"one letter short", text.substr(0, 119)},
      {"letter beyond P", "Q" + text.substr(1)},
      {"lower case", "a" + text.substr(1)},
      {"empty", ""},
  };
  for (const auto& c : bad) {
    profile::WriteString(m_cfg, "Settings", "MapFont", c.text);
    m_settings.SetMapFont(font);
    profile::WriteString(m_cfg, "Settings", "MapFont", c.text);
    EXPECT_EQ(m_settings.GetMapFont(true), LogFont{}) << c.name;
  }

  // A face name that fills all 32 bytes comes back terminated.
  std::string unterminated = EncodeFontText(LogFont{});
  for (size_t i = 28; i < 60; ++i) {
    unterminated[2 * i] = 'C';  // 0x42 'B'
    unterminated[2 * i + 1] = 'E';
  }
  profile::WriteString(m_cfg, "Settings", "MapFont", unterminated);
  const LogFont read = m_settings.GetMapFont(true);
  EXPECT_EQ(std::string(read.faceName), std::string(31, 'B'));
}

TEST_F(SettingsTest, ColorSchemeByModeAndHour) {
  setenv("TZ", "UTC", 1);
  tzset();
  auto at = [](int hour) {
    return win::FakeClock(0, std::chrono::system_clock::time_point(std::chrono::hours(24 * 400 + hour)));
  };
  struct Case {
    const char* name;
    int mode, day, night, nightMode;
    int hour;
    int expected;
  } cases[] = {
      {"white mode", 1, 7, 21, 0, 3, kSchemeWhite},
      {"blue mode", 2, 7, 21, 0, 12, kSchemeBlue},
      {"other mode is black", 5, 7, 21, 0, 12, kSchemeBlack},
      {"default day starts", 0, 7, 21, 0, 7, kSchemeWhite},
      {"default day ends", 0, 7, 21, 0, 20, kSchemeWhite},
      {"default night starts", 0, 7, 21, 0, 21, kSchemeBlue},
      {"default before day", 0, 7, 21, 0, 6, kSchemeBlue},
      {"black night", 0, 7, 21, 1, 23, kSchemeBlack},
      {"day after night: late", 0, 22, 6, 0, 22, kSchemeWhite},
      {"day after night: small hours", 0, 22, 6, 0, 5, kSchemeWhite},
      {"day after night: morning", 0, 22, 6, 0, 6, kSchemeBlue},
      {"day after night: evening", 0, 22, 6, 0, 21, kSchemeBlue},
      {"equal hours are white", 0, 9, 9, 1, 9, kSchemeWhite},
      {"equal hours are white at night", 0, 9, 9, 1, 2, kSchemeWhite},
  };
  for (const auto& c : cases) {
    m_settings.SetColorMode(c.mode);
    m_settings.SetColorDay(c.day);
    m_settings.SetColorNight(c.night);
    m_settings.SetColorNightMode(c.nightMode);
    const auto clock = at(c.hour);
    EXPECT_EQ(m_settings.GetColorScheme(false, clock), c.expected) << c.name;
    EXPECT_EQ(m_settings.GetColorScheme(true, clock), c.expected) << c.name << " (reloaded)";
  }
}

TEST_F(SettingsTest, EssentialKeysAreReadEveryTime) {
  EXPECT_FALSE(m_settings.IsSidStarEditor());
  profile::WriteString(m_cfg, "Essential", "Sid/Star", "yes");
  EXPECT_FALSE(m_settings.IsSidStarEditor());
  profile::WriteString(m_cfg, "Essential", "Sid/Star", "YES");
  EXPECT_TRUE(m_settings.IsSidStarEditor());
  profile::WriteString(m_cfg, "Essential", "URL1", "http://example.invalid/ss/");
  EXPECT_EQ(m_settings.ReadSidStarServerUrl(), "http://example.invalid/ss/");

  m_settings.WriteLastCraft("Boeing 747");
  EXPECT_EQ(m_settings.GetLastCraft(), "Boeing 747");
}

}  // namespace
