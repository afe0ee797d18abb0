#pragma once
// Windows installations on Linux live in a Wine prefix, whose "dosdevices" folder maps each drive
// letter to a folder: "c:" to "../drive_c", others to mount points. Paths such as
// "C:\Program Files\...\Scenery\Alps" in a scenery configuration copied from Windows, or written
// by the simulator running under Wine, are found through it.
#include <filesystem>
#include <optional>

#include "platform/win/WinPath.h"

namespace win {

// The prefix of an installation at `path`: the nearest folder at or above it that holds a
// "dosdevices" folder; else `winePrefix` (the WINEPREFIX variable) when it holds one; else
// `home`/.wine when that does. Empty texts and null pointers count as unset.
std::optional<std::filesystem::path> FindWinePrefix(const std::filesystem::path& path, const char* winePrefix,
                                                    const char* home);
// The same with the process's WINEPREFIX and HOME.
std::optional<std::filesystem::path> FindWinePrefix(const std::filesystem::path& path);

// The drive letters of a prefix: every "x:" entry of its dosdevices folder that leads to a
// folder, with every symbolic link on the way resolved. Raw device entries ("d::") and entries
// that lead nowhere are left out.
DriveRoots WineDriveRoots(const std::filesystem::path& prefix);

// The drive letters for an installation at `path`: those of its prefix, none without one.
DriveRoots DriveRootsFor(const std::filesystem::path& path);

}  // namespace win
