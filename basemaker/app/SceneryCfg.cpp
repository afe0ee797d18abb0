// Reading and writing the simulator's scenery configuration for CAreaList.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/BuilderSettings.h"
#include "basemaker/app/TextCase.h"
#include "navdb/ProfileFile.h"
#include "platform/win/AtomicFile.h"
#include "platform/win/Codepage.h"
#include "platform/win/WinPath.h"

namespace {

constexpr char kSceneryCfg[] = "Scenery.cfg";
constexpr char kNewSceneryCfg[] = "NewScenery.CFG";
constexpr char kOldSceneryCfg[] = "OldScenery.CFG";
constexpr int kFlattenKeys = 10;

struct WorldTexts {
  const char* title;
  const char* description;
};

WorldTexts DefaultWorldTexts(int simVer) {
  if (simVer == kSimVerOldestFull) {
    return {"FS2000 WORLD",
            "The Flight Simulator 2000 world with its current world scenery and navigational "
            "aids."};
  }
  if (simVer == kSimVer2002) {
    return {"FS2002 WORLD",
            "The Flight Simulator 2002 world with its current world scenery and navigational "
            "aids."};
  }
  return {"FS2004 WORLD",
          "The Flight Simulator 2004 world with its current world scenery and navigational "
          "aids."};
}

// A value or a double-NUL name list, however long: the buffer grows until the text fits.
std::string GetWhole(const CProfileFile& file, const char* section, const char* key) {
  std::vector<char> buffer(1024);
  for (;;) {
    const size_t length = file.GetString(section, key, "", buffer.data(), buffer.size());
    // A value is cut at size - 1 characters, a list at size - 2: only a shorter one is whole.
    if (length + 2 < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::string> SplitNameList(const std::string& list) {
  std::vector<std::string> names;
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find('\0', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::vector<KeyValuePair> ReadPairs(const CProfileFile& file, const std::string& section) {
  std::vector<KeyValuePair> pairs;
  for (auto& key : SplitNameList(GetWhole(file, section.c_str(), nullptr))) {
    std::string value = GetWhole(file, section.c_str(), key.c_str());
    pairs.push_back({std::move(key), std::move(value)});
  }
  return pairs;
}

bool IsNumberedSection(const std::string& name, std::string_view prefix) {
  return StartsWithNoCase(name, prefix) && name.size() > prefix.size() &&
         name[prefix.size()] == '.';
}

// An area section counts only with its title, its state, its folder and a positive layer.
std::optional<AreaEntry> ReadAreaSection(const CProfileFile& file, const std::string& section) {
  const char* s = section.c_str();
  if (GetWhole(file, s, nullptr).empty()) return std::nullopt;
  auto value = [&](const char* key) { return GetWhole(file, s, key); };

  AreaEntry entry;
  const std::string active = value("Active");
  if (active.empty()) return std::nullopt;
  entry.active = win::EqualsNoCase(active, "TRUE");
  entry.title = value("Title");
  if (entry.title.empty()) return std::nullopt;
  std::string location = value("Local");
  entry.remote = location.empty();
  if (location.empty()) location = value("Remote");
  if (location.empty()) return std::nullopt;
  entry.ParsePathValue(location);
  entry.layer = file.GetInt(s, "Layer", 0);
  if (entry.layer <= 0) return std::nullopt;

  entry.required = win::EqualsNoCase(value("Required"), "TRUE");
  entry.textureId = value("Texture_ID");
  entry.group = value("Group");
  entry.groupId = value("GroupID");
  entry.id = value("ID");
  entry.exclude = value("Exclude");
  for (int i = 0; i < kFlattenKeys; ++i) {
    entry.flatten[static_cast<size_t>(i)] = value(("Flatten." + std::to_string(i)).c_str());
  }
  return entry;
}

std::optional<std::filesystem::path> FindConfigFile(const std::filesystem::path& simRoot,
                                                    int simVer) {
  if (simVer < kSimVerNewSceneryFiles) return win::ResolveWinPath(kSceneryCfg, simRoot);
  for (const char* name : {kNewSceneryCfg, kSceneryCfg, kOldSceneryCfg}) {
    if (auto found = win::ResolveWinPath(name, simRoot)) return found;
  }
  return std::nullopt;
}

std::string SectionName(const char* prefix, size_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "%s.%03zu", prefix, number);
  return name;
}

void WriteIfSet(CProfileFile& file, const std::string& section, const char* key,
                const std::string& value) {
  if (!value.empty()) file.WriteString(section.c_str(), key, value.c_str());
}

void WriteAreaSection(CProfileFile& file, const std::string& section, const AreaEntry& entry,
                      int layer) {
  const char* s = section.c_str();
  WriteIfSet(file, section, "Texture_ID", entry.textureId);
  WriteIfSet(file, section, "Group", entry.group);
  WriteIfSet(file, section, "ID", entry.id);
  file.WriteString(s, "Title", entry.title.c_str());
  file.WriteString(s, "Active", entry.active ? "TRUE" : "FALSE");
  file.WriteInt(s, "Layer", layer);
  WriteIfSet(file, section, "GroupID", entry.groupId);
  file.WriteString(s, entry.remote ? "Remote" : "Local", entry.FormatPathValue().c_str());
  if (entry.required) file.WriteString(s, "Required", "TRUE");
  WriteIfSet(file, section, "Exclude", entry.exclude);
  for (int i = 0; i < kFlattenKeys; ++i) {
    WriteIfSet(file, section, ("Flatten." + std::to_string(i)).c_str(),
               entry.flatten[static_cast<size_t>(i)]);
  }
}

// The simulator's read-only flag: a file nobody may write. Cleared so the file can be
// replaced; a failure shows up when the file is written.
void ClearReadOnly(const std::filesystem::path& file) {
  std::error_code ec;
  std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ec);
}

std::string FileError(const std::filesystem::path& file, const std::string& reason) {
  return "cannot write " + file.filename().string() + ": " + reason;
}

// Copies `from` over `to` atomically.
bool CopyOver(const std::filesystem::path& from, const std::filesystem::path& to,
              std::string& error) {
  std::ifstream in(from, std::ios::binary);
  std::ostringstream data;
  if (!(in && data << in.rdbuf())) {
    error = "cannot read " + from.filename().string();
    return false;
  }
  std::error_code ec;
  if (!win::WriteFileAtomically(to, data.view(), &ec)) {
    error = FileError(to, ec.message());
    return false;
  }
  return true;
}

}  // namespace

bool CAreaList::ReadSceneryCfg(const std::filesystem::path& simRoot, int simVer) {
  m_databaseName = "Scenery";
  const WorldTexts world = DefaultWorldTexts(simVer);
  m_worldTitle = world.title;
  m_worldDescription = world.description;

  const auto path = FindConfigFile(simRoot, simVer);
  CProfileFile file;
  if (!path || !file.Load(path->string())) return false;

  std::vector<std::string> seen;
  for (const std::string& section : SplitNameList(GetWhole(file, nullptr, nullptr))) {
    // Lookups reach one section of a name; reading a repeated name again would only duplicate
    // that section.
    bool repeated = false;
    for (const auto& name : seen) repeated = repeated || win::EqualsNoCase(name, section);
    if (repeated) continue;
    seen.push_back(section);

    if (IsNumberedSection(section, "Area")) {
      auto entry = ReadAreaSection(file, section);
      if (!entry) continue;
      auto at = m_entries.begin();
      while (at != m_entries.end() && at->layer >= entry->layer) ++at;
      m_entries.insert(at, std::move(*entry));
    } else if (win::EqualsNoCase(section, "General")) {
      for (auto& pair : ReadPairs(file, section)) m_generalPairs.push_back(std::move(pair));
    } else if (IsNumberedSection(section, "Cache")) {
      auto pairs = ReadPairs(file, section);
      if (!pairs.empty()) m_cacheSections.push_back(std::move(pairs));
    }
  }
  return true;
}

bool CAreaList::WriteSceneryCfg(const std::filesystem::path& simRoot, int simVer,
                                std::string* error) const {
  CProfileFile file;
  for (const auto& pair : m_generalPairs) {
    file.WriteString("General", pair.key.c_str(), pair.value.c_str());
  }
  // The simulator draws higher layers over lower ones: the list's first entry gets the highest.
  for (size_t n = 1; n <= m_entries.size(); ++n) {
    WriteAreaSection(file, SectionName("Area", n), m_entries[m_entries.size() - n],
                     static_cast<int>(n));
  }
  for (size_t i = 0; i < m_cacheSections.size(); ++i) {
    const std::string section = SectionName("Cache", i);
    for (const auto& pair : m_cacheSections[i]) {
      file.WriteString(section.c_str(), pair.key.c_str(), pair.value.c_str());
    }
  }

  std::string reason;
  auto fail = [&](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  const auto sceneryCfg = win::ToNativePath(kSceneryCfg, simRoot);
  std::filesystem::path target = sceneryCfg;
  if (simVer >= kSimVerNewSceneryFiles) {
    // Keep the last two configurations: Scenery.cfg becomes OldScenery.CFG and the previous
    // NewScenery.CFG becomes Scenery.cfg before NewScenery.CFG is replaced.
    target = win::ToNativePath(kNewSceneryCfg, simRoot);
    if (auto newCfg = win::ResolveWinPath(kNewSceneryCfg, simRoot)) {
      ClearReadOnly(*newCfg);
      if (auto oldScenery = win::ResolveWinPath(kSceneryCfg, simRoot)) {
        ClearReadOnly(*oldScenery);
        const auto oldCfg = win::ToNativePath(kOldSceneryCfg, simRoot);
        if (win::ResolveWinPath(kOldSceneryCfg, simRoot)) ClearReadOnly(oldCfg);
        if (!CopyOver(*oldScenery, oldCfg, reason)) return fail(reason);
      }
      if (!CopyOver(*newCfg, sceneryCfg, reason)) return fail(reason);
    }
  } else if (win::ResolveWinPath(kSceneryCfg, simRoot)) {
    ClearReadOnly(target);
  }
  if (target.empty()) return fail("no simulator folder");
  if (!file.Save(target.string())) return fail(FileError(target, "the file cannot be written"));
  return true;
}
