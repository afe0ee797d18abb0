// A pilot's whole journey through the planner in the stand-in simulator, by keys and clicks only:
// each step checks what it did to the plan, the files or the screen.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/prntbase.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/vlbox.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ui/tests/WxTestRuntime.h"
#include "navdb/Geodesy.h"
#include "plotr/map/window/ScenView.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanDialogForms.h"
#include "plotr/shell/window/MenuViews.h"
#include "plotr/sim/Avionics.h"
#include "plotr/sim/window/PilotView.h"
#include "plotr/tools/window/DlgFile.h"

namespace fs = std::filesystem;

namespace {

using live::Click;
using live::FindWindowOf;
using live::Key;
using live::PumpUntil;

wxButton* ButtonOf(wxWindow* root, int id) {
  return FindWindowOf<wxButton>(root, [&](const wxButton& b) { return b.GetId() == id; });
}

// Waits until the dialog a driver got is up on the screen.
void WaitShown(wxDialog& dialog) {
  ASSERT_TRUE(PumpUntil([&] { return dialog.IsShownOnScreen(); }));
  ASSERT_TRUE(live::WaitUntilLaidOut(&dialog));
}

class Journey : public live::LivePlanner {
 protected:
  // A flight of minutes takes seconds.
  Journey() { timeScale = kTimeScale; }
  static constexpr double kTimeScale = 64;

  wxListCtrl* PlanList() { return FindWindowOf<wxListCtrl>(Pane(PaneSlot::PlanTable)); }
  int RowCount() { return PlanList()->GetItemCount(); }
  int FocusedRow() { return static_cast<int>(PlanList()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED)); }
  wxPoint RowPoint(int row) {
    wxRect rect;
    PlanList()->GetItemRect(row, rect);
    return wxPoint(rect.x + 40, rect.y + rect.height / 2);
  }

  // Ticks the search pane's "Id" box: the search then looks for identifiers.
  void SearchByIdentifier() {
    auto* identifiers = FindWindowOf<wxCheckBox>(Pane(PaneSlot::Search));
    ASSERT_NE(identifiers, nullptr);
    // The box stands right of its label.
    Click(identifiers, wxPoint(identifiers->GetClientSize().x - 8, identifiers->GetClientSize().y / 2));
    ASSERT_TRUE(identifiers->GetValue()) << "the Id box did not tick";
  }

  // Finds an airport by identifier in the search pane and puts it on the plan from the result
  // list's context menu.
  void AddAirportFromSearch(const std::string& ident) {
    wxWindow* search = Pane(PaneSlot::Search);
    auto* edit = FindWindowOf<wxTextCtrl>(search);
    auto* list = FindWindowOf<wxVListBox>(search);
    ASSERT_TRUE(edit && list);
    Click(edit);
    live::Type(ident);
    Key(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() > 0; })) << "no search result for " << ident;
    const size_t before = PlanIdents().size();
    live::ChooseFromNextPopup('t');
    Click(list, wxPoint(30, 6), wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return PlanIdents().size() == before + 1; })) << ident << " not added";
    EXPECT_EQ(PlanIdents().back(), ident);
  }

  // Opens a popup of the menu column (0 Plan, 1 Edit) from its button and picks an item by its
  // underlined letter.
  void Menu(size_t popup, char mnemonic) {
    auto* menu = FindWindowOf<CMenuView>(main);
    ASSERT_NE(menu, nullptr);
    live::ChooseFromNextPopup(mnemonic);
    Click(menu->Buttons().at(popup));
  }
  void PlanMenu(char mnemonic) { Menu(0, mnemonic); }

  // Answers the module's file dialog with a name typed into its name field; `chosen` gets the
  // path the dialog made of it.
  void QueueFileName(const std::string& name, std::string& chosen) {
    modals.QueueDriver([name, &chosen](wxDialog& dialog) {
      WaitShown(dialog);
      live::Type(name);
      Key(WXK_RETURN);
      PumpUntil([&] { return !dialog.IsModal(); }, 2000);
      if (auto* file = dynamic_cast<CDlgFile*>(&dialog)) chosen = file->GetPathName();
    });
  }

  // The table's line of a waypoint, by the identifier in its first column; -1 when none.
  int RowOf(const std::string& ident) {
    for (int row = 0; row < RowCount(); ++row)
      if (PlanList()->GetItemText(row, 0).utf8_string() == ident) return row;
    return -1;
  }
  // Clicks the search field, then the waypoint's line: the plan table must take the commands
  // back from the pane that had them.
  void SelectAfterClickElsewhere(const std::string& ident) {
    Click(FindWindowOf<wxTextCtrl>(Pane(PaneSlot::Search)));
    const int row = RowOf(ident);
    ASSERT_GE(row, 0) << ident << " is not in the table";
    // The pane is a few lines high: scrolled as a user would before the click.
    PlanList()->EnsureVisible(row);
    live::Pump(50);
    Click(PlanList(), RowPoint(row));
    ASSERT_EQ(SelectedRows(), std::vector<int>{row});
  }

  std::vector<int> SelectedRows() {
    std::vector<int> selected;
    for (long row = -1; (row = PlanList()->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) >= 0;)
      selected.push_back(static_cast<int>(row));
    return selected;
  }

  // Fly FP and AP on the avionics bar with the aircraft at the plan's start, the simulator
  // running fast: the active waypoint passes the first two waypoints, and the aircraft, as the
  // simulator has it, never strays more than a mile from the plan's legs.
  void FlyThePlan();

  size_t AirwayPoints() {
    DatabaseLease lease;
    const CRoute* route = Plan().GetCurrent();
    size_t count = 0;
    for (int i = 0; route != nullptr && i < route->GetCount(); ++i)
      if ((*route)[i].flags & kPointAutoRoute) ++count;
    return count;
  }
};

