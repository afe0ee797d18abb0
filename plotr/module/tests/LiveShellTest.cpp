// The planner's frame as a pilot finds it in the stand-in simulator, by clicks, drags and keys:
// the Plan menu's recent files, Print Preview beside the hot keys and the simulator's menu, the
// tool bar dragged by its gripper, the avionics form in a short pane, the floating caption, and
// the whole docked window at the simulator's smallest size and at a large one.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/prntbase.h>
#include <wx/settings.h>
#include <wx/statusbr.h>

#include <string>

#include "platform/profile/Profile.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/CommandIds.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/FloatWnd.h"
#include "plotr/shell/window/MenuViews.h"
#include "plotr/shell/window/SplitWnd.h"
#include "plotr/shell/window/ToolBarEx.h"
#include "plotr/sim/Avionics.h"
#include "plotr/sim/window/PilotView.h"

namespace {

using live::Click;
using live::FindWindowOf;
using live::PumpUntil;

wxPreviewFrame* ShownPreview() {
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* preview = dynamic_cast<wxPreviewFrame*>(w); preview != nullptr && w->IsShownOnScreen()) return preview;
  return nullptr;
}

// A rectangle of the screen, from a window's client rectangle.
wxRect OnScreen(const wxWindow* window) { return wxRect(window->ClientToScreen(wxPoint(0, 0)), window->GetClientSize()); }

class LiveShell : public live::LivePlanner {
 protected:
  CMenuView* MenuColumn() { return FindWindowOf<CMenuView>(main); }
  CToolBarEx* ToolBar() { return main->GetToolBar(); }
  // The middle of the bar's gripper, in the bar's client coordinates.
  wxPoint Gripper() {
    const wxSize size = ToolBar()->GetClientSize();
    return ToolBar()->IsHorizontal() ? wxPoint(4, size.y / 2) : wxPoint(size.x / 2, 4);
  }
  // A point of the bar over the button of a command; (-1, -1) when no part of it is on the bar.
  wxPoint ButtonPoint(int command) {
    const wxSize size = ToolBar()->GetClientSize();
    for (int y = 0; y < size.y; y += 2)
      for (int x = 0; x < size.x; x += 2)
        if (ToolBar()->CommandAt(wxPoint(x, y)) == command) return wxPoint(x + 6, y + 6);
    return wxPoint(-1, -1);
  }

  // Docked planner, nothing cut off: the bar's last button, the panes and the status bar all lie
  // inside the frame, and the bar ends above the status bar.
  void ExpectNothingCutOff() {
    const wxRect frame = OnScreen(main);
    const wxRect status = main->GetStatusBar()->GetScreenRect();
    ASSERT_TRUE(main->GetStatusBar()->IsShown());
    EXPECT_TRUE(frame.Contains(status)) << "status bar outside the frame";
    const wxRect bar = ToolBar()->GetScreenRect();
    EXPECT_TRUE(frame.Contains(bar)) << "tool bar outside the frame";
    EXPECT_LE(bar.GetBottom(), status.GetTop() - 1) << "the tool bar runs under the status bar";
    const wxPoint last = ButtonPoint(cmd::kAppAbout);
    EXPECT_NE(last, wxPoint(-1, -1)) << "the last button is not on the bar";
    for (PaneSlot slot : {PaneSlot::Search, PaneSlot::PlanTable, PaneSlot::Pilot1, PaneSlot::Pilot2, PaneSlot::Map}) {
      const wxWindow* pane = Pane(slot);
      if (pane == nullptr || !pane->IsShown() || pane->GetSize().x == 0) continue;
      const wxRect r = pane->GetScreenRect();
      EXPECT_TRUE(frame.Contains(r)) << "pane " << static_cast<int>(slot) << " leaves the frame";
      EXPECT_LE(r.GetBottom(), status.GetTop() - 1) << "pane " << static_cast<int>(slot) << " under the status bar";
    }
  }
};

