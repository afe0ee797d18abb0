#include "plotr/shell/window/MainFrm.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>

#include <algorithm>

#include "platform/profile/Profile.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/WxMessages.h"
#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/core/window/PrintSetup.h"
#include "plotr/plan/SceneryOpen.h"
#include "plotr/shell/HotKeys.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/ShellRules.h"
#include "plotr/shell/window/FloatWnd.h"
#include "plotr/shell/window/HostFrameWnd.h"
#include "plotr/shell/window/MenuViews.h"
#include "plotr/shell/window/OptionsSheet.h"
#include "plotr/shell/window/PlanObject.h"
#include "plotr/shell/window/PlotrDoc.h"
#include "plotr/shell/window/SplitWnd.h"
#include "plotr/shell/window/ToolBarEx.h"
#include "plotr/sim/FlightPlanSim.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

CMainFrm* g_mainFrame = nullptr;

constexpr char kDockedSection[] = "Docked";
constexpr char kFloatingSection[] = "Floating";

int ReadLayoutInt(const char* section, const char* key, int defaultValue) {
  return profile::GetInt(g_App.GetProfileFile(), section, key, defaultValue);
}

void WriteLayoutInt(const char* section, const char* key, int value) {
  profile::WriteInt(g_App.GetProfileFile(), section, key, value);
}

wxString Wx(const std::string& cp1252) { return wxString::FromUTF8(win::Cp1252ToUtf8(cp1252)); }

// Menus tell what their items do on the frame's status line. The menu events reach only the
// menu, the window that opened it and the top-level window, and the frame is none of these for
// the panes' own menus: the filter sees them all and takes those opened inside the frame.
class MenuPromptFilter : public wxEventFilter {
 public:
  explicit MenuPromptFilter(CMainFrm* frame) : m_frame(frame) { wxEvtHandler::AddFilter(this); }
  ~MenuPromptFilter() override { wxEvtHandler::RemoveFilter(this); }
  MenuPromptFilter(const MenuPromptFilter&) = delete;
  MenuPromptFilter& operator=(const MenuPromptFilter&) = delete;

  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    if (type != wxEVT_MENU_HIGHLIGHT && type != wxEVT_MENU_CLOSE) return Event_Skip;
    const wxMenu* menu = static_cast<wxMenuEvent&>(event).GetMenu();
    const wxWindow* owner = menu != nullptr ? menu->GetWindow() : nullptr;
    if (owner == nullptr || !m_frame->IsDescendant(const_cast<wxWindow*>(owner))) return Event_Skip;
    m_frame->ShowCommandPrompt(type == wxEVT_MENU_HIGHLIGHT ? static_cast<wxMenuEvent&>(event).GetMenuId() : 0);
    return Event_Skip;
  }

 private:
  CMainFrm* m_frame;
};

}  // namespace

CMainFrm* GetMainFrame() { return g_mainFrame; }

CMainFrm::CMainFrm(CFloatWndMain* docked, CFloatWnd* floating, CHostFrameWnd* host, CPlotrDoc* document)
    : wxPanel(docked, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxCLIP_CHILDREN | wxTAB_TRAVERSAL),
      m_docked(docked),
      m_floating(floating),
      m_host(host),
      m_document(document),
      m_timer(this, cmd::kMainTimer) {
  g_mainFrame = this;
  SetFrameServices(this);
  SetName("CMainFrm");
  CreateClient();
  Bind(wxEVT_TIMER, &CMainFrm::OnTimer, this, cmd::kMainTimer);
  Bind(wxEVT_MENU, &CMainFrm::OnFrameCommand, this);
  Bind(wxEVT_UPDATE_UI, &CMainFrm::OnFrameUpdate, this);
  Bind(ui::EVT_APP_MESSAGE, [this](wxThreadEvent& event) {
    const ui::Message m = ui::MessageFromEvent(event);
    std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(m.lParam));
    OnAppMessage(m.code, m.wParam, text.get());
  });
  Bind(wxEVT_CHILD_FOCUS, [this](wxChildFocusEvent& event) {
    FollowFocus();
    event.Skip();
  });
  FrameMessageTarget().SetHandler(this);
  m_timer.Start(100);
  SetMessageText(Wx(ui::LoadString(shellstr::kIdlePrompt)));
  m_menuPrompts = std::make_unique<MenuPromptFilter>(this);
}

