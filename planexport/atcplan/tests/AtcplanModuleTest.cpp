// Atcplan.so through the host with its export-options dialog filled as a user would.
#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <string>
#include <vector>

#include "planexport/atcplan/tests/AtcplanScript.h"
#include "planexport/atcplan/window/AtcDetailsDialog.h"
#include "planexport/common/testing/DialogDriver.h"
#include "planexport/common/testing/ModuleHarness.h"

namespace {

using namespace atcplantest;

template <class Control>
Control& Find(wxDialog& dialog, int id) {
  auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
  if (!control) throw std::runtime_error("no control " + std::to_string(id));
  return *control;
}

std::vector<std::string> Ids(wxListCtrl& list) {
  std::vector<std::string> ids;
  for (int i = 0; i < list.GetItemCount(); ++i) ids.push_back(list.GetItemText(i, 0).utf8_string());
  return ids;
}

struct Seen {
  std::string caption, title, description;
  std::vector<std::string> openDeparture, openArrival, availableDeparture;
  bool moveEnabledAtStart = true, moveEnabledOnSelection = false, emptyTitleRefused = false, moved = false;
  std::string ilsColumn;
};

TEST(AtcplanModule, TheOptionsDriveTheFileAndASecondLowerPlanKeepsNothing) {
  ModuleSimroot root("atcplan", ATCPLAN_MODULE);
  ScriptSeattlePortland();
  const std::string target = (root.Root() / "plan.apl").string();
  Script().savePath = target;

  Seen seen;
  WhenModal([&](wxDialog& dialog) {
    try {
      seen.caption = dialog.GetTitle().utf8_string();
      auto& title = Find<wxTextCtrl>(dialog, kAtcTitleId);
      auto& description = Find<wxTextCtrl>(dialog, kAtcDescriptionId);
      auto& openDeparture = Find<wxListCtrl>(dialog, static_cast<int>(AtcList::kOpenDeparture));
      seen.title = title.GetValue().utf8_string();
      seen.description = description.GetValue().utf8_string();
      seen.openDeparture = Ids(openDeparture);
      seen.openArrival = Ids(Find<wxListCtrl>(dialog, static_cast<int>(AtcList::kOpenArrival)));
      seen.ilsColumn = Find<wxListCtrl>(dialog, static_cast<int>(AtcList::kOpenArrival)).GetItemText(1, 3).utf8_string();
      seen.moveEnabledAtStart = dialog.FindWindow(kAtcMoveToAvailableDepartureId)->IsEnabled();

      title.ChangeValue("   ");
      ui::PressButton(dialog, wxID_OK);
      seen.emptyTitleRefused = dialog.IsModal();

      title.ChangeValue("Seattle shuttle  ");
      description.ChangeValue(kDescription);
      openDeparture.SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
      seen.moveEnabledOnSelection = dialog.FindWindow(kAtcMoveToAvailableDepartureId)->IsEnabled();
      seen.moved = ui::PressButton(dialog, kAtcMoveToAvailableDepartureId);
      seen.availableDeparture = Ids(Find<wxListCtrl>(dialog, static_cast<int>(AtcList::kAvailableDeparture)));
      Find<wxComboBox>(dialog, kAtcAircraftTypeId).SetSelection(1);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
    ui::PressButton(dialog, wxID_OK);
  });
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(WindowsLeft(), 0u);
  EXPECT_EQ(seen.caption, "Atcplan Export Options");
  EXPECT_EQ(seen.title, "KSEA to KPDX: Boeing 737-400");
  EXPECT_EQ(seen.description, "Seattle-Tacoma Intl to Portland Intl - Aircraft: Boeing 737-400 - FlightLevel: 178");
  EXPECT_EQ(seen.openDeparture, (std::vector<std::string>{"34R", "16L"}));
  EXPECT_EQ(seen.openArrival, (std::vector<std::string>{"28C", "10R"}));
  EXPECT_EQ(seen.ilsColumn, "111.30");
  EXPECT_FALSE(seen.moveEnabledAtStart);
  EXPECT_TRUE(seen.emptyTitleRefused);
  EXPECT_TRUE(seen.moveEnabledOnSelection);
  EXPECT_TRUE(seen.moved);
  EXPECT_EQ(seen.availableDeparture, (std::vector<std::string>{"34R"}));
  EXPECT_EQ(ReadBytes(target), Golden("planexport/atcplan/tests/goldens/KSEA-KPDX.apl"));

  // Again in the same process: departure and arrival alone, lower, from a departure without
  // runways, to an arrival with runways 9, 9L and 27, the options taken as they are offered.
  Script().rows = {Script().rows[0], Script().rows[5]};
  Script().info.departure.runwayCount = 0;
  FlpxAirportInfo& arrival = Script().info.arrival;
  arrival.runwayCount = 0;
  AddRunway(arrival, "9", 90, 45.5, -122.6, 30, 8000, 150, 0);
  AddRunway(arrival, "9L", 92, 45.51, -122.61, 30, 8000, 150, 109.9);
  AddRunway(arrival, "27", 270, 45.52, -122.5, 30, 8000, 150, 0);
  Seen second;
  WhenModal([&](wxDialog& dialog) {
    second.description = Find<wxTextCtrl>(dialog, kAtcDescriptionId).GetValue().utf8_string();
    second.openDeparture = Ids(Find<wxListCtrl>(dialog, static_cast<int>(AtcList::kOpenDeparture)));
    second.openArrival = Ids(Find<wxListCtrl>(dialog, static_cast<int>(AtcList::kOpenArrival)));
    ui::PressButton(dialog, wxID_OK);
  });
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(WindowsLeft(), 0u);
  EXPECT_EQ(second.description, "Seattle-Tacoma Intl to Portland Intl - Aircraft: Boeing 737-400 - FlightLevel: 5");
  EXPECT_TRUE(second.openDeparture.empty());
  EXPECT_EQ(second.openArrival, (std::vector<std::string>{"27", " 9L", " 9"}));
  const std::string text = ReadBytes(target);
  EXPECT_NE(text.find("HOLD_ID = \"16L\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    aircraft_type = 1\r\n    departure_elevation"), std::string::npos);
  EXPECT_NE(text.find("    filed_altitude = 44\r\n"), std::string::npos);
  EXPECT_NE(text.find("    number_of_checkpoints = 0\r\n"), std::string::npos);
  EXPECT_EQ(text.find("d_runway"), std::string::npos);
  EXPECT_NE(text.find("    a_runway_1_id = 90\r\n"), std::string::npos);
  EXPECT_NE(text.find("    a_runway_2_id = 91\r\n"), std::string::npos);
  EXPECT_NE(text.find("    a_runway_3_id = 270\r\n"), std::string::npos);
}

TEST(AtcplanModule, AShortPlanIsRefusedBeforeTheDialog) {
  ModuleSimroot root("atcplan_short", ATCPLAN_MODULE);
  ScriptSeattlePortland();
  Script().rows.resize(2);  // the runway and a climb point
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().planInfoCalls, 0);
  EXPECT_EQ(OpenModalDialog(), nullptr);
  EXPECT_EQ(WindowsLeft(), 0u);
}

}  // namespace
