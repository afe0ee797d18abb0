#include "basemaker/compiler/FacilityData.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

// Airport size byte: bit 7 marks facility data, bits 0-6 the longest runway in 100 m. Airports
// start at 300 m so that one without runway data is still drawn.
constexpr uint8_t kFacilityAirportByte = 0x80;
constexpr int kStartRunwayHundreds = 3;
constexpr int kMaxRunwayHundreds = 0x7F;

constexpr int kFrequencyKinds = 13;
constexpr int32_t kFrequencyKindAtis = 1;
constexpr uint16_t kComAtisFromFacility = 0x8001;
constexpr double kAtisCourse = 45.0;

// Parking offsets: a sign and a 30-bit exponent of 4.02, in metres.
double ParkingOffset(uint32_t w) {
  const int sign = static_cast<int32_t>(w) >> 30;
  return 2.0 * sign * std::pow(4.02, (w & 0x3FFFFFFF) / 16777216.0);
}

}  // namespace

bool FacilityDataReader::ReadChunk(uint64_t at, uint64_t limit, Chunk& chunk) const {
  if (at > limit || limit - at < 8 || !m_image.Holds(at, 8)) return false;
  chunk.tag = m_image.I32(at);
  const int32_t size = m_image.I32(at + 4);
  if (chunk.tag == 0 || size < 0) return false;
  chunk.payload = at + 8;
  chunk.end = chunk.payload + static_cast<uint64_t>(size);
  return chunk.end <= limit && chunk.end <= m_image.Size();
}

bool FacilityDataReader::IsUnusedRecord(uint32_t offset, int32_t kind) const {
  if (offset == 0 || !m_image.Holds(offset, 12)) return false;
  return m_image.I32(offset) == 1 && m_image.I32(offset + 8) == kind && m_used.count(offset) == 0;
}

void FacilityDataReader::ParseFacilityData() {
  if (m_image.I32(kFacilityVersionField) != 1) return;
  const uint32_t names = m_image.U32(kFacilityNameListField);
  if (names != 0) ParseFacilityNames(names, m_image.Size());
  const uint32_t tree = m_image.U32(kFacilityChunkTreeField);
  if (tree != 0) WalkFacilityChunks(tree, m_image.Size());
}

void FacilityDataReader::ParseFacilityNames(uint64_t at, uint64_t limit) {
  Chunk chunk;
  while (ReadChunk(at, limit, chunk)) {
    if (chunk.tag == kFacilityNameTree) ReadNameTree(at, chunk.end);
    at = chunk.end;
  }
}

void FacilityDataReader::WalkFacilityChunks(uint64_t first, uint64_t limit) {
  // Nested groups are walked with a stack of open lists, so no depth of nesting can exhaust
  // the call stack.
  struct OpenList {
    uint64_t at;
    uint64_t limit;
    bool namesRead;
  };
  std::vector<OpenList> lists{{first, limit, false}};
  while (!lists.empty()) {
    OpenList& list = lists.back();
    Chunk chunk;
    if (!ReadChunk(list.at, list.limit, chunk)) {
      lists.pop_back();
      continue;
    }
    const uint64_t at = list.at;
    list.at = chunk.end;
    if (chunk.tag == kFacilityNameTree && !list.namesRead) {
      // One pass reads every name tree from here to the end of the list; running it again for
      // the later trees of the same list could only add their place names once more.
      list.namesRead = true;
      ParseFacilityNames(at, list.limit);
    } else if (chunk.tag == kFacilityGroupChunk && chunk.end - chunk.payload >= 8 &&
               m_image.I32(chunk.payload) == kFacilityGroupNested) {
      const uint64_t nestedEnd = chunk.end;
      lists.push_back({at + 16, nestedEnd, false});
    }
  }
}

void FacilityDataReader::ReadNameTree(uint64_t chunk, uint64_t chunkEnd) {
  if (chunkEnd < chunk + 24 || !m_image.Holds(chunk, 24)) return;
  const bool english = m_image.I32(chunk + 8) == kFacilityEnglish && m_image.I32(chunk + 12) == 0;
  const int32_t count = m_image.I32(chunk + 20);
  int32_t region = -1;
  int32_t country = -1;
  int32_t state = -1;
  int32_t city = -1;
  uint64_t at = chunk + 24;
  Chunk entry;
  for (int32_t i = 0; i < count && ReadChunk(at, chunkEnd, entry); ++i) {
    at = entry.end;
    // An entry too short for its level and reference carries no text to take.
    if (entry.tag != kFacilityNameEntry || entry.end - entry.payload < 8) continue;
    const int32_t level = m_image.I32(entry.payload);
    const uint32_t reference = m_image.U32(entry.payload + 4);
    const std::string text(m_image.Text(entry.payload + 8, kFacilityTextMax, entry.end));
    switch (level) {
      case kLevelRegion:
        region = m_db.AddString(text);
        country = state = city = -1;
        break;
      case kLevelCountry:
        country = m_db.AddString(text);
        state = city = -1;
        break;
      case kLevelState:
        state = m_db.AddString(text);
        city = -1;
        break;
      case kLevelCity:
        city = m_db.AddString(text);
        break;
      case kLevelAirport:
        if (IsUnusedRecord(reference, kFacilityAirport)) {
          if (english) {
            const int32_t name = m_db.AddString(text);
            ParseFacilityRecord(region, country, state, city, name, reference + 16ull);
          }
          // Named in any language, the record is used: a later tree naming it adds nothing.
          m_used.insert(reference);
        }
        break;
      case kLevelFacility3:
      case kLevelFacility4:
      case kLevelFacility5: {
        const int32_t kind = level == kLevelFacility3 ? 2 : level == kLevelFacility4 ? 3 : 5;
        if (IsUnusedRecord(reference, kind)) m_used.insert(reference);
        break;
      }
      default:
        break;
    }
  }
}

