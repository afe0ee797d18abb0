#include "navdb/CheckedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CFileException::Cause CauseOf(int osError) {
  switch (osError) {
    case 0:
      return CFileException::none;
    case ENOENT:
      return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return CFileException::badPath;
    case EMFILE:
    case ENFILE:
      return CFileException::tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case ETXTBSY:
      return CFileException::accessDenied;
    case EBADF:
      return CFileException::invalidFile;
    case EBUSY:
      return CFileException::removeCurrentDir;
    case EINVAL:
    case ESPIPE:
    case EOVERFLOW:
      return CFileException::badSeek;
    case EIO:
      return CFileException::hardIO;
    case EWOULDBLOCK:
      return CFileException::sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return CFileException::diskFull;
    default:
      return CFileException::genericException;
  }
}

void Record(CFileException* error, CFileException::Cause cause, int osError, const std::string& name) {
  if (error != nullptr) {
    error->m_cause = cause;
    error->m_osError = osError;
    error->m_fileName = name;
  }
}

void ClearRecord(CFileException* error) {
  if (error != nullptr) {
    error->Clear();
  }
}

int LockFor(unsigned flags) {
  switch (flags & 0x0070) {
    case CCheckedFile::shareExclusive:
    case CCheckedFile::shareDenyRead:
      return LOCK_EX;
    case CCheckedFile::shareDenyWrite:
      return LOCK_SH;
    default:
      return 0;
  }
}

}  // namespace

CCheckedFile::~CCheckedFile() {
  Close(nullptr);
}

void CCheckedFile::Fail(CFileException* error, int osError, CFileException::Cause cause) const {
  Record(error, cause, osError, m_path);
}

bool CCheckedFile::Open(const std::string& path, unsigned flags, CFileException* error) {
  Close(nullptr);
  int access = O_RDONLY;
  if (flags & modeReadWrite) {
    access = O_RDWR;
  } else if (flags & modeWrite) {
    access = O_WRONLY;
  }
  // Truncation waits until the sharing lock is held, so a refused writer destroys nothing.
  const int openFlags = access | O_CLOEXEC | ((flags & modeCreate) ? O_CREAT : 0);

  auto fail = [&](int osError) {
    Record(error, CauseOf(osError), osError, path);
    return false;
  };

  int fd;
  do {
    fd = ::open(path.c_str(), openFlags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return fail(errno);
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int osError = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    return fail(osError);
  }
  if (const int lock = LockFor(flags); lock != 0) {
    int rc;
    do {
      rc = ::flock(fd, lock | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      const int osError = errno;
      ::close(fd);
      return fail(osError);
    }
  }
  if ((flags & modeCreate) && !(flags & modeNoTruncate) && access != O_RDONLY && ::ftruncate(fd, 0) != 0) {
    const int osError = errno;
    ::close(fd);
    return fail(osError);
  }

  m_fd = fd;
  m_path = path;
  Record(error, CFileException::none, -1, std::string());
  return true;
}

bool CCheckedFile::Close(CFileException* error) {
  ClearRecord(error);
  if (m_fd < 0) {
    return true;
  }
  // The descriptor is gone after close() whatever it reports, so it is never retried.
  const int rc = ::close(m_fd);
  const int osError = errno;
  m_fd = -1;
  if (rc != 0 && osError != EINTR) {
    Fail(error, osError, CauseOf(osError));
    m_path.clear();
    return false;
  }
  m_path.clear();
  return true;
}

bool CCheckedFile::SeekToRecord(uint64_t index, uint64_t recordSize, uint64_t offset, CFileException* error) {
  if (index == 0 && offset == 0) {
    return true;
  }
  constexpr uint64_t kMaxPosition = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (recordSize != 0 && index > (kMaxPosition - std::min(offset, kMaxPosition)) / recordSize) {
    Fail(error, EOVERFLOW, CFileException::badSeek);
    return false;
  }
  const uint64_t position = offset + index * recordSize;
  if (position > kMaxPosition || ::lseek(m_fd, static_cast<off_t>(position), SEEK_SET) < 0) {
    const int osError = position > kMaxPosition ? EOVERFLOW : errno;
    Fail(error, osError, CauseOf(osError));
    return false;
  }
  return true;
}

size_t CCheckedFile::Read(void* buffer, size_t count, CFileException* error, uint64_t index, uint64_t recordSize,
                          uint64_t offset) {
  ClearRecord(error);
  if (m_fd < 0) {
    return 0;
  }
  if (!SeekToRecord(index, recordSize, offset, error)) {
    return 0;
  }
  auto* bytes = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(m_fd, bytes + done, count - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail(error, errno, CauseOf(errno));
      return 0;
    }
    if (n == 0) {
      break;
    }
    done += static_cast<size_t>(n);
  }
  return done;
}

bool CCheckedFile::Write(const void* buffer, size_t count, CFileException* error, uint64_t index,
                         uint64_t recordSize, uint64_t offset) {
  ClearRecord(error);
  if (m_fd < 0) {
    Fail(error, EBADF, CFileException::invalidFile);
    return false;
  }
  if (!SeekToRecord(index, recordSize, offset, error)) {
    return false;
  }
  const auto* bytes = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(m_fd, bytes + done, count - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail(error, errno, CauseOf(errno));
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

int64_t CCheckedFile::Seek(int64_t offset, SeekPosition from, CFileException* error) {
  ClearRecord(error);
  if (m_fd < 0) {
    return 0;
  }
  int whence = SEEK_SET;
  if (from == current) {
    whence = SEEK_CUR;
  } else if (from == end) {
    whence = SEEK_END;
  }
  const off_t position = ::lseek(m_fd, static_cast<off_t>(offset), whence);
  if (position < 0) {
    Fail(error, errno, CauseOf(errno));
    return -1;
  }
  return static_cast<int64_t>(position);
}

bool CCheckedFile::Flush(CFileException* error) {
  if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
    // EINVAL/EROFS: a device or pipe that cannot be synced has nothing to flush.
    Fail(error, errno, CauseOf(errno));
    return false;
  }
  ClearRecord(error);
  return true;
}

uint64_t CCheckedFile::GetLength(CFileException* error) {
  if (m_fd < 0) {
    Fail(error, EBADF, CFileException::invalidFile);
    return 0;
  }
  struct stat info {};
  if (::fstat(m_fd, &info) != 0) {
    Fail(error, errno, CauseOf(errno));
    return 0;
  }
  return static_cast<uint64_t>(info.st_size);
}

bool CCheckedFile::Rename(const std::string& oldPath, const std::string& newPath, CFileException* error) {
  ClearRecord(error);
  // A rename never replaces an existing file: renaming onto a name in use is refused so that
  // no other file is lost by it.
  if (::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  int osError = errno;
  if (osError == EINVAL || osError == ENOSYS) {
    // The file system cannot refuse by itself; a hard link refuses an existing name just as
    // well and leaves the file in place until the link exists.
    if (::link(oldPath.c_str(), newPath.c_str()) == 0) {
      if (::unlink(oldPath.c_str()) == 0) {
        return true;
      }
      osError = errno;
      ::unlink(newPath.c_str());
    } else {
      osError = errno;
    }
  }
  Record(error, CauseOf(osError), osError, oldPath);
  return false;
}

bool CCheckedFile::Remove(const std::string& path, CFileException* error) {
  ClearRecord(error);
  if (::unlink(path.c_str()) == 0) {
    return true;
  }
  const int osError = errno;
  Record(error, CauseOf(osError), osError, path);
  return false;
}
