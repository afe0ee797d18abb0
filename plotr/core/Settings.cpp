#include "plotr/core/Settings.h"

#include "platform/profile/Profile.h"
#include "platform/win/Clock.h"
#include "platform/win/FileVersion.h"
#include "platform/win/WinPath.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

CSettings g_Settings;

namespace {

constexpr char kSettings[] = "Settings";
constexpr char kEssential[] = "Essential";

bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if ((x >= 'A' && x <= 'Z' ? x + 32 : x) != (y >= 'A' && y <= 'Z' ? y + 32 : y)) {
      return false;
    }
  }
  return true;
}

int LocalHour(const win::Clock& clock) {
  const std::time_t t = std::chrono::system_clock::to_time_t(clock.Now());
  std::tm local{};
  localtime_r(&t, &local);
  return local.tm_hour;
}

}  // namespace

std::string EncodeBinaryText(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string text;
  text.reserve(2 * size);
  for (size_t i = 0; i < size; ++i) {
    text += static_cast<char>('A' + (bytes[i] & 0x0F));
    text += static_cast<char>('A' + (bytes[i] >> 4));
  }
  return text;
}

bool DecodeBinaryText(std::string_view text, void* data, size_t size) {
  if (text.size() != 2 * size) {
    return false;
  }
  std::string decoded(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    const int low = text[2 * i] - 'A';
    const int high = text[2 * i + 1] - 'A';
    if (low < 0 || low > 15 || high < 0 || high > 15) {
      return false;
    }
    decoded[i] = static_cast<char>(low | (high << 4));
  }
  std::memcpy(data, decoded.data(), size);
  return true;
}

std::string EncodeFontText(const LogFont& font) {
  return EncodeBinaryText(&font, sizeof font);
}

bool DecodeFontText(std::string_view text, LogFont& font) {
  LogFont decoded;
  if (!DecodeBinaryText(text, &decoded, sizeof decoded)) {
    return false;
  }
  decoded.faceName[sizeof decoded.faceName - 1] = '\0';
  font = decoded;
  return true;
}

int CSettings::GetInt(int& cache, std::string_view key, bool reload, int defaultValue) {
  if (reload) {
    cache = profile::GetInt(m_profileFile, kSettings, key, defaultValue);
  }
  return cache;
}

void CSettings::WriteInt(int& cache, std::string_view key, int value) {
  cache = value;
  profile::WriteInt(m_profileFile, kSettings, key, value);
}

bool CSettings::ReadBool(bool& cache, std::string_view key, bool reload, bool defaultValue) {
  if (reload) {
    cache = profile::GetInt(m_profileFile, kSettings, key, defaultValue ? 1 : 0) != 0;
  }
  return cache;
}

void CSettings::WriteBool(bool& cache, std::string_view key, bool value) {
  cache = value;
  profile::WriteInt(m_profileFile, kSettings, key, value ? 1 : 0);
}

const std::string& CSettings::GetString(std::string& cache, std::string_view key, bool reload,
                                        std::string_view defaultText) {
  if (reload) {
    cache = profile::GetString(m_profileFile, kSettings, key, defaultText);
  }
  return cache;
}

void CSettings::WriteString(std::string& cache, std::string_view key, std::string_view text) {
  cache = std::string(text);
  profile::WriteString(m_profileFile, kSettings, key, text);
}

bool CSettings::GetBinary(void* buffer, size_t size, std::string_view key, bool reload) {
  if (!reload) {
    return true;
  }
  return DecodeBinaryText(profile::GetString(m_profileFile, kSettings, key, ""), buffer, size);
}

int CSettings::GetSimVer() {
  if (m_simVer < 0) {
    m_simVer = profile::GetInt(m_profileFile, kEssential, "SimVer", 61);
  }
  return m_simVer;
}

bool CSettings::IsSidStarEditor() const {
  return profile::GetString(m_profileFile, kEssential, "Sid/Star", "") == "YES";
}

std::string CSettings::ReadSidStarServerUrl() const {
  return profile::GetString(m_profileFile, kEssential, "URL1", "");
}

std::string CSettings::GetLastCraft() {
  std::string value;
  return GetString(value, "LastCraft", true, "");
}

void CSettings::WriteLastCraft(std::string_view name) {
  std::string cache;
  WriteString(cache, "LastCraft", name);
}

