// The SID/STAR server client against real loopback servers: the information file over HTTP,
// the FTP folders of normal users and editors, hostile names, transfers and their abort.

#include "plotr/tools/SidStarServer.h"

#include "platform/inet/testing/LoopbackServers.h"
#include "platform/profile/Profile.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/testing/SidStarServerRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kGuid1[] = "11111111-2222-3333-4444-555555555555";
constexpr char kGuid2[] = "AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE";

using tooltest::SidStarServerRig;

std::string Scramble(const std::string& password) { return tooltest::ScrambleSidStarPassword(password); }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const fs::path& folder) { return SidStarServerRig::Names(folder); }

TEST(SidStarServerInfo, FileLines) {
  struct Case {
    const char* name;
    std::string text;
    bool ok;
    const char* version;
  };
  const std::string five = "ftp://files.example.org:2121\nuser\n" + Scramble("pw") + "\npub\nsub";
  const Case cases[] = {
      {"five lines", five, true, ""},
      {"five lines and an end", five + "\r\n", true, ""},
      {"six lines", five + "\n  4.80  \r\n", true, "4.80"},
      {"four lines", "ftp://x\nuser\npw\npub\n", false, ""},
      {"control character in the user", "ftp://x\nus\x01er\npw\npub\nsub\n", false, ""},
      {"control character in a folder", "ftp://x\nuser\npw\npu\x1b" "b\nsub\n", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SidStarServerInfo info;
    ASSERT_EQ(ParseSidStarServerInfo(c.text, info), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(info.ftpUrl, "ftp://files.example.org:2121");
    EXPECT_EQ(info.password, "pw");
    EXPECT_EQ(info.submittedFolder, "sub");
    EXPECT_EQ(info.version, c.version);
  }
  EXPECT_EQ(SidStarInfoAddress("http://h/base"), "http://h/base/sidstar/P5kzw8031t");
  EXPECT_EQ(SidStarInfoAddress("http://h/base/"), "http://h/base/sidstar/P5kzw8031t");
  EXPECT_EQ(SidStarInfoAddress(""), "");
}

TEST(SidStarServerInfo, ListingTakesOnlyPublishedNames) {
  std::string listing;
  const auto add = [&](const std::string& type, const std::string& name) {
    listing += "type=" + type + ";size=10; " + name + "\r\n";
  };
  add("file", std::string(kGuid1) + "-20260101-120000.ss");
  add("dir", std::string(kGuid2) + "-20260101-120000.ss");
  add("file", std::string(kGuid2) + "+20260101-120000.ss");
  add("file", std::string(kGuid2) + "-20260101-120000.txt");
  add("file", std::string(kGuid2) + "-2026010-120000.ss");
  add("file", "aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee-20260101-120000.ss");
  add("file", "../../../../../../../../etc/passwd-20260101-120000.ss");
  add("file", std::string(kGuid2) + "-20260101-12000x.ss");
  const std::vector<CSidStarRemoteFile> files = ParseSidStarListing(listing);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].Guid(), kGuid1);
  EXPECT_EQ(files[0].Stamp(), "20260101-120000");
  EXPECT_EQ(int32_t{files[0].local}, -1);
}

// Both servers on loopback: HTTP serves the information file, FTP the two folders.
class SidStarServerTest : public ::testing::Test {
 protected:
  SidStarServerTest() : m_settings("server"), m_root(m_settings.Folder()), m_rig(m_root) {}

  // The published folder is named with slashes around it, which the client takes off.
  void StartServers(int bytesPerSecond = 0) {
    m_rig.Start(bytesPerSecond, "/published/");
    m_options.urlBase = m_rig.options.urlBase;
  }
  void WriteInfo(const std::string& text) { m_rig.WriteInfo(text); }
  void PutOnServer(const char* folder, const std::string& name, const std::string& text) {
    std::ofstream(m_rig.ServerFolder(folder) / name, std::ios::binary) << text;
  }
  std::unique_ptr<CSidStarServer> Connect(int mode, bool editor) {
    m_options.editor = editor;
    std::string version;
    auto client = CSidStarServer::Connect(mode, version, m_options);
    if (client) {
      EXPECT_EQ(version, "4.80");
    }
    return client;
  }
  static CSidStarRemoteFile Remote(const char* guid, const char* stamp) {
    CSidStarRemoteFile f;
    std::memcpy(f.guid, guid, std::strlen(guid));
    std::memcpy(f.stamp, stamp, std::strlen(stamp));
    return f;
  }

