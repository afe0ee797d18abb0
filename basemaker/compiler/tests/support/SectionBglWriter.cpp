#include "basemaker/compiler/tests/support/SectionBglWriter.h"

#include <cmath>
#include <cstring>

namespace testbgl {

uint32_t PackLatitude(double lat) {
  return static_cast<uint32_t>(std::llround((90.0 - lat) * 536870911.0 / 180.0));
}

uint32_t PackLongitude(double lon) {
  return static_cast<uint32_t>(std::llround((lon + 180.0) * 805306367.0 / 360.0));
}

uint32_t PackIdent(const std::string& ident) {
  static const std::string alphabet = "  0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  uint32_t v = 0;
  for (char c : ident) {
    const size_t i = c == ' ' ? 1 : alphabet.find(c, 2);
    v = v * 38 + static_cast<uint32_t>(i);
  }
  return v << 5;
}

Record::Record(uint16_t id, size_t fixedSize, bool shortHead)
    : m_id(id), m_shortHead(shortHead), m_bytes(fixedSize) {}

Record& Record::Put(size_t at, const void* v, size_t n) {
  if (m_bytes.size() < at + n) m_bytes.resize(at + n);
  std::memcpy(m_bytes.data() + at, v, n);
  return *this;
}

Record& Record::Append(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  m_bytes.insert(m_bytes.end(), p, p + size);
  return *this;
}

Record& Record::Sub(const Record& sub) {
  const std::vector<uint8_t> b = sub.Build();
  return Append(b.data(), b.size());
}

std::vector<uint8_t> Record::Build() const {
  std::vector<uint8_t> out = m_bytes;
  const size_t head = m_shortHead ? 4 : 6;
  if (out.size() < head) out.resize(head);
  std::memcpy(out.data(), &m_id, 2);
  const uint32_t size = m_hasForcedSize ? m_forcedSize : static_cast<uint32_t>(out.size());
  if (m_shortHead) {
    const uint16_t s = static_cast<uint16_t>(size);
    std::memcpy(out.data() + 2, &s, 2);
  } else {
    std::memcpy(out.data() + 2, &size, 4);
  }
  return out;
}

Record Airport(double lat, double lon, double altitudeM, const std::string& ident) {
  Record r(0x3C, 52);
  r.Lon(12, lon).Lat(16, lat).I32(20, static_cast<int32_t>(std::lround(altitudeM * 1000)));
  r.U32(40, PackIdent(ident));
  return r;
}

Record Runway(double lat, double lon, double lengthM, double widthM, double heading, uint8_t number,
              uint8_t designator, uint8_t secondNumber, uint8_t secondDesignator, uint16_t surface,
              double altitudeM) {
  Record r(4, 52);
  r.U16(6, surface).U8(8, number).U8(9, designator).U8(10, secondNumber).U8(11, secondDesignator);
  r.Lon(20, lon).Lat(24, lat).I32(28, static_cast<int32_t>(std::lround(altitudeM * 1000)));
  r.F32(32, static_cast<float>(lengthM)).F32(36, static_cast<float>(widthM)).F32(40, static_cast<float>(heading));
  return r;
}

Record Frequency(uint16_t type, double mhz) {
  Record r(18, 12);
  r.U16(6, type).U32(8, static_cast<uint32_t>(std::llround(mhz * 1000000.0)));
  return r;
}

Record NameSub(const std::string& name) {
  Record r(25, 6);
  return r.Append(name.data(), name.size());
}

Record TaxiPoints(const std::vector<std::pair<double, double>>& latLon) {
  Record r(26, 8);
  r.U16(6, static_cast<uint16_t>(latLon.size()));
  for (size_t i = 0; i < latLon.size(); ++i) {
    r.Lon(8 + i * 12 + 4, latLon[i].second).Lat(8 + i * 12 + 8, latLon[i].first);
  }
  return r;
}

Record TaxiPaths(const std::vector<std::pair<int, int>>& startEnd, uint32_t type) {
  Record r(28, 8);
  r.U16(6, static_cast<uint16_t>(startEnd.size()));
  for (size_t i = 0; i < startEnd.size(); ++i) {
    r.U32(8 + i * 20, static_cast<uint32_t>(startEnd[i].first) | (static_cast<uint32_t>(startEnd[i].second) << 16));
    r.U32(8 + i * 20 + 4, type);
    r.U32(8 + i * 20 + 16, 0);
  }
  return r;
}

Record Outline(const std::vector<std::pair<double, double>>& latLon) {
  Record r(55, 9);
  r.U16(7, static_cast<uint16_t>(latLon.size()));
  for (size_t i = 0; i < latLon.size(); ++i) {
    r.Lon(9 + i * 8, latLon[i].second).Lat(9 + i * 8 + 4, latLon[i].first);
  }
  return r;
}

Record Vor(double lat, double lon, double mhz, const std::string& ident, uint8_t type, uint8_t flags) {
  Record r(0x13, 40);
  r.U8(6, type).U8(7, flags).Lon(8, lon).Lat(12, lat).U32(20, static_cast<uint32_t>(std::llround(mhz * 1e6)));
  r.F32(24, 100000.0f).F32(28, 2.0f).U32(32, PackIdent(ident));
  return r;
}

Record Ils(double lat, double lon, double mhz, const std::string& ident, float heading, uint8_t flags) {
  Record r = Vor(lat, lon, mhz, ident, 4, flags);
  Record loc(20, 12);
  loc.F32(8, heading);
  return r.Sub(loc);
}

Record Ndb(double lat, double lon, double khz, const std::string& ident) {
  Record r(0x17, 40);
  r.U16(6, 1).U32(8, static_cast<uint32_t>(std::llround(khz * 1000))).Lon(12, lon).Lat(16, lat);
  r.F32(24, 40000.0f).U32(32, PackIdent(ident));
  return r;
}

Record Marker(double lat, double lon, uint8_t type, uint8_t headingByte) {
  Record r(0x18, 28);
  r.U8(6, headingByte).U8(7, type).Lon(8, lon).Lat(12, lat).I32(16, 12345);
  return r;
}

Record SceneryObject(double lat, double lon, uint16_t kind) {
  Record r(7, 32, true);
  r.Lon(4, lon).Lat(8, lat).U16(28, kind);
  return r;
}

std::vector<uint8_t> NameList(const std::vector<std::string> lists[5],
                              const std::vector<NameListEntry>& entries) {
  Record r(0x27, 42);
  for (int l = 0; l < 5; ++l) r.U16(6 + 2 * l, static_cast<uint16_t>(lists[l].size()));
  r.U16(16, static_cast<uint16_t>(entries.size()));
  std::vector<uint8_t> body;
  uint32_t at = 42;
  for (int l = 0; l < 5; ++l) {
    r.U32(18 + 4 * l, at);
    std::vector<uint8_t> offsets, texts;
    for (const std::string& s : lists[l]) {
      const uint32_t off = static_cast<uint32_t>(texts.size());
      offsets.insert(offsets.end(), reinterpret_cast<const uint8_t*>(&off),
                     reinterpret_cast<const uint8_t*>(&off) + 4);
      texts.insert(texts.end(), s.begin(), s.end());
      texts.push_back(0);
    }
    r.Append(offsets.data(), offsets.size()).Append(texts.data(), texts.size());
    at += static_cast<uint32_t>(offsets.size() + texts.size());
  }
  r.U32(38, at);
  for (const NameListEntry& e : entries) {
    uint8_t entry[20] = {};
    const uint32_t w0 = e.region | (e.country << 8) | (e.state << 20);
    const uint16_t city = static_cast<uint16_t>(e.city), name = static_cast<uint16_t>(e.name);
    const uint32_t ident = PackIdent(e.ident);
    std::memcpy(entry, &w0, 4);
    std::memcpy(entry + 4, &city, 2);
    std::memcpy(entry + 6, &name, 2);
    std::memcpy(entry + 8, &ident, 4);
    r.Append(entry, sizeof entry);
  }
  return r.Build();
}

void SectionBglWriter::Add(uint32_t section, const std::vector<uint8_t>& record) {
  for (auto& [type, records] : m_sections) {
    if (type == section) {
      records.push_back(record);
      return;
    }
  }
  m_sections.push_back({section, {record}});
}

std::vector<uint8_t> SectionBglWriter::Build() const {
  constexpr uint32_t kHeader = 128;
  std::vector<uint8_t> out(kHeader);
  auto put32 = [&out](size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); };
  const uint16_t format = 0x0201;
  std::memcpy(out.data(), &format, 2);
  put32(4, kHeader);
  put32(20, static_cast<uint32_t>(m_sections.size()));
  const size_t table = out.size();
  out.resize(out.size() + 20 * m_sections.size());
  const size_t subTables = out.size();
  out.resize(out.size() + 16 * m_sections.size());
  for (size_t s = 0; s < m_sections.size(); ++s) {
    put32(table + 20 * s, m_sections[s].first);
    put32(table + 20 * s + 8, 1);
    put32(table + 20 * s + 12, static_cast<uint32_t>(subTables + 16 * s));
    put32(subTables + 16 * s + 4, static_cast<uint32_t>(m_sections[s].second.size()));
    put32(subTables + 16 * s + 8, static_cast<uint32_t>(out.size()));
    for (const auto& r : m_sections[s].second) out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

}  // namespace testbgl
