#pragma once

// Test-side writer of section-format scenery files: records are built field by field at the
// offsets the format gives, and the writer lays out header, section table, subsections.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testbgl {

uint32_t PackLatitude(double lat);
uint32_t PackLongitude(double lon);
uint32_t PackIdent(const std::string& ident);

// One record: a fixed part with fields at offsets, then sub-records. The head (id, size) is
// written by Build; `shortHead` gives the u16 size of the object section.
class Record {
 public:
  Record(uint16_t id, size_t fixedSize, bool shortHead = false);
  Record& U8(size_t at, uint8_t v) { return Put(at, &v, 1); }
  Record& U16(size_t at, uint16_t v) { return Put(at, &v, 2); }
  Record& U32(size_t at, uint32_t v) { return Put(at, &v, 4); }
  Record& I32(size_t at, int32_t v) { return Put(at, &v, 4); }
  Record& F32(size_t at, float v) { return Put(at, &v, 4); }
  Record& Lat(size_t at, double lat) { return U32(at, PackLatitude(lat)); }
  Record& Lon(size_t at, double lon) { return U32(at, PackLongitude(lon)); }
  Record& Append(const void* data, size_t size);
  Record& Sub(const Record& sub);
  // Overrides the size written into the head (for broken files).
  Record& ForceSize(uint32_t size) {
    m_forcedSize = size;
    m_hasForcedSize = true;
    return *this;
  }
  std::vector<uint8_t> Build() const;

 private:
  Record& Put(size_t at, const void* v, size_t n);
  uint16_t m_id;
  bool m_shortHead;
  std::vector<uint8_t> m_bytes;
  uint32_t m_forcedSize = 0;
  bool m_hasForcedSize = false;
};

// Field layouts of the records the parser reads.
Record Airport(double lat, double lon, double altitudeM, const std::string& ident);
Record Runway(double lat, double lon, double lengthM, double widthM, double heading,
              uint8_t number, uint8_t designator, uint8_t secondNumber = 0, uint8_t secondDesignator = 0,
              uint16_t surface = 4, double altitudeM = 0);
Record Frequency(uint16_t type, double mhz);
Record NameSub(const std::string& name);
Record TaxiPoints(const std::vector<std::pair<double, double>>& latLon);
Record TaxiPaths(const std::vector<std::pair<int, int>>& startEnd, uint32_t type = 1);
Record Outline(const std::vector<std::pair<double, double>>& latLon);
Record Vor(double lat, double lon, double mhz, const std::string& ident, uint8_t type = 1, uint8_t flags = 17);
Record Ils(double lat, double lon, double mhz, const std::string& ident, float heading, uint8_t flags = 9);
Record Ndb(double lat, double lon, double khz, const std::string& ident);
Record Marker(double lat, double lon, uint8_t type, uint8_t headingByte);
Record SceneryObject(double lat, double lon, uint16_t kind);

struct NameListEntry {
  std::string ident;
  uint32_t region = 0, country = 0, state = 0, city = 0, name = 0;
};
// One section-39 record with five name lists and index entries.
std::vector<uint8_t> NameList(const std::vector<std::string> lists[5],
                              const std::vector<NameListEntry>& entries);

class SectionBglWriter {
 public:
  // Sections appear in the file in the order of their first record.
  void Add(uint32_t section, const std::vector<uint8_t>& record);
  void Add(uint32_t section, const Record& record) { Add(section, record.Build()); }
  std::vector<uint8_t> Build() const;

 private:
  std::vector<std::pair<uint32_t, std::vector<std::vector<uint8_t>>>> m_sections;
};

}  // namespace testbgl
