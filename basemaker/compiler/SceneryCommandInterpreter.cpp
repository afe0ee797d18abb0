#include "basemaker/compiler/SceneryCommandInterpreter.h"

#include <cmath>
#include <charconv>
#include <cstring>
#include <vector>

#include "basemaker/compiler/OldBgl.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

// Object record flags: kept and shown, with the object type in the low bits.
constexpr uint8_t kObjectPointList = 0xC1;
constexpr uint8_t kObjectMarked = 0xC2;
constexpr uint8_t kObjectPolygon = 0xC3;

constexpr uint8_t kLayerUnset = 255;
// Layer the planner draws runways and point lists in when the stream names none.
constexpr uint8_t kDefaultDrawLayer = 24;

// Opcode 38 with this word marks an object the planner draws as a symbol.
constexpr uint16_t kMarkedObjectWord = 648;

// Variable 1982 holds the COM frequency in the simulator; tests of it against a single value
// switch lights on that frequency.
constexpr uint16_t kComFrequencyVariable = 1982;
// A variable the walk treats as holding a known value, so that only one outcome is followed.
constexpr uint16_t kFixedVariable = 1784;
constexpr uint16_t kFixedVariableValue = 2;
constexpr double kPclCourse = 225.0;

// Runways longer than this many metres are drawn shortened by the threshold allowance.
constexpr double kRunwayCutAbove = 300.0;
constexpr double kRunwayCut = 60.0;
constexpr uint16_t kSurfaceWater = 255;
constexpr int kMaxWaterWidthFeet = 250;
constexpr int kMaxWidthFeet = 5000;

// Surface words of the fill commands that mean a ground surface.
constexpr uint16_t kPolygonSurfaces[] = {0xF001, 0xF002, 0xF003, 0xF032, 0xF033};
constexpr uint16_t kPointListDirtSurface = 0xF025;

struct TextureWord {
  const char* text;
  size_t length;
};
constexpr TextureWord kDirtTexture = {"dirt    ", 8};
// Texture names of airport ground surfaces, matched as prefixes of the texture name.
constexpr TextureWord kSurfaceTextures[] = {
    {"concret", 7},  {"asphalt", 7},  {"gravel  ", 8}, {"taxi", 4},     {"runway", 6},
    {"airpt001", 8}, {"EDDK-11 ", 8}, {"EDDK-T1 ", 8}, {"EDDK-T1b", 8}, {"EDDP-T1 ", 8},
    {"EDDP-T1b", 8}, {"EDDP-T3 ", 8}, {"EDDP-T3b", 8}, {"EDLP-10 ", 8}, {"EDLP-10b", 8},
    {"FRA-18  ", 8}, {"PAD-6   ", 8}, {"EDDE-10 ", 8}, {"EDDE-11 ", 8}, {"EDDL-10 ", 8},
    {"EDDL-11 ", 8}, {"EDDT-10 ", 8}, {"EDDT-11 ", 8}, {"apron1  ", 8}, {"apron2  ", 8},
};

constexpr size_t kTextureNameSize = 14;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool TextureMatches(const char (&name)[kTextureNameSize], const TextureWord& word) {
  for (size_t i = 0; i < word.length; ++i) {
    if (LowerAscii(name[i]) != LowerAscii(word.text[i])) return false;
  }
  return true;
}

bool MatchesSurfaceTexture(const char (&name)[kTextureNameSize]) {
  for (const TextureWord& w : kSurfaceTextures) {
    if (TextureMatches(name, w)) return true;
  }
  return false;
}

struct Vertex {
  bool valid = false;
  int16_t x = 0;
  int16_t y = 0;
  int16_t z = 0;
};

class Interpreter {
 public:
  Interpreter(CSceneryDatabase& db, uint8_t& newGroup, double bandFirst, double bandSecond,
              double refLat, double refLon, const uint8_t* start, uint64_t size)
      : m_db(db),
        m_newGroup(newGroup),
        m_bandFirst(bandFirst),
        m_bandSecond(bandSecond),
        m_refLat(refLat),
        m_refLon(refLon),
        m_s(start, size),
        m_visited(static_cast<size_t>(size), false),
        m_pathOf(static_cast<size_t>(size), 0) {}

