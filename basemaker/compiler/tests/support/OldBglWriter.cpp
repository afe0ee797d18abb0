#include "basemaker/compiler/tests/support/OldBglWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace testbgl {

namespace {

constexpr double kMetresToDegrees = 360.0 / 40007000.0;
constexpr double kAngleToDegrees = 360.0 / 4294967295.0;

ByteVec Terminated(ByteVec v) {
  v.push_back(0);
  return v;
}

}  // namespace

Bytes& Bytes::Raw(const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  m_b.insert(m_b.end(), b, b + n);
  return *this;
}

Bytes& Bytes::Fixed(const std::string& text, size_t width, char pad) {
  for (size_t i = 0; i < width; ++i) m_b.push_back(static_cast<uint8_t>(i < text.size() ? text[i] : pad));
  return *this;
}

Bytes& Bytes::Lat24(double degrees) {
  const int32_t v = static_cast<int32_t>(std::lround(degrees / kMetresToDegrees / 2.0));
  const uint32_t u = static_cast<uint32_t>(v) & 0xFFFFFF;
  return U8(u & 0xFF).U8((u >> 8) & 0xFF).U8((u >> 16) & 0xFF);
}

Bytes& Bytes::Lon24(double degrees) {
  const uint32_t u = static_cast<uint32_t>(AngleWord(degrees)) >> 8;
  return U8(u & 0xFF).U8((u >> 8) & 0xFF).U8((u >> 16) & 0xFF);
}

void Bytes::Put(size_t at, const void* p, size_t n) {
  if (m_b.size() < at + n) m_b.resize(at + n, 0);
  std::memcpy(m_b.data() + at, p, n);
}

int32_t MetresWord(double latitudeDegrees) {
  return static_cast<int32_t>(std::llround(latitudeDegrees / kMetresToDegrees));
}

