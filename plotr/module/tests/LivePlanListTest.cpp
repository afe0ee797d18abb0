// The plan table, the search pane and the SID/STAR page as a pilot uses them, by keys and clicks
// only: which pane the edit commands reach, renaming a user fix in the table, the manual-setting
// marks on every colour scheme, the search list's context menu and the Alt key.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/treectrl.h>
#include <wx/vlbox.h>

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile/Profile.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/map/window/MapParentView.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/views/PlanTableRows.h"
#include "plotr/views/window/PlanListCtrl.h"
#include "plotr/views/window/SidStar1TreeView.h"
#include "plotr/views/window/SidStarListView.h"
#include "plotr/views/window/SidStarPage.h"
#include "plotr/views/window/SidStarParentView.h"
#include "plotr/views/window/WxClip.h"

namespace {

using live::Click;
using live::FindWindowOf;
using live::Key;
using live::PumpUntil;

// Zurich, Kloten: the sample installation's airport.
constexpr double kLatitude = 47.46;
constexpr double kLongitude = 8.55;

class LivePlanList : public live::LivePlanner {
 protected:
  LivePlanList() { deadlineSeconds = 90; }

  // Keys the simulator's window heard while a list had the focus.
  std::vector<int> forwardedKeys;

  PlanListCtrl* PlanList() { return FindWindowOf<PlanListCtrl>(Pane(PaneSlot::PlanTable)); }
  wxWindow* SearchEdit() { return FindWindowOf<wxTextCtrl>(Pane(PaneSlot::Search)); }
  wxVListBox* SearchList() { return FindWindowOf<wxVListBox>(Pane(PaneSlot::Search)); }

  wxPoint RowPoint(int row, int x = 40) {
    wxRect rect;
    PlanList()->GetItemRect(row, rect);
    return wxPoint(rect.x + x, rect.y + rect.height / 2);
  }

  // A plan of user fixes a little apart, put in place as a loaded plan would be.
  void PutUserFixes(const std::vector<std::string>& names, uint32_t manualAltitudeOf = ~0u) {
    {
      DatabaseLease lease;
      CRoute points;
      for (size_t i = 0; i < names.size(); ++i) {
        PlanPoint point;
        CRoute::MakeUserPoint(point.ref.point, kLatitude + 0.1 * static_cast<double>(i), kLongitude);
        std::snprintf(point.userName, sizeof point.userName, "%s", names[i].c_str());
        if (i == manualAltitudeOf) {
          point.altitude1 = MakeManualValue(5000);
          point.speed = MakeManualValue(150);
        }
        points.AddPoint(point);
      }
      planedit::AppendPoints(Plan(), points, false);
    }
    Document().UpdatePlanViews(nullptr, kHintPlanChanged);
    planedit::ClearNewFlags(Plan());
    ASSERT_TRUE(PumpUntil([&] { return PlanList()->GetItemCount() >= static_cast<int>(names.size()); }));
    live::Pump(100);
  }

  // Searches by identifier in the search pane; the list then holds its results.
  void Search(const std::string& text) {
    auto* identifiers = FindWindowOf<wxCheckBox>(Pane(PaneSlot::Search));
    ASSERT_NE(identifiers, nullptr);
    // The box stands right of its label.
    Click(identifiers, wxPoint(identifiers->GetClientSize().x - 8, identifiers->GetClientSize().y / 2));
    ASSERT_TRUE(identifiers->GetValue()) << "the Id box did not tick";
    Click(SearchEdit());
    live::Type(text);
    Key(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return SearchList()->GetItemCount() > 0; })) << "no search result for " << text;
  }

  CSidStarPage* ShowSidStarPage() {
    auto* map = dynamic_cast<CScenParentView*>(Pane(PaneSlot::Map));
    if (map == nullptr) return nullptr;
    Click(map->GetTabs(), map->GetTabs()->TabRect(1).GetPosition() + wxPoint(6, 6));
    auto* page = dynamic_cast<CSidStarPage*>(map->GetPage(1));
    if (page == nullptr || !PumpUntil([&] { return page->IsShownOnScreen(); })) return nullptr;
    live::WaitUntilLaidOut(page);
    return page;
  }
};

TEST_F(LivePlanList, EveryPaneTakesTheEditCommandsOnceItHasTheFocus) {
  PutUserFixes({"ONE", "TWO"});
  CSidStarPage* page = ShowSidStarPage();
  ASSERT_NE(page, nullptr) << "no SID/STAR page";
  wxView* search = main->GetPaneView(PaneSlot::Search);
  wxView* mapPane = main->GetPaneView(PaneSlot::Map);
  ASSERT_TRUE(search && mapPane);
  const struct {
    const char* name;
    wxWindow* window;
    wxPoint at;
    wxView* view;
  } clicks[] = {
      {"search field", SearchEdit(), live::Centre(SearchEdit()), search},
      {"plan table", PlanList(), RowPoint(0), main->GetPaneView(PaneSlot::PlanTable)},
      {"SID/STAR legs", page->GetLegList(), wxPoint(30, 30), mapPane},
      {"search list", SearchList(), wxPoint(30, 6), search},
      {"airport tree", page->GetParentView()->GetAirportTree(), wxPoint(20, 8), mapPane},
      {"plan table again", PlanList(), RowPoint(1), main->GetPaneView(PaneSlot::PlanTable)},
  };
  for (const auto& c : clicks) {
    ASSERT_NE(c.window, nullptr) << c.name;
    Click(c.window, c.at);
    EXPECT_TRUE(PumpUntil([&] { return main->GetActiveView() == c.view; }, 2000)) << c.name << " did not become active";
  }
  live::SaveScreenshot("sidstar-page-trees");
}

