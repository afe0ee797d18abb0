#pragma once

// Plotr's settings cache over "Program.cfg". Load() fills every cached value once at start-up;
// afterwards readers take the cache (reload flag false) and every setter writes through to the
// file at once. Nothing is saved at shutdown. Text is code page 1252.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace win {
class Clock;
}

#pragma pack(push, 1)
// The map label font as the settings file stores it: the 60-byte layout of a Windows LOGFONT.
struct LogFont {
  int32_t height = -11;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 400;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 34;  // variable pitch, Swiss family
  char faceName[32] = "Arial";

  friend bool operator==(const LogFont&, const LogFont&) = default;
};
#pragma pack(pop)
static_assert(sizeof(LogFont) == 60);

// Background colours of every view.
enum ColorScheme : int {
  kSchemeWhite = 0,
  kSchemeBlue = 1,
  kSchemeBlack = 2,
};

// The simulator configuration files that hold the airspeed display setting. The newest
// version keeps its file below the user's application-data folder.
inline constexpr char kSimConfig61[] = "Fltsim98.cfg";
inline constexpr char kSimConfig70[] = "FS2000.cfg";
inline constexpr char kSimConfig80[] = "FS2002.cfg";
inline constexpr char kSimConfig90[] = "Microsoft\\FS9\\FS9.cfg";

// Hot keys as a name ("1".."9", "0", "F1".."F12") and three modifier flags.
struct HotKey {
  std::string name;
  bool alt = false;
  bool ctrl = false;
  bool shift = false;

  friend bool operator==(const HotKey&, const HotKey&) = default;
};

// Binary values in the settings file: each byte as two letters, 'A' + its low nibble, then
// 'A' + its high nibble. Decoding fails unless the text is exactly 2 x size letters 'A'..'P'.
std::string EncodeBinaryText(const void* data, size_t size);
bool DecodeBinaryText(std::string_view text, void* data, size_t size);

// The 120-letter text form of a font.
std::string EncodeFontText(const LogFont& font);
// False unless the text is exactly 120 letters 'A'..'P'. The face name always ends in NUL.
bool DecodeFontText(std::string_view text, LogFont& font);

class CSettings {
 public:
  CSettings() = default;
  virtual ~CSettings() = default;

  // The INI file every access goes to (the module's "Bin" folder + "Program.cfg"); set by the
  // application before Load().
  void SetProfileFile(std::filesystem::path file) { m_profileFile = std::move(file); }
  const std::filesystem::path& GetProfileFile() const { return m_profileFile; }
  // The user's application-data folder, below which the newest simulator keeps its
  // configuration. Empty: it cannot be obtained.
  void SetAppDataFolder(std::filesystem::path folder) { m_appDataFolder = std::move(folder); }

  // Reads every setting; rewrites "SimVer" from the executable's file version and
  // "UseIndicatedAirSpeed" from the simulator's configuration.
  void Load(const std::filesystem::path& executablePath, const std::filesystem::path& simulatorFolder);

  // Generic members (section "Settings").
  int GetInt(int& cache, std::string_view key, bool reload, int defaultValue);
  void WriteInt(int& cache, std::string_view key, int value);
  bool ReadBool(bool& cache, std::string_view key, bool reload, bool defaultValue);
  void WriteBool(bool& cache, std::string_view key, bool value);
  const std::string& GetString(std::string& cache, std::string_view key, bool reload, std::string_view defaultText);
  void WriteString(std::string& cache, std::string_view key, std::string_view text);
  // Without reload: success, nothing changed. With reload: false unless the stored value
  // decodes to exactly `size` bytes, which are then copied to `buffer`.
  bool GetBinary(void* buffer, size_t size, std::string_view key, bool reload);

  // Section "Essential".
  int GetSimVer();
  bool IsSidStarEditor() const;
  std::string ReadSidStarServerUrl() const;

  // Keys without a cache member.
  std::string GetLastCraft();
  void WriteLastCraft(std::string_view name);
  // Display name of the export format used last ("" when none).
  std::string GetLastExportModul();
  void WriteLastExportModul(std::string_view name);

