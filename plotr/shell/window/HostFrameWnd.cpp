#include "plotr/shell/window/HostFrameWnd.h"

#include <wx/app.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/button.h>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/SceneryOpen.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/DocManager.h"
#include "plotr/shell/window/FloatWnd.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/PlanUiWx.h"
#include "plotr/shell/window/PlotrDoc.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/sim/SoundPlayer.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

CHostFrameWnd* g_hook = nullptr;

wxString Wx(const std::string& cp1252) { return wxString::FromUTF8(win::Cp1252ToUtf8(cp1252)); }

}  // namespace

CHostFrameWnd* GetHostHook() { return g_hook; }

CHostFrameWnd::CHostFrameWnd(wxFrame* host) : m_host(host), m_editKeys(hotkey::EditKeyTable()) {
  AddShellStrings();
  BuildHotKeyAccelerators();
  Bind(wxEVT_CHAR_HOOK, &CHostFrameWnd::OnKey, this);
  Bind(wxEVT_KEY_DOWN, &CHostFrameWnd::OnKey, this);
  Bind(wxEVT_MENU, &CHostFrameWnd::OnCommand, this);
  Bind(wxEVT_MENU_OPEN, &CHostFrameWnd::OnMenuOpen, this);
  Bind(wxEVT_SIZE, &CHostFrameWnd::OnSize, this);
  Bind(wxEVT_MOVE, &CHostFrameWnd::OnMove, this);
  Bind(wxEVT_CLOSE_WINDOW, &CHostFrameWnd::OnClose, this);
  Bind(wxEVT_ACTIVATE, &CHostFrameWnd::OnActivate, this);
  // A host destroyed without a close (a program that only loads its modules) takes the module's
  // windows with it; the document goes and the hook comes off first.
  Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
    event.Skip();
    if (event.GetEventObject() != m_host) return;
    if (m_frame != nullptr) m_frame->CloseViews();
    delete m_manager;
    m_manager = nullptr;
    m_document = nullptr;
    m_frame = nullptr;
    m_floating = nullptr;
    m_docked = nullptr;
    Unhook();
    if (wxTheApp != nullptr) wxTheApp->ScheduleForDestruction(this);
  });
  g_hook = this;
}

CHostFrameWnd::~CHostFrameWnd() {
  Unhook();
  if (g_hook == this) g_hook = nullptr;
}

void CHostFrameWnd::Hook() {
  if (m_hooked) return;
  m_host->PushEventHandler(this);
  m_hooked = true;
  InsertModulePopup();
}

void CHostFrameWnd::Unhook() {
  if (!m_hooked) return;
  m_host->RemoveEventHandler(this);
  m_hooked = false;
}

void CHostFrameWnd::BuildHotKeyAccelerators() { m_hotKeys = hotkey::BuildHotKeyTable(g_Settings); }

int CHostFrameWnd::VirtualKeyOf(int code) {
  if (code >= WXK_F1 && code <= WXK_F12) return hotkey::kVkF1 + (code - WXK_F1);
  if (code >= '0' && code <= '9') return code;
  switch (code) {
    case WXK_NUMPAD_MULTIPLY: return hotkey::kVkMultiply;
    case WXK_NUMPAD_DIVIDE: return hotkey::kVkDivide;
    case WXK_DELETE: case WXK_NUMPAD_DELETE: return hotkey::kVkDelete;
    case WXK_INSERT: case WXK_NUMPAD_INSERT: return hotkey::kVkInsert;
    default: return 0;
  }
}

bool CHostFrameWnd::TranslateKey(const wxKeyEvent& event) {
  const int vk = VirtualKeyOf(event.GetKeyCode());
  if (vk == 0) return false;
  const bool alt = event.AltDown(), ctrl = event.ControlDown(), shift = event.ShiftDown();
  if (const int command = hotkey::Translate(m_hotKeys, vk, alt, ctrl, shift)) {
    wxCommandEvent commandEvent(wxEVT_MENU, command);
    commandEvent.SetEventObject(m_host);
    OnCommand(commandEvent);
    return true;
  }
  if (m_frame != nullptr && m_frame->IsVisible()) {
    if (const int command = hotkey::Translate(m_editKeys, vk, alt, ctrl, shift)) {
      m_frame->RouteCommand(command);
      return true;
    }
  }
  return false;
}

