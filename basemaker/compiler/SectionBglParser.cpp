#include "basemaker/compiler/SectionBglParser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "basemaker/compiler/BglLoader.h"
#include "basemaker/compiler/FileEntry.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

constexpr double kPackedLatitudeScale = 536870911.0;   // 2^29 - 1
constexpr double kPackedLongitudeScale = 805306367.0;  // 3 * 2^28 - 1
constexpr char kIdentAlphabet[] = "  0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr double kMetresPerDegreeTimesTwo = 40007000.0 / 180.0;

// Runway surface byte by the format's surface code (low five bits).
constexpr uint8_t kSurfaceByCode[32] = {1,   3,   9,   255, 2,   3,   3,   10,  7,   11, 255,
                                        255, 0,   8,   4,   5,   12,  13,  14,  15,  16, 17,
                                        18,  19,  255, 255, 255, 255, 255, 255, 255, 255};

// The airport header byte before any runway: facility data present, longest runway 300 m.
constexpr uint8_t kAirportHeaderStart = kAirportFacilityData | 3;
constexpr uint32_t kRunwayNoIlsLayer24 = 0x31FFFFFF;
// Parking name kind of a helipad start and the type the planner shows for it.
constexpr uint32_t kParkingNameHelipad = 38;
constexpr uint32_t kParkingTypeOfStart = 12;
constexpr uint8_t kObjectTaxiLine = 0xC1;
constexpr uint8_t kObjectFuel = 0xC2;
constexpr uint8_t kObjectOutline = 0xC3;
constexpr uint8_t kAirportLayer = 24;
constexpr double kIlsSeparationMetres = 10.0;

// floor(x + 0.5) without undefined conversions: NaN gives 0, huge values saturate.
int64_t Round(double x) {
  x = std::floor(x + 0.5);
  if (!(x == x)) return 0;
  return static_cast<int64_t>(std::clamp(x, -9.2e18, 9.2e18));
}

int64_t Trunc(double x) {
  if (!(x == x)) return 0;
  return static_cast<int64_t>(std::clamp(std::trunc(x), -9.2e18, 9.2e18));
}

int16_t ClampI16(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

double Wrap180(double lon) {
  if (lon > 180) lon -= 360;
  if (lon < -180) lon += 360;
  return lon;
}

// A heading in degrees as the byte (256ths of a circle) of a parking entry.
uint32_t HeadingByte(float heading) { return static_cast<uint32_t>(Round(heading / 360.0 * 256.0) & 0xFF); }

// Parking entries past what the airport record can count are dropped.
void AddParking(std::vector<ParkingEntry>& parkings, double lat, double lon, uint32_t bits) {
  if (parkings.size() >= static_cast<size_t>(kAirportMaxParkings)) return;
  ParkingEntry p;
  p.latitude = static_cast<float>(lat);
  p.longitude = static_cast<float>(lon);
  p.bits = bits;
  parkings.push_back(p);
}

template <class T>
void AppendBytes(std::vector<uint8_t>& buf, const T& v) {
  const auto* p = reinterpret_cast<const uint8_t*>(&v);
  buf.insert(buf.end(), p, p + sizeof(T));
}

}  // namespace

double UnpackLatitude(uint32_t v) {
  return 90.0 - v * 180.0 / kPackedLatitudeScale;
}

double UnpackLongitude(uint32_t v) {
  return v * 360.0 / kPackedLongitudeScale - 180.0;
}

void UnpackIdent(char out[6], uint32_t packed) {
  char text[6] = {};
  uint32_t value = packed >> 5;
  int n = 0;
  while (n < 5 && value != 0) {
    std::memmove(text + 1, text, static_cast<size_t>(n));
    text[0] = kIdentAlphabet[value % 38];
    value /= 38;
    ++n;
  }
  std::memcpy(out, text, 6);
  out[n] = '\0';
}

