#pragma once
// The module's visible window: status bar, the nested splitters with every pane, the 100 ms
// heartbeat, showing and hiding, docking and floating with a layout per state, and the route
// commands take: the active view, the document, then the frame.

#include <wx/eventfilter.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statusbr.h>
#include <wx/timer.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "plotr/core/FrameServices.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/shell/window/Panes.h"

class CFloatWnd;
class CFloatWndMain;
class CHostFrameWnd;
class CPlotrDoc;
class CSplitWnd;
class CToolBarEx;

// Default sizes and minimums of the layout keys.
inline constexpr int kDefaultPlanHeight = 100;
inline constexpr int kMinimumPlanHeight = 50;

class CMainFrm : public wxPanel, public IFrameServices {
 public:
  CMainFrm(CFloatWndMain* docked, CFloatWnd* floating, CHostFrameWnd* host, CPlotrDoc* document);
  ~CMainFrm() override;

  bool ToggleShowWindow();
  void OnToggleDocked();
  bool IsDocked() const override;
  bool IsVisible() const { return m_visible; }
  bool IsShownOnce() const { return m_shownOnce; }
  bool IsShowAllowed() const { return m_mayShow; }
  void SetShowAllowed(bool allowed) { m_mayShow = allowed; }
  void ToggleFlyFlightPlan();
  void SaveLayout(bool docked);
  void RestoreLayout(bool docked);
  // Docks the tool bar at an edge (CToolBarEx::Edge) and lays the frame out again.
  void DockToolBar(int edge);
  CToolBarEx* GetToolBar() const { return m_toolBar; }

  CPlotrDoc* GetDocument() const { return m_document; }
  wxView* GetActiveView() const { return m_activeView; }
  void SetActiveView(wxView* view) { m_activeView = view; }
  CPaneView* GetPaneView(PaneSlot slot) const { return m_views[static_cast<size_t>(slot)]; }
  void SetMessageText(const wxString& text);
  // The status line says what a command does while its menu item or tool button is pointed
  // at; 0, or a command without a text, gives the status line back what it said before.
  void ShowCommandPrompt(int command);
  wxString GetMessageText() const;
  void BeginModalState() override;
  void EndModalState() override;
  void ShowStatusText(const std::string& text) override;
  void ShowIdleStatus() override;
  void RunFmsSettings(wxWindow* parent) override;
  wxWindow* PlannerWindow() override { return this; }

  // Runs a command through the route (active view, document, frame); true when handled.
  bool RouteCommand(int id);
  // Shows a popup menu at a screen point: items that must go are removed, the others updated
  // through the route, and the chosen command goes through the route too.
  void ShowPopup(wxMenu& menu, const wxPoint& screenPoint);
  // The state of a command as the route answers it: enabled, checked, text.
  void UpdateMenuItems(wxMenu& menu);
  // The recent-file item at `position` becomes one item per recent file.
  void ShowRecentFiles(wxMenu& menu, size_t position);

  // One heartbeat tick (the timer calls it every 100 ms).
  void OnHeartbeat();
  uint32_t GetTickCounter() const { return m_tickCounter; }
  // The module windows' update of commands and panes.
  void RunIdleUpdate();
  // The look at the simulator's dialogs.
  void WatchHostDialogs();
  // Private messages 0x8200-0x8202 and 0x8204.
  void OnAppMessage(uint32_t code, uintptr_t wParam, const std::string* text);

  CSplitWnd* GetOuterSplitter() const { return m_outer; }
  CSplitWnd* GetRow0Splitter() const { return m_row0; }
  CSplitWnd* GetRow1Splitter() const { return m_row1; }
  wxStatusBar* GetStatusBar() const { return m_status; }
  CFloatWnd* GetFloatingFrame() const { return m_floating; }
  CFloatWndMain* GetDockedContainer() const { return m_docked; }

  // Destroys the views and stops the heartbeat; the document stays.
  void CloseViews();

 protected:
  bool TryBefore(wxEvent& event) override;
  void FollowFocus();

 private:
  void CreateClient();
  void OnTimer(wxTimerEvent& event);
  void OnFrameCommand(wxCommandEvent& event);
  void RunPrint(bool preview);
  void OnFrameUpdate(wxUpdateUIEvent& event);
  void UpdateStatusPanes();
  void ApplyLayoutKeys(const char* section, bool floatingDefaults);
  void LayoutFrame();
  void SaveBarState(const char* section);
  IPaneWindow* MapPane() const;
  void LoadBarState(const char* section);
  wxWindow* ContainerOf(bool docked) const;

  CFloatWndMain* m_docked;
  CFloatWnd* m_floating;
  CHostFrameWnd* m_host;
  CPlotrDoc* m_document;
  wxStatusBar* m_status = nullptr;
  CToolBarEx* m_toolBar = nullptr;
  CSplitWnd* m_outer = nullptr;
  CSplitWnd* m_row0 = nullptr;
  CSplitWnd* m_row1 = nullptr;
  std::array<CPaneView*, static_cast<size_t>(PaneSlot::Count)> m_views{};
  wxView* m_activeView = nullptr;
  wxSize m_searchForm, m_pilot1Form, m_pilot2Form;
  bool m_mayShow = false;
  bool m_visible = false;
  bool m_busyCursor = false;  // the wait cursor shows while the plan moves the aircraft
  bool m_shownOnce = false;
  bool m_customStatus = false;
  bool m_promptShown = false;
  wxString m_textBeforePrompt;
  std::unique_ptr<wxEventFilter> m_menuPrompts;
  bool m_routing = false;
  int m_modalDepth = 0;
  wxTimer m_timer;
  uint32_t m_tickCounter = 0;
};

// The module's main frame while its windows exist, else null.
CMainFrm* GetMainFrame();
