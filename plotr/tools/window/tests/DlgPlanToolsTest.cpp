// The aircraft, cruise and holding dialogs as windows, driven through the modal hook. Needs a
// display.
#include "plotr/tools/window/DlgPlanTools.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cstdlib>

#include "platform/profile/Document.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

void Type(wxDialog& d, int id, const char* text) { static_cast<wxTextCtrl*>(d.FindWindow(id))->SetValue(text); }
std::string Text(wxDialog& d, int id) { return static_cast<wxTextCtrl*>(d.FindWindow(id))->GetValue().utf8_string(); }

void Choose(wxDialog& d, int id, int selection) {
  auto* choice = static_cast<wxChoice*>(d.FindWindow(id));
  choice->SetSelection(selection);
  wxCommandEvent event(wxEVT_CHOICE, id);
  event.SetEventObject(choice);
  event.SetInt(selection);
  choice->GetEventHandler()->ProcessEvent(event);
}

class DlgPlanToolsTest : public ::testing::Test {
 protected:
  DlgPlanToolsTest() : m_folder("dlg_plantools") {
    wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond, const wxString& msg) {
      ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " " << msg.utf8_string() << " at " << file.utf8_string()
                    << ":" << line;
    });
  }

  plantest::ScopedPlanFolder m_folder;
  CPlanToolDialogs m_dialogs;
  ui::ModalScript m_script;
  ui::ScopedModalHook m_hook{m_script};
};

TEST_F(DlgPlanToolsTest, AircraftDialogSavesRefusesAndGivesTheRouteItsProfile) {
  CRoute route;
  route.AddPoint(plantest::UserPoint(47, 8, "A"));
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_TRUE(d.FindWindow(AircraftForm::kIdApplySpeed)->IsEnabled()) << "the route has points";
    auto* name = static_cast<wxComboBox*>(d.FindWindow(AircraftForm::kIdName));
    EXPECT_GT(name->GetCount(), 0u) << "the seeded profiles are listed";
    name->SetValue("Test Jet");
    EXPECT_FALSE(d.FindWindow(AircraftForm::kIdDelete)->IsEnabled());
    Type(d, 8020, "400");
    Type(d, 8022, "30000");
    Type(d, 8017, "5");
    EXPECT_TRUE(ui::PressButton(d, AircraftForm::kIdSave));
    EXPECT_FALSE(m_script.Boxes().empty()) << "climb speed 5 is refused";
    EXPECT_EQ(d.FindFocus(), d.FindWindow(8017));
    Type(d, 8017, "250");
    EXPECT_TRUE(ui::PressButton(d, AircraftForm::kIdSave));
    EXPECT_TRUE(d.FindWindow(AircraftForm::kIdDelete)->IsEnabled());
    static_cast<wxCheckBox*>(d.FindWindow(AircraftForm::kIdApplyAltitude))->SetValue(true);
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(route.SelectAircraft(&m_dialogs));
  EXPECT_EQ(m_script.BoxTexts(), std::vector<std::string>{"Please enter an integer between 10 and 5000."});
  EXPECT_EQ(route.m_profile.Name(), "Test Jet");
  EXPECT_EQ(route.m_profile.cruiseSpeed, 400);
  EXPECT_EQ(route.m_profile.climbSpeed, 250);
  EXPECT_EQ(+route.m_cruise.altitude1, 30000);
  profile::Document ini;
  ASSERT_TRUE(ini.Load(m_folder.AircraftIni()));
  EXPECT_EQ(ini.GetString("Test Jet", "cruisealtitude", ""), "30000");

  // Delete asks first; Cancel in the dialog leaves the route's profile.
  m_script.QueueDriver([&](wxDialog& d) {
    auto* name = static_cast<wxComboBox*>(d.FindWindow(AircraftForm::kIdName));
    name->SetValue("test jet");
    m_script.QueueAnswer(ui::kIdOk);
    EXPECT_TRUE(ui::PressButton(d, AircraftForm::kIdDelete));
    EXPECT_EQ(name->FindString("Test Jet"), wxNOT_FOUND);
  });
  EXPECT_FALSE(route.SelectAircraft(&m_dialogs));
  ASSERT_TRUE(ini.Load(m_folder.AircraftIni()));
  EXPECT_FALSE(ini.HasSection("Test Jet"));
  EXPECT_EQ(route.m_profile.Name(), "Test Jet");
}

