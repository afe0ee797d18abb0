#include "plotr/tools/FlpxHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "plotr/plan/PlanUi.h"

namespace {

// One library mapped for the lifetime of the object.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path) : m_handle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedModule() {
    if (m_handle) ::dlclose(m_handle);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // The export table when it is at least as large as the host's.
  const FlpxExportTableRecord* ExportTable() const {
    if (!m_handle) return nullptr;
    const auto* table = static_cast<const FlpxExportTableRecord*>(::dlsym(m_handle, kFlpxExportTableSymbol));
    return table && table->size >= kFlpxExportTableMinSize ? table : nullptr;
  }
  // The import table when it reaches past the last service slot.
  FlpxImportTableRecord* ImportTable() const {
    if (!m_handle) return nullptr;
    auto* table = static_cast<FlpxImportTableRecord*>(::dlsym(m_handle, kFlpxImportTableSymbol));
    return table && table->size >= kFlpxImportSlotsEnd ? table : nullptr;
  }

 private:
  void* m_handle;
};

// Both tables checked and the services written; null when the call must not happen.
const FlpxExportTableRecord* PrepareCall(const LoadedModule& module, const FlpxServiceSet& services) {
  const FlpxExportTableRecord* exports = module.ExportTable();
  FlpxImportTableRecord* imports = module.ImportTable();
  if (!exports || !imports) return nullptr;
  // Written on every call: a freshly mapped library starts with empty slots.
  imports->saveFileDialog = services.saveFileDialog;
  imports->getPlanInfo = services.getPlanInfo;
  imports->getWaypoint = services.getWaypoint;
  imports->getStartPosition = services.getStartPosition;
  return exports;
}

}  // namespace

std::vector<FlpxModuleInfo> ListFlpxModules(const std::string& folder) {
  std::vector<std::string> paths;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::filesystem::path& p = it->path();
    std::error_code typeError;
    if (p.extension() != ".so" || !it->is_regular_file(typeError)) continue;
    paths.push_back(p.string());
  }
  // Directory order is arbitrary; the dialog's rule for equal display names needs a fixed one.
  std::sort(paths.begin(), paths.end());

  std::vector<FlpxModuleInfo> modules;
  for (const std::string& path : paths) {
    LoadedModule module(path);
    const FlpxExportTableRecord* table = module.ExportTable();
    if (!table || !table->displayName || table->displayName[0] == '\0') continue;
    FlpxModuleInfo info;
    info.path = path;
    info.displayName = table->displayName;
    info.hasConfigure = table->configure != nullptr;
    info.hasExport = table->exportPlan != nullptr;
    modules.push_back(std::move(info));
  }
  return modules;
}

FlpxCallResult CallFlpxExport(const std::string& path, const FlpxServiceSet& services, void* plan, void* parent,
                              IPlanUi* ui) {
  LoadedModule module(path);
  const FlpxExportTableRecord* exports = PrepareCall(module, services);
  if (!exports || !exports->exportPlan) return FlpxCallResult::NotCalled;
  int result = 0;
  {
    PlanWaitCursor wait(ui);
    result = exports->exportPlan(plan, parent);
  }
  return result != 0 ? FlpxCallResult::Done : FlpxCallResult::Failed;
}

FlpxCallResult CallFlpxConfigure(const std::string& path, const FlpxServiceSet& services, void* hostContext,
                                 void* parent) {
  LoadedModule module(path);
  const FlpxExportTableRecord* exports = PrepareCall(module, services);
  if (!exports || !exports->configure) return FlpxCallResult::NotCalled;
  return exports->configure(hostContext, parent) != 0 ? FlpxCallResult::Done : FlpxCallResult::Failed;
}
