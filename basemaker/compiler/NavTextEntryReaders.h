#pragma once

// The navigation text-file readers as the area compiler calls them for the files of the
// program folder's pseudo-areas.

#include <functional>
#include <optional>

class CSceneryDatabase;
class CTrackSegmentList;
struct FileEntry;

namespace win {
class AutoResetEvent;
}

// Polled without waiting; null never aborts. The heartbeat, when given, tells the main window
// that a long read is alive.
using NavTextHeartbeat = std::function<void()>;

bool ReadIntersectionFile(const FileEntry& entry, CSceneryDatabase& db,
                          win::AutoResetEvent* abortEvent, const NavTextHeartbeat& heartbeat = {});
// Appends the file record and reads the track list; always true (a missing file leaves the list
// empty).
bool ReadTrackFile(const FileEntry& entry, CSceneryDatabase& db, CTrackSegmentList& tracks,
                   win::AutoResetEvent* abortEvent);
bool ReadAirwayFile(const FileEntry& entry, CSceneryDatabase& db, CTrackSegmentList& tracks,
                    win::AutoResetEvent* abortEvent, const NavTextHeartbeat& heartbeat = {});
bool ReadAirspaceFile(const FileEntry& entry, CSceneryDatabase& db,
                      win::AutoResetEvent* abortEvent);

// Reads the entry with its reader when its name (in any letter case) is "ISEC.txt",
// "TRACK.txt", "AIRWAY.txt" or "AIRSPACE.txt", giving the reader's result (false: the compile
// stops; the track reader's is always true). nullopt for any other name: a scenery file.
std::optional<bool> ReadNavTextEntry(const FileEntry& entry, CSceneryDatabase& db,
                                     CTrackSegmentList& tracks, win::AutoResetEvent* abortEvent,
                                     const NavTextHeartbeat& heartbeat = {});
