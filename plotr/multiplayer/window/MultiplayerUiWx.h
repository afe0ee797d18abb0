#pragma once
// The multiplayer sessions' windows: the connect dialog, the older session's wizard, the host
// settings and open-remote dialogs and the session message boxes, as thin wx views over the
// models of the multiplayer core. The connect settings go to and come from the profile here.

#include <functional>
#include <string>

#include "plotr/multiplayer/MultiplayerUi.h"

class wxWindow;
class CSettings;

class CMultiplayerUiWx : public IMultiplayerUi {
 public:
  // `showAllowed`: the main window exists, allows boxes and its top-level frame is enabled.
  CMultiplayerUiWx(CSettings& settings, std::function<bool()> showAllowed, std::function<wxWindow*()> parent = {});

  bool IsShowAllowed() override;
  void ShowMessage(const std::string& text, uint32_t style) override;
  bool RunDp8Connect(Dp8Connect& dialog) override;
  bool RunDp4Wizard(Dp4Wizard& wizard) override;
  bool RunDp8HostSettings(Dp8HostSettingsModel& model) override;
  bool RunDp4HostSettings(Dp4HostSettingsModel& model) override;
  bool RunOpenRemote(OpenRemoteModel& model) override;

 private:
  wxWindow* Parent() const { return m_parent ? m_parent() : nullptr; }

  CSettings& m_settings;
  std::function<bool()> m_showAllowed;
  std::function<wxWindow*()> m_parent;
};