std::array<int32_t, CBglNameList::kListCount> CBglNameList::Lookup(const char* ident) const {
  std::array<int32_t, kListCount> out;
  out.fill(-1);
  const auto it = m_index.find(ident);
  if (it == m_index.end()) return out;
  const uint32_t idx[kListCount] = {it->second.word0 & 0xFF, (it->second.word0 >> 8) & 0xFFF,
                                    (it->second.word0 >> 20) & 0xFFF, it->second.word1 & 0xFFFF,
                                    it->second.word1 >> 16};
  // An index past its list is a broken file; the name stays unknown rather than reading on.
  for (int i = 0; i < kListCount; ++i) {
    if (idx[i] < m_lists[i].size()) out[i] = m_lists[i][idx[i]];
  }
  return out;
}

void SectionBglParser::Parse() {
  for (uint32_t type : {kBglSectionNameList, kBglSectionAirport, kBglSectionVorIls, kBglSectionNdb,
                        kBglSectionMarker, kBglSectionSceneryObject}) {
    ProcessSections(type);
  }
}

uint32_t SectionBglParser::RecordSize(uint64_t record) const {
  const uint32_t size = m_image.U32(record + 2);
  // A record shorter than its head would never let the walk move on.
  if (size < kBglRecordHeadSize) throw BglParseError("scenery record with an impossible size");
  return size;
}

void SectionBglParser::ProcessSections(uint32_t sectionType) {
  const uint64_t table = m_image.U32(kBglSectionTableOffsetField);
  const uint64_t count = m_image.U32(kBglSectionCountField);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t entry = table + i * kBglSectionEntrySize;
    if (m_image.U32(entry) != sectionType) continue;
    const uint64_t subCount = m_image.U32(entry + 8);
    const uint64_t subTable = m_image.U32(entry + 12);
    for (uint64_t s = 0; s < subCount; ++s) {
      const uint64_t sub = subTable + s * kBglSubsectionEntrySize;
      const uint64_t records = m_image.U32(sub + 4);
      uint64_t r = m_image.U32(sub + 8);
      if (sectionType == kBglSectionNameList) {
        if (records > 0) ParseNameList(r);
        continue;
      }
      for (uint64_t k = 0; k < records; ++k) {
        switch (sectionType) {
          case kBglSectionAirport:
            r = ParseAirport(r);
            break;
          case kBglSectionVorIls:
            r = ParseVorIls(r);
            break;
          case kBglSectionNdb:
            r = ParseNdb(r);
            break;
          case kBglSectionMarker:
            r = ParseMarker(r);
            break;
          case kBglSectionSceneryObject: {
            auto step = [this](uint64_t at) {
              const uint16_t size = m_image.U16(at + 2);
              if (size < kBglObjectRecordHeadSize) throw BglParseError("empty object record");
              return at + size;
            };
            if (m_image.U16(r) == kBglSceneryObject) ParseSceneryObject(r);
            r = step(r);
            // Attachment blocks between objects are not records of their own.
            while (m_image.Holds(r, 2) && m_image.U16(r) == kBglObjectBlockStart) {
              while (m_image.U16(r) != kBglObjectBlockEnd) r = step(r);
              r = step(r);
            }
            break;
          }
          default:
            return;
        }
      }
    }
    return;
  }
}

void SectionBglParser::ParseNameList(uint64_t record) {
  for (int list = 0; list < CBglNameList::kListCount; ++list) {
    const uint64_t n = m_image.U16(record + 6 + 2 * list);
    const uint64_t base = record + m_image.U32(record + 18 + 4 * list);
    auto& offsets = m_names.m_lists[list];
    offsets.reserve(offsets.size() + n);
    for (uint64_t i = 0; i < n; ++i) {
      const uint64_t text = base + 4 * n + m_image.U32(base + 4 * i);
      offsets.push_back(m_db.AddString(m_image.CString(text)));
    }
  }
  const uint64_t entries = m_image.U16(record + 16);
  const uint64_t first = record + m_image.U32(record + 38);
  for (uint64_t e = 0; e < entries; ++e) {
    const uint64_t at = first + e * 20;
    NameListIndex index;
    index.word0 = m_image.U32(at);
    index.word1 = m_image.U16(at + 4) | (static_cast<uint32_t>(m_image.U16(at + 6)) << 16);
    char ident[6];
    UnpackIdent(ident, m_image.U32(at + 8));
    m_names.m_index[ident] = index;
  }
}

