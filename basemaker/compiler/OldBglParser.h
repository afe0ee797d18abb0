#pragma once

// Reads an old command-format scenery file that lies whole in memory into the last file record
// of an area database: facility data, NDBs, VOR/ILS stations, ATIS frequencies, airports named
// by labels, markers, the scenery command streams, the magnetic variation grid and exclusion
// boxes. Every list and text is bounded by the file: a record that does not fit, or that has
// another type, ends its list, and the other sections are still read.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "basemaker/compiler/OldBgl.h"

class CSceneryDatabase;

class OldBglParser {
 public:
  OldBglParser(CSceneryDatabase& db, const uint8_t* image, uint64_t size)
      : m_db(db), m_image(image, size) {}

  // All sections, facility data first.
  void Parse();

  void ParseNdbs(uint64_t section);
  void ParseVorIls(uint64_t section);
  void ParseAtis(uint64_t section);
  void ParseLabels(uint64_t section);
  void ParseMarkers(uint64_t section);
  void ParseCommandsByGroup(uint64_t section);
  void ParseCommandsByTable(uint64_t section);
  void ParseMagVar(uint64_t section);
  void ParseExclusions(uint64_t section);

 private:
  // The section whose offset is stored at `field`, 0 when it is absent.
  uint64_t Section(uint32_t field) const;
  // Item lists walked in one section, each with the band it was walked for (0 where the items
  // do not depend on the band).
  using WalkedLists = std::set<std::pair<uint64_t, uint32_t>>;
  // Calls `f(group, itemList)` for every group record of the list at `groups`; an item list
  // already walked in this section (for the group's band, with `byBand`) is not walked again.
  template <class F>
  void ForEachGroup(uint64_t section, uint64_t groups, WalkedLists& walked, bool byBand, F f);
  // Returns the next item, or 0 when the item ends its list.
  uint64_t ParseVorIlsItem(uint64_t item, float mhz);
  void AddLabelAirport(double lat, double lon, int16_t altitude, std::string_view label,
                       bool labelSection);

  CSceneryDatabase& m_db;
  OldBglView m_image;
};

// The airport name an airport label gives: the text before the first listed word found past
// its first character, without trailing white space; the label section's longer list also
// drops trailing dashes.
std::string AirportNameFromLabel(std::string_view label, bool labelSection);

// A whole file image into the last file record of `db` (used by the loader and fuzzing).
void ParseOldBglImage(CSceneryDatabase& db, const uint8_t* image, uint64_t size);
