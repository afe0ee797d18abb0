#include "plotr/multiplayer/MultiplayerDP8.h"

#include <mutex>

#include "platform/archive/MemoryFile.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"

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
  DatabaseLease lease;
  planedit::SavePlan(*this, file, kPlanFormatCurrent);
  file.Seek(0, archive::SeekFrom::begin);
  return true;
}

void CMultiplayerDP8::OnTick(uint32_t tick) {
  CFlightPlanStatus::OnTick(tick);
  m_dp8.OnTick();
}

bool CMultiplayerDP8::Connect() { return ActiveSession().Connect(); }
void CMultiplayerDP8::Disconnect() { ActiveSession().Disconnect(); }
void CMultiplayerDP8::HostSettings() { ActiveSession().HostSettings(); }
void CMultiplayerDP8::PublishPlayerData(bool makePublic) { ActiveSession().PublishPlayerData(makePublic); }
bool CMultiplayerDP8::IsConnected() const { return ActiveSession().IsConnected(); }
bool CMultiplayerDP8::IsSessionLost() const { return ActiveSession().IsSessionLost(); }
bool CMultiplayerDP8::IsSessionHost() const { return ActiveSession().IsSessionHost(); }
bool CMultiplayerDP8::IsPlanPublic() const { return ActiveSession().IsPlanPublic(); }
bool CMultiplayerDP8::AnyRemotePlanPublic() const { return ActiveSession().AnyRemotePlanPublic(); }
void CMultiplayerDP8::OpenFromRemote() { ActiveSession().OpenFromRemote(); }
bool CMultiplayerDP8::LoadReceivedPlan(archive::MemoryFile& file) { return ActiveSession().LoadReceivedPlan(file); }
void CMultiplayerDP8::ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) {
  ActiveSession().ListPublicPlanPlayers(players, onlyPublic);
}
