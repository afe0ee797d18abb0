// The avionics bar in the module's window over the stand-in simulator: the edit field's
// states, commits as events, refusals, drops and the picker, the arming rule of SPD.
// Needs a display.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/listctrl.h>
#include <wx/tglbtn.h>

#include <mutex>

#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/shell/window/tests/support/ModuleWindows.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/sim/window/PilotView.h"

namespace {

using shelltest::Pump;
using namespace avionics;

class PilotViewTest : public shelltest::ModuleWindowsTest {
 protected:
  void SetUp() override {
    RegisterPilotPanes();
    ModuleWindowsTest::SetUp();
    if (HasFatalFailure()) return;
    table.services = host->GetServices();
    g_SimBlock.SetImportTable(&table);
    g_SimBlock.Exchange(1);
    bar = dynamic_cast<CPilotView*>(main->GetPaneView(PaneSlot::Pilot1)->GetWindow());
    ASSERT_NE(bar, nullptr);
    host->ClearEvents();
  }
  void TearDown() override {
    g_SimBlock.SetImportTable(nullptr);
    ModuleWindowsTest::TearDown();
    RegisterPane(PaneSlot::Pilot1, nullptr);
    RegisterPane(PaneSlot::Pilot2, nullptr);
  }
  void Key(wxWindow* to, int code) {
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = code;
    key.SetEventObject(to);
    to->GetEventHandler()->ProcessEvent(key);
  }
  bool Sent(uint32_t id, uint32_t value) const {
    for (const auto& e : host->Events())
      if (e.id == id && e.value == value) return true;
    return false;
  }
  simapi::ImportTable table{};
  CPilotView* bar = nullptr;
  ui::ModalScript script;
};

TEST_F(PilotViewTest, AnExchangeWithNewRadiosRefreshesTheBar) {
  host->GetAircraft().radios.com = 11850;
  g_SimBlock.Exchange(1);
  EXPECT_TRUE(shelltest::PumpUntil([&] { return bar->Field(kCom)->GetValue() == "118.50"; }))
      << bar->Field(kCom)->GetValue().utf8_string();
}

TEST_F(PilotViewTest, FlyFpIsPressedWhileThePlanIsFlown) {
  auto* fly = dynamic_cast<wxToggleButton*>(bar->FindWindow(kFlyPlan));
  ASSERT_NE(fly, nullptr);
  NamedVariableStorage& published = g_SimBlock.GetNamedStorage();
  for (const bool flying : {true, false}) {
    published.flyPlanPossible = 1;
    published.flyPlan = flying ? 1 : 0;
    g_SimBlock.Exchange(1);
    bar->OnPlanUpdate(UpdateHint{kHintPeriodic, nullptr});
    EXPECT_TRUE(fly->IsEnabled());
    EXPECT_EQ(flying, fly->GetValue());
  }
  // A click asks the guidance and leaves the state to its next publication.
  wxCommandEvent click(wxEVT_TOGGLEBUTTON, kFlyPlan);
  click.SetEventObject(fly);
  fly->SetValue(true);
  fly->GetEventHandler()->ProcessEvent(click);
  EXPECT_FALSE(fly->GetValue());
  EXPECT_EQ(1, published.flyPlanToggle);
  EXPECT_EQ(-1, published.flyPlanWaypoint);
  published.flyPlanToggle = 0;
  published.flyPlanPossible = 0;
  g_SimBlock.Exchange(1);
}

TEST_F(PilotViewTest, EnterCommitsTheTypedValueAndARefusalKeepsTheFieldEditing) {
  ui::ScopedModalHook hook(script);
  CPilotEdit* nav1 = bar->Field(kNav1);
  ASSERT_NE(nav1, nullptr);
  nav1->Enable(true);
  wxMouseEvent click(wxEVT_LEFT_UP);
  click.SetEventObject(nav1);
  nav1->GetEventHandler()->ProcessEvent(click);
  ASSERT_TRUE(shelltest::PumpUntil([&] { return !nav1->IsPassive(); })) << "a click starts the edit";
  nav1->ChangeValue("113.90");
  Key(nav1, WXK_RETURN);
  EXPECT_TRUE(nav1->IsPassive());
  EXPECT_TRUE(Sent(0x100AC, 0x1390)) << host->Events().size() << " " << nav1->GetValue().utf8_string();

  CPilotEdit* com = bar->Field(kCom);
  com->Enable(true);
  com->BeginEdit();
  com->ChangeValue("118.025");
  Key(com, WXK_RETURN);
  ASSERT_EQ(1u, script.Boxes().size());
  EXPECT_EQ(0u, script.Boxes()[0].text.find("Valid COM frequencies"));
  EXPECT_FALSE(com->IsPassive()) << "a refused value stays editable";
  EXPECT_EQ("118.025", com->GetValue().utf8_string());

  // A simulator update while typing waits; Escape shows the latest value.
  com->ShowValue(121.5);
  EXPECT_EQ("118.025", com->GetValue().utf8_string());
  Key(com, WXK_ESCAPE);
  EXPECT_TRUE(com->IsPassive());
  EXPECT_EQ("121.50", com->GetValue().utf8_string());

  // Leaving the field abandons the edit: nothing is sent.
  host->ClearEvents();
  com->BeginEdit();
  com->ChangeValue("122.80");
  wxFocusEvent leave(wxEVT_KILL_FOCUS);
  leave.SetEventObject(com);
  com->GetEventHandler()->ProcessEvent(leave);
  EXPECT_TRUE(com->IsPassive());
  EXPECT_EQ("121.50", com->GetValue().utf8_string());
  EXPECT_TRUE(host->Events().empty());
}

TEST_F(PilotViewTest, DroppedFrequenciesCommitAndSeveralOpenThePicker) {
  ui::ScopedModalHook hook(script);
  CPilotEdit* com = bar->Field(kCom);
  com->Enable(true);
  std::vector<FrequencyEntry> one(1);
  one[0].type = 32;
  one[0].frequency = 118.1f;
  EXPECT_TRUE(com->CommitArray(one)) << "one entry commits without the picker";
  EXPECT_TRUE(Sent(0x100AB, 0x1810));

  std::vector<FrequencyEntry> two(2);
  two[0].type = 32;
  two[0].frequency = 118.1f;
  two[1].type = 1;
  two[1].frequency = 128.5f;
  script.QueueDriver([](wxDialog& dialog) {
    auto* list = dynamic_cast<CDlgFrequency&>(dialog).List();
    list->Select(0);  // the ATIS group is listed first
    ui::PressButton(dialog, wxID_OK);
  });
  EXPECT_TRUE(com->CommitArray(two));
  EXPECT_TRUE(Sent(0x100AB, 0x2850));

  // Kinds the picker does not know give it no lines: OK chooses nothing.
  host->ClearEvents();
  two[0].type = two[1].type = 7;
  script.QueueDriver([](wxDialog& dialog) { ui::PressButton(dialog, wxID_OK); });
  EXPECT_FALSE(com->CommitArray(two));
  EXPECT_TRUE(host->Events().empty());

  CPilotEdit* adf = bar->Field(kAdf);
  adf->Enable(false);
  EXPECT_EQ("", adf->GetValue().utf8_string()) << "a disabled field shows nothing";
  EXPECT_FALSE(adf->CommitDropped(352.5f));
}

TEST_F(PilotViewTest, SpeedHoldIsNotSentWhenTheSimulatorRefusesToArm) {
  const auto setWithoutAsh = [&](bool on) {
    DatabaseLease lease;
    Document().GetPlan().GetCurrent()->m_profile.SetWithoutAsh(on);
  };
  setWithoutAsh(true);
  bar->PressButton(kSpeedHold);
  EXPECT_TRUE(host->Events().empty()) << "an aircraft without airspeed hold sends nothing";
  setWithoutAsh(false);
  host->SetEventAnswer(kArmAutothrottle, simhost::EventAnswer::kRefuse);
  bar->PressButton(kSpeedHold);
  EXPECT_TRUE(Sent(kArmAutothrottle, 0));
  EXPECT_FALSE(Sent(0x10163, 0));
  host->SetEventAnswer(kArmAutothrottle, simhost::EventAnswer::kApply);
  bar->PressButton(kSpeedHold);
  EXPECT_TRUE(Sent(0x10163, 0));
}

}  // namespace
