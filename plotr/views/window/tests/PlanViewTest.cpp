// The plan table in the module's window over the plan tests' trip: which hints refill and what
// they select, the drop target's two halves with real data objects, Copy and Paste through the
// clipboard, and the keys it keeps. Needs a display.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/clipbrd.h>

#include <mutex>
#include <vector>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/shell/window/tests/support/ModuleWindows.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/views/window/PlanView.h"
#include "plotr/views/window/WxClip.h"

namespace {

using shelltest::Pump;

class PlanViewTest : public shelltest::ModuleWindowsTest {
 protected:
  void SetUp() override {
    RegisterPlanPane();
    ModuleWindowsTest::SetUp();
    if (HasFatalFailure()) return;
    pane = dynamic_cast<CPlanPane*>(main->GetPaneView(PaneSlot::PlanTable)->GetWindow());
    ASSERT_NE(pane, nullptr);
    view = pane->View();
    {
      DatabaseLease lease;
      trip = plantest::TripRoute();
      CFlightPlanCore& plan = Document().GetPlan();
      plan.Clear();
      plan.Push(trip);
      plan.Rebuild();
    }
    Document().UpdatePlanViews(nullptr, kHintPlanChanged);
    Pump(20);
  }
  void TearDown() override {
    ModuleWindowsTest::TearDown();
    RegisterPane(PaneSlot::PlanTable, nullptr);
  }
  CFlightPlanCore& Plan() { return Document().GetPlan(); }
  int RowOfPoint(int point) {
    for (size_t i = 0; i < Plan().m_rows.size(); ++i) {
      if (Plan().m_rows[i].pointIndex == point && !Plan().m_rows[i].IsPseudo()) return static_cast<int>(i);
    }
    return -1;
  }
  void Select(std::vector<int> lines, int focused) {
    view->SelectNone();
    for (int line : lines) view->SelectLine(line, true);
    view->FocusLine(focused);
  }
  wxString Header(int column) {
    wxListItem item;
    item.SetMask(wxLIST_MASK_TEXT);
    view->GetColumn(column, item);
    return item.GetText();
  }
  int PointCount() { return Plan().GetCurrent()->GetCount(); }

