#pragma once

// A SID/STAR server on loopback for tests: an HTTP server with the information file and an FTP
// server with the folders "published" and "submitted", below a test's own folder, with a local
// SID/STAR folder beside them and client options of short time-outs.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/inet/testing/LoopbackServers.h"
#include "plotr/tools/SidStarServer.h"

namespace tooltest {

inline std::string ScrambleSidStarPassword(const std::string& password) {
  std::string out;
  for (char c : password) out += static_cast<char>(static_cast<uint8_t>(c) + kSidStarPasswordShift);
  return out;
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

  // Starts both servers (data throttled when `bytesPerSecond` > 0) and points the options at them.
  void Start(int bytesPerSecond = 0, const std::string& publishedFolder = "published") {
    ftp = std::make_unique<inettest::FtpServer>((m_root / "ftp").string(), "sidstar", "letmein", bytesPerSecond);
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
