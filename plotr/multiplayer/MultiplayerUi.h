#pragma once

// What the multiplayer sessions need of the module around them: the windows (dialogs and message
// boxes, shown only when the module's main window allows it) and the plan image they send. The
// module implements both over wx and the plan; tests fake them.

#include <cstdint>
#include <optional>
#include <string>

namespace archive {
class MemoryFile;
}

class Dp8Connect;
class Dp4Wizard;
class Dp8HostSettingsModel;
class Dp4HostSettingsModel;
class OpenRemoteModel;

class IMultiplayerUi {
 public:
  virtual ~IMultiplayerUi() = default;

  // The main window exists, no modal dialog of the simulator is up and the top-level frame is
  // enabled: a pending session message may be shown now.
  virtual bool IsShowAllowed() = 0;
  virtual void ShowMessage(const std::string& text, uint32_t style) = 0;

  // "Multiplayer Connect", modal; true when Join started the connection.
  virtual bool RunDp8Connect(Dp8Connect& dialog) = 0;
  // The two-page wizard of the older session, modal; true on Finish with the session open.
  virtual bool RunDp4Wizard(Dp4Wizard& wizard) = 0;
  // "Multiplayer Host Settings"; true on OK.
  virtual bool RunDp8HostSettings(Dp8HostSettingsModel& model) = 0;
  virtual bool RunDp4HostSettings(Dp4HostSettingsModel& model) = 0;
  // "Open from remote Computer"; true on OK with a player chosen.
  virtual bool RunOpenRemote(OpenRemoteModel& model) = 0;
};

// The own plan as another module loads it: the plan file image of format 105.
class IPlanImageSource {
 public:
  virtual ~IPlanImageSource() = default;
  // Writes the current plan into `file` (emptied by the caller). False when it could not be
  // written; the request then gets no answer.
  virtual bool WritePlanImage(archive::MemoryFile& file) = 0;
};