std::string CSettings::GetLastExportModul() {
  std::string value;
  return GetString(value, "LastExportModul", true, "");
}

void CSettings::WriteLastExportModul(std::string_view name) {
  std::string cache;
  WriteString(cache, "LastExportModul", name);
}

void CSettings::ParseHotKey(std::string_view text, HotKey& hotKey) {
  size_t pos = 0;
  auto next = [&](std::string_view& token) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size()) return false;
    const size_t start = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t') ++pos;
    token = text.substr(start, pos - start);
    return true;
  };
  std::string_view token;
  if (!next(token)) return;
  hotKey.name = std::string(token);
  if (!next(token)) return;
  hotKey.alt = token[0] == '1';
  if (!next(token)) return;
  hotKey.ctrl = token[0] == '1';
  if (!next(token)) return;
  hotKey.shift = token[0] == '1';
}

HotKey CSettings::ReadHotKey(std::string& cache, std::string_view key, bool reload, std::string_view defaultText) {
  GetString(cache, key, reload, defaultText);
  HotKey hotKey;
  ParseHotKey(defaultText, hotKey);
  ParseHotKey(cache, hotKey);
  return hotKey;
}

void CSettings::WriteHotKey(const HotKey& hotKey, std::string& cache, std::string_view key) {
  std::string text = hotKey.name;
  text += hotKey.alt ? " 1" : " 0";
  text += hotKey.ctrl ? " 1" : " 0";
  text += hotKey.shift ? " 1" : " 0";
  WriteString(cache, key, text);
}

HotKey CSettings::GetSwitchKey(bool reload, std::string_view defaultText) {
  return ReadHotKey(m_switchKey, "SwitchKey", reload, defaultText);
}

HotKey CSettings::GetDockingKey(bool reload, std::string_view defaultText) {
  return ReadHotKey(m_dockingKey, "DockingKey", reload, defaultText);
}

HotKey CSettings::GetFlyPlanKey(bool reload, std::string_view defaultText) {
  return ReadHotKey(m_flyPlanKey, "FlyPlanKey", reload, defaultText);
}

LogFont CSettings::GetMapFont(bool reload) {
  if (reload) {
    LogFont font;
    m_mapFont = GetBinary(&font, sizeof font, "MapFont", true) ? font : LogFont{};
    m_mapFont.faceName[sizeof m_mapFont.faceName - 1] = '\0';
  }
  return m_mapFont;
}

void CSettings::SetMapFont(const LogFont& font) {
  m_mapFont = font;
  m_mapFont.faceName[sizeof m_mapFont.faceName - 1] = '\0';
  profile::WriteString(m_profileFile, kSettings, "MapFont", EncodeFontText(m_mapFont));
}

int CSettings::GetColorScheme(bool reload) {
  return GetColorScheme(reload, win::SystemClock());
}

int CSettings::GetColorScheme(bool reload, const win::Clock& clock) {
  const int mode = GetColorMode(reload);
  if (mode == 1) return kSchemeWhite;
  if (mode == 2) return kSchemeBlue;
  if (mode != 0) return kSchemeBlack;

  const int day = GetColorDay(reload);
  const int night = GetColorNight(reload);
  const int nightScheme = GetColorNightMode(reload) != 0 ? kSchemeBlack : kSchemeBlue;
  const int hour = LocalHour(clock);
  if (day < night) {
    return (day <= hour && hour < night) ? kSchemeWhite : nightScheme;
  }
  return (night <= hour && hour < day) ? nightScheme : kSchemeWhite;
}

void CSettings::ResetDisabledWarnings() {
  SetDisableWarningMultiplay(false);
  SetDisableWarningGetSidStar(false);
  SetDisableWarningPutSidStar(false);
}

std::filesystem::path CSettings::FindInFolder(const std::filesystem::path& folder, std::string_view winRelative) const {
  // Configuration files copied from Windows come in any letter case.
  if (auto found = win::ResolveWinPath(winRelative, folder)) {
    return *found;
  }
  return {};
}

