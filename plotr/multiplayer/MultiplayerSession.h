#pragma once

// Slots 9 to 20 of the plan object as both sessions fulfil them. The plan object's multiplayer
// levels hand each call to the session of the simulator version.

#include <vector>

#include "plotr/core/MpPlayerEntry.h"

namespace archive {
class MemoryFile;
}

class IMultiplayerSession {
 public:
  virtual ~IMultiplayerSession() = default;

  virtual bool Connect() = 0;
  virtual void Disconnect() = 0;
  virtual void HostSettings() = 0;
  virtual void PublishPlayerData(bool makePublic) = 0;
  virtual bool IsConnected() const = 0;
  virtual bool IsSessionLost() const = 0;
  virtual bool IsSessionHost() const = 0;
  virtual bool IsPlanPublic() const = 0;
  virtual bool AnyRemotePlanPublic() const = 0;
  virtual void OpenFromRemote() = 0;
  virtual bool LoadReceivedPlan(archive::MemoryFile& file) = 0;
  virtual void ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) const = 0;
};
