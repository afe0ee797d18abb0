#include "plotr/shell/window/PlanObject.h"

#include <wx/window.h>

#include "platform/simapi/SimApi.h"
#include "platform/ui/WxMessages.h"
#include "plotr/core/PlotrDocument.h"
#include "plotr/core/Settings.h"
#include "plotr/multiplayer/MultiplayerDP4.h"
#include "plotr/multiplayer/window/MultiplayerUiWx.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/PlanUiWx.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/window/DlgPlanTools.h"
#include "plotr/tools/window/DlgSaveSidStar.h"

namespace {

// The move channel to the simulator's main window: found on the user-interface thread before
// the move worker starts, handed the pipe's announcement from the worker as a queued call.
class WxMoveChannel : public IMoveChannel {
 public:
  bool FindHost() override {
    m_host = ui::FindWindowByClass(simapi::kMainWindowClass);
    return m_host != nullptr;
  }
  void SendCopyData(uint32_t tag, const void* data, size_t size) override {
    if (m_host == nullptr) return;
    ui::CopyData copy;
    copy.wParam = static_cast<uintptr_t>(m_host->GetId());
    copy.tag = tag;
    copy.bytes.assign(static_cast<const char*>(data), size);
    ui::SendCopyData(m_host, copy);
  }

 private:
  wxWindow* m_host = nullptr;
};

}  // namespace

// The plan's notices go to the main frame once it exists; until then they are dropped.
ui::WxMessageTarget& FrameMessageTarget() {
  static ui::WxMessageTarget target(nullptr);
  return target;
}

std::unique_ptr<CFlightPlanCore> CreatePlanObject() {
  static WxMoveChannel moveChannel;
  PlanSimServices services;
  services.frame = &FrameMessageTarget();
  // The simulator block's change notices refresh the avionics bars and the wind display.
  g_SimBlock.SetMessageTarget(&FrameMessageTarget());
  services.moveChannel = &moveChannel;
  services.ui = {&WxPlanUi(), &PlanToolDialogs()};
  // Session boxes wait while the simulator shows a modal dialog or the module's frame is disabled.
  static CMultiplayerUiWx multiplayerUi(
      g_Settings,
      [] {
        CMainFrm* frame = GetMainFrame();
        if (frame == nullptr || !frame->IsShowAllowed()) return false;
        wxWindow* top = wxGetTopLevelParent(frame);
        return top != nullptr && top->IsEnabled();
      },
      []() -> wxWindow* { return GetMainFrame(); });
  MultiplayerServices multiplayer;
  multiplayer.ui = &multiplayerUi;
  auto plan = std::make_unique<CMultiplayerDP4>(services, multiplayer);
  plan->SetProcedureCatalogue(std::make_unique<CSidStarStore>(&WxSidStarUi(), &WxPlanUi()));
  return plan;
}
