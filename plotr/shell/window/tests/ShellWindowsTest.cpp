// The module's windows in process, over the stand-in simulator's main window on a temporary
// simulator root: hot keys, the module popup, docking, the host's dialog watch, the plan file
// commands and the close. Needs a display.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/menu.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/profile/Profile.h"
#include "platform/ui/KeyForward.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/WxMessages.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/DocManager.h"
#include "plotr/shell/window/FloatWnd.h"
#include "plotr/shell/window/HostFrameWnd.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/Panes.h"
#include "plotr/shell/window/PlanObject.h"
#include "plotr/shell/window/PlanUiWx.h"
#include "plotr/shell/window/PlotrDoc.h"
#include "plotr/shell/window/SplitWnd.h"
#include "plotr/shell/window/tests/support/ModuleWindows.h"
#include "plotr/sim/FlightPlanSim.h"
#include "plotr/tools/window/DlgFile.h"
#include "simhost/app/MainFrame.h"

namespace fs = std::filesystem;

namespace {

using shelltest::Pump;

// The frame's calls for the map pane's description height; kept beyond the pane, which goes
// with the module's windows.
std::vector<std::string> g_heightCalls;

// A map pane that keeps the hints it hears.
struct RecordingPane : public wxPanel, public IPaneWindow {
  explicit RecordingPane(wxWindow* parent) : wxPanel(parent) {}
  void OnPlanUpdate(const UpdateHint& hint) override { hints.push_back(hint.bits); }
  void SaveSidStarDescHeight(bool docked) override { g_heightCalls.push_back(docked ? "save docked" : "save floating"); }
  void LoadSidStarDescHeight(bool docked) override { g_heightCalls.push_back(docked ? "load docked" : "load floating"); }
  std::vector<uint32_t> hints;
};
RecordingPane* g_mapPane = nullptr;

class ShellWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = shelltest::MakeSimulatorRoot("cw-shell");
    ASSERT_FALSE(root.empty());
    ASSERT_TRUE(g_App.InitInstance((root / "simhost").string()));

    RegisterPane(PaneSlot::Map, [](wxWindow* parent, IPlotrDocument&) {
      g_mapPane = new RecordingPane(parent);
      return static_cast<wxWindow*>(g_mapPane);
    });
    host = std::make_unique<simhost::HostCore>(90);
    frame = new simhost::MainFrame(*host, simhost::AircraftStart{});
    frame->Show();
    Pump(100);
    ASSERT_TRUE(InitModuleWindows(frame));
    hook = GetHostHook();
    main = GetMainFrame();
    ASSERT_NE(main, nullptr);
  }

  void TearDown() override {
    CModuleDocManager::SetPromptOverride(nullptr);
    if (frame != nullptr) {
      frame->Close(true);
      Pump(100);
    }
    RegisterPane(PaneSlot::Map, nullptr);
    g_mapPane = nullptr;
    fs::remove_all(root);
  }

  // A key press as the host window receives it.
  bool PressKey(int keyCode, bool ctrl = false, bool shift = false) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = keyCode;
    event.SetControlDown(ctrl);
    event.SetShiftDown(shift);
    event.SetEventObject(frame);
    return frame->GetEventHandler()->ProcessEvent(event);
  }

  std::string Profile() const { return (root / "Modules/Chartwright/Bin/Program.cfg").string(); }

  fs::path root;
  std::unique_ptr<simhost::HostCore> host;
  simhost::MainFrame* frame = nullptr;
  CHostFrameWnd* hook = nullptr;
  CMainFrm* main = nullptr;
};

TEST_F(ShellWindowsTest, F9PressTogglesOnceAndFirstShowLoadsTheOnlyDatabase) {
  EXPECT_FALSE(main->IsVisible());
  // Synthetic presses: GUI tests share one display, where real key events could reach another
  // test's window.
  EXPECT_TRUE(PressKey(WXK_F9));
  Pump(100);
  ASSERT_TRUE(main->IsVisible()) << "one press shows";
  EXPECT_TRUE(main->IsDocked());
  EXPECT_TRUE(main->GetDockedContainer()->IsShown());
  ASSERT_NE(g_mapPane, nullptr);
  const auto& hints = g_mapPane->hints;
  EXPECT_NE(std::find(hints.begin(), hints.end(), 0x2000u), hints.end());
  EXPECT_NE(std::find(hints.begin(), hints.end(), 0x110u), hints.end());
  EXPECT_TRUE(PressKey(WXK_F9));
  Pump(100);
  EXPECT_FALSE(main->IsVisible()) << "the next press hides";
}

