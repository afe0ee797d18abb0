#pragma once

// A built export module copied into a private simulator root for one test
// (<root>/Modules/Chartwright/FlpExport/<Name>.so beside its "FlpExport.ini"), called through the
// real host with the scripted plan services.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "planexport/common/testing/ScriptedPlan.h"
#include "cw/SourceDir.h"
#include "plotr/tools/FlpxHost.h"

namespace flpxtest {

// A folder of the temporary folder for one test, named by the process as well, so test runs
// of several checkouts on one machine never share it.
inline std::filesystem::path TestFolder(const std::string& tag) {
  return std::filesystem::path(::testing::TempDir()) / (tag + "_" + std::to_string(::getpid()));
}

class ModuleSimroot {
 public:
  ModuleSimroot(const std::string& tag, const std::string& builtModule)
      : m_root(TestFolder("flpx_" + tag) / "simroot"),
        m_folder(m_root / "Modules" / "Chartwright" / "FlpExport"),
        m_module(m_folder / std::filesystem::path(builtModule).filename()) {
    std::filesystem::remove_all(m_root.parent_path());
    std::filesystem::create_directories(m_folder);
    std::filesystem::copy_file(builtModule, m_module);
  }
  ~ModuleSimroot() { std::filesystem::remove_all(m_root.parent_path()); }
  ModuleSimroot(const ModuleSimroot&) = delete;
  ModuleSimroot& operator=(const ModuleSimroot&) = delete;

  const std::filesystem::path& Root() const { return m_root; }
  const std::filesystem::path& Folder() const { return m_folder; }
  std::filesystem::path Ini() const { return m_folder / "FlpExport.ini"; }

  FlpxCallResult Export(void* parent = nullptr) const {
    return CallFlpxExport(m_module.string(), ScriptedServices(), &Script(), parent);
  }
  FlpxCallResult Configure(void* parent = nullptr) const {
    return CallFlpxConfigure(m_module.string(), ScriptedServices(), &Script(), parent);
  }

 private:
  std::filesystem::path m_root;
  std::filesystem::path m_folder;
  std::filesystem::path m_module;
};

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A golden file of the source tree.
inline std::string Golden(const std::string& relativePath) {
  return ReadBytes(std::filesystem::path(CW_SOURCE_DIR) / relativePath);
}

}  // namespace flpxtest
