#include "basemaker/compiler/NavTextEntryReaders.h"

#include <strings.h>

#include "basemaker/compiler/AirspaceFileReader.h"
#include "basemaker/compiler/AirwayFileReader.h"
#include "basemaker/compiler/FileEntry.h"
#include "basemaker/compiler/IntersectionFileReader.h"
#include "basemaker/compiler/NavTextFile.h"
#include "basemaker/compiler/TrackSegmentList.h"
#include "platform/win/Sync.h"

namespace {

NavTextFile FromEntry(const FileEntry& entry) {
  NavTextFile file;
  file.subfolder = entry.subfolder;
  file.name = entry.name;
  file.size = entry.size;
  file.lastWrite = entry.lastWrite;
  file.fullPath = entry.fullPath;
  return file;
}

ReaderSignals SignalsOf(win::AutoResetEvent* abortEvent, const NavTextHeartbeat& heartbeat) {
  ReaderSignals signals;
  if (abortEvent != nullptr) {
    signals.abortPoll = [abortEvent] { return abortEvent->Wait(0); };
  }
  signals.heartbeat = heartbeat;
  return signals;
}

bool NameIs(const FileEntry& entry, const char* name) {
  return ::strcasecmp(entry.name.c_str(), name) == 0;
}

}  // namespace

bool ReadIntersectionFile(const FileEntry& entry, CSceneryDatabase& db,
                          win::AutoResetEvent* abortEvent, const NavTextHeartbeat& heartbeat) {
  return ReadIntersectionFile(FromEntry(entry), db, SignalsOf(abortEvent, heartbeat));
}

bool ReadTrackFile(const FileEntry& entry, CSceneryDatabase& db, CTrackSegmentList& tracks,
                   win::AutoResetEvent*) {
  AppendTextFileRecord(db, FromEntry(entry));
  tracks.Read(entry.fullPath);
  return true;
}

bool ReadAirwayFile(const FileEntry& entry, CSceneryDatabase& db, CTrackSegmentList& tracks,
                    win::AutoResetEvent* abortEvent, const NavTextHeartbeat& heartbeat) {
  return ReadAirwayFile(FromEntry(entry), db, tracks, SignalsOf(abortEvent, heartbeat));
}

bool ReadAirspaceFile(const FileEntry& entry, CSceneryDatabase& db,
                      win::AutoResetEvent* abortEvent) {
  return ReadAirspaceFile(FromEntry(entry), db, SignalsOf(abortEvent, {}));
}

std::optional<bool> ReadNavTextEntry(const FileEntry& entry, CSceneryDatabase& db,
                                     CTrackSegmentList& tracks, win::AutoResetEvent* abortEvent,
                                     const NavTextHeartbeat& heartbeat) {
  if (NameIs(entry, "ISEC.txt")) {
    return ReadIntersectionFile(entry, db, abortEvent, heartbeat);
  }
  if (NameIs(entry, "TRACK.txt")) {
    return ReadTrackFile(entry, db, tracks, abortEvent);
  }
  if (NameIs(entry, "AIRWAY.txt")) {
    return ReadAirwayFile(entry, db, tracks, abortEvent, heartbeat);
  }
  if (NameIs(entry, "AIRSPACE.txt")) {
    return ReadAirspaceFile(entry, db, abortEvent);
  }
  return std::nullopt;
}