int32_t AngleWord(double longitudeDegrees) {
  const double v = std::round(longitudeDegrees / kAngleToDegrees);
  return static_cast<int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

uint32_t Bcd(uint32_t decimal) {
  uint32_t out = 0;
  for (int shift = 0; decimal != 0; shift += 4, decimal /= 10) out |= (decimal % 10) << shift;
  return out;
}

// ---- Commands -----------------------------------------------------------------------------------

Cmd::Cmd(uint16_t opcode, size_t length) : m_b(length) {
  m_b.PutU16(0, opcode);
}

Cmd Op(uint16_t opcode) {
  return Cmd(opcode, 2);
}

Cmd Jump(uint16_t opcode, uint16_t n, size_t length) {
  return Cmd(opcode, length).U16(2, n);
}

Cmd LongJump(uint16_t opcode, int32_t offset, size_t length) {
  return Cmd(opcode, length).I32(2, offset);
}

Cmd DefineVertex(uint16_t number, int16_t x, int16_t y, int16_t z) {
  return Cmd(14, 10).U16(2, number).I16(4, x).I16(6, y).I16(8, z);
}

Cmd PolygonVertex(uint16_t number, bool continued) {
  return Cmd(continued ? 16 : 15, 4).U16(2, number);
}

Cmd SurfaceWord(uint16_t word) {
  return Cmd(82, 4).U16(2, word);
}

Cmd Texture(const std::string& name) {
  return Cmd(24, 24).Text(10, name.substr(0, 14));
}

Cmd VariableTest(uint16_t variable, uint16_t lo, uint16_t hi, uint16_t branch) {
  return Cmd(36, 10).U16(2, branch).U16(4, variable).U16(6, lo).U16(8, hi);
}

Cmd IndexedPolygon(const std::vector<uint16_t>& vertices, uint16_t nx, int16_t ny, uint16_t nz) {
  Cmd c(62, 14 + 2 * vertices.size());
  c.U16(2, static_cast<uint16_t>(vertices.size())).U16(4, nx).I16(6, ny).U16(8, nz);
  for (size_t i = 0; i < vertices.size(); ++i) c.U16(14 + 2 * i, vertices[i]);
  return c;
}

Cmd PointListObject(int16_t x, int16_t z) {
  return Cmd(110, 10).I16(4, x).I16(8, z);
}

Cmd PointListVertex(int16_t x, int16_t z) {
  return Cmd(111, 8).I16(2, x).I16(6, z);
}

Cmd RunwayFixed(const RunwaySpec& r) {
  return Cmd(68, 64)
      .I32(4, MetresWord(r.lat))
      .I32(10, AngleWord(r.lon))
      .I16(16, r.altitude)
      .U16(20, r.heading)
      .U16(22, r.lengthFeet)
      .U16(24, r.widthFeet)
      .U8(27, r.designator)
      .U8(30, r.surface);
}

Cmd RunwaySized(const RunwaySpec& r) {
  return Cmd(170, 36)
      .U16(2, 36)
      .I32(7, MetresWord(r.lat))
      .I32(13, AngleWord(r.lon))
      .I16(19, r.altitude)
      .U16(23, r.heading)
      .U16(25, r.lengthFeet)
      .U16(27, r.widthFeet)
      .U8(31, r.surface)
      .U8(33, r.designator);
}

Cmd CallTable(const std::vector<uint16_t>& offsets, uint16_t length) {
  Cmd c(3, 8 + 2 * offsets.size());
  c.U16(2, static_cast<uint16_t>(offsets.size())).U16(6, length);
  for (size_t i = 0; i < offsets.size(); ++i) c.U16(8 + 2 * i, offsets[i]);
  return c;
}

Cmd Reference(double lat, double lon, int32_t scaleWord) {
  return Cmd(47, 32).I32(10, scaleWord).I32(16, MetresWord(lat)).I32(22, AngleWord(lon));
}

size_t CommandStream::Add(const Cmd& c) {
  return Add(c.Data());
}

size_t CommandStream::Add(const ByteVec& raw) {
  const size_t at = m_b.Size();
  m_b.Append(raw);
  return at;
}

// ---- Items ----------------------------------------------------------------------------------------

ByteVec NdbItem(double lat, double lon, uint32_t tenthsKhz, const std::string& ident,
                const std::string& name, int16_t altitude, uint8_t rangeClass) {
  const uint32_t bcd = Bcd(tenthsKhz);
  Bytes b;
  b.U8(4).U16(static_cast<uint16_t>((bcd >> 4) & 0xFFFF));
  b.U8(static_cast<uint8_t>((bcd & 0x0F) | (((bcd >> 16) & 0x0F) << 4)));
  b.Lat24(lat).Lon24(lon).I16(altitude).U8(rangeClass).Fixed(ident, 5, ' ').Fixed(name, 24, ' ');
  return b;
}

ByteVec VorItem(double lat, double lon, const std::string& ident, const std::string& name,
                uint8_t flags, uint8_t rangeClass, int16_t declination, int16_t altitude) {
  Bytes b;
  b.U8(4).U8(rangeClass).I16(declination).U8(flags).Lat24(lat).Lon24(lon).I16(altitude).U16(0);
  b.Fixed(ident, 5, ' ').Fixed(name, 24, ' ');
  return b;
}

ByteVec IlsItem(const IlsFields& s) {
  Bytes b;
  b.U8(s.type).U8(s.rangeClass).I16(0).U8(s.flags).Lat24(s.lat).Lon24(s.lon).I16(s.altitude);
  b.U16(s.course).Fixed(s.ident, 5, ' ').Fixed("", 24, ' ');
  if (s.glideSlopePlaced) {
    b.Lat24(s.gsLat).Lon24(s.gsLon);
  } else {
    b.Zeros(6);
  }
  b.I16(s.gsAltitude).I16(s.gsAngle);
  if (s.type == 6) b.Zeros(2);
  return b;
}

ByteVec DmeExtension(double lat, double lon, int16_t altitude, bool validMarks) {
  Bytes b;
  b.U8(20).U32(0).U16(validMarks ? 0x1234 : 0x4321).U16(1).Lat24(lat).Lon24(lon).I16(altitude);
  return b;
}

ByteVec AtisItem(double lat, double lon, uint16_t bcd, uint8_t range, std::vector<uint8_t> runways) {
  runways.resize(4, 0);
  Bytes b;
  b.U8(4).U16(bcd).Lat24(lat).Lon24(lon).U8(range).U16(16).Raw(runways.data(), 4);
  return b;
}

ByteVec MarkerBeacon(uint8_t type, double lat, double lon, int16_t altitude, uint8_t headingByte) {
  Bytes b;
  b.U8(type).U8(11).Lat24(lat).Lon24(lon).I16(altitude).U8(headingByte);
  return b;
}

ByteVec MarkerLabel(double lat, double lon, int16_t altitude, const std::string& text) {
  Bytes b;
  b.U8(7).U8(static_cast<uint8_t>(std::min<size_t>(255, 22 + text.size() + 1)));
  b.Lat24(lat).Lon24(lon).U8(0).I16(altitude).Zeros(11).Fixed(text, text.size()).U8(0);
  return b;
}

ByteVec SceneryBlock(double lat1, double lat2, double lon1, double lon2, const ByteVec& stream) {
  Bytes b;
  b.U8(101).U8(static_cast<uint8_t>(14 + stream.size()));
  b.Lat24(lat1).Lat24(lat2).Lon24(lon1).Lon24(lon2).Append(stream);
  return b;
}

ByteVec CommandItem(uint8_t type, double refLat, double refLon, const ByteVec& stream) {
  Bytes b;
  b.U8(type).I32(MetresWord(refLat)).I32(AngleWord(refLon)).U8(0);
  switch (type % 3) {
    case 1:  // 4, 7, 10
      b.U8(static_cast<uint8_t>(11 + stream.size()));
      break;
    case 2:  // 5, 8, 11
      b.U16(static_cast<uint16_t>(12 + stream.size()));
      break;
    default:  // 6, 9, 12
      b.I32(static_cast<int32_t>(14 + stream.size()));
      break;
  }
  b.Append(stream);
  return b;
}

// ---- Sections -------------------------------------------------------------------------------------

namespace {

// Group records at `base` of `out`, then the item lists, offsets relative to `sectionStart`.
void AppendGroups(Bytes& out, const std::vector<Group>& groups) {
  const size_t records = out.Size();
  out.Zeros(groups.size() * 9).U8(0);
  for (size_t i = 0; i < groups.size(); ++i) {
    const size_t rec = records + i * 9;
    out.PutU8(rec, 21);
    out.PutI16(rec + 1, groups[i].bandFirst);
    out.PutI16(rec + 3, groups[i].bandSecond);
    out.PutU32(rec + 5, static_cast<uint32_t>(out.Size()));
    out.Append(Terminated(groups[i].items));
  }
}

}  // namespace

ByteVec Items(std::initializer_list<ByteVec> items) {
  Bytes b;
  for (const ByteVec& i : items) b.Append(i);
  return b;
}

ByteVec GroupedSection(const std::vector<Group>& groups) {
  Bytes out;
  AppendGroups(out, groups);
  return out;
}

ByteVec VorIlsSection(const std::vector<std::vector<Group>>& entries) {
  Bytes out;
  out.Zeros(entries.size() * 5);
  for (size_t i = 0; i < entries.size(); ++i) {
    out.PutU8(i * 5, 1);
    if (entries[i].empty()) continue;
    out.PutU32(i * 5 + 1, static_cast<uint32_t>(out.Size()));
    AppendGroups(out, entries[i]);
  }
  return out;
}

ByteVec LabelSection(const std::vector<std::vector<Label>>& lists) {
  Bytes out;
  out.Zeros(lists.size() * 8).U8(0);
  for (size_t i = 0; i < lists.size(); ++i) {
    out.PutU8(i * 8, 1);
    out.PutU16(i * 8 + 1, 8);
    out.PutU32(i * 8 + 3, static_cast<uint32_t>(out.Size()));
    for (const Label& l : lists[i]) {
      out.U8(3).U16(static_cast<uint16_t>(28 + l.text.size()));
      out.I32(static_cast<int32_t>(std::llround(l.lat / kMetresToDegrees * 128.0)));
      out.I32(AngleWord(l.lon)).I32(static_cast<int32_t>(std::llround(l.altitudeM * 256.0)));
      out.I16(0).Zeros(10).Fixed(l.text, l.text.size()).U8(0);
    }
    out.U8(0);
  }
  return out;
}

ByteVec CommandTableSection(const std::vector<ByteVec>& streams) {
  Bytes out;
  out.Zeros((streams.size() + 1) * 20);
  for (size_t i = 0; i < streams.size(); ++i) {
    out.PutU32(i * 20, static_cast<uint32_t>(out.Size()));
    out.Zeros(17).U16(static_cast<uint16_t>(streams[i].size())).Append(streams[i]);
  }
  return out;
}

ByteVec MagVarSection(int16_t (*value)(int lon, int lat)) {
  Bytes out;
  out.Zeros(8);
  for (int lon = 0; lon < 360; ++lon) {
    for (int lat = -90; lat <= 90; ++lat) out.I16(value(lon, lat));
  }
  return out;
}

ByteVec ExclusionSection(const std::vector<ExclusionRecord>& records) {
  Bytes out;
  for (const ExclusionRecord& r : records) {
    if (r.type == 4) {
      out.U8(4).Zeros(12);
    } else {
      out.U8(r.type).U16(r.flags).I32(MetresWord(r.north)).I32(MetresWord(r.south));
      out.I32(AngleWord(r.east)).I32(AngleWord(r.west));
    }
  }
  out.U8(0);
  return out;
}

// ---- Facility data ------------------------------------------------------------------------------------

ByteVec Chunk(int32_t tag, const ByteVec& payload) {
  Bytes b;
  b.I32(tag).I32(static_cast<int32_t>(payload.size())).Append(payload);
  return b;
}

ByteVec NameEntry(int32_t level, uint32_t reference, const std::string& text) {
  Bytes p;
  p.I32(level).U32(reference).Fixed(text, text.size()).U8(0);
  return Chunk(0x30002, p);
}

ByteVec NameTree(int32_t language, const std::vector<ByteVec>& entries, int32_t second) {
  Bytes p;
  p.I32(language).I32(second).I32(0).I32(static_cast<int32_t>(entries.size()));
  for (const ByteVec& e : entries) p.Append(e);
  return Chunk(0x30001, p);
}

ByteVec GroupChunk(const std::vector<ByteVec>& chunks) {
  Bytes p;
  p.I32(4).I32(0);
  for (const ByteVec& c : chunks) p.Append(c);
  p.Append(ChunkListEnd());
  return Chunk(1, p);
}

ByteVec FacilityRecord(int32_t kind, const std::vector<ByteVec>& subRecords) {
  Bytes b;
  b.I32(1).I32(0).I32(kind).I32(0);
  for (const ByteVec& s : subRecords) b.Append(s);
  b.Append(ChunkListEnd());
  return b;
}

ByteVec PositionSub(double lat, double lon, int16_t altitude) {
  Bytes p(24);
  p.PutI32(4, MetresWord(lat));
  p.PutI32(12, AngleWord(lon));
  p.PutI16(20, altitude);
  return Chunk(0x10001, p);
}

ByteVec RunwaySub(uint16_t lengthFeet, int companions) {
  Bytes p(34);
  p.PutU16(32, lengthFeet);
  Bytes b;
  b.Append(Chunk(0x10002, p));
  for (int i = 0; i < companions; ++i) b.Append(Chunk(0x10004, ByteVec(40, 0)));
  return b;
}

ByteVec IdentSub(const std::string& ident) {
  Bytes p;
  p.Fixed(ident, ident.size()).U8(0);
  return Chunk(0x10006, p);
}

ByteVec FrequencySub(int32_t kind, uint32_t hundredthsMhz) {
  Bytes p;
  p.U32(Bcd(hundredthsMhz) << 8).I32(kind);
  return Chunk(0x20001, p);
}

ByteVec ParkingSub(const std::vector<ParkingElement>& elements, bool withOtherArrays) {
  Bytes p;
  if (withOtherArrays) p.U32(1).U32(12).Zeros(12);
  p.U32(static_cast<uint32_t>(elements.size())).U32(20);
  for (const ParkingElement& e : elements) p.U32(e.w0).U32(e.w1).U32(e.w2).U32(e.w3).U32(e.w4);
  if (withOtherArrays) p.U32(2).U32(8).Zeros(16);
  p.U32(0).U32(0);
  return Chunk(0x11001, p);
}

// ---- Files ------------------------------------------------------------------------------------------

OldBglWriter::OldBglWriter(bool extended, uint16_t format) : m_header(extended ? 168 : 128) {
  m_header.PutU16(0, format);
  if (extended) m_header.PutU32(118, 0x87654321);
}

void OldBglWriter::SetBox(double north, double south, double east, double west) {
  m_header.PutI32(2, MetresWord(north));
  m_header.PutI32(6, MetresWord(south));
  m_header.PutI32(10, AngleWord(east));
  m_header.PutI32(14, AngleWord(west));
}

void OldBglWriter::SetVorIlsRange(uint16_t low, uint16_t high) {
  m_header.PutU16(22, low);
  m_header.PutU16(24, high);
}

uint32_t OldBglWriter::Append(const ByteVec& bytes) {
  const uint32_t at = NextOffset();
  m_body.Append(bytes);
  return at;
}

uint32_t OldBglWriter::SetSection(uint32_t field, const ByteVec& bytes) {
  const uint32_t at = Append(bytes);
  m_header.PutU32(field, at);
  return at;
}

ByteVec OldBglWriter::Build(size_t minSize) const {
  ByteVec out = m_header.Data();
  out.insert(out.end(), m_body.Data().begin(), m_body.Data().end());
  if (out.size() < minSize) out.resize(minSize, 0);
  return out;
}

}  // namespace testbgl

