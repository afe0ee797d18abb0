#include "basemaker/compiler/AirportList.h"

#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"
#include "navdb/Geodesy.h"

namespace {

constexpr size_t kAirportLinePiece = 255;
// The list of a whole world runs to some ten thousand airports.
constexpr size_t kAirportReserveStep = 5000;

}  // namespace

AirportListEntry::AirportListEntry(const char* identText, float latitude, float longitude,
                                   const char* nameText) {
  if (identText == nullptr) {
    return;
  }
  CopyTruncated(ident, identText, sizeof ident - 1);
  lat = latitude;
  lon = longitude;
  CopyTruncated(name, nameText, sizeof name - 1);
  TrimTrailingBlanks(name);
}

int CAirportList::Add(const AirportListEntry& entry) {
  if (m_entries.size() == m_entries.capacity()) {
    m_entries.reserve(m_entries.size() + kAirportReserveStep);
  }
  m_entries.push_back(entry);
  return GetSize() - 1;
}

bool CAirportList::Read(const std::string& path) {
  m_entries.clear();
  CTextLineReader lines;
  if (!lines.Open(path)) {
    return false;
  }
  const bool ok = ReadFrom(lines);
  return lines.Close() && ok;
}

bool CAirportList::ReadFrom(CTextLineReader& lines) {
  m_entries.clear();
  char line[kAirportLinePiece + 1];
  while (lines.ReadPiece(line, kAirportLinePiece)) {
    char* cursor = line;
    const char* ident = NextRunField(cursor, kNavTextSeparators);
    if (IsMissingField(ident)) {
      continue;
    }
    const char* latText = NextRunField(cursor, kNavTextSeparators);
    if (IsMissingField(latText)) {
      continue;
    }
    const char* lonText = NextRunField(cursor, kNavTextSeparators);
    if (IsMissingField(lonText)) {
      continue;
    }
    const char* name = NextRunField(cursor, kNavTextSeparators);
    if (IsMissingField(name)) {
      name = "";
    }
    Add(AirportListEntry(ident, static_cast<float>(ReadDouble(latText)),
                         static_cast<float>(ReadDouble(lonText)), name));
  }
  return !lines.Failed();
}