  void Run();

 private:
  static constexpr int64_t kPathEnd = -1;
  static constexpr uint64_t kStepsPerByte = 64;
  static constexpr uint64_t kMinimumSteps = 1 << 16;

  struct Branch {
    uint64_t address;
    uint8_t layer;
  };

  int64_t Execute(uint64_t r);
  bool Fits(uint64_t r, uint64_t length) const { return m_s.Holds(r, length); }
  // The next command `length` bytes on, or the end of the path when the command does not fit.
  int64_t Skip(uint64_t r, uint64_t length) const {
    return Fits(r, length) ? static_cast<int64_t>(r + length) : kPathEnd;
  }
  void Queue(int64_t address) {
    // A branch out of the stream could never be walked; it is dropped at once.
    if (address >= 0 && static_cast<uint64_t>(address) < m_s.Size()) {
      m_queue.push_back({static_cast<uint64_t>(address), m_layer});
    }
  }
  uint16_t N(uint64_t r) const { return m_s.U16(r + 2); }

  void PolygonVertex(uint16_t number, bool needsFirst);
  void ClosePolygon();
  void IndexedPolygon(uint64_t r, uint16_t count);
  void DefineVertex(uint32_t number, int16_t x, int16_t y, int16_t z);
  void VariableTest(uint64_t r, int64_t& next);
  void SetScale(int32_t value) {
    if (value >= 0) m_scale = value / 65536.0;
  }
  void SetReference(int32_t latMetres, int32_t lonAngle) {
    m_refLat = latMetres * kBglMetresToDegrees;
    m_refLon = lonAngle * kBglAngleToDegrees;
  }

  bool PolygonOnSurface() const;
  bool PointListOnSurface() const;
  const Vertex* GroundVertex(uint32_t number) const;

  bool OpenGroupIfNeeded();
  bool AddObject(uint8_t flags, uint8_t layer);
  void AddFootprint(int16_t z, int16_t x);

  CSceneryDatabase& m_db;
  uint8_t& m_newGroup;
  double m_bandFirst;
  double m_bandSecond;
  double m_refLat;
  double m_refLon;
  OldBglView m_s;

  // Every command any path interpreted: a queued address among them is not walked again.
  std::vector<bool> m_visited;
  // The path that last ran through each command. A path runs on through commands another path
  // ran (the two outcomes of a variable test meet before shared drawing code, each with its own
  // texture), and ends only where it comes back on itself.
  std::vector<uint32_t> m_pathOf;
  uint32_t m_path = 1;
  std::vector<Branch> m_queue;
  std::vector<Vertex> m_vertices;
  std::vector<Vertex> m_polygon;
  char m_texture[kTextureNameSize] = {};
  uint16_t m_surfaceWord = 0;
  bool m_surfaceOn = false;
  double m_scale = 1.0;
  uint8_t m_layer = kLayerUnset;
  // The object this call added last: point-list vertices go only to an object of this stream.
  int m_lastObject = -1;
};

void Interpreter::Run() {
  // Paths that share their tails make the walk quadratic in a hostile stream; no real command
  // stream comes near this many steps.
  uint64_t budget = kStepsPerByte * m_s.Size() + kMinimumSteps;
  uint64_t cursor = 0;
  bool live = m_s.Size() > 0;
  for (;;) {
    // A path ends at the end of the stream, at a jump out of it and on coming back to a command
    // of its own (a command that leaves the cursor where it was is one of those).
    if (!live || cursor >= m_s.Size() || m_pathOf[static_cast<size_t>(cursor)] == m_path) {
      live = false;
      while (!m_queue.empty()) {
        const Branch b = m_queue.back();
        m_queue.pop_back();
        if (!m_visited[static_cast<size_t>(b.address)]) {
          cursor = b.address;
          m_layer = b.layer;
          ++m_path;
          live = true;
          break;
        }
      }
      if (!live) return;
    }
    if (budget-- == 0) return;
    m_visited[static_cast<size_t>(cursor)] = true;
    m_pathOf[static_cast<size_t>(cursor)] = m_path;
    const int64_t next = Execute(cursor);
    if (next < 0) {
      live = false;
    } else {
      cursor = static_cast<uint64_t>(next);
    }
  }
}

