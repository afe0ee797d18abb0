#include "plotr/multiplayer/MultiplayerDP8.h"

#include <mutex>

#include "platform/archive/MemoryFile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/shell/Settings.h"

namespace {

// The module without windows: nothing is asked, nothing shown.
class HeadlessMultiplayerUi : public IMultiplayerUi {
 public:
  bool IsShowAllowed() override { return false; }
  void ShowMessage(const std::string&, uint32_t) override {}
  bool RunDp8Connect(Dp8Connect&) override { return false; }
  bool RunDp4Wizard(Dp4Wizard&) override { return false; }
  bool RunDp8HostSettings(Dp8HostSettingsModel&) override { return false; }
  bool RunDp4HostSettings(Dp4HostSettingsModel&) override { return false; }
  bool RunOpenRemote(OpenRemoteModel&) override { return false; }
};

IMultiplayerUi& UiOrHeadless(IMultiplayerUi* ui) {
  static HeadlessMultiplayerUi headless;
  return ui != nullptr ? *ui : headless;
}

}  // namespace

CMultiplayerDP8::CMultiplayerDP8(const PlanSimServices& services, const MultiplayerServices& multiplayer)
    : CFlightPlanStatus(services),
      m_ui(&UiOrHeadless(multiplayer.ui)),
      m_dp8(*m_ui, *this, GetClock(), multiplayer.config, multiplayer.waits) {}

CMultiplayerDP8::~CMultiplayerDP8() {
  if (SimVer() >= 90) m_dp8.Disconnect();
}

int CMultiplayerDP8::SimVer() const { return GetSettings().GetSimVer(); }

bool CMultiplayerDP8::WritePlanImage(archive::MemoryFile& file) {
  std::lock_guard lock(g_DatabaseLock);
  planedit::SavePlan(*this, file, kPlanFormatCurrent);
  file.Seek(0, archive::SeekFrom::begin);
  return true;
}

void CMultiplayerDP8::OnTick(uint32_t tick) {
  CFlightPlanStatus::OnTick(tick);
  m_dp8.OnTick();
}

bool CMultiplayerDP8::Connect() { return m_dp8.Connect(); }
void CMultiplayerDP8::Disconnect() { m_dp8.Disconnect(); }
void CMultiplayerDP8::HostSettings() { m_dp8.HostSettings(); }
void CMultiplayerDP8::PublishPlayerData(bool makePublic) { m_dp8.PublishPlayerData(makePublic); }
bool CMultiplayerDP8::IsConnected() const { return m_dp8.IsConnected(); }
bool CMultiplayerDP8::IsSessionLost() const { return m_dp8.IsSessionLost(); }
bool CMultiplayerDP8::IsSessionHost() const { return m_dp8.IsSessionHost(); }
bool CMultiplayerDP8::IsPlanPublic() const { return m_dp8.IsPlanPublic(); }
bool CMultiplayerDP8::AnyRemotePlanPublic() const { return m_dp8.AnyRemotePlanPublic(); }
void CMultiplayerDP8::OpenFromRemote() { m_dp8.OpenFromRemote(); }
bool CMultiplayerDP8::LoadReceivedPlan(archive::MemoryFile& file) { return m_dp8.LoadReceivedPlan(file); }
void CMultiplayerDP8::ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) {
  m_dp8.ListPublicPlanPlayers(players, onlyPublic);
}
