#pragma once
// The errors of files and archives, with the cause codes of the framework our callers know.
#include <stdexcept>
#include <string>

namespace archive {

class ArchiveException : public std::runtime_error {
 public:
  enum Cause {
    none = 0,
    generic = 1,
    readOnly = 2,   // writing to an archive that loads
    endOfFile = 3,  // reading past the end
    writeOnly = 4,  // reading from an archive that stores
    badIndex = 5,   // a count, offset or format that cannot be right
    badClass = 6,
    badSchema = 7,  // an unknown version or encoding
  };

  ArchiveException(int cause = none, std::string fileName = {});

  int cause;
  std::string fileName;
};

class FileException : public std::runtime_error {
 public:
  enum Cause {
    none = 0,
    generic = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14,
  };

  FileException(int cause = none, int osError = -1, std::string fileName = {});

  // The cause that an operating-system error number stands for.
  static int CauseFromErrno(int error);

  int cause;
  int osError;  // errno, or -1 when there is none
  std::string fileName;
};

}  // namespace archive