CMainFrm::~CMainFrm() {
  m_menuPrompts.reset();
  m_timer.Stop();
  FrameMessageTarget().SetHandler(nullptr);
  if (g_mainFrame == this) g_mainFrame = nullptr;
  if (GetFrameServices() == this) SetFrameServices(nullptr);
}

void CMainFrm::CreateClient() {
  m_status = new wxStatusBar(this, wxID_ANY, wxSTB_DEFAULT_STYLE & ~wxSTB_SIZEGRIP);
  int widths[4] = {-1, 0, 0, 0};
  const unsigned texts[3] = {shellstr::kPaneTitleWidth, shellstr::kPaneAircraftWidth, shellstr::kPaneZoomWidth};
  for (int i = 0; i < 3; ++i) widths[i + 1] = GetTextExtent(Wx(ui::LoadString(texts[i]))).x + 8;
  m_status->SetFieldsCount(4, widths);
  m_toolBar = new CToolBarEx(this, MainToolBarCommands(), 16, 15);

  m_outer = new CSplitWnd(this, 2, 1);
  m_row0 = new CSplitWnd(m_outer, 1, 2);
  m_row1 = new CSplitWnd(m_outer, 1, 3);
  m_outer->SetPane(0, 0, m_row0);
  m_outer->SetPane(1, 0, m_row1);

  auto make = [this](PaneSlot slot, wxWindow* parent) {
    auto* view = new CPaneView(slot, *m_document, parent);
    m_views[static_cast<size_t>(slot)] = view;
    return view->GetWindow();
  };
  m_row0->SetPane(0, 0, make(PaneSlot::Search, m_row0));
  auto* menuPlan = new CMenuPlanView(m_row0, *m_document);
  m_views[static_cast<size_t>(PaneSlot::PlanTable)] = menuPlan->GetPlanView();
  m_row0->SetPane(0, 1, menuPlan);
  m_row1->SetPane(0, 0, make(PaneSlot::Pilot1, m_row1));
  m_row1->SetPane(0, 1, make(PaneSlot::Pilot2, m_row1));
  m_row1->SetPane(0, 2, make(PaneSlot::Map, m_row1));
  m_activeView = menuPlan->GetPlanView();

  auto form = [this](PaneSlot slot) {
    IPaneWindow* pane = GetPaneView(slot)->GetPane();
    return pane != nullptr ? pane->GetFormSize() : wxSize(0, 0);
  };
  m_searchForm = form(PaneSlot::Search);
  m_pilot1Form = form(PaneSlot::Pilot1);
  m_pilot2Form = form(PaneSlot::Pilot2);
  ApplyLayoutKeys(kDockedSection, false);

  Bind(wxEVT_SIZE, [this](wxSizeEvent&) { LayoutFrame(); });
  m_status->Show(ReadLayoutInt(kDockedSection, "Statusbar", 1) != 0);
  LoadBarState(kDockedSection);

  for (CPaneView* view : m_views)
    if (view != nullptr) view->OnUpdate(nullptr, nullptr);
}

void CMainFrm::ApplyLayoutKeys(const char* section, bool floatingDefaults) {
  m_outer->SetRowInfo(0, ReadLayoutInt(section, "PlanHeight", floatingDefaults ? 0 : kDefaultPlanHeight),
                      kMinimumPlanHeight);
  m_row0->SetColumnInfo(0, ReadLayoutInt(section, "SearchWidth", floatingDefaults ? 0 : m_searchForm.x),
                        m_searchForm.x / 2);
  m_row1->SetColumnInfo(0, ReadLayoutInt(section, "Pilot1Width", floatingDefaults ? 0 : m_pilot1Form.x),
                        m_pilot1Form.x / 2);
  m_row1->SetColumnInfo(1, ReadLayoutInt(section, "Pilot2Width", 0), m_pilot2Form.x / 2);
}

