#include "platform/inet/Inet.h"

#include "platform/inet/testing/LoopbackServers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Short limits so that failing paths stay fast.
inet::Timeouts Quick() {
  inet::Timeouts t;
  t.connectMs = 2000;
  t.connectRetries = 1;
  t.controlMs = 2000;
  t.dataStallMs = 1000;
  return t;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class InetTest : public ::testing::Test {
 protected:
  InetTest() {
    m_root = fs::temp_directory_path() / ("cw-inet-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_root);
    fs::create_directories(m_root / "pub");
    fs::create_directories(m_root / "pub" / "folder.ss");
    fs::create_directories(m_root / "sub");
    fs::create_directories(m_root / "local");
    std::ofstream(m_root / "pub" / "a.ss", std::ios::binary) << "first file\r\n";
    std::ofstream(m_root / "pub" / "b c.txt", std::ios::binary) << "second";
  }
  ~InetTest() override { fs::remove_all(m_root); }

  fs::path m_root;
};

TEST(InetParse, MlsdListsPlainFilesOnly) {
  const std::string listing =
      "type=file;size=12;modify=20260101120000; a.ss\r\n"
      "Type=File;size=0; name with blanks.ss\r\n"
      "type=dir;modify=20260101120000; folder.ss\r\n"
      "type=cdir; .\r\n"
      "size=3;type=file;\r\n"            // no name
      "type=file;perm=r; bad\x01name\r\n"  // control character
      "garbage\n"
      "type=file; last.ss";
  EXPECT_EQ(inet::ParseMlsd(listing), (std::vector<std::string>{"a.ss", "name with blanks.ss", "last.ss"}));
  EXPECT_TRUE(inet::ParseMlsd("").empty());
}

TEST(InetParse, Urls) {
  std::string host;
  int port = 0;
  EXPECT_TRUE(inet::ParseUrl("ftp://files.example.org", "ftp", host, port));
  EXPECT_EQ(host, "files.example.org");
  EXPECT_EQ(port, 21);
  EXPECT_TRUE(inet::ParseUrl("ftp://127.0.0.1:2121/", "ftp", host, port));
  EXPECT_EQ(port, 2121);
  EXPECT_TRUE(inet::ParseUrl("http://example.org/sidstar/x", "http", host, port));
  EXPECT_EQ(port, 80);
  EXPECT_FALSE(inet::ParseUrl("http://example.org/", "ftp", host, port));
  EXPECT_FALSE(inet::ParseUrl("ftp://", "ftp", host, port));
  EXPECT_FALSE(inet::ParseUrl("not a url", "http", host, port));
  EXPECT_FALSE(inet::ParseUrl("ftp://host:99999/", "ftp", host, port));
  EXPECT_TRUE(inet::TestInternetConnection());
}

TEST_F(InetTest, HttpGetReportsStatusAndCapsTheBody) {
  inettest::HttpServer server(m_root.string());
  ASSERT_GT(server.Port(), 0);
  inet::Session session(Quick());
  long status = 0;
  std::string body;
  ASSERT_TRUE(session.HttpGet(server.Url() + "pub/a.ss", status, body, 1024));
  EXPECT_EQ(status, 200);
  EXPECT_EQ(body, "first file\r\n");
  ASSERT_TRUE(session.HttpGet(server.Url() + "pub/missing", status, body, 1024));
  EXPECT_EQ(status, 404);
  EXPECT_FALSE(session.HttpGet(server.Url() + "pub/a.ss", status, body, 5)) << "longer than allowed";
  EXPECT_FALSE(session.HttpGet("ftp://127.0.0.1:" + std::to_string(server.Port()) + "/", status, body, 1024))
      << "only http is fetched";
}

TEST_F(InetTest, SilentAndClosedServersFailByTheirTimeOuts) {
  inettest::SilentServer silent;
  ASSERT_GT(silent.Port(), 0);
  inet::Session session(Quick());
  long status = 0;
  std::string body;
  const auto start = Clock::now();
  EXPECT_FALSE(session.HttpGet("http://127.0.0.1:" + std::to_string(silent.Port()) + "/x", status, body, 100));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(session.FtpConnect("127.0.0.1", silent.Port(), "u", "p", "pub")) << "no greeting";
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));

  inettest::ClosedPort closed;
  inet::Session refused(Quick());
  EXPECT_FALSE(refused.HttpGet("http://127.0.0.1:" + std::to_string(closed.Port()) + "/", status, body, 100));
}

