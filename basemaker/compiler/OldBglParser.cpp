#include "basemaker/compiler/OldBglParser.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "basemaker/compiler/FacilityData.h"
#include "basemaker/compiler/FileEntry.h"
#include "basemaker/compiler/SceneryCommandInterpreter.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

constexpr uint8_t kNdbItem = 4;
constexpr uint32_t kNdbItemSize = 42;
constexpr uint8_t kVorItem = 4;
constexpr uint8_t kIlsItem = 5;
constexpr uint8_t kLocalizerItem = 6;
constexpr uint32_t kVorItemSize = 44;
constexpr uint32_t kIlsItemSize = 54;
constexpr uint32_t kLocalizerItemSize = 56;
constexpr uint8_t kVorEntryMark = 1;
constexpr uint32_t kVorEntrySize = 5;
constexpr double kVorBaseMhz = 108.0;
constexpr double kVorStepMhz = 0.05;

constexpr uint8_t kDmeFlag = 0x01;
constexpr uint8_t kGlideSlopeFlag = 0x40;  // localizer items with a glide slope angle
constexpr uint8_t kIlsGlideSlopePlaced = 0x20;
constexpr uint32_t kDmeExtensionSize = 17;
constexpr uint8_t kDmeExtensionType = 20;
constexpr uint16_t kDmeExtensionMagic = 0x1234;
constexpr uint16_t kDmeExtensionVersion = 1;
// Glide slope or DME antennas closer than this to the localizer do not say where the runway
// threshold lies.
constexpr double kIlsSeparationMetres = 10.0;

constexpr uint8_t kAtisItem = 4;
constexpr uint32_t kAtisItemMin = 16;
constexpr double kAtisCourse = 45.0;

constexpr uint8_t kLabelOuter = 1;
constexpr uint32_t kLabelOuterMin = 8;
constexpr uint8_t kLabelInner = 3;
constexpr uint32_t kLabelInnerMin = 28;
constexpr uint32_t kLabelTextAt = 27;
constexpr size_t kNameMax = 100;
// Airport size byte of an airport found only by its label: 2500 m, no facility data.
constexpr uint8_t kLabelAirportByte = 25;

constexpr uint8_t kMarkerOuter = 6;
constexpr uint8_t kMarkerMiddle = 5;
constexpr uint8_t kMarkerInner = 4;
constexpr uint8_t kMarkerAirportLabel = 7;
constexpr uint8_t kMarkerSkipped = 100;
constexpr uint8_t kMarkerSceneryBlock = 101;
constexpr uint8_t kMarkerLongSkipped = 230;
constexpr size_t kMarkerLabelMax = 100;

constexpr uint8_t kExcludeBoxRecord = 3;
constexpr uint32_t kExcludeBoxSize = 19;
constexpr uint8_t kExcludeOtherRecord = 4;
constexpr uint32_t kExcludeOtherSize = 13;

constexpr uint32_t kCommandTableEntrySize = 20;

constexpr const char* kLabelWords[] = {
    "(created with Scenery MAKER)", "Airport", "airport", "Runway", "runway", "Hold Short",
    "Rway", "RWAY", "rwy", "Rwy", "RWY", "Ramp", "RAMP", "Parked", "Parking", "parking",
    "Fuel", "fuel", "Terminal", "terminal", " at ", " in ",
};
constexpr const char* kMarkerLabelWords[] = {"Runway", "runway", "Rway", "RWAY", "rwy", "Rwy", "RWY"};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Ident and name texts of the navaid items: blanks trimmed, idents in capitals, a blank name
// replaced by the ident.
std::string Trimmed(std::string_view text) {
  std::string s(text);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string IdentAt(const OldBglView& image, uint64_t at) {
  std::string ident = Trimmed(image.Text(at, 5, at + 5));
  for (char& c : ident) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return ident;
}

std::string NameAt(const OldBglView& image, uint64_t at, const std::string& ident) {
  std::string name = Trimmed(image.Text(at, 24, at + 24));
  return name.empty() ? ident : name;
}

uint8_t NdbRange(uint8_t rangeClass) {
  switch (rangeClass) {
    case 1: return 20;
    case 2: return 34;
    case 3: return 45;
    case 4: return 68;
    default: return rangeClass;
  }
}

uint8_t VorRange(uint8_t rangeClass) {
  switch (rangeClass) {
    case 22: return 33;
    case 36: return 54;
    case 85: return 176;
    default: return rangeClass;
  }
}

}  // namespace

