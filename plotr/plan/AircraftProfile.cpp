#include "plotr/plan/AircraftProfile.h"

#include "plotr/core/Settings.h"
#include "plotr/plan/Units.h"

#include "platform/profile/Document.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>

namespace {

enum SimVersions { kAllVersions, kBelow80, kFrom80 };

// The keys of a section in the order they are written.
constexpr const char* kKeys[] = {"withoutash",     "climbspeed",   "climbfuel",   "climbrate",
                                 "cruisespeed",    "cruisefuel",   "cruisealtitude", "descentspeed",
                                 "descentfuel",    "descentrate",  "fuelmeasure"};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];

struct DefaultAircraft {
  const char* section;
  SimVersions versions;
  int revision;  // written, and the threshold below which an existing section is rewritten
  int values[kKeyCount];
};

const DefaultAircraft kDefaultAircraftTable[] = {
    {"Airbus A300", kAllVersions, 2, {0, 260, 6000, 2000, 320, 3300, 32000, 140, 800, 2000, 2}},
    {"Airbus A319", kAllVersions, 3, {0, 240, 9000, 1600, 280, 5400, 35000, 140, 1800, 1800, 0}},
    {"Airbus A320", kAllVersions, 2, {0, 260, 6000, 1500, 290, 3300, 32000, 140, 800, 1300, 2}},
    {"Airbus A340", kAllVersions, 2, {0, 260, 2500, 1800, 290, 1400, 32000, 140, 350, 1000, 1}},
    {"Antonov 24RV", kAllVersions, 2, {0, 220, 3300, 1300, 230, 2300, 16000, 100, 1000, 1000, 0}},
    {"Antonov An-22", kAllVersions, 2, {0, 190, 8000, 1800, 200, 4500, 26000, 110, 1200, 1500, 0}},
    {"Antonov An-72 / An-74", kAllVersions, 2, {0, 220, 2500, 1800, 260, 1400, 26000, 100, 350, 1500, 1}},
    {"Antonov An-225", kAllVersions, 2, {0, 240, 2500, 1800, 250, 1400, 32000, 160, 350, 1600, 1}},
    {"ATR-42", kAllVersions, 2, {0, 170, 310, 2000, 180, 340, 23000, 110, 120, 1800, 0}},
    {"ATR-72", kAllVersions, 2, {0, 180, 310, 1800, 190, 340, 23000, 110, 120, 1500, 0}},
    {"Avro RJ 70 / BAe 146-100", kAllVersions, 2, {0, 250, 3200, 2000, 270, 1800, 24000, 110, 500, 1700, 0}},
    {"Avro RJ 85 / BAe 146-200", kAllVersions, 2, {0, 250, 3200, 2000, 270, 1800, 24000, 110, 500, 1700, 0}},
    {"Avro RJ 100 / BAe 146-300", kAllVersions, 2, {0, 250, 3200, 2000, 270, 1800, 24000, 110, 500, 1700, 0}},
    {"BAe Jetstream 31", kAllVersions, 2, {0, 195, 1200, 1700, 200, 850, 15000, 110, 300, 1500, 0}},
    {"Beechcraft Baron 58", kAllVersions, 3, {1, 130, 34, 1000, 140, 20, 14000, 95, 6, 1000, 1}},
    {"Beechcraft King Air 350", kAllVersions, 3, {1, 170, 1500, 1500, 170, 700, 30000, 110, 300, 1000, 0}},
    {"Boeing 377 / KC-97", kAllVersions, 2, {0, 190, 800, 100, 210, 600, 24000, 100, 70, 1000, 1}},
    {"Boeing 707", kAllVersions, 2, {0, 310, 15000, 1800, 340, 6500, 29000, 140, 3000, 1600, 2}},
    {"Boeing 727", kAllVersions, 2, {0, 300, 15000, 1800, 340, 6500, 29000, 130, 3000, 1600, 2}},
    {"Boeing 737", kBelow80, 2, {0, 260, 14500, 1300, 290, 8000, 32000, 140, 2000, 1300, 0}},
    {"Boeing 737", kFrom80, 3, {0, 270, 14000, 3150, 290, 7500, 33000, 140, 3200, 2000, 0}},
    {"Boeing 747", kAllVersions, 3, {0, 270, 36000, 2000, 290, 9600, 35000, 160, 7200, 1600, 0}},
    {"Boeing 757", kAllVersions, 2, {0, 260, 14000, 1500, 290, 8300, 32000, 140, 5200, 1300, 0}},
    {"Boeing 767", kAllVersions, 2, {0, 260, 38000, 1800, 280, 21000, 35000, 140, 5200, 1600, 0}},
    {"Boeing 777", kBelow80, 2, {0, 260, 38000, 2500, 290, 21000, 32000, 140, 5200, 2500, 0}},
    {"Boeing 777", kFrom80, 3, {0, 270, 38000, 2500, 290, 23000, 35000, 150, 5600, 2000, 0}},
    {"Cessna Citation 525", kAllVersions, 2, {0, 210, 3200, 2000, 220, 1800, 31000, 110, 500, 1800, 0}},
    {"Cessna Citation 550", kAllVersions, 2, {0, 210, 3200, 2000, 220, 1800, 31000, 110, 500, 1800, 0}},
    {"Cessna Citation X", kAllVersions, 2, {0, 260, 3200, 2700, 270, 1800, 40000, 110, 500, 2000, 0}},
    {"Cessna C172SP Skyhawk", kAllVersions, 3, {1, 85, 10, 500, 100, 8, 11000, 70, 3, 700, 1}},
    {"Cessna C182S Skylane", kAllVersions, 3, {1, 70, 14, 550, 110, 10, 15000, 70, 5, 700, 1}},
    {"Cessna C182RG Skylane", kAllVersions, 3, {1, 80, 14, 550, 120, 10, 12000, 70, 5, 600, 1}},
    {"Cessna C208 Caravan Amphibian", kAllVersions, 3, {1, 125, 380, 1400, 140, 320, 18000, 90, 150, 1400, 0}},
    {"Cessna C208B Grand Caravan", kAllVersions, 3, {1, 120, 400, 1400, 140, 320, 18000, 90, 150, 1400, 0}},
    {"Concorde", kAllVersions, 2, {0, 250, 2200, 2000, 430, 1300, 55000, 180, 350, 2000, 2}},
    {"Convair 640", kAllVersions, 2, {0, 160, 310, 1500, 220, 220, 15000, 120, 75, 1200, 0}},
    {"DHC-5 Buffalo", kAllVersions, 2, {0, 170, 248, 1200, 210, 188, 10000, 100, 65, 1200, 0}},
    {"DHC-6 Twin Otter", kAllVersions, 2, {0, 130, 248, 1200, 140, 188, 10000, 100, 65, 1200, 0}},
    {"DHC-8 Dash 8-100", kAllVersions, 3, {0, 170, 310, 1500, 190, 340, 22000, 100, 120, 1500, 0}},
    {"DHC-8 Dash 8-300", kAllVersions, 2, {0, 170, 310, 1500, 190, 340, 22000, 100, 120, 1500, 0}},
    {"Dornier 328-110", kAllVersions, 2, {0, 180, 310, 1800, 200, 340, 25000, 100, 120, 1500, 0}},
    {"Douglas DC-3", kAllVersions, 2, {1, 120, 120, 900, 140, 80, 11000, 90, 80, 800, 0}},
    {"Douglas DC-6 / C-118", kAllVersions, 2, {1, 150, 550, 700, 200, 130, 20000, 100, 50, 700, 1}},
    {"Douglas DC-7", kAllVersions, 2, {1, 170, 120, 1100, 230, 80, 18000, 90, 80, 800, 0}},
    {"Embraer EMB-120", kAllVersions, 2, {0, 160, 3800, 1800, 180, 1950, 26000, 110, 650, 1500, 0}},
    {"Embraer EMB-145", kAllVersions, 2, {0, 235, 3800, 2500, 240, 1950, 34000, 120, 650, 2200, 0}},
    {"Focke-Wulf FW 200 Condor", kAllVersions, 2, {1, 115, 600, 850, 140, 360, 15000, 90, 100, 700, 3}},
    {"Fokker F-50", kAllVersions, 2, {0, 160, 780, 1000, 230, 600, 25000, 100, 125, 1300, 2}},
    {"Fokker F-100", kAllVersions, 2, {0, 260, 7500, 2200, 270, 4700, 31000, 110, 1000, 1800, 0}},
    {"Iljushin IL-76", kAllVersions, 2, {0, 260, 1800, 2000, 280, 1000, 34000, 140, 550, 1800, 1}},
    {"Iljushin IL-96", kAllVersions, 2, {0, 260, 2500, 2000, 270, 1400, 36000, 150, 350, 1800, 1}},
    {"Learjet 45", kBelow80, 3, {0, 260, 3200, 1400, 290, 1800, 32000, 140, 500, 1400, 0}},
    {"Learjet 45", kFrom80, 3, {0, 260, 1700, 2600, 280, 1200, 35000, 140, 540, 2000, 0}},
    {"Lockheed C130", kAllVersions, 2, {0, 240, 9000, 1000, 250, 4800, 16000, 120, 1000, 1000, 0}},
    {"Lockheed C-5 Galaxy", kAllVersions, 2, {0, 260, 18000, 1500, 290, 10000, 32000, 160, 2500, 1000, 0}},
    {"Lockheed L-329 Jet Star", kAllVersions, 2, {0, 240, 3200, 1800, 280, 1800, 26000, 110, 500, 1500, 0}},
    {"Lockheed Vega 5B/5C", kAllVersions, 3, {1, 90, 10, 500, 120, 8, 10000, 70, 3, 800, 1}},
    {"Martin 2-0-2", kAllVersions, 2, {1, 180, 300, 450, 200, 150, 12000, 100, 200, 550, 1}},
    {"McDonnell Douglas DC-8", kAllVersions, 2, {0, 280, 1800, 1800, 330, 1000, 30000, 140, 550, 1500, 0}},
    {"McDonnell Douglas DC-9", kAllVersions, 2, {0, 260, 1800, 1800, 300, 1000, 32000, 140, 550, 1500, 0}},
    {"McDonnell Douglas DC-10/30", kAllVersions, 2, {0, 260, 1800, 1800, 280, 1000, 31000, 150, 550, 1500, 0}},
    {"MD 11", kAllVersions, 2, {0, 260, 15000, 1500, 290, 6500, 32000, 160, 3000, 1000, 2}},
    {"MD 83", kAllVersions, 2, {0, 260, 8000, 1500, 290, 4500, 32000, 140, 1200, 1300, 0}},
    {"Mooney Bravo", kAllVersions, 3, {1, 120, 17, 800, 140, 16, 20000, 80, 7, 800, 1}},
    {"Pilatus PC-12", kAllVersions, 2, {0, 145, 3200, 1800, 170, 1800, 17000, 90, 500, 1600, 0}},
    {"Piper PA-18 Super Cub", kAllVersions, 2, {1, 80, 14, 550, 100, 10, 15000, 70, 5, 700, 1}},
    {"Piper Seneca 5", kAllVersions, 2, {1, 125, 28, 800, 140, 22, 15000, 80, 10, 700, 1}},
    {"SAAB-340", kAllVersions, 2, {0, 190, 1300, 1700, 190, 860, 21000, 110, 300, 1700, 0}},
    {"Tupolev Tu-204", kAllVersions, 2, {0, 250, 2500, 1800, 260, 1400, 34000, 140, 350, 1600, 1}},
    {"Yakovlev Yak-40", kAllVersions, 2, {0, 260, 3200, 2000, 280, 1800, 31000, 110, 500, 1800, 0}},
};