void CHostFrameWnd::OnKey(wxKeyEvent& event) {
  if (!TranslateKey(event)) event.Skip();
}

void CHostFrameWnd::OnCommand(wxCommandEvent& event) {
  switch (event.GetId()) {
    case cmd::kSwitchKey:
      if (m_frame != nullptr) m_frame->ToggleShowWindow();
      return;
    case cmd::kDockingKey:
      if (m_frame != nullptr && m_frame->IsVisible()) m_frame->OnToggleDocked();
      return;
    case cmd::kFlyPlanKey:
      if (m_frame != nullptr) m_frame->ToggleFlyFlightPlan();
      return;
    case cmd::kZoomInKey:
      if (m_frame != nullptr && m_frame->IsVisible()) m_frame->RouteCommand(cmd::kZoomIn);
      return;
    case cmd::kZoomOutKey:
      if (m_frame != nullptr && m_frame->IsVisible()) m_frame->RouteCommand(cmd::kZoomOut);
      return;
    default:
      event.Skip();
  }
}

void CHostFrameWnd::InsertModulePopup() {
  wxMenuBar* bar = m_host->GetMenuBar();
  if (bar == nullptr || bar->GetMenuCount() == 0) return;
  wxMenu* first = bar->GetMenu(0);
  const wxString title = Wx(ui::LoadString(shellstr::kMenuTitle));
  for (wxMenuItem* item : first->GetMenuItems())
    if (item->IsSubMenu() && item->GetItemLabelText() == title) {
      m_popup = item->GetSubMenu();
      UpdateModulePopup();
      return;
    }
  m_popup = new wxMenu;
  m_popup->AppendCheckItem(cmd::kSwitchKey, "-");
  m_popup->AppendCheckItem(cmd::kFlyPlanKey, "-");
  first->Insert(0, wxID_SEPARATOR);
  first->Insert(0, wxID_ANY, title, m_popup);
  UpdateModulePopup();
}