// Without recent files the Plan menu's "Recent File" is disabled: a click on it opens nothing.
TEST_F(LiveShell, RecentFileWithoutRecentFilesIsDisabledAndOpensNothing) {
  for (const std::string& file : g_App.GetRecentFiles()) ASSERT_TRUE(file.empty()) << file;
  wxMenu* shown = nullptr;
  main->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
    event.Skip();
    if (event.GetMenu() != nullptr && event.GetMenu()->FindItem(cmd::kFileMru) != nullptr) shown = event.GetMenu();
  });
  bool clicked = false, enabled = true;
  struct Clicker {
    wxMenu*& shown;
    bool& clicked;
    bool& enabled;
    int triesLeft;
    void operator()() {
      const wxMenuItem* item = shown != nullptr ? shown->FindItem(cmd::kFileMru) : nullptr;
      const wxRect rect = item != nullptr ? live::MenuItemOnScreen(*item) : wxRect();
      if (rect.IsEmpty()) {
        if (--triesLeft > 0) live::After(50, *this);
        return;
      }
      live::Pump(100);
      enabled = item->IsEnabled();
      live::ClickNow(wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2));
      clicked = true;
      // A disabled item leaves the popup up: Escape takes it down.
      live::After(300, [] { live::SendNamedKeyNow("Escape"); });
    }
  };
  live::After(50, Clicker{shown, clicked, enabled, 200});
  Click(MenuColumn()->Buttons().at(0));
  ASSERT_TRUE(PumpUntil([&] { return clicked; }, 15000)) << "the Plan menu's Recent File was not found on the screen";
  live::Pump(500);
  EXPECT_FALSE(enabled) << "Recent File is enabled without recent files";
  EXPECT_TRUE(modals.Boxes().empty()) << "the click said: " << modals.BoxTexts().front();
  EXPECT_TRUE(Document().GetPathName().empty());
}

// Print Preview leaves the simulator usable: its menu uncovered, its window enabled, and F9
// over the preview hides the planner, the preview first.
TEST_F(LiveShell, PrintPreviewLeavesTheSimulatorAndTheHotKeys) {
  modals.QueueDriver([](wxDialog& dialog) {
    ASSERT_TRUE(PumpUntil([&] { return dialog.IsShownOnScreen(); }));
    ASSERT_TRUE(live::WaitUntilLaidOut(&dialog));
    Click(FindWindowOf<wxButton>(&dialog, [](const wxButton& b) { return b.GetLabel() == "&Flightplan"; }));
  });
  live::ChooseFromNextPopup('e');  // Print Pr&eview
  Click(MenuColumn()->Buttons().at(0));
  wxPreviewFrame* preview = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (preview = ShownPreview()) != nullptr; })) << "no print preview";
  live::Pump(500);
  live::SaveScreenshot("shell-preview-over-planner");
  EXPECT_TRUE(frame->IsEnabled()) << "the simulator's window is disabled behind the preview";
  const wxRect menuBar = frame->GetMenuBar()->GetScreenRect();
  EXPECT_FALSE(preview->GetScreenRect().Intersects(menuBar)) << "the preview covers the simulator's menu";
  EXPECT_TRUE(OnScreen(main).Contains(preview->GetScreenRect())) << "the preview is not over the planner";

  auto* canvas = FindWindowOf<wxPreviewCanvas>(preview);
  ASSERT_NE(canvas, nullptr);
  live::MoveTo(canvas, live::Centre(canvas));
  live::Key(WXK_F9);
  EXPECT_TRUE(PumpUntil([&] { return !main->IsVisible(); })) << "F9 over the preview did not hide the planner";
  EXPECT_TRUE(PumpUntil([&] { return ShownPreview() == nullptr; })) << "the preview stayed after the planner hid";
  PressHotKey(WXK_F9);
  EXPECT_TRUE(PumpUntil([&] { return main->IsShownOnScreen(); })) << "F9 did not bring the planner back";
}

// The pilot floats the planner and works elsewhere: the caption darkens while another program
// has the keyboard and lights up again with the simulator.
TEST_F(LiveShell, TheFloatingCaptionFollowsTheSimulatorsActivity) {
  PressHotKey(WXK_F9, wxMOD_CONTROL);
  CFloatWnd* floating = main->GetFloatingFrame();
  ASSERT_TRUE(PumpUntil([&] { return floating->IsShownOnScreen() && !main->IsDocked(); })) << "Ctrl+F9 did not float";
  // A point of the caption band clear of its text and buttons.
  const FloatMetrics& m = CFloatWnd::Metrics();
  const auto caption = [&] {
    const wxImage band = live::GrabScreen(floating, wxRect(floating->GetSize().x / 2, m.frame + 1, 4, m.buttonHeight - 2));
    return wxColour(band.GetRed(1, 1), band.GetGreen(1, 1), band.GetBlue(1, 1));
  };
  const wxColour active(0x40, 0x40, 0x40), inactive(0x20, 0x20, 0x20);
  Click(Pane(PaneSlot::Map));
  EXPECT_TRUE(PumpUntil([&] { return caption() == active; })) << "working in the planner: " << caption().GetAsString();

  // Another program's window (one of no owner here) takes the keyboard.
  auto* other = new wxFrame(nullptr, wxID_ANY, "Another program", wxPoint(0, 0), wxSize(200, 150));
  other->Show();
  ASSERT_TRUE(PumpUntil([&] { return other->IsShownOnScreen(); }));
  Click(other);
  EXPECT_TRUE(PumpUntil([&] { return caption() == inactive; })) << "another program active: " << caption().GetAsString();
  live::SaveScreenshot("shell-floating-caption-inactive");
  other->Destroy();
  live::Pump(100);

  Click(frame, wxPoint(20, frame->GetClientSize().y - 20));
  EXPECT_TRUE(PumpUntil([&] { return caption() == active; })) << "the simulator active again: " << caption().GetAsString();
}

