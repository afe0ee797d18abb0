#pragma once
// Windows installations on Linux live in a Wine prefix, whose "dosdevices" folder maps each drive
// letter to a folder: "c:" to "../drive_c", others to mount points. Paths such as
// "C:\Program Files\...\Scenery\Alps" in a scenery configuration copied from Windows, or written
// by the simulator running under Wine, are found through it.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

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

// The Windows user Wine runs a prefix's programs as: the login name of this process's user
// (USER when the password database has no entry); empty when neither names one.
std::string WineUserName();

// The user's application-data folder in a prefix, where Windows programs keep their per-user
// configuration: "users\<user>\AppData\Roaming" on its C: drive (the layout of current Wine),
// else "users\<user>\Application Data" (older Wine); nullopt when the prefix has neither or no
// C: drive.
std::optional<std::filesystem::path> WineAppDataFolder(const std::filesystem::path& prefix, std::string_view user);

// The application-data folder of the user running an installation at `path`: that of its prefix
// (FindWinePrefix, the process's environment), nullopt without a prefix or the folder.
std::optional<std::filesystem::path> AppDataFolderFor(const std::filesystem::path& path);

}  // namespace win