std::string AirportNameFromLabel(std::string_view label, bool labelSection) {
  std::string_view name = label;
  auto cutAtFirstWord = [&](const auto& words) {
    for (const char* word : words) {
      const size_t at = label.find(word);
      // A word at the very start is the name itself ("Airport Road"), not a suffix.
      if (at != std::string_view::npos && at >= 1) {
        name = label.substr(0, at);
        return;
      }
    }
  };
  if (labelSection) {
    cutAtFirstWord(kLabelWords);
  } else {
    cutAtFirstWord(kMarkerLabelWords);
  }
  std::string s(name);
  auto trimSpace = [&s] {
    while (!s.empty() && IsSpace(s.back())) s.pop_back();
  };
  trimSpace();
  if (labelSection) {
    while (!s.empty() && s.back() == '-') s.pop_back();
    trimSpace();
  }
  return s;
}

uint64_t OldBglParser::Section(uint32_t field) const {
  const uint32_t offset = m_image.U32(field);
  return (offset != 0 && offset < m_image.Size()) ? offset : 0;
}

template <class F>
void OldBglParser::ForEachGroup(uint64_t section, uint64_t groups, WalkedLists& walked, bool byBand,
                                F f) {
  for (uint64_t g = groups; m_image.Holds(g, kOldGroupSize) && m_image.U8(g) == kOldGroupType;
       g += kOldGroupSize) {
    const uint64_t items = section + m_image.U32(g + 5);
    // Two groups naming one item list would add its points twice over; a hostile file could
    // multiply a list that way. Command lists become object groups of their group's band, so
    // a list shared by groups of two bands is walked once for each.
    const uint32_t band = byBand ? m_image.U32(g + 1) : 0;
    if (!walked.insert({items, band}).second) continue;
    f(g, items);
  }
}

void OldBglParser::Parse() {
  if (m_image.Size() >= kOldExtendedHeaderSize &&
      m_image.U32(kOldExtensionMarkField) == kOldExtensionMark) {
    FacilityDataReader(m_db, m_image).ParseFacilityData();
  }
  if (const uint64_t s = Section(kOldNdbSectionField)) ParseNdbs(s);
  if (const uint64_t s = Section(kOldVorIlsSectionField)) ParseVorIls(s);
  if (const uint64_t s = Section(kOldAtisSectionField)) ParseAtis(s);
  if (const uint64_t s = Section(kOldLabelSectionField)) ParseLabels(s);
  if (const uint64_t s = Section(kOldMarkerSectionField)) ParseMarkers(s);
  if (const uint64_t s = Section(kOldCommandSectionAField)) ParseCommandsByGroup(s);
  if (const uint64_t s = Section(kOldCommandSectionBField)) ParseCommandsByTable(s);
  if (const uint64_t s = Section(kOldMagVarSectionField)) ParseMagVar(s);
  if (const uint64_t s = Section(kOldExclusionSectionField)) ParseExclusions(s);
}

void OldBglParser::ParseNdbs(uint64_t section) {
  WalkedLists walked;
  ForEachGroup(section, section, walked, false, [&](uint64_t, uint64_t item) {
    for (; m_image.Holds(item, kNdbItemSize) && m_image.U8(item) == kNdbItem; item += kNdbItemSize) {
      const uint8_t digits = m_image.U8(item + 3);
      const uint32_t word = (static_cast<uint32_t>(digits >> 4) << 16) |
                            (static_cast<uint32_t>(m_image.U16(item + 1)) << 4) | (digits & 0x0F);
      const double khz = DecodeBcd8(word) * 0.1;
      if (khz == 0) continue;
      const std::string ident = IdentAt(m_image, item + 13);
      const std::string name = NameAt(m_image, item + 18, ident);
      const double lat = m_image.Lat24(item + 4);
      const double lon = m_image.Lon24(item + 7);
      NdbRecord ndb;
      ndb.altitude = m_image.I16(item + 10);
      ndb.frequency = static_cast<float>(khz);
      ndb.range = NdbRange(m_image.U8(item + 12));
      ndb.nameText = m_db.AddString(name);
      SetFixedText(ndb.ident, sizeof ndb.ident, ident);
      NavPoint point(lat, lon, kKindNdb, 1);
      m_db.AddPoint(lat, lon, point, &ndb);
    }
  });
}

