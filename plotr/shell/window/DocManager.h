#pragma once
// The document manager: it holds the one document template and asks for plan file names
// through the module's own file dialog in the plan folder.

#include <wx/docview.h>

#include <functional>
#include <string>

class CModuleDocManager : public wxDocManager {
 public:
  CModuleDocManager();
  ~CModuleDocManager() override;

  // Asks for a plan file. `name` goes in as the proposed name (or path) and comes back as the
  // chosen path; in the save case `formatIndex` (0 current, 1 older) goes both ways. False when
  // cancelled.
  bool DoPromptFileName(std::string& name, int& formatIndex, bool open);

  // Tests choose file names here instead of the dialog.
  using Prompt = std::function<bool(std::string& name, int& formatIndex, bool open)>;
  static void SetPromptOverride(Prompt prompt);

  // "Chartwright Flightplan (*.cwp)|*.cwp|" and the extension ".cwp".
  static std::string AppendFilter(std::string filter, std::string* defaultExtension);
};

// The template of the module's single document type.
class CSingleDocTemplateEx : public wxDocTemplate {
 public:
  // Which file opening reads and which it only brings forward: MatchDocType (ShellRules.h).
  explicit CSingleDocTemplateEx(wxDocManager* manager);
};
