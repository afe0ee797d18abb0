#include "basemaker/app/BuilderStartup.h"

#include <system_error>

#include "basemaker/app/BuilderSettings.h"
#include "platform/win/WinPath.h"
#include "platform/win/WinePrefix.h"

BuilderFolders FoldersFromExecutable(const std::filesystem::path& executable) {
  BuilderFolders folders;
  folders.programFolder = executable.parent_path();
  folders.databaseFolder = folders.programFolder.parent_path();
  // parent_path of the root is the root itself, which is what a short path should give.
  folders.simRoot = folders.databaseFolder.parent_path().parent_path();
  return folders;
}

BuilderMode ChooseBuilderMode(int simVer) {
  if (simVer == kSimVerSceneryCfgSets) return BuilderMode::Simple;
  if (simVer < kSimVerOldestFull) return BuilderMode::InstallationError;
  return BuilderMode::Full;
}

std::optional<std::filesystem::path> CurrentExecutablePath() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return path;
}

namespace {

// A file of the program folder, found whatever its letter case after a copy from Windows.
std::filesystem::path ProgramFile(const std::filesystem::path& folder, const char* name) {
  if (auto found = win::ResolveWinPath(name, folder)) return *found;
  return folder / name;
}

}  // namespace

BuilderStartup StartBuilder(const std::optional<std::filesystem::path>& executable) {
  BuilderStartup startup;
  const auto exe = executable ? executable : CurrentExecutablePath();
  if (!exe || exe->empty()) return startup;
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(*exe, ec);
  startup.folders = FoldersFromExecutable(ec ? *exe : absolute);
  startup.profileFile = ProgramFile(startup.folders.programFolder, "Program.cfg");
  startup.helpFile = ProgramFile(startup.folders.programFolder, "Plotr.hlp");
  startup.simVer = CBuilderSettings(startup.profileFile).GetSimVer();
  startup.mode = ChooseBuilderMode(startup.simVer);
  startup.driveRoots = win::DriveRootsFor(startup.folders.simRoot);
  return startup;
}