uint32_t FacilityDataReader::ReadFacilityRunway(uint64_t& cursor) {
  Chunk runway;
  if (!ReadChunk(cursor, m_image.Size(), runway)) {
    cursor = 0;
    return 0;
  }
  const uint32_t length = runway.end >= cursor + 42 ? m_image.U16(cursor + 40) : 0;
  cursor = runway.end;
  Chunk part;
  while (ReadChunk(cursor, m_image.Size(), part) && part.tag == kSubRunwayPart) cursor = part.end;
  return length;
}

void FacilityDataReader::ReadParking(const Chunk& sub, double lat, double lon,
                                     std::vector<ParkingEntry>& out) const {
  uint64_t at = sub.payload;
  while (at <= sub.end && sub.end - at >= 8) {
    const uint64_t count = m_image.U32(at);
    const uint64_t size = m_image.U32(at + 4);
    if (size == 0) return;
    const uint64_t next = at + 8 + count * size;
    if (next > sub.end) return;
    if (size == kParkingElementSize) {
      for (uint64_t i = 0; i < count; ++i) {
        if (out.size() >= static_cast<size_t>(kAirportMaxParkings)) return;
        const uint64_t e = at + 8 + i * kParkingElementSize;
        const uint32_t w0 = m_image.U32(e);
        const uint32_t w1 = m_image.U32(e + 4);
        const uint32_t w3 = m_image.U32(e + 12);
        const uint32_t w4 = m_image.U32(e + 16);
        ParkingEntry p;
        p.latitude = ToFloat(lat + ParkingOffset(w1) * kBglMetresToDegrees);
        p.longitude = ToFloat(lon + ParkingOffset(w0) * kBglMetresToDegrees /
                                        std::cos(p.latitude * kDegToRad));
        p.bits = (w3 >> 24) | ((w4 & 0x3F) << 8) | (((w4 >> 7) & 0x1FFF) << 14) |
                 (((w4 >> 20) & 0x1F) << 27);
        out.push_back(p);
      }
    }
    at = next;
  }
}

void FacilityDataReader::ParseFacilityRecord(int32_t region, int32_t country, int32_t state,
                                             int32_t city, int32_t name, uint64_t subRecords) {
  AirportRecord head;
  int hundreds = kStartRunwayHundreds;
  head.regionText = region;
  head.countryText = country;
  head.stateText = state;
  head.cityText = city;
  head.nameText = name;
  // Facility records without a position or ident are placed at 0, 0 with an empty ident.
  double lat = 0;
  double lon = 0;
  std::vector<FrequencyEntry> frequencies;
  std::vector<ParkingEntry> parkings;

  uint64_t at = subRecords;
  Chunk sub;
  while (at != 0 && ReadChunk(at, m_image.Size(), sub)) {
    const uint64_t size = sub.end - sub.payload;
    switch (sub.tag) {
      case kSubPosition:
        if (size >= 22) {
          lat = m_image.I32(at + 12) * kBglMetresToDegrees;
          lon = m_image.I32(at + 20) * kBglAngleToDegrees;
          head.altitude = m_image.I16(at + 28);
        }
        break;
      case kSubIdent:
        SetFixedText(head.ident, sizeof head.ident, m_image.Text(at + 8, 5, sub.end));
        break;
      case kSubRunway: {
        const double metres = ReadFacilityRunway(at) / kFeetPerMetre;
        if (metres > hundreds * 100.0) {
          hundreds = std::min(kMaxRunwayHundreds, static_cast<int>(metres / 100.0));
        }
        continue;  // the cursor already stands after the runway
      }
      case kSubParking:
        ReadParking(sub, lat, lon, parkings);
        break;
      case kSubFrequency: {
        if (size < 8) break;
        const uint32_t word = m_image.U32(at + 8);
        const int32_t kind = m_image.I32(at + 12);
        if (kind < 1 || kind > kFrequencyKinds) break;
        const double mhz = DecodeBcd8(word >> 8) * 0.01;
        if (frequencies.size() < static_cast<size_t>(kAirportMaxFrequencies)) {
          frequencies.push_back({static_cast<uint16_t>(1u << (kind - 1)), static_cast<float>(mhz)});
        }
        const float f = static_cast<float>(mhz);
        if (kind == kFrequencyKindAtis && IsComChannel(f, (word >> 8) & 0x0F)) {
          ComRecord com;
          com.type = kComAtisFromFacility;
          com.frequency = f;
          AddComPoint(m_db, lat, lon, kAtisCourse, com);
        }
        break;
      }
      default:
        break;
    }
    at = sub.end;
  }

  head.size = static_cast<uint8_t>(kFacilityAirportByte | hundreds);
  head.SetCounts(static_cast<int>(frequencies.size()), static_cast<int>(parkings.size()));
  std::vector<uint8_t> payload(head.PayloadSize());
  std::memcpy(payload.data(), &head, sizeof head);
  if (!frequencies.empty()) {
    std::memcpy(payload.data() + sizeof head, frequencies.data(),
                frequencies.size() * sizeof(FrequencyEntry));
  }
  if (!parkings.empty()) {
    std::memcpy(payload.data() + sizeof head + frequencies.size() * sizeof(FrequencyEntry),
                parkings.data(), parkings.size() * sizeof(ParkingEntry));
  }
  NavPoint point(lat, lon, kKindAirport, 1);
  m_db.AddPoint(lat, lon, point, payload.data());
}
