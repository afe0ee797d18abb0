// Basemaker's main dialog on a sample simulator root, with every box and dialog answered
// through the modal hook. Needs a display.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "basemaker/app/BuilderStrings.h"
#include "basemaker/app/DatabaseBuild.h"
#include "basemaker/app/tests/SimRootFixture.h"
#include "basemaker/app/tests/VisBuilder.h"
#include "basemaker/gui/AreasDlg.h"
#include "basemaker/gui/BuilderApp.h"
#include "basemaker/gui/DatabaseDlg.h"
#include "basemaker/gui/ExcludeFlattenDlg.h"
#include "basemaker/gui/FolderBrowser.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "tools/sample-simroot/SampleSimRoot.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBuildTimeoutMs = 60000;
constexpr int kInputTimeoutMs = 5000;

// Real input through the display, as a user gives it: the pointer moved onto the middle of a
// window and clicked, or a key typed into the window that has the focus. The events arrive
// while the test pumps.
void Click(wxWindow& window) {
  wxUIActionSimulator input;
  const wxRect rect = window.GetScreenRect();
  input.MouseMove(rect.GetLeft() + rect.GetWidth() / 2, rect.GetTop() + rect.GetHeight() / 2);
  input.MouseClick();
}

void Type(int key) {
  wxUIActionSimulator().Char(key);
}

// Lets queued input and messages be handled for a moment, and the windows do what they leave
// for idle time (a list shows its scroll bar only then).
void Settle() {
  ui::PumpUntil(
      [] {
        wxTheApp->ProcessIdle();
        return false;
      },
      200);
}

std::string Text(int id) {
  return LoadBuilderString(id);
}

// A script that also notes what the Create button read when each box came up.
class Script : public ui::ModalScript {
 public:
  int AnswerMessageBox(const ui::MessageBoxRequest& request) override {
    captionsAtBox.push_back(button ? button->GetLabel().utf8_string() : "");
    return ModalScript::AnswerMessageBox(request);
  }
  wxButton* button = nullptr;
  std::vector<std::string> captionsAtBox;
};

class BasemakerWindowsTest : public SimRootTest {
 protected:
  void SetUp() override {
    SimRootTest::SetUp();
    std::string error;
    ASSERT_TRUE(sampleroot::WriteSampleSimRoot(Root(), error)) << error;
    m_drives.Add({"/", win::DriveType::Fixed, ""});
    m_folders.simRoot = Root();
    m_folders.programFolder = sampleroot::ProgramFolder(Root());
    m_folders.databaseFolder = sampleroot::DatabaseFolder(Root());
  }

  BuildStep RealBuild(int simVer = 90) {
    BuildEnvironment env;
    env.folders = m_folders;
    env.simVer = simVer;
    env.drives = &m_drives;
    return MakeDatabaseBuildStep(env);
  }

  // A build step that runs until it is aborted, showing one step text and signs of life, so the
  // progress text alternates with "Please wait".
  BuildStep SlowBuild() {
    return [this](CBuildWorker& worker, CAreaList&, win::AutoResetEvent& abort) {
      worker.SetProgressText("Slow step");
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (std::chrono::steady_clock::now() < end) {
        worker.PostHeartbeat();
        if (abort.Wait(10)) {
          m_slowStepAborted = true;
          return static_cast<int>(IDS_BUILD_ABORTED);
        }
      }
      return static_cast<int>(IDS_BUILD_READY);
    };
  }

  // The sample's second area, Swiss Navaids, becomes one that may not be switched off.
  void MakeSwissNavaidsRequired() {
    std::string cfg = Get("Scenery.cfg");
    const size_t at = cfg.find("Required=FALSE", cfg.find("SwissNav"));
    ASSERT_NE(std::string::npos, at);
    cfg.replace(at, 14, "Required=TRUE");
    Put("Scenery.cfg", cfg);
  }

  // A build that waits, once started, for `go` (or for the abort), then gives `beats` signs of
  // life and ends. Whatever the dialog has not handled by then waits in its queue together.
  BuildStep WaitingBuild(bool untilAbort, int beats) {
    return [this, untilAbort, beats](CBuildWorker& worker, CAreaList&, win::AutoResetEvent& abort) {
      m_stepStarted = true;
      (untilAbort ? abort : m_go).Wait();
      for (int i = 0; i < beats; ++i) worker.PostHeartbeat();
      return static_cast<int>(untilAbort ? IDS_BUILD_ABORTED : IDS_BUILD_READY);
    };
  }

