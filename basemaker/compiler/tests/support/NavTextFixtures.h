#pragma once

// Small builders for the tests of the navigation text-file readers: a scratch folder that the
// fixture files are written into, and an area database as the area compiler prepares it.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "basemaker/compiler/NavTextFile.h"

class CSceneryDatabase;

class CNavTextFolder {
 public:
  CNavTextFolder();
  ~CNavTextFolder();
  CNavTextFolder(const CNavTextFolder&) = delete;
  CNavTextFolder& operator=(const CNavTextFolder&) = delete;

  // Writes the file (bytes as given) and returns its entry as the collector would list it.
  NavTextFile Write(const std::string& name, std::string_view text);
  // An entry for a file that does not exist.
  NavTextFile Missing(const std::string& name) const;
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

// A temporary area database holding its one area record.
std::unique_ptr<CSceneryDatabase> MakeAreaDatabase(const char* title = "C:\\Chartwright\\");

// Abort poll and heartbeat that count their calls; the abort answers true from call `abortAt`
// on (never when negative).
struct CountingSignals {
  int polls = 0;
  int heartbeats = 0;
  int abortAt = -1;

  ReaderSignals Signals();
};
