#include "platform/win/WinePrefix.h"

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

}  // namespace win
