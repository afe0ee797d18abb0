#pragma once

// The official airport idents and names of ICAO.txt, matched by the build to the nearest
// airport of the finished database.

#include <cstdint>
#include <string>
#include <vector>

class CTextLineReader;

struct AirportListEntry {
  char ident[6] = {};  // at most 5 characters
  float lat = 0;
  float lon = 0;
  char name[31] = {};  // at most 30 characters, trailing blanks removed
  int32_t point = -1;  // airport point matched to this entry, -1 none
  double distance = 7000.0;  // metres to the matched point; the match radius until one is made

  AirportListEntry() = default;
  // Without an ident text the entry stays the default entry.
  AirportListEntry(const char* identText, float latitude, float longitude, const char* nameText);
};

class CAirportList {
 public:
  // Replaces the list by the entries of the file. False when the file cannot be opened (the
  // list is then empty) or when reading or closing it failed (the entries read stay).
  bool Read(const std::string& path);
  // The same over an opened source; closing is the caller's. False after a read error.
  bool ReadFrom(CTextLineReader& lines);

  int GetSize() const { return static_cast<int>(m_entries.size()); }
  bool IsEmpty() const { return m_entries.empty(); }
  void RemoveAll() { m_entries.clear(); }
  int Add(const AirportListEntry& entry);
  AirportListEntry& operator[](int i) { return m_entries[static_cast<size_t>(i)]; }
  const AirportListEntry& operator[](int i) const { return m_entries[static_cast<size_t>(i)]; }
  auto begin() { return m_entries.begin(); }
  auto end() { return m_entries.end(); }
  auto begin() const { return m_entries.begin(); }
  auto end() const { return m_entries.end(); }

 private:
  std::vector<AirportListEntry> m_entries;
};
