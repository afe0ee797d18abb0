#include "platform/win/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
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

// At most this many bytes of the target's name go into the temporary name: the whole name
// may already use the folder's limit of 255 bytes.
constexpr size_t kTemporaryNameHead = 32;
constexpr int kTemporaryNameAttempts = 100;
// Links followed before a chain counts as a loop (the kernel's own limit).
constexpr int kMaxLinkHops = 40;

// The first bytes of a name, cut before a UTF-8 continuation byte rather than inside a character.
std::string NameHead(const std::string& name) {
  size_t n = std::min(name.size(), kTemporaryNameHead);
  while (n > 0 && n < name.size() && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

std::string RandomSuffix() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kLetters[pick(random)];
  return suffix;
}

}  // namespace

std::filesystem::path FollowLinks(const std::filesystem::path& target, std::error_code& error) {
  error.clear();
  std::filesystem::path path = target;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    std::error_code status;
    if (!std::filesystem::is_symlink(path, status)) return path;
    std::filesystem::path next = std::filesystem::read_symlink(path, error);
    if (error) return {};
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return {};
}

int CreateFileBeside(const std::filesystem::path& target, std::string& tempPath) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  struct stat old {};
  const bool replaces = ::stat(target.c_str(), &old) == 0;
  const std::string prefix = "." + NameHead(target.filename().string()) + ".";
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    // A hidden name in the same folder keeps the rename on one file system.
    tempPath = (folder / (prefix + RandomSuffix())).string();
    // A new target is created as any new file is, the umask and the folder's default ACL
    // applied by the system, so the process's umask, which other threads use at the same
    // moment, is never changed. A copy of an existing file starts private and then takes the
    // file's own mode.
    const int fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, replaces ? 0600 : 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    if (replaces) ::fchmod(fd, old.st_mode & 07777);
    return fd;
  }
  errno = EEXIST;
  return -1;
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