  static wxButton& Create(wxDialog& d) { return *dynamic_cast<wxButton*>(d.FindWindow(wxID_OK)); }
  static std::string CreateCaption(wxDialog& d) { return Create(d).GetLabel().utf8_string(); }
  static std::string Progress(wxDialog& d) {
    return dynamic_cast<wxStaticText*>(d.FindWindow(kIdAreaProgress))->GetLabel().utf8_string();
  }
  // Pumps until the build has ended and its last caption arrived.
  static bool WaitForBuildEnd(CAreasDlg& d) {
    return ui::PumpUntil(
        [&] { return !d.Worker().IsBuilding() && CreateCaption(d) == Text(IDS_CREATE_DATABASE); }, kBuildTimeoutMs);
  }

  win::FakeDriveTable m_drives;
  BuilderFolders m_folders;
  std::atomic<bool> m_slowStepAborted{false};
  std::atomic<bool> m_stepStarted{false};
  win::AutoResetEvent m_go;
};

// The real build is too quick to watch its captions and step texts; the slow step below shows
// those.
TEST_F(BasemakerWindowsTest, CreateConfirmsBuildsTheListAndEndsWithTheReadyBox) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  script.QueueAnswer(ui::kIdOk);
  int rows = 0;
  bool ended = false;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CAreasDlg&>(d);
    rows = dialog.List().GetItemCount();
    ui::PressButton(dialog, wxID_OK);
    ended = WaitForBuildEnd(dialog);
    ui::PressButton(dialog, wxID_CANCEL);
  });
  CAreasDlg dialog(nullptr, m_folders, 90, RealBuild(), m_drives);
  EXPECT_EQ(wxID_CANCEL, ui::ShowModalDialog(dialog));

  EXPECT_EQ(5, rows) << "the sample's five scenery areas";
  EXPECT_TRUE(ended);
  EXPECT_EQ((std::vector<std::string>{Text(IDS_CONFIRM_BUILD), Text(IDS_BUILD_READY)}), script.BoxTexts());
  for (const auto& box : script.Boxes()) EXPECT_EQ("Chartwright Database Creator", box.caption);
  EXPECT_EQ(ui::kMbOkCancel | ui::kMbIconQuestion, script.Boxes()[0].style);
  EXPECT_EQ(ui::kMbIconInformation, script.Boxes()[1].style);
  EXPECT_TRUE(fs::exists(DatabaseRecordFile(m_folders.databaseFolder, "Scenery")));
}

TEST_F(BasemakerWindowsTest, AbortShowsTheAbortedBoxBeforeTheCaptionTurnsBack) {
  Script script;
  ui::ScopedModalHook hook(script);
  script.QueueAnswer(ui::kIdOk);
  bool returnedAfterWorker = false;
  std::string stepText;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CAreasDlg&>(d);
    script.button = &Create(dialog);
    ui::PressButton(dialog, wxID_OK);
    ui::PumpUntil([&] { return Progress(dialog) == "Slow step"; }, kBuildTimeoutMs);
    stepText = Progress(dialog);
    ui::PressButton(dialog, wxID_OK);  // now Abort
    returnedAfterWorker = !dialog.Worker().IsBuilding() && m_slowStepAborted;
    WaitForBuildEnd(dialog);
    ui::PressButton(dialog, wxID_CANCEL);
  });
  CAreasDlg dialog(nullptr, m_folders, 90, SlowBuild(), m_drives);
  ui::ShowModalDialog(dialog);
  EXPECT_EQ("Slow step", stepText);
  EXPECT_TRUE(returnedAfterWorker);
  EXPECT_EQ((std::vector<std::string>{Text(IDS_CONFIRM_BUILD), Text(IDS_BUILD_ABORTED)}), script.BoxTexts());
  ASSERT_EQ(2u, script.captionsAtBox.size());
  EXPECT_EQ(Text(IDS_ABORT_CREATE), script.captionsAtBox[1]) << "the result box comes before the caption";
  EXPECT_EQ(Text(IDS_CREATE_DATABASE), CreateCaption(dialog));
}

