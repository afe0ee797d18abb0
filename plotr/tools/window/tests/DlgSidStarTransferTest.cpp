// The download and upload windows against loopback SID/STAR servers, driven through the modal
// hook: status texts, list rows, the version message, upload without a checked row, and Exit
// during a slow transfer. Needs a display.
#include "plotr/tools/window/DlgSidStarTransfer.h"

#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <chrono>
#include <filesystem>

#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "platform/win/Clock.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/testing/SidStarServerRig.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using tooltest::TestAirport;

std::vector<std::string> Rows(const wxListCtrl& list) {
  std::vector<std::string> rows;
  for (long i = 0; i < list.GetItemCount(); ++i) rows.push_back(list.GetItemText(i).utf8_string());
  return rows;
}

class DlgSidStarTransferTest : public ::testing::Test {
 protected:
  DlgSidStarTransferTest()
      : m_settings("transferdlg"), m_clock(0, std::chrono::system_clock::from_time_t(1772366400)),
        m_rig(m_settings.Folder()) {}

  void Start(int bytesPerSecond = 0) {
    m_rig.Start(bytesPerSecond);
    m_store.SetFolders(m_rig.options.folder, m_rig.options.folder);
    m_store.SetClock(&m_clock);
  }

  // Presses Start and waits for the transfer's end message to be handled.
  static bool StartAndWait(CDlgSidStarTransfer& d) {
    if (!ui::PressButton(d, wxID_OK)) return false;
    return ui::PumpUntil([&] { return !d.IsTransferring(); }, 20000);
  }
  static std::string Status(CDlgSidStarTransfer& d) { return d.GetStatus()->GetLabel().utf8_string(); }

  // Runs the dialog of the kind modally with the driver.
  template <class Dialog>
  void Run(std::function<void(CDlgSidStarTransfer&)> driver) {
    m_script.QueueDriver([driver](wxDialog& d) { driver(dynamic_cast<CDlgSidStarTransfer&>(d)); });
    Dialog dialog(nullptr, m_store, m_rig.options);
    ui::ShowModalDialog(dialog);
  }

  plantest::ScopedPlanFolder m_settings;
  win::FakeClock m_clock;
  tooltest::SidStarServerRig m_rig;
  CSidStarStore m_store;
  ui::ModalScript m_script;
  ui::ScopedModalHook m_hook{m_script};
};

TEST_F(DlgSidStarTransferTest, DownloadListsNewAirportsThenNothingNew) {
  Start();
  m_rig.PutOnServer("published", TestAirport(1, "LSZH"));
  m_rig.PutOnServer("published", TestAirport(2, "EDDF"));
  m_store.ScanFiles();
  Run<CDlgDownloadSidStar>([&](CDlgSidStarTransfer& d) {
    EXPECT_EQ(d.GetTitle(), "Download SID/STARs");
    ASSERT_TRUE(StartAndWait(d));
    EXPECT_EQ(Status(d), "Download ready");
    EXPECT_EQ(Rows(*d.GetList()), (std::vector<std::string>{"EDDF", "LSZH"}));
    EXPECT_EQ(d.GetList()->GetItemText(1, 1), "Field LSZH");
    EXPECT_FALSE(d.FindWindow(wxID_OK)->IsEnabled()) << "one download per opening";
    EXPECT_TRUE(ui::PressButton(d, wxID_CANCEL));
    EXPECT_FALSE(d.IsModal());
  });
  ASSERT_EQ(m_script.BoxTexts().size(), 1u) << "the server names version 4.80";
  EXPECT_NE(m_script.BoxTexts()[0].find("Chartwright is 4.80.\nYour Chartwright version is 4.70."), std::string::npos);
  EXPECT_EQ(m_store.GetAirportCount(), 2);

  // A second opening finds nothing new; a server of another major version says nothing.
  m_rig.WriteInfo(m_rig.FtpUrl() + "\nsidstar\n" + tooltest::ScrambleSidStarPassword("letmein") +
                  "\npublished\nsubmitted\n5.0\n");
  Run<CDlgDownloadSidStar>([&](CDlgSidStarTransfer& d) {
    ASSERT_TRUE(StartAndWait(d));
    EXPECT_EQ(Status(d), "Download ready. No new SID/STARs");
    EXPECT_EQ(d.GetList()->GetItemCount(), 0);
  });
  EXPECT_EQ(m_script.BoxTexts().size(), 1u);
}

