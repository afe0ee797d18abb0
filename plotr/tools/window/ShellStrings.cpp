#include "plotr/tools/window/ShellStrings.h"

#include <wx/app.h>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "plotr/core/CommandPrompts.h"

void AddShellStrings() {
  static bool added = false;
  if (added) return;
  added = true;
  AddCommandPrompts();
  ui::AddStrings({
      {shellstr::kCommandFailed, "Command failed."},
      {shellstr::kDocTemplate,
       "Chartwright\n\nFlightplan\nChartwright Flightplan (*.cwp)\n.cwp\nChartwright.Flightplan\nChartwright Flightplan"},
      {shellstr::kPaneTitleWidth, "#07 Netaja Subhas Chandra Bose Intl to Quaid-E-Azam Intl"},
      {shellstr::kPaneAircraftWidth, "Cessna  C208  Caravan  Amphibian"},
      {shellstr::kPaneZoomWidth, "x1000"},
      {shellstr::kMenuVisible, "Visible"},
      {shellstr::kMenuFlyPlan, "Fly Flightplan"},
      {shellstr::kMenuTitle, "Chartwright"},
      {shellstr::kSettingsCaption, "Settings"},
      {shellstr::kOleFailed, "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
      {shellstr::kCloseSession, "Are you sure you want to close the multiplayer Session?"},
      {shellstr::kSwitchKeyPrompt, "Switch to Chartwright or return to Flight Simulator."},
      {shellstr::kAppTitle, "Chartwright"},
      {shellstr::kIdlePrompt, "To zoom in, press right mouse button and move the mouse"},
      {shellstr::kUntitled, "Untitled"},
      {shellstr::kSaveTitle, "Save As"},
      {shellstr::kSaveCopyTitle, "Save Copy As"},
      {shellstr::kFailedToOpen, "Failed to open document."},
      {shellstr::kFailedToSave, "Failed to save document."},
      {shellstr::kFolderUp, "Folder one level up\nFolder one level up"},
      {shellstr::kWorkplace, "Workplace Folder\nWorkplace Folder"},
      {shellstr::kDelete, "Delete\nDelete"},
      {shellstr::kSaveAsCaption, "Save As"},
      {shellstr::kOpenCaption, "Open"},
      {shellstr::kSaveButton, "Sa&ve"},
      {shellstr::kOpenButton, "&Open"},
      {shellstr::kAllFiles, "All Files (*.*)"},
  });
}

int ShowShellMessage(const std::string& text, uint32_t style) {
  return ui::ShowMessageBox(nullptr, text, ui::LoadString(shellstr::kAppTitle), style);
}

std::string StatusPrompt(unsigned command) {
  const std::string text = ui::LoadString(command);
  return text.substr(0, text.find('\n'));
}

std::string TipPrompt(unsigned command) {
  const std::string text = ui::LoadString(command);
  const size_t end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(end + 1);
}
