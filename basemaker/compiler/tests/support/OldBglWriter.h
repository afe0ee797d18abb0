#pragma once

// Test-side writers of old command-format scenery files: command streams, the item lists of
// the navaid, label, marker and command sections, facility data chunks, and the file itself
// with its header. Fields are written at the offsets the format gives, so a test states only
// the values that matter to it.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "navdb/SceneryDatabase.h"

namespace testbgl {

// An area database with one open file record, as the loader leaves it before a parse.
struct OpenFileDb {
  OpenFileDb() {
    db.AddArea("area", nullptr);
    db.m_files.Add(BglFileRecord{}, &db.m_areas[0].fileEnd);
  }
  CSceneryDatabase db;
};

using ByteVec = std::vector<uint8_t>;

// Little-endian byte builder with patching.
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(size_t zeros) : m_b(zeros, 0) {}
  Bytes& U8(uint8_t v) { return Raw(&v, 1); }
  Bytes& U16(uint16_t v) { return Raw(&v, 2); }
  Bytes& I16(int16_t v) { return Raw(&v, 2); }
  Bytes& U32(uint32_t v) { return Raw(&v, 4); }
  Bytes& I32(int32_t v) { return Raw(&v, 4); }
  Bytes& Raw(const void* p, size_t n);
  Bytes& Append(const ByteVec& v) { return Raw(v.data(), v.size()); }
  Bytes& Zeros(size_t n) { m_b.insert(m_b.end(), n, 0); return *this; }
  // `text` in a field of `width` bytes, NUL- (or blank-) padded, without terminator when full.
  Bytes& Fixed(const std::string& text, size_t width, char pad = '\0');
  // The three bytes of a packed 24-bit latitude / longitude.
  Bytes& Lat24(double degrees);
  Bytes& Lon24(double degrees);

  void PutU8(size_t at, uint8_t v) { Put(at, &v, 1); }
  void PutU16(size_t at, uint16_t v) { Put(at, &v, 2); }
  void PutI16(size_t at, int16_t v) { Put(at, &v, 2); }
  void PutU32(size_t at, uint32_t v) { Put(at, &v, 4); }
  void PutI32(size_t at, int32_t v) { Put(at, &v, 4); }
  void Put(size_t at, const void* p, size_t n);

  size_t Size() const { return m_b.size(); }
  const ByteVec& Data() const { return m_b; }
  operator const ByteVec&() const { return m_b; }

 private:
  ByteVec m_b;
};

// Unit conversions of the format.
int32_t MetresWord(double latitudeDegrees);  // latitude as whole metres
int32_t AngleWord(double longitudeDegrees);  // longitude as an angle word
// Decimal digits as packed BCD (1234 -> 0x1234).
uint32_t Bcd(uint32_t decimal);

// ---- Command streams ----------------------------------------------------------------------------
// One command: opcode at 0, zero-filled to `length`, fields written at their offsets.
class Cmd {
 public:
  Cmd(uint16_t opcode, size_t length);
  Cmd& U8(size_t at, uint8_t v) { m_b.PutU8(at, v); return *this; }
  Cmd& U16(size_t at, uint16_t v) { m_b.PutU16(at, v); return *this; }
  Cmd& I16(size_t at, int16_t v) { m_b.PutI16(at, v); return *this; }
  Cmd& I32(size_t at, int32_t v) { m_b.PutI32(at, v); return *this; }
  Cmd& Text(size_t at, const std::string& text) { m_b.Put(at, text.data(), text.size()); return *this; }
  const ByteVec& Data() const { return m_b.Data(); }
  size_t Size() const { return m_b.Size(); }

 private:
  Bytes m_b;
};

struct RunwaySpec {
  double lat = 0, lon = 0;
  uint16_t heading = 0;  // 65536 to the circle
  uint16_t lengthFeet = 5000;
  uint16_t widthFeet = 150;
  uint8_t designator = 0;  // bits 0-5 number, 6-7 side
  uint8_t surface = 4;
  int16_t altitude = 0;
};

