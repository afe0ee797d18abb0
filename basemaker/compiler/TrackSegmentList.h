#pragma once

// The track segments of one area compile, read from TRACK.txt; the airway reader links their
// ends to its waypoints.

#include <cstdint>
#include <string>
#include <vector>

class CTextLineReader;

struct TrackSegment {
  float lat1 = 0;
  float lon1 = 0;
  int32_t link1 = -1;  // intersection index the first end was matched to, -1 none
  float lat2 = 0;
  float lon2 = 0;
  int32_t link2 = -1;
};

class CTrackSegmentList {
 public:
  // Replaces the list by the segments of the file. False when the file cannot be opened, or
  // when reading or closing it fails (the list is then empty).
  bool Read(const std::string& path);
  // The same over an opened source; closing is the caller's.
  bool ReadFrom(CTextLineReader& lines);

  // Steps `cursor` on to the next segment that has one end matched to `key` and the other end
  // matched too: 0 when its first end is `key`, 1 when its second end is. -1 when the list is
  // exhausted (the cursor then stays at or past the end).
  int FindNextLinkedSegment(int& cursor, int key) const;

  int GetSize() const { return static_cast<int>(m_segments.size()); }
  bool IsEmpty() const { return m_segments.empty(); }
  void RemoveAll() { m_segments.clear(); }
  void Add(const TrackSegment& segment) { m_segments.push_back(segment); }
  TrackSegment& operator[](int i) { return m_segments[static_cast<size_t>(i)]; }
  const TrackSegment& operator[](int i) const { return m_segments[static_cast<size_t>(i)]; }

 private:
  std::vector<TrackSegment> m_segments;
};
