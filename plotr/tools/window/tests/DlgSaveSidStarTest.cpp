// The save-as-SID/STAR dialog as a window over the catalogue: run modally by the catalogue,
// filled and pressed through the modal hook. Needs a display.
#include "plotr/tools/window/DlgSaveSidStar.h"

#include <gtest/gtest.h>
#include <wx/bmpcbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "platform/profile/Profile.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "plotr/tools/SidStarStore.h"

namespace {

namespace fs = std::filesystem;

template <class T>
T& Control(wxDialog& d, int id) {
  auto* control = dynamic_cast<T*>(d.FindWindow(id));
  EXPECT_NE(control, nullptr) << id;
  return *control;
}

// Chooses the region box's item of that name as a user would.
void ChooseRegion(wxDialog& d, const char* name) {
  auto& box = Control<wxBitmapComboBox>(d, SaveSidStarForm::kIdRegion);
  const int item = box.FindString(name);
  ASSERT_NE(item, wxNOT_FOUND) << name;
  box.SetSelection(item);
  wxCommandEvent event(wxEVT_COMBOBOX, SaveSidStarForm::kIdRegion);
  event.SetEventObject(&box);
  event.SetInt(item);
  box.GetEventHandler()->ProcessEvent(event);
}

// Selects the row as a click would: the state, then the notification.
void SelectRow(wxListCtrl& list, long row) {
  list.SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  wxListEvent event(wxEVT_LIST_ITEM_SELECTED, list.GetId());
  event.SetEventObject(&list);
  event.m_itemIndex = row;
  event.m_item.m_data = list.GetItemData(row);
  list.GetEventHandler()->ProcessEvent(event);
}

void FocusList(wxListCtrl& list) {
  wxFocusEvent event(wxEVT_SET_FOCUS, list.GetId());
  event.SetEventObject(&list);
  list.GetEventHandler()->ProcessEvent(event);
}

class DlgSaveSidStarTest : public plancore::PlanCoreTest {
 protected:
  DlgSaveSidStarTest() : m_clock(0, std::chrono::system_clock::from_time_t(1772366400)) {
    const fs::path folder = m_folder.Folder() / "SidStar";
    fs::create_directories(folder);
    m_store.SetFolders(folder.string() + "/", (m_folder.Folder() / "Bin").string() + "/");
    m_store.SetClock(&m_clock);
  }

  // Runway 09 of DEPT, ALPHA in line with it, BRAVO.
  CRoute SidRoute() {
    CRoute route = NewRoute();
    route.AddPoint(Db(0, -0.005, kKindRunway));
    route.AddPoint(Db(0, 0.5, kKindIntersection));
    route.AddPoint(Db(0, 1.0, kKindIntersection));
    return route;
  }

  win::FakeClock m_clock;
  CWxSidStarUi m_ui;
  CSidStarStore m_store{&m_ui};
  ui::ModalScript m_script;
  ui::ScopedModalHook m_hook{m_script};
};

TEST_F(DlgSaveSidStarTest, SavesAsksBeforeOverwritingAndRenamesWithTheClashCheck) {
  g_Settings.SetCreatedBy("Rene");
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "Save Plan as SID");
    EXPECT_EQ(Control<wxListCtrl>(d, SaveSidStarForm::kIdList).GetItemCount(), 0);
    EXPECT_EQ(Control<wxTextCtrl>(d, SaveSidStarForm::kIdIdentification).GetValue(), "BRAVO");
    EXPECT_EQ(Control<wxTextCtrl>(d, SaveSidStarForm::kIdAuthor).GetValue(), "Rene");
    Control<wxTextCtrl>(d, SaveSidStarForm::kIdIdentification).SetValue("  ");
    EXPECT_FALSE(ui::PressButton(d, wxID_OK)) << "OK waits for an identification";
    Control<wxTextCtrl>(d, SaveSidStarForm::kIdIdentification).SetValue("alpha1");
    EXPECT_EQ(Control<wxTextCtrl>(d, SaveSidStarForm::kIdIdentification).GetValue(), "ALPHA1");
    Control<wxTextCtrl>(d, SaveSidStarForm::kIdDescription).SetValue("climb\nturn left");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_TRUE(d.IsModal()) << "no region chosen";
    ChooseRegion(d, "Africa");
    EXPECT_EQ(Control<wxBitmapComboBox>(d, SaveSidStarForm::kIdCountry).GetCount(), 1u);
    Control<wxTextCtrl>(d, SaveSidStarForm::kIdAuthor).SetValue(" Anna ");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(m_store.SavePlanAs(false, -1, -1, -1, SidRoute()));
  EXPECT_EQ(m_script.BoxTexts(), std::vector<std::string>{"Please select a Global Region."});
  ASSERT_EQ(m_store.GetAirportCount(), 1);
  EXPECT_EQ(m_store.GetAirport(0).region, 6) << "Africa by its index, not its place in the box";
  EXPECT_EQ(m_store.GetAirport(0).Creator(), "Anna");
  EXPECT_EQ(profile::GetString(m_folder.ProgramCfg(), "Settings", "CreatedBy", ""), "Anna");

