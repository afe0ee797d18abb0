// The whole build: every active area in list order, the program folder's text files, the
// passes over the result, and the save; or, when nothing it was built from has changed, the
// previous database as it stands (BuildCache.h). The previous pair stays untouched unless the
// new one was written completely.

#include "basemaker/app/DatabaseBuild.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "basemaker/app/AreaCompilePool.h"
#include "basemaker/app/AreaList.h"
#include "basemaker/app/BuildCache.h"
#include "basemaker/app/BuilderStrings.h"
#include "basemaker/compiler/AreaScanner.h"
#include "basemaker/compiler/DatabaseGrowth.h"
#include "basemaker/compiler/FileEntry.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

// The new database is sized for a whole world.
void SizeNewDatabase(CSceneryDatabase& db) {
  SetArrayGrowth(db, {15, 10, 3000, 1, 100, 3000, 1000, 1500, 7000, 1500, 20000, 400, 1000, 20000, 2000,
                      100, 10000, 600, 25000, 100000, 1000, 10000});
}

// A file of the program folder found as the other text files are: whatever its letter case.
std::optional<fs::path> FindProgramFile(const fs::path& programFolder, const char* name) {
  if (programFolder.empty()) return std::nullopt;
  return win::ResolveWinPath(name, programFolder);
}

std::string DatabaseFile(const std::filesystem::path& folder, const std::string& name, const char* ext) {
  return (folder / (name + "." + ext)).string();
}

}  // namespace

std::string DatabaseRecordFile(const std::filesystem::path& databaseFolder, const std::string& databaseName) {
  return DatabaseFile(databaseFolder, databaseName, "000");
}

std::string DatabaseStringFile(const std::filesystem::path& databaseFolder, const std::string& databaseName) {
  return DatabaseFile(databaseFolder, databaseName, "001");
}

