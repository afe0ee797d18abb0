// The avionics bars and the FMS panel as a pilot uses them in the running planner: typed entries,
// real message boxes whose loops let the planner's updates run, and the map pane's tab strip.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/settings.h>

#include <string>

#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/map/window/MapParentView.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/sim/Avionics.h"
#include "plotr/sim/window/PilotView.h"

namespace {

using live::Click;
using live::FindWindowOf;
using live::Key;
using live::PumpUntil;

// Message boxes shown for real, so their modal loop runs the planner's timers as it does for a
// pilot; dialogs still go to the fixture's script.
class RealBoxes : public ui::IModalHook {
 public:
  explicit RealBoxes(ui::ModalScript& script) : m_script(script) {}
  int AnswerMessageBox(const ui::MessageBoxRequest& request) override {
    texts.push_back(request.text);
    ui::SetModalHook(nullptr);
    const int answer = ui::ShowMessageBox(nullptr, request.text, request.caption, request.style);
    ui::SetModalHook(this);
    return answer;
  }
  void DriveDialog(wxDialog& dialog) override { m_script.DriveDialog(dialog); }

  std::vector<std::string> texts;

 private:
  ui::ModalScript& m_script;
};

// The message box on the screen, if one is up.
wxDialog* ShownBox() {
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<wxDialog*>(w); dialog != nullptr && dialog->IsModal() && dialog->IsShownOnScreen())
      return dialog;
  return nullptr;
}

class LiveAvionics : public live::LivePlanner {
 protected:
  CPilotView& Bar() {
    auto* bar = dynamic_cast<CPilotView*>(Pane(PaneSlot::Pilot1));
    EXPECT_NE(bar, nullptr);
    return *bar;
  }
};

TEST_F(LiveAvionics, ARefusedFrequencyKeepsTheTypedTextWhileTheSimulatorChangesIt) {
  RealBoxes boxes(modals);
  ui::ScopedModalHook hook(boxes);
  CPilotEdit* com = Bar().Field(avionics::kCom);
  ASSERT_NE(com, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return com->IsEnabled() && com->GetValue() == "122.50"; }))
      << "the bar does not show the simulator's COM1: " << com->GetValue();

  Click(com);
  ASSERT_TRUE(PumpUntil([&] { return !com->IsPassive(); })) << "a click did not start the entry";
  live::Type("137.00");
  ASSERT_EQ(com->GetValue(), "137.00");

  // Enter opens the refusal; under it the simulator's radio changes, and the bar's updates run
  // for a few of their periods before the pilot presses OK.
  std::string underTheBox;
  bool answered = false;
  live::After(100, [&] {
    wxDialog* box = nullptr;
    if (!PumpUntil([&] { return (box = ShownBox()) != nullptr; })) return;
    host->GetAircraft().radios.com = 11802;
    live::Pump(1500);
    underTheBox = com->GetValue().utf8_string();
    live::SaveScreenshot("avionics-refused-com");
    auto* ok = FindWindowOf<wxButton>(box, [](const wxButton& b) { return b.GetId() == wxID_OK; });
    if (ok != nullptr) Click(ok);
    answered = true;
  });
  Key(WXK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return answered && ShownBox() == nullptr; }, 10000)) << "no box, or it stayed up";
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0].rfind("Valid COM frequencies range from 118.00 to 136.97.", 0), 0u) << boxes.texts[0];
  EXPECT_EQ(underTheBox, "137.00") << "the simulator's value replaced the entry under the box";

  // After OK the entry is as typed and still open for the pilot to correct.
  live::Pump(300);
  EXPECT_EQ(com->GetValue(), "137.00");
  EXPECT_FALSE(com->IsPassive()) << "the field left its entry";
  EXPECT_TRUE(com->State().Editing());
  EXPECT_EQ(wxWindow::FindFocus(), com) << "the field lost the keyboard";
  live::Pump(1000);
  EXPECT_EQ(com->GetValue(), "137.00") << "the simulator's value replaced the entry after the box";

  // The correction goes to the simulator, and the field shows the simulator again.
  Key(WXK_BACK);
  Key(WXK_BACK);
  Key(WXK_BACK);
  Key(WXK_BACK);
  Key(WXK_BACK);
  live::Type("36.97");
  ASSERT_EQ(com->GetValue(), "136.97");
  Key(WXK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return host->GetAircraft().radios.com == 13697; })) << host->GetAircraft().radios.com;
  EXPECT_TRUE(com->IsPassive());
  EXPECT_EQ(boxes.texts.size(), 1u);
}

// The map pane's tab strip marks the pane that has the keyboard with a stripe in its free part.
// The FMS panel repaints the strip as it takes the keyboard, so the mark is there at once, not
// only at the pane's next periodic update.
TEST_F(LiveAvionics, TheFmsPanelMarksItsPaneAsItTakesTheKeyboard) {
  auto* pane = dynamic_cast<CScenParentView*>(Pane(PaneSlot::Map));
  ASSERT_NE(pane, nullptr);
  CCaptionTabCtrl* tabs = pane->GetTabs();
  const wxRect fmsTab = tabs->TabRect(2);
  Click(tabs, wxPoint(fmsTab.x + fmsTab.width / 2, fmsTab.y + fmsTab.height / 2));
  wxWindow* fms = pane->GetPage(2);
  ASSERT_TRUE(PumpUntil([&] { return fms->IsShownOnScreen(); })) << "the FMS tab did not open the panel";

  // The strip's free part, past the last tab.
  const wxSize size = tabs->GetClientSize();
  const wxRect free = tabs->IsVertical() ? wxRect(0, fmsTab.GetBottom() + 1, size.x, size.y - fmsTab.GetBottom() - 1)
                                         : wxRect(fmsTab.GetRight() + 1, 0, size.x - fmsTab.GetRight() - 1, size.y);
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const auto marked = [&] { return live::CountInk(live::GrabScreen(tabs, free), face, 8) > free.width + free.height; };
  wxListCtrl* plan = FindWindowOf<wxListCtrl>(Pane(PaneSlot::PlanTable));
  ASSERT_NE(plan, nullptr);
  for (int round = 0; round < 2; ++round) {
    // The plan table takes the keyboard; the mark goes at the pane's next update, right after
    // which the panel is clicked: the update after that is half a second away.
    Click(plan);
    ASSERT_TRUE(PumpUntil([&] { return !marked(); }, 3000)) << "the mark stayed with the plan table active";
    Click(fms, wxPoint(2, fms->GetClientSize().y - 3));
    ASSERT_EQ(wxWindow::FindFocus(), fms);
    EXPECT_TRUE(marked()) << "the strip was not repainted as the FMS panel took the keyboard";
    ASSERT_TRUE(PumpUntil(marked, 2000)) << "no mark at all";
  }
  live::SaveScreenshot("fms-pane-marked");
}

}  // namespace