void OldBglParser::ParseVorIls(uint64_t section) {
  const int low = m_image.U16(kOldVorIlsLowIndexField);
  const int high = m_image.U16(kOldVorIlsHighIndexField);
  WalkedLists walked;
  std::unordered_set<uint64_t> groupLists;
  for (int i = high - low; i >= 0; --i) {
    const uint64_t entry = section + static_cast<uint64_t>(i) * kVorEntrySize;
    if (!m_image.Holds(entry, kVorEntrySize) || m_image.U8(entry) != kVorEntryMark) return;
    const uint32_t offset = m_image.U32(entry + 1);
    if (offset == 0) continue;
    if (!groupLists.insert(section + offset).second) continue;
    const float mhz = static_cast<float>((low + i) * kVorStepMhz + kVorBaseMhz);
    ForEachGroup(section, section + offset, walked, false, [&](uint64_t, uint64_t item) {
      while (item != 0) item = ParseVorIlsItem(item, mhz);
    });
  }
}

uint64_t OldBglParser::ParseVorIlsItem(uint64_t item, float mhz) {
  const uint8_t type = m_image.U8(item);
  const uint32_t base = type == kVorItem ? kVorItemSize
                        : type == kIlsItem ? kIlsItemSize
                        : type == kLocalizerItem ? kLocalizerItemSize
                                                 : 0;
  if (base == 0 || !m_image.Holds(item, base)) return 0;

  const uint8_t flags = m_image.U8(item + 4);
  const uint64_t ext = item + base;
  const bool dme = (flags & kDmeFlag) != 0 && m_image.Holds(ext, kDmeExtensionSize) &&
                   m_image.U8(ext) == kDmeExtensionType &&
                   m_image.U16(ext + 5) == kDmeExtensionMagic &&
                   m_image.U16(ext + 7) == kDmeExtensionVersion;
  const uint64_t next = ext + (dme ? kDmeExtensionSize : 0);

  const uint8_t rangeClass = m_image.U8(item + 1);
  const double lat = m_image.Lat24(item + 5);
  const double lon = m_image.Lon24(item + 8);
  const std::string ident = IdentAt(m_image, item + 15);

  if (type == kVorItem) {
    VorRecord vor;
    vor.altitude = m_image.I16(item + 11);
    vor.frequency = mhz;
    vor.declination = m_image.I16(item + 2);
    vor.range = VorRange(rangeClass);
    vor.flags = flags;
    vor.nameText = m_db.AddString(NameAt(m_image, item + 20, ident));
    SetFixedText(vor.ident, sizeof vor.ident, ident);
    NavPoint point(lat, lon, kKindVor, 1);
    m_db.AddPoint(lat, lon, point, &vor);
    return next;
  }

  const uint16_t course = m_image.U16(item + 13);
  const double reciprocal = BinaryAngleToDegrees(static_cast<uint16_t>(course + kBinaryAngleHalfTurn));
  const bool hasGlideSlopePosition =
      m_image.Packed24NonZero(item + 44) && m_image.Packed24NonZero(item + 47);
  const double gsLat = m_image.Lat24(item + 44);
  const double gsLon = m_image.Lon24(item + 47);

  IlsRecord ils;
  ils.frequency = mhz;
  ils.range = rangeClass;
  ils.flags = flags;
  SetFixedText(ils.ident, sizeof ils.ident, ident);
  double pLat = lat;
  double pLon = lon;
  if (type == kIlsItem) {
    if (!hasGlideSlopePosition) return next;
    ils.flags |= kIlsGlideSlopePlaced;
    ils.altitude = m_image.I16(item + 50);
    ils.glideSlope = m_image.I16(item + 52);
    DestinationPoint(pLat, pLon, lat, lon, reciprocal, GreatCircleDistance(lat, lon, gsLat, gsLon));
  } else {
    if (ils.range == 16) ils.range = 24;
    ils.altitude = m_image.I16(item + 11);
    ils.glideSlope = (flags & kGlideSlopeFlag) != 0 ? m_image.I16(item + 52) : 0;
    const double rLat = hasGlideSlopePosition ? gsLat : lat;
    const double rLon = hasGlideSlopePosition ? gsLon : lon;
    pLat = rLat;
    pLon = rLon;
    const double d = GreatCircleDistance(lat, lon, rLat, rLon);
    if (d >= kIlsSeparationMetres) {
      DestinationPoint(pLat, pLon, lat, lon, reciprocal, d);
    } else if (dme) {
      const double d2 =
          GreatCircleDistance(lat, lon, m_image.Lat24(ext + 9), m_image.Lon24(ext + 12));
      if (d2 >= kIlsSeparationMetres) DestinationPoint(pLat, pLon, lat, lon, reciprocal, d2);
    }
  }
  ils.course = course;
  NavPoint front(pLat, pLon, kKindIls, 1);
  m_db.AddPoint(pLat, pLon, front, &ils);
  ils.course = static_cast<uint16_t>(course - kBinaryAngleHalfTurn);
  ils.glideSlope = -1;
  NavPoint back(lat, lon, kKindIls, 0);
  m_db.AddPoint(pLat, pLon, back, &ils);
  return next;
}

