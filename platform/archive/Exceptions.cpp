#include "platform/archive/Exceptions.h"

#include <cerrno>
#include <cstring>

namespace archive {

namespace {

std::string ArchiveMessage(int cause, const std::string& fileName) {
  static const char* const kNames[] = {"no error",      "archive error", "archive is read-only",
                                       "end of file",   "archive is write-only",
                                       "bad index",     "bad class",     "bad schema"};
  const char* name = cause >= 0 && cause < 8 ? kNames[cause] : "archive error";
  return fileName.empty() ? std::string(name) : fileName + ": " + name;
}

std::string FileMessage(int osError, const std::string& fileName) {
  std::string reason = osError > 0 ? std::strerror(osError) : "file error";
  return fileName.empty() ? reason : fileName + ": " + reason;
}

}  // namespace

ArchiveException::ArchiveException(int cause_, std::string fileName_)
    : std::runtime_error(ArchiveMessage(cause_, fileName_)), cause(cause_), fileName(std::move(fileName_)) {}

FileException::FileException(int cause_, int osError_, std::string fileName_)
    : std::runtime_error(FileMessage(osError_, fileName_)),
      cause(cause_),
      osError(osError_),
      fileName(std::move(fileName_)) {}

int FileException::CauseFromErrno(int error) {
  switch (error) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST: return accessDenied;
    case EBUSY: return sharingViolation;
    case ESPIPE:
    case EINVAL:
    case EOVERFLOW: return badSeek;
    case EIO: return hardIO;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    default: return generic;
  }
}

}  // namespace archive
