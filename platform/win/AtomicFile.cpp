#include "platform/win/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace win {

namespace {

bool Fail(std::error_code* error, int code) {
  if (error) *error = std::error_code(code, std::generic_category());
  return false;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

int CreateFileBeside(const std::filesystem::path& target, std::string& tempPath) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  // A hidden name in the same folder keeps the rename on one file system.
  tempPath = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(tempPath.data());
  if (fd < 0) return -1;
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    // New files get the usual permissions rather than mkstemp's private 0600.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  return fd;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view data,
                         std::error_code* error) {
  if (error) error->clear();
  std::string pattern;
  int fd = CreateFileBeside(target, pattern);
  if (fd < 0) return Fail(error, errno);

  bool ok = true;
  int code = 0;
  if (!WriteAll(fd, data) || ::fsync(fd) != 0) {
    ok = false;
    code = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(pattern.c_str(), target.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    ::unlink(pattern.c_str());
    return Fail(error, code);
  }
  return true;
}

}  // namespace win
