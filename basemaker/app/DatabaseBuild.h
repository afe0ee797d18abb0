#pragma once

// Where a database build finds its inputs and puts its output, and the build step the worker
// runs (CBuildWorker::BuildDatabase).

#include <filesystem>
#include <string>
#include <vector>

#include "basemaker/app/BuildWorker.h"
#include "basemaker/app/BuilderStartup.h"
#include "platform/win/WinPath.h"

namespace win {
class DriveTable;
}

// What one build did, for a caller that wants to tell the user more than the result text.
struct BuildReport {
  int areasCompiled = 0;   // read from their scenery files
  int areasFromCache = 0;  // copied from the previous database
  int areasSkipped = 0;    // not found, left out on the user's word
  int compileWorkers = 0;  // threads that compiled areas
  int mostAreasWaiting = 0;  // most compiled areas that waited for their merge at one time
  std::string recordFile;  // the ".000" written (or that would have been)
  std::string stringFile;
};

struct BuildEnvironment {
  // simRoot: where relative area paths start; databaseFolder: where the database pair goes;
  // programFolder: the navigation text files and ICAO.txt.
  BuilderFolders folders;
  int simVer = 90;
  const win::DriveRoots* driveRoots = nullptr;  // native roots of drive letters in area paths
  const win::DriveTable* drives = nullptr;      // drives searched for disc areas
  BuildReport* report = nullptr;                // filled when given; build thread only
  int compileWorkers = 0;  // threads compiling areas side by side; 0: one per core
};

// Record and string file of the database named `databaseName` in `databaseFolder`.
std::string DatabaseRecordFile(const std::filesystem::path& databaseFolder, const std::string& databaseName);
std::string DatabaseStringFile(const std::filesystem::path& databaseFolder, const std::string& databaseName);

// The step a worker runs for the real build.
BuildStep MakeDatabaseBuildStep(BuildEnvironment env);