// Miles from a point to the segment from a to b, on a plane tangent at the point: legs of tens
// of miles, where the plane's error is far below the mile that is checked.
double MilesOffSegment(double lat, double lon, const PlanRow& a, const PlanRow& b) {
  constexpr double kDegree = 60.0;  // miles of a degree of latitude
  const double east = kDegree * std::cos(lat * M_PI / 180);
  const double ax = (a.longitude - lon) * east, ay = (a.latitude - lat) * kDegree;
  const double bx = (b.longitude - lon) * east, by = (b.latitude - lat) * kDegree;
  const double dx = bx - ax, dy = by - ay;
  const double length2 = dx * dx + dy * dy;
  const double t = length2 > 0 ? std::clamp(-(ax * dx + ay * dy) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(ax + t * dx, ay + t * dy);
}

void Journey::FlyThePlan() {
  std::vector<PlanRow> rows;
  {
    DatabaseLease lease;
    rows = Plan().m_rows;
  }
  ASSERT_GE(rows.size(), 4u);
  // The plan was made while the simulator ran on: the pilot starts over the departure airport,
  // heading out along the first leg.
  simhost::MoveTarget start;
  start.latitude = rows[0].latitude;
  start.longitude = rows[0].longitude;
  start.altitudeFeet = 4000;
  start.heading = InitialCourse(rows[0].latitude, rows[0].longitude, rows[1].latitude, rows[1].longitude);
  host->ApplyMove(start);

  auto* bar = dynamic_cast<CPilotView*>(Pane(PaneSlot::Pilot1));
  ASSERT_NE(bar, nullptr);
  Click(bar->Control(avionics::kFlyPlan));
  Click(bar->Control(avionics::kAutopilot));
  ASSERT_TRUE(PumpUntil([&] { return Plan().IsFlyPlanActive(); }, 5000)) << "Fly FP did not start the flight";
  EXPECT_TRUE(PumpUntil([&] { return host->GetAircraft().autopilot.master; }, 2000)) << "AP did not engage";

  // Waypoints (not level-change rows) before the active row.
  const auto passed = [&] {
    const int active = Plan().m_currentRow;
    int count = 0;
    for (int i = 0; i < active && i < static_cast<int>(rows.size()); ++i)
      if (!rows[static_cast<size_t>(i)].IsPseudo()) ++count;
    return count;
  };
  double worst = 0;
  double worstAt[2] = {0, 0};
  const auto offLegs = [&] {
    const simhost::Aircraft& a = host->GetAircraft();
    double nearest = 1e9;
    for (size_t i = 1; i < rows.size(); ++i) nearest = std::min(nearest, MilesOffSegment(a.latitude, a.longitude, rows[i - 1], rows[i]));
    if (nearest > worst) {
      worst = nearest;
      worstAt[0] = a.latitude;
      worstAt[1] = a.longitude;
    }
  };
  const double simStart = host->GetAircraft().secondsOfDay;
  // Past the second waypoint and a while on the leg after it, within a minute of the wall clock.
  int afterSecond = 0;
  const bool flown = PumpUntil([&] {
    offLegs();
    if (passed() >= 2) ++afterSecond;
    return afterSecond > 300;
  }, 60000);
  const double simSeconds = host->GetAircraft().secondsOfDay - simStart;
  live::SaveScreenshot("journey-flown");
  EXPECT_TRUE(flown) << "the active waypoint is row " << Plan().m_currentRow << " after " << simSeconds
                     << " s of the simulator's time";
  EXPECT_LT(worst, 1.0) << "the aircraft strayed " << worst << " nm from the legs at " << worstAt[0] << " "
                        << worstAt[1];
  // Stop flying: the rest of the journey needs no guidance.
  Click(bar->Control(avionics::kFlyPlan));
  EXPECT_TRUE(PumpUntil([&] { return !Plan().IsFlyPlanActive(); }, 5000)) << "Fly FP did not stop the flight";
}

TEST_F(Journey, FromSearchToPrintPreview) {
  // Search with "Id" ticked, each airport onto the plan from the context menu.
  SearchByIdentifier();
  AddAirportFromSearch("LSZH");
  AddAirportFromSearch("LSGG");

  // Plan > Calculate auto route... on low airways.
  modals.QueueDriver([](wxDialog& dialog) {
    WaitShown(dialog);
    auto* low = FindWindowOf<wxRadioButton>(&dialog, [](const wxRadioButton& r) { return r.GetLabel() == "Low altitude Airways"; });
    ASSERT_NE(low, nullptr);
    Click(low);
    Click(ButtonOf(&dialog, wxID_OK));
  });
  PlanMenu('u');
  ASSERT_TRUE(PumpUntil([&] { return AirwayPoints() > 0; }, 10000)) << "no airway route";
  // The planner as the README pictures it: the map wheeled down onto the route's middle.
  auto* map = FindWindowOf<CScenView>(Pane(PaneSlot::Map));
  ASSERT_NE(map, nullptr);
  int x = 0, y = 0;
  map->Params().LatLonToPixel(x, y, 46.85, 7.33, map->GetClientSize().x, map->GetClientSize().y, 2);
  live::Wheel(map, {x, y}, 6);
  EXPECT_TRUE(PumpUntil([&] { return map->Params().GetZoom() == 64; })) << map->Params().GetZoom();
  live::Pump(1500);
  live::SaveScreenshot("planner-in-simulator");

  // Save As... asks for a name.
  std::string planFile;
  QueueFileName("journey", planFile);
  PlanMenu('a');
  ASSERT_TRUE(PumpUntil([&] { return fs::path(Document().GetPathName()).filename() == "journey.cwp"; }))
      << "the plan was not saved: " << Document().GetPathName();
  EXPECT_EQ(Document().GetPathName(), planFile);
  EXPECT_GT(fs::file_size(planFile), 0u);

  // Export... as Tabtext.
  std::string exported;
  modals.QueueDriver([](wxDialog& dialog) {
    WaitShown(dialog);
    auto* formats = FindWindowOf<wxListBox>(&dialog);
    ASSERT_NE(formats, nullptr);
    const int tabtext = formats->FindString("Tabtext", false);
    ASSERT_NE(tabtext, wxNOT_FOUND);
    wxRect rect = formats->GetClientRect();
    (void)rect;
    formats->EnsureVisible(tabtext);
    Click(formats, wxPoint(20, 8 + tabtext * (formats->GetCharHeight() + 4)));
    ASSERT_EQ(formats->GetSelection(), tabtext);
    Click(ButtonOf(&dialog, wxID_OK));
  });
  // The plug-in proposes a folder of its own: a name of this run's keeps runs apart.
  QueueFileName("journey-export-" + std::to_string(::getpid()), exported);
  PlanMenu('x');
  ASSERT_TRUE(PumpUntil([&] { return !exported.empty() && fs::exists(exported); })) << "nothing exported: " << exported << " boxes: " << (modals.Boxes().empty() ? std::string() : modals.BoxTexts().front()) << " undriven: " << modals.UndrivenDialogs();
  {
    std::ifstream in(exported);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("LSZH"), std::string::npos);
  }
  fs::remove(exported);

  // Delete after the focus was elsewhere: the plan table is the active view again.
  const int rows = RowCount();
  const std::vector<std::string> planned = PlanIdents();
  Click(PlanList(), RowPoint(0));
  Click(FindWindowOf<wxTextCtrl>(Pane(PaneSlot::Search)));
  Click(PlanList(), RowPoint(0));
  Key(WXK_DELETE);
  EXPECT_TRUE(PumpUntil([&] { return PlanIdents().size() == planned.size() - 1; })) << "Delete did not reach the plan";
  // The frame's edit keys hold no Undo key (a Ctrl key passes on to the simulator): Undo is the
  // Edit menu's.
  Menu(1, 'u');
  EXPECT_TRUE(PumpUntil([&] { return PlanIdents() == planned; })) << "Edit > Undo did not bring the waypoint back";
  EXPECT_TRUE(PumpUntil([&] { return RowCount() == rows; })) << "the table did not show the waypoint again";

  // The arrow keys move the selection, not only the focus mark.
  Click(PlanList(), RowPoint(0));
  ASSERT_EQ(SelectedRows(), std::vector<int>{0});
  Key(WXK_DOWN);
  EXPECT_EQ(FocusedRow(), 1) << "Down did not move the focus";
  EXPECT_EQ(SelectedRows(), std::vector<int>{1}) << "Down did not move the selection";

  FlyThePlan();

  // Print Preview of the plan shows the rows on its page.
  modals.QueueDriver([](wxDialog& dialog) {
    WaitShown(dialog);
    Click(FindWindowOf<wxButton>(&dialog, [](const wxButton& b) { return b.GetLabel() == "&Flightplan"; }));
  });
  PlanMenu('e');
  wxPreviewFrame* preview = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    for (wxWindow* w : wxTopLevelWindows)
      if ((preview = dynamic_cast<wxPreviewFrame*>(w)) != nullptr && w->IsShownOnScreen()) return true;
    return false;
  })) << "no print preview";
  live::Pump(500);
  auto* canvas = FindWindowOf<wxPreviewCanvas>(preview);
  ASSERT_NE(canvas, nullptr);
  const wxImage page = live::GrabScreen(canvas);
  // Text is black strokes on the white page: many short dark runs on a row, where the page's
  // frame and shadow give a few per row at most.
  int strokes = 0;
  for (int y = 0; y < page.GetHeight(); ++y)
    for (int x = 1; x < page.GetWidth(); ++x) {
      const auto dark = [&](int px) { return page.GetRed(px, y) < 96 && page.GetGreen(px, y) < 96 && page.GetBlue(px, y) < 96; };
      if (dark(x) && !dark(x - 1)) ++strokes;
    }
  EXPECT_GT(strokes, 2 * page.GetHeight()) << "the preview page is blank";
  live::SaveScreenshot("journey-preview");
  preview->Close(true);
  live::Pump(100);
}