void CMainFrm::LayoutFrame() {
  wxRect r(GetClientSize());
  if (m_status->IsShown()) {
    const int h = m_status->GetBestSize().y;
    m_status->SetSize(r.x, r.GetBottom() - h + 1, r.width, h);
    r.height -= h;
  }
  if (m_toolBar->IsShown()) {
    const wxSize bar = m_toolBar->LayoutFor(m_toolBar->IsHorizontal() ? r.width : r.height);
    switch (m_toolBar->GetEdge()) {
      case CToolBarEx::kTop:
        m_toolBar->SetSize(r.x, r.y, r.width, bar.y);
        r.y += bar.y;
        r.height -= bar.y;
        break;
      case CToolBarEx::kBottom:
        m_toolBar->SetSize(r.x, r.GetBottom() - bar.y + 1, r.width, bar.y);
        r.height -= bar.y;
        break;
      case CToolBarEx::kLeft:
        m_toolBar->SetSize(r.x, r.y, bar.x, r.height);
        r.x += bar.x;
        r.width -= bar.x;
        break;
      case CToolBarEx::kRight:
        m_toolBar->SetSize(r.GetRight() - bar.x + 1, r.y, bar.x, r.height);
        r.width -= bar.x;
        break;
    }
  }
  m_outer->SetSize(r.x, r.y, std::max(r.width, 0), std::max(r.height, 0));
}

void CMainFrm::DockToolBar(int edge) {
  m_toolBar->SetEdge(static_cast<CToolBarEx::Edge>(edge));
  LayoutFrame();
}

// The tool bar's place and visibility per docking state, beside the layout keys.
void CMainFrm::SaveBarState(const char* section) {
  const std::string bar = std::string(section) + "-Bar0";
  WriteLayoutInt(bar.c_str(), "Visible", m_toolBar->IsShown() ? 1 : 0);
  WriteLayoutInt(bar.c_str(), "Edge", m_toolBar->GetEdge());
}

void CMainFrm::LoadBarState(const char* section) {
  const std::string bar = std::string(section) + "-Bar0";
  m_toolBar->Show(ReadLayoutInt(bar.c_str(), "Visible", 1) != 0);
  const int edge = ReadLayoutInt(bar.c_str(), "Edge", CToolBarEx::kTop);
  m_toolBar->SetEdge(edge >= CToolBarEx::kTop && edge <= CToolBarEx::kRight ? static_cast<CToolBarEx::Edge>(edge)
                                                                            : CToolBarEx::kTop);
}

void CMainFrm::CloseViews() {
  m_timer.Stop();
  for (CPaneView*& view : m_views) {
    if (view == nullptr) continue;
    if (m_document != nullptr) m_document->RemoveView(view);
    view->SetDocument(nullptr);
    delete view;
    view = nullptr;
  }
  m_activeView = nullptr;
}

bool CMainFrm::IsDocked() const { return GetParent() == m_docked; }

wxWindow* CMainFrm::ContainerOf(bool docked) const {
  return docked ? static_cast<wxWindow*>(m_docked) : static_cast<wxWindow*>(m_floating);
}

bool CMainFrm::ToggleShowWindow() {
  if (m_visible) {
    // A preview belongs to the planner's picture: it goes first.
    ClosePrintPreviews();
    SaveLayout(IsDocked());
    ContainerOf(IsDocked())->Hide();
    if (wxWindow* host = m_host != nullptr ? m_host->GetHostWindow() : nullptr) host->SetFocus();
    m_visible = false;
    return m_visible;
  }
  const bool firstShow = !m_shownOnce;
  bool loaded = false;
  int removed = 0;
  bool remembered = false;
  SceneryChoice automatic;
  if (firstShow && m_document != nullptr) {
    SidStarStoreOf(m_document->GetPlan()).ScanFiles();
    m_document->UpdatePlanViews(nullptr, kHintSidStarCatalogue);
    remembered = OpenScenery(m_document->GetPlan(), loaded, removed, true, &automatic);
  }
  if (IsDocked())
    m_docked->ShowOverHost();
  else
    m_floating->ShowFloat();
  SetFocus();
  m_visible = true;
  if (firstShow) {
    // The window is up before a failed or missing database is told or asked for.
    if (remembered && !loaded) ShowSceneryLoadFailure(m_document->GetPlan().Ui(), automatic);
    SceneryChoice asked;
    if (!loaded && m_document != nullptr && OpenScenery(m_document->GetPlan(), loaded, removed, false, &asked) &&
        !loaded)
      ShowSceneryLoadFailure(m_document->GetPlan().Ui(), asked);
    if (loaded && m_document != nullptr) m_document->UpdatePlanViews(nullptr, kHintDatabaseReloaded | kHintPlanGeometry);
    m_shownOnce = true;
  }
  return m_visible;
}

