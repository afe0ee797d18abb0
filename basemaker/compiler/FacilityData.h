#pragma once

// Facility data of old-format files with the long header: chunk trees of place and airport
// names whose airport leaves point at facility records (position, ident, runways, frequencies,
// parking). Each English-named airport becomes one airport point with its frequency and parking
// lists, plus an ATIS point where it has an ATIS frequency in the COM band.

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "basemaker/compiler/OldBgl.h"
#include "navdb/Payloads.h"

class CSceneryDatabase;

// Chunk tags and name levels of the facility data.
inline constexpr int32_t kFacilityGroupChunk = 1;
inline constexpr int32_t kFacilityGroupNested = 4;
inline constexpr int32_t kFacilityNameTree = 0x30001;
inline constexpr int32_t kFacilityNameEntry = 0x30002;
inline constexpr int32_t kFacilityEnglish = 1033;

enum FacilityLevel : int32_t {
  kLevelRegion = 0x10001,
  kLevelCountry = 0x20001,
  kLevelState = 0x30001,
  kLevelCity = 0x40001,
  kLevelAirport = 0x50001,
  kLevelFacility3 = 0x50003,
  kLevelFacility4 = 0x50004,
  kLevelFacility5 = 0x50005,
};

enum FacilitySubRecord : int32_t {
  kSubPosition = 0x10001,
  kSubRunway = 0x10002,
  kSubRunwayPart = 0x10004,
  kSubIdent = 0x10006,
  kSubParking = 0x11001,
  kSubFrequency = 0x20001,
};

// Facility record kinds as the leaves name them.
inline constexpr int32_t kFacilityAirport = 1;
inline constexpr uint32_t kParkingElementSize = 20;
// Texts of the name entries are cut to this many characters.
inline constexpr size_t kFacilityTextMax = 100;

class FacilityDataReader {
 public:
  FacilityDataReader(CSceneryDatabase& db, const OldBglView& image) : m_db(db), m_image(image) {}

  // The whole facility data of a file whose header carries the extension mark.
  void ParseFacilityData();
  // Reads every name tree of the chunk list from `chunk` to its end (or `limit`).
  void ParseFacilityNames(uint64_t chunk, uint64_t limit);
  // Walks a chunk tree: nested groups and the name trees in them.
  void WalkFacilityChunks(uint64_t chunk, uint64_t limit);
  // One name tree chunk that ends at `chunkEnd`.
  void ReadNameTree(uint64_t chunk, uint64_t chunkEnd);
  // Builds and adds one airport from the sub-record list at `subRecords`.
  void ParseFacilityRecord(int32_t region, int32_t country, int32_t state, int32_t city,
                           int32_t name, uint64_t subRecords);
  // The runway length (feet) of the runway sub-record at `cursor`; leaves the cursor after the
  // runway and its companions, or at 0 when the list ends there.
  uint32_t ReadFacilityRunway(uint64_t& cursor);

 private:
  struct Chunk {
    int32_t tag = 0;
    uint64_t payload = 0;  // first byte after tag and size
    uint64_t end = 0;      // where the next chunk starts
  };
  // The chunk at `at` when it fits below `limit`, has a non-negative size and is not the tag 0
  // that ends its list.
  bool ReadChunk(uint64_t at, uint64_t limit, Chunk& chunk) const;
  // Whether the record at `offset` is an unused facility record of `kind`.
  bool IsUnusedRecord(uint32_t offset, int32_t kind) const;
  // Appends the parking places of one parking sub-record, up to what the count field holds.
  void ReadParking(const Chunk& sub, double lat, double lon, std::vector<ParkingEntry>& out) const;

  CSceneryDatabase& m_db;
  OldBglView m_image;
  // Records already named once in this file. The image is read-only; the marks live here.
  std::unordered_set<uint32_t> m_used;
};
