#include "basemaker/app/AreaLocation.h"

#include "platform/win/Codepage.h"

std::vector<std::filesystem::path> CdAreaSearchRoots(const AreaEntry& area,
                                                     const win::DriveTable& drives) {
  const auto table = drives.Drives();
  std::vector<std::filesystem::path> roots;
  auto take = [&](bool cdPass) {
    for (const auto& drive : table) {
      const bool isCd = drive.type == win::DriveType::CdRom;
      if (cdPass != isCd || drive.type == win::DriveType::Remote) continue;
      // Labels come from the system in UTF-8; the area's is cp1252 like all stored text.
      if (!area.cdLabel.empty() && !win::EqualsNoCase(area.cdLabel, win::Utf8ToCp1252(drive.label))) {
        continue;
      }
      roots.push_back(drive.root);
    }
  };
  take(true);
  take(false);
  return roots;
}