int64_t Interpreter::Execute(uint64_t r) {
  if (!Fits(r, 2)) return kPathEnd;
  const uint16_t op = m_s.U16(r);
  const int64_t at = static_cast<int64_t>(r);
  switch (op) {
    case 2: case 4: case 9: case 12: case 56: case 66: case 118: case 125: case 127: case 133:
    case 174: case 189:
      return Skip(r, 2);
    case 5:
      m_polygon.clear();
      m_surfaceOn = true;
      return Skip(r, 2);
    case 8:
      ClosePolygon();
      m_polygon.clear();
      m_surfaceOn = false;
      return Skip(r, 2);
    case 134:
      return Skip(r, 3);

    case 18: case 19: case 23: case 30: case 48: case 63: case 71: case 72: case 81: case 83:
    case 89: case 91: case 94: case 101: case 102: case 103: case 113: case 128: case 129:
    case 135: case 142: case 146: case 147: case 153: case 164: case 165: case 172: case 20:
    case 80:
      return Skip(r, 4);
    case 15:
    case 16:
      if (!Fits(r, 4)) return kPathEnd;
      PolygonVertex(N(r), op == 16);
      return at + 4;
    case 82:
      if (!Fits(r, 4)) return kPathEnd;
      m_surfaceWord = N(r);
      return at + 4;

    case 45: case 46: case 77: case 78: case 79: case 84: case 92: case 97: case 126: case 137:
    case 143: case 156: case 159: case 180: case 184: case 188: case 140:
      return Skip(r, 6);
    case 38:
      if (!Fits(r, 6)) return kPathEnd;
      if (N(r) == kMarkedObjectWord && m_s.U16(r + 4) != 0) AddObject(kObjectMarked, kLayerUnset);
      return at + 6;
    case 150: case 151:
      if (!Fits(r, 6)) return kPathEnd;
      Queue(at + N(r));
      return at + 6;

    case 6: case 7: case 55: case 93: case 104: case 106: case 108: case 132: case 155:
    case 162: case 166:
      return Skip(r, 8);
    case 57: case 95: case 109:
      if (!Fits(r, 8)) return kPathEnd;
      Queue(at + N(r));
      return at + 8;
    case 111:
      if (!Fits(r, 8)) return kPathEnd;
      if (PointListOnSurface() && m_lastObject >= 0) {
        AddFootprint(m_s.I16(r + 6), m_s.I16(r + 2));
      }
      return at + 8;

    case 10: case 11: case 40: case 85: case 87: case 105: case 107: case 120: case 121:
    case 161:
      return Skip(r, 10);
    case 14:
      if (!Fits(r, 10)) return kPathEnd;
      DefineVertex(N(r), m_s.I16(r + 4), m_s.I16(r + 6), m_s.I16(r + 8));
      return at + 10;
    case 36: {
      if (!Fits(r, 10)) return kPathEnd;
      int64_t next = kPathEnd;
      VariableTest(r, next);
      return next;
    }
    case 52:
      if (!Fits(r, 10)) return kPathEnd;
      Queue(at + N(r));
      m_scale = m_s.U16(r + 8);
      return at + 10;
    case 110:
      if (!Fits(r, 10)) return kPathEnd;
      if (PointListOnSurface()) {
        const uint8_t layer = m_layer == kLayerUnset ? kDefaultDrawLayer : m_layer;
        if (AddObject(kObjectPointList, layer)) AddFootprint(m_s.I16(r + 8), m_s.I16(r + 4));
      }
      return at + 10;

    case 17: case 145: case 168:
      return Skip(r, 12);
    case 44: case 58: case 64: case 148:
      if (!Fits(r, 12)) return kPathEnd;
      Queue(at + N(r));
      return at + 12;
    case 131:
      if (!Fits(r, 12)) return kPathEnd;
      Queue(at + N(r));
      SetScale(m_s.I32(r + 8));
      return at + 12;

    case 157:
      return Skip(r, 14);
    case 37: case 179:
      if (!Fits(r, 14)) return kPathEnd;
      Queue(at + N(r));
      return at + 14;

    case 25: case 53: case 69:
      return Skip(r, 16);
    case 28: case 115:
      if (!Fits(r, 16)) return kPathEnd;
      Queue(at + N(r));
      return at + 16;
    case 76:
      if (!Fits(r, 16)) return kPathEnd;
      Queue(at + N(r));
      SetScale(m_s.I32(r + 10));
      return at + 16;

    case 49: case 73: case 88: case 130:
      return Skip(r, 18);
    case 114: case 158: case 99:
      return Skip(r, 20);
    case 27: case 33: case 152: case 169:
      if (!Fits(r, 22)) return kPathEnd;
      Queue(at + N(r));
      return at + 22;
    case 24:
      if (!Fits(r, 24)) return kPathEnd;
      std::memcpy(m_texture, m_s.Data() + r + 10, kTextureNameSize);
      return at + 24;
    case 61:
      return Skip(r, 24);
    case 60:
      if (!Fits(r, 28)) return kPathEnd;
      Queue(at + N(r));
      SetReference(m_s.I32(r + 12), m_s.I32(r + 18));
      return at + 28;
    case 173:
      return Skip(r, 30);
    case 47: case 119:
      if (!Fits(r, 32)) return kPathEnd;
      SetScale(m_s.I32(r + 10));
      SetReference(m_s.I32(r + 16), m_s.I32(r + 22));
      return at + 32;
    case 171:
      return Skip(r, 38);
    case 178:
      return Skip(r, 44);
    case 175:
      return Skip(r, 50);
    case 68:
      if (!Fits(r, 64)) return kPathEnd;
      AddRunwayEnds(m_db, OldBglView(m_s.Data() + r, 64), RunwayLayout::kFixed, m_layer);
      return at + 64;
    case 141:
      return Skip(r, 158);

    // Commands whose word at 2 is their own length or a jump over a block.
    case 13: case 31: case 75: case 86: case 154: case 160: case 163: case 176: case 67:
      if (!Fits(r, 4)) return kPathEnd;
      return at + N(r);
    case 35: case 50: case 90: case 117:
      if (!Fits(r, 4)) return kPathEnd;
      Queue(at + 4);
      return at + N(r);
    case 59: case 65:
      if (!Fits(r, 6)) return kPathEnd;
      Queue(at + 6);
      return at + N(r);
    case 116:
      if (!Fits(r, 6)) return kPathEnd;
      Queue(at + 6);
      m_layer = m_s.U8(r + 4);
      return at + N(r);
    case 51: case 149:
      if (!Fits(r, 10)) return kPathEnd;
      Queue(at + 10);
      return at + N(r);
    case 74:
      if (!Fits(r, 12)) return kPathEnd;
      Queue(at + 12);
      return at + N(r);
    case 70: case 167:
      if (!Fits(r, 22)) return kPathEnd;
      Queue(at + 22);
      return at + N(r);
    case 170:
      if (!Fits(r, 34)) return kPathEnd;
      AddRunwayEnds(m_db, OldBglView(m_s.Data() + r, 34), RunwayLayout::kSized, m_layer);
      return at + N(r);

    // Jumps with a signed 32-bit offset; they may lead backwards.
    case 136:
      if (!Fits(r, 6)) return kPathEnd;
      return at + m_s.I32(r + 2);
    case 43: case 138:
      if (!Fits(r, 6)) return kPathEnd;
      Queue(at + 6);
      return at + m_s.I32(r + 2);
    case 139:
      if (!Fits(r, 8)) return kPathEnd;
      Queue(at + 8);
      m_layer = m_s.U8(r + 6);
      return at + m_s.I32(r + 2);

    // Commands whose length follows from their counts.
    case 144:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, (static_cast<uint64_t>(N(r)) + 16) & ~uint64_t{1});
    case 21:
      if (!Fits(r, 6)) return kPathEnd;
      return Skip(r, 18 + (4ull * N(r) + 4) * (m_s.U16(r + 4) + 1ull));
    case 29:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, 16 + 2ull * N(r));
    case 39: case 42: case 124:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, 14 + 2ull * N(r));
    case 32: case 122:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, 14 + 6ull * N(r));
    case 96: case 123:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, 16 + 6ull * N(r));
    case 54:
      if (!Fits(r, 16)) return kPathEnd;
      return Skip(r, 18 + 2ull * (m_s.U16(r + 14) / 16));
    case 62: {
      if (!Fits(r, 14)) return kPathEnd;
      const uint16_t count = N(r);
      const int64_t next = Skip(r, 14 + 2ull * count);
      if (next != kPathEnd) IndexedPolygon(r, count);
      return next;
    }
    case 26:
    case 41: {
      if (!Fits(r, 6)) return kPathEnd;
      const uint16_t count = m_s.U16(r + 4);
      const uint64_t entry = op == 26 ? 6 : 12;
      const int64_t next = Skip(r, 6 + entry * count);
      if (next == kPathEnd) return kPathEnd;
      for (uint32_t i = 0; i < count; ++i) {
        const uint64_t e = r + 6 + entry * i;
        DefineVertex(static_cast<uint32_t>(N(r)) + i, m_s.I16(e), m_s.I16(e + 2), m_s.I16(e + 4));
      }
      return next;
    }
    case 98:
    case 100: {
      if (!Fits(r, 6)) return kPathEnd;
      const int64_t next = Skip(r, 6 + 2ull * m_s.U16(r + 4));
      if (next != kPathEnd && op == 98) Queue(at + N(r));
      return next;
    }
    case 112: {
      if (!Fits(r, 6)) return kPathEnd;
      const int64_t next = Skip(r, 6 + 4ull * m_s.U16(r + 4));
      if (next != kPathEnd) Queue(at + N(r));
      return next;
    }
    case 181:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, 8 + 32ull * N(r));
    case 182:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, 8 + 68ull * N(r));
    case 183:
      if (!Fits(r, 4)) return kPathEnd;
      return Skip(r, 8 + 80ull * N(r));
    case 185: case 186: case 187:
      if (!Fits(r, 8)) return kPathEnd;
      return Skip(r, 8 + 2ull * m_s.U16(r + 6));
    case 3: {
      if (!Fits(r, 8)) return kPathEnd;
      const uint16_t count = N(r);
      if (!Fits(r, 8 + 2ull * count)) return kPathEnd;
      for (uint32_t i = 0; i < count; ++i) {
        const uint16_t offset = m_s.U16(r + 8 + 2ull * i);
        if (offset != 0) Queue(at + offset);
      }
      const uint16_t length = m_s.U16(r + 6);
      return length == 0 ? kPathEnd : at + length;
    }

    // Returns, ends of stream and opcodes without a rule.
    default:
      return kPathEnd;
  }
}