TEST_F(BasemakerWindowsTest, ExitOrTheCloseBoxDuringABuildReturnsOnlyAfterTheWorkerEnded) {
  for (const bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "Exit");
    m_slowStepAborted = false;
    ui::ModalScript script;
    ui::ScopedModalHook hook(script);
    script.QueueAnswer(ui::kIdOk);
    script.QueueDriver([&](wxDialog& d) {
      auto& dialog = dynamic_cast<CAreasDlg&>(d);
      ui::PressButton(dialog, wxID_OK);
      ui::PumpUntil([&] { return Progress(dialog) == "Slow step"; }, kBuildTimeoutMs);
      if (closeBox)
        dialog.Close();
      else
        ui::PressButton(dialog, wxID_CANCEL);
    });
    CAreasDlg dialog(nullptr, m_folders, 90, SlowBuild(), m_drives);
    EXPECT_EQ(wxID_CANCEL, ui::ShowModalDialog(dialog));
    EXPECT_TRUE(m_slowStepAborted);
    EXPECT_FALSE(dialog.Worker().IsBuilding());
  }
}

TEST_F(BasemakerWindowsTest, AMissingAreaIsLeftOutOnOkAndAbortsTheBuildOnCancel) {
  fs::remove_all(Root() / "Scenery" / "Zurich1998");
  const std::string missing = FormatBuilderString(IDS_AREA_MISSING, {"Zurich 1998"});
  for (const int answer : {ui::kIdCancel, ui::kIdOk}) {
    SCOPED_TRACE(answer);
    ui::ModalScript script;
    ui::ScopedModalHook hook(script);
    script.QueueAnswer(ui::kIdOk);
    script.QueueAnswer(answer);
    script.QueueDriver([&](wxDialog& d) {
      auto& dialog = dynamic_cast<CAreasDlg&>(d);
      ui::PressButton(dialog, wxID_OK);
      ui::PumpUntil([&] { return dialog.Worker().IsBuilding(); }, kBuildTimeoutMs);
      WaitForBuildEnd(dialog);
      ui::PressButton(dialog, wxID_CANCEL);
    });
    CAreasDlg dialog(nullptr, m_folders, 90, RealBuild(), m_drives);
    ui::ShowModalDialog(dialog);
    const std::string result = Text(answer == ui::kIdOk ? IDS_BUILD_READY : IDS_BUILD_ABORTED);
    EXPECT_EQ((std::vector<std::string>{Text(IDS_CONFIRM_BUILD), missing, result}), script.BoxTexts());
    ASSERT_EQ(3u, script.Boxes().size());
    EXPECT_EQ(ui::kMbOkCancel | ui::kMbIconQuestion, script.Boxes()[1].style);
  }
}

TEST_F(BasemakerWindowsTest, ARequiredAreaStaysCheckedAndIsNeitherEditedNorDeleted) {
  ASSERT_NO_FATAL_FAILURE(MakeSwissNavaidsRequired());
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  bool checkedAfter = false;
  std::vector<std::string> titles;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CAreasDlg&>(d);
    const int row = 1;
    ASSERT_EQ("Swiss Navaids", dialog.Rows().EntryOf(row).title);
    dialog.List().CheckItem(row, false);  // as a click on the box would
    checkedAfter = dialog.List().IsItemChecked(row) && dialog.Rows().Row(row).checked;
    dialog.List().SelectRow(row);
    ui::PressButton(dialog, kIdEditArea);
    ui::PressButton(dialog, kIdDeleteArea);
    for (int i = 0; i < dialog.List().GetItemCount(); ++i) titles.push_back(dialog.List().GetItemText(i, 1).utf8_string());
  });
  CAreasDlg dialog(nullptr, m_folders, 90, SlowBuild(), m_drives);
  ui::ShowModalDialog(dialog);
  EXPECT_TRUE(checkedAfter);
  EXPECT_EQ((std::vector<std::string>{"Area Swiss Navaids is required and can not be turned off.",
                                      "Area Swiss Navaids is required and can not be edited.",
                                      "Area Swiss Navaids is required and can not be deleted."}),
            script.BoxTexts());
  EXPECT_EQ(5u, titles.size());
  EXPECT_EQ(0, script.UndrivenDialogs()) << "no folder browser opened";
}