void CHostFrameWnd::UpdateModulePopup() {
  if (m_popup == nullptr || m_popup->GetMenuItemCount() < 2) return;
  const std::string visible =
      ui::LoadString(shellstr::kMenuVisible) + "\t" + hotkey::KeyText(g_Settings.GetSwitchKey(false));
  const std::string fly = ui::LoadString(shellstr::kMenuFlyPlan) + "\t" + hotkey::KeyText(g_Settings.GetFlyPlanKey(false));
  wxMenuItem* visibleItem = m_popup->FindItemByPosition(0);
  wxMenuItem* flyItem = m_popup->FindItemByPosition(1);
  visibleItem->SetItemLabel(Wx(visible));
  flyItem->SetItemLabel(Wx(fly));
  visibleItem->Check(m_frame != nullptr && m_frame->IsVisible());
  bool flying = false;
  if (m_frame != nullptr && m_document != nullptr)
    if (auto* value = static_cast<int32_t*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_FP"))) flying = *value != 0;
  flyItem->Check(flying);
  flyItem->Enable(g_SimBlock.GetSnapshot().flyPlanPossible);
}

void CHostFrameWnd::OnMenuOpen(wxMenuEvent& event) {
  wxMenuBar* bar = m_host->GetMenuBar();
  if (bar != nullptr && bar->GetMenuCount() > 0 && !event.IsPopup() && event.GetMenu() == bar->GetMenu(0))
    UpdateModulePopup();
  event.Skip();
}

void CHostFrameWnd::OnSize(wxSizeEvent& event) {
  event.Skip();
  if (m_docked != nullptr && !m_host->IsIconized()) m_docked->PlaceOverHost();
}

void CHostFrameWnd::OnMove(wxMoveEvent& event) { event.Skip(); }

void CHostFrameWnd::OnActivate(wxActivateEvent& event) {
  event.Skip();
  if (!event.GetActive()) g_SoundPlayer.StopAll();
  // The floating frame's caption follows the simulator's activity.
  if (m_floating != nullptr) {
    CFloatWnd* floating = m_floating;
    CallAfter([this, floating] {
      if (m_floating == floating) floating->FollowOwnerActivity();
    });
  }
}

void CHostFrameWnd::OnClose(wxCloseEvent& event) {
  g_SoundPlayer.Shutdown();
  if (m_frame != nullptr && m_document != nullptr) {
    if (!m_document->OnSaveModified() && event.CanVeto()) {
      event.Veto();
      return;
    }
    m_document->GetPlan().Disconnect();
    if (m_frame->IsVisible()) m_frame->ToggleShowWindow();
  }
  DestroyModuleWindows();
  // The simulator's own close runs with the hook already gone: popping it from inside its own
  // handler would cut the chain that leads there.
  Unhook();
  wxFrame* host = m_host;
  if (wxTheApp != nullptr) wxTheApp->ScheduleForDestruction(this);
  host->GetEventHandler()->ProcessEvent(event);
}

void CHostFrameWnd::DestroyModuleWindows() {
  if (m_frame != nullptr) m_frame->CloseViews();
  delete m_manager;  // closes and deletes the document
  m_manager = nullptr;
  m_document = nullptr;
  if (m_floating != nullptr) m_floating->Destroy();
  if (m_docked != nullptr) m_docked->Destroy();  // and the main frame with it, wherever it is
  if (m_frame != nullptr && m_frame->GetParent() == m_floating) m_frame = nullptr;
  m_frame = nullptr;
  m_floating = nullptr;
  m_docked = nullptr;
}

bool CHostFrameWnd::CreateModuleWindows() {
  SetSceneryFolder(g_App.GetProductFolder());
  m_manager = new CModuleDocManager;
  new CSingleDocTemplateEx(m_manager);
  m_document = new CPlotrDoc;
  m_document->SetDocumentTemplate(m_manager->GetTemplates().empty()
                                      ? nullptr
                                      : static_cast<wxDocTemplate*>(m_manager->GetTemplates().GetFirst()->GetData()));
  m_manager->AddDocument(m_document);
  m_document->NewPlan();

  m_docked = new CFloatWndMain(m_host);
  m_floating = new CFloatWnd(m_host);
  m_frame = new CMainFrm(m_docked, m_floating, this, m_document);
  m_docked->PlaceOverHost();
  m_docked->PlaceFrame();

  if (!g_SoundPlayer.Init(m_host)) return true;
  const std::string bin = g_App.GetBinFolder();
  g_SoundPlayer.LoadSound(kSoundNextWaypoint, bin + "nextwp.wav");
  g_SoundPlayer.LoadSound(kSoundFlyPlanOn, bin + "flyfpon.wav");
  g_SoundPlayer.LoadSound(kSoundFlyPlanOff, bin + "flyfpoff.wav");
  return true;
}

bool InitModuleWindows(wxWindow* hostWindow) {
  auto* host = wxDynamicCast(hostWindow, wxFrame);
  if (host == nullptr) return false;
  auto* hook = new CHostFrameWnd(host);
  hook->Hook();
  if (!hook->CreateModuleWindows()) {
    hook->Unhook();
    delete hook;
    return false;
  }
  return true;
}

void ShowAboutDialog(wxWindow* parent) {
  wxDialog dialog(parent, 100, "About Chartwright");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(&dialog, wxID_ANY, "Chartwright flight planner"), 0, wxALL, 10);
  auto* web = new wxTextCtrl(&dialog, 8000, "https://chartwright.example.org", wxDefaultPosition, wxSize(260, -1),
                             wxTE_READONLY);
  auto* mail = new wxTextCtrl(&dialog, 8001, "support@chartwright.example.org", wxDefaultPosition, wxSize(260, -1),
                              wxTE_READONLY);
  sizer->Add(web, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  sizer->Add(mail, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  sizer->Add(new wxButton(&dialog, wxID_OK, "OK"), 0, wxALIGN_CENTER | wxBOTTOM, 10);
  dialog.SetSizerAndFit(sizer);
  ui::ShowModalDialog(dialog);
}