int CBuildWorker::BuildDatabase(CAreaList& areas, win::AutoResetEvent& abortEvent,
                                const BuildEnvironment& env) {
  BuildReport localReport;
  BuildReport& report = env.report != nullptr ? *env.report : localReport;
  report = BuildReport{};

  auto cache = std::make_unique<CSceneryDatabase>(1024);
  report.recordFile = DatabaseRecordFile(env.folders.databaseFolder, areas.m_databaseName);
  report.stringFile = DatabaseStringFile(env.folders.databaseFolder, areas.m_databaseName);
  const std::string keyFile = DatabaseKeyFile(env.folders.databaseFolder, areas.m_databaseName);
  const std::optional<fs::path> icaoFile = FindProgramFile(env.folders.programFolder, "ICAO.txt");
  const std::string keyText = BuildKeyText(env.simVer, icaoFile);

  // A first build has no previous database; an unreadable one is simply no cache.
  const bool haveCache = cache->LoadDatabaseFiles(report.recordFile, report.stringFile) && cache->Validate();

  FileEntry::SetCabinetTempFolder(env.folders.databaseFolder.string());
  auto newScanner = [&] {
    auto scanner = std::make_unique<CAreaScanner>();
    scanner->SetBaseFolder(env.folders.simRoot);
    scanner->SetDriveRoots(env.driveRoots);
    scanner->SetDriveTable(env.drives);
    scanner->SetProgramFolder(env.folders.programFolder);
    scanner->SetHeartbeat([this] { PostHeartbeat(); });
    return scanner;
  };

  // Every area is collected before any is compiled: whether the previous database can stand
  // depends on all of them.
  struct Collected {
    std::unique_ptr<CAreaScanner> scanner;
    std::string title;  // the area's, or empty for a text-file area with its string id
    int titleId = 0;
  };
  std::vector<Collected> collected;
  for (const AreaEntry& entry : areas.m_entries) {
    if (!entry.active) continue;
    // Listing tens of thousands of files takes a while: an abort is seen between areas.
    if (abortEvent.Wait(0)) return IDS_BUILD_ABORTED;
    SetProgressText(entry.title.c_str());
    auto scanner = newScanner();
    int answer = kPromptRetry;
    while (answer == kPromptRetry) {
      const bool found = entry.onCd ? scanner->CollectAreaFromDrives(entry) : scanner->CollectAreaFolder(entry);
      if (found) break;
      answer = entry.onCd ? WaitInsertCd(entry.title, entry.cdLabel) : WaitAreaMissing(entry.title);
      if (answer == kPromptRetry) scanner = newScanner();
    }
    if (answer == kPromptAbort) return IDS_BUILD_ABORTED;
    if (answer == kPromptIgnore) {
      ++report.areasSkipped;
      continue;
    }
    collected.push_back({std::move(scanner), entry.title, 0});
  }
  collected.push_back({newScanner(), "", IDS_ADD_INTERSECTIONS});
  collected.back().scanner->AddNavTextFiles();
  collected.push_back({newScanner(), "", IDS_ADD_AIRSPACE});
  collected.back().scanner->AddAirspaceFile();

  std::vector<const CFileEntryList*> lists;
  for (const Collected& c : collected) lists.push_back(&c.scanner->GetFileList());
  const bool reuse = haveCache && KeyFileMatches(keyFile, keyText) && CacheHoldsAreas(*cache, lists);

  std::unique_ptr<CSceneryDatabase> db;
  if (reuse) {
    // Nothing it was built from has changed: the previous database is the result.
    db = std::move(cache);
    report.areasFromCache = static_cast<int>(collected.size());
    if (abortEvent.Wait(0)) return IDS_BUILD_ABORTED;
  } else {
    cache.reset();
    db = std::make_unique<CSceneryDatabase>(1048576);
    SizeNewDatabase(*db);
    // Areas are compiled side by side and merged here in their order: the bytes of a build
    // that compiles one area after the other.
    std::vector<uint64_t> weights;
    for (const Collected& c : collected) {
      uint64_t bytes = 0;
      for (const FileEntry& e : c.scanner->GetFileList().Entries()) bytes += e.size;
      weights.push_back(bytes);
    }
    CAreaCompilePool pool(weights, env.compileWorkers, abortEvent,
                          [&collected](int index, win::AutoResetEvent& workerAbort, const std::function<void()>& alive) {
                            CAreaScanner& scanner = *collected[static_cast<size_t>(index)].scanner;
                            scanner.SetHeartbeat(alive);
                            return scanner.CompileAreaDatabase(&workerAbort);
                          });
    report.compileWorkers = pool.Workers();
    const std::function<void()> heartbeat = [this] { PostHeartbeat(); };
    for (const Collected& c : collected) {
      if (c.titleId != 0) {
        SetProgressTextId(c.titleId);
      } else {
        SetProgressText(c.title.c_str());
      }
      const std::unique_ptr<CSceneryDatabase> area = pool.TakeNext(heartbeat);
      report.mostAreasWaiting = pool.MostWaiting();
      if (area == nullptr) return IDS_BUILD_ABORTED;
      db->MergeArea(*area, 0);
      ++report.areasCompiled;
    }
    pool.Stop();
    // An abort pressed during the last merge was taken by the pool.
    if (pool.Aborted()) return IDS_BUILD_ABORTED;
    collected.clear();

    SetProgressTextId(IDS_CHECK_EXCLUDE);
    if (!CheckExcludeAreas(*db, abortEvent, env.simVer)) return IDS_BUILD_ABORTED;
    SetProgressTextId(IDS_CROSS_CHECK);
    if (!CrossCheckWaypoints(*db, abortEvent)) return IDS_BUILD_ABORTED;
    SetProgressTextId(IDS_BIND_ILS);
    if (!BindIlsToRunway(*db, abortEvent)) return IDS_BUILD_ABORTED;
    SetProgressTextId(IDS_SET_AIRPORT_DATA);
    if (!SetAirportData(*db, abortEvent, icaoFile ? icaoFile->string() : std::string())) {
      return IDS_BUILD_ABORTED;
    }
    SetProgressTextId(IDS_BIND_NAVAIDS);
    if (!BindNavaidsToIntersections(*db, abortEvent)) return IDS_BUILD_ABORTED;
  }
  db->m_name1 = areas.m_worldTitle;
  db->m_name2 = areas.m_worldDescription;

  SetProgressTextId(IDS_SAVE_FILE);
  // Without its key the new pair is never taken for another build's result, whatever happens
  // between the two writes.
  std::error_code ec;
  fs::remove(keyFile, ec);
  if (!db->SaveDatabaseFiles(report.recordFile, report.stringFile)) return IDS_BUILD_WRITE_ERROR;
  win::WriteFileAtomically(keyFile, keyText);
  return IDS_BUILD_READY;
}

BuildStep MakeDatabaseBuildStep(BuildEnvironment env) {
  return [env](CBuildWorker& worker, CAreaList& areas, win::AutoResetEvent& abortEvent) {
    return worker.BuildDatabase(areas, abortEvent, env);
  };
}