TEST_F(BasemakerWindowsTest, AddKeepsOkDisabledUntilATitleAndAFolderWithSceneryThenAddsAtTheTop) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  std::vector<bool> okStates;
  std::string path;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CAreasDlg&>(d);
    ui::PressButton(dialog, kIdAddArea);
    ASSERT_EQ(0, dialog.List().SelectedRow());
    EXPECT_EQ("New area", dialog.List().GetItemText(0, 1).utf8_string());
    EXPECT_EQ("001", dialog.List().GetItemText(0, 2).utf8_string());
    EXPECT_EQ("002", dialog.List().GetItemText(1, 2).utf8_string());
    EXPECT_EQ(6, dialog.List().GetItemCount());
  });
  script.QueueDriver([&](wxDialog& d) {
    auto& browser = dynamic_cast<CFolderBrowser&>(d);
    auto ok = [&] { okStates.push_back(browser.FindWindow(wxID_OK)->IsEnabled()); };
    ok();  // the root selected: no scenery there
    dynamic_cast<wxTextCtrl*>(browser.FindWindow(kIdAreaTitle))->SetValue("   ");
    ok();
    dynamic_cast<wxTextCtrl*>(browser.FindWindow(kIdAreaTitle))->SetValue("New area");
    ok();
    browser.SelectFolder(Root() / "Scenery" / "Zurich1998");
    ok();
    path = dynamic_cast<wxTextCtrl*>(browser.FindWindow(kIdAreaPath))->GetValue().utf8_string();
    ui::PressButton(browser, wxID_OK);
  });
  CAreasDlg dialog(nullptr, m_folders, 90, SlowBuild(), m_drives);
  ui::ShowModalDialog(dialog);
  EXPECT_EQ((std::vector<bool>{false, false, false, true}), okStates);
  EXPECT_EQ("Scenery\\Zurich1998", path);
}

TEST_F(BasemakerWindowsTest, AWrongExcludeKeepsTheDialogOpenWithTheWrongPartSelected) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  bool stayedOpen = false;
  bool focused = false;
  long from = -1, to = -1;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CExcludeFlattenDlg&>(d);
    dialog.Field(kExcludeField).ChangeValue("N47,E8,N46,E9,lakes");
    ui::PressButton(dialog, wxID_OK);
    stayedOpen = dialog.IsModal();
    ui::PumpUntil([&] { return wxWindow::FindFocus() == &dialog.Field(kExcludeField); }, 2000);
    focused = wxWindow::FindFocus() == &dialog.Field(kExcludeField);
    dialog.Field(kExcludeField).GetSelection(&from, &to);
    dialog.Field(kExcludeField).ChangeValue(" N47,E8,N46,E9,all\n");
    ui::PressButton(dialog, wxID_OK);
  });
  CExcludeFlattenDlg dialog(nullptr);
  EXPECT_EQ(wxID_OK, ui::ShowModalDialog(dialog));
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(focused);
  EXPECT_EQ(14, from);
  EXPECT_EQ(19, to);
  EXPECT_EQ((std::vector<std::string>{"Wrong Exclude."}), script.BoxTexts());
  EXPECT_EQ("N47,E8,N46,E9,all", dialog.Texts()[kExcludeField]);
}

TEST_F(BasemakerWindowsTest, AVersionWithoutADialogShowsTheInstallationErrorOnly) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  script.QueueDriver([](wxDialog&) { FAIL() << "no dialog may open"; });
  BuilderStartup startup;
  startup.folders = m_folders;
  startup.simVer = 65;
  startup.mode = ChooseBuilderMode(65);
  EXPECT_EQ(0, RunBuilder(startup, m_drives, SlowBuild()));
  EXPECT_EQ((std::vector<std::string>{Text(IDS_INSTALLATION_ERROR)}), script.BoxTexts());
  EXPECT_EQ(ui::kMbOk | ui::kMbIconStop, script.Boxes()[0].style);
}