  // Saved again with another name: ALPHA1 is listed; taking its name asks first.
  m_script.QueueDriver([&](wxDialog& d) {
    auto& list = Control<wxListCtrl>(d, SaveSidStarForm::kIdList);
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetItemText(0, 1), "climb") << "the description's first line";
    EXPECT_EQ(Control<wxBitmapComboBox>(d, SaveSidStarForm::kIdRegion).GetStringSelection(), "Africa");
    SelectRow(list, 0);
    EXPECT_EQ(Control<wxTextCtrl>(d, SaveSidStarForm::kIdIdentification).GetValue(), "ALPHA1");
    EXPECT_EQ(Control<wxTextCtrl>(d, SaveSidStarForm::kIdDescription).GetValue(), "climb\nturn left");
    Control<wxTextCtrl>(d, SaveSidStarForm::kIdIdentification).SetValue("Alpha1");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_TRUE(d.IsModal()) << "Cancel on the question keeps the dialog";
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  m_script.QueueAnswer(ui::kIdCancel);
  m_script.QueueAnswer(ui::kIdOk);
  ASSERT_TRUE(m_store.SavePlanAs(false, 0, -1, -1, SidRoute()));
  EXPECT_EQ(m_script.BoxTexts(), (std::vector<std::string>{"Please select a Global Region.",
                                                           "Overwrite existing ALPHA1 ?", "Overwrite existing ALPHA1 ?"}));

  // Properties: the procedure's own name passes, a taken one is refused.
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "Properties of SID");
    auto& id = Control<wxTextCtrl>(d, SaveSidStarForm::kIdIdentification);
    EXPECT_EQ(id.GetValue(), "ALPHA1");
    auto& description = Control<wxTextCtrl>(d, SaveSidStarForm::kIdDescription);
    EXPECT_EQ(description.GetValue(), "climb\nturn left");
    id.SetValue("DELTA2");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(m_store.EditProperties(false, 0, 0, 0, SidRoute()));
  const CSidStarList& sids = m_store.GetList(0, false);
  ASSERT_EQ(sids.groups.size(), 1u);
  ASSERT_EQ(sids.groups[0].procedures.size(), 1u);
  EXPECT_EQ(sids.groups[0].procedures[0].id, "DELTA2");
  EXPECT_EQ(sids.groups[0].procedures[0].name, "climb\r\nturn left");
}

TEST_F(DlgSaveSidStarTest, CaptionsByModeAndKindAndTheListsSelectedProcedure) {
  std::vector<CSidStarRegion> regions;
  for (const char* name : kSidStarRegionNames) regions.push_back({name, {}});
  const struct {
    bool saveMode, isStar;
    const char* caption;
  } cases[] = {{true, false, "Save Plan as SID"}, {true, true, "Save Plan as STAR"},
               {false, false, "Properties of SID"}, {false, true, "Properties of STAR"}};
  for (const auto& c : cases) {
    SidStarSaveValues values;
    values.saveMode = c.saveMode;
    values.isStar = c.isStar;
    values.regions = &regions;
    values.region = 4;
    values.procedures.resize(2);
    values.procedures[0].id = "ONE";
    values.procedures[1].id = "TWO";
    values.procedures[1].name = "two\r\nlines";
    values.selected = 1;
    CDlgSaveSidStar dialog(nullptr, values);
    ASSERT_TRUE(dialog.IsSetUp());
    EXPECT_EQ(dialog.GetTitle(), c.caption);
    auto& list = Control<wxListCtrl>(dialog, SaveSidStarForm::kIdList);
    EXPECT_EQ(list.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 1);
    EXPECT_EQ(Control<wxBitmapComboBox>(dialog, SaveSidStarForm::kIdRegion).GetStringSelection(), "Europe");
    EXPECT_EQ(Control<wxBitmapComboBox>(dialog, SaveSidStarForm::kIdCountry).GetStringSelection(), "Europe");
    FocusList(list);
    EXPECT_EQ(Control<wxTextCtrl>(dialog, SaveSidStarForm::kIdDescription).GetValue(), "two\nlines");
  }
  // Nothing selected: focus selects the first row and takes its procedure.
  SidStarSaveValues values;
  values.saveMode = true;
  values.regions = &regions;
  values.procedures.resize(1);
  values.procedures[0].id = "ONE";
  CDlgSaveSidStar dialog(nullptr, values);
  auto& list = Control<wxListCtrl>(dialog, SaveSidStarForm::kIdList);
  EXPECT_FALSE(dialog.FindWindow(wxID_OK)->IsEnabled());
  FocusList(list);
  EXPECT_EQ(list.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 0);
  EXPECT_EQ(Control<wxTextCtrl>(dialog, SaveSidStarForm::kIdIdentification).GetValue(), "ONE");
  EXPECT_TRUE(dialog.FindWindow(wxID_OK)->IsEnabled());
}

}  // namespace