int32_t SectionBglParser::NameText(uint64_t sub) {
  const uint32_t size = RecordSize(sub);
  std::string_view text = m_image.Bytes(sub + kBglRecordHeadSize, size - kBglRecordHeadSize);
  text = text.substr(0, text.find('\0'));
  return m_db.AddString(text);
}

int32_t SectionBglParser::FirstNameSubRecord(uint64_t record, uint64_t firstSub) {
  const uint64_t end = record + RecordSize(record);
  for (uint64_t sub = firstSub; sub + kBglRecordHeadSize <= end; sub += RecordSize(sub)) {
    if (m_image.U16(sub) == kBglName) return NameText(sub);
  }
  return -1;
}

void SectionBglParser::AddObjectGroup(float latMin, float latMax) {
  BglFileRecord& file = m_db.m_files[m_db.m_files.GetSize() - 1];
  ObjectGroup group;
  group.SetBand(latMin, latMax);
  m_db.m_objectGroups.Add(group, &file.objectGroupEnd);
}

void SectionBglParser::AddObject(uint8_t flags, double lat, double lon, uint8_t layer) {
  ObjectRecord object;
  object.flags = flags;
  object.latitude = static_cast<float>(lat);
  object.longitude = static_cast<float>(lon);
  object.scale = 1.0f;
  object.layer = layer;
  const int groups = m_db.m_objectGroups.GetSize();
  int* groupEnd = groups > 0 ? &m_db.m_objectGroups[groups - 1].objectEnd : nullptr;
  m_db.m_objects.Add(object, groupEnd);
}

void SectionBglParser::AddVertex(double refLat, double refLon, double lat, double lon) {
  const int objects = m_db.m_objects.GetSize();
  if (objects == 0) return;
  FootprintVertex v;
  // An airport's vertices share its reference latitude: its cosine is worked out once.
  if (!m_vertexParallel || m_vertexParallelLat != refLat) {
    m_vertexParallel.emplace(refLat);
    m_vertexParallelLat = refLat;
  }
  int64_t north = Round(MeridianDistance(refLat, lat));
  int64_t east = Round((*m_vertexParallel)(refLon, lon));
  if (lat < refLat) north = -north;
  if (lon < refLon) east = -east;
  v.north = ClampI16(north);
  v.east = ClampI16(east);
  m_db.m_footprintVertices.Add(v);
  ++m_db.m_objects[objects - 1].vertexEnd;
}

// What the sub-records of one airport record add up to before its point is added.
struct SectionBglParser::AirportScan {
  double refLat = 0;
  double refLon = 0;
  int16_t altitude = 0;
  uint8_t header = kAirportHeaderStart;
  char ident[6] = {};
  std::array<int32_t, CBglNameList::kListCount> names{};
  int32_t nameText = -1;
  // The latitude band of the airport's ground lines; its object group is opened with the
  // first of them.
  double bandMin = 90;
  double bandMax = -90;
  bool pendingGroup = false;
  uint64_t taxiPoints = 0;  // the taxi point list read last, 0 before the first
  std::vector<FrequencyEntry> frequencies;
  std::vector<ParkingEntry> parkings;
};