  // Hot keys. ReadHotKey parses the default text first and the stored text over it, so parts
  // missing from the stored text keep the default's values.
  HotKey GetSwitchKey(bool reload, std::string_view defaultText = "F9 0 0 0");
  HotKey GetDockingKey(bool reload, std::string_view defaultText = "F9 0 1 0");
  HotKey GetFlyPlanKey(bool reload, std::string_view defaultText = "F9 0 0 1");
  void SetSwitchKey(const HotKey& key) { WriteHotKey(key, m_switchKey, "SwitchKey"); }
  void SetDockingKey(const HotKey& key) { WriteHotKey(key, m_dockingKey, "DockingKey"); }
  void SetFlyPlanKey(const HotKey& key) { WriteHotKey(key, m_flyPlanKey, "FlyPlanKey"); }
  HotKey ReadHotKey(std::string& cache, std::string_view key, bool reload, std::string_view defaultText);
  void WriteHotKey(const HotKey& hotKey, std::string& cache, std::string_view key);
  // Tokens at blanks and tabs: name, then Alt, Ctrl, Shift ('1' as first character = on).
  // Stops at the first missing token, leaving the later fields as they were.
  static void ParseHotKey(std::string_view text, HotKey& hotKey);

  // The map font; the default font when the stored value is missing or malformed.
  LogFont GetMapFont(bool reload);
  void SetMapFont(const LogFont& font);

  // White, blue or black by "ColorMode", and in automatic mode by the local hour.
  int GetColorScheme(bool reload);
  int GetColorScheme(bool reload, const win::Clock& clock);

  void ResetDisabledWarnings();

  // Holding pattern defaults (text, as the holding dialog edits them).
  std::string GetHoldingTime(bool reload, std::string_view def = "1.5") { return GetString(m_holdingTime, "HoldingTime", reload, def); }
  std::string GetHoldingDist(bool reload, std::string_view def = "5") { return GetString(m_holdingDist, "HoldingDist", reload, def); }
  void SetHoldingTime(std::string_view v) { WriteString(m_holdingTime, "HoldingTime", v); }
  void SetHoldingDist(std::string_view v) { WriteString(m_holdingDist, "HoldingDist", v); }

  // The author the SID/STAR save dialog offers; the dialog reads it fresh at each start.
  std::string GetCreatedBy(bool reload, std::string_view def = "") { return GetString(m_createdBy, "CreatedBy", reload, def); }
  void SetCreatedBy(std::string_view v) { WriteString(m_createdBy, "CreatedBy", v); }

  // Avionics automation: set 1, set 2 and the set that "AvionicsAutoMode2" makes active.
  int GetAvionicsAutoHead(bool r, int d = 0) { return GetInt(m_autoHead[0], "AvionicsAutoHead", r, d); }
  int GetAvionicsAutoAlt(bool r, int d = 0) { return GetInt(m_autoAlt[0], "AvionicsAutoAlt", r, d); }
  int GetAvionicsAutoSpeed(bool r, int d = 0) { return GetInt(m_autoSpeed[0], "AvionicsAutoSpeed", r, d); }
  int GetAvionicsAutoNav1(bool r, int d = 0) { return GetInt(m_autoNav1[0], "AvionicsAutoNav1", r, d); }
  int GetAvionicsAutoNav2(bool r, int d = 0) { return GetInt(m_autoNav2[0], "AvionicsAutoNav2", r, d); }
  int GetAvionicsAutoAdf(bool r, int d = 0) { return GetInt(m_autoAdf[0], "AvionicsAutoAdf", r, d); }
  // The second set's keys are spelled so in every existing settings file.
  int GetAvionics2AutoHead(bool r, int d = 1) { return GetInt(m_autoHead[1], "Avionics2AutoHead", r, d); }
  int GetAvionics2AutoAlt(bool r, int d = 1) { return GetInt(m_autoAlt[1], "Avionics2utoAlt", r, d); }
  int GetAvionics2AutoSpeed(bool r, int d = 1) { return GetInt(m_autoSpeed[1], "Avionics2utoSpeed", r, d); }
  int GetAvionics2AutoNav1(bool r, int d = 0) { return GetInt(m_autoNav1[1], "Avionics2utoNav1", r, d); }
  int GetAvionics2AutoNav2(bool r, int d = 0) { return GetInt(m_autoNav2[1], "Avionics2utoNav2", r, d); }
  int GetAvionics2AutoAdf(bool r, int d = 0) { return GetInt(m_autoAdf[1], "Avionics2utoAdf", r, d); }
  void SetAvionicsAutoHead(int v) { WriteInt(m_autoHead[0], "AvionicsAutoHead", v); }
  void SetAvionicsAutoAlt(int v) { WriteInt(m_autoAlt[0], "AvionicsAutoAlt", v); }
  void SetAvionicsAutoSpeed(int v) { WriteInt(m_autoSpeed[0], "AvionicsAutoSpeed", v); }
  void SetAvionicsAutoNav1(int v) { WriteInt(m_autoNav1[0], "AvionicsAutoNav1", v); }
  void SetAvionicsAutoNav2(int v) { WriteInt(m_autoNav2[0], "AvionicsAutoNav2", v); }
  void SetAvionicsAutoAdf(int v) { WriteInt(m_autoAdf[0], "AvionicsAutoAdf", v); }
  void SetAvionics2AutoHead(int v) { WriteInt(m_autoHead[1], "Avionics2AutoHead", v); }
  void SetAvionics2AutoAlt(int v) { WriteInt(m_autoAlt[1], "Avionics2utoAlt", v); }
  void SetAvionics2AutoSpeed(int v) { WriteInt(m_autoSpeed[1], "Avionics2utoSpeed", v); }
  void SetAvionics2AutoNav1(int v) { WriteInt(m_autoNav1[1], "Avionics2utoNav1", v); }
  void SetAvionics2AutoNav2(int v) { WriteInt(m_autoNav2[1], "Avionics2utoNav2", v); }
  void SetAvionics2AutoAdf(int v) { WriteInt(m_autoAdf[1], "Avionics2utoAdf", v); }
  int GetAutoHeading() const { return m_autoHead[ActiveSet()]; }
  int GetAutoAltitude() const { return m_autoAlt[ActiveSet()]; }
  int GetAutoSpeed() const { return m_autoSpeed[ActiveSet()]; }
  int GetAutoNav1() const { return m_autoNav1[ActiveSet()]; }
  int GetAutoNav2() const { return m_autoNav2[ActiveSet()]; }
  int GetAutoAdf() const { return m_autoAdf[ActiveSet()]; }

