#include "plotr/tools/ExportDialogModel.h"

#include <algorithm>

#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/PlanUi.h"

CExportDialogModel::CExportDialogModel(void* plan, const FlpxServiceSet& services, const PlanUiServices& ui)
    : m_plan(plan), m_services(services), m_ui(ui) {}

void CExportDialogModel::Load(const std::string& folder, std::string_view remembered) {
  m_modules = ListFlpxModules(folder);
  m_items.clear();
  for (size_t i = 0; i < m_modules.size(); ++i) m_items.push_back({m_modules[i].displayName, i});
  std::stable_sort(m_items.begin(), m_items.end(),
                   [](const Item& a, const Item& b) { return win::CompareNoCase(a.name, b.name) < 0; });
  m_selection = m_items.empty() ? -1 : 0;
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (win::EqualsNoCase(m_items[i].name, remembered)) {
      m_selection = static_cast<int>(i);
      break;
    }
  }
}

void CExportDialogModel::Select(int item) {
  m_selection = item >= 0 && item < static_cast<int>(m_items.size()) ? item : -1;
}

const FlpxModuleInfo* CExportDialogModel::Selected() const {
  if (m_selection < 0) return nullptr;
  return &m_modules[m_items[static_cast<size_t>(m_selection)].module];
}

bool CExportDialogModel::OptionsEnabled() const {
  const FlpxModuleInfo* m = Selected();
  return m && m->hasConfigure;
}

bool CExportDialogModel::OkEnabled() const {
  const FlpxModuleInfo* m = Selected();
  return m && m->hasExport;
}

void CExportDialogModel::RunOptions(void* parent) {
  if (!OptionsEnabled()) return;
  // The plug-ins do not read the host context; the plan handle serves.
  CallFlpxConfigure(Selected()->path, m_services, m_plan, parent);
}

CExportDialogModel::OkResult CExportDialogModel::RunExport(void* parent) {
  if (!OkEnabled()) return OkResult::Nothing;
  const FlpxModuleInfo& module = *Selected();
  FlpxCallResult result = FlpxCallResult::NotCalled;
  {
    FlpxSaveDialogScope dialogs(m_ui);
    result = CallFlpxExport(module.path, m_services, m_plan, parent, m_ui.ui);
  }
  if (result == FlpxCallResult::NotCalled) return OkResult::StayOpen;
  if (result == FlpxCallResult::Failed) {
    if (m_ui.ui) m_ui.ui->ShowError(kFlpxExportFailedText);
  }
  g_Settings.WriteLastExportModul(m_items[static_cast<size_t>(m_selection)].name);
  return OkResult::Close;
}