uint64_t SectionBglParser::ParseAirport(uint64_t record) {
  const uint32_t size = RecordSize(record);
  const uint64_t end = record + size;
  AirportScan a;
  a.refLon = UnpackLongitude(m_image.U32(record + 12));
  a.refLat = UnpackLatitude(m_image.U32(record + 16));
  a.altitude = ClampI16(Round(m_image.I32(record + 20) * 0.001));
  UnpackIdent(a.ident, m_image.U32(record + 40));
  a.names = m_names.Lookup(a.ident);
  a.nameText = a.names[CBglNameList::kAirportName];

  const uint64_t firstSub = record + kBglAirportHeadSize;
  ScanGroundBand(firstSub, end, a);
  for (uint64_t sub = firstSub; sub + kBglRecordHeadSize <= end; sub += RecordSize(sub)) {
    switch (m_image.U16(sub)) {
      case kBglRunway: ReadAirportRunway(sub, a); break;
      case kBglStart: ReadAirportStart(sub, a); break;
      case kBglFrequency: ReadAirportFrequency(sub, a); break;
      case kBglName:
        if (a.nameText == -1) a.nameText = NameText(sub);
        break;
      case kBglParking: ReadAirportParking(sub, a); break;
      case kBglTaxiPoints: a.taxiPoints = sub; break;
      case kBglTaxiPaths: ReadTaxiPaths(sub, a); break;
      case kBglOutline: ReadAirportOutline(sub, a); break;
      default: break;
    }
  }
  AddAirportPoint(a);
  return end;
}

bool SectionBglParser::TaxiPoint(uint64_t list, uint32_t index, double& lat, double& lon) const {
  // Indexes past the list's own count are dropped with their path.
  if (index >= m_image.U16(list + 6)) return false;
  const uint64_t p = list + 8 + uint64_t{index} * 12;
  lon = UnpackLongitude(m_image.U32(p + 4));
  lat = UnpackLatitude(m_image.U32(p + 8));
  return true;
}

void SectionBglParser::ScanGroundBand(uint64_t firstSub, uint64_t end, AirportScan& a) {
  uint64_t points = 0;
  for (uint64_t sub = firstSub; sub + kBglRecordHeadSize <= end; sub += RecordSize(sub)) {
    const uint16_t id = m_image.U16(sub);
    if (id == kBglTaxiPoints) {
      points = sub;
    } else if (id == kBglTaxiPaths && points != 0) {
      const uint32_t count = m_image.U16(sub + 6);
      for (uint32_t i = 0; i < count; ++i) {
        const uint64_t path = sub + 8 + uint64_t{i} * 20;
        const uint32_t w0 = m_image.U32(path);
        if ((m_image.U32(path + 4) & 0xF) != 1) continue;
        double la, lo, lb, lob;
        if (!TaxiPoint(points, w0 & 0xFFF, la, lo) || !TaxiPoint(points, (w0 >> 16) & 0xFFF, lb, lob)) {
          continue;
        }
        a.bandMin = std::min({a.bandMin, la, lb});
        a.bandMax = std::max({a.bandMax, la, lb});
        a.pendingGroup = true;
      }
    } else if (id == kBglOutline) {
      const uint32_t count = m_image.U16(sub + 7);
      for (uint32_t i = 0; i < count; ++i) {
        const double lat = UnpackLatitude(m_image.U32(sub + 9 + uint64_t{i} * 8 + 4));
        a.bandMin = std::min(a.bandMin, lat);
        a.bandMax = std::max(a.bandMax, lat);
      }
      a.pendingGroup = true;
    }
  }
}

void SectionBglParser::OpenAirportGroup(AirportScan& a) {
  if (!a.pendingGroup) return;
  AddObjectGroup(static_cast<float>(a.bandMin), static_cast<float>(a.bandMax));
  a.pendingGroup = false;
}

void SectionBglParser::ReadAirportRunway(uint64_t sub, AirportScan& a) {
  const uint32_t lengthFt = ParseRunway(sub);
  const double lengthM = lengthFt / kFeetPerMetre;
  if ((a.header & 0x7F) * 100.0 < lengthM) {
    a.header = static_cast<uint8_t>((a.header & kAirportFacilityData) | (Trunc(lengthM / 100.0) & 0x7F));
  }
}

