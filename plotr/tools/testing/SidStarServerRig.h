#pragma once

// A SID/STAR server on loopback for tests: an HTTP server with the information file and an FTP
// server with the folders "published" and "submitted", below a test's own folder, with a local
// SID/STAR folder beside them and client options of short time-outs.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/inet/testing/LoopbackServers.h"
#include "plotr/plan/SidStarRecords.h"
#include "plotr/tools/SidStarServer.h"

namespace tooltest {

inline std::string ScrambleSidStarPassword(const std::string& password) {
  std::string out;
  for (char c : password) out += static_cast<char>(static_cast<uint8_t>(c) + kSidStarPasswordShift);
  return out;
}

// The guid of test airport `n`: its number in the first group, zeros elsewhere.
inline std::string TestGuid(int n) {
  char text[40];
  std::snprintf(text, sizeof text, "%08d-0000-0000-0000-000000000000", n);
  return text;
}

// Test airport `n`: "Field <id>" at (n, n) by one author, saved at `stamp`.
inline CSidStarAirport TestAirport(int n, const char* id, const char* stamp = "20260301-100000",
                                   char separator = '-') {
  CSidStarAirport a;
  a.guid = TestGuid(n);
  a.separator = separator;
  a.stamp = stamp;
  a.id = id;
  a.name = std::string("Field ") + id;
  a.lat = static_cast<float>(n);
  a.lon = static_cast<float>(n);
  a.authors = {"Author"};
  return a;
}

// `count` SIDs from a runway end to one fix, each in a group of its own: a file that a throttled
// transfer takes a while over.
inline void AddProcedures(CSidStarAirport& a, int count) {
  for (int i = 0; i < count; ++i) {
    CSidStarProcedure p;
    p.id = "P" + std::to_string(i);
    p.waypoints.resize(2);
    p.waypoints[0].type = 'R';
    p.waypoints[1].type = 'I';
    a.sids.groups.push_back({'I', "X", "", 0, 0, {p}});
  }
}

class SidStarServerRig {
 public:
  explicit SidStarServerRig(const std::filesystem::path& root) : m_root(root) {
    for (const char* folder : {"http/sidstar", "ftp/published", "ftp/submitted", "local"}) {
      std::filesystem::create_directories(m_root / folder);
    }
    options.folder = (m_root / "local").string() + "/";
    options.timeouts.connectMs = 2000;
    options.timeouts.connectRetries = 0;
    options.timeouts.controlMs = 2000;
    options.timeouts.dataStallMs = 2000;
  }

  // Starts both servers (data throttled when `bytesPerSecond` > 0, every listing naming each file
  // `listingRepeats` times) and points the options at them.
  void Start(int bytesPerSecond = 0, const std::string& publishedFolder = "published", int listingRepeats = 1) {
    ftp = std::make_unique<inettest::FtpServer>((m_root / "ftp").string(), "sidstar", "letmein", bytesPerSecond,
                                                listingRepeats);
    http = std::make_unique<inettest::HttpServer>((m_root / "http").string());
    ASSERT_GT(ftp->Port(), 0);
    ASSERT_GT(http->Port(), 0);
    WriteInfo(FtpUrl() + "\nsidstar\n" + ScrambleSidStarPassword("letmein") + "\n" + publishedFolder +
              "\nsubmitted\n4.80\n");
    options.urlBase = http->Url();
  }
  std::string FtpUrl() const { return "ftp://127.0.0.1:" + std::to_string(ftp->Port()); }
  void WriteInfo(const std::string& text) const {
    std::ofstream(m_root / "http" / "sidstar" / kSidStarInfoName, std::ios::binary | std::ios::trunc) << text;
  }
  std::filesystem::path ServerFolder(const char* folder) const { return m_root / "ftp" / folder; }
  std::filesystem::path LocalFolder() const { return m_root / "local"; }
  // The airport's file in a server folder under its published name, or in the local folder.
  void PutOnServer(const char* folder, const CSidStarAirport& a) const {
    ASSERT_TRUE(a.Write((ServerFolder(folder) / (a.guid + "-" + a.stamp + ".ss")).string()));
  }
  void PutLocal(const CSidStarAirport& a) const { ASSERT_TRUE(a.Write(a.FilePath(options.folder))); }

  static std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  SidStarServerOptions options;
  std::unique_ptr<inettest::FtpServer> ftp;
  std::unique_ptr<inettest::HttpServer> http;

 private:
  std::filesystem::path m_root;
};

}  // namespace tooltest