  plantest::ScopedPlanFolder m_settings;
  fs::path m_root;
  SidStarServerRig m_rig;
  SidStarServerOptions& m_options = m_rig.options;
};

TEST_F(SidStarServerTest, InformationFileOverHttp) {
  StartServers();
  inet::Session session(m_options.timeouts);
  SidStarServerInfo info;
  ASSERT_TRUE(GetSidStarServerInfo(session, m_rig.http->Url(), info));
  EXPECT_EQ(info.password, "letmein");
  std::string withoutSlash = m_rig.http->Url();
  withoutSlash.pop_back();
  ASSERT_TRUE(GetSidStarServerInfo(session, withoutSlash, info));
  EXPECT_FALSE(GetSidStarServerInfo(session, m_rig.http->Url() + "elsewhere/", info)) << "404";
  EXPECT_FALSE(GetSidStarServerInfo(session, "", info));
  EXPECT_FALSE(GetSidStarServerInfo(session, "ftp://127.0.0.1/", info));
  WriteInfo(std::string(kSidStarInfoMax + 1, 'x'));
  EXPECT_FALSE(GetSidStarServerInfo(session, m_rig.http->Url(), info)) << "too long";

  inettest::SilentServer silent;
  const auto start = Clock::now();
  EXPECT_FALSE(GetSidStarServerInfo(session, "http://127.0.0.1:" + std::to_string(silent.Port()), info));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));

  // The settings' address is the one a connection reads.
  ASSERT_TRUE(profile::WriteString(g_Settings.GetProfileFile(), "Essential", "URL1", m_rig.http->Url()));
  EXPECT_EQ(SidStarServerOptions::FromSettings("x/").urlBase, m_rig.http->Url());
}

TEST_F(SidStarServerTest, NormalUsersAndEditorsWorkInOppositeFolders) {
  StartServers();
  PutOnServer("published", std::string(kGuid1) + "-20260101-120000.ss", "published file");
  PutOnServer("published", std::string(kGuid1) + "+20260101-120000.ss", "local state");
  PutOnServer("published", "notes.txt", "x");
  PutOnServer("submitted", std::string(kGuid2) + "-20260102-120000.ss", "submitted file");
  fs::create_directories(m_root / "ftp" / "published" / (std::string(kGuid2) + "-20260101-120000.ss"));

  auto normal = Connect(CSidStarServer::kDownload, false);
  ASSERT_TRUE(normal);
  std::vector<CSidStarRemoteFile> files;
  ASSERT_TRUE(normal->ListFiles(files));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].Guid(), kGuid1);
  ASSERT_TRUE(normal->Download(files[0]));
  EXPECT_EQ(ReadAll(m_root / "local" / (std::string(kGuid1) + "-20260101-120000.ss")), "published file");

  auto editor = Connect(CSidStarServer::kDownload, true);
  ASSERT_TRUE(editor);
  ASSERT_TRUE(editor->ListFiles(files));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].Guid(), kGuid2);
  ASSERT_TRUE(editor->Download(files[0]));
  EXPECT_EQ(ReadAll(m_root / "local" / (std::string(kGuid2) + "+20260102-120000.ss")), "submitted file")
      << "an editor's fetched file is not yet published";
  EXPECT_FALSE(editor->Download(Remote(kGuid1, "20260101-120000"))) << "not in this folder";
  EXPECT_EQ(Names(m_root / "local").size(), 2u) << "nothing left of the failed fetch";

  // An empty folder lists fine.
  auto uploader = Connect(CSidStarServer::kUpload, true);
  ASSERT_TRUE(uploader);
  ASSERT_TRUE(uploader->Remove(Remote(kGuid1, "20260101-120000")));
  fs::remove_all(m_root / "ftp" / "published" / (std::string(kGuid2) + "-20260101-120000.ss"));
  ASSERT_TRUE(uploader->ListFiles(files));
  EXPECT_TRUE(files.empty());
  EXPECT_FALSE(uploader->Remove(Remote(kGuid1, "20260101-120000")));
}

