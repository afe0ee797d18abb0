#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace win {

// Creates and opens (read-write) a temporary file with a short hidden name in the folder of
// `target`, with the permissions the target has or, for a new target, those a new file would
// get. Returns the file descriptor and sets `tempPath`, or -1 with errno set.
int CreateFileBeside(const std::filesystem::path& target, std::string& tempPath);

// The file that writing to `target` changes: `target` itself, or, when it is a symbolic link,
// the path it leads to through every further link (relative links taken from their own
// folder; the end need not exist). Renaming a new file over that path keeps the links. An
// unreadable link or a loop gives an empty path and sets `error`.
std::filesystem::path FollowLinks(const std::filesystem::path& target, std::error_code& error);

// Writes `data` to a temporary file in the target's folder, flushes it to disk and renames it
// over the target, so readers see either the old or the new file, never a half-written one.
// An existing target's permissions are kept. On failure the target is untouched, the temporary
// file removed, and `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view data,
                         std::error_code* error = nullptr);

}  // namespace win
