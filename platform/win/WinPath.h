#pragma once
// Stored paths keep their Windows form (backslashes, ".\" prefixes, drive letters) and are text
// in code page 1252. They become native paths only here, at the file-system boundary.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// Components at backslashes and slashes; empty components (doubled or trailing separators)
// are dropped. "C:\a\b\" gives {"C:", "a", "b"}.
std::vector<std::string> SplitWinPath(std::string_view path);

// The path with a backslash at its end, added when missing (so "" gives "\").
std::string WithTrailingBackslash(std::string_view path);

// True for paths that name neither a drive nor a root: ".\x", "x\y", "x". False for "",
// "C:\x", "C:x", "\x", "/x".
bool IsRelativeWinPath(std::string_view path);

// `rel` appended to `base` with one backslash between; leading ".\" of `rel` are dropped.
// A `rel` that is not relative is returned unchanged.
std::string JoinWinPath(std::string_view base, std::string_view rel);

// Native roots of drive letters (upper case key), for paths such as "C:\Scenery".
using DriveRoots = std::map<char, std::filesystem::path>;

// Resolve a Windows-form path (relative ones against `base`) component by component,
// case-insensitively, never following symlinks: a symlink counts as missing. "." is skipped and
// ".." steps back one resolved component. A leading backslash or slash starts at the file-system
// root. Drive letters map through `drives`; without a table, or for an unknown letter, and for
// UNC paths the result is nullopt, as it is when some component is missing.
std::optional<std::filesystem::path> ResolveWinPath(std::string_view winPath,
                                                    const std::filesystem::path& base,
                                                    const DriveRoots* drives = nullptr);

// The same for a path the user configured, which may lead through symbolic links (a folder
// linked into the simulator, a drive letter of a Wine prefix): they are followed, a loop counts
// as missing, and the result is the real folder or file with no link left in it, so that a walk
// below it can go on refusing links.
std::optional<std::filesystem::path> ResolveLinkedWinPath(std::string_view winPath,
                                                          const std::filesystem::path& base,
                                                          const DriveRoots* drives = nullptr);

// The same walk through links, but the result names the folder or file the way the path reaches
// it: each link stays in it as a link, only the case of each component comes from the disk. This
// is where the user put it; nullopt where the walk above finds nothing.
std::optional<std::filesystem::path> LocateLinkedWinPath(std::string_view winPath,
                                                         const std::filesystem::path& base,
                                                         const DriveRoots* drives = nullptr);

// Where the file would be created: existing components resolved case-insensitively, the rest
// appended as written (converted to UTF-8). A drive that cannot be mapped yields an empty path.
std::filesystem::path ToNativePath(std::string_view winPath, const std::filesystem::path& base,
                                   const DriveRoots* drives = nullptr);

}  // namespace win