TEST_F(BasemakerWindowsTest, SimpleModeBuildsTheChosenSetUnderItsNameFromItsStoredFlags) {
  Put("Scenery/Jura.vis", AsText(VisBuilder()
                                     .Title("Jura set")
                                     .Description("The Jura mountains")
                                     .Area("=:\\=\\Scenery\\Switzerland\\*", "Switzerland")
                                     .Area("=:\\=\\Scenery\\SwissNav\\*", "Navaids")
                                     .Bytes()));
  Put("Scenery/alps.vis", AsText(VisBuilder().Title("Zurich set").Area("=:\\=\\Scenery\\Zurich1998\\*", "Zurich").Bytes()));
  Script script;
  ui::ScopedModalHook hook(script);
  script.QueueAnswer(ui::kIdOk);
  std::vector<std::string> sets;
  std::string description;
  bool refilledFromStoredFlags = false;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CDatabaseDlg&>(d);
    for (unsigned i = 0; i < dialog.Sets().GetCount(); ++i) sets.push_back(dialog.Sets().GetString(i).utf8_string());
    dialog.ChooseSet(1);
    description = dynamic_cast<wxStaticText*>(dialog.FindWindow(kIdSetDescription))->GetLabel().utf8_string();
    dialog.List().CheckItem(0, false);
    dialog.ChooseSet(0);
    dialog.ChooseSet(1);
    refilledFromStoredFlags = dialog.List().IsItemChecked(0) && dialog.List().GetItemText(1, 2) == "2";
    dialog.List().CheckItem(1, false);
    ui::PressButton(dialog, wxID_OK);
    ui::PumpUntil([&] { return script.Boxes().size() >= 2 && !dialog.Worker().IsBuilding(); }, kBuildTimeoutMs);
    ui::PressButton(dialog, wxID_CANCEL);
  });
  CDatabaseDlg dialog(nullptr, m_folders, RealBuild(61));
  ui::ShowModalDialog(dialog);
  EXPECT_EQ((std::vector<std::string>{"Zurich set", "Jura set"}), sets) << "in the order of the file names";
  EXPECT_EQ("The Jura mountains", description);
  EXPECT_TRUE(refilledFromStoredFlags);
  EXPECT_EQ((std::vector<std::string>{Text(IDS_CONFIRM_BUILD), Text(IDS_BUILD_READY)}), script.BoxTexts());
  EXPECT_TRUE(fs::exists(DatabaseRecordFile(m_folders.databaseFolder, "Jura")));
}

TEST_F(BasemakerWindowsTest, SimpleModeWithoutSetsCannotCreate) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  bool createEnabled = true;
  script.QueueDriver([&](wxDialog& d) {
    createEnabled = d.FindWindow(wxID_OK)->IsEnabled();
    ui::PressButton(d, wxID_CANCEL);
  });
  CDatabaseDlg dialog(nullptr, m_folders, SlowBuild());
  EXPECT_EQ(wxID_CANCEL, ui::ShowModalDialog(dialog));
  EXPECT_FALSE(createEnabled);
}

TEST_F(BasemakerWindowsTest, SaveWritesTheListInViewOrderAndAFailedSaveIsShown) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  for (int i = 0; i < 4; ++i) script.QueueAnswer(ui::kIdOk);
  std::vector<std::string> before, saved, shown;
  auto titles = [](CAreasDlg& dialog) {
    std::vector<std::string> out;
    for (int i = 0; i < dialog.List().GetItemCount(); ++i) out.push_back(dialog.List().GetItemText(i, 1).utf8_string());
    return out;
  };
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CAreasDlg&>(d);
    before = titles(dialog);
    dialog.List().SelectRow(0);
    ui::PressButton(dialog, kIdMoveDown);
    dialog.List().CheckItem(3, false);
    dialog.List().SelectRow(2);
    ui::PressButton(dialog, kIdDeleteArea);
    ui::PressButton(dialog, kIdSaveToSim);
    CAreaList reread;
    reread.ReadSceneryCfg(Root(), 90);
    for (const AreaEntry& e : reread.m_entries) saved.push_back(e.title + (e.active ? "+" : "-"));
    // The next save cannot replace the file: a folder now stands in its place.
    fs::remove(Root() / "Scenery.cfg");
    fs::create_directory(Root() / "Scenery.cfg");
    ui::PressButton(dialog, kIdSaveToSim);
    shown = titles(dialog);
  });
  CAreasDlg dialog(nullptr, m_folders, 90, SlowBuild(), m_drives);
  ui::ShowModalDialog(dialog);
  ASSERT_EQ(5u, before.size());
  EXPECT_EQ((std::vector<std::string>{before[1] + "+", before[0] + "+", before[3] + "-", before[4] + "+"}), saved);
  EXPECT_EQ((std::vector<std::string>{before[1], before[0], before[3], before[4]}), shown)
      << "a failed save leaves the list as it was";
  ASSERT_EQ(4u, script.Boxes().size());
  EXPECT_EQ(Text(IDS_CONFIRM_DELETE), script.BoxTexts()[0]);
  EXPECT_EQ(Text(IDS_CONFIRM_SAVE), script.BoxTexts()[1]);
  EXPECT_EQ(Text(IDS_CONFIRM_SAVE), script.BoxTexts()[2]);
  EXPECT_NE(std::string::npos, script.BoxTexts()[3].find("Scenery.cfg")) << script.BoxTexts()[3];
  EXPECT_EQ(ui::kMbOk | ui::kMbIconStop, script.Boxes()[3].style);
}

