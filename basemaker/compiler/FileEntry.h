#pragma once

// One scenery file of an area as the collector lists it, and the operations that load it into
// the area's temporary database.

#include <cstdint>
#include <string>

#include "basemaker/compiler/RecordBase.h"

class CSceneryDatabase;
class CBglNameList;
class BglImage;
struct BglFileRecord;

namespace win {
class AutoResetEvent;
}

struct FileEntry : public CRecordBase {
  // Folder relative to the listed root, Windows form with a trailing backslash ("" for the
  // root itself; for a cabinet member the member's folder part).
  std::string subfolder;
  std::string name;
  uint32_t size = 0;       // low 32 bits
  uint64_t lastWrite = 0;  // FILETIME; for a cabinet member the member's own time
  // Native path of the file, or of the cabinet that holds it.
  std::string fullPath;

  // How the rest of the build tells files apart.
  std::string Identity() const { return subfolder + name; }

  // Loads the entry into `db` (extracting it first when it lives in a cabinet). False when
  // `abortEvent` is signalled after the file.
  bool LoadBglEntry(CSceneryDatabase& db, win::AutoResetEvent* abortEvent) const;
  // Loads the file at the native `path` as this entry's data: one file record with its box,
  // then the points of its parser. Unreadable files add nothing.
  void LoadBglFile(CSceneryDatabase& db, const std::string& path) const;

  // Parsers, given the new file record, the database and the whole file image.
  void ParseSectionBgl(BglFileRecord& record, CSceneryDatabase& db, const uint8_t* image,
                       uint32_t imageSize) const;
  void ParseOldBgl(BglFileRecord& record, CSceneryDatabase& db, const uint8_t* image,
                   uint32_t imageSize) const;

  // Where extracted cabinet members are written (native folder). The build sets it to the
  // program folder's parent; empty means the system's temporary folder.
  static void SetCabinetTempFolder(const std::string& folder);
  static const std::string& GetCabinetTempFolder();
};
