// build-database SIMROOT: builds the navigation database of a simulator root without windows.
// The simulator version comes from the program folder's Program.cfg; progress goes to the
// terminal; a prompt for a missing area or disc is answered by leaving the area out. The exit
// status is 0 only when the database was written.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/BuilderSettings.h"
#include "basemaker/app/BuilderStrings.h"
#include "basemaker/app/DatabaseBuild.h"
#include "basemaker/app/QueuedBuildSink.h"
#include "platform/win/WinePrefix.h"
#include "tools/sample-simroot/SampleSimRoot.h"

namespace {

// A prompt for a missing area or disc leaves the area out: there is nobody to ask.
int AnswerOnTerminal(const std::string& text, uint32_t style) {
  std::printf("build-database: %s\nbuild-database: (no terminal prompts: the area is left out)\n", text.c_str());
  return (style & ui::kMbAbortRetryIgnore) ? ui::kIdIgnore : ui::kIdOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: build-database SIMROOT\n");
    return 2;
  }
  const std::filesystem::path root = std::filesystem::absolute(argv[1]);
  BuildEnvironment env;
  env.folders.simRoot = root;
  env.folders.programFolder = sampleroot::ProgramFolder(root);
  env.folders.databaseFolder = sampleroot::DatabaseFolder(root);
  CBuilderSettings settings(env.folders.programFolder / "Program.cfg");
  env.simVer = settings.GetSimVer();
  // Areas named by drive letter (C:\...) are found through the Wine prefix of the root.
  const win::DriveRoots driveRoots = win::DriveRootsFor(root);
  env.driveRoots = &driveRoots;
  BuildReport report;
  env.report = &report;

  CAreaList areas;
  areas.ReadSceneryCfg(root, env.simVer);
  std::printf("build-database: %s, simulator version %d, %zu areas in the scenery configuration\n",
              root.string().c_str(), env.simVer, areas.m_entries.size());

  CQueuedBuildSink sink(AnswerOnTerminal);
  CBuildWorker worker(sink, MakeDatabaseBuildStep(env));
  const auto start = std::chrono::steady_clock::now();
  if (!worker.StartBuild(areas)) {
    std::fprintf(stderr, "build-database: the build could not be started\n");
    return 1;
  }
  int result = IDS_BUILD_ABORTED;
  std::string shown;
  for (bool done = false; !done;) {
    const CQueuedBuildSink::Message m = sink.Next();
    switch (m.code) {
      case WM_BUILD_PROGRESS: {
        std::string text;
        worker.GetProgressText(text);
        const char* wait = LoadBuilderString(IDS_PLEASE_WAIT);
        if (!text.empty() && text != shown && (wait == nullptr || text != wait)) {
          std::printf("build-database: %s\n", text.c_str());
          std::fflush(stdout);
          shown = text;
        }
        break;
      }
      case WM_BUILD_ASK_CD: worker.AskInsertCd(); break;
      case WM_BUILD_ASK_MISSING: worker.AskAreaMissing(); break;
      case WM_BUILD_DONE: result = static_cast<int>(m.wParam); break;
      case WM_BUILD_STATE: done = m.wParam == IDS_CREATE_DATABASE; break;
      default: break;
    }
  }
  while (worker.IsBuilding()) {
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const char* text = LoadBuilderString(result);
  std::printf("build-database: %s\n", text != nullptr ? text : "(no result text)");
  std::printf("build-database: %d areas compiled, %d from the previous database, %d left out; %.2f s\n",
              report.areasCompiled, report.areasFromCache, report.areasSkipped, seconds);
  if (result == IDS_BUILD_READY) std::printf("build-database: wrote %s\n", report.recordFile.c_str());
  return result == IDS_BUILD_READY ? 0 : 1;
}
