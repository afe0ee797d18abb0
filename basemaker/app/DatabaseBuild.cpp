// The whole build: the previous database as cache, every active area in list order, the
// program folder's text files, the passes over the result, and the save. The previous pair
// stays untouched unless the new one was written completely.

#include "basemaker/app/DatabaseBuild.h"

#include <memory>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/BuilderStrings.h"
#include "basemaker/compiler/AreaScanner.h"
#include "basemaker/compiler/DatabaseGrowth.h"
#include "basemaker/compiler/FileEntry.h"
#include "navdb/SceneryDatabase.h"

namespace {

// The new database is sized for a whole world.
void SizeNewDatabase(CSceneryDatabase& db) {
  SetArrayGrowth(db, {15, 10, 3000, 1, 100, 3000, 1000, 1500, 7000, 1500, 20000, 400, 1000, 20000, 2000,
                      100, 10000, 600, 25000, 100000, 1000, 10000});
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
  auto db = std::make_unique<CSceneryDatabase>(1048576);
  db->m_name1 = areas.m_worldTitle;
  db->m_name2 = areas.m_worldDescription;
  SizeNewDatabase(*db);
  report.recordFile = DatabaseRecordFile(env.folders.databaseFolder, areas.m_databaseName);
  report.stringFile = DatabaseStringFile(env.folders.databaseFolder, areas.m_databaseName);

  // A first build has no previous database; an unreadable one is simply no cache.
  cache->LoadDatabaseFiles(report.recordFile, report.stringFile);

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
  auto compile = [&](CAreaScanner& scanner) {
    if (!scanner.CompileArea(*db, *cache, &abortEvent)) return false;
    ++(scanner.CompiledFromCache() ? report.areasFromCache : report.areasCompiled);
    return true;
  };

  int result = IDS_BUILD_READY;
  for (const AreaEntry& entry : areas.m_entries) {
    if (!entry.active) continue;
    SetProgressText(entry.title.c_str());
    auto scanner = newScanner();
    int answer = kPromptRetry;
    while (answer == kPromptRetry) {
      const bool found = entry.onCd ? scanner->CollectAreaFromDrives(entry) : scanner->CollectAreaFolder(entry);
      if (found) break;
      answer = entry.onCd ? WaitInsertCd(entry.title, entry.cdLabel) : WaitAreaMissing(entry.title);
      if (answer == kPromptRetry) scanner = newScanner();
    }
    if (answer == kPromptAbort) {
      result = IDS_BUILD_ABORTED;
      break;
    }
    if (answer == kPromptIgnore) {
      ++report.areasSkipped;
      continue;
    }
    if (!compile(*scanner)) {
      result = IDS_BUILD_ABORTED;
      break;
    }
  }

  if (result == IDS_BUILD_READY) {
    SetProgressTextId(IDS_ADD_INTERSECTIONS);
    auto scanner = newScanner();
    scanner->AddNavTextFiles();
    if (!compile(*scanner)) result = IDS_BUILD_ABORTED;
  }
  if (result == IDS_BUILD_READY) {
    SetProgressTextId(IDS_ADD_AIRSPACE);
    auto scanner = newScanner();
    scanner->AddAirspaceFile();
    if (!compile(*scanner)) result = IDS_BUILD_ABORTED;
  }
  if (result != IDS_BUILD_READY) return result;

  // The cache is no longer needed; the passes and the save may use its memory.
  cache.reset();

  SetProgressTextId(IDS_CHECK_EXCLUDE);
  if (!CheckExcludeAreas(*db, abortEvent, env.simVer)) return IDS_BUILD_ABORTED;
  SetProgressTextId(IDS_CROSS_CHECK);
  if (!CrossCheckWaypoints(*db, abortEvent)) return IDS_BUILD_ABORTED;
  SetProgressTextId(IDS_BIND_ILS);
  if (!BindIlsToRunway(*db, abortEvent)) return IDS_BUILD_ABORTED;
  SetProgressTextId(IDS_SET_AIRPORT_DATA);
  if (!SetAirportData(*db, abortEvent, (env.folders.programFolder / "ICAO.txt").string())) {
    return IDS_BUILD_ABORTED;
  }
  SetProgressTextId(IDS_BIND_NAVAIDS);
  if (!BindNavaidsToIntersections(*db, abortEvent)) return IDS_BUILD_ABORTED;

  SetProgressTextId(IDS_SAVE_FILE);
  if (!db->SaveDatabaseFiles(report.recordFile, report.stringFile)) return IDS_BUILD_WRITE_ERROR;
  return IDS_BUILD_READY;
}

BuildStep MakeDatabaseBuildStep(BuildEnvironment env) {
  return [env](CBuildWorker& worker, CAreaList& areas, win::AutoResetEvent& abortEvent) {
    return worker.BuildDatabase(areas, abortEvent, env);
  };
}
