#include "plotr/shell/window/PlotrDoc.h"

#include <wx/utils.h>

#include <cstring>
#include <mutex>

#include "platform/archive/DiskFile.h"
#include "platform/archive/Exceptions.h"
#include "platform/archive/MemoryFile.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/SceneryOpen.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/ShellRules.h"
#include "plotr/shell/window/DocManager.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/OptionsSheet.h"
#include "plotr/shell/window/Panes.h"
#include "plotr/shell/window/PlanObject.h"
#include "plotr/tools/AutoRoute.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/window/DlgExport.h"
#include "plotr/tools/window/DlgSidStarTransfer.h"
#include "plotr/tools/window/ShellStrings.h"
#include "plotr/tools/window/SmallControls.h"

namespace {

constexpr char kDefaultExtension[] = ".cwp";

// The loaded string with its "%d" replaced by the number.
std::string FormatNumber(std::string text, int number) {
  const size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
  return text;
}

std::string TitleOfPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

CPlotrDoc::CPlotrDoc() : m_plan(CreatePlanObject()) {
  Bind(wxEVT_MENU, &CPlotrDoc::OnCommand, this);
  Bind(wxEVT_UPDATE_UI, &CPlotrDoc::OnUpdateCommand, this);
}

CPlotrDoc::~CPlotrDoc() = default;

void CPlotrDoc::UpdatePlanViews(const void* sender, uint32_t bits, const void* object) {
  CUpdateHintObject hint(UpdateHint{bits, object});
  UpdateAllViews(static_cast<wxView*>(const_cast<void*>(sender)), &hint);
}

bool CPlotrDoc::DeleteContents() {
  planedit::NewPlan(*m_plan, m_saveFormat);
  SetTitle("");
  g_Settings.m_planWaypointsOnly = false;
  UpdatePlanViews(nullptr, kHintPlanChanged);
  return true;
}

void CPlotrDoc::NewPlan() {
  DeleteContents();
  SetPath("");
  SetTitle(wxString::FromUTF8(win::Cp1252ToUtf8(ui::LoadString(shellstr::kUntitled))));
  Modify(false);
  UpdatePlanViews(nullptr, 0);
}

bool CPlotrDoc::DoSaveDocument(const wxString& file) {
  try {
    archive::DiskFile out(file.utf8_string(), archive::DiskFile::modeReplaceOnClose);
    planedit::SavePlan(*m_plan, out, m_saveFormat);
    out.Close();
    return true;
  } catch (const std::exception&) {
    ShowShellMessage(ui::LoadString(shellstr::kFailedToSave), ui::kMbIconStop);
    return false;
  }
}

bool CPlotrDoc::DoOpenDocument(const wxString& file) {
  try {
    wxBusyCursor wait;
    archive::DiskFile in(file.utf8_string(), archive::DiskFile::modeRead);
    uint16_t format = m_saveFormat;
    planedit::LoadPlan(*m_plan, format, in);
    m_saveFormat = format == kOlderFormat ? kOlderFormat : kCurrentFormat;
    return true;
  } catch (const std::exception&) {
    ShowShellMessage(ui::LoadString(shellstr::kFailedToOpen), ui::kMbIconStop);
    return false;
  }
}

bool CPlotrDoc::OpenPlanFile(const std::string& pathName) {
  if (MatchDocType(pathName, m_pathName, IsModified()) == MatchConfidence::kYesAlreadyOpen) {
    // The plan on the screen is that file as stored: it only comes forward.
    if (CMainFrm* frame = GetMainFrame(); frame != nullptr && frame->IsVisible()) frame->SetFocus();
    return true;
  }
  if (!DoOpenDocument(wxString::FromUTF8(pathName))) {
    g_App.RemoveFromRecentFileList(pathName);
    return false;
  }
  SetPath(pathName);
  g_App.AddToRecentFileList(pathName);
  Modify(false);
  UpdatePlanViews(nullptr, kHintPlanChanged);
  return true;
}

void CPlotrDoc::SetPath(const std::string& path) {
  m_pathName = path;
  SetFilename(wxString::FromUTF8(path));
  if (!path.empty()) SetTitle(wxString::FromUTF8(TitleOfPath(path)));
}

bool CPlotrDoc::DoSave(const std::string& pathName, bool replace) {
  std::string name = pathName;
  if (name.empty()) {
    name = m_pathName;
    if (replace && name.empty())
      name = DefaultSaveName(GetTitle().utf8_string(), kDefaultExtension);
    int formatIndex = m_saveFormat == kOlderFormat ? 1 : 0;
    auto* manager = dynamic_cast<CModuleDocManager*>(GetDocumentManager());
    if (manager == nullptr || !manager->DoPromptFileName(name, formatIndex, false)) return false;
    m_saveFormat = formatIndex == 1 ? kOlderFormat : kCurrentFormat;
  }
  // A failed save leaves the previous file in place (the new one is written beside it and
  // renamed over it only when complete), so there is nothing to delete here.
  {
    wxBusyCursor wait;
    if (!DoSaveDocument(wxString::FromUTF8(name))) return false;
  }
  Modify(false);
  if (replace) {
    SetPath(name);
    g_App.AddToRecentFileList(name);
  }
  return true;
}

void CPlotrDoc::OnTick(uint32_t count) {
  m_plan->OnTick(count);
  if (PeriodicHintDue(count)) UpdatePlanViews(nullptr, kHintPeriodic);
  archive::MemoryFile received;
  if (!m_plan->LoadReceivedPlan(received) || !OnSaveModified()) return;
  DeleteContents();
  SetPath("");
  Modify(true);
  try {
    wxBusyCursor wait;
    received.Seek(0, archive::SeekFrom::begin);
    uint16_t format = kCurrentFormat;
    planedit::LoadPlan(*m_plan, format, received);
  } catch (const std::exception&) {
    DeleteContents();
    ShowShellMessage(ui::LoadString(shellstr::kFailedToOpen), ui::kMbIconStop);
  }
  Modify(false);
  UpdatePlanViews(nullptr, 0);
  UpdatePlanViews(nullptr, kHintPlanChanged);
}

std::string CPlotrDoc::GetAircraftTitle() const {
  const CRoute* route = static_cast<const CUndoHistory&>(*m_plan).GetCurrent();
  if (route == nullptr) return {};
  return std::string(route->m_profile.name, strnlen(route->m_profile.name, sizeof(route->m_profile.name)));
}

std::string CPlotrDoc::GetPlanTitle() const { return win::Utf8ToCp1252(GetTitle().utf8_string()); }

PlanCommandFacts CPlotrDoc::GatherFacts() const {
  PlanCommandFacts f;
  const CFlightPlanCore& plan = *m_plan;
  if (const CRoute* route = static_cast<const CUndoHistory&>(plan).GetCurrent()) {
    f.waypointCount = route->GetCount();
    for (int i = 0; i < route->GetCount(); ++i) {
      const uint32_t flags = (*route)[i].flags;
      if (flags & kPointAutoRoute) f.anyAutoRoutePoint = true;
    }
    int stringId = 0, number = 0;
    f.sidStarCheck = SidStarStoreOf(const_cast<CFlightPlanCore&>(plan)).CheckPlanAsSidStar(*route, stringId, number);
  }
  f.connected = plan.IsConnected();
  f.sessionLost = plan.IsSessionLost();
  f.sessionHost = plan.IsSessionHost();
  f.planPublic = plan.IsPlanPublic();
  f.anyRemotePlanPublic = plan.AnyRemotePlanPublic();
  return f;
}

bool CPlotrDoc::MenuItemStays(int id) const { return PlanCommandState(id, GatherFacts(), true).kept; }

void CPlotrDoc::OnUpdateCommand(wxUpdateUIEvent& event) {
  if (RouteToMapView(event)) return;
  const int id = event.GetId();
  switch (id) {
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kFileSave:
    case cmd::kFileSaveAs:
    case cmd::kAircraft:
    case cmd::kCruise:
    case cmd::kSettings:
    case cmd::kSceneryOpen:
    case cmd::kExport:
    case cmd::kSidStarDownload:
    case cmd::kSidStarUpload:
      event.Enable(true);
      return;
    case cmd::kFileMru:
      event.Enable(RecentFilesShown(g_App.GetRecentFiles()) > 0);
      return;
    case cmd::kOpenFromRemote:
    case cmd::kSaveAsSidStar:
    case cmd::kSaveAsSid:
    case cmd::kSaveAsStar:
    case cmd::kCalcAutoRoute:
    case cmd::kRemoveAutoRoute:
    case cmd::kMultiplayerConnect:
    case cmd::kMultiplayerDisconnect:
    case cmd::kPublicPlan:
    case cmd::kHostSettings: {
      const CommandState s = PlanCommandState(id, GatherFacts(), false);
      event.Enable(s.enabled);
      if (id == cmd::kPublicPlan) event.Check(s.checked);
      return;
    }
    default:
      event.Skip();
  }
}

// The map's commands reach the first map view of the document whichever view is active, so
// they work from the main menu and the tool bar too.
bool CPlotrDoc::RouteToMapView(wxEvent& event) {
  const int id = event.GetId();
  if (id < cmd::kFirstMapCommand || id > cmd::kLastMapCommand) return false;
  for (wxView* view : GetViewsVector()) {
    auto* pane = dynamic_cast<CPaneView*>(view);
    if (pane == nullptr || pane->GetSlot() != PaneSlot::Map || pane->GetWindow() == nullptr) continue;
    return pane->GetWindow()->GetEventHandler()->ProcessEventLocally(event);
  }
  return false;
}

void CPlotrDoc::OnCommand(wxCommandEvent& event) {
  if (RouteToMapView(event)) return;
  CFlightPlanCore& plan = *m_plan;
  switch (event.GetId()) {
    case cmd::kFileNew:
      NewPlan();
      return;
    case cmd::kFileOpen: {
      std::string name;
      int formatIndex = 0;
      auto* manager = dynamic_cast<CModuleDocManager*>(GetDocumentManager());
      if (manager != nullptr && manager->DoPromptFileName(name, formatIndex, true)) OpenPlanFile(name);
      return;
    }
    case cmd::kFileSave:
      DoSave(m_pathName, true);
      return;
    case cmd::kFileSaveAs:
      DoSave("", true);
      return;
    case cmd::kFileMru:
    case cmd::kFileMru + 1:
    case cmd::kFileMru + 2:
    case cmd::kFileMru + 3: {
      const auto& recent = g_App.GetRecentFiles();
      const size_t index = static_cast<size_t>(event.GetId() - cmd::kFileMru);
      if (index < RecentFilesShown(recent)) OpenPlanFile(std::string(recent[index]));
      return;
    }
    case cmd::kOpenFromRemote:
      plan.OpenFromRemote();
      return;
    case cmd::kSaveAsSidStar: {
      int stringId = 0, number = 0;
      const CRoute* route = plan.GetCurrent();
      if (route != nullptr && SidStarStoreOf(plan).CheckPlanAsSidStar(*route, stringId, number) == kPlanIsNoProcedure)
        ShowShellMessage(FormatNumber(ui::LoadString(static_cast<unsigned>(stringId)), number), ui::kMbIconExclamation);
      return;
    }
    case cmd::kSaveAsSid:
      SaveAsProcedure(false);
      return;
    case cmd::kSaveAsStar:
      SaveAsProcedure(true);
      return;
    case cmd::kExport:
      RunExportDialog(&plan, nullptr, g_App.GetExportFolder());
      return;
    case cmd::kSidStarDownload:
      ExchangeSidStars(false);
      return;
    case cmd::kSidStarUpload:
      ExchangeSidStars(true);
      return;
    case cmd::kAircraft:
    case cmd::kCruise: {
      const int r = event.GetId() == cmd::kAircraft ? planedit::SelectAircraft(plan) : planedit::SetCruise(plan);
      if (r == -1) return;
      if (r == 1) Modify(true);
      UpdatePlanViews(nullptr, kHintPlanChanged);
      return;
    }
    case cmd::kCalcAutoRoute:
      if (planedit::CalculateAutoRoute(plan)) {
        Modify(true);
        UpdatePlanViews(nullptr, kHintPlanChanged);
      }
      return;
    case cmd::kRemoveAutoRoute:
      if (planedit::RemoveAutoRoute(plan)) {
        Modify(true);
        UpdatePlanViews(nullptr, kHintPlanChanged);
      }
      return;
    case cmd::kMultiplayerConnect:
      ConnectMultiplayer();
      return;
    case cmd::kMultiplayerDisconnect:
      if (ShowShellMessage(ui::LoadString(shellstr::kCloseSession), ui::kMbIconQuestion | ui::kMbOkCancel) == ui::kIdOk)
        plan.Disconnect();
      return;
    case cmd::kPublicPlan:
      plan.PublishPlayerData(!plan.IsPlanPublic());
      return;
    case cmd::kHostSettings:
      plan.HostSettings();
      return;
    case cmd::kSettings:
      RunSettings();
      return;
    case cmd::kSceneryOpen:
      OpenSceneryInteractive();
      return;
    default:
      event.Skip();
  }
}

void CPlotrDoc::SaveAsProcedure(bool star) {
  CFlightPlanCore& plan = *m_plan;
  if (plan.m_rows.empty() || plan.GetCurrent() == nullptr) return;
  const PlanRow& first = plan.m_rows.front();
  const PlanRow& last = plan.m_rows.back();
  const bool saved = star ? SidStarStoreOf(plan).SavePlanAs(true, last.starAirport, last.starGroup, first.starProcedure,
                                                             *plan.GetCurrent())
                          : SidStarStoreOf(plan).SavePlanAs(false, first.sidAirport, first.sidGroup, last.sidProcedure,
                                                             *plan.GetCurrent());
  if (!saved) return;
  UpdatePlanViews(nullptr, kHintSidStarCatalogue);
  {
    DatabaseLease lease;
    plan.Rebuild();
  }
  UpdatePlanViews(nullptr, kHintRows);
}

void CPlotrDoc::ExchangeSidStars(bool upload) {
  const bool go = upload ? RunOnlineWarning(g_Settings, &CSettings::GetDisableWarningPutSidStar,
                                            &CSettings::SetDisableWarningPutSidStar)
                         : RunOnlineWarning(g_Settings, &CSettings::GetDisableWarningGetSidStar,
                                            &CSettings::SetDisableWarningGetSidStar);
  if (!go) return;
  CSidStarStore& store = SidStarStoreOf(*m_plan);
  const SidStarServerOptions options = SidStarServerOptions::FromSettings(store.GetFolder());
  if (upload) {
    CDlgUploadSidStar dialog(nullptr, store, options);
    ui::ShowModalDialog(dialog);
    return;
  }
  {
    CDlgDownloadSidStar dialog(nullptr, store, options);
    ui::ShowModalDialog(dialog);
  }
  // The plan's rows refer to the catalogue by index, which the download changed.
  UpdatePlanViews(nullptr, kHintSidStarCatalogue);
  {
    DatabaseLease lease;
    m_plan->Rebuild();
  }
  UpdatePlanViews(nullptr, kHintRows);
}

void CPlotrDoc::ConnectMultiplayer() {
  if (!RunOnlineWarning(g_Settings, &CSettings::GetDisableWarningMultiplay, &CSettings::SetDisableWarningMultiplay)) return;
  if (m_plan->Connect()) g_Settings.m_multiplayerAircraftShown = true;
}

void CPlotrDoc::OpenSceneryInteractive() {
  bool loaded = false;
  int removed = 0;
  SceneryChoice choice;
  if (!OpenScenery(*m_plan, loaded, removed, false, &choice)) return;
  if (!loaded) {
    // The previous database is still in use: the views have nothing to reload.
    ShowSceneryLoadFailure(m_plan->Ui(), choice);
    return;
  }
  if (removed > 0) {
    Modify(true);
    UpdatePlanViews(nullptr, (kHintDatabaseReloaded | kHintPlanChanged));
  } else {
    UpdatePlanViews(nullptr, (kHintDatabaseReloaded | kHintPlanChangedKeepSelection));
  }
}

void CPlotrDoc::RunSettings() { RunOptionsSheet(nullptr, this, false); }