TEST_F(BasemakerWindowsTest, TheProgressLineIsFramedAndEmptyAgainOnceABuildEndsOrIsAborted) {
  struct Case {
    const char* name;
    bool aborted;
    int beats;  // chosen so that the last queued progress message would read "Please wait"
  };
  const Case cases[] = {{"ends", false, 1}, {"aborted", true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_stepStarted = false;
    ui::ModalScript script;
    ui::ScopedModalHook hook(script);
    script.QueueAnswer(ui::kIdOk);
    int frameBorder = 0, lineHeight = 0, charHeight = 0;
    std::string atStart, atEnd;
    bool ended = false;
    script.QueueDriver([&](wxDialog& d) {
      auto& dialog = dynamic_cast<CAreasDlg&>(d);
      auto* line = dynamic_cast<wxStaticText*>(dialog.FindWindow(kIdAreaProgress));
      // The frame GTK draws around the empty line: the label's own, or that of a window holding it.
      for (wxWindow* w = line; w != nullptr && w != &dialog; w = w->GetParent()) {
        frameBorder = std::max(frameBorder, w->GetWindowBorderSize().y);
        lineHeight = std::max(lineHeight, w->GetSize().y);
      }
      charHeight = line->GetCharHeight();
      atStart = Progress(dialog);
      Click(Create(dialog));
      ASSERT_TRUE(ui::PumpUntil([&] { return m_stepStarted.load(); }, kInputTimeoutMs));
      wxTheApp->ProcessPendingEvents();  // the build's first text, posted before the step began
      if (c.aborted) {
        Click(Create(dialog));  // now Abort: returns once the worker has ended
      } else {
        m_go.Set();
        // Without pumping, so that the last messages of the build all wait in the queue.
        while (dialog.Worker().IsBuilding()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      ended = WaitForBuildEnd(dialog);
      atEnd = Progress(dialog);
      ui::PressButton(dialog, wxID_CANCEL);
    });
    CAreasDlg dialog(nullptr, m_folders, 90, WaitingBuild(c.aborted, c.beats), m_drives);
    ui::ShowModalDialog(dialog);
    EXPECT_TRUE(ended);
    EXPECT_EQ("", atStart);
    EXPECT_GT(frameBorder, 0) << "the empty line has a sunken frame to be seen by";
    EXPECT_GE(lineHeight, charHeight);
    EXPECT_EQ("", atEnd) << "nothing is left in the line once the build is over";
    EXPECT_EQ(Text(c.aborted ? IDS_BUILD_ABORTED : IDS_BUILD_READY), script.BoxTexts().back());
  }
}

TEST_F(BasemakerWindowsTest, SpaceSwitchesTheFocusedAreaOffAndOnAndARequiredOneRefuses) {
  ASSERT_NO_FATAL_FAILURE(MakeSwissNavaidsRequired());
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  std::vector<bool> firstRow;
  bool requiredStays = false;
  std::string secondTitle;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CAreasDlg&>(d);
    CAreaListCtrl& list = dialog.List();
    list.SetFocus();
    ASSERT_TRUE(ui::PumpUntil([&] { return list.SelectedRow() == 0; }, kInputTimeoutMs)) << "focus selects the first row";
    for (int press = 0; press < 2; ++press) {
      const bool before = dialog.Rows().Row(0).checked;
      Type(WXK_SPACE);
      ui::PumpUntil([&] { return dialog.Rows().Row(0).checked != before; }, kInputTimeoutMs);
      firstRow.push_back(dialog.Rows().Row(0).checked && list.IsItemChecked(0));
    }
    Type(WXK_DOWN);
    ASSERT_TRUE(ui::PumpUntil([&] { return list.SelectedRow() == 1; }, kInputTimeoutMs));
    secondTitle = dialog.Rows().EntryOf(1).title;
    Type(WXK_SPACE);
    ui::PumpUntil([&] { return !script.Boxes().empty(); }, kInputTimeoutMs);
    Settle();
    requiredStays = dialog.Rows().Row(1).checked && list.IsItemChecked(1);
  });
  CAreasDlg dialog(nullptr, m_folders, 90, SlowBuild(), m_drives);
  ui::ShowModalDialog(dialog);
  EXPECT_EQ((std::vector<bool>{false, true}), firstRow);
  EXPECT_EQ("Swiss Navaids", secondTitle);
  EXPECT_TRUE(requiredStays);
  EXPECT_EQ((std::vector<std::string>{"Area Swiss Navaids is required and can not be turned off."}), script.BoxTexts());
}

TEST_F(BasemakerWindowsTest, TheColumnsOfALongListFitBesideItsScrollBar) {
  std::string cfg;
  for (int i = 1; i <= 60; ++i) {
    cfg += "[Area." + std::to_string(i) + "]\r\nTitle=Area " + std::to_string(i) +
           "\r\nLocal=Scenery\\Zurich1998\r\nLayer=" + std::to_string(61 - i) + "\r\nActive=TRUE\r\n\r\n";
  }
  Put("Scenery.cfg", cfg);
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  std::vector<std::string> seen;
  int priorityWidth = 0;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CAreasDlg&>(d);
    CAreaListCtrl& list = dialog.List();
    list.SetFocus();
    Type(WXK_END);  // the list scrolls to its last area
    ASSERT_TRUE(ui::PumpUntil([&] { return list.SelectedRow() == 59; }, kInputTimeoutMs));
    Settle();
    const int columns = list.GetColumnWidth(0) + list.GetColumnWidth(1) + list.GetColumnWidth(2);
    // The header and the rows are windows of their own inside the list, beside its scroll bar.
    for (wxWindow* part : list.GetChildren()) {
      const int shown = part->GetClientSize().GetWidth();
      seen.push_back(std::to_string(columns) + (columns == shown ? " == " : " != ") + std::to_string(shown));
    }
    priorityWidth = list.GetColumnWidth(2);
  });
  CAreasDlg dialog(nullptr, m_folders, 90, SlowBuild(), m_drives);
  ui::ShowModalDialog(dialog);
  EXPECT_EQ(60, priorityWidth) << "the priority column keeps its width";
  ASSERT_FALSE(seen.empty());
  for (const std::string& s : seen) EXPECT_NE(std::string::npos, s.find(" == ")) << "columns and the width showing them: " << s;
}

