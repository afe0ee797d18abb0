#pragma once
#include <filesystem>
#include <string_view>
#include <system_error>

namespace win {

// Writes `data` to a temporary file in the target's folder, flushes it to disk and renames it
// over the target, so readers see either the old or the new file, never a half-written one.
// An existing target's permissions are kept. On failure the target is untouched, the temporary
// file removed, and `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view data,
                         std::error_code* error = nullptr);

}  // namespace win