Cmd Op(uint16_t opcode);                           // the 2-byte commands (5, 8, 34 ...)
Cmd Jump(uint16_t opcode, uint16_t n, size_t length = 4);  // word n at 2
Cmd LongJump(uint16_t opcode, int32_t offset, size_t length = 6);
Cmd DefineVertex(uint16_t number, int16_t x, int16_t y, int16_t z);
Cmd PolygonVertex(uint16_t number, bool continued = false);
Cmd SurfaceWord(uint16_t word);
Cmd Texture(const std::string& name);
Cmd VariableTest(uint16_t variable, uint16_t lo, uint16_t hi, uint16_t branch);
Cmd IndexedPolygon(const std::vector<uint16_t>& vertices, uint16_t nx = 0, int16_t ny = 1,
                   uint16_t nz = 0);
Cmd PointListObject(int16_t x, int16_t z);  // opcode 110
Cmd PointListVertex(int16_t x, int16_t z);  // opcode 111
Cmd RunwayFixed(const RunwaySpec& r);       // opcode 68
Cmd RunwaySized(const RunwaySpec& r);       // opcode 170, 36 bytes
Cmd CallTable(const std::vector<uint16_t>& offsets, uint16_t length);
// Opcode 47: scale (65536 = 1) and reference position.
Cmd Reference(double lat, double lon, int32_t scaleWord = 65536);

class CommandStream {
 public:
  // Appends a command; returns its offset in the stream.
  size_t Add(const Cmd& c);
  size_t Add(const ByteVec& raw);
  size_t Size() const { return m_b.Size(); }
  void PutU16(size_t at, uint16_t v) { m_b.PutU16(at, v); }
  void PutI32(size_t at, int32_t v) { m_b.PutI32(at, v); }
  const ByteVec& Data() const { return m_b.Data(); }

 private:
  Bytes m_b;
};

// ---- Section items --------------------------------------------------------------------------------
ByteVec NdbItem(double lat, double lon, uint32_t tenthsKhz, const std::string& ident,
                const std::string& name, int16_t altitude = 0, uint8_t rangeClass = 1);
ByteVec VorItem(double lat, double lon, const std::string& ident, const std::string& name,
                uint8_t flags = 0, uint8_t rangeClass = 22, int16_t declination = 0,
                int16_t altitude = 0);
struct IlsFields {
  uint8_t type = 5;  // 5 ILS with glide slope, 6 localizer
  double lat = 0, lon = 0;
  uint16_t course = 0;
  std::string ident = "IABC";
  bool glideSlopePlaced = true;
  double gsLat = 0, gsLon = 0;
  int16_t altitude = 0;     // at 11
  int16_t gsAltitude = 0;   // at 50
  int16_t gsAngle = 300;    // at 52
  uint8_t flags = 0;
  uint8_t rangeClass = 16;
};
ByteVec IlsItem(const IlsFields& s);
ByteVec DmeExtension(double lat, double lon, int16_t altitude, bool validMarks = true);
// `bcd` is the 4-digit frequency word (MHz = digits x 0.01 + 100).
ByteVec AtisItem(double lat, double lon, uint16_t bcd, uint8_t range = 20,
                 std::vector<uint8_t> runways = {0, 0, 0, 0});
ByteVec MarkerBeacon(uint8_t type, double lat, double lon, int16_t altitude, uint8_t headingByte);
ByteVec MarkerLabel(double lat, double lon, int16_t altitude, const std::string& text);
ByteVec SceneryBlock(double lat1, double lat2, double lon1, double lon2, const ByteVec& stream);
// A command section A item: type 4 (u8 length), 5 (u16) or 6 (i32).
ByteVec CommandItem(uint8_t type, double refLat, double refLon, const ByteVec& stream);

// Items one after another, as one group's list.
ByteVec Items(std::initializer_list<ByteVec> items);

