// TRACK.txt and AIRWAY.txt over arbitrary bytes: the input up to its first NUL is the track
// file, the rest the airway file, read into an area that already holds a few intersections.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "basemaker/compiler/AirwayFileReader.h"
#include "basemaker/compiler/IntersectionFileReader.h"
#include "basemaker/compiler/TextLineReader.h"
#include "basemaker/compiler/TrackSegmentList.h"
#include "navdb/SceneryDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t split = bytes.find('\0');
  const std::string_view track = bytes.substr(0, split);
  const std::string_view airway = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);

  CSceneryDatabase area(4096);
  area.AddArea("fuzz", nullptr);
  CTextLineReader isec;
  isec.OpenMemory("ISEC1\t50\t8\nISEC2\t-33\t151\n");
  ReadIntersectionLines(isec, NavTextFile{}, area, {});

  CTrackSegmentList tracks;
  CTextLineReader trackLines;
  trackLines.OpenMemory(track);
  tracks.ReadFrom(trackLines);

  CTextLineReader airwayLines;
  airwayLines.OpenMemory(airway);
  if (!ReadAirwayLines(airwayLines, NavTextFile{}, area, tracks, {})) {
    std::abort();
  }
  if (!area.Validate()) {
    std::abort();
  }
  const int points = area.m_intersections.GetSize();
  for (int i = 0; i < tracks.GetSize(); ++i) {
    if (tracks[i].link1 >= points || tracks[i].link2 >= points) {
      std::abort();
    }
  }
  return 0;
}
