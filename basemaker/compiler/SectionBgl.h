#pragma once

// The section-format scenery layout: the numbers that name its sections and records, its packed
// coordinates and identifiers, and the per-file name list.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

inline constexpr uint16_t kBglSectionFormatWord = 0x0201;

// File header fields.
inline constexpr uint32_t kBglSectionTableOffsetField = 4;
inline constexpr uint32_t kBglSectionCountField = 20;
inline constexpr uint32_t kBglSectionEntrySize = 20;
inline constexpr uint32_t kBglSubsectionEntrySize = 16;
inline constexpr uint32_t kBglRecordHeadSize = 6;
inline constexpr uint32_t kBglAirportHeadSize = 52;  // its sub-records follow
inline constexpr uint32_t kBglObjectRecordHeadSize = 4;  // section 37: u16 id, u16 size

enum BglSection : uint32_t {
  kBglSectionAirport = 3,
  kBglSectionVorIls = 19,
  kBglSectionNdb = 23,
  kBglSectionMarker = 24,
  kBglSectionSceneryObject = 37,
  kBglSectionNameList = 39,
};

enum BglRecordId : uint16_t {
  kBglRunway = 4,
  kBglStart = 17,
  kBglFrequency = 18,
  kBglLocalizer = 20,
  kBglGlideSlope = 21,
  kBglDme = 22,
  kBglName = 25,
  kBglTaxiPoints = 26,
  kBglParking = 27,
  kBglTaxiPaths = 28,
  kBglOutline = 55,
  kBglSceneryObject = 7,
  kBglObjectBlockStart = 0x1000,
  kBglObjectBlockEnd = 0x1001,
};

// Feet per metre of the runway lengths and widths of this format; the runway ends are placed
// with the same factor so that the stored length and the drawn runway agree.
inline constexpr double kSectionRunwayFeetPerMetre = 3.2809524536132812;

double UnpackLatitude(uint32_t v);   // 90 - v * 180 / (2^29 - 1)
double UnpackLongitude(uint32_t v);  // v * 360 / (3 * 2^28 - 1) - 180

// Up to five characters of the identifier packed in bits 5..31 of `packed`, NUL-terminated.
void UnpackIdent(char out[6], uint32_t packed);

struct NameListIndex {
  uint32_t word0 = 0;  // region bits 0-7, country bits 8-19, state bits 20-31
  uint32_t word1 = 0;  // city low 16 bits, airport name high 16 bits
};

// The name lists of one file: airport ident -> indexes into five lists of pool offsets.
class CBglNameList {
 public:
  enum List { kRegion, kCountry, kState, kCity, kAirportName, kListCount };

  std::unordered_map<std::string, NameListIndex> m_index;
  std::array<std::vector<int32_t>, kListCount> m_lists;

  // The five pool offsets for an airport ident; -1 where the ident or an index is unknown.
  std::array<int32_t, kListCount> Lookup(const char* ident) const;
};