// Sections of the same aircraft under an older name, removed before the new one is written.
struct Rename {
  const char* older;
  const char* newer;
};
const Rename kRenames[] = {
    {"KingAir 350", "Beechcraft King Air 350"},
    {"Cessna Skylane", "Cessna C182S Skylane"},
    {"Cessna Skylane RG", "Cessna C182RG Skylane"},
    {"Learjet 45A", "Learjet 45"},
};

// Speeds were once stored as true airspeeds; revision 2 holds indicated ones.
constexpr int kIndicatedRevision = 2;

std::filesystem::path g_profileFolder;
std::mutex g_seedMutex;
bool g_seeded = false;
AircraftProfile g_currentProfile;

// Rounded to tens of knots, as the profile dialog shows speeds.
unsigned RoundToTen(unsigned knots) {
  return (knots + 5) / 10 * 10;
}

void ConvertOldSection(profile::Document& ini, const std::string& section) {
  const int revision = ini.GetInt(section, "revision", 0);
  if (revision == 0) {
    const int cruiseAltitude = ini.GetInt(section, "cruisealtitude", 0);
    const int climb = ini.GetInt(section, "climbspeed", 0);
    ini.SetInt(section, "climbspeed", static_cast<int>(RoundToTen(TasToIas(climb, cruiseAltitude))));
    const int cruise = ini.GetInt(section, "cruisespeed", 0);
    ini.SetInt(section, "cruisespeed", static_cast<int>(RoundToTen(TasToIas(cruise, cruiseAltitude))));
    const int descent = ini.GetInt(section, "descentspeed", 0);
    ini.SetInt(section, "descentspeed", static_cast<int>(RoundToTen(TasToIas(descent, 0))));
    ini.Set(section, "fuelmeasure", "0");
  }
  ini.Set(section, "withoutash", "0");
  ini.SetInt(section, "revision", kIndicatedRevision);
}

