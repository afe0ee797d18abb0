#include "plotr/shell/window/DocManager.h"

#include <algorithm>
#include <cctype>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/tools/window/DlgFile.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {
CModuleDocManager::Prompt g_promptOverride;

// The template string's fields: window title, document name, file type name, filter name,
// extension, type id, type name.
std::string TemplateField(int index) {
  const std::string text = ui::LoadString(shellstr::kDocTemplate);
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = text.find('\n', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return text.substr(start, text.find('\n', start) - start);
}
}  // namespace

CModuleDocManager::CModuleDocManager() : wxDocManager(0, false) {}
CModuleDocManager::~CModuleDocManager() = default;

void CModuleDocManager::SetPromptOverride(Prompt prompt) { g_promptOverride = std::move(prompt); }

std::string CModuleDocManager::AppendFilter(std::string filter, std::string* defaultExtension) {
  const std::string name = TemplateField(3);
  const std::string extension = TemplateField(4);
  if (!name.empty() && !extension.empty()) {
    filter += name + "|*" + extension + "|";
    if (defaultExtension != nullptr && defaultExtension->empty()) *defaultExtension = extension;
  }
  return filter;
}

bool CModuleDocManager::DoPromptFileName(std::string& name, int& formatIndex, bool open) {
  if (g_promptOverride) return g_promptOverride(name, formatIndex, open);
  std::string extension;
  std::string filter = AppendFilter("", &extension);
  filter += ui::LoadString(shellstr::kAllFiles) + "|*.*|";
  if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
  const std::string folder = g_App.GetPlanFolder();
  if (open) {
    CDlgFileOpen dialog(extension, name, filter, folder, nullptr);
    if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
    name = dialog.GetPathName();
    return true;
  }
  CDlgFileSave dialog(extension, name, filter, folder, nullptr);
  dialog.formatIndex = formatIndex;
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  name = dialog.GetPathName();
  formatIndex = dialog.formatIndex;
  return true;
}

CSingleDocTemplateEx::CSingleDocTemplateEx(wxDocManager* manager)
    : wxDocTemplate(manager, "Chartwright Flightplan (*.cwp)", "*.cwp", "", "cwp", "Chartwright.Flightplan",
                    "Chartwright Flightplan", nullptr, nullptr, wxTEMPLATE_VISIBLE) {}
