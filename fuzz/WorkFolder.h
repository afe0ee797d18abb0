// A folder of the process's own for targets that must go through files. It is removed when the
// process ends, so seed runs leave nothing behind in the temp directory.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fuzzsupport {

inline std::filesystem::path& WorkFolderPath() {
  static std::filesystem::path path;
  return path;
}

inline void RemoveWorkFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(WorkFolderPath(), ignored);
}

// The first call names and makes the folder; later calls return it whatever their tag.
inline const std::filesystem::path& WorkFolder(const char* tag) {
  static const bool made = [tag] {
    WorkFolderPath() = std::filesystem::temp_directory_path() / (std::string(tag) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(WorkFolderPath());
    // Registered after the path object exists, so it runs while the path is still alive.
    std::atexit(RemoveWorkFolder);
    return true;
  }();
  (void)made;
  return WorkFolderPath();
}

}  // namespace fuzzsupport