void Interpreter::VariableTest(uint64_t r, int64_t& next) {
  const int64_t at = static_cast<int64_t>(r);
  const uint16_t variable = m_s.U16(r + 4);
  const uint16_t lo = m_s.U16(r + 6);
  const uint16_t hi = m_s.U16(r + 8);
  if (variable == kComFrequencyVariable && lo == hi) {
    const float mhz = static_cast<float>(DecodeBcd8(lo) * 0.01 + 100.0);
    if (IsComChannel(mhz, lo & 0x0F)) {
      ComRecord com;
      com.type = kComPilotLighting;
      com.frequency = mhz;
      AddComPoint(m_db, m_refLat, m_refLon, kPclCourse, com);
    }
  }
  if (variable != kFixedVariable) {
    Queue(at + N(r));
    next = at + 10;
  } else if (lo > kFixedVariableValue || hi < kFixedVariableValue) {
    next = at + N(r);
  } else {
    next = at + 10;
  }
}

void Interpreter::DefineVertex(uint32_t number, int16_t x, int16_t y, int16_t z) {
  if (number >= m_vertices.size()) m_vertices.resize(number + 1);
  m_vertices[number] = Vertex{true, x, y, z};
}

const Vertex* Interpreter::GroundVertex(uint32_t number) const {
  if (number >= m_vertices.size()) return nullptr;
  const Vertex& v = m_vertices[number];
  return (v.valid && v.y == 0) ? &v : nullptr;
}

