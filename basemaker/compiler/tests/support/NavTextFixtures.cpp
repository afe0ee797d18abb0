#include "basemaker/compiler/tests/support/NavTextFixtures.h"

#include <atomic>
#include <fstream>

#include <unistd.h>

#include "navdb/SceneryDatabase.h"

CNavTextFolder::CNavTextFolder() {
  static std::atomic<int> serial{0};
  m_path = std::filesystem::temp_directory_path() /
           ("navtext-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
  std::filesystem::create_directories(m_path);
}

CNavTextFolder::~CNavTextFolder() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

NavTextFile CNavTextFolder::Write(const std::string& name, std::string_view text) {
  const std::filesystem::path path = m_path / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  NavTextFile file = Missing(name);
  file.size = static_cast<uint32_t>(text.size());
  return file;
}

NavTextFile CNavTextFolder::Missing(const std::string& name) const {
  NavTextFile file;
  file.name = name;
  file.lastWrite = 0x01D0000000000000ull;
  file.fullPath = (m_path / name).string();
  return file;
}

std::unique_ptr<CSceneryDatabase> MakeAreaDatabase(const char* title) {
  auto db = std::make_unique<CSceneryDatabase>(1 << 16);
  db->AddArea(title, nullptr);
  return db;
}

ReaderSignals CountingSignals::Signals() {
  ReaderSignals signals;
  signals.abortPoll = [this] {
    const int n = polls++;
    return abortAt >= 0 && n >= abortAt;
  };
  signals.heartbeat = [this] { ++heartbeats; };
  return signals;
}
