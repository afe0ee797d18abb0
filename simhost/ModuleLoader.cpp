#include "simhost/ModuleLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <system_error>

namespace simhost {

const std::vector<LoadedModule>& ModuleLoader::LoadFolder(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    std::string ext = it->path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".so") files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) m_modules.push_back(Load(file));
  return m_modules;
}

LoadedModule ModuleLoader::Load(const std::filesystem::path& file) {
  LoadedModule m;
  m.file = file;
  dlerror();
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    m.error = why ? why : "cannot open the module";
    return m;
  }
  auto* table = static_cast<simapi::ImportTable*>(dlsym(handle, simapi::kImportTableSymbol));
  auto* linkage = static_cast<simapi::Linkage*>(dlsym(handle, simapi::kLinkageSymbol));
  if (table == nullptr || linkage == nullptr) {
    m.error = "not a simulator module (no ImportTable or Linkage)";
  } else if (table->tag != simapi::kImportTableTag || linkage->tag != simapi::kLinkageTag) {
    m.error = "the module refused to start";
  } else if (linkage->init == nullptr) {
    m.error = "the module has no init entry";
  }
  if (!m.error.empty()) {
    dlclose(handle);
    return m;
  }
  table->services = m_services;
  m.handle = handle;
  m.importTable = table;
  m.linkage = linkage;
  linkage->init();
  return m;
}

void ModuleLoader::Deinit() {
  if (m_deinitDone) return;
  m_deinitDone = true;
  for (const LoadedModule& m : m_modules)
    if (m.Loaded() && m.linkage->deinit != nullptr) m.linkage->deinit();
}

}  // namespace simhost