void OldBglParser::ParseAtis(uint64_t section) {
  WalkedLists walked;
  ForEachGroup(section, section, walked, false, [&](uint64_t, uint64_t item) {
    while (m_image.Holds(item, kAtisItemMin) && m_image.U8(item) == kAtisItem) {
      const uint16_t digits = m_image.U16(item + 1);
      const double mhz = DecodeBcd8(digits) * 0.01 + 100.0;
      const float f = static_cast<float>(mhz);
      if (IsComChannel(f, digits & 0x0F)) {
        ComRecord com;
        com.type = kComAtis;
        com.frequency = f;
        com.range = m_image.U8(item + 9);
        std::memcpy(com.runways, m_image.Data() + item + 12, sizeof com.runways);
        AddComPoint(m_db, m_image.Lat24(item + 3), m_image.Lon24(item + 6), kAtisCourse, com);
      }
      const uint16_t length = m_image.U16(item + 10);
      if (length == 0) break;
      item += length;
    }
  });
}

void OldBglParser::AddLabelAirport(double lat, double lon, int16_t altitude,
                                   std::string_view label, bool labelSection) {
  const std::string name = AirportNameFromLabel(label, labelSection);
  if (name.empty()) return;
  AirportRecord airport;
  airport.size = kLabelAirportByte;
  airport.altitude = altitude;
  airport.nameText = m_db.AddString(std::string_view(name).substr(0, kNameMax));
  NavPoint point(lat, lon, kKindAirport, 1);
  m_db.AddPoint(lat, lon, point, &airport);
}

void OldBglParser::ParseLabels(uint64_t section) {
  std::unordered_set<uint64_t> walked;
  uint64_t outer = section;
  while (m_image.Holds(outer, kLabelOuterMin) && m_image.U8(outer) == kLabelOuter) {
    uint64_t inner = section + m_image.U32(outer + 3);
    if (walked.insert(inner).second) {
      while (m_image.Holds(inner, kLabelInnerMin) && m_image.U8(inner) == kLabelInner) {
        const uint16_t length = m_image.U16(inner + 1);
        const double lat = (m_image.I32(inner + 3) >> 7) * kBglMetresToDegrees;
        const double lon = m_image.I32(inner + 7) * kBglAngleToDegrees;
        const int16_t altitude = SaturateI16(m_image.I32(inner + 11) / 256);
        // The label ends at its NUL or at the end of its record, whichever comes first.
        const std::string_view text =
            m_image.Text(inner + kLabelTextAt, UINT64_MAX, inner + length);
        AddLabelAirport(lat, lon, altitude, text, true);
        if (length == 0) break;
        inner += length;
      }
    }
    const uint16_t length = m_image.U16(outer + 1);
    if (length == 0) break;
    outer += length;
  }
}