// Page Up and Down, Home, End and the arrows move through the lines and stay with the list;
// other keys go on to the simulator, whose window hears them as its own.
TEST_F(LivePlanList, NavigationKeysMoveThroughThePlanAndLegListsAndStayThere) {
  PutUserFixes({"A1", "A2", "A3", "A4", "A5", "A6"});
  CSidStarPage* page = ShowSidStarPage();
  ASSERT_NE(page, nullptr) << "no SID/STAR page";
  frame->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
    forwardedKeys.push_back(e.GetKeyCode());
    e.Skip();
  });
  const struct {
    const char* name;
    PlanListCtrl* list;
  } lists[] = {{"plan table", PlanList()}, {"SID/STAR legs", page->GetLegList()}};
  for (const auto& l : lists) {
    SCOPED_TRACE(l.name);
    const int last = l.list->GetItemCount() - 1;
    ASSERT_GE(last, 5);
    const int top = static_cast<int>(l.list->GetTopItem());
    wxRect shown;
    l.list->GetItemRect(top, shown);
    Click(l.list, wxPoint(shown.x + 40, shown.y + shown.height / 2));
    ASSERT_TRUE(PumpUntil([&] { return l.list->FocusedLine() == top; }));
    forwardedKeys.clear();
    // Each key's line, from the line before it.
    const struct {
      int key;
      std::function<bool(int before, int after)> moved;
    } steps[] = {{WXK_HOME, [](int, int a) { return a == 0; }},
                 {WXK_END, [last](int, int a) { return a == last; }},
                 {WXK_HOME, [](int, int a) { return a == 0; }},
                 {WXK_DOWN, [](int b, int a) { return a == b + 1; }},
                 {WXK_DOWN, [](int b, int a) { return a == b + 1; }},
                 {WXK_UP, [](int b, int a) { return a == b - 1; }},
                 {WXK_PAGEDOWN, [](int b, int a) { return a > b; }},
                 {WXK_PAGEUP, [](int b, int a) { return a < b; }},
                 {WXK_RIGHT, [](int b, int a) { return a == b; }},
                 {WXK_LEFT, [](int b, int a) { return a == b; }}};
    for (const auto& step : steps) {
      const int before = l.list->FocusedLine();
      Key(step.key);
      EXPECT_TRUE(PumpUntil([&] { return step.moved(before, l.list->FocusedLine()); }, 1000))
          << "key " << step.key << " moved from line " << before << " to " << l.list->FocusedLine();
    }
    EXPECT_TRUE(forwardedKeys.empty()) << forwardedKeys.size() << " keys reached the simulator, the first "
                                       << (forwardedKeys.empty() ? 0 : forwardedKeys.front());
    Key('X');
    EXPECT_TRUE(PumpUntil([&] { return !forwardedKeys.empty() && forwardedKeys.back() == 'X'; }, 1000))
        << "a letter did not reach the simulator";
  }
}

TEST_F(LivePlanList, AUserFixTakesANameOfFiveCharactersAtMost) {
  PutUserFixes({"ONE", "TWO"});
  // A second click on the selected line's name opens its edit box.
  Click(PlanList(), RowPoint(1));
  ASSERT_TRUE(PumpUntil([&] { return PlanList()->FocusedLine() == 1; }));
  live::Pump(800);
  Click(PlanList(), RowPoint(1));
  wxTextCtrl* edit = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (edit = PlanList()->GetEditControl()) != nullptr && edit->HasFocus(); }))
      << "no edit box";
  Key('A', wxMOD_CONTROL);
  live::Type("ABCDEFGH");
  live::Pump(100);
  EXPECT_EQ(edit->GetValue(), "ABCDE") << "the box took more than five characters";
  live::SaveScreenshot("plan-list-rename");
  Key(WXK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return PlanIdents().size() == 2 && PlanIdents()[1] == "ABCDE"; }))
      << "the fix is named '" << (PlanIdents().size() > 1 ? PlanIdents()[1] : "") << "'";
  EXPECT_TRUE(modals.Boxes().empty());
}

