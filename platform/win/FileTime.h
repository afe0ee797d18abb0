#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>

namespace win {

// 100 ns ticks from 1601-01-01 to 1970-01-01.
inline constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;

// A FILETIME value: 100 ns ticks since 1601. Times before 1601 give 0.
uint64_t FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds);

// The last write time of a file as a FILETIME; the same value on every call for an unchanged
// file. nullopt when the file cannot be examined.
std::optional<uint64_t> GetFileLastWriteTime(const std::filesystem::path& file);

}  // namespace win