TEST_F(DlgSidStarTransferTest, UploadWantsACheckedRowThenSendsIt) {
  Start();
  m_rig.PutLocal(TestAirport(1, "LSZH", "20260301-100000", '+'));
  m_rig.PutLocal(TestAirport(2, "EDDF", "20260301-100000", '-'));
  m_rig.PutLocal(TestAirport(3, "KJFK", "20260301-100000", '+'));
  m_store.ScanFiles();
  Run<CDlgUploadSidStar>([&](CDlgSidStarTransfer& d) {
    EXPECT_EQ(d.GetTitle(), "Upload SID/STARs");
    wxListCtrl& list = *d.GetList();
    ASSERT_EQ(Rows(list), (std::vector<std::string>{"KJFK", "LSZH"}));
    EXPECT_EQ(list.GetItemData(1), 2) << "the row keeps its catalogue index";
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_EQ(m_script.BoxTexts(), std::vector<std::string>{"Select first the Airports for Upload."});
    EXPECT_TRUE(d.FindWindow(wxID_OK)->IsEnabled());
    list.CheckItem(1, true);
    ASSERT_TRUE(StartAndWait(d));
    EXPECT_EQ(Status(d), "Upload ready");
    EXPECT_EQ(Rows(list), std::vector<std::string>{"KJFK"});
    EXPECT_EQ(list.GetItemData(0), 1);
    EXPECT_TRUE(d.FindWindow(wxID_OK)->IsEnabled()) << "a row is left";
  });
  EXPECT_EQ(tooltest::SidStarServerRig::Names(m_rig.ServerFolder("submitted")).size(), 1u);
  EXPECT_EQ(m_store.GetAirport(2).separator, '-');
  EXPECT_EQ(m_store.GetAirport(2).id, "LSZH");
}

TEST_F(DlgSidStarTransferTest, ExitDuringATransferWaitsForTheWorkerThenCloses) {
  Start(4096);
  CSidStarAirport big = TestAirport(1, "BIGG");
  tooltest::AddProcedures(big, 3000);
  m_rig.PutOnServer("published", big);
  m_rig.options.timeouts = inet::Timeouts{};
  m_store.ScanFiles();
  int messages = 0;
  Run<CDlgDownloadSidStar>([&](CDlgSidStarTransfer& d) {
    d.Bind(ui::EVT_APP_MESSAGE, [&](wxThreadEvent& e) {
      ++messages;
      e.Skip();
    });
    ASSERT_TRUE(ui::PressButton(d, wxID_OK));
    ASSERT_TRUE(d.IsTransferring());
    ui::PumpUntil([] { return false; }, 300);
    const auto start = Clock::now();
    ASSERT_TRUE(ui::PressButton(d, wxID_CANCEL));
    EXPECT_FALSE(d.FindWindow(wxID_CANCEL)->IsEnabled());
    EXPECT_TRUE(d.IsModal()) << "the window waits for the worker";
    EXPECT_FALSE(d.Close()) << "and so does its close box";
    EXPECT_TRUE(ui::PumpUntil([&] { return !d.IsModal(); }, 5000));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    ui::PumpUntil([] { return false; }, 100);
  });
  EXPECT_EQ(messages, 1);
  EXPECT_EQ(m_store.GetAirportCount(), 0);
  EXPECT_TRUE(tooltest::SidStarServerRig::Names(m_rig.LocalFolder()).empty());
}

}  // namespace
