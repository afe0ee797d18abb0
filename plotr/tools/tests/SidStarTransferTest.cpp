// The download and upload dialogs' logic against loopback servers: what is fetched, kept,
// deleted, uploaded and renamed for normal users and editors, the end message on every path,
// and Exit during a transfer.

#include "plotr/tools/SidStarTransfer.h"

#include "platform/inet/testing/LoopbackServers.h"
#include "platform/profile/Profile.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/testing/SidStarServerRig.h"
#include "plotr/tools/testing/SidStarWaypoints.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// 2026-03-01 12:00:00 UTC
const std::chrono::system_clock::time_point kNow = std::chrono::system_clock::from_time_t(1772366400);

using tooltest::TestAirport;
using tooltest::TestGuid;
using tooltest::Wp;

// `count` readable SIDs from the airport's runway 09, each to a fix of its own.
CSidStarAirport WithSids(CSidStarAirport a, int count) {
  for (int i = 0; i < count; ++i) {
    CSidStarProcedure p;
    p.id = "SID" + std::to_string(i);
    p.waypoints = {Wp('R', "09", a.lat, a.lon, 0, 90), Wp('I', ("FIX" + std::to_string(i)).c_str(), a.lat, a.lon + 0.5)};
    a.sids.groups.push_back({'I', "FIX" + std::to_string(i), "", a.lat, static_cast<float>(a.lon + 0.5), {p}});
  }
  return a;
}

// Records what the dialog would show; the worker calls from its own thread.
class RecordingView : public ISidStarTransferView {
 public:
  void SetStatus(const std::string& text) override { Lock(), statuses.push_back(text); }
  void AddRow(const std::string& id, const std::string&) override { Lock(), rows.push_back(id); }
  void RemoveRow(int row) override {
    auto lock = Lock();
    rows.erase(rows.begin() + row);
  }
  void SelectFirstRow() override {}
  void SetProgress(int position, int range) override { Lock(), progress.push_back({position, range}); }
  void EnableStart(bool enable) override { Lock(), startEnabled = enable; }
  void EnableExit(bool enable) override { Lock(), exitEnabled = enable; }
  void EndDialog() override { Lock(), ended = true; }
  int MessageBox(const std::string& text, uint32_t) override {
    auto lock = Lock();
    boxes.push_back(text);
    return ui::kIdOk;
  }
  std::vector<bool> CheckedRows() override { return checked; }

  std::string LastStatus() {
    auto lock = Lock();
    return statuses.empty() ? "" : statuses.back();
  }

  std::mutex mutex;
  std::vector<std::string> statuses;
  std::vector<std::string> rows;
  std::vector<std::pair<int, int>> progress;
  std::vector<std::string> boxes;
  std::vector<bool> checked;
  bool startEnabled = true;
  bool exitEnabled = true;
  bool ended = false;

 private:
  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex); }
};

class SidStarTransferTest : public ::testing::Test {
 protected:
  SidStarTransferTest()
      : m_settings("transfer"), m_clock(0, kNow), m_root(m_settings.Folder()), m_rig(m_root),
        m_local(m_rig.options.folder) {}

  void StartServers(int bytesPerSecond = 0) { m_rig.Start(bytesPerSecond); }

  // The airport's published file on the server with its text from `cut` on replaced by `tail`.
  void PutBrokenOnServer(const CSidStarAirport& a, const char* cut, const std::string& tail) {
    m_rig.PutOnServer("published", a);
    const fs::path path = m_rig.ServerFolder("published") / (a.guid + "-" + a.stamp + ".ss");
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const size_t at = text.find(cut);
    ASSERT_NE(at, std::string::npos);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(0, at) + tail;
  }


  std::unique_ptr<CSidStarStore> Store() {
    auto store = std::make_unique<CSidStarStore>();
    store->SetFolders(m_local, m_local);
    store->SetClock(&m_clock);
    store->ScanFiles();
    return store;
  }