TEST_F(DlgPlanToolsTest, CruiseDialogCapsAndClampsForTheRoute) {
  CRoute route;
  route.m_profile.cruiseAltitude = 9000;
  route.m_profile.descentSpeed = 70;
  route.m_profile.cruiseSpeed = 110;
  m_script.QueueDriver([&](wxDialog& d) {
    Type(d, CDlgCruise::kIdAltitude, "12000");
    Type(d, CDlgCruise::kIdSpeed, "60");
    static_cast<wxCheckBox*>(d.FindWindow(CDlgCruise::kIdClearSpeeds))->SetValue(true);
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(route.SetCruise(&m_dialogs));
  EXPECT_EQ(+route.m_cruise.altitude1, 10800);
  EXPECT_EQ(+route.m_cruise.speed, 70);
}

TEST_F(DlgPlanToolsTest, HoldingDialogFlipsSwitchesUnitsAndRefusesALongLeg) {
  g_Settings.SetHoldingDist("6");
  HoldingDialogValues values = HoldingDialogDefaults();
  values.heading = 270;
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_EQ(Text(d, HoldingForm::kIdLength), "1.5");
    Choose(d, HoldingForm::kIdHeadingMode, 1);
    EXPECT_EQ(Text(d, HoldingForm::kIdHeading), "90");
    Type(d, HoldingForm::kIdLength, "2");
    Choose(d, HoldingForm::kIdSegmentKind, 1);
    EXPECT_EQ(Text(d, HoldingForm::kIdLength), "6");
    Type(d, HoldingForm::kIdLength, "11");
    Choose(d, HoldingForm::kIdTurn, 1);
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_EQ(m_script.Boxes().size(), 1u) << "11 is refused";
    Type(d, HoldingForm::kIdLength, "3.5");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(m_dialogs.RunHoldingDialog(values));
  EXPECT_EQ(values.heading, 90);
  EXPECT_EQ(values.headingMode, 1);
  EXPECT_EQ(values.turnDirection, 1);
  EXPECT_EQ(values.segmentKind, 1);
  EXPECT_EQ(values.segmentLength, "3.5");
  EXPECT_EQ(g_Settings.GetHoldingTime(true), "2");
  EXPECT_EQ(g_Settings.GetHoldingDist(true), "3.5");
}

TEST_F(DlgPlanToolsTest, AutoRouteWindowEnablesTheNavaidSwitchesAndStaysOpenOnAFailedSearch) {
  const int navaidControls[] = {CDlgAutoRoute::kIdVor,  CDlgAutoRoute::kIdNdb,           CDlgAutoRoute::kIdIsec,
                                CDlgAutoRoute::kIdFix, CDlgAutoRoute::kIdDistanceLabel, CDlgAutoRoute::kIdDistance};
  auto navaidsEnabled = [&](wxDialog& d) {
    int on = 0;
    for (int id : navaidControls) on += d.FindWindow(id)->IsEnabled() ? 1 : 0;
    return on == 6 ? 1 : on == 0 ? 0 : -1;
  };
  auto click = [](wxDialog& d, int id) {
    auto* button = static_cast<wxRadioButton*>(d.FindWindow(id));
    button->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, id);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
  };

  AutoRouteDialogValues values;
  values.routeType = kAutoRouteHighAirways;
  values.lowAirways = true;  // each button follows its own flag
  values.highAirways = false;
  std::vector<AutoRouteDialogValues> seen;
  bool searchFails = true;
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_TRUE(d.FindWindow(CDlgAutoRoute::kIdLow)->IsEnabled());
    EXPECT_FALSE(d.FindWindow(CDlgAutoRoute::kIdHigh)->IsEnabled());
    EXPECT_EQ(navaidsEnabled(d), 0) << "an airway type";
    EXPECT_TRUE(d.FindWindow(CDlgAutoRoute::kIdSid)->IsEnabled());
    click(d, CDlgAutoRoute::kIdNavaids);
    EXPECT_EQ(navaidsEnabled(d), 1);
    click(d, CDlgAutoRoute::kIdLow);
    EXPECT_EQ(navaidsEnabled(d), 0);
    EXPECT_TRUE(d.FindWindow(CDlgAutoRoute::kIdStar)->IsEnabled());
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_TRUE(d.IsShown()) << "the failed search keeps the dialog open";
    click(d, CDlgAutoRoute::kIdNavaids);
    static_cast<wxCheckBox*>(d.FindWindow(CDlgAutoRoute::kIdNdb))->SetValue(false);
    Type(d, CDlgAutoRoute::kIdDistance, "120");
    searchFails = false;
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(m_dialogs.RunAutoRouteDialog(values, [&](const AutoRouteDialogValues& v) {
    seen.push_back(v);
    return !searchFails;
  }));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].routeType, kAutoRouteLowAirways);
  EXPECT_EQ(values.routeType, kAutoRouteNavaids);
  EXPECT_FALSE(values.ndb);
  EXPECT_TRUE(values.vor);
  EXPECT_EQ(values.distance, 120);
}

}  // namespace
