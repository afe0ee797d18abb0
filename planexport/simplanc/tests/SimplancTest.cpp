// Simplanc.so through the host with its departure-position dialog answered as a user would.
#include "planexport/simplanc/SimplancExport.h"

#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/stdpaths.h>

#include <string>

#include "planexport/common/testing/DialogDriver.h"
#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/simpln/tests/SimPlnScript.h"
#include "planexport/simpln/window/StartPositionDialog.h"

namespace {

using namespace simplntest;

struct SeenDialog {
  std::string caption;
  int rows = -1;
  long preselected = -2;
  std::string firstColumn, secondColumn;
  bool okEnabled = false;
};

// Looks at the dialog, selects `choose` (or keeps the preselection) and presses OK.
void AnswerPosition(SeenDialog& seen, long choose = -1) {
  WhenModal([&seen, choose](wxDialog& dialog) {
    seen.caption = dialog.GetTitle().utf8_string();
    seen.okEnabled = dialog.FindWindow(wxID_OK)->IsEnabled();
    auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(kStartPositionListId));
    if (!list) return;
    seen.rows = list->GetItemCount();
    seen.preselected = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (seen.rows > 2) {
      seen.firstColumn = list->GetItemText(2, 0).utf8_string();
      seen.secondColumn = list->GetItemText(2, 1).utf8_string();
    }
    if (choose >= 0) list->SetItemState(choose, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    ui::PressButton(dialog, wxID_OK);
  });
}

TEST(SimplancModule, ThePositionChosenInTheDialogIsWrittenAndNotCarriedOver) {
  ModuleSimroot root("simplanc", SIMPLANC_MODULE);
  ScriptSeattlePortland();
  ScriptStartPositions({{"10L\tRunway", "10L"}, {"16L\tRunway", "16L"}, {"GATE B 4\tGATE_MEDIUM", "GATE B 4"}});
  const std::string target = (root.Root() / "plan.PLN").string();
  Script().savePath = target;

  SeenDialog seen;
  AnswerPosition(seen);
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(WindowsLeft(), 0u);
  EXPECT_EQ(seen.caption, "Simplanc Departure Position");
  EXPECT_EQ(seen.rows, 3);
  EXPECT_EQ(seen.preselected, 1) << "the runway the plan starts at";
  EXPECT_EQ(seen.firstColumn, "GATE B 4");
  EXPECT_EQ(seen.secondColumn, "GATE_MEDIUM");
  EXPECT_TRUE(seen.okEnabled);
  EXPECT_EQ(ReadBytes(target), Golden("planexport/simpln/tests/goldens/KSEA-KPDX.PLN"));
  std::string documents = wxStandardPaths::Get().GetDocumentsDir().utf8_string();
  if (!documents.empty() && documents.back() != '/') documents += '/';
  EXPECT_EQ(Script().initialDirSeen, documents.empty() ? "" : documents + "Flight Simulator Files/");
  EXPECT_EQ(Script().initialNameSeen, "Seattle-Tacoma Intl to Portland Intl.PLN");
  EXPECT_FALSE(std::filesystem::exists(root.Ini())) << "the folder is never stored";

  // Again in the same process: a lower plan from a departure without runways preselects the
  // first entry, and the user takes the gate.
  for (FlpxWaypoint& row : Script().rows) row.altitude = row.altitude / 2;
  Script().info.departure.runwayCount = 0;
  SeenDialog second;
  AnswerPosition(second, 2);
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(WindowsLeft(), 0u);
  EXPECT_EQ(second.preselected, 0);
  const std::string text = ReadBytes(target);
  EXPECT_NE(text.find("\r\ncruising_altitude=8874\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\ndeparture_position=GATE B 4\r\n"), std::string::npos) << text;
}

TEST(SimplancModule, WithoutStartPositionsOnlyCancelCloses) {
  ModuleSimroot root("simplanc_empty", SIMPLANC_MODULE);
  ScriptSeattlePortland();
  Script().savePath = (root.Root() / "plan.PLN").string();
  bool okEnabled = true, okPressed = true, stillOpen = false;
  WhenModal([&](wxDialog& dialog) {
    okEnabled = dialog.FindWindow(wxID_OK)->IsEnabled();
    okPressed = ui::PressButton(dialog, wxID_OK);
    stillOpen = dialog.IsModal();
    ui::PressButton(dialog, wxID_CANCEL);
  });
  EXPECT_EQ(root.Export(), FlpxCallResult::Done) << "a cancelled dialog is not a failure";
  EXPECT_EQ(WindowsLeft(), 0u);
  EXPECT_FALSE(okEnabled);
  EXPECT_FALSE(okPressed);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(Script().saveCalls, 0);
  EXPECT_FALSE(std::filesystem::exists(Script().savePath));
}

}  // namespace