  // Starts the transfer and hands the worker's end message back to it, as the dialog does.
  uintptr_t Run(CSidStarTransfer& transfer) {
    m_target.Clear();
    transfer.OnOK();
    if (!transfer.Running()) return 2;
    const auto deadline = Clock::now() + 20s;
    while (m_target.Messages().empty() && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
    const std::vector<ui::Message> messages = m_target.Messages();
    EXPECT_EQ(messages.size(), 1u);
    if (messages.empty()) return 2;
    EXPECT_EQ(messages[0].code, kWmAppTransferProgress);
    transfer.OnTransferMessage(messages[0].wParam);
    return messages[0].wParam;
  }

  std::vector<std::string> LocalFiles() const { return tooltest::SidStarServerRig::Names(m_local); }
  std::vector<std::string> ServerFiles(const char* folder) const {
    return tooltest::SidStarServerRig::Names(m_rig.ServerFolder(folder));
  }

  plantest::ScopedPlanFolder m_settings;
  win::FakeClock m_clock;
  fs::path m_root;
  tooltest::SidStarServerRig m_rig;
  std::string m_local;
  SidStarServerOptions& m_options = m_rig.options;
  RecordingView m_view;
  ui::RecordingTarget m_target;
};

TEST(SidStarStampAge, ThirtyDaysAndFortyEightHours) {
  win::FakeClock clock(0, kNow);  // 2026-03-01 12:00:00
  struct Case {
    const char* stamp;
    bool older;
  };
  const Case cases[] = {
      {"20260130-120000", false},  // exactly 30 days
      {"20260129-120000", true},   // 31 days
      {"20260130-115959", false},  // 30 days and a second: still 30 whole days
      {"20261301-000000", false},  // no such month
      {"20260230-000000", false},  // no such day
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stamp);
    EXPECT_EQ(SidStarStampOlderThan30Days(c.stamp, clock), c.older);
  }
  EXPECT_FALSE(SidStarStampBeyond48Hours("20260303-120000", clock));
  EXPECT_TRUE(SidStarStampBeyond48Hours("20260303-130000", clock));
  EXPECT_FALSE(SidStarStampBeyond48Hours("20260303-125959", clock));
  EXPECT_FALSE(SidStarStampBeyond48Hours("20260230-000000", clock));
  EXPECT_FALSE(SidStarStampOlderThan30Days("x", clock));
}

