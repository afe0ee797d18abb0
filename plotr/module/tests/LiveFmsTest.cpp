// The FMS tab as a pilot uses it in the stand-in simulator, by real clicks only: the settings of
// the mode buttons' menu open the options sheet with its FMS page alone.
#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/propdlg.h>

#include <string>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/map/window/MapParentView.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/sim/FmsPanel.h"
#include "plotr/sim/window/FmsView.h"

namespace {

using live::FindWindowOf;
using live::PumpUntil;

class LiveFms : public live::LivePlanner {
 protected:
  LiveFms() { deadlineSeconds = 60; }

  // The FMS tab of the map pane, brought to the front by a click on its tab.
  CFMSView* OpenFmsTab() {
    auto* pane = dynamic_cast<CScenParentView*>(Pane(PaneSlot::Map));
    if (pane == nullptr) return nullptr;
    CCaptionTabCtrl* tabs = pane->GetTabs();
    live::Click(tabs, tabs->TabRect(2).GetPosition() + wxPoint(6, 6));
    auto* fms = FindWindowOf<CFMSView>(pane);
    if (fms == nullptr || !PumpUntil([&] { return fms->IsShownOnScreen(); })) return nullptr;
    return fms;
  }

  // A point of the panel's cell, found the way the view finds the cell under the pointer.
  static bool PointOfCell(CFMSView& fms, int cell, wxPoint& at) {
    const wxSize size = fms.GetClientSize();
    for (int y = 2; y < size.y; y += 3) {
      for (int x = 2; x < size.x; x += 3) {
        if (fms.Panel().HitTest(x, y, size.x, size.y) == cell) {
          at = wxPoint(x, y);
          return true;
        }
      }
    }
    return false;
  }
};

TEST_F(LiveFms, ModeButtonSettingsOpenTheOptionsSheetWithTheFmsPageAlone) {
  CFMSView* fms = OpenFmsTab();
  ASSERT_NE(fms, nullptr) << "no FMS tab on the screen";
  wxPoint mode1;
  ASSERT_TRUE(PointOfCell(*fms, fms::kMode1Cell, mode1)) << "no M1 button on the panel";

  std::string pages;
  bool sheet = false;
  modals.QueueDriver([&](wxDialog& dialog) {
    ASSERT_TRUE(PumpUntil([&] { return dialog.IsShownOnScreen(); }));
    ASSERT_TRUE(live::WaitUntilLaidOut(&dialog));
    auto* propertySheet = dynamic_cast<wxPropertySheetDialog*>(&dialog);
    sheet = propertySheet != nullptr;
    if (propertySheet != nullptr) {
      wxBookCtrlBase* book = propertySheet->GetBookCtrl();
      for (size_t i = 0; i < book->GetPageCount(); ++i) {
        pages += (pages.empty() ? "" : ",") + book->GetPageText(i).utf8_string();
      }
    }
    live::SaveScreenshot("fms-settings");
    auto* cancel = FindWindowOf<wxButton>(&dialog, [](const wxButton& b) { return b.GetId() == wxID_CANCEL; });
    ASSERT_NE(cancel, nullptr);
    live::Click(cancel);
  });
  live::ChooseFromNextPopup('s');
  live::Click(fms, mode1, wxMOUSE_BTN_RIGHT);
  ASSERT_TRUE(PumpUntil([&] { return sheet; }, 10000)) << "no options sheet; undriven: " << modals.UndrivenDialogs();
  EXPECT_EQ(pages, "FMS");
  EXPECT_EQ(modals.UndrivenDialogs(), 0);
}

}  // namespace
