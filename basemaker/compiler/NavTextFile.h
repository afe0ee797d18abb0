#pragma once

// What the navigation text-file readers share: the file they read as the database records it,
// the build signals they answer to, and the file record that covers the whole globe.

#include <cstdint>
#include <functional>
#include <string>

class CSceneryDatabase;

// One navigation text file of the program folder.
struct NavTextFile {
  std::string subfolder;  // empty for a file of the folder itself
  std::string name;       // "ISEC.txt", ...
  uint32_t size = 0;
  uint64_t lastWrite = 0;  // FILETIME ticks
  std::string fullPath;    // native path of the file
};

// The build's abort poll (its abort event taken without waiting; a true answer has consumed the
// event) and the heartbeat that tells the main window that a long read is still alive.
struct ReaderSignals {
  std::function<bool()> abortPoll;
  std::function<void()> heartbeat;

  bool AbortRequested() const { return abortPoll && abortPoll(); }
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

