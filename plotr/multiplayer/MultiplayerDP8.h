#pragma once

// The plan object's two multiplayer levels. CMultiplayerDP8 adds the newer session above the
// status level and CMultiplayerDP4 the older one above that; the document's plan object is a
// CMultiplayerDP4. The simulator version is read at every call: from 90 on each slot of the top
// level is the newer session's, below it the older one's, and the tick always runs both. The
// slots 9 to 20 are written once, here, over the session the top level chooses.

#include <cstdint>
#include <vector>

#include "platform/dplay/Config.h"
#include "plotr/multiplayer/Dp8Session.h"
#include "plotr/multiplayer/MultiplayerUi.h"
#include "plotr/sim/FlightPlanStatus.h"

struct MultiplayerServices {
  IMultiplayerUi* ui = nullptr;  // null: dialogs are refused and messages dropped
  dplay::Config config = dplay::Config::FromEnvironment();
  MpWaits waits;
};

class CMultiplayerDP8 : public CFlightPlanStatus, private IPlanImageSource {
 public:
  explicit CMultiplayerDP8(const PlanSimServices& services = {}, const MultiplayerServices& multiplayer = {});
  ~CMultiplayerDP8() override;

  void OnTick(uint32_t tick) override;
  bool Connect() override;
  void Disconnect() override;
  void HostSettings() override;
  void PublishPlayerData(bool makePublic) override;
  bool IsConnected() const override;
  bool IsSessionLost() const override;
  bool IsSessionHost() const override;
  bool IsPlanPublic() const override;
  bool AnyRemotePlanPublic() const override;
  void OpenFromRemote() override;
  bool LoadReceivedPlan(archive::MemoryFile& file) override;
  void ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) override;

  Dp8Session& Dp8() { return m_dp8; }

 protected:
  int SimVer() const;
  // The session slots 9 to 20 go to: the newer one at this level; the level above chooses by
  // the simulator version at every call.
  virtual IMultiplayerSession& ActiveSession() { return m_dp8; }
  virtual const IMultiplayerSession& ActiveSession() const { return m_dp8; }
  IMultiplayerUi& Ui() const { return *m_ui; }
  // The current plan as the plan file image, written under a DatabaseLease.
  IPlanImageSource& PlanSource() { return *this; }

 private:
  bool WritePlanImage(archive::MemoryFile& file) override;

  IMultiplayerUi* m_ui;
  Dp8Session m_dp8;
};
