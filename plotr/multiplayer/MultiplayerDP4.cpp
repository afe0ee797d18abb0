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

bool CMultiplayerDP4::Connect() { return Newer() ? CMultiplayerDP8::Connect() : m_dp4.Connect(); }

void CMultiplayerDP4::Disconnect() {
  if (Newer())
    CMultiplayerDP8::Disconnect();
  else
    m_dp4.Disconnect();
}

void CMultiplayerDP4::HostSettings() {
  if (Newer())
    CMultiplayerDP8::HostSettings();
  else
    m_dp4.HostSettings();
}

void CMultiplayerDP4::PublishPlayerData(bool makePublic) {
  if (Newer())
    CMultiplayerDP8::PublishPlayerData(makePublic);
  else
    m_dp4.PublishPlayerData(makePublic);
}

bool CMultiplayerDP4::IsConnected() const { return Newer() ? CMultiplayerDP8::IsConnected() : m_dp4.IsConnected(); }
bool CMultiplayerDP4::IsSessionLost() const { return Newer() ? CMultiplayerDP8::IsSessionLost() : m_dp4.IsSessionLost(); }
bool CMultiplayerDP4::IsSessionHost() const { return Newer() ? CMultiplayerDP8::IsSessionHost() : m_dp4.IsSessionHost(); }
bool CMultiplayerDP4::IsPlanPublic() const { return Newer() ? CMultiplayerDP8::IsPlanPublic() : m_dp4.IsPlanPublic(); }

bool CMultiplayerDP4::AnyRemotePlanPublic() const {
  return Newer() ? CMultiplayerDP8::AnyRemotePlanPublic() : m_dp4.AnyRemotePlanPublic();
}

void CMultiplayerDP4::OpenFromRemote() {
  if (Newer())
    CMultiplayerDP8::OpenFromRemote();
  else
    m_dp4.OpenFromRemote();
}

bool CMultiplayerDP4::LoadReceivedPlan(archive::MemoryFile& file) {
  return Newer() ? CMultiplayerDP8::LoadReceivedPlan(file) : m_dp4.LoadReceivedPlan(file);
}

void CMultiplayerDP4::ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) {
  if (Newer())
    CMultiplayerDP8::ListPublicPlanPlayers(players, onlyPublic);
  else
    m_dp4.ListPublicPlanPlayers(players, onlyPublic);
}