void Interpreter::PolygonVertex(uint16_t number, bool needsFirst) {
  const Vertex* v = GroundVertex(number);
  if (m_surfaceOn && v != nullptr && (!needsFirst || !m_polygon.empty())) {
    m_polygon.push_back(*v);
  } else {
    m_surfaceOn = false;
  }
}

bool Interpreter::PolygonOnSurface() const {
  if (m_texture[0] == '\0') {
    for (uint16_t w : kPolygonSurfaces) {
      if (m_surfaceWord == w) return true;
    }
    return false;
  }
  return TextureMatches(m_texture, kDirtTexture) || MatchesSurfaceTexture(m_texture);
}

bool Interpreter::PointListOnSurface() const {
  if (m_surfaceWord == kPointListDirtSurface) return TextureMatches(m_texture, kDirtTexture);
  if (m_surfaceWord >= 0xF001 && m_surfaceWord <= 0xF003) return MatchesSurfaceTexture(m_texture);
  return false;
}

void Interpreter::ClosePolygon() {
  if (!m_surfaceOn || m_polygon.size() <= 2 || !PolygonOnSurface()) return;
  if (!AddObject(kObjectPolygon, m_layer)) return;
  for (const Vertex& v : m_polygon) AddFootprint(v.z, v.x);
}