struct Group {
  int16_t bandFirst = 0;  // units of 512 m
  int16_t bandSecond = 0;
  ByteVec items;  // consecutive items; the writer ends the list with a 0 byte
};
// Group records at the section start, then their item lists.
ByteVec GroupedSection(const std::vector<Group>& groups);
// Index table entries from the lowest index up; an empty entry stores offset 0.
ByteVec VorIlsSection(const std::vector<std::vector<Group>>& entries);
struct Label {
  double lat = 0, lon = 0;
  double altitudeM = 0;
  std::string text;
};
// One outer record per inner list.
ByteVec LabelSection(const std::vector<std::vector<Label>>& lists);
// Each stream in the short block form (the stream's first opcode must be non-zero).
ByteVec CommandTableSection(const std::vector<ByteVec>& streams);
// `value(lon, lat)` gives the raw grid value.
ByteVec MagVarSection(int16_t (*value)(int lon, int lat));
struct ExclusionRecord {
  uint8_t type = 3;
  uint16_t flags = 7;
  double north = 0, south = 0, east = 0, west = 0;
};
ByteVec ExclusionSection(const std::vector<ExclusionRecord>& records);

// ---- Facility data ------------------------------------------------------------------------------------
ByteVec Chunk(int32_t tag, const ByteVec& payload);
inline ByteVec ChunkListEnd() { return ByteVec(8, 0); }
ByteVec NameEntry(int32_t level, uint32_t reference, const std::string& text);
ByteVec NameTree(int32_t language, const std::vector<ByteVec>& entries, int32_t second = 0);
// A group chunk (tag 1, nested mark 4) holding a chunk list.
ByteVec GroupChunk(const std::vector<ByteVec>& chunks);
ByteVec FacilityRecord(int32_t kind, const std::vector<ByteVec>& subRecords);
ByteVec PositionSub(double lat, double lon, int16_t altitude);
ByteVec RunwaySub(uint16_t lengthFeet, int companions = 0);
ByteVec IdentSub(const std::string& ident);
ByteVec FrequencySub(int32_t kind, uint32_t hundredthsMhz);
struct ParkingElement {
  uint32_t w0 = 0, w1 = 0, w2 = 0, w3 = 0, w4 = 0;
};
ByteVec ParkingSub(const std::vector<ParkingElement>& elements, bool withOtherArrays = true);

// ---- Files ------------------------------------------------------------------------------------------
class OldBglWriter {
 public:
  // `extended` writes the 168-byte header with the facility mark.
  explicit OldBglWriter(bool extended = false, uint16_t format = 3);
  void SetBox(double north, double south, double east, double west);
  void SetVorIlsRange(uint16_t low, uint16_t high);
  // Appends bytes after the header (and earlier blobs); returns their file offset.
  uint32_t Append(const ByteVec& bytes);
  // Appends a section and stores its offset at the header field.
  uint32_t SetSection(uint32_t field, const ByteVec& bytes);
  void SetHeaderU32(uint32_t field, uint32_t v) { m_header.PutU32(field, v); }
  void SetHeaderI32(uint32_t field, int32_t v) { m_header.PutI32(field, v); }
  uint32_t NextOffset() const { return static_cast<uint32_t>(m_header.Size() + m_body.Size()); }
  // The whole file, padded to at least `minSize` bytes.
  ByteVec Build(size_t minSize = 128) const;

 private:
  Bytes m_header;
  Bytes m_body;
};

}  // namespace testbgl

namespace testbgl {

// A small old-format file with one of everything the parser reads: facility data with an
// airport and its ATIS, an NDB, a VOR, an ILS, an ATIS item, a label airport, a marker, command
// streams with a runway, a ground polygon and a lighting frequency, a variation grid and an
// exclusion box. Its box is 47-48 N, 8-9 E; everything lies inside.
ByteVec SampleOldBglFile();

}  // namespace testbgl