  int GetSpeedLimit(bool r, int d = 1) { return GetInt(m_speedLimit, "SpeedLimit", r, d); }
  int GetFuelMeasure(bool r, int d = 0) { return GetInt(m_fuelMeasure, "FuelMeasure", r, d); }
  int GetPlanCumulativeDist(bool r, int d = 0) { return GetInt(m_cumulativeDist, "PlanCumulativeDist", r, d); }
  int GetPlanCumulativeEte(bool r, int d = 0) { return GetInt(m_cumulativeEte, "PlanCumulativeEte", r, d); }
  int GetPlanCumulativeFuel(bool r, int d = 0) { return GetInt(m_cumulativeFuel, "PlanCumulativeFuel", r, d); }
  int GetRouteType(bool r, int d = 1) { return GetInt(m_routeType, "RouteType", r, d); }
  int GetRouteDistance(bool r, int d = 70) { return GetInt(m_routeDistance, "RouteDistance", r, d); }
  int GetColorMode(bool r, int d = 0) { return GetInt(m_colorMode, "ColorMode", r, d); }
  int GetColorDay(bool r, int d = 7) { return GetInt(m_colorDay, "ColorDay", r, d); }
  int GetColorNight(bool r, int d = 21) { return GetInt(m_colorNight, "ColorNight", r, d); }
  int GetColorNightMode(bool r, int d = 0) { return GetInt(m_colorNightMode, "ColorNightMode", r, d); }
  // The key is spelled so in every existing settings file.
  int GetMapAirspaceTransitionHeight(bool r, int d = 18000) { return GetInt(m_transitionHeight, "MapAirspaceTransitionHight", r, d); }
  void SetSpeedLimit(int v) { WriteInt(m_speedLimit, "SpeedLimit", v); }
  void SetFuelMeasure(int v) { WriteInt(m_fuelMeasure, "FuelMeasure", v); }
  void SetPlanCumulativeDist(int v) { WriteInt(m_cumulativeDist, "PlanCumulativeDist", v); }
  void SetPlanCumulativeEte(int v) { WriteInt(m_cumulativeEte, "PlanCumulativeEte", v); }
  void SetPlanCumulativeFuel(int v) { WriteInt(m_cumulativeFuel, "PlanCumulativeFuel", v); }
  void SetRouteType(int v) { WriteInt(m_routeType, "RouteType", v); }
  void SetRouteDistance(int v) { WriteInt(m_routeDistance, "RouteDistance", v); }
  void SetColorMode(int v) { WriteInt(m_colorMode, "ColorMode", v); }
  void SetColorDay(int v) { WriteInt(m_colorDay, "ColorDay", v); }
  void SetColorNight(int v) { WriteInt(m_colorNight, "ColorNight", v); }
  void SetColorNightMode(int v) { WriteInt(m_colorNightMode, "ColorNightMode", v); }
  void SetMapAirspaceTransitionHeight(int v) { WriteInt(m_transitionHeight, "MapAirspaceTransitionHight", v); }

#define CW_SETTINGS_BOOL(Name, member, key, def)                                              \
  bool Get##Name(bool reload, bool d = def) { return ReadBool(member, key, reload, d); }     \
  void Set##Name(bool v) { WriteBool(member, key, v); }
  CW_SETTINGS_BOOL(DisableWarningMultiplay, m_warnMultiplayOff, "DisableWarningMultiplay", false)
  CW_SETTINGS_BOOL(DisableWarningGetSidStar, m_warnGetSidStarOff, "DisableWarningGetSidStar", false)
  CW_SETTINGS_BOOL(DisableWarningPutSidStar, m_warnPutSidStarOff, "DisableWarningPutSidStar", false)
  CW_SETTINGS_BOOL(UseIndicatedAirSpeed, m_indicatedAirspeed, "UseIndicatedAirSpeed", true)
  CW_SETTINGS_BOOL(UseSound, m_sound, "UseSound", true)
  CW_SETTINGS_BOOL(FMCUsesLocalTime, m_fmsLocalTime, "FMCUsesLocalTime", false)
  CW_SETTINGS_BOOL(AvionicsAutoMode2, m_autoMode2, "AvionicsAutoMode2", false)
  CW_SETTINGS_BOOL(RouteSid, m_routeSid, "RouteSid", true)
  CW_SETTINGS_BOOL(RouteStar, m_routeStar, "RouteStar", true)
  CW_SETTINGS_BOOL(RouteVor, m_routeVor, "RouteVor", true)
  CW_SETTINGS_BOOL(RouteNdb, m_routeNdb, "RouteNdb", true)
  CW_SETTINGS_BOOL(RouteIsec, m_routeIsec, "RouteIsec", true)
  CW_SETTINGS_BOOL(RouteGps, m_routeGps, "RouteGps", true)
  CW_SETTINGS_BOOL(MapAirwayL, m_mapAirwayL, "MapAirwayL", false)
  CW_SETTINGS_BOOL(MapAirwayH, m_mapAirwayH, "MapAirwayH", false)
  CW_SETTINGS_BOOL(MapAirwayId, m_mapAirwayId, "MapAirwayId", true)
  CW_SETTINGS_BOOL(MapIsec, m_mapIsec, "MapIsec", false)
  CW_SETTINGS_BOOL(MapNdb, m_mapNdb, "MapNdb", true)
  CW_SETTINGS_BOOL(MapVor, m_mapVor, "MapVor", true)
  CW_SETTINGS_BOOL(MapIls, m_mapIls, "MapIls", false)
  CW_SETTINGS_BOOL(MapCom, m_mapCom, "MapCom", false)
  CW_SETTINGS_BOOL(MapMarker, m_mapMarker, "MapMarker", false)
  CW_SETTINGS_BOOL(MapName, m_mapName, "MapName", false)
  CW_SETTINGS_BOOL(MapId, m_mapId, "MapId", true)
  CW_SETTINGS_BOOL(MapFreq, m_mapFreq, "MapFreq", true)
  CW_SETTINGS_BOOL(MapAirport, m_mapAirport, "MapAirport", true)
  CW_SETTINGS_BOOL(MapAirportZone, m_mapAirportZone, "MapAirportZone", true)
  CW_SETTINGS_BOOL(MapAirportName, m_mapAirportName, "MapAirportName", true)
  CW_SETTINGS_BOOL(MapAirportId, m_mapAirportId, "MapAirportId", false)
  CW_SETTINGS_BOOL(MapBcIls, m_mapBcIls, "MapBcIls", true)
  CW_SETTINGS_BOOL(MapTaxiway, m_mapTaxiway, "MapTaxiway", true)
  CW_SETTINGS_BOOL(MapFuelarea, m_mapFuelarea, "MapFuelarea", true)
  CW_SETTINGS_BOOL(MapGrid, m_mapGrid, "MapGrid", true)
  CW_SETTINGS_BOOL(MapContinents, m_mapContinents, "MapContinents", true)
  CW_SETTINGS_BOOL(MapRivers, m_mapRivers, "MapRivers", true)
  CW_SETTINGS_BOOL(MapMountains, m_mapMountains, "MapMountains", true)
  CW_SETTINGS_BOOL(MapRoundWorld, m_mapRoundWorld, "MapRoundWorld", true)
  CW_SETTINGS_BOOL(MapMPAircraftGS, m_mapMpAircraftGs, "MapMPAircraftGS", true)
  CW_SETTINGS_BOOL(MapAirspaceArtcc, m_mapAirspaceArtcc, "MapAirspaceArtcc", true)
  CW_SETTINGS_BOOL(MapAirspaceFir, m_mapAirspaceFir, "MapAirspaceFir", true)
  CW_SETTINGS_BOOL(MapFollowAircraft, m_mapFollowAircraft, "MapFollowAircraft", true)
#undef CW_SETTINGS_BOOL

