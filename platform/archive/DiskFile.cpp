#include "platform/archive/DiskFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/win/AtomicFile.h"

namespace archive {

DiskFile::DiskFile(const std::filesystem::path& path, unsigned flags) {
  FileException error(FileException::none, -1, path.string());
  if (!Open(path, flags, &error)) throw error;
}

DiskFile::~DiskFile() { Abort(); }

void DiskFile::ThrowErrno(int error) const {
  throw FileException(FileException::CauseFromErrno(error), error, m_path.string());
}

bool DiskFile::Open(const std::filesystem::path& path, unsigned flags, FileException* error) {
  Abort();
  m_path = path;
  m_lastOperation = 0;
  auto fail = [&](int code) {
    if (error) *error = FileException(FileException::CauseFromErrno(code), code, path.string());
    m_path.clear();
    m_tempPath.clear();
    return false;
  };

  int fd;
  if (flags & modeReplaceOnClose) {
    fd = win::CreateFileBeside(path, m_tempPath);
    if (fd < 0) return fail(errno);
  } else {
    int access = (flags & 3) == modeWrite ? O_WRONLY : (flags & 3) == modeReadWrite ? O_RDWR : O_RDONLY;
    int open = access | O_CLOEXEC;
    if (flags & modeCreate) {
      open |= O_CREAT;
      if (!(flags & modeNoTruncate)) open |= O_TRUNC;
    }
    fd = ::open(path.c_str(), open, 0666);
    if (fd < 0) return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return fail(EISDIR);
    }
  }
  const char* mode = (flags & modeReplaceOnClose) ? "w+b"
                     : (flags & 3) == modeRead    ? "rb"
                                                  : "r+b";
  if ((flags & 3) == modeWrite && !(flags & modeReplaceOnClose)) mode = "wb";
  m_file = ::fdopen(fd, mode);
  if (!m_file) {
    int code = errno;
    ::close(fd);
    if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
    return fail(code);
  }
  return true;
}

size_t DiskFile::Read(void* buffer, size_t count) {
  if (!m_file || count == 0) return 0;
  SwitchTo(1);
  size_t n = std::fread(buffer, 1, count, m_file);
  if (n < count && std::ferror(m_file)) {
    int code = errno;
    std::clearerr(m_file);
    ThrowErrno(code);
  }
  return n;
}

void DiskFile::Write(const void* data, size_t count) {
  if (!m_file) throw FileException(FileException::generic, -1, m_path.string());
  if (count == 0) return;
  SwitchTo(2);
  if (std::fwrite(data, 1, count, m_file) != count) {
    int code = errno;
    std::clearerr(m_file);
    ThrowErrno(code);
  }
}

uint64_t DiskFile::Seek(int64_t offset, SeekFrom from) {
  if (!m_file) throw FileException(FileException::badSeek, -1, m_path.string());
  int whence = from == SeekFrom::begin ? SEEK_SET : from == SeekFrom::current ? SEEK_CUR : SEEK_END;
  if (::fseeko(m_file, static_cast<off_t>(offset), whence) != 0) ThrowErrno(errno);
  m_lastOperation = 0;
  return GetPosition();
}

uint64_t DiskFile::GetPosition() const {
  if (!m_file) return 0;
  off_t position = ::ftello(m_file);
  return position < 0 ? 0 : static_cast<uint64_t>(position);
}

uint64_t DiskFile::GetLength() const {
  if (!m_file) return 0;
  std::fflush(m_file);
  struct stat st {};
  if (::fstat(::fileno(m_file), &st) != 0) ThrowErrno(errno);
  return static_cast<uint64_t>(st.st_size);
}

void DiskFile::SetLength(uint64_t length) {
  if (!m_file) throw FileException(FileException::generic, -1, m_path.string());
  std::fflush(m_file);
  if (::ftruncate(::fileno(m_file), static_cast<off_t>(length)) != 0) ThrowErrno(errno);
}

void DiskFile::SwitchTo(int operation) {
  if (m_lastOperation != 0 && m_lastOperation != operation) ::fseeko(m_file, 0, SEEK_CUR);
  m_lastOperation = operation;
}

void DiskFile::Flush() {
  if (m_file && std::fflush(m_file) != 0) ThrowErrno(errno);
}

void DiskFile::Close() {
  if (!m_file) return;
  std::FILE* file = m_file;
  m_file = nullptr;
  int code = 0;
  if (std::fflush(file) != 0) code = errno;
  if (code == 0 && !m_tempPath.empty() && ::fsync(::fileno(file)) != 0) code = errno;
  if (std::fclose(file) != 0 && code == 0) code = errno;
  if (!m_tempPath.empty()) {
    if (code == 0 && ::rename(m_tempPath.c_str(), m_path.c_str()) != 0) code = errno;
    if (code != 0) ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
  }
  if (code != 0) ThrowErrno(code);
}

void DiskFile::Abort() {
  if (m_file) {
    std::fclose(m_file);
    m_file = nullptr;
  }
  if (!m_tempPath.empty()) {
    ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
  }
}

void DiskFile::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    int code = errno;
    throw FileException(FileException::CauseFromErrno(code), code, from.string());
  }
}

void DiskFile::Remove(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0) {
    int code = errno;
    throw FileException(FileException::CauseFromErrno(code), code, path.string());
  }
}

}  // namespace archive
