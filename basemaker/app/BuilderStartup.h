#pragma once

// What Basemaker works out before it shows a window: its folders from the location of its own
// executable, its profile, the simulator version and which main dialog that version gets.

#include <filesystem>
#include <optional>

#include "platform/win/WinPath.h"

// Laid out as <simulator root>/Modules/<product>/Bin/<executable>.
struct BuilderFolders {
  std::filesystem::path simRoot;         // three levels above the program folder
  std::filesystem::path databaseFolder;  // parent of the program folder; the database goes here
  std::filesystem::path programFolder;   // folder of the executable: profile, help, text files
};

enum class BuilderMode {
  Simple,             // scenery sets of the oldest simulator
  Full,               // the scenery configuration file
  InstallationError,  // a version no dialog serves, or no executable path
};

struct BuilderStartup {
  BuilderFolders folders;
  std::filesystem::path profileFile;  // Program.cfg, shared with the planner
  std::filesystem::path helpFile;
  int simVer = 0;
  BuilderMode mode = BuilderMode::InstallationError;
  // Drive letters of area paths (C:\...): those of the Wine prefix the simulator lives in.
  win::DriveRoots driveRoots;
};

// Folders of an executable's full path. Above the file-system root there is nothing: a path
// too short for the layout takes the root for the missing levels.
BuilderFolders FoldersFromExecutable(const std::filesystem::path& executable);

BuilderMode ChooseBuilderMode(int simVer);

// The running executable (/proc/self/exe); nullopt when it cannot be read.
std::optional<std::filesystem::path> CurrentExecutablePath();

// Everything above for `executable`, or for the running program when none is given.
BuilderStartup StartBuilder(const std::optional<std::filesystem::path>& executable = std::nullopt);