TEST_F(ShellWindowsTest, ModulePopupIsInsertedOnceAndRewrittenOnOpening) {
  wxMenu* first = frame->GetMenuBar()->GetMenu(0);
  ASSERT_TRUE(first->FindItemByPosition(0)->IsSubMenu());
  EXPECT_EQ(first->FindItemByPosition(0)->GetItemLabelText(), "Chartwright");
  EXPECT_TRUE(first->FindItemByPosition(1)->IsSeparator());
  const size_t count = first->GetMenuItemCount();
  wxMenu* popup = first->FindItemByPosition(0)->GetSubMenu();
  EXPECT_EQ(popup->FindItemByPosition(0)->GetItemLabel(), "Visible\tF9");
  EXPECT_EQ(popup->FindItemByPosition(1)->GetItemLabel(), "Fly Flightplan\tShift+F9");

  g_Settings.SetSwitchKey({"F5", false, true, false});
  hook->BuildHotKeyAccelerators();
  wxMenuEvent open(wxEVT_MENU_OPEN, 0, first);
  frame->GetEventHandler()->ProcessEvent(open);
  EXPECT_EQ(first->GetMenuItemCount(), count);
  EXPECT_EQ(popup->FindItemByPosition(0)->GetItemLabel(), "Visible\tCtrl+F5");
  EXPECT_TRUE(PressKey(WXK_F5, true));
  EXPECT_TRUE(main->IsVisible());
  wxMenuEvent reopen(wxEVT_MENU_OPEN, 0, first);
  frame->GetEventHandler()->ProcessEvent(reopen);
  EXPECT_TRUE(popup->FindItemByPosition(0)->IsChecked());
  g_Settings.SetSwitchKey({"F9", false, false, false});
}

TEST_F(ShellWindowsTest, FloatingAndDockedKeepTheirOwnLayouts) {
  ASSERT_TRUE(PressKey(WXK_F9));
  ASSERT_TRUE(main->IsVisible());
  Pump(100);
  main->GetOuterSplitter()->SetRowInfo(0, 120, 50);
  main->GetOuterSplitter()->RecalcLayout();
  g_heightCalls.clear();
  ASSERT_TRUE(PressKey(WXK_F9, true));
  EXPECT_FALSE(main->IsDocked());
  EXPECT_TRUE(main->GetFloatingFrame()->IsShown());
  EXPECT_EQ(profile::GetInt(Profile(), "Docked", "PlanHeight", -1), 120);
  main->GetOuterSplitter()->SetRowInfo(0, 80, 50);
  main->GetOuterSplitter()->RecalcLayout();
  Pump(50);
  // Keys reach the host from the floating frame too: the docking key docks again.
  wxKeyEvent key(wxEVT_KEY_DOWN);
  key.m_keyCode = WXK_F9;
  key.SetControlDown(true);
  EXPECT_TRUE(ui::ForwardKeyToHost(main->GetOuterSplitter(), key));
  EXPECT_TRUE(main->IsDocked());
  EXPECT_EQ(main->GetPosition(), wxPoint(0, 0)) << "docked, the frame fills its container from the corner";
  EXPECT_EQ(main->GetSize(), main->GetDockedContainer()->GetClientSize());
  EXPECT_EQ(profile::GetInt(Profile(), "Floating", "PlanHeight", -1), 80);
  EXPECT_EQ(profile::GetInt(Profile(), "Docked", "PlanHeight", -1), 120);
  EXPECT_EQ(main->GetOuterSplitter()->GetRowCurrent(0), 120);
  const std::vector<std::string> heights = {"save docked", "load floating", "save floating", "load docked"};
  EXPECT_EQ(g_heightCalls, heights) << "the mode left saves, the mode entered loads";
}

