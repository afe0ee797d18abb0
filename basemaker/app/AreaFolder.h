#pragma once

// The folder side of the area dialog without its window: how a chosen folder is stored in an
// area, whether it holds scenery, where a disc area's folder is on this machine, and which
// folders the browser offers.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "basemaker/app/AreaEntry.h"
#include "platform/win/Drives.h"
#include "platform/win/WinPath.h"

struct StoredFolder {
  std::string text;  // the path value as stored (cp1252): "[LABEL]rest", ".\", "a\b", "\x\y"
  bool onCd = false;
};

// A folder on a CD-ROM mount is stored as its volume label in brackets and the path below the
// mount ("\" for the mount itself); below the simulator root as the relative Windows form (".\"
// for the root itself); below the folder of a drive letter (`driveRoots`, may be null) as that
// letter and the path below it, the deepest such folder winning; elsewhere as the full path with
// backslashes. A folder reached through a link is stored the way it was reached, so the link
// stays in the stored text.
StoredFolder StoredFolderOf(const std::filesystem::path& folder, const std::filesystem::path& simRoot,
                            const win::DriveTable& drives, const win::DriveRoots* driveRoots = nullptr);

// True when the folder, or else its "scenery" subfolder, holds a "*.bgl" file. Names compare
// without regard to case: scenery copied from Windows keeps its capitals.
bool FolderHasBgl(const std::filesystem::path& folder);

// Where a disc area's folder is: below the first CD-ROM mount whose label matches the area's
// (any CD-ROM mount when the area has none). Nullopt when no disc or no such folder is there.
std::optional<std::filesystem::path> FindCdAreaFolder(const AreaEntry& area, const win::DriveTable& drives);

// Where any other area's folder is, resolved against the simulator root, drive letters through
// `drives`, named the way its stored path reaches it (links stay links, so the browser opens on
// the folder where the user put it); nullopt when missing.
std::optional<std::filesystem::path> FindAreaFolder(const AreaEntry& area, const std::filesystem::path& simRoot,
                                                    const win::DriveRoots* drives = nullptr);

// True when the two name the same folder, through links or not.
bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b);

// The folders the browser offers below `folder`, sorted by name: no hidden folders, and links
// only where they lead to a folder (the build follows them, so every folder offered resolves).
// An unreadable folder has none.
std::vector<std::filesystem::path> BrowsableSubfolders(const std::filesystem::path& folder);