  CPlanPane* pane = nullptr;
  CPlanView* view = nullptr;
  CRoute trip;
};

TEST_F(PlanViewTest, HintsRefillSelectAndRepaintAsTheyShould) {
  const int rows = static_cast<int>(Plan().m_rows.size());
  ASSERT_EQ(rows + 1, view->GetItemCount()) << "the plan rows and the total line";
  EXPECT_EQ("TOTAL :", view->GetItemText(rows, plantable::kColAltitude));
  EXPECT_EQ("KLO", view->GetItemText(RowOfPoint(2), plantable::kColId));

  // An insertion (0x11) selects exactly the inserted points.
  Select({0, 1}, 0);
  PlanPoint fix = trip[4];
  const clip::ClipData data = {{clip::kPlanPointArray, clip::WritePlanPoints({&fix, 1})}};
  const int before = RowOfPoint(2);
  ASSERT_EQ(kHintPlanChanged, planlist::Drop(Plan(), SidStarStoreOf(Plan()), data, before, false, true));
  Document().UpdatePlanViews(nullptr, kHintPlanChanged);
  planedit::ClearNewFlags(Plan());
  EXPECT_EQ(std::vector<int>{before}, view->SelectedLines());

  // A rename (0x12) keeps the old selection and adds the renamed point.
  const int home = RowOfPoint(6);
  Select({0}, 0);
  ASSERT_TRUE(planlist::RenameRow(Plan(), home, "LAKE"));
  Document().UpdatePlanViews(nullptr, kHintPlanChangedKeepSelection);
  EXPECT_EQ((std::vector<int>{0, home}), view->SelectedLines());
  EXPECT_EQ("LAKE", view->GetItemText(home, plantable::kColId));

  // The periodic hint never refills; the scheme it reads changes the colours only when it changed.
  const int refills = view->RefillCount();
  g_Settings.SetColorMode(1);  // always white
  Document().UpdatePlanViews(nullptr, kHintPeriodic);
  EXPECT_EQ(refills, view->RefillCount());
  EXPECT_EQ(0, view->Scheme());
  EXPECT_EQ(*wxWHITE, view->GetBackgroundColour());
  g_Settings.SetColorMode(2);  // always blue
  Document().UpdatePlanViews(nullptr, kHintPeriodic);
  EXPECT_EQ(refills, view->RefillCount());
  EXPECT_EQ(1, view->Scheme());
  EXPECT_EQ(wxColour(0, 0, 0x40), view->GetBackgroundColour());
  g_Settings.SetColorMode(0);

  // The fuel header follows "FuelMeasure" only with the display-options bit.
  EXPECT_EQ("Fuel [Lbs]", Header(plantable::kColFuel));
  g_Settings.SetFuelMeasure(2);
  Document().UpdatePlanViews(nullptr, kHintPlanChanged);
  EXPECT_EQ("Fuel [Lbs]", Header(plantable::kColFuel));
  Document().UpdatePlanViews(nullptr, kHintPlanChanged | kHintDisplayOptions);
  EXPECT_EQ("Fuel [kg]", Header(plantable::kColFuel));
  g_Settings.SetFuelMeasure(0);
}

TEST_F(PlanViewTest, DropTargetJudgesAndTakesRealDataObjects) {
  PlanPoint ndb = trip[3];
  const clip::ClipData data = {{clip::kPlanPointArray, clip::WritePlanPoints({&ndb, 1})},
                               {clip::kText, std::string("ZH\r\n\r\n") + '\0'}};
  const wxRect first = [&] {
    wxRect r;
    view->GetItemRect(0, r);
    return r;
  }();
  // Drops arrive in the coordinates of the window that holds the lines, below the header.
  const wxPoint onFirst = view->Inner()->ScreenToClient(view->ClientToScreen({first.x + 20, first.y + first.height / 2}));
  auto* target = dynamic_cast<CPlanListDropTarget*>(view->Inner()->GetDropTarget());
  ASSERT_NE(target, nullptr);
  {
    clip::DragSession session(data);
    EXPECT_EQ(wxDragMove, target->OnDragOver(onFirst.x, onFirst.y, wxDragMove));
    EXPECT_EQ(0, view->DropLine());
    target->OnLeave();
    EXPECT_EQ(-1, view->DropLine());
  }
  {
    const clip::SidStarRefClip group{0, 0, 0, 0, -1, -1};
    clip::DragSession session({{clip::kSidStar, clip::WriteSidStar(group)}});
    EXPECT_EQ(wxDragNone, target->OnDragOver(onFirst.x, onFirst.y, wxDragCopy)) << "a group item is refused";
  }
  // The drop's bytes come out of a data object as wx hands it over.
  std::unique_ptr<wxDataObjectComposite> object(clip::ToDataObject(data));
  const clip::ClipData dropped = CPlanListDropTarget::OfferedIn(*object);
  ASSERT_EQ(1u, dropped.size());
  const int count = PointCount();
  EXPECT_EQ(wxDragCopy, view->DropData(onFirst, wxDragCopy, dropped));
  EXPECT_EQ(count + 1, PointCount());
  EXPECT_EQ(std::vector<int>{0}, view->SelectedLines());
  EXPECT_EQ("ZH", view->GetItemText(0, plantable::kColId));
}

TEST_F(PlanViewTest, CopyThenPasteThroughTheClipboard) {
  Select({RowOfPoint(2), RowOfPoint(4)}, RowOfPoint(2));
  ASSERT_TRUE(view->RunCommand(cmd::kEditCopy));
  ASSERT_TRUE(clip::ClipboardBytes(clip::kPlanPointArray).has_value());
  // Focused and selected: before that row's point.
  Select({RowOfPoint(0)}, RowOfPoint(0));
  const int count = PointCount();
  ASSERT_TRUE(view->RunCommand(cmd::kEditPaste));
  EXPECT_EQ(count + 2, PointCount());
  EXPECT_EQ("KLO", view->GetItemText(0, plantable::kColId));
  EXPECT_EQ(2u, view->SelectedLines().size());
  // Undo takes the paste back in one step.
  ASSERT_TRUE(view->RunCommand(cmd::kEditUndo));
  EXPECT_EQ(count, PointCount());
  EXPECT_EQ("LSZH", view->GetItemText(0, plantable::kColId));
}

TEST_F(PlanViewTest, ArrowsStayInTheListAndOtherKeysGoToTheSimulator) {
  std::vector<int> atHost;
  frame->Bind(wxEVT_KEY_DOWN, [&](wxKeyEvent& e) {
    atHost.push_back(e.GetKeyCode());
    e.Skip();
  });
  for (int code : {WXK_DOWN, WXK_F5, WXK_PAGEDOWN}) {
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = code;
    key.SetEventObject(view);
    view->GetEventHandler()->ProcessEvent(key);
  }
  EXPECT_EQ(std::vector<int>{WXK_F5}, atHost);
}

}  // namespace