namespace testbgl {

namespace {

int16_t SampleVariation(int lon, int lat) {
  return static_cast<int16_t>((lon - 180) * 10 + lat);
}

}  // namespace

ByteVec SampleOldBglFile() {
  OldBglWriter w(true);
  w.SetBox(48, 47, 9, 8);
  w.SetHeaderI32(144, 1);
  const uint32_t record = w.Append(FacilityRecord(
      1, {PositionSub(47.45, 8.55, 432), IdentSub("LSZH"), RunwaySub(12000, 1),
          FrequencySub(1, 12825), FrequencySub(5, 11810), ParkingSub({{0, 0x40000000 | 16777216, 0, 0, 10}})}));
  Bytes names;
  names.Append(NameTree(1033, {NameEntry(0x10001, 0, "Europe"), NameEntry(0x20001, 0, "Switzerland"),
                               NameEntry(0x40001, 0, "Zurich"), NameEntry(0x50001, record, "Kloten")}));
  names.Append(ChunkListEnd());
  w.SetHeaderU32(156, w.Append(names));

  w.SetSection(78, GroupedSection({{0, 0, NdbItem(47.3, 8.3, 3520, "ZH", "ZURICH")}}));
  IlsFields ils;
  ils.lat = 47.48;
  ils.lon = 8.54;
  ils.course = 0x2000;
  ils.gsLat = 47.46;
  ils.gsLon = 8.52;
  ils.ident = "IZH";
  w.SetVorIlsRange(20, 21);
  w.SetSection(18, VorIlsSection({{{0, 0, VorItem(47.6, 8.6, "KLO", "KLOTEN", 1)}},
                                  {{0, 0, IlsItem(ils)}}}));
  w.SetSection(74, GroupedSection({{0, 0, AtisItem(47.45, 8.55, 0x2825)}}));
  w.SetSection(66, LabelSection({{{47.2, 8.2, 400, "Hinterdorf Airport"}}}));

  // Streams of the command table start at 0, 0: this one moves its reference first.
  CommandStream stream;
  stream.Add(Reference(47.45, 8.55));
  RunwaySpec runway;
  runway.lat = 47.45;
  runway.lon = 8.55;
  runway.designator = 0x4E;  // 14L
  runway.heading = 0x6400;
  runway.lengthFeet = 10000;
  stream.Add(RunwayFixed(runway));
  stream.Add(Texture("asphalt"));
  stream.Add(DefineVertex(0, 0, 0, 0));
  stream.Add(DefineVertex(1, 200, 0, 0));
  stream.Add(DefineVertex(2, 0, 0, 200));
  stream.Add(Op(5));
  stream.Add(PolygonVertex(0));
  stream.Add(PolygonVertex(1, true));
  stream.Add(PolygonVertex(2, true));
  stream.Add(Op(8));
  stream.Add(VariableTest(1982, 0x2250, 0x2250, 10));
  stream.Add(Op(34));
  w.SetSection(102, GroupedSection({{0, 0, MarkerBeacon(6, 47.4, 8.6, 430, 100)}}));
  w.SetSection(58, GroupedSection({{92, 94, CommandItem(5, 47.45, 8.55, stream.Data())}}));
  w.SetSection(62, CommandTableSection({stream.Data()}));
  w.SetSection(110, MagVarSection(SampleVariation));
  ExclusionRecord box;
  box.north = 47.9;
  box.south = 47.8;
  box.east = 8.9;
  box.west = 8.8;
  w.SetSection(114, ExclusionSection({box}));
  return w.Build();
}

}  // namespace testbgl