void Interpreter::IndexedPolygon(uint64_t r, uint16_t count) {
  if (m_s.U16(r + 4) != 0 || m_s.U16(r + 8) != 0 || m_s.I16(r + 6) < 0) return;
  if (!PolygonOnSurface()) return;
  std::vector<Vertex> polygon;
  polygon.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const Vertex* v = GroundVertex(m_s.U16(r + 14 + 2ull * i));
    if (v == nullptr) return;
    polygon.push_back(*v);
  }
  if (!AddObject(kObjectPolygon, m_layer)) return;
  for (const Vertex& v : polygon) AddFootprint(v.z, v.x);
}

bool Interpreter::OpenGroupIfNeeded() {
  const int files = m_db.m_files.GetSize();
  if (files == 0) return false;
  // Objects always belong to a group of their own file; a caller that never set its flag still
  // gets one rather than adding to another file's group.
  const int fileFirstGroup = files > 1 ? m_db.m_files[files - 2].objectGroupEnd : 0;
  if (m_newGroup != 0 || m_db.m_files[files - 1].objectGroupEnd <= fileFirstGroup) {
    ObjectGroup group;
    group.SetBand(static_cast<float>(m_bandFirst), static_cast<float>(m_bandSecond));
    m_db.m_objectGroups.Add(group, &m_db.m_files[files - 1].objectGroupEnd);
    m_newGroup = 0;
  }
  return true;
}

bool Interpreter::AddObject(uint8_t flags, uint8_t layer) {
  if (!OpenGroupIfNeeded()) return false;
  ObjectRecord object;
  object.flags = flags;
  object.latitude = ToFloat(m_refLat);
  object.longitude = ToFloat(m_refLon);
  object.scale = ToFloat(m_scale);
  object.layer = layer;
  const int groups = m_db.m_objectGroups.GetSize();
  m_lastObject = m_db.m_objects.Add(object, &m_db.m_objectGroups[groups - 1].objectEnd);
  return true;
}

void Interpreter::AddFootprint(int16_t z, int16_t x) {
  const int objects = m_db.m_objects.GetSize();
  if (m_lastObject < 0 || m_lastObject != objects - 1) return;
  FootprintVertex v;
  v.north = z;
  v.east = x;
  m_db.m_footprintVertices.Add(v);
  ++m_db.m_objects[objects - 1].vertexEnd;
}

// Designator side letters by the side bits: the first end reads the side as stored, the
// opposite end sees left and right mirrored.
constexpr char kFirstEndSide[4] = {'\0', 'L', 'R', 'C'};
constexpr char kSecondEndSide[4] = {'\0', 'R', 'L', 'C'};

// The designator field: the number, its side letter, NUL-padded to four bytes.
void SetDesignator(char (&field)[4], unsigned number, char side) {
  char text[8] = {};
  const auto res = std::to_chars(text, text + 3, number);
  *res.ptr = side;
  std::memcpy(field, text, sizeof field);
}

