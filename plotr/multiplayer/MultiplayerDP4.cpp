#include "plotr/multiplayer/MultiplayerDP4.h"

CMultiplayerDP4::CMultiplayerDP4(const PlanSimServices& services, const MultiplayerServices& multiplayer)
    : CMultiplayerDP8(services, multiplayer),
      m_dp4(Ui(), PlanSource(), GetClock(), [this] { return SimVer(); }, multiplayer.config) {}

CMultiplayerDP4::~CMultiplayerDP4() {
  if (!Newer()) m_dp4.Disconnect();
}

void CMultiplayerDP4::OnTick(uint32_t tick) {
  CMultiplayerDP8::OnTick(tick);
  m_dp4.OnTick();
}

IMultiplayerSession& CMultiplayerDP4::ActiveSession() {
  if (Newer()) return CMultiplayerDP8::ActiveSession();
  return m_dp4;
}

const IMultiplayerSession& CMultiplayerDP4::ActiveSession() const {
  if (Newer()) return CMultiplayerDP8::ActiveSession();
  return m_dp4;
}