// The marks of manual settings are drawn in the table's text colour: light grey on the blue
// and black schemes, which is no colour the image list may take for "transparent".
TEST_F(LivePlanList, ManualSettingMarksShowOnUnselectedRowsOnEveryScheme) {
  PutUserFixes({"ONE", "TWO", "THREE"}, 1);
  // Only the first row selected: the marked one is drawn as an unselected row.
  Click(PlanList(), RowPoint(0));
  ASSERT_TRUE(PumpUntil([&] { return PlanList()->SelectedLines() == std::vector<int>{0}; }));
  int markedRow = -1, plainRow = -1;
  const std::vector<PlanListLine>& lines = PlanList()->Lines();
  const uint32_t altitudeBit = 1u << plantable::kColAltitude;
  for (size_t i = 1; i < lines.size(); ++i) {
    if ((lines[i].triangleColumns & altitudeBit) != 0 && markedRow < 0) markedRow = static_cast<int>(i);
    if ((lines[i].triangleColumns & altitudeBit) == 0 && plainRow < 0) plainRow = static_cast<int>(i);
  }
  ASSERT_GT(markedRow, 0) << "no row with a manual altitude";
  ASSERT_GT(plainRow, 0);
  int columnLeft = 0;
  for (int c = 0; c < plantable::kColAltitude; ++c) columnLeft += PlanList()->GetColumnWidth(c);
  // The mark stands at the cell's left, ahead of the text.
  const auto markArea = [&](int row) {
    wxRect rect;
    PlanList()->GetItemRect(row, rect);
    return wxRect(rect.x + columnLeft, rect.y, 12, rect.height);
  };
  const struct {
    const char* name;
    int mode;
    wxColour text, back;
  } schemes[] = {{"white", 1, *wxBLACK, *wxWHITE},
                 {"blue", 2, wxColour(0xC0, 0xC0, 0xC0), wxColour(0, 0, 0x40)},
                 {"black", 3, wxColour(0xC0, 0xC0, 0xC0), *wxBLACK}};
  for (const auto& s : schemes) {
    SCOPED_TRACE(s.name);
    g_Settings.SetColorMode(s.mode);
    ASSERT_TRUE(PumpUntil([&] { return PlanList()->GetBackgroundColour() == s.back; }, 3000));
    live::Pump(200);
    const wxImage marked = live::GrabScreen(PlanList(), markArea(markedRow));
    const wxImage plain = live::GrabScreen(PlanList(), markArea(plainRow));
    live::SaveScreenshot(std::string("plan-list-marks-") + s.name);
    // Pixels of the text colour: the mark's, where a row without one shows none.
    const auto inked = [&](const wxImage& image) {
      return image.GetWidth() * image.GetHeight() - live::CountInk(image, s.text, 40);
    };
    EXPECT_GE(inked(marked), 8) << "no mark on the unselected row";
    EXPECT_LE(inked(plain), 2) << "the area shows more than the mark";
  }
}

TEST_F(LivePlanList, CopyFromTheSearchListsMenuCopiesTheRow) {
  Search("LSZH");
  // The focus stays in the search field, as after any search.
  ASSERT_TRUE(SearchEdit()->HasFocus());
  if (wxTheClipboard->Open()) {
    wxTheClipboard->SetData(new wxTextDataObject("before"));
    wxTheClipboard->Close();
  }
  live::ChooseFromNextPopup('c', "search-list-menu");
  // A greyed Copy leaves the menu up: Escape then closes it, and the test fails below.
  live::After(3000, [] {
    if (live::KeyboardGrabbed()) live::SendNamedKeyNow("Escape");
  });
  Click(SearchList(), wxPoint(30, 6), wxMOUSE_BTN_RIGHT);
  EXPECT_TRUE(PumpUntil([&] { return clip::ClipboardBytes(clip::kPlanPointArray).has_value(); }, 3000))
      << "Copy in the menu put no point on the clipboard";
}

TEST_F(LivePlanList, AltInTheFloatingSearchPaneActivatesTheSimulatorsWindow) {
  // A floating planner the pilot has laid out with the search pane open.
  const std::string profile = g_App.GetProfileFile();
  for (const auto& [key, value] : {std::pair{"WindowLeft", 300}, {"WindowTop", 150}, {"WindowWidth", 700},
                                    {"WindowWeight", 500}, {"SearchWidth", 260}, {"PlanHeight", 120}})
    profile::WriteInt(profile, "Floating", key, value);
  ASSERT_TRUE(main->RouteCommand(cmd::kToggleDocked));
  ASSERT_TRUE(PumpUntil([&] { return !main->IsDocked() && main->IsShownOnScreen(); })) << "the planner did not float";
  auto* floating = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(main));
  ASSERT_NE(floating, nullptr);
  ASSERT_NE(floating, frame);
  ASSERT_TRUE(PumpUntil([&] { return SearchList()->IsShownOnScreen() && SearchList()->GetClientSize().x > 100; }))
      << "the floating planner shows no search pane";
  Click(SearchList(), wxPoint(30, 6));
  // The screen has no window manager to make the clicked window the active one.
  if (!PumpUntil([&] { return floating->IsActive(); }, 1000)) floating->Raise();
  ASSERT_TRUE(PumpUntil([&] { return floating->IsActive() && SearchList()->HasFocus(); }))
      << "the floating planner did not take the focus";
  Key(WXK_ALT);
  EXPECT_TRUE(PumpUntil([&] { return frame->IsActive(); }, 2000)) << "Alt left the simulator's window inactive";
  live::SaveScreenshot("alt-in-floating-search");
}

}  // namespace
