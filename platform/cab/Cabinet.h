#pragma once

// Cabinet archives: recognise a cabinet, read its header, and run one copy pass over its
// members (following a spanned set into its later cabinets), in which a handler decides for
// each member whether it is skipped or written to a file of the handler's choosing.
// Paths here are native paths; member names are the archive's own text with backslashes.

#include <cstdint>
#include <string>

namespace cab {

struct CabinetInfo {
  uint32_t size = 0;
  uint16_t folderCount = 0;
  uint16_t fileCount = 0;
  uint16_t setId = 0;
  uint16_t cabinetIndex = 0;
  bool hasReserve = false;
  bool hasPrevious = false;
  bool hasNext = false;
};

struct MemberInfo {
  std::string name;  // "folder\\sub\\file.ext" as stored
  uint32_t size = 0;
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  uint16_t attributes = 0;
};

enum class Error {
  kNone = 0,
  kCabinetNotFound = 1,
  kNotACabinet = 2,
  kCorruptCabinet = 4,
  kAllocFail = 5,
  kTargetFile = 8,
  kWrongCabinet = 10,
  kUserAbort = 11,
};

enum class CopyAction { kSkip, kExtract, kAbort };

class ICopyHandler {
 public:
  virtual ~ICopyHandler() = default;
  // Each cabinet of the run as it is opened; false aborts.
  virtual bool OnCabinetInfo(const std::string& path, const CabinetInfo& info,
                             const std::string& nextName, const std::string& nextDisk);
  // kExtract writes the member to `target` (created or truncated); an empty target skips it.
  virtual CopyAction OnCopyFile(const MemberInfo& member, std::string& target) = 0;
  // After an extracted member was closed and given the member's time; false aborts.
  virtual bool OnFileCopied(const MemberInfo& member, const std::string& target);
  // The next cabinet of a set could not be used from `folder` (missing, no cabinet, or the
  // wrong one): true looks again in the folder left in `folder`. The default gives up.
  virtual bool OnNextCabinet(const std::string& name, const std::string& disk, std::string& folder,
                             Error error);
};

// True when `path` is a cabinet; its header goes to `info` when given.
bool IsCabinet(const std::string& path, CabinetInfo* info = nullptr);

// One copy pass over the members of the cabinet at `path`, and with `followSet` of the later
// cabinets of its set. Members whose names climb out of their folder ("..") or are absolute are
// never offered to the handler. False with `error` set on any failure.
bool Copy(const std::string& path, ICopyHandler& handler, bool followSet, Error* error = nullptr);

// FILETIME (UTC) of a DOS date and time read as local time; 0 when the fields are invalid.
uint64_t DosTimeToFileTime(uint16_t dosDate, uint16_t dosTime);

// False for names with a ".." component, a drive, or a leading separator.
bool IsSafeMemberName(const std::string& name);

// Case-insensitive (ASCII) equality of member names, treating '/' and '\\' alike.
bool SameMemberName(const std::string& a, const std::string& b);

}  // namespace cab