void OldBglParser::ParseMarkers(uint64_t section) {
  WalkedLists walked;
  ForEachGroup(section, section, walked, false, [&](uint64_t, uint64_t item) {
    while (m_image.Holds(item, 2)) {
      const uint8_t type = m_image.U8(item);
      uint64_t end = 0;
      switch (type) {
        case kMarkerInner: case kMarkerMiddle: case kMarkerOuter: case kMarkerAirportLabel:
        case kMarkerSkipped: case kMarkerSceneryBlock:
          end = item + m_image.U8(item + 1);
          break;
        case kMarkerLongSkipped:
          if (m_image.Holds(item, 6) && m_image.I32(item + 2) > 0) end = item + m_image.I32(item + 2);
          break;
        default:
          break;
      }
      if (end <= item || end > m_image.Size()) return;
      const uint64_t length = end - item;
      if ((type == kMarkerInner || type == kMarkerMiddle || type == kMarkerOuter) && length >= 11) {
        MarkerRecord marker;
        marker.type = type == kMarkerInner ? 2 : type == kMarkerMiddle ? 1 : 0;
        marker.altitude = m_image.I16(item + 8);
        marker.heading = static_cast<int16_t>(m_image.U8(item + 10) * 360 / 256);
        const double lat = m_image.Lat24(item + 2);
        const double lon = m_image.Lon24(item + 5);
        NavPoint point(lat, lon, kKindMarker, 1);
        m_db.AddPoint(lat, lon, point, &marker);
      } else if (type == kMarkerAirportLabel && length >= 11) {
        AddLabelAirport(m_image.Lat24(item + 2), m_image.Lon24(item + 5), m_image.I16(item + 9),
                        m_image.Text(item + 22, kMarkerLabelMax, end), false);
      } else if (type == kMarkerSceneryBlock && length >= 14) {
        const double lat1 = m_image.Lat24(item + 2);
        const double lat2 = m_image.Lat24(item + 5);
        const double lon1 = m_image.Lon24(item + 8);
        const double lon2 = m_image.Lon24(item + 11);
        uint8_t newGroup = 1;
        InterpretSceneryCommands(m_db, newGroup, lat2, lat1, (lat1 + lat2) / 2, (lon1 + lon2) / 2,
                                 m_image.Data() + item + 14, m_image.Data() + end);
      }
      item = end;
    }
  });
}

void OldBglParser::ParseCommandsByGroup(uint64_t section) {
  WalkedLists walked;
  ForEachGroup(section, section, walked, true, [&](uint64_t group, uint64_t item) {
    uint8_t newGroup = 1;
    const double bandFirst = m_image.I16(group + 1) * kOldBandUnitMetres * kBglMetresToDegrees;
    const double bandSecond = m_image.I16(group + 3) * kOldBandUnitMetres * kBglMetresToDegrees;
    for (;;) {
      const uint8_t type = m_image.U8(item);
      uint32_t header = 0;
      int64_t length = 0;
      if (type == 4 || type == 7 || type == 10) {
        header = 11;
        if (!m_image.Holds(item, 13)) return;
        length = m_image.U8(item + 10);
      } else if (type == 5 || type == 8 || type == 11) {
        header = 12;
        if (!m_image.Holds(item, 14)) return;
        length = m_image.U16(item + 10);
      } else if (type == 6 || type == 9 || type == 12) {
        header = 14;
        if (!m_image.Holds(item, 16)) return;
        length = m_image.I32(item + 10);
      } else {
        return;
      }
      // A length shorter than the header would leave no stream and could step backwards.
      if (length < header) return;
      const uint64_t end = std::min<uint64_t>(item + static_cast<uint64_t>(length), m_image.Size());
      const double refLat = m_image.I32(item + 1) * kBglMetresToDegrees;
      const double refLon = m_image.I32(item + 5) * kBglAngleToDegrees;
      InterpretSceneryCommands(m_db, newGroup, bandFirst, bandSecond, refLat, refLon,
                               m_image.Data() + item + header, m_image.Data() + end);
      if (end >= m_image.Size()) return;
      item = end;
    }
  });
}