TEST_F(ShellWindowsTest, FloatingCaptionButtonsDockAndHide) {
  ASSERT_TRUE(PressKey(WXK_F9));
  ASSERT_TRUE(PressKey(WXK_F9, true));
  CFloatWnd* floating = main->GetFloatingFrame();
  ASSERT_FALSE(main->IsDocked());
  // Minimising the floating frame docks the module.
  floating->OnCaptionButton(kHitMinimize);
  EXPECT_TRUE(main->IsDocked());
  EXPECT_TRUE(main->IsVisible());
  ASSERT_TRUE(PressKey(WXK_F9, true));
  // Closing it hides the module; the frame stays for the next show.
  Pump(50);
  floating->Close();
  EXPECT_FALSE(floating->IsShown()) << "right after close";
  Pump(50);
  EXPECT_FALSE(main->IsVisible());
  EXPECT_FALSE(floating->IsShown());
  EXPECT_EQ(main->GetFloatingFrame(), floating);
  ASSERT_TRUE(PressKey(WXK_F9));
  EXPECT_TRUE(floating->IsShown());
  // The caption's buttons sit at its right end: close, maximise, minimise.
  const int width = floating->GetSize().x;
  EXPECT_EQ(floating->HitTest(wxPoint(width - 10, 8)), kHitClose);
  EXPECT_EQ(floating->HitTest(wxPoint(width / 2, 8)), kHitCaption);
}

TEST_F(ShellWindowsTest, HostBookDialogHidesTheModule) {
  ASSERT_TRUE(PressKey(WXK_F9));
  auto* dialog = new wxDialog(frame, wxID_ANY, "Simulator");
  new wxButton(dialog, wxID_ANY, "book");
  dialog->Show();
  Pump(50);
  main->WatchHostDialogs();
  EXPECT_FALSE(main->IsVisible());
  EXPECT_FALSE(main->IsShowAllowed());
  dialog->Destroy();
  Pump(50);
  main->WatchHostDialogs();
  EXPECT_TRUE(main->IsShowAllowed());
}

TEST_F(ShellWindowsTest, NewSaveAsAndOpenRoundTripAPlan) {
  ASSERT_TRUE(PressKey(WXK_F9));
  // The recent files shown in the Plan menu: none yet, then the saved plan alone.
  const auto recentItems = [&] {
    wxMenu menu;
    menu.Append(cmd::kFileMru, "Recent File");
    main->UpdateMenuItems(menu);
    std::vector<std::string> items;
    for (size_t i = 0; i < menu.GetMenuItemCount(); ++i) {
      const wxMenuItem* item = menu.FindItemByPosition(i);
      if (item->IsEnabled()) items.push_back(item->GetItemLabel().utf8_string());
    }
    return items;
  };
  EXPECT_TRUE(recentItems().empty());
  const std::string path = (root / "Modules/Chartwright/Plan/Trip.cwp").string();
  std::vector<bool> opens;
  CModuleDocManager::SetPromptOverride([&](std::string& name, int& format, bool open) {
    opens.push_back(open);
    if (!open) {
      EXPECT_EQ(name, "Untitled.cwp");
    }
    name = path;
    format = 0;
    return true;
  });
  CPlotrDoc* doc = main->GetDocument();
  EXPECT_TRUE(main->RouteCommand(cmd::kFileSaveAs));
  ASSERT_TRUE(fs::exists(path));
  EXPECT_EQ(doc->GetPlanTitle(), "Trip");
  EXPECT_TRUE(main->RouteCommand(cmd::kFileNew));
  EXPECT_EQ(doc->GetPlanTitle(), "Untitled");
  EXPECT_TRUE(main->RouteCommand(cmd::kFileOpen));
  EXPECT_EQ(doc->GetPlanTitle(), "Trip");
  EXPECT_EQ(doc->GetPathName(), path);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(opens, (std::vector<bool>{false, true}));

  // The saved plan heads the recent files of the Plan menu and opens from there.
  ASSERT_FALSE(g_App.GetRecentFiles().empty());
  EXPECT_EQ(g_App.GetRecentFiles().front(), path);
  EXPECT_TRUE(main->RouteCommand(cmd::kFileNew));
  EXPECT_TRUE(main->RouteCommand(cmd::kFileMru));
  EXPECT_EQ(doc->GetPlanTitle(), "Trip");
  EXPECT_EQ(recentItems(), std::vector<std::string>{"&1 " + path});
}