bool CSettings::ReadIndicatedAirspeedFromSimulator(int simVer, const std::filesystem::path& simulatorFolder) const {
  auto indicatedFromPrefs = [](const std::filesystem::path& file) {
    // Any text means on unless it starts with '0'; no text means off.
    const std::string v = file.empty() ? std::string() : profile::GetString(file, "PREFS", "INDASPD", "");
    return !v.empty() && v[0] != '0';
  };
  auto indicatedFromRealism = [](const std::filesystem::path& file) {
    const std::string v = file.empty() ? std::string() : profile::GetString(file, "REALISM", "TrueAirspeed", "");
    return v.empty() || !EqualsNoCaseAscii(v, "True");
  };
  switch (simVer) {
    case 61: return indicatedFromPrefs(FindInFolder(simulatorFolder, kSimConfig61));
    case 70: return indicatedFromPrefs(FindInFolder(simulatorFolder, kSimConfig70));
    case 80: return indicatedFromRealism(FindInFolder(simulatorFolder, kSimConfig80));
    case 90:
      if (m_appDataFolder.empty()) {
        return true;
      }
      return indicatedFromRealism(FindInFolder(m_appDataFolder, kSimConfig90));
    default: return true;
  }
}

void CSettings::Load(const std::filesystem::path& executablePath, const std::filesystem::path& simulatorFolder) {
  if (const auto version = win::GetFileVersion(executablePath)) {
    m_simVer = version->major * 10 + version->minor / 10;
    profile::WriteInt(m_profileFile, kEssential, "SimVer", m_simVer);
  }

  GetSwitchKey(true);
  GetDockingKey(true);
  GetFlyPlanKey(true);

  // The simulator's own display setting wins over the options page at every start.
  SetUseIndicatedAirSpeed(ReadIndicatedAirspeedFromSimulator(GetSimVer(), simulatorFolder));

  GetDisableWarningMultiplay(true);
  GetDisableWarningGetSidStar(true);
  GetDisableWarningPutSidStar(true);
  GetHoldingTime(true);
  GetHoldingDist(true);
  GetColorMode(true);
  GetColorDay(true);
  GetColorNight(true);
  GetColorNightMode(true);
  GetUseSound(true);
  GetSpeedLimit(true);
  GetFuelMeasure(true);
  GetPlanCumulativeDist(true);
  GetPlanCumulativeEte(true);
  GetPlanCumulativeFuel(true);
  GetFMCUsesLocalTime(true);
  GetAvionicsAutoMode2(true);
  GetAvionicsAutoHead(true);
  GetAvionicsAutoAlt(true);
  GetAvionicsAutoSpeed(true);
  GetAvionicsAutoNav1(true);
  GetAvionicsAutoNav2(true);
  GetAvionicsAutoAdf(true);
  GetAvionics2AutoHead(true);
  GetAvionics2AutoAlt(true);
  GetAvionics2AutoSpeed(true);
  GetAvionics2AutoNav1(true);
  GetAvionics2AutoNav2(true);
  GetAvionics2AutoAdf(true);
  GetRouteType(true);
  GetRouteSid(true);
  GetRouteStar(true);
  GetRouteVor(true);
  GetRouteNdb(true);
  GetRouteIsec(true);
  GetRouteGps(true);
  GetRouteDistance(true);
  GetMapAirwayL(true);
  GetMapAirwayH(true);
  GetMapAirwayId(true);
  GetMapIsec(true);
  GetMapNdb(true);
  GetMapVor(true);
  GetMapIls(true);
  GetMapCom(true);
  GetMapMarker(true);
  GetMapName(true);
  GetMapId(true);
  GetMapFreq(true);
  GetMapAirport(true);
  GetMapAirportZone(true);
  GetMapAirportName(true);
  GetMapAirportId(true);
  GetMapAirspaceArtcc(true);
  GetMapAirspaceFir(true);
  GetMapAirspaceTransitionHeight(true);
  GetMapBcIls(true);
  GetMapTaxiway(true);
  GetMapFuelarea(true);
  GetMapGrid(true);
  GetMapContinents(true);
  GetMapRivers(true);
  GetMapMountains(true);
  GetMapRoundWorld(true);

  m_routeLabelsShown = true;
  m_planWaypointsOnly = false;
  m_ownAircraftShown = true;
  GetMapFont(true);
  GetMapMPAircraftGS(true);
  GetMapFollowAircraft(true);
  m_multiplayerAircraftShown = true;
  m_upperAirspaceActive = false;
}