void CMainFrm::OnToggleDocked() {
  const bool docked = IsDocked();
  SaveLayout(docked);
  if (docked) {
    m_docked->Hide();
    Reparent(m_floating);
    m_floating->PlaceFrame();
    RestoreLayout(false);
    m_floating->ShowFloat();
  } else {
    m_floating->Hide();
    Reparent(m_docked);
    m_docked->PlaceFrame();
    RestoreLayout(true);
    m_docked->ShowOverHost();
  }
  SetFocus();
}

void CMainFrm::SaveLayout(bool docked) {
  const char* section = docked ? kDockedSection : kFloatingSection;
  WriteLayoutInt(section, "Statusbar", m_status->IsShown() ? 1 : 0);
  WriteLayoutInt(section, "PlanHeight", m_outer->GetRowCurrent(0));
  WriteLayoutInt(section, "SearchWidth", m_row0->GetColumnCurrent(0));
  WriteLayoutInt(section, "Pilot1Width", m_row1->GetColumnCurrent(0));
  WriteLayoutInt(section, "Pilot2Width", m_row1->GetColumnCurrent(1));
  SaveBarState(section);
  if (IPaneWindow* map = MapPane()) map->SaveSidStarDescHeight(docked);
}

void CMainFrm::RestoreLayout(bool docked) {
  const char* section = docked ? kDockedSection : kFloatingSection;
  m_toolBar->Hide();
  LoadBarState(section);
  m_status->Show(ReadLayoutInt(section, "Statusbar", docked ? 1 : 0) != 0);
  ApplyLayoutKeys(section, !docked);
  LayoutFrame();
  m_outer->RecalcLayout();
  m_row0->RecalcLayout();
  m_row1->RecalcLayout();
  if (IPaneWindow* map = MapPane()) map->LoadSidStarDescHeight(docked);
}

IPaneWindow* CMainFrm::MapPane() const {
  const CPaneView* view = GetPaneView(PaneSlot::Map);
  return view != nullptr ? view->GetPane() : nullptr;
}

