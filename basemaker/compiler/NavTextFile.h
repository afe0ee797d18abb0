#pragma once

// What the navigation text-file readers share: the file they read as the database records it,
// the build signals they answer to, and the file record that covers the whole globe.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win/Sync.h"

class CSceneryDatabase;

// One navigation text file of the program folder.
struct NavTextFile {
  std::string subfolder;  // empty for a file of the folder itself
  std::string name;       // "ISEC.txt", ...
  uint32_t size = 0;
  uint64_t lastWrite = 0;  // FILETIME ticks
  std::string fullPath;    // native or Windows-form path of the file
};

// The build's abort event, polled without waiting, and the heartbeat that tells the main window
// that a long read is still alive.
struct ReaderSignals {
  win::AutoResetEvent* abort = nullptr;
  std::function<void()> heartbeat;

  bool AbortRequested() const { return abort != nullptr && abort->Wait(0); }
  void Heartbeat() const {
    if (heartbeat) {
      heartbeat();
    }
  }
};

// Appends the file record of a text file to the last area: the texts and stamp of the file and
// a box over the whole globe (lonMin 0 above lonMax just below it, so every longitude is
// inside). Returns its index.
int AppendTextFileRecord(CSceneryDatabase& db, const NavTextFile& file);

// Opens a text file given in native or Windows form; false when it cannot be read.
class CTextLineReader;
bool OpenNavTextFile(CTextLineReader& lines, const std::string& path);