// Opening the file of the plan on the screen: unmodified, the plan only comes forward and the file
// is not read (a file spoilt meanwhile is not noticed); modified, the file is read again.
TEST_F(ShellWindowsTest, OpeningTheOpenPlanReadsItOnlyWhenModified) {
  ASSERT_TRUE(PressKey(WXK_F9));
  const std::string path = (root / "Modules/Chartwright/Plan/Trip.cwp").string();
  CModuleDocManager::SetPromptOverride([&](std::string& name, int& format, bool) {
    name = path;
    format = 0;
    return true;
  });
  CPlotrDoc* doc = main->GetDocument();
  ASSERT_TRUE(main->RouteCommand(cmd::kFileSaveAs));
  ASSERT_EQ(doc->GetPathName(), path);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << "not a plan";

  ui::ModalScript script;
  ui::ScopedModalHook boxes(script);
  EXPECT_TRUE(main->RouteCommand(cmd::kFileOpen));
  EXPECT_TRUE(script.Boxes().empty()) << "the unmodified open plan was read again";
  EXPECT_EQ(doc->GetPathName(), path);
  EXPECT_FALSE(doc->IsModified());

  doc->Modify(true);
  EXPECT_TRUE(main->RouteCommand(cmd::kFileOpen));
  ASSERT_EQ(script.Boxes().size(), 1u) << "the modified plan was not read again";
  EXPECT_NE(script.Boxes()[0].text.find("Failed to open document."), std::string::npos);
}

TEST_F(ShellWindowsTest, PlanMessagesAndTheHeartbeatBecomeHints) {
  ASSERT_TRUE(PressKey(WXK_F9));
  g_mapPane->hints.clear();
  // As the plan object posts them, from its tick.
  FrameMessageTarget().Post({WM_APP_WIND_CHANGED, 0, 0});
  FrameMessageTarget().Post({WM_APP_SIMDATA_CHANGED, 0, 0});
  FrameMessageTarget().Post({WM_APP_GUIDANCE_CHANGED, 0, 0});
  Pump(50);
  std::vector<uint32_t> fromMessages;
  for (uint32_t h : g_mapPane->hints)
    if (h == 0x800 || h == 0x200 || h == 0x400) fromMessages.push_back(h);
  EXPECT_EQ(fromMessages, (std::vector<uint32_t>{0x800, 0x200, 0x400}));

  // The periodic hint goes out on the ticks whose counter is 2 modulo 5.
  g_mapPane->hints.clear();
  const uint32_t first = main->GetTickCounter();
  std::vector<uint32_t> periodicTicks;
  for (int i = 0; i < 10; ++i) {
    const uint32_t tick = main->GetTickCounter();
    const size_t before = g_mapPane->hints.size();
    main->OnHeartbeat();
    for (size_t k = before; k < g_mapPane->hints.size(); ++k)
      if (g_mapPane->hints[k] == 0x1000) periodicTicks.push_back(tick);
  }
  EXPECT_EQ(main->GetTickCounter(), first + 10);
  ASSERT_EQ(periodicTicks.size(), 2u);
  for (uint32_t t : periodicTicks) EXPECT_EQ(t % 5, 2u);

  // Status text from the map: a text shows; a string id without a custom text showing is ignored.
  main->OnAppMessage(WM_APP_STATUS_TEXT, 0, nullptr);
  EXPECT_NE(main->GetMessageText(), "");
  const std::string text = "Zoom 4";
  main->OnAppMessage(WM_APP_STATUS_TEXT, 0, &text);
  EXPECT_EQ(main->GetMessageText(), "Zoom 4");
  main->OnAppMessage(WM_APP_STATUS_TEXT, 0xE001, nullptr);
  EXPECT_EQ(main->GetMessageText(), "To zoom in, press right mouse button and move the mouse");
}

TEST_F(ShellWindowsTest, CommandsReachTheActivePaneBeforeTheDocument) {
  ASSERT_TRUE(PressKey(WXK_F9));
  int paneCopies = 0, documentCopies = 0;
  g_mapPane->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++paneCopies; }, cmd::kEditCopy);
  g_mapPane->Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Enable(true); }, cmd::kEditCopy);
  main->GetDocument()->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++documentCopies; }, cmd::kEditCopy);
  main->SetActiveView(main->GetPaneView(PaneSlot::Map));
  EXPECT_TRUE(PressKey(WXK_INSERT, true));
  EXPECT_EQ(paneCopies, 1);
  EXPECT_EQ(documentCopies, 0);
  // Another view active: the map pane does not see the command; the document does.
  main->SetActiveView(main->GetPaneView(PaneSlot::Search));
  EXPECT_TRUE(main->RouteCommand(cmd::kEditCopy));
  EXPECT_EQ(paneCopies, 1);
  EXPECT_EQ(documentCopies, 1);
}