  // Flags that live only while the module runs; Load() sets them, nothing stores them.
  bool m_routeLabelsShown = true;
  bool m_planWaypointsOnly = false;
  bool m_ownAircraftShown = true;
  bool m_multiplayerAircraftShown = true;
  bool m_upperAirspaceActive = false;

 private:
  int ActiveSet() const { return m_autoMode2 ? 1 : 0; }
  std::filesystem::path FindInFolder(const std::filesystem::path& folder, std::string_view winRelative) const;
  bool ReadIndicatedAirspeedFromSimulator(int simVer, const std::filesystem::path& simulatorFolder) const;

  std::filesystem::path m_profileFile;
  std::filesystem::path m_appDataFolder;

  int m_simVer = -1;
  bool m_warnMultiplayOff = false;
  bool m_warnGetSidStarOff = false;
  bool m_warnPutSidStarOff = false;
  std::string m_switchKey;
  std::string m_dockingKey;
  std::string m_flyPlanKey;
  std::string m_holdingTime;
  std::string m_holdingDist;
  std::string m_createdBy;
  bool m_indicatedAirspeed = true;
  bool m_sound = true;
  bool m_fmsLocalTime = false;
  bool m_autoMode2 = false;
  // index 0 the first automation set, 1 the second
  int m_autoHead[2] = {0, 1};
  int m_autoAlt[2] = {0, 1};
  int m_autoSpeed[2] = {0, 1};
  int m_autoNav1[2] = {0, 0};
  int m_autoNav2[2] = {0, 0};
  int m_autoAdf[2] = {0, 0};
  int m_speedLimit = 1;
  int m_fuelMeasure = 0;
  int m_cumulativeDist = 0;
  int m_cumulativeEte = 0;
  int m_cumulativeFuel = 0;
  int m_routeType = 1;
  int m_routeDistance = 70;
  bool m_routeSid = true, m_routeStar = true, m_routeVor = true, m_routeNdb = true, m_routeIsec = true,
       m_routeGps = true;
  bool m_mapAirwayL = false, m_mapAirwayH = false, m_mapAirwayId = true, m_mapIsec = false, m_mapNdb = true,
       m_mapVor = true, m_mapIls = false, m_mapCom = false, m_mapMarker = false, m_mapName = false,
       m_mapId = true, m_mapFreq = true, m_mapAirport = true, m_mapAirportZone = true,
       m_mapAirportName = true, m_mapAirportId = false;
  bool m_mapBcIls = true, m_mapTaxiway = true, m_mapFuelarea = true, m_mapGrid = true, m_mapContinents = true,
       m_mapRivers = true, m_mapMountains = true, m_mapRoundWorld = true;
  bool m_mapMpAircraftGs = true;
  bool m_mapAirspaceArtcc = true;
  bool m_mapAirspaceFir = true;
  int m_transitionHeight = 18000;
  int m_colorMode = 0;
  int m_colorDay = 7;
  int m_colorNight = 21;
  int m_colorNightMode = 0;
  LogFont m_mapFont;
  bool m_mapFollowAircraft = true;
};

// The module's one settings object.
extern CSettings g_Settings;
