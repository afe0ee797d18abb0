#include "platform/win/WinePrefix.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace fs = std::filesystem;

namespace win {

namespace {

bool HoldsDosDevices(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder / "dosdevices", ec);
}

std::optional<fs::path> Named(const char* text) {
  if (text == nullptr || *text == '\0') return std::nullopt;
  return fs::path(text);
}

}  // namespace

std::optional<fs::path> FindWinePrefix(const fs::path& path, const char* winePrefix, const char* home) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (!ec) {
    for (;;) {
      if (HoldsDosDevices(p)) return p;
      if (!p.has_relative_path()) break;
      p = p.parent_path();
    }
  }
  if (auto prefix = Named(winePrefix); prefix && HoldsDosDevices(*prefix)) return prefix;
  if (auto h = Named(home); h && HoldsDosDevices(*h / ".wine")) return *h / ".wine";
  return std::nullopt;
}

std::optional<fs::path> FindWinePrefix(const fs::path& path) {
  return FindWinePrefix(path, std::getenv("WINEPREFIX"), std::getenv("HOME"));
}

DriveRoots WineDriveRoots(const fs::path& prefix) {
  DriveRoots roots;
  std::error_code ec;
  for (fs::directory_iterator it(prefix / "dosdevices", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0]))) continue;
    std::error_code resolved;
    const fs::path target = fs::canonical(it->path(), resolved);
    if (resolved || !fs::is_directory(target, resolved)) continue;
    roots[static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])))] = target;
  }
  return roots;
}

DriveRoots DriveRootsFor(const fs::path& path) {
  const std::optional<fs::path> prefix = FindWinePrefix(path);
  return prefix ? WineDriveRoots(*prefix) : DriveRoots{};
}

std::string WineUserName() {
  // Wine names the profile folder after the password database's entry first, as it does here.
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name && *entry->pw_name)
    return entry->pw_name;
  const char* user = std::getenv("USER");
  return user != nullptr ? user : "";
}

std::optional<fs::path> WineAppDataFolder(const fs::path& prefix, std::string_view user) {
  // A name that would leave the users folder is no user.
  if (user.empty() || user == "." || user == ".." || user.find_first_of("\\/") != std::string_view::npos)
    return std::nullopt;
  const DriveRoots drives = WineDriveRoots(prefix);
  const auto c = drives.find('C');
  if (c == drives.end()) return std::nullopt;
  const std::string profile = "users\\" + std::string(user) + "\\";
  for (const char* folder : {"AppData\\Roaming", "Application Data"}) {
    std::error_code ec;
    if (auto found = ResolveLinkedWinPath(profile + folder, c->second); found && fs::is_directory(*found, ec))
      return found;
  }
  return std::nullopt;
}

std::optional<fs::path> AppDataFolderFor(const fs::path& path) {
  const std::optional<fs::path> prefix = FindWinePrefix(path);
  return prefix ? WineAppDataFolder(*prefix, WineUserName()) : std::nullopt;
}

}  // namespace win