// The avionics bar's box passes the simulator's keys on: floating, the arrows go to the
// simulator and leave the box as it was; docked, they move its selection.
TEST_F(LiveShell, TheAvionicsBoxPassesTheArrowsToTheSimulatorWhileFloating) {
  const auto box = [&] { return FindWindowOf<wxComboBox>(Pane(PaneSlot::Pilot1)); };
  ASSERT_NE(box(), nullptr);
  // Opening the box fills it; Escape closes it with the focus left on it.
  const auto focusBox = [&] {
    live::PressInNextPopup("Escape");
    Click(box());
    live::Pump(300);
    ASSERT_GT(box()->GetCount(), 0u);
    // Nothing chosen yet: an arrow would choose the first entry.
    ASSERT_EQ(wxWindow::FindFocus(), box())
        << "the box does not hold the focus: "
        << (wxWindow::FindFocus() ? wxString(wxWindow::FindFocus()->GetClassInfo()->GetClassName()) : wxString("none"));
  };
  // A floating window large enough for the avionics bar, as the pilot left it last time.
  for (const auto& [key, value] : {std::pair{"WindowLeft", 100}, std::pair{"WindowTop", 100},
                                   std::pair{"WindowWidth", 1000}, std::pair{"WindowWeight", 700},
                                   std::pair{"SearchWidth", 200}, std::pair{"Pilot1Width", 220}})
    profile::WriteInt(g_App.GetProfileFile(), "Floating", key, value);
  PressHotKey(WXK_F9, wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return !main->IsDocked() && main->GetFloatingFrame()->IsShownOnScreen(); }));
  ASSERT_TRUE(live::WaitUntilLaidOut(main->GetFloatingFrame()));
  focusBox();
  box()->SetSelection(wxNOT_FOUND);
  live::Key(WXK_DOWN);
  live::Pump(200);
  EXPECT_EQ(box()->GetSelection(), wxNOT_FOUND) << "floating, Down moved the box's selection";

  PressHotKey(WXK_F9, wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return main->IsDocked() && main->IsShownOnScreen(); }));
  ASSERT_TRUE(live::WaitUntilLaidOut(frame));
  focusBox();
  box()->SetSelection(wxNOT_FOUND);
  live::Key(WXK_DOWN);
  EXPECT_TRUE(PumpUntil([&] { return box()->GetSelection() == 0; }, 2000)) << "docked, Down did not move the selection";
}

// The simulator's smallest window.
class LiveShellSmall : public LiveShell {
 protected:
  LiveShellSmall() { simulatorSize = wxSize(800, 600); }
};

TEST_F(LiveShellSmall, TheDockedPlannerShowsEverything) {
  ExpectNothingCutOff();
  live::SaveScreenshot("shell-docked-800x600");
}

// The first avionics form is taller than its pane here: it scrolls to its last buttons.
TEST_F(LiveShellSmall, TheAvionicsFormScrollsToItsLastButtons) {
  auto* pilot = dynamic_cast<CPilotView*>(Pane(PaneSlot::Pilot1));
  ASSERT_NE(pilot, nullptr);
  wxWindow* approach = pilot->Control(avionics::kApproach);
  ASSERT_NE(approach, nullptr);
  const auto visible = [&] { return OnScreen(pilot).Contains(approach->GetScreenRect()); };
  ASSERT_LT(pilot->GetClientSize().y, pilot->GetFormSize().y) << "the form fits: nothing to show";
  EXPECT_FALSE(visible());
  // The wheel over the form's labels, as the pilot reaches for APR.
  live::Wheel(pilot, wxPoint(4, pilot->GetClientSize().y / 2), -10);
  EXPECT_TRUE(PumpUntil([&] { return visible(); }, 2000)) << "APR is still cut off";
  live::SaveScreenshot("shell-avionics-scrolled-800x600");
}

