#pragma once

// The file class of the database builder and the planner: every operation reports failure by
// its result and, when the caller passes one, an error record, instead of throwing.

#include <cstddef>
#include <cstdint>
#include <string>

// Why a file operation failed. Callers mostly pass no record and look at the result only.
struct CFileException {
  enum Cause {
    none = 0,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,  // the file is not open
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile,
  };

  Cause m_cause = none;
  int m_osError = 0;  // errno of the failing call, 0 when there was none
  std::string m_fileName;

  void Clear() {
    m_cause = none;
    m_osError = 0;
    m_fileName.clear();
  }
};

class CCheckedFile {
 public:
  // Open flags: one access mode, one sharing mode, optionally modeCreate.
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    // Sharing is enforced between openers of the same file with advisory locks: exclusive and
    // deny-read take an exclusive lock, deny-write a shared one, deny-none none at all. So a
    // reader that denies writers keeps an exclusive writer out, and the other way round.
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    // Creates the file when missing and truncates an existing one (unless modeNoTruncate).
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
  };

  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CCheckedFile() = default;
  virtual ~CCheckedFile();
  CCheckedFile(const CCheckedFile&) = delete;
  CCheckedFile& operator=(const CCheckedFile&) = delete;

  // An object that is already open is closed first. `error`, when given, receives the
  // outcome in every case: cause none and OS error -1 on success.
  virtual bool Open(const std::string& path, unsigned flags, CFileException* error = nullptr);

  // True when there was nothing to close.
  virtual bool Close(CFileException* error = nullptr);

  // Bytes read (fewer at the end of the file); 0 when not open or on failure. With a
  // non-zero index or offset the transfer starts at offset + index * recordSize from the
  // start of the file, otherwise at the current position.
  virtual size_t Read(void* buffer, size_t count, CFileException* error = nullptr, uint64_t index = 0,
                      uint64_t recordSize = 0, uint64_t offset = 0);

  // True when all `count` bytes were written; false when not open (cause invalidFile) or on
  // failure. Addressing as for Read.
  virtual bool Write(const void* buffer, size_t count, CFileException* error = nullptr, uint64_t index = 0,
                     uint64_t recordSize = 0, uint64_t offset = 0);

  // The new position; 0 when not open; -1 on failure.
  virtual int64_t Seek(int64_t offset, SeekPosition from, CFileException* error = nullptr);

  // Pushes written data to the disk; true when not open.
  virtual bool Flush(CFileException* error = nullptr);

  // Length in bytes; 0 on failure or when not open (cause invalidFile).
  virtual uint64_t GetLength(CFileException* error = nullptr);

  // Rename refuses to replace an existing file.
  static bool Rename(const std::string& oldPath, const std::string& newPath, CFileException* error = nullptr);
  static bool Remove(const std::string& path, CFileException* error = nullptr);

  bool IsOpen() const { return m_fd >= 0; }
  const std::string& GetFilePath() const { return m_path; }

 private:
  // Moves to offset + index * recordSize when either is non-zero.
  bool SeekToRecord(uint64_t index, uint64_t recordSize, uint64_t offset, CFileException* error);
  void Fail(CFileException* error, int osError, CFileException::Cause cause) const;

  int m_fd = -1;
  std::string m_path;
};
