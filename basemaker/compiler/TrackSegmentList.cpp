#include "basemaker/compiler/TrackSegmentList.h"

#include <new>

#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"

namespace {

constexpr size_t kTrackLinePiece = 255;

bool InRange(double value, double limit) { return value >= -limit && value <= limit; }

}  // namespace

bool CTrackSegmentList::Read(const std::string& path) {
  m_segments.clear();
  CTextLineReader lines;
  if (!lines.Open(path)) {
    return false;
  }
  const bool ok = ReadFrom(lines);
  if (!lines.Close() || !ok) {
    m_segments.clear();
    return false;
  }
  return true;
}

bool CTrackSegmentList::ReadFrom(CTextLineReader& lines) {
  m_segments.clear();
  char line[kTrackLinePiece + 1];
  try {
    while (lines.ReadPiece(line, kTrackLinePiece)) {
      char* cursor = line;
      const char* fields[4];
      bool complete = true;
      for (const char*& field : fields) {
        field = NextRunField(cursor, kNavTextSeparators);
        if (IsMissingField(field)) {
          complete = false;
          break;
        }
      }
      if (!complete) {
        continue;
      }
      const double lat1 = ReadDouble(fields[0]);
      const double lon1 = ReadDouble(fields[1]);
      const double lat2 = ReadDouble(fields[2]);
      const double lon2 = ReadDouble(fields[3]);
      if (!InRange(lat1, 90.0) || !InRange(lon1, 180.0) || !InRange(lat2, 90.0) ||
          !InRange(lon2, 180.0)) {
        continue;
      }
      TrackSegment segment;
      segment.lat1 = static_cast<float>(lat1);
      segment.lon1 = static_cast<float>(lon1);
      segment.lat2 = static_cast<float>(lat2);
      segment.lon2 = static_cast<float>(lon2);
      m_segments.push_back(segment);
    }
  } catch (const std::bad_alloc&) {
    m_segments.clear();
    return false;
  }
  if (lines.Failed()) {
    m_segments.clear();
    return false;
  }
  return true;
}

int CTrackSegmentList::FindNextLinkedSegment(int& cursor, int key) const {
  const int size = GetSize();
  while (true) {
    if (cursor < size) {
      ++cursor;
    }
    if (cursor >= size) {
      return -1;
    }
    const TrackSegment& s = m_segments[static_cast<size_t>(cursor)];
    if (s.link1 == key && s.link2 >= 0) {
      return 0;
    }
    if (s.link1 >= 0 && s.link2 == key) {
      return 1;
    }
  }
}
