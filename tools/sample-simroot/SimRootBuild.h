#pragma once

// The database build of a root written by the writers beside this file, run headless on the
// calling thread, for the tests and benchmarks that build one. Header only: its user links the
// build (basemaker_app).

#include <filesystem>
#include <string>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/BuilderStrings.h"
#include "basemaker/app/DatabaseBuild.h"
#include "tools/sample-simroot/SampleSimRoot.h"

namespace sampleroot {

// Nobody to tell: messages are dropped and a prompt is answered OK.
class NullBuildSink : public IBuildUiSink {
 public:
  void PostBuildMessage(uint32_t, uintptr_t, intptr_t) override {}
  int ShowMessageBox(const std::string&, uint32_t) override { return ui::kIdOk; }
};

// Builds the root's database into its database folder; the id of the build's result text
// (IDS_BUILD_READY when written). `report`, when given, gets the build's counts; `workers`
// compile areas side by side (0: one per core).
inline int BuildSimRoot(const std::filesystem::path& root, BuildReport* report = nullptr, int workers = 0) {
  BuildEnvironment env;
  env.compileWorkers = workers;
  env.folders.simRoot = root;
  env.folders.programFolder = sampleroot::ProgramFolder(root);
  env.folders.databaseFolder = sampleroot::DatabaseFolder(root);
  env.report = report;
  CAreaList areas;
  areas.ReadSceneryCfg(root, env.simVer);
  NullBuildSink sink;
  CBuildWorker worker(sink, MakeDatabaseBuildStep(env));
  win::AutoResetEvent abort;
  return worker.BuildDatabase(areas, abort, env);
}

}  // namespace sampleroot