TEST_F(InetTest, FtpSessionListsFetchesStoresRenamesAndDeletes) {
  inettest::FtpServer server(m_root.string(), "cw", "secret");
  ASSERT_GT(server.Port(), 0);
  {
    inet::Session wrong(Quick());
    EXPECT_FALSE(wrong.FtpConnect("127.0.0.1", server.Port(), "cw", "guess", "pub"));
    inet::Session missing(Quick());
    EXPECT_FALSE(missing.FtpConnect("127.0.0.1", server.Port(), "cw", "secret", "nowhere"));
  }
  inet::Session session(Quick());
  ASSERT_TRUE(session.FtpConnect("127.0.0.1", server.Port(), "cw", "secret", "/pub/")) << session.LastError();
  std::string listing;
  ASSERT_TRUE(session.FtpList(listing, 1 << 16));
  std::vector<std::string> names = inet::ParseMlsd(listing);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.ss", "b c.txt"}));
  EXPECT_FALSE(session.FtpList(listing, 10)) << "longer than allowed";

  const fs::path local = m_root / "local" / "a.copy";
  ASSERT_TRUE(session.FtpGet("a.ss", local.string()));
  EXPECT_EQ(ReadAll(local), "first file\r\n");
  EXPECT_FALSE(session.FtpGet("missing.ss", (m_root / "local" / "none").string()));
  ASSERT_TRUE(session.FtpGet("b c.txt", local.string()));
  EXPECT_EQ(ReadAll(local), "second");

  std::ofstream(local, std::ios::binary | std::ios::trunc) << std::string(100000, 'x');
  ASSERT_TRUE(session.FtpPut(local.string(), "upload.tmp"));
  ASSERT_TRUE(session.FtpRename("upload.tmp", "upload.ss"));
  EXPECT_EQ(ReadAll(m_root / "pub" / "upload.ss"), std::string(100000, 'x'));
  EXPECT_FALSE(fs::exists(m_root / "pub" / "upload.tmp"));
  ASSERT_TRUE(session.FtpDelete("a.ss"));
  EXPECT_FALSE(fs::exists(m_root / "pub" / "a.ss"));
  EXPECT_FALSE(session.FtpDelete("a.ss")) << "already gone";
  EXPECT_FALSE(session.FtpRename("nothing.ss", "x.ss"));
  // The session goes on after failed commands.
  ASSERT_TRUE(session.FtpList(listing, 1 << 16));
  EXPECT_EQ(inet::ParseMlsd(listing).size(), 2u);
}

TEST_F(InetTest, AbortFromAnotherThreadEndsATransferAtOnce) {
  std::ofstream(m_root / "pub" / "big.ss", std::ios::binary) << std::string(200000, 'y');
  inettest::FtpServer server(m_root.string(), "cw", "secret", 4096);
  ASSERT_GT(server.Port(), 0);
  for (bool upload : {false, true}) {
    SCOPED_TRACE(upload ? "upload" : "download");
    inet::Session session;  // the real time-outs: only the abort can end the transfer early
    ASSERT_TRUE(session.FtpConnect("127.0.0.1", server.Port(), "cw", "secret", "pub"));
    const std::string local = (m_root / "local" / "big.ss").string();
    std::ofstream(local, std::ios::binary | std::ios::trunc) << std::string(200000, 'z');
    auto transfer = std::async(std::launch::async, [&] {
      return upload ? session.FtpPut(local, "big.tmp") : session.FtpGet("big.ss", local);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    session.Abort();
    session.Abort();
    ASSERT_EQ(transfer.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_FALSE(transfer.get());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(session.Aborted());
    std::string listing;
    EXPECT_FALSE(session.FtpList(listing, 1 << 16)) << "later calls fail at once";
  }
}

}  // namespace
