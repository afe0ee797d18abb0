#pragma once

#include "plotr/multiplayer/Dp4Session.h"
#include "plotr/multiplayer/MultiplayerDP8.h"

class CMultiplayerDP4 : public CMultiplayerDP8 {
 public:
  explicit CMultiplayerDP4(const PlanSimServices& services = {}, const MultiplayerServices& multiplayer = {});
  // Ends an older session before any level goes.
  ~CMultiplayerDP4() override;

  // Both sessions' ticks, the newer one's first.
  void OnTick(uint32_t tick) override;

  Dp4Session& Dp4() { return m_dp4; }

 protected:
  // From version 90 on the newer session, below it the older one.
  IMultiplayerSession& ActiveSession() override;
  const IMultiplayerSession& ActiveSession() const override;

 private:
  bool Newer() const { return SimVer() >= 90; }

  Dp4Session m_dp4;
};