void SectionBglParser::ReadAirportStart(uint64_t sub, AirportScan& a) {
  if ((m_image.U8(sub + 7) >> 4) != 3) return;
  const uint32_t number = m_image.U8(sub + 6);
  const double lon = UnpackLongitude(m_image.U32(sub + 8));
  const double lat = UnpackLatitude(m_image.U32(sub + 12));
  AddParking(a.parkings, lat, lon,
             HeadingByte(m_image.F32(sub + 20)) | (kParkingNameHelipad << 8) | ((number & 0x1FFF) << 14) |
                 (kParkingTypeOfStart << 27));
}

void SectionBglParser::ReadAirportFrequency(uint64_t sub, AirportScan& a) {
  const uint32_t type = m_image.U16(sub + 6);
  const uint32_t raw = m_image.U32(sub + 8);
  const double mhz = std::floor((raw >> 12) * 4096.0 / 1000000.0 * 1000.0 + 0.5) / 1000.0;
  if (type < 1 || type > 13) return;
  if (a.frequencies.size() < static_cast<size_t>(kAirportMaxFrequencies)) {
    FrequencyEntry f;
    f.type = static_cast<uint16_t>(1u << (type - 1));
    f.frequency = static_cast<float>(mhz);
    a.frequencies.push_back(f);
  }
  if (type == 1 && mhz >= 118.0 && mhz < 137.0) {
    ComRecord com;
    com.type = 0x8001;
    com.frequency = static_cast<float>(mhz);
    AddComPoint(m_db, a.refLat, a.refLon, 45.0, com);
  }
}

void SectionBglParser::ReadAirportParking(uint64_t sub, AirportScan& a) {
  const uint32_t count = m_image.U16(sub + 6);
  uint64_t at = sub + 8;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t w0 = m_image.U32(at);
    const double lon = UnpackLongitude(m_image.U32(at + 12));
    const double lat = UnpackLatitude(m_image.U32(at + 16));
    AddParking(a.parkings, lat, lon,
               HeadingByte(m_image.F32(at + 8)) | ((w0 & 0x3F) << 8) | (((w0 >> 12) & 0xFFF) << 14) |
                   (((w0 >> 8) & 0xF) << 27));
    at += 20 + 4 * uint64_t{w0 >> 24};
  }
}

void SectionBglParser::ReadTaxiPaths(uint64_t sub, AirportScan& a) {
  if (a.taxiPoints == 0) return;
  const uint32_t count = m_image.U16(sub + 6);
  int64_t previousEnd = -1;
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t path = sub + 8 + uint64_t{i} * 20;
    const uint32_t w0 = m_image.U32(path);
    if ((m_image.U32(path + 4) & 0xF) != 1) continue;
    const uint32_t start = w0 & 0xFFF;
    const uint32_t stop = (w0 >> 16) & 0xFFF;
    double la, lo, lb, lob;
    if (!TaxiPoint(a.taxiPoints, start, la, lo) || !TaxiPoint(a.taxiPoints, stop, lb, lob)) continue;
    OpenAirportGroup(a);
    if (static_cast<int64_t>(start) != previousEnd) {
      AddObject(kObjectTaxiLine, a.refLat, a.refLon, kAirportLayer);
      AddVertex(a.refLat, a.refLon, la, lo);
    }
    AddVertex(a.refLat, a.refLon, lb, lob);
    previousEnd = stop;
  }
}

void SectionBglParser::ReadAirportOutline(uint64_t sub, AirportScan& a) {
  OpenAirportGroup(a);
  AddObject(kObjectOutline, a.refLat, a.refLon, kAirportLayer);
  const uint32_t count = m_image.U16(sub + 7);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t v = sub + 9 + uint64_t{i} * 8;
    AddVertex(a.refLat, a.refLon, UnpackLatitude(m_image.U32(v + 4)), UnpackLongitude(m_image.U32(v)));
  }
}