TEST(SidStarVersionMessage, NewerMinorVersionOnlyAndTheServerTextAsItStands) {
  const struct {
    const char* server;
    const char* shown;  // the text put in for %1, nullptr: no message
  } cases[] = {
      {"4.80", "4.80"},
      {"4.70", nullptr},
      {"4.60", nullptr},
      {"5.0", nullptr},
      {"", nullptr},
      {"beta", nullptr},
      {"4.80%2%1%s", "4.80%2%1%s"},
      {"4.80\r\nsecond line", "4.80"},
      {"4.9\x01\x7f!", "4.9\x7f!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    const std::string text = SidStarVersionMessage(c.server, "4.70");
    if (!c.shown) {
      EXPECT_EQ(text, "");
      continue;
    }
    EXPECT_EQ(text, "Important Information !\n\nThe most recent version of Chartwright is " + std::string(c.shown) +
                        ".\nYour Chartwright version is 4.70.\n\nhttps://chartwright.example.org");
  }
}

TEST_F(SidStarTransferTest, NormalDownloadFetchesNewAndKeepsLocalWork) {
  StartServers();
  m_rig.PutOnServer("published", TestAirport(1, "LSZH", "20260301-100000"));
  m_rig.PutOnServer("published", TestAirport(2, "EDDF", "20260301-100000"));
  m_rig.PutOnServer("published", TestAirport(3, "KJFK", "20260301-100000"));
  m_rig.PutOnServer("published", TestAirport(6, "LFPG", "20260101-000000"));
  m_rig.PutLocal(TestAirport(3, "KJFK", "20260101-000000", '+'));   // changed here: never overwritten
  m_rig.PutLocal(TestAirport(4, "OLD1", "20260101-000000"));        // gone from the server 59 days ago
  m_rig.PutLocal(TestAirport(5, "NEW1", "20260215-000000"));        // gone from the server 14 days ago
  m_rig.PutLocal(TestAirport(6, "LFPG", "20260201-000000"));        // newer than the server's
  auto store = Store();
  ASSERT_EQ(store->GetAirportCount(), 4);

  CSidStarTransfer transfer(CSidStarTransfer::kDownload, *store, m_view, m_target, m_options);
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_FALSE(transfer.Running());
  EXPECT_EQ(m_view.rows, (std::vector<std::string>{"EDDF", "LSZH"}));
  EXPECT_EQ(m_view.LastStatus(), "Download ready");
  ASSERT_EQ(m_view.boxes.size(), 1u) << "the server's newer version";
  EXPECT_NE(m_view.boxes[0].find("Chartwright is 4.80.\nYour Chartwright version is 4.70."), std::string::npos);
  EXPECT_FALSE(m_view.startEnabled);
  std::vector<std::string> ids;
  for (const CSidStarAirport& a : store->m_airports) ids.push_back(a.id + a.separator);
  EXPECT_EQ(ids, (std::vector<std::string>{"EDDF-", "KJFK+", "LFPG-", "LSZH-", "NEW1-"}));
  EXPECT_EQ(LocalFiles(), (std::vector<std::string>{
                              TestGuid(1) + "-20260301-100000.ss", TestGuid(2) + "-20260301-100000.ss",
                              TestGuid(3) + "+20260101-000000.ss", TestGuid(5) + "-20260215-000000.ss",
                              TestGuid(6) + "-20260201-000000.ss"}));
  EXPECT_EQ(m_view.progress.front(), std::make_pair(1, 3));
  EXPECT_EQ(m_view.progress.back(), std::make_pair(3, 3));

  // Nothing new the second time.
  m_view.rows.clear();
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_TRUE(m_view.rows.empty());
  EXPECT_EQ(m_view.LastStatus(), "Download ready. No new SID/STARs");
  EXPECT_EQ(store->GetAirportCount(), 5);
}

TEST_F(SidStarTransferTest, AListingThatNamesAFileTwiceFetchesItOnceAndKeepsIt) {
  m_rig.Start(0, "published", 2);
  m_rig.PutOnServer("published", TestAirport(1, "LSZH", "20260301-100000"));
  m_rig.PutOnServer("published", TestAirport(2, "EDDF", "20260301-100000"));
  m_rig.PutLocal(TestAirport(1, "LSZH", "20260201-100000"));  // the older copy the download replaces
  auto store = Store();
  CSidStarTransfer transfer(CSidStarTransfer::kDownload, *store, m_view, m_target, m_options);
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_EQ(m_view.rows, (std::vector<std::string>{"EDDF", "LSZH"}));
  EXPECT_EQ(m_view.progress.front(), std::make_pair(1, 3)) << "each file fetched once";
  EXPECT_EQ(m_view.LastStatus(), "Download ready");
  EXPECT_EQ(LocalFiles(), (std::vector<std::string>{TestGuid(1) + "-20260301-100000.ss",
                                                    TestGuid(2) + "-20260301-100000.ss"}));
  ASSERT_EQ(store->GetAirportCount(), 2);
  for (const CSidStarAirport& a : store->m_airports) {
    EXPECT_EQ(a.stamp, "20260301-100000");
    EXPECT_TRUE(fs::exists(a.FilePath(m_local))) << a.id;
  }
}

TEST_F(SidStarTransferTest, AFileCutShortNeverTakesThePlaceOfALocalCopy) {
  StartServers();
  m_rig.PutLocal(WithSids(TestAirport(1, "LSZH", "20260201-100000"), 2));
  // Cut short inside its procedures, past a readable header.
  PutBrokenOnServer(WithSids(TestAirport(1, "LSZH", "20260301-100000"), 3), "[Sid003]", "");
  PutBrokenOnServer(TestAirport(2, "EDDF", "20260301-100000"), "[EOF]", "[EOF]\r\nValid=WRONG\r\n");
  m_rig.PutOnServer("published", TestAirport(3, "KJFK", "20260301-100000"));
  auto store = Store();
  CSidStarTransfer transfer(CSidStarTransfer::kDownload, *store, m_view, m_target, m_options);
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_EQ(m_view.rows, std::vector<std::string>{"KJFK"});
  EXPECT_EQ(LocalFiles(), (std::vector<std::string>{TestGuid(1) + "-20260201-100000.ss",
                                                    TestGuid(3) + "-20260301-100000.ss"}))
      << "the broken files are not kept, the old copy is";
  ASSERT_EQ(store->GetAirportCount(), 2);
  EXPECT_EQ(store->GetAirport(1).id, "LSZH");
  EXPECT_EQ(store->GetAirport(1).stamp, "20260201-100000");
  store->LoadAirport(1, CRoute());
  EXPECT_TRUE(store->GetAirport(1).loaded);
  EXPECT_EQ(store->GetList(1, false).groups.size(), 2u) << "the airport keeps its procedures";
}

TEST_F(SidStarTransferTest, EditorDownloadCleansTheSubmissions) {
  StartServers();
  ASSERT_TRUE(profile::WriteString(g_Settings.GetProfileFile(), "Essential", "Sid/Star", "YES"));
  m_options.editor = true;
  m_rig.PutOnServer("submitted", TestAirport(1, "LSZH", "20260301-100000"));
  m_rig.PutOnServer("submitted", TestAirport(2, "FUTR", "20260303-130000"));  // 49 hours ahead
  m_rig.PutOnServer("submitted", TestAirport(3, "STAL", "20260101-000000"));  // 59 days, not held here
  m_rig.PutOnServer("submitted", TestAirport(4, "KEPT", "20260101-000000"));  // 59 days, held here
  m_rig.PutLocal(TestAirport(4, "KEPT", "20251201-000000", '+'));
  auto store = Store();
  CSidStarTransfer transfer(CSidStarTransfer::kDownload, *store, m_view, m_target, m_options);
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_EQ(ServerFiles("submitted"), (std::vector<std::string>{TestGuid(1) + "-20260301-100000.ss",
                                                                 TestGuid(4) + "-20260101-000000.ss"}));
  EXPECT_EQ(m_view.rows, std::vector<std::string>{"LSZH"});
  ASSERT_EQ(store->GetAirportCount(), 2);
  EXPECT_EQ(store->GetAirport(1).separator, '+') << "an editor's fetched file waits for publishing";
  EXPECT_TRUE(fs::exists(m_local + TestGuid(1) + "+20260301-100000.ss"));
}

TEST_F(SidStarTransferTest, UploadSendsCheckedAirportsAndMarksThemPublished) {
  StartServers();
  m_rig.PutLocal(TestAirport(1, "AAAA", "20260301-100000", '+'));
  m_rig.PutLocal(TestAirport(2, "BBBB", "20260301-100000", '+'));
  m_rig.PutLocal(TestAirport(3, "CCCC", "20260301-100000", '+'));
  m_rig.PutLocal(TestAirport(4, "DDDD", "20260201-100000"));
  m_rig.PutOnServer("submitted", TestAirport(2, "BBBB", "20260301-100000"));  // this version is already there
  auto store = Store();
  CSidStarTransfer transfer(CSidStarTransfer::kUpload, *store, m_view, m_target, m_options);
  transfer.OnInitDialog();
  EXPECT_EQ(m_view.rows, (std::vector<std::string>{"AAAA", "BBBB", "CCCC"}));

  m_view.checked = {false, false, false};
  EXPECT_EQ(Run(transfer), 2u) << "nothing checked: no connection";
  ASSERT_EQ(m_view.boxes.size(), 1u);
  EXPECT_EQ(m_view.boxes[0], "Select first the Airports for Upload.");

  m_view.checked = {true, true, false};
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_EQ(m_view.rows, std::vector<std::string>{"CCCC"});
  EXPECT_EQ(m_view.LastStatus(), "Upload ready");
  EXPECT_TRUE(m_view.startEnabled) << "a row remains";
  EXPECT_EQ(ServerFiles("submitted"), (std::vector<std::string>{TestGuid(1) + "-20260301-100000.ss",
                                                                 TestGuid(2) + "-20260301-100000.ss"}));
  EXPECT_EQ(store->GetAirport(0).separator, '-');
  EXPECT_EQ(store->GetAirport(1).separator, '-');
  EXPECT_EQ(store->GetAirport(2).separator, '+');
  EXPECT_TRUE(fs::exists(m_local + TestGuid(1) + "-20260301-100000.ss"));
  EXPECT_TRUE(fs::exists(m_local + TestGuid(2) + "-20260301-100000.ss"));
  EXPECT_EQ(transfer.RowAirports(), std::vector<int>{2});

  m_view.checked = {true};
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_TRUE(m_view.rows.empty());
  EXPECT_FALSE(m_view.startEnabled);
}

TEST_F(SidStarTransferTest, EditorUploadPublishesAndRemovesAirportsNoLongerHeld) {
  StartServers();
  ASSERT_TRUE(profile::WriteString(g_Settings.GetProfileFile(), "Essential", "Sid/Star", "YES"));
  m_options.editor = true;
  m_rig.PutLocal(TestAirport(1, "AAAA", "20260301-100000", '+'));
  m_rig.PutLocal(TestAirport(2, "BBBB", "20260201-100000"));
  m_rig.PutOnServer("published", TestAirport(1, "AAAA", "20260101-100000"));  // the version it replaces
  m_rig.PutOnServer("published", TestAirport(2, "BBBB", "20260201-100000"));
  m_rig.PutOnServer("published", TestAirport(9, "GONE", "20260101-100000"));  // no longer held by the editor
  auto store = Store();
  CSidStarTransfer transfer(CSidStarTransfer::kUpload, *store, m_view, m_target, m_options);
  transfer.OnInitDialog();
  m_view.checked = {true};
  EXPECT_EQ(Run(transfer), 1u);
  EXPECT_EQ(ServerFiles("published"), (std::vector<std::string>{TestGuid(1) + "-20260301-100000.ss",
                                                                 TestGuid(2) + "-20260201-100000.ss"}));
  EXPECT_TRUE(ServerFiles("submitted").empty());
  EXPECT_EQ(store->GetAirport(0).separator, '-');
}

TEST_F(SidStarTransferTest, FailedUploadKeepsWhatWasDoneAndReportsTheLostConnection) {
  StartServers();
  m_rig.PutLocal(TestAirport(1, "AAAA", "20260301-100000", '+'));
  m_rig.PutLocal(TestAirport(2, "BBBB", "20260301-100000", '+'));
  auto store = Store();
  fs::remove(store->GetAirport(0).FilePath(m_local));  // AAAA's file went missing
  CSidStarTransfer transfer(CSidStarTransfer::kUpload, *store, m_view, m_target, m_options);
  transfer.OnInitDialog();
  m_view.checked = {true, true};
  EXPECT_EQ(Run(transfer), 0u);
  EXPECT_EQ(m_view.LastStatus(), "Connection lost");
  EXPECT_TRUE(m_view.startEnabled);
  // Rows go last to first: BBBB was sent before AAAA failed, and stays sent.
  EXPECT_EQ(m_view.rows, std::vector<std::string>{"AAAA"});
  EXPECT_EQ(store->GetAirport(1).separator, '-');
  EXPECT_EQ(store->GetAirport(0).separator, '+');
  EXPECT_EQ(transfer.RowAirports(), std::vector<int>{0});
  EXPECT_EQ(ServerFiles("submitted"), std::vector<std::string>{TestGuid(2) + "-20260301-100000.ss"});
}

TEST_F(SidStarTransferTest, ExitDuringAThrottledDownloadEndsTheDialogAfterTheWorker) {
  StartServers(4096);
  CSidStarAirport big = TestAirport(1, "BIGG", "20260301-100000");
  big.city = "x";
  tooltest::AddProcedures(big, 3000);
  m_rig.PutOnServer("published", big);
  m_options.timeouts = inet::Timeouts{};
  auto store = Store();
  CSidStarTransfer transfer(CSidStarTransfer::kDownload, *store, m_view, m_target, m_options);
  transfer.OnOK();
  ASSERT_TRUE(transfer.Running());
  std::this_thread::sleep_for(300ms);
  const auto start = Clock::now();
  transfer.OnCancel();
  EXPECT_FALSE(m_view.exitEnabled);
  EXPECT_FALSE(m_view.ended) << "the dialog waits for the worker";
  while (m_target.Messages().empty() && Clock::now() - start < 2s) std::this_thread::sleep_for(5ms);
  EXPECT_LT(Clock::now() - start, 2s);
  ASSERT_EQ(m_target.Messages().size(), 1u);
  EXPECT_EQ(m_target.Messages()[0].wParam, 0u);
  transfer.OnTransferMessage(0);
  EXPECT_TRUE(m_view.ended);
  EXPECT_TRUE(LocalFiles().empty()) << "neither a file nor a temporary";
  EXPECT_EQ(store->GetAirportCount(), 0);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(m_target.Messages().size(), 1u) << "one end message";
}

TEST_F(SidStarTransferTest, ServerNotFound) {
  auto store = Store();
  CSidStarTransfer transfer(CSidStarTransfer::kDownload, *store, m_view, m_target, m_options);
  transfer.OnOK();
  EXPECT_FALSE(transfer.Running());
  EXPECT_EQ(m_view.LastStatus(), "Server not found !!!");
  EXPECT_TRUE(m_view.startEnabled);
  transfer.OnCancel();
  EXPECT_TRUE(m_view.ended);
  EXPECT_TRUE(m_target.Messages().empty());

}

}  // namespace
