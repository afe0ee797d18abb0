#pragma once
// Loads the modules of a simulator root's Modules folder the way the host does at start-up:
// every shared library is opened, handed the services table and started through its init entry.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/simapi/SimApi.h"

namespace simhost {

struct LoadedModule {
  std::filesystem::path file;
  void* handle = nullptr;                 // null when the load failed
  simapi::Linkage* linkage = nullptr;
  simapi::ImportTable* importTable = nullptr;
  std::string error;                      // why the load failed
  bool Loaded() const { return handle != nullptr; }
};

class ModuleLoader {
 public:
  explicit ModuleLoader(simapi::Services* services) : m_services(services) {}
  // Modules stay loaded for the life of the process: they share the host's windows.
  ~ModuleLoader() = default;

  // Every "*.so" directly in the folder, in name order. A module whose records are missing or
  // whose start-up refused to run (it clears its Linkage tag) is closed again and reported.
  const std::vector<LoadedModule>& LoadFolder(const std::filesystem::path& folder);
  LoadedModule Load(const std::filesystem::path& file);

  // Calls every loaded module's deinit entry, once.
  void Deinit();

  const std::vector<LoadedModule>& Modules() const { return m_modules; }

 private:
  simapi::Services* m_services;
  std::vector<LoadedModule> m_modules;
  bool m_deinitDone = false;
};

}  // namespace simhost
