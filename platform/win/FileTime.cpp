#include "platform/win/FileTime.h"

#include <sys/stat.h>

namespace win {

uint64_t FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
  constexpr int64_t kEpochSeconds = 11644473600;
  if (seconds < -kEpochSeconds) return 0;
  return static_cast<uint64_t>(seconds + kEpochSeconds) * 10000000ULL + nanoseconds / 100;
}

std::optional<uint64_t> GetFileLastWriteTime(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return std::nullopt;
  return FileTimeFromUnix(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
}

}  // namespace win