void CMainFrm::ToggleFlyFlightPlan() {
  if (auto* toggle = static_cast<int32_t*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_FP_TOGGLE"))) *toggle = 1;
  if (auto* waypoint = static_cast<int32_t*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_FP_WP"))) *waypoint = -1;
}

void CMainFrm::SetMessageText(const wxString& text) { m_status->SetStatusText(text, 0); }

void CMainFrm::ShowCommandPrompt(int command) {
  const std::string prompt = command > 0 ? StatusPrompt(static_cast<unsigned>(command)) : std::string();
  if (prompt.empty()) {
    if (m_promptShown) SetMessageText(m_textBeforePrompt);
    m_promptShown = false;
    return;
  }
  if (!m_promptShown) m_textBeforePrompt = GetMessageText();
  m_promptShown = true;
  SetMessageText(Wx(prompt));
}
wxString CMainFrm::GetMessageText() const { return m_status->GetStatusText(0); }

void CMainFrm::BeginModalState() {
  if (m_modalDepth++ == 0) ContainerOf(IsDocked())->Disable();
}

void CMainFrm::EndModalState() {
  if (m_modalDepth > 0 && --m_modalDepth == 0) ContainerOf(IsDocked())->Enable();
}

// The pane that holds the keyboard focus makes its view the active one. The focus is looked at
// whenever a command or update pass is routed, not only told by child-focus events: generic
// controls (the list's inner window among them) handle those themselves and never pass them on.
void CMainFrm::FollowFocus() {
  for (wxWindow* w = wxWindow::FindFocus(); w != nullptr && w != this; w = w->GetParent())
    for (CPaneView* view : m_views)
      if (view != nullptr && view->GetWindow() == w) {
        m_activeView = view;
        return;
      }
}

bool CMainFrm::TryBefore(wxEvent& event) {
  const wxEventType type = event.GetEventType();
  if (!m_routing && (type == wxEVT_MENU || type == wxEVT_UPDATE_UI)) {
    FollowFocus();
    m_routing = true;
    bool handled = false;
    if (m_activeView != nullptr)
      handled = m_activeView->ProcessEventLocally(event);
    else if (m_document != nullptr)
      handled = m_document->ProcessEventLocally(event);
    m_routing = false;
    if (handled) return true;
  }
  return wxPanel::TryBefore(event);
}

bool CMainFrm::RouteCommand(int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetEventObject(this);
  return ProcessWindowEvent(event);
}

void CMainFrm::UpdateMenuItems(wxMenu& menu) {
  for (size_t i = menu.GetMenuItemCount(); i-- > 0;) {
    wxMenuItem* item = menu.FindItemByPosition(i);
    if (item->IsSubMenu()) {
      UpdateMenuItems(*item->GetSubMenu());
      continue;
    }
    if (item->IsSeparator()) continue;
    const int id = item->GetId();
    if (id == cmd::kFileMru) {
      ShowRecentFiles(menu, i);
      continue;
    }
    const bool removable = (id >= cmd::kSaveAsSidStar && id <= cmd::kSaveAsStar) || id == cmd::kMultiplayerConnect ||
                           id == cmd::kMultiplayerDisconnect;
    if (removable && m_document != nullptr && !m_document->MenuItemStays(id)) {
      menu.Destroy(item);
      continue;
    }
    wxUpdateUIEvent event(id);
    event.SetEventObject(this);
    ProcessWindowEvent(event);
    item->Enable(event.GetSetEnabled() && event.GetEnabled());
    if (item->IsCheckable()) item->Check(event.GetSetChecked() && event.GetChecked());
    if (event.GetSetText()) item->SetItemLabel(event.GetText());
  }
}

void CMainFrm::ShowRecentFiles(wxMenu& menu, size_t position) {
  const auto& recent = g_App.GetRecentFiles();
  wxMenuItem* item = menu.FindItemByPosition(position);
  const size_t shown = RecentFilesShown(recent);
  if (shown == 0) {
    item->Enable(false);
    return;
  }
  for (size_t k = 0; k < shown; ++k) {
    const wxString text = wxString::Format("&%zu %s", k + 1, wxString::FromUTF8(recent[k]));
    if (k == 0)
      item->SetItemLabel(text);
    else
      menu.Insert(position + k, cmd::kFileMru + static_cast<int>(k), text);
    menu.FindItemByPosition(position + k)->Enable(true);
  }
}

void CMainFrm::ShowPopup(wxMenu& menu, const wxPoint& screenPoint) {
  UpdateMenuItems(menu);
  PopupMenu(&menu, ScreenToClient(screenPoint));
}

void CMainFrm::OnFrameCommand(wxCommandEvent& event) {
  switch (event.GetId()) {
    case cmd::kToggleDocked:
      OnToggleDocked();
      return;
    case cmd::kViewStatusBar:
      m_status->Show(!m_status->IsShown());
      LayoutFrame();
      return;
    case cmd::kViewToolbar:
      m_toolBar->Show(!m_toolBar->IsShown());
      LayoutFrame();
      return;
    case cmd::kAppAbout:
      ShowAboutDialog(this);
      return;
    case cmd::kFilePrintSetup:
      RunPrintSetup(wxGetTopLevelParent(this));
      return;
    case cmd::kPrint:
    case cmd::kPrintPreview:
      RunPrint(event.GetId() == cmd::kPrintPreview);
      return;
    default:
      event.Skip();
  }
}

void CMainFrm::OnFrameUpdate(wxUpdateUIEvent& event) {
  switch (event.GetId()) {
    case cmd::kToggleDocked: {
      event.Enable(true);
      event.Check(IsDocked());
      if (wxDynamicCast(event.GetEventObject(), wxMenu) != nullptr || event.GetEventObject() == this)
        event.SetText("&Docked Window\t" + hotkey::KeyText(g_Settings.GetDockingKey(false)));
      return;
    }
    case cmd::kViewStatusBar:
      event.Enable(true);
      event.Check(m_status->IsShown());
      return;
    case cmd::kViewToolbar:
      event.Enable(true);
      event.Check(m_toolBar->IsShown());
      return;
    case cmd::kAppAbout:
    case cmd::kFilePrintSetup:
    case cmd::kPrint:
    case cmd::kPrintPreview:
      event.Enable(true);
      return;
    default:
      event.Skip();
  }
}

// The chosen pane becomes the active view, as the one the job prints.
void CMainFrm::RunPrint(bool preview) {
  const PrintChoice choice = RunPrintModeDialog(this);
  if (choice == PrintChoice::Cancel || m_document == nullptr) return;
  const PaneSlot slot = choice == PrintChoice::Plan ? PaneSlot::PlanTable : PaneSlot::Map;
  CPaneView* view = GetPaneView(slot);
  if (view == nullptr || view->GetWindow() == nullptr) return;
  SetActiveView(view);
  PrintPane(slot, view->GetWindow(), *m_document, preview);
}

void CMainFrm::OnTimer(wxTimerEvent&) { OnHeartbeat(); }

void CMainFrm::OnHeartbeat() {
  const TickWork work = PlanTick(m_tickCounter, m_shownOnce, wxWindow::GetCapture() != nullptr);
  if (work.idle) RunIdleUpdate();
  if (work.dialogWatch) WatchHostDialogs();
  if (work.documentTick && m_document != nullptr) m_document->OnTick(m_tickCounter);
  if (m_shownOnce) ++m_tickCounter;
}

void CMainFrm::RunIdleUpdate() {
  if (!m_visible) return;
  // A running move of the aircraft shows the wait cursor over the module's windows.
  const auto* sim = m_document != nullptr ? dynamic_cast<const CFlightPlanSim*>(&m_document->GetPlan()) : nullptr;
  const bool busy = sim != nullptr && sim->IsMoving();
  if (busy != m_busyCursor) {
    m_busyCursor = busy;
    SetCursor(busy ? wxCursor(wxCURSOR_WAIT) : wxNullCursor);
  }
  UpdateWindowUI(wxUPDATE_UI_RECURSE);
  m_toolBar->UpdateStates();
  UpdateStatusPanes();
}

void CMainFrm::UpdateStatusPanes() {
  if (m_document == nullptr || !m_status->IsShown()) return;
  const wxString title = Wx(m_document->GetPlanTitle());
  if (m_status->GetStatusText(1) != title) m_status->SetStatusText(title, 1);
  const wxString aircraft = Wx(m_document->GetAircraftTitle());
  if (m_status->GetStatusText(2) != aircraft) m_status->SetStatusText(aircraft, 2);
  // Without a map view the zoom pane keeps its text.
  const CPaneView* map = GetPaneView(PaneSlot::Map);
  const IPaneWindow* pane = map != nullptr ? map->GetPane() : nullptr;
  if (const int zoom = pane != nullptr ? pane->GetMapZoom() : 0; zoom > 0) {
    const wxString text = wxString::Format("x%d", zoom);
    if (m_status->GetStatusText(3) != text) m_status->SetStatusText(text, 3);
  }
}

void CMainFrm::WatchHostDialogs() {
  wxWindow* host = m_host != nullptr ? m_host->GetHostWindow() : nullptr;
  HostDialogFacts facts;
  for (wxWindow* w : wxTopLevelWindows) {
    auto* dialog = wxDynamicCast(w, wxDialog);
    if (dialog == nullptr || dialog->GetParent() != host || !dialog->IsShown()) continue;
    facts.ownDialog = true;
    const wxWindowList& children = dialog->GetChildren();
    if (!children.empty()) {
      if (auto* button = wxDynamicCast(children.front(), wxButton)) {
        facts.firstChildIsButton = true;
        facts.firstChildLabel = button->GetLabel().utf8_string();
      }
    }
    break;
  }
  m_mayShow = MayShowOverHostDialog(g_Settings.GetSimVer(), facts);
  if (!m_mayShow && m_visible) ToggleShowWindow();
}

void CMainFrm::ShowStatusText(const std::string& text) { OnAppMessage(WM_APP_STATUS_TEXT, 0, &text); }

void CMainFrm::RunFmsSettings(wxWindow* parent) { RunOptionsSheet(parent, m_document, true); }

void CMainFrm::ShowIdleStatus() { OnAppMessage(WM_APP_STATUS_TEXT, shellstr::kIdlePrompt, nullptr); }

void CMainFrm::OnAppMessage(uint32_t code, uintptr_t wParam, const std::string* text) {
  if (m_document == nullptr) return;
  switch (code) {
    case WM_APP_WIND_CHANGED: m_document->OnWindChanged(); break;
    case WM_APP_SIMDATA_CHANGED: m_document->OnSimDataChanged(); break;
    case WM_APP_GUIDANCE_CHANGED: m_document->OnGuidanceChanged(); break;
    case WM_APP_STATUS_TEXT:
      if (!AcceptStatusText(text != nullptr, m_customStatus)) break;
      SetMessageText(Wx(text != nullptr ? *text : ui::LoadString(static_cast<unsigned>(wParam))));
      break;
    default: break;
  }
}