void OldBglParser::ParseCommandsByTable(uint64_t section) {
  std::unordered_set<uint64_t> walked;
  for (uint64_t entry = section;
       m_image.Holds(entry, kCommandTableEntrySize) && m_image.U32(entry) != 0;
       entry += kCommandTableEntrySize) {
    const uint64_t block = section + m_image.U32(entry);
    int64_t start = 0;
    int64_t length = 0;
    if (m_image.Holds(block, 21) && m_image.I16(block + 19) != 0) {
      start = static_cast<int64_t>(block) + 19;
      length = m_image.U16(block + 17);
    } else if (m_image.Holds(block, 25)) {
      start = static_cast<int64_t>(block) + m_image.I32(block + 17);
      length = m_image.I32(block + 21);
    } else {
      continue;
    }
    // Streams that start outside the file are not read; one that runs past it is cut there.
    if (start < 0 || static_cast<uint64_t>(start) >= m_image.Size() || length <= 0) continue;
    const uint64_t end =
        std::min<uint64_t>(static_cast<uint64_t>(start) + static_cast<uint64_t>(length), m_image.Size());
    if (!walked.insert(static_cast<uint64_t>(start)).second) continue;
    uint8_t newGroup = 1;
    InterpretSceneryCommands(m_db, newGroup, 0, 0, 0, 0, m_image.Data() + start, m_image.Data() + end);
  }
}

void OldBglParser::ParseMagVar(uint64_t section) {
  if (!m_image.Holds(section, kOldMagVarSectionSize)) return;
  auto grid = std::make_unique<MagVarGrid>();
  std::memcpy(grid->value, m_image.Data() + section + kOldMagVarHeadSize, sizeof grid->value);
  m_db.m_magVarGrids.SetAtGrow(m_db.m_magVarGrids.GetSize(), *grid);
  const int areas = m_db.m_areas.GetSize();
  if (areas > 0) ++m_db.m_areas[areas - 1].magVarEnd;
}

void OldBglParser::ParseExclusions(uint64_t section) {
  uint64_t at = section;
  for (;;) {
    const uint8_t type = m_image.Holds(at, 1) ? m_image.U8(at) : 0;
    if (type == kExcludeBoxRecord && m_image.Holds(at, kExcludeBoxSize)) {
      ExcludeBox box;
      box.flags = m_image.U16(at + 1);
      box.latMax = ToFloat(m_image.I32(at + 3) * kBglMetresToDegrees);
      box.latMin = ToFloat(m_image.I32(at + 7) * kBglMetresToDegrees);
      box.lonMax = ToFloat(m_image.I32(at + 11) * kBglAngleToDegrees);
      box.lonMin = ToFloat(m_image.I32(at + 15) * kBglAngleToDegrees);
      m_db.m_excludeBoxes.Add(box);
      const int areas = m_db.m_areas.GetSize();
      if (areas > 0) ++m_db.m_areas[areas - 1].excludeBoxEnd;
      at += kExcludeBoxSize;
    } else if (type == kExcludeOtherRecord && m_image.Holds(at, kExcludeOtherSize)) {
      at += kExcludeOtherSize;
    } else {
      return;
    }
  }
}

void ParseOldBglImage(CSceneryDatabase& db, const uint8_t* image, uint64_t size) {
  OldBglParser(db, image, size).Parse();
}

void FileEntry::ParseOldBgl(BglFileRecord&, CSceneryDatabase& db, const uint8_t* image,
                            uint32_t imageSize) const {
  ParseOldBglImage(db, image, imageSize);
}
