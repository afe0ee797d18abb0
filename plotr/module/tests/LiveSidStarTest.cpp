// The SID/STAR tab as a pilot uses it in the stand-in simulator, by real clicks only: deleting a
// stored airport's procedures asks first, in the module's own message box, and Cancel keeps them.
#include <gtest/gtest.h>
#include <wx/treectrl.h>

#include <string>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/map/window/MapParentView.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/SidStarUi.h"
#include "plotr/views/window/SidStar1TreeView.h"

namespace {

using live::FindWindowOf;
using live::PumpUntil;

class LiveSidStar : public live::LivePlanner {
 protected:
  LiveSidStar() { deadlineSeconds = 60; }

  // The airport tree of the SID/STAR tab, brought to the front by a click on its tab.
  CSidStar1TreeView* OpenSidStarTab() {
    auto* pane = dynamic_cast<CScenParentView*>(Pane(PaneSlot::Map));
    if (pane == nullptr) return nullptr;
    CCaptionTabCtrl* tabs = pane->GetTabs();
    live::Click(tabs, tabs->TabRect(1).GetPosition() + wxPoint(6, 6));
    auto* airports = FindWindowOf<CSidStar1TreeView>(pane);
    if (airports == nullptr || !PumpUntil([&] { return airports->IsShownOnScreen(); })) return nullptr;
    return airports;
  }

  // The first item of the tree (depth first) whose text starts with `text`, its parents expanded.
  static wxTreeItemId Find(wxTreeCtrl& tree, const wxTreeItemId& from, const std::string& text) {
    if (tree.GetItemText(from).utf8_string().rfind(text, 0) == 0) return from;
    if (tree.ItemHasChildren(from) && !tree.IsExpanded(from)) tree.Expand(from);
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(from, cookie); child.IsOk(); child = tree.GetNextChild(from, cookie)) {
      const wxTreeItemId found = Find(tree, child, text);
      if (found.IsOk()) return found;
    }
    return {};
  }
};

TEST_F(LiveSidStar, DeletingAnAirportsProceduresAsksInTheModulesBoxAndCancelKeepsThem) {
  CSidStar1TreeView* airports = OpenSidStarTab();
  ASSERT_NE(airports, nullptr) << "no SID/STAR tab on the screen";
  CSidStarStore& store = SidStarStoreOf(Plan());
  ASSERT_GT(store.GetAirportCount(), 0) << "the sample installation stores no SID/STAR";
  const int count = store.GetAirportCount();
  const std::string ident = store.GetAirport(0).id;

  const wxTreeItemId item = Find(*airports, airports->GetRootItem(), ident);
  ASSERT_TRUE(item.IsOk()) << "no tree item for " << ident;
  airports->EnsureVisible(item);
  live::Pump(100);
  wxRect rect;
  ASSERT_TRUE(airports->GetBoundingRect(item, rect, true));
  const wxPoint at(rect.x + rect.width / 2, rect.y + rect.height / 2);
  live::Click(airports, at);
  ASSERT_TRUE(PumpUntil([&] { return airports->GetSelection() == item; })) << "the click did not select " << ident;

  modals.QueueAnswer(ui::kIdCancel);
  live::ChooseFromNextPopup('d');  // Delete...
  live::Click(airports, at, wxMOUSE_BTN_RIGHT);
  ASSERT_TRUE(PumpUntil([&] { return !modals.Boxes().empty(); })) << "no question before the delete";
  live::SaveScreenshot("sidstar-delete-asked");
  EXPECT_EQ(modals.BoxTexts(), std::vector<std::string>{kSidStarDeleteAirportText});
  live::Pump(200);
  EXPECT_EQ(store.GetAirportCount(), count) << "Cancel deleted the airport's procedures";
  EXPECT_EQ(store.GetAirport(0).id, ident);
}

}  // namespace