void WriteDefaultSection(profile::Document& ini, const DefaultAircraft& row) {
  for (int k = 0; k < kKeyCount; ++k) {
    ini.SetInt(row.section, kKeys[k], row.values[k]);
  }
  ini.SetInt(row.section, "revision", row.revision);
}

bool AppliesTo(const DefaultAircraft& row, int simVer) {
  switch (row.versions) {
    case kBelow80: return simVer < 80;
    case kFrom80: return simVer >= 80;
    default: return true;
  }
}

// The nine performance values with their keys and the values a missing key reads as.
struct ProfileField {
  const char* key;
  int32_t AircraftProfile::*member;
  int missing;
};
constexpr ProfileField kProfileFields[] = {
    {"climbspeed", &AircraftProfile::climbSpeed, 85},        {"climbfuel", &AircraftProfile::climbFuel, 10},
    {"climbrate", &AircraftProfile::climbRate, 500},         {"cruisespeed", &AircraftProfile::cruiseSpeed, 100},
    {"cruisefuel", &AircraftProfile::cruiseFuel, 8},         {"cruisealtitude", &AircraftProfile::cruiseAltitude, 11000},
    {"descentspeed", &AircraftProfile::descentSpeed, 70},    {"descentfuel", &AircraftProfile::descentFuel, 3},
    {"descentrate", &AircraftProfile::descentRate, 700},
};

