#pragma once

#include "plotr/multiplayer/Dp4Session.h"
#include "plotr/multiplayer/MultiplayerDP8.h"

class CMultiplayerDP4 : public CMultiplayerDP8 {
 public:
  explicit CMultiplayerDP4(const PlanSimServices& services = {}, const MultiplayerServices& multiplayer = {});
  // Ends an older session before any level goes.
  ~CMultiplayerDP4() override;

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

  Dp4Session& Dp4() { return m_dp4; }

 private:
  bool Newer() const { return SimVer() >= 90; }

  Dp4Session m_dp4;
};