TEST_F(Journey, SavingAPlanThatIsNoProcedureAsSidStarTellsWhy) {
  // Two airports: no runway end at either end, so the plan is neither a SID nor a STAR.
  SearchByIdentifier();
  AddAirportFromSearch("LSZH");
  AddAirportFromSearch("LSGG");
  PlanMenu('v');  // Save as SID/STAR...
  ASSERT_TRUE(PumpUntil([&] { return !modals.Boxes().empty(); })) << "no message";
  const std::vector<std::string> texts = modals.BoxTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("Use as last SID Waypoint or as first STAR Waypoint only VOR"), std::string::npos)
      << "the box says: '" << texts[0] << "'";
  EXPECT_EQ(modals.UndrivenDialogs(), 0) << "the refused plan opens no save dialog";
}

TEST_F(Journey, AProfileSavedUnderAnotherCaseOfItsNameIsListedOnce) {
  // Profiles are one per name whatever its letter case: saving "CESSNA..." over "Cessna..."
  // renames the listed entry, it does not add a second one.
  bool driven = false;
  modals.QueueDriver([&](wxDialog& dialog) {
    WaitShown(dialog);
    auto* names = FindWindowOf<wxComboBox>(&dialog, [](const wxComboBox& c) { return c.GetId() == AircraftForm::kIdName; });
    ASSERT_NE(names, nullptr);
    const unsigned before = names->GetCount();
    ASSERT_GT(before, 0u) << "no seeded profiles";
    const std::string listed = names->GetString(0).utf8_string();
    const std::string shouted = wxString::FromUTF8(listed).Upper().utf8_string();
    ASSERT_NE(listed, shouted);
    Click(names);
    Key('A', wxMOD_CONTROL);
    live::Type(shouted);
    ASSERT_TRUE(PumpUntil([&] { return names->GetValue().utf8_string() == shouted; })) << names->GetValue();
    Click(ButtonOf(&dialog, AircraftForm::kIdSave));
    PumpUntil([&] { return names->FindString(shouted, true) != wxNOT_FOUND; }, 2000);
    live::SaveScreenshot("aircraft-saved-in-capitals");
    EXPECT_EQ(names->GetValue().utf8_string(), shouted) << "the saved name stays in the field";
    EXPECT_TRUE(ButtonOf(&dialog, AircraftForm::kIdDelete)->IsEnabled()) << "the saved profile can be deleted";
    EXPECT_EQ(names->GetCount(), before);
    EXPECT_NE(names->FindString(shouted, true), wxNOT_FOUND);
    EXPECT_EQ(names->FindString(listed, true), wxNOT_FOUND) << "the old spelling is still listed";
    Key(WXK_ESCAPE);
    driven = true;
  });
  PlanMenu('c');  // Aircraft...
  ASSERT_TRUE(PumpUntil([&] { return driven; }, 20000));
  EXPECT_EQ(modals.UndrivenDialogs(), 0);
}