TEST_F(SidStarServerTest, UploadStoresWholeFilesAndRemovesTheReplacedOne) {
  StartServers();
  PutOnServer("submitted", std::string(kGuid1) + "-20250101-000000.ss", "old");
  CSidStarAirport airport;
  airport.guid = kGuid1;
  airport.separator = '+';
  airport.stamp = "20260301-120000";
  std::ofstream(airport.FilePath(m_options.folder), std::ios::binary) << "new content";
  auto client = Connect(CSidStarServer::kUpload, false);
  ASSERT_TRUE(client);
  const CSidStarRemoteFile replaced = Remote(kGuid1, "20250101-000000");
  ASSERT_TRUE(client->Upload(airport, &replaced));
  EXPECT_EQ(Names(m_root / "ftp" / "submitted"), std::vector<std::string>{std::string(kGuid1) + "-20260301-120000.ss"});
  EXPECT_EQ(ReadAll(m_root / "ftp" / "submitted" / (std::string(kGuid1) + "-20260301-120000.ss")), "new content");

  CSidStarAirport missing = airport;
  missing.stamp = "20260301-130000";
  EXPECT_FALSE(client->Upload(missing, nullptr)) << "no local file";
  EXPECT_EQ(Names(m_root / "ftp" / "submitted").size(), 1u);
}

TEST_F(SidStarServerTest, ConnectionFailures) {
  StartServers();
  m_options.urlBase.clear();
  EXPECT_FALSE(Connect(CSidStarServer::kDownload, false));
  m_options.urlBase = m_rig.http->Url();
  WriteInfo("ftp://127.0.0.1:" + std::to_string(m_rig.ftp->Port()) + "\nsidstar\n" + Scramble("wrong") +
            "\npublished\nsubmitted\n4.80\n");
  EXPECT_FALSE(Connect(CSidStarServer::kDownload, false)) << "wrong password";
  WriteInfo("ftp://127.0.0.1:" + std::to_string(m_rig.ftp->Port()) + "\nsidstar\n" + Scramble("letmein") +
            "\nmissing\nsubmitted\n4.80\n");
  EXPECT_FALSE(Connect(CSidStarServer::kDownload, false)) << "no such folder";
  EXPECT_TRUE(Connect(CSidStarServer::kUpload, false)) << "the other folder exists";
  WriteInfo("http://127.0.0.1/\nsidstar\npw\npublished\nsubmitted\n");
  EXPECT_FALSE(Connect(CSidStarServer::kDownload, false)) << "line 1 is no FTP address";
}

TEST_F(SidStarServerTest, CloseDuringThrottledTransfersLeavesNoPartialFile) {
  StartServers(4096);
  const std::string big(300000, 'b');
  PutOnServer("published", std::string(kGuid1) + "-20260101-120000.ss", big);
  m_options.timeouts = inet::Timeouts{};  // only the close can end these transfers early
  auto client = Connect(CSidStarServer::kDownload, false);
  ASSERT_TRUE(client);
  auto download = std::async(std::launch::async, [&] { return client->Download(Remote(kGuid1, "20260101-120000")); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto start = Clock::now();
  client->Close();
  ASSERT_EQ(download.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_FALSE(download.get());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(Names(m_root / "local").empty()) << "neither the file nor a temporary";

  CSidStarAirport airport;
  airport.guid = kGuid2;
  airport.separator = '+';
  airport.stamp = "20260301-120000";
  std::ofstream(airport.FilePath(m_options.folder), std::ios::binary) << big;
  auto uploader = Connect(CSidStarServer::kUpload, false);
  ASSERT_TRUE(uploader);
  auto upload = std::async(std::launch::async, [&] { return uploader->Upload(airport, nullptr); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  start = Clock::now();
  uploader->Close();
  ASSERT_EQ(upload.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_FALSE(upload.get());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  for (const std::string& name : Names(m_root / "ftp" / "submitted")) {
    EXPECT_NE(fs::path(name).extension(), ".ss") << "no listed file on the server: " << name;
  }
}

}  // namespace