void ReadSection(const profile::Document& ini, std::string_view section, AircraftProfile& p) {
  p.SetName(section);
  p.SetWithoutAsh((ini.GetInt(section, "withoutash", 1) & 1) != 0);
  for (const ProfileField& f : kProfileFields) {
    p.*f.member = ini.GetInt(section, f.key, f.missing);
  }
  p.SetFuelUnit(ini.GetInt(section, "fuelmeasure", 1));
}

}  // namespace

int CruiseAltitudeCap(const AircraftProfile& profile) {
  return static_cast<int>(std::clamp(profile.cruiseAltitude * 1.2, static_cast<double>(INT32_MIN),
                                     static_cast<double>(INT32_MAX)));
}

std::string_view AircraftProfile::Name() const {
  return std::string_view(name, strnlen(name, sizeof name));
}

void AircraftProfile::SetName(std::string_view text) {
  const size_t n = text.size() < sizeof name - 1 ? text.size() : sizeof name - 1;
  std::memset(name, 0, sizeof name);
  std::memcpy(name, text.data(), n);
}

void SetAircraftProfileFolder(const std::filesystem::path& folder) {
  g_profileFolder = folder;
}

std::filesystem::path AircraftIniPath() {
  return g_profileFolder / kAircraftIniName;
}

AircraftProfile SeedAircraftProfiles(const std::filesystem::path& iniFile, int simVer, std::string_view lastCraft) {
  // One document for the whole pass: the file is read once and written at most once.
  profile::Document ini;
  ini.Load(iniFile);
  const std::string before = ini.ToText();

  for (const std::string& section : ini.SectionNames()) {
    if (ini.GetInt(section, "revision", 0) < kIndicatedRevision) {
      ConvertOldSection(ini, section);
    }
  }

  const bool firstRun = lastCraft.empty();
  for (const DefaultAircraft& row : kDefaultAircraftTable) {
    if (!AppliesTo(row, simVer)) {
      continue;
    }
    if (!firstRun && ini.GetInt(row.section, "revision", 0) >= row.revision) {
      continue;
    }
    for (const Rename& r : kRenames) {
      if (std::strcmp(r.newer, row.section) == 0) {
        ini.DeleteSection(r.older);
      }
    }
    WriteDefaultSection(ini, row);
  }

  if (ini.ToText() != before) {
    ini.Save(iniFile);
  }

  AircraftProfile profile;
  const std::string_view chosen = ini.GetInt(lastCraft, "revision", 0) != 0 ? lastCraft : kDefaultAircraft;
  ReadSection(ini, chosen, profile);
  return profile;
}

bool ReadAircraftSection(const std::filesystem::path& iniFile, std::string_view section, AircraftProfile& profile) {
  profile::Document ini;
  if (!ini.Load(iniFile) || !ini.HasSection(section)) {
    return false;
  }
  auto read = [&](const char* key) -> std::optional<int> {
    const auto text = ini.Get(section, key);
    if (!text || text->empty()) return std::nullopt;
    return ini.GetInt(section, key, 0);
  };
  if (auto v = read("withoutash")) profile.SetWithoutAsh(*v != 0);
  for (const ProfileField& f : kProfileFields) {
    if (auto v = read(f.key)) profile.*f.member = *v;
  }
  if (auto v = read("fuelmeasure")) profile.SetFuelUnit(*v & 3);
  return true;
}

const AircraftProfile& CurrentAircraftProfile() {
  std::lock_guard<std::mutex> lock(g_seedMutex);
  if (!g_seeded) {
    g_currentProfile = SeedAircraftProfiles(AircraftIniPath(), g_Settings.GetSimVer(), g_Settings.GetLastCraft());
    g_seeded = true;
  }
  return g_currentProfile;
}

void ResetAircraftProfileSeeding() {
  std::lock_guard<std::mutex> lock(g_seedMutex);
  g_seeded = false;
  g_currentProfile = AircraftProfile{};
}