TEST_F(BasemakerWindowsTest, SimpleModeBreaksALongSetDescriptionIntoLinesThatFit) {
  const std::string description =
      "Every airfield of the Jura between Geneva and Basel with its navaids, the gliding sites of the "
      "high valleys and the lakes that pilots follow when the clouds sit low over the ridges";
  Put("Scenery/alps.vis", AsText(VisBuilder().Title("Alps").Description("Short").Area("=:\\=\\Scenery\\Zurich1998\\*", "Zurich").Bytes()));
  Put("Scenery/jura.vis", AsText(VisBuilder().Title("Jura").Description(description).Area("=:\\=\\Scenery\\Zurich1998\\*", "Zurich").Bytes()));
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  std::vector<std::string> lines;
  std::vector<int> lineWidths;
  int width = 0;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<CDatabaseDlg&>(d);
    auto* text = dynamic_cast<wxStaticText*>(dialog.FindWindow(kIdSetDescription));
    dialog.Sets().SetFocus();
    Type(WXK_DOWN);
    ASSERT_TRUE(ui::PumpUntil([&] { return dialog.Sets().GetSelection() == 1; }, kInputTimeoutMs));
    Settle();
    width = text->GetClientSize().GetWidth();
    std::istringstream label(text->GetLabelText().utf8_string());
    for (std::string line; std::getline(label, line);) {
      lines.push_back(line);
      lineWidths.push_back(text->GetTextExtent(wxString::FromUTF8(line)).GetWidth());
    }
    ui::PressButton(dialog, wxID_CANCEL);
  });
  CDatabaseDlg dialog(nullptr, m_folders, SlowBuild());
  ui::ShowModalDialog(dialog);
  ASSERT_GT(lines.size(), 1u) << "one line cannot hold it";
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_LE(lineWidths[i], width) << lines[i];
  std::string joined;
  for (const std::string& line : lines) joined += (joined.empty() ? "" : " ") + line;
  EXPECT_EQ(description, joined) << "broken at blanks, no word lost";
}

}  // namespace
