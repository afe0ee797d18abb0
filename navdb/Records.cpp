#include <cstddef>
#include <cstring>

#include "navdb/Geodesy.h"
#include "navdb/Payloads.h"
#include "navdb/Records.h"

bool BglFileRecord::Overlaps(const BglFileRecord& other) const {
  return BoxesOverlap(latMin, latMax, lonMin, lonMax, other.latMin, other.latMax, other.lonMin,
                      other.lonMax);
}

size_t PayloadHeaderSize(uint16_t kind) {
  switch (ArrayOfKind(kind)) {
    case kArrayNdb: return sizeof(NdbRecord);
    case kArrayIls: return sizeof(IlsRecord);
    case kArrayVor: return sizeof(VorRecord);
    case kArrayAirport: return sizeof(AirportRecord);
    case kArrayMarker: return sizeof(MarkerRecord);
    case kArrayRunway: return sizeof(RunwayRecord);
    case kArrayCom: return sizeof(ComRecord);
    case kArrayAirspace: return sizeof(AirspaceRecord);
    case kArrayIntersection: return sizeof(IntersectionRecord);
    case kArrayAirway: return sizeof(AirwayRecord);
    default: return 0;
  }
}

size_t PayloadSizeOf(uint16_t kind, const void* payload) {
  const auto* bytes = static_cast<const uint8_t*>(payload);
  switch (ArrayOfKind(kind)) {
    case kArrayAirport: {
      uint16_t counts;
      std::memcpy(&counts, bytes + offsetof(AirportRecord, counts), sizeof counts);
      AirportRecord r;
      r.counts = counts;
      return r.PayloadSize();
    }
    case kArrayAirspace:
      return sizeof(AirspaceRecord) +
             sizeof(FrequencyEntry) * bytes[offsetof(AirspaceRecord, frequencyCount)];
    case kArrayIntersection:
      return sizeof(IntersectionRecord) +
             sizeof(AirwaySegment) * bytes[offsetof(IntersectionRecord, segmentCount)];
    case kArrayAirway: {
      uint16_t count;
      std::memcpy(&count, bytes, sizeof count);
      return sizeof(AirwayRecord) + 4u * count;
    }
    default:
      return PayloadHeaderSize(kind);
  }
}
