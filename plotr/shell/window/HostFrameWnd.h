#pragma once
// The hook on the simulator's main window: a handler pushed onto it that translates the
// module's hot keys and edit keys, puts the module's popup first in the simulator's first menu,
// keeps the docked container over the client area and takes part in the simulator's close.
// Everything else passes on to the simulator's own handling.

#include <wx/event.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include <vector>

#include "plotr/shell/HotKeys.h"

class CFloatWnd;
class CFloatWndMain;
class CMainFrm;
class CModuleDocManager;
class CPlotrDoc;

class CHostFrameWnd : public wxEvtHandler {
 public:
  explicit CHostFrameWnd(wxFrame* host);
  ~CHostFrameWnd() override;

  // Pushes the hook onto the host window.
  void Hook();
  // Pops it again (before the host window dies: wx asserts on a window destroyed with a
  // handler still pushed).
  void Unhook();
  bool IsHooked() const { return m_hooked; }

  // Creates the document, its manager and template, both containers and the main frame, and
  // loads the sounds. False on the first failure, with everything created before removed.
  bool CreateModuleWindows();
  void BuildHotKeyAccelerators();

  wxFrame* GetHostWindow() const { return m_host; }
  CMainFrm* GetMainFrame() const { return m_frame; }
  CPlotrDoc* GetDocument() const { return m_document; }

  // The virtual-key code of a wx key code, or 0 for keys the tables never name.
  static int VirtualKeyOf(int wxKeyCode);
  // Hot keys first, then the edit keys while the module is visible; true when a command ran.
  bool TranslateKey(const wxKeyEvent& event);

  // The module's popup at the head of the simulator's first menu; inserted once, rewritten on
  // every opening of that menu.
  void InsertModulePopup();
  void UpdateModulePopup();
  wxMenu* GetModulePopup() const { return m_popup; }

 private:
  void OnKey(wxKeyEvent& event);
  void OnCommand(wxCommandEvent& event);
  void OnMenuOpen(wxMenuEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnMove(wxMoveEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnActivate(wxActivateEvent& event);
  void DestroyModuleWindows();

  wxFrame* m_host;
  bool m_hooked = false;
  std::vector<hotkey::Accelerator> m_hotKeys;
  std::vector<hotkey::Accelerator> m_editKeys;
  wxMenu* m_popup = nullptr;
  CModuleDocManager* m_manager = nullptr;
  CPlotrDoc* m_document = nullptr;
  CFloatWndMain* m_docked = nullptr;
  CFloatWnd* m_floating = nullptr;
  CMainFrm* m_frame = nullptr;
};

// The module's hook while it exists.
CHostFrameWnd* GetHostHook();

// The module's init step: finds the simulator's window, hooks it and creates the windows.
// False when the module stays without windows.
bool InitModuleWindows(wxWindow* host);

// The About dialog.
void ShowAboutDialog(wxWindow* parent);