TEST_F(Journey, EditCommandsReachThePlanTableFromTheMenuAndTheKeys) {
  SearchByIdentifier();
  AddAirportFromSearch("LSZH");
  AddAirportFromSearch("LSGG");
  using Idents = std::vector<std::string>;
  const auto planIs = [&](const Idents& expected) { return PumpUntil([&] { return PlanIdents() == expected; }, 3000); };

  // Paste puts the clipboard's waypoints before the selected line.
  // Edit > Cut, then Edit > Paste.
  SelectAfterClickElsewhere("LSGG");
  Menu(1, 't');
  EXPECT_TRUE(planIs({"LSZH"})) << "Edit > Cut did not take the waypoint out";
  SelectAfterClickElsewhere("LSZH");
  Menu(1, 'p');
  EXPECT_TRUE(planIs({"LSGG", "LSZH"})) << "Edit > Paste did not put it back";

  // Shift+Del cuts, Shift+Ins pastes.
  SelectAfterClickElsewhere("LSZH");
  Key(WXK_DELETE, wxMOD_SHIFT);
  EXPECT_TRUE(planIs({"LSGG"})) << "Shift+Del did not cut";
  SelectAfterClickElsewhere("LSGG");
  Key(WXK_INSERT, wxMOD_SHIFT);
  EXPECT_TRUE(planIs({"LSZH", "LSGG"})) << "Shift+Ins did not paste";

  // Edit > Copy leaves the plan as it is; the copy pastes by Shift+Ins.
  SelectAfterClickElsewhere("LSGG");
  Menu(1, 'c');
  live::Pump(200);
  EXPECT_EQ(PlanIdents(), (Idents{"LSZH", "LSGG"})) << "Edit > Copy changed the plan";
  SelectAfterClickElsewhere("LSZH");
  Key(WXK_INSERT, wxMOD_SHIFT);
  EXPECT_TRUE(planIs({"LSGG", "LSZH", "LSGG"})) << "Edit > Copy did not copy";

  // Ctrl+Ins copies; Edit > Paste pastes.
  SelectAfterClickElsewhere("LSZH");
  Key(WXK_INSERT, wxMOD_CONTROL);
  live::Pump(200);
  EXPECT_EQ(PlanIdents(), (Idents{"LSGG", "LSZH", "LSGG"})) << "Ctrl+Ins changed the plan";
  SelectAfterClickElsewhere("LSZH");
  Menu(1, 'p');
  EXPECT_TRUE(planIs({"LSGG", "LSZH", "LSZH", "LSGG"})) << "Ctrl+Ins did not copy";
}

}  // namespace
