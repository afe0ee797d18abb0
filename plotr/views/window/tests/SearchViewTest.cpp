// The search pane in the module's window: the passive and editing text field, the search on
// Enter, the list's right click, menu 151 and the hints. Needs a display.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/textctrl.h>

#include <cstring>

#include "platform/simapi/SimApi.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/shell/window/tests/support/ModuleWindows.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/views/window/SearchView.h"

namespace {

using shelltest::Pump;

class SearchViewTest : public shelltest::ModuleWindowsTest {
 protected:
  void SetUp() override {
    RegisterSearchPane();
    ModuleWindowsTest::SetUp();
    if (HasFatalFailure()) return;
    search = dynamic_cast<CSearchView*>(main->GetPaneView(PaneSlot::Search)->GetWindow());
    ASSERT_NE(search, nullptr);
  }
  void TearDown() override {
    ModuleWindowsTest::TearDown();
    RegisterPane(PaneSlot::Search, nullptr);
  }
  void Key(wxWindow* to, int code, wxEventType type = wxEVT_KEY_DOWN) {
    wxKeyEvent key(type);
    key.m_keyCode = code;
    key.SetEventObject(to);
    to->GetEventHandler()->ProcessEvent(key);
  }
  CSearchView* search = nullptr;
};

TEST_F(SearchViewTest, TheFieldIsPassiveUntilClickedAndEnterSearchesAndLeavesItPassive) {
  CNavEdit* edit = search->Edit();
  EXPECT_TRUE(edit->IsPassive());
  edit->SetFocus();
  Pump(20);
  EXPECT_EQ("Inputline", edit->GetValue());
  wxMouseEvent up(wxEVT_LEFT_UP);
  up.SetEventObject(edit);
  edit->GetEventHandler()->ProcessEvent(up);
  Pump(20);
  EXPECT_FALSE(edit->IsPassive());
  long from = 0, to = 0;
  edit->GetSelection(&from, &to);
  EXPECT_EQ(0, from);
  EXPECT_EQ(edit->GetLastPosition(), to) << "all text selected";

  edit->ChangeValue("lszh");
  search->IdButton()->SetValue(true);
  Key(edit, WXK_RETURN);
  EXPECT_TRUE(edit->IsPassive());
  EXPECT_EQ("lszh", edit->GetValue()) << "the text stays";
  ASSERT_FALSE(search->List()->Rows().empty());
  EXPECT_EQ("Airport\tLSZH\tZurich", search->List()->Rows()[0]);

  // Escape leaves the editing state too.
  edit->BecomeEditable();
  Key(edit, WXK_ESCAPE);
  EXPECT_TRUE(edit->IsPassive());
}

TEST_F(SearchViewTest, RightClickSelectsARowButNotOnTheEmptyPartAndTheDatabaseHintEmptiesTheList) {
  search->Edit()->ChangeValue("zurich");
  search->IdButton()->SetValue(false);
  search->FillSearchResults();
  CNavListBox* list = search->List();
  list->SetSize(300, 600);  // room below the rows
  ASSERT_GE(list->GetItemCount(), 2u);
  list->SetSelection(0);
  const wxRect second = list->GetItemRect(1);
  wxMouseEvent right(wxEVT_RIGHT_DOWN);
  right.SetPosition({second.x + 2, second.y + 2});
  right.SetEventObject(list);
  list->GetEventHandler()->ProcessEvent(right);
  EXPECT_EQ(1, list->GetSelection());
  wxMouseEvent empty(wxEVT_RIGHT_DOWN);
  empty.SetPosition({2, list->GetClientSize().y - 2});
  empty.SetEventObject(list);
  list->GetEventHandler()->ProcessEvent(empty);
  EXPECT_EQ(1, list->GetSelection()) << "an empty part keeps the selection";

  // Version 9 has no tower item in the menu.
  std::unique_ptr<wxMenu> menu(search->BuildContextMenu());
  EXPECT_EQ(nullptr, menu->FindItem(32793));
  EXPECT_NE(nullptr, menu->FindItem(32832));

  Document().UpdatePlanViews(nullptr, kHintDatabaseReloaded);
  EXPECT_EQ(0u, list->GetItemCount());
}

TEST_F(SearchViewTest, ASchemeChangeShowsAtTheNextPeriodicUpdate) {
  const int before = search->Scheme();
  g_Settings.SetColorMode(before == 1 ? 1 : 2);  // white or blue, whichever differs
  g_Settings.GetColorScheme(true);
  Document().UpdatePlanViews(nullptr, kHintPlanChanged);
  EXPECT_EQ(before, search->Scheme()) << "not on other hints";
  Document().UpdatePlanViews(nullptr, kHintPeriodic);
  EXPECT_NE(before, search->Scheme());
  g_Settings.SetColorMode(0);
  g_Settings.GetColorScheme(true);
}

TEST_F(SearchViewTest, TowerViewOverANavaidAsksTheHeightAndPlacesTheTowerThere) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  search->Edit()->ChangeValue("KLO");
  search->IdButton()->SetValue(true);
  search->FillSearchResults();
  CNavListBox* list = search->List();
  int vor = -1;
  for (size_t i = 0; i < list->Rows().size(); ++i) {
    if (list->Rows()[i].rfind("VOR", 0) == 0) vor = static_cast<int>(i);
  }
  ASSERT_GE(vor, 0) << "the database has the VOR";
  list->SetSelection(vor);
  simapi::ImportTable table{};
  table.services = host->GetServices();
  g_SimBlock.SetImportTable(&table);
  g_SimBlock.Exchange(1);

  bool asked = false;
  script.QueueDriver([&](wxDialog& d) {
    asked = true;
    EXPECT_EQ(d.GetTitle(), "Tower View");
    static_cast<wxTextCtrl*>(d.FindWindow(8216))->SetValue("2500");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  wxCommandEvent command(wxEVT_MENU, 32793);
  search->ProcessWindowEvent(command);
  EXPECT_TRUE(asked);
  int32_t metres = 0;
  std::memcpy(&metres, host->GlobalBlock() + simapi::kGlobalTowerHeight, 4);
  g_SimBlock.SetImportTable(nullptr);
  EXPECT_EQ(metres, 762) << "2500 ft";
}

}  // namespace