void SectionBglParser::AddAirportPoint(const AirportScan& a) {
  AirportRecord airport;
  airport.size = a.header;
  airport.altitude = a.altitude;
  airport.regionText = a.names[CBglNameList::kRegion];
  airport.countryText = a.names[CBglNameList::kCountry];
  airport.stateText = a.names[CBglNameList::kState];
  airport.cityText = a.names[CBglNameList::kCity];
  airport.nameText = a.nameText;
  std::memcpy(airport.ident, a.ident, sizeof airport.ident);
  airport.SetCounts(static_cast<int>(a.frequencies.size()), static_cast<int>(a.parkings.size()));
  std::vector<uint8_t> payload;
  payload.reserve(airport.PayloadSize());
  AppendBytes(payload, airport);
  for (const FrequencyEntry& f : a.frequencies) AppendBytes(payload, f);
  for (const ParkingEntry& p : a.parkings) AppendBytes(payload, p);
  NavPoint point(a.refLat, a.refLon, kKindAirport, 1);
  m_db.AddPoint(a.refLat, a.refLon, point, payload.data());
}

uint32_t SectionBglParser::ParseRunway(uint64_t sub) {
  const uint8_t surface = kSurfaceByCode[m_image.U16(sub + 6) & 0x1F];
  const uint8_t numbers[2] = {m_image.U8(sub + 8), m_image.U8(sub + 10)};
  const uint8_t designators[2] = {m_image.U8(sub + 9), m_image.U8(sub + 11)};
  const double lonC = UnpackLongitude(m_image.U32(sub + 20));
  const double latC = UnpackLatitude(m_image.U32(sub + 24));
  const int16_t altitude = ClampI16(Round(m_image.I32(sub + 28) * 0.001));
  const uint16_t lengthFt =
      static_cast<uint16_t>(Round(m_image.F32(sub + 32) * kSectionRunwayFeetPerMetre) & 0xFFFF);
  const uint16_t widthFt =
      static_cast<uint16_t>(Round(m_image.F32(sub + 36) * kSectionRunwayFeetPerMetre) & 0xFFFF);
  const uint16_t heading =
      static_cast<uint16_t>(Round(DegreesToBinaryAngle(m_image.F32(sub + 40))) & 0xFFFF);

  double d = lengthFt / kSectionRunwayFeetPerMetre;
  if (d > 300) d -= 60;
  const double h = BinaryAngleToDegrees(heading) * kDegToRad;
  const double dN = std::cos(h) * d;
  const double dE = std::sin(h) * d;
  const double dLat = dN / kMetresPerDegreeTimesTwo;
  double dLon = dE / (std::cos(latC * kDegToRad) * kMetresPerDegreeTimesTwo);
  if (!std::isfinite(dLon)) dLon = 0;  // a runway on a pole has no east-west extent
  const double ends[2][2] = {{latC - dLat, Wrap180(lonC - dLon)}, {latC + dLat, Wrap180(lonC + dLon)}};

  for (int e = 0; e < 2; ++e) {
    RunwayRecord runway;
    runway.ilsWord = kRunwayNoIlsLayer24;
    runway.altitude = altitude;
    runway.heading = static_cast<uint16_t>(heading + (e == 0 ? 0 : kBinaryAngleHalfTurn));
    runway.width = static_cast<int16_t>(widthFt);
    runway.length = lengthFt;
    runway.surface = surface;
    static constexpr const char* kCompass[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    static constexpr char kLetters[] = {'\0', 'L', 'R', 'C', 'W'};
    char text[16] = {};
    // Numbers past the compass forms and unknown letters are outside the format: no designator.
    if (designators[e] <= 4 && numbers[e] <= 44) {
      const char letter = kLetters[designators[e]];
      if (numbers[e] <= 36) {
        std::snprintf(text, sizeof text, "%u%c", static_cast<unsigned>(numbers[e]), letter);
      } else {
        std::snprintf(text, sizeof text, "%s%c", kCompass[numbers[e] - 37], letter);
      }
    }
    std::memcpy(runway.designator, text, sizeof runway.designator);
    NavPoint point(ends[e][0], ends[e][1], kKindRunway, 1);
    m_db.AddPoint(latC, lonC, point, &runway);
  }
  return lengthFt;
}

uint64_t SectionBglParser::ParseVorIls(uint64_t record) {
  const uint64_t end = record + RecordSize(record);
  const uint8_t type = m_image.U8(record + 6);
  if (type == 0 || type > 5) return end;
  const uint8_t rawFlags = m_image.U8(record + 7) & 0x1F;
  const double lon = UnpackLongitude(m_image.U32(record + 8));
  const double lat = UnpackLatitude(m_image.U32(record + 12));
  const int16_t altitude = ClampI16(Round(m_image.I32(record + 16) * 0.001));
  const double mhz =
      std::floor((m_image.U32(record + 20) >> 12) * 4096.0 / 1000000.0 * 20.0 + 0.5) / 20.0;
  const uint8_t range = static_cast<uint8_t>(Round(m_image.F32(record + 24) / 2048.0) & 0xFF);
  const float variation = m_image.F32(record + 28);
  char ident[6];
  UnpackIdent(ident, m_image.U32(record + 32));
  const uint64_t firstSub = record + 40;

  if (type != 4) {
    uint8_t flags;
    switch (rawFlags) {
      case 1: flags = 0; break;
      case 16: flags = 9; break;
      case 17: flags = 1; break;
      default: return end;
    }
    VorRecord vor;
    vor.altitude = altitude;
    vor.frequency = static_cast<float>(mhz);
    vor.declination = static_cast<int16_t>(static_cast<uint16_t>(Round(DegreesToBinaryAngle(variation)) & 0xFFFF));
    vor.range = range;
    vor.flags = flags;
    vor.nameText = FirstNameSubRecord(record, firstSub);
    std::memcpy(vor.ident, ident, sizeof vor.ident);
    NavPoint point(lat, lon, kKindVor, 1);
    m_db.AddPoint(lat, lon, point, &vor);
    return end;
  }

  uint8_t flags;
  switch (rawFlags & ~4u) {
    case 1: flags = 0x80; break;
    case 9: flags = 0xC0; break;
    case 17: flags = 0x81; break;
    case 25: flags = 0xC1; break;
    default: return end;
  }
  uint16_t course = 0;
  int16_t glideSlope = 0;
  double gsLat = lat, gsLon = lon, dmeLat = lat, dmeLon = lon;
  for (uint64_t sub = firstSub; sub + kBglRecordHeadSize <= end; sub += RecordSize(sub)) {
    switch (m_image.U16(sub)) {
      case kBglLocalizer:
        course = static_cast<uint16_t>(Round(DegreesToBinaryAngle(m_image.F32(sub + 8))) & 0xFFFF);
        break;
      case kBglGlideSlope:
        gsLon = UnpackLongitude(m_image.U32(sub + 8));
        gsLat = UnpackLatitude(m_image.U32(sub + 12));
        glideSlope = static_cast<int16_t>(
            static_cast<uint16_t>(Trunc(std::sin(m_image.F32(sub + 24) * kDegToRad) * 2 * 65536) & 0xFFFF));
        break;
      case kBglDme:
        dmeLon = UnpackLongitude(m_image.U32(sub + 8));
        dmeLat = UnpackLatitude(m_image.U32(sub + 12));
        break;
      default:
        break;
    }
  }
  const uint16_t backCourse = static_cast<uint16_t>(course + kBinaryAngleHalfTurn);
  double pLat = lat, pLon = lon;
  const double gsDistance = GreatCircleDistance(lat, lon, gsLat, gsLon);
  const double dmeDistance = GreatCircleDistance(lat, lon, dmeLat, dmeLon);
  const double backCourseDeg = BinaryAngleToDegrees(backCourse);
  if (gsDistance >= kIlsSeparationMetres) {
    DestinationPoint(pLat, pLon, lat, lon, backCourseDeg, gsDistance);
  } else if (dmeDistance >= kIlsSeparationMetres) {
    DestinationPoint(pLat, pLon, lat, lon, backCourseDeg, dmeDistance);
  }
  IlsRecord ils;
  ils.altitude = altitude;
  ils.frequency = static_cast<float>(mhz);
  ils.course = course;
  ils.glideSlope = glideSlope;
  ils.range = range;
  ils.flags = flags;
  std::memcpy(ils.ident, ident, sizeof ils.ident);
  NavPoint front(pLat, pLon, kKindIls, 1);
  m_db.AddPoint(pLat, pLon, front, &ils);
  ils.course = backCourse;
  ils.glideSlope = -1;
  NavPoint back(lat, lon, kKindIls, 0);
  m_db.AddPoint(pLat, pLon, back, &ils);
  return end;
}

uint64_t SectionBglParser::ParseNdb(uint64_t record) {
  const uint64_t end = record + RecordSize(record);
  if (m_image.U16(record + 6) > 3) return end;
  NdbRecord ndb;
  ndb.frequency = static_cast<float>(
      std::floor((m_image.U32(record + 8) >> 4) * 16.0 / 1000.0 * 2.0 + 0.5) / 2.0);
  const double lon = UnpackLongitude(m_image.U32(record + 12));
  const double lat = UnpackLatitude(m_image.U32(record + 16));
  ndb.altitude = ClampI16(Round(m_image.I32(record + 20) * 0.001));
  ndb.range = static_cast<uint8_t>(Round(m_image.F32(record + 24) / 2048.0) & 0xFF);
  char ident[6];
  UnpackIdent(ident, m_image.U32(record + 32));
  std::memcpy(ndb.ident, ident, sizeof ndb.ident);
  ndb.nameText = FirstNameSubRecord(record, record + 40);
  NavPoint point(lat, lon, kKindNdb, 1);
  m_db.AddPoint(lat, lon, point, &ndb);
  return end;
}

uint64_t SectionBglParser::ParseMarker(uint64_t record) {
  const uint64_t end = record + RecordSize(record);
  const uint8_t headingByte = m_image.U8(record + 6);
  const uint8_t type = m_image.U8(record + 7);
  const double lon = UnpackLongitude(m_image.U32(record + 8));
  const double lat = UnpackLatitude(m_image.U32(record + 12));
  MarkerRecord marker;
  marker.altitude = ClampI16(Trunc(m_image.I32(record + 16) * 0.001));
  double turn = 0.5;
  switch (type) {
    case 0: marker.type = 2; break;
    case 1: marker.type = 1; break;
    case 2: marker.type = 0; break;
    case 3: marker.type = 0; turn = 180.5; break;
    default: return end;
  }
  marker.heading = static_cast<int16_t>(Trunc(std::fmod(headingByte * 360.0 / 256.0 + turn, 360.0)));
  NavPoint point(lat, lon, kKindMarker, 1);
  m_db.AddPoint(lat, lon, point, &marker);
  return end;
}

void SectionBglParser::ParseSceneryObject(uint64_t record) {
  const double lon = UnpackLongitude(m_image.U32(record + 4));
  const double lat = UnpackLatitude(m_image.U32(record + 8));
  if (m_image.U16(record + 28) != 0) return;
  AddObjectGroup(static_cast<float>(lat), static_cast<float>(lat));
  AddObject(kObjectFuel, lat, lon, 255);
}

void ParseSectionBglImage(CSceneryDatabase& db, const uint8_t* image, uint64_t size) {
  const BglImage view(image, size);
  SectionBglParser(db, view).Parse();
}

void FileEntry::ParseSectionBgl(BglFileRecord&, CSceneryDatabase& db, const uint8_t* image,
                                uint32_t imageSize) const {
  ParseSectionBglImage(db, image, imageSize);
}