TEST_F(ShellWindowsTest, EditKeysWorkOnlyWhileTheModuleIsVisible) {
  int deletes = 0;
  main->GetDocument()->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++deletes; }, cmd::kEditDelete);
  EXPECT_FALSE(PressKey(WXK_DELETE));
  EXPECT_EQ(deletes, 0);
  ASSERT_TRUE(PressKey(WXK_F9));
  EXPECT_TRUE(PressKey(WXK_DELETE));
  EXPECT_EQ(deletes, 1);
}

TEST_F(ShellWindowsTest, MoveAircraftReachesTheHostThroughItsWindow) {
  auto* plan = dynamic_cast<CFlightPlanSim*>(&main->GetDocument()->GetPlan());
  ASSERT_NE(plan, nullptr);
  plan->MoveAircraft(46.2, 6.1);
  ASSERT_TRUE(plan->IsMoving()) << "the host's window was found";
  for (int i = 0; i < 200 && std::fabs(host->GetAircraft().latitude - 46.2) > 1e-9; ++i) Pump(10);
  EXPECT_DOUBLE_EQ(46.2, host->GetAircraft().latitude);
  EXPECT_DOUBLE_EQ(6.1, host->GetAircraft().longitude);
}

TEST_F(ShellWindowsTest, CloseAsksTheDocumentAndPopsTheHook) {
  ASSERT_TRUE(PressKey(WXK_F9));
  EXPECT_EQ(frame->GetEventHandler(), static_cast<wxEvtHandler*>(hook));
  g_heightCalls.clear();
  frame->Close(true);
  Pump(100);
  frame = nullptr;
  EXPECT_EQ(GetMainFrame(), nullptr);
  // The layout of the visible module was saved on the way out.
  EXPECT_EQ(profile::GetInt(Profile(), "Docked", "Statusbar", -1), 1);
  EXPECT_EQ(g_heightCalls, std::vector<std::string>{"save docked"});
}

TEST(FileDialogTest, SaveAsksBeforeOverwritingAndKeepsTheOldFile) {
  const fs::path dir = fs::temp_directory_path() / ("cw-dlgfile-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "old.cwp") << "old plan";
  ui::ModalScript script;
  script.QueueAnswer(ui::kIdNo);
  script.QueueAnswer(ui::kIdYes);
  script.QueueDriver([](wxDialog& d) {
    auto& dialog = dynamic_cast<CDlgFile&>(d);
    ASSERT_EQ(dialog.GetFileItems().size(), 1u);
    dialog.SetFileName("old");
    EXPECT_TRUE(ui::PressButton(dialog, wxID_OK));
    EXPECT_TRUE(dialog.IsModal()) << "No keeps the dialog open";
    EXPECT_TRUE(ui::PressButton(dialog, wxID_OK));
  });
  ui::ScopedModalHook hook(script);
  CDlgFileSave dialog("cwp", "", "Plans|*.cwp|", dir.string() + "/", nullptr);
  EXPECT_EQ(ui::ShowModalDialog(dialog), wxID_OK);
  EXPECT_EQ(dialog.GetPathName(), dir.string() + "/old.cwp");
  ASSERT_EQ(script.Boxes().size(), 2u);
  EXPECT_NE(script.Boxes()[0].text.find("Overwrite file?"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "old.cwp")) << "the old file stays until the save replaces it";
  fs::remove_all(dir);
}

TEST(OpenSceneryDialogTest, ListsFirstNamesAndReturnsTheChosenEntry) {
  const std::vector<SceneryEntry> entries{{"Alpha", "Alps", "Switzerland"}, {"beta", "Basel", "Rhine"}};
  ui::ModalScript script;
  script.QueueDriver([](wxDialog& d) {
    auto& dialog = dynamic_cast<CDlgOpenScenery&>(d);
    ASSERT_EQ(dialog.GetList()->GetCount(), 2u);
    EXPECT_EQ(dialog.GetList()->GetString(1), "Basel");
    EXPECT_EQ(dialog.GetList()->GetSelection(), 0);
    dialog.GetList()->SetSelection(1);
    EXPECT_TRUE(ui::PressButton(dialog, wxID_OK));
  });
  ui::ScopedModalHook hook(script);
  CWxPlanUi planUi;
  EXPECT_EQ(planUi.ChooseScenery(entries), 1);
  EXPECT_EQ(planUi.ChooseScenery(entries), -1) << "no driver: cancelled";
}

}  // namespace