unsigned FlipRunwayNumber(unsigned n) {
  n += 18;
  return n > 36 ? n - 36 : n;
}

}  // namespace

void InterpretSceneryCommands(CSceneryDatabase& db, uint8_t& newGroup, double bandFirst,
                              double bandSecond, double refLatitude, double refLongitude,
                              const uint8_t* start, const uint8_t* end) {
  if (start == nullptr || end == nullptr || end <= start) return;
  Interpreter(db, newGroup, bandFirst, bandSecond, refLatitude, refLongitude, start,
              static_cast<uint64_t>(end - start))
      .Run();
}

void AddRunwayEnds(CSceneryDatabase& db, const OldBglView& command, RunwayLayout layout,
                   int layer) {
  struct Fields {
    uint32_t lat, lon, altitude, heading, length, width, designator, surface;
  };
  static constexpr Fields kFixed = {4, 10, 16, 20, 22, 24, 27, 30};
  static constexpr Fields kSized = {7, 13, 19, 23, 25, 27, 33, 31};
  const Fields& f = layout == RunwayLayout::kFixed ? kFixed : kSized;
  if (!command.Holds(0, f.designator + 1ull)) return;

  const double lat = command.I32(f.lat) * kBglMetresToDegrees;
  const double lon = command.I32(f.lon) * kBglAngleToDegrees;
  const int16_t altitude = command.I16(f.altitude);
  const uint16_t heading = command.U16(f.heading);
  const uint16_t lengthFeet = command.U16(f.length);
  const uint16_t widthFeet = command.U16(f.width);
  const uint8_t designator = command.U8(f.designator);
  const uint8_t surface = command.U8(f.surface);

  if ((surface == kSurfaceWater && widthFeet > kMaxWaterWidthFeet) || widthFeet > kMaxWidthFeet) {
    return;
  }
  // The ends are spread by 1 / cos(latitude); at the poles (or at a latitude no runway can have)
  // there is no east-west direction to spread them along.
  if (!(std::fabs(lat) < 90.0)) return;

  double lengthM = lengthFeet / kFeetPerMetre;
  if (lengthM > kRunwayCutAbove) lengthM -= kRunwayCut;
  const double h = BinaryAngleToDegrees(heading);
  const double dLat = std::cos(h * kDegToRad) * lengthM * 0.5 * kBglMetresToDegrees;
  const double dLon = std::sin(h * kDegToRad) * lengthM * 0.5 * kBglMetresToDegrees /
                      std::cos(lat * kDegToRad);
  auto wrap = [](double v) { return v > 180 ? v - 360 : (v < -180 ? v + 360 : v); };
  const double lat1 = lat - dLat;
  const double lon1 = wrap(lon - dLon);
  const double lat2 = lat + dLat;
  const double lon2 = wrap(lon + dLon);

  unsigned number = designator & 0x3F;
  const unsigned side = designator >> 6;
  if (number <= 36) {
    double d = std::fabs(10.0 * number - h);
    if (d > 180) d = 360 - d;
    if (d > 90) number = FlipRunwayNumber(number);
  }
  const uint8_t layerByte = static_cast<uint8_t>(layer);
  RunwayRecord record;
  record.ilsWord = kRunwayIlsMask |
                   (static_cast<uint32_t>(layerByte == kLayerUnset ? kDefaultDrawLayer : layerByte) << 25);
  record.altitude = altitude;
  record.width = static_cast<int16_t>(widthFeet);
  record.length = lengthFeet;
  record.surface = surface;

  SetDesignator(record.designator, number, kFirstEndSide[side & 3]);
  record.heading = heading;
  NavPoint first(lat1, lon1, kKindRunway, 1);
  db.AddPoint(lat, lon, first, &record);

  number = FlipRunwayNumber(number);
  SetDesignator(record.designator, number, kSecondEndSide[side & 3]);
  record.heading = static_cast<uint16_t>(heading - kBinaryAngleHalfTurn);
  NavPoint second(lat2, lon2, kKindRunway, 1);
  db.AddPoint(lat, lon, second, &record);
}
