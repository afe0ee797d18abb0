#pragma once

// Gathers the scenery files of one area into its ordered file list: a folder on disk, a folder
// or cabinet on a disc found by its volume label, a cabinet standing where the folder was
// expected, or the program folder's navigation text files.

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "basemaker/compiler/FileEntryList.h"
#include "basemaker/compiler/RouteSortItem.h"
#include "platform/win/WinPath.h"

struct AreaEntry;
class CSceneryDatabase;
struct IndexRange;

namespace win {
class AutoResetEvent;
class DriveTable;
}

class CAreaScanner {
 public:
  CAreaScanner();
  virtual ~CAreaScanner() = default;

  // Where relative area paths (".\Scenery\...") start: the simulator's root folder.
  void SetBaseFolder(const std::filesystem::path& base) { m_base = base; }
  // Native roots of the drive letters of absolute area paths; none by default.
  void SetDriveRoots(const win::DriveRoots* roots) { m_driveRoots = roots; }
  // Drives searched for disc areas; the machine's mounted volumes by default.
  void SetDriveTable(const win::DriveTable* drives) { m_drives = drives; }
  // The folder that holds the navigation text files.
  void SetProgramFolder(const std::filesystem::path& folder) { m_programFolder = folder; }

  bool CollectAreaFolder(const AreaEntry& area);
  bool CollectAreaFromDrives(const AreaEntry& area);
  // Lists "*.bgl" of the Windows-form root + subfolder; with `recurse` every folder below too.
  void ListBglFiles(const std::string& root, const std::string& subfolder, bool recurse);
  // Lists the ".bgl" members of every cabinet the Windows-form `path` matches (".cab" added when
  // missing, wildcards allowed in its last part), in caseless name order; false when none is a
  // readable cabinet.
  bool ListCabinet(const std::string& path);
  void AddNavTextFiles();
  void AddAirspaceFile();

  // ---- Compiling the collected area (AreaCompiler.cpp) ----
  // Called by long passes to tell the main window that the build is alive.
  void SetHeartbeat(std::function<void()> heartbeat) { m_heartbeat = std::move(heartbeat); }
  // Adds the area to `main`: copied from `cache` when the cache holds it built from the same
  // files, else read, thinned out and merged. False (and `main` unchanged) when the build is to
  // stop: abort signalled or a reader failed.
  bool CompileArea(CSceneryDatabase& main, const CSceneryDatabase& cache,
                   win::AutoResetEvent* abortEvent);
  // Reads, thins out and links the area into a database of its own, ready for
  // MergeArea(..., 0); nullptr when the build is to stop. Writes nothing but this scanner and
  // the new database, so several areas may be compiled side by side.
  std::unique_ptr<CSceneryDatabase> CompileAreaDatabase(win::AutoResetEvent* abortEvent);
  // The cache's area with this path value, exclude text and exactly these files, or -1.
  int FindCachedArea(const CSceneryDatabase& cache) const;
  // True when the last CompileArea copied the area from the cache.
  bool CompiledFromCache() const { return m_fromCache; }
  bool RemoveDuplicates(CSceneryDatabase& temp, win::AutoResetEvent* abortEvent);
  bool ProcessRouteSegments(CSceneryDatabase& temp, win::AutoResetEvent* abortEvent);
  bool LinkAirwaySegments(CSceneryDatabase& temp, const RouteSortItem* items, int count,
                          win::AutoResetEvent* abortEvent);
  bool BuildAirways(CSceneryDatabase& temp, const RouteSortItem* items, int count,
                    win::AutoResetEvent* abortEvent);
  void AddAirwayPoint(CSceneryDatabase& temp, int index, int slot, int half, double latitude,
                      double longitude);
  bool AddSegmentLabelPoints(CSceneryDatabase& temp, const RouteSortItem* items, int count,
                             win::AutoResetEvent* abortEvent);

  CFileEntryList& GetFileList() { return m_fileList; }
  const CFileEntryList& GetFileList() const { return m_fileList; }

 private:
  // The passes of RemoveDuplicates over the files of the area (AreaDuplicates.cpp); each false
  // when the abort event was signalled.
  static bool DropRepeatedNavaids(CSceneryDatabase& temp, const IndexRange& files,
                                  win::AutoResetEvent* abortEvent);
  static bool DropStrayGroundObjects(CSceneryDatabase& temp, const IndexRange& files,
                                     win::AutoResetEvent* abortEvent);
  static bool PlaceAirportsOnRunways(CSceneryDatabase& temp, const IndexRange& files,
                                     win::AutoResetEvent* abortEvent);
  static bool MergeRepeatedAirports(CSceneryDatabase& temp, const IndexRange& files,
                                    win::AutoResetEvent* abortEvent);
  static bool AbortSignalled(win::AutoResetEvent* abortEvent);

  std::optional<std::filesystem::path> Resolve(const std::string& winPath,
                                               const std::filesystem::path& base) const;
  // For paths the user configured: symbolic links on the way are followed.
  std::optional<std::filesystem::path> ResolveConfigured(const std::string& winPath,
                                                         const std::filesystem::path& base) const;
  bool ListCabinets(const std::string& path, const std::filesystem::path& base);
  void ListFolder(const std::filesystem::path& folder, const std::string& subfolder, bool recurse);
  bool ListCabinetFile(const std::filesystem::path& cabinet);
  void AppendProgramFile(const char* name);

  CFileEntryList m_fileList;
  std::filesystem::path m_base;
  const win::DriveRoots* m_driveRoots = nullptr;
  const win::DriveTable* m_drives = nullptr;
  std::filesystem::path m_programFolder;
  // Folders already listed (device, inode): a bind mount looping back is walked once.
  std::set<std::pair<uint64_t, uint64_t>> m_visited;
  std::function<void()> m_heartbeat;
  bool m_fromCache = false;
};