// Docked at the left of the smallest window the bar's last button stays above the status bar and
// opens the About box; on a shorter edge the buttons stand in more columns.
TEST_F(LiveShellSmall, AToolBarOnTheLeftKeepsItsLastButtonInReach) {
  live::Drag(ToolBar(), Gripper(), main, wxPoint(6, main->GetClientSize().y / 2));
  ASSERT_EQ(ToolBar()->GetEdge(), CToolBarEx::kLeft) << "the bar did not dock at the left";
  live::Pump(200);
  live::SaveScreenshot("shell-toolbar-left-800x600");
  ExpectNothingCutOff();
  bool about = false;
  modals.QueueDriver([&](wxDialog& dialog) {
    ASSERT_TRUE(PumpUntil([&] { return dialog.IsShownOnScreen(); }));
    ASSERT_TRUE(live::WaitUntilLaidOut(&dialog));
    about = dialog.GetTitle() == "About Chartwright";
    Click(FindWindowOf<wxButton>(&dialog, [](const wxButton& b) { return b.GetId() == wxID_OK; }));
  });
  const wxPoint last = ButtonPoint(cmd::kAppAbout);
  ASSERT_NE(last, wxPoint(-1, -1));
  Click(ToolBar(), last);
  EXPECT_TRUE(PumpUntil([&] { return about; }, 3000)) << "the About button did not take the click";

  const int column = ToolBar()->GetSize().x;
  EXPECT_GT(ToolBar()->LayoutFor(ToolBar()->GetSize().y / 2).x, column) << "half the length, still one column";
  main->SendSizeEvent();
  live::Pump(100);
  EXPECT_EQ(ToolBar()->GetSize().x, column);
}

// Dropped in the middle of the frame the bar stays where it was; while dragged an outline shows
// where it would go.
TEST_F(LiveShellSmall, AToolBarDroppedInTheMiddleStaysWhereItWas) {
  ASSERT_EQ(ToolBar()->GetEdge(), CToolBarEx::kTop);
  const wxRect before = ToolBar()->GetScreenRect();
  // Nearer the left edge than any other, far from all of them.
  const wxPoint middle(main->GetClientSize().x / 4, main->GetClientSize().y / 2);
  wxRect outline;
  int outlineWindows = 0;
  wxColour outlineColour;
  live::Drag(ToolBar(), Gripper(), main, middle, 12, [&] {
    live::Pump(200);
    outline = ToolBar()->DragRect();
    // What the screen shows in the middle of the outline's top side.
    const wxPoint top = main->ScreenToClient(wxPoint(outline.x + outline.width / 2, outline.y));
    const wxImage seen = live::GrabScreen(main, wxRect(top, wxSize(1, 1)));
    outlineColour = wxColour(seen.GetRed(0, 0), seen.GetGreen(0, 0), seen.GetBlue(0, 0));
    for (wxWindow* w : ToolBar()->GetChildren())
      if (w->GetName() == "CToolBarDragRect" && w->IsShownOnScreen()) ++outlineWindows;
    live::SaveScreenshot("shell-toolbar-drag");
  });
  EXPECT_EQ(outlineWindows, 4) << "no outline while dragging";
  EXPECT_TRUE(outline.Contains(main->ClientToScreen(middle))) << "the outline is not under the pointer";
  EXPECT_EQ(outlineColour, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)) << "the outline is not on the screen";
  EXPECT_EQ(ToolBar()->GetEdge(), CToolBarEx::kTop) << "the bar moved to another edge";
  EXPECT_EQ(ToolBar()->GetScreenRect(), before);
  EXPECT_TRUE(ToolBar()->DragRect().IsEmpty());
  live::Pump(100);
  for (wxWindow* w : ToolBar()->GetChildren())
    EXPECT_FALSE(w->GetName() == "CToolBarDragRect" && w->IsShownOnScreen()) << "the outline stayed";

  // Dropped on the bottom edge's strip it docks there.
  live::Drag(ToolBar(), Gripper(), main, wxPoint(main->GetClientSize().x / 2, main->GetStatusBar()->GetPosition().y - 4));
  EXPECT_EQ(ToolBar()->GetEdge(), CToolBarEx::kBottom);
  ExpectNothingCutOff();
}

class LiveShellLarge : public LiveShell {
 protected:
  LiveShellLarge() { simulatorSize = wxSize(1600, 1000); }
};

TEST_F(LiveShellLarge, TheDockedPlannerShowsEverything) {
  const wxRect screen = wxGetClientDisplayRect();
  ASSERT_TRUE(screen.Contains(frame->GetScreenRect()))
      << "the screen (" << screen.width << "x" << screen.height << ") is smaller than the simulator's window: run "
      << "under xvfb-run -s \"-screen 0 1920x1200x24\" as make test does";
  ExpectNothingCutOff();
  live::SaveScreenshot("shell-docked-1600x1000");
}

}  // namespace
