#include "basemaker/compiler/SceneryCommandInterpreter.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
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

class Interpreter;

// How the walk goes on after a command.
enum class Flow : uint8_t {
  kEnd,        // returns, ends of stream and opcodes without a rule
  kFixed,      // past the command's `size` bytes
  kCounted,    // past a length that follows from the counts in the command
  kOwnLength,  // by the word at 2: the command's own length, or a jump over a block
  kJump,       // by the signed 32-bit offset at 2, which may lead backwards
};

// The second path a command opens.
enum class Fork : uint8_t {
  kNone,
  kByWord,    // at the command plus the word at 2
  kPastHead,  // just past the command's `size` bytes
};

// What a command does besides moving on; it may set where the path goes next.
using Effect = void (Interpreter::*)(uint64_t r, int64_t& next);
// The whole length of a counted command, once its `size` bytes fit.
using Length = uint64_t (*)(const OldBglView& s, uint64_t r);

struct Command {
  Flow flow = Flow::kEnd;
  uint8_t size = 0;  // bytes that must fit before any field is read
  Fork fork = Fork::kNone;
  Length length = nullptr;
  Effect effect = nullptr;
};

constexpr Command Fixed(uint8_t size, Effect effect = nullptr) {
  return {Flow::kFixed, size, Fork::kNone, nullptr, effect};
}
// A fixed-size command that also opens the path at the command plus its word at 2.
constexpr Command Forking(uint8_t size, Effect effect = nullptr) {
  return {Flow::kFixed, size, Fork::kByWord, nullptr, effect};
}
constexpr Command OwnLength(uint8_t size, Fork fork, Effect effect = nullptr) {
  return {Flow::kOwnLength, size, fork, nullptr, effect};
}
constexpr Command Jump(uint8_t size, Fork fork, Effect effect = nullptr) {
  return {Flow::kJump, size, fork, nullptr, effect};
}
constexpr Command Counted(uint8_t size, Length length, Fork fork = Fork::kNone,
                          Effect effect = nullptr) {
  return {Flow::kCounted, size, fork, length, effect};
}

// kBase bytes and kUnit more for each of the count at kAt.
template <uint64_t kBase, uint64_t kUnit, uint64_t kAt>
uint64_t CountAt(const OldBglView& s, uint64_t r) {
  return kBase + kUnit * s.U16(r + kAt);
}
// The word at 2 and 16 bytes, rounded up to an even length.
uint64_t EvenLength(const OldBglView& s, uint64_t r) {
  return (static_cast<uint64_t>(s.U16(r + 2)) + 16) & ~uint64_t{1};
}
// A block of (word at 4 + 1) rows of (word at 2 + 1) four-byte cells after an 18-byte head.
uint64_t GridLength(const OldBglView& s, uint64_t r) {
  return 18 + (4ull * s.U16(r + 2) + 4) * (s.U16(r + 4) + 1ull);
}
// One word for every 16 units of the word at 14, after an 18-byte head.
uint64_t SixteenthsLength(const OldBglView& s, uint64_t r) {
  return 18 + 2ull * (s.U16(r + 14) / 16);
}

inline constexpr size_t kOpcodeCount = 256;
using CommandTable = std::array<Command, kOpcodeCount>;

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

  static constexpr CommandTable BuildCommands();
  static const CommandTable kCommands;

  int64_t Execute(uint64_t r);
  bool Fits(uint64_t r, uint64_t length) const { return m_s.Holds(r, length); }
  void Queue(int64_t address) {
    // A branch out of the stream could never be walked; it is dropped at once.
    if (address >= 0 && static_cast<uint64_t>(address) < m_s.Size()) {
      m_queue.push_back({static_cast<uint64_t>(address), m_layer});
    }
  }
  uint16_t N(uint64_t r) const { return m_s.U16(r + 2); }

  // The effects of the commands, as the table names them.
  void OpenPolygon(uint64_t r, int64_t& next);
  void EndPolygon(uint64_t r, int64_t& next);
  void AddPolygonVertex(uint64_t r, int64_t& next);
  void AddLaterPolygonVertex(uint64_t r, int64_t& next);
  void SetSurfaceWord(uint64_t r, int64_t& next);
  void MarkObject(uint64_t r, int64_t& next);
  void AddPointListVertex(uint64_t r, int64_t& next);
  void StartPointList(uint64_t r, int64_t& next);
  void DefineOneVertex(uint64_t r, int64_t& next);
  void DefineVertices(uint64_t r, int64_t& next);
  void DefineWideVertices(uint64_t r, int64_t& next);
  void IndexedPolygon(uint64_t r, int64_t& next);
  void VariableTest(uint64_t r, int64_t& next);
  void BranchTable(uint64_t r, int64_t& next);
  void SetScaleWord(uint64_t r, int64_t& next);
  void SetScaleAt8(uint64_t r, int64_t& next);
  void SetScaleAt10(uint64_t r, int64_t& next);
  void SetReferenceAt12(uint64_t r, int64_t& next);
  void SetScaleAndReference(uint64_t r, int64_t& next);
  void SetTexture(uint64_t r, int64_t& next);
  void SetLayerAt4(uint64_t r, int64_t& next);
  void SetLayerAt6(uint64_t r, int64_t& next);
  void FixedRunway(uint64_t r, int64_t& next);
  void SizedRunway(uint64_t r, int64_t& next);

  void PolygonVertex(uint16_t number, bool needsFirst);
  void ClosePolygon();
  void DefineVertexList(uint64_t r, uint64_t entrySize);
  void DefineVertex(uint32_t number, int16_t x, int16_t y, int16_t z);
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

constexpr CommandTable Interpreter::BuildCommands() {
  CommandTable t{};
  const auto set = [&t](std::initializer_list<uint16_t> opcodes, Command c) {
    for (uint16_t op : opcodes) {
      if (t[op].flow != Flow::kEnd) throw "an opcode with two rules";
      t[op] = c;
    }
  };
  using F = Fork;
  using I = Interpreter;

  set({2, 4, 9, 12, 56, 66, 118, 125, 127, 133, 174, 189}, Fixed(2));
  set({5}, Fixed(2, &I::OpenPolygon));
  set({8}, Fixed(2, &I::EndPolygon));
  set({134}, Fixed(3));
  set({18, 19, 20, 23, 30, 48, 63, 71, 72, 80, 81, 83, 89, 91, 94, 101, 102, 103, 113, 128, 129, 135,
       142, 146, 147, 153, 164, 165, 172},
      Fixed(4));
  set({15}, Fixed(4, &I::AddPolygonVertex));
  set({16}, Fixed(4, &I::AddLaterPolygonVertex));
  set({82}, Fixed(4, &I::SetSurfaceWord));
  set({45, 46, 77, 78, 79, 84, 92, 97, 126, 137, 140, 143, 156, 159, 180, 184, 188}, Fixed(6));
  set({38}, Fixed(6, &I::MarkObject));
  set({6, 7, 55, 93, 104, 106, 108, 132, 155, 162, 166}, Fixed(8));
  set({111}, Fixed(8, &I::AddPointListVertex));
  set({10, 11, 40, 85, 87, 105, 107, 120, 121, 161}, Fixed(10));
  set({14}, Fixed(10, &I::DefineOneVertex));
  set({36}, Fixed(10, &I::VariableTest));
  set({110}, Fixed(10, &I::StartPointList));
  set({17, 145, 168}, Fixed(12));
  set({157}, Fixed(14));
  set({25, 53, 69}, Fixed(16));
  set({49, 73, 88, 130}, Fixed(18));
  set({99, 114, 158}, Fixed(20));
  set({61}, Fixed(24));
  set({24}, Fixed(24, &I::SetTexture));
  set({173}, Fixed(30));
  set({47, 119}, Fixed(32, &I::SetScaleAndReference));
  set({171}, Fixed(38));
  set({178}, Fixed(44));
  set({175}, Fixed(50));
  set({68}, Fixed(64, &I::FixedRunway));
  set({141}, Fixed(158));

  set({150, 151}, Forking(6));
  set({57, 95, 109}, Forking(8));
  set({52}, Forking(10, &I::SetScaleWord));
  set({44, 58, 64, 148}, Forking(12));
  set({131}, Forking(12, &I::SetScaleAt8));
  set({37, 179}, Forking(14));
  set({28, 115}, Forking(16));
  set({76}, Forking(16, &I::SetScaleAt10));
  set({27, 33, 152, 169}, Forking(22));
  set({60}, Forking(28, &I::SetReferenceAt12));

  set({13, 31, 67, 75, 86, 154, 160, 163, 176}, OwnLength(4, F::kNone));
  set({35, 50, 90, 117}, OwnLength(4, F::kPastHead));
  set({59, 65}, OwnLength(6, F::kPastHead));
  set({116}, OwnLength(6, F::kPastHead, &I::SetLayerAt4));
  set({51, 149}, OwnLength(10, F::kPastHead));
  set({74}, OwnLength(12, F::kPastHead));
  set({70, 167}, OwnLength(22, F::kPastHead));
  set({170}, OwnLength(34, F::kNone, &I::SizedRunway));

  set({136}, Jump(6, F::kNone));
  set({43, 138}, Jump(6, F::kPastHead));
  set({139}, Jump(8, F::kPastHead, &I::SetLayerAt6));

  set({144}, Counted(4, &EvenLength));
  set({21}, Counted(6, &GridLength));
  set({29}, Counted(4, &CountAt<16, 2, 2>));
  set({39, 42, 124}, Counted(4, &CountAt<14, 2, 2>));
  set({32, 122}, Counted(4, &CountAt<14, 6, 2>));
  set({96, 123}, Counted(4, &CountAt<16, 6, 2>));
  set({54}, Counted(16, &SixteenthsLength));
  set({62}, Counted(14, &CountAt<14, 2, 2>, F::kNone, &I::IndexedPolygon));
  set({26}, Counted(6, &CountAt<6, 6, 4>, F::kNone, &I::DefineVertices));
  set({41}, Counted(6, &CountAt<6, 12, 4>, F::kNone, &I::DefineWideVertices));
  set({98}, Counted(6, &CountAt<6, 2, 4>, F::kByWord));
  set({100}, Counted(6, &CountAt<6, 2, 4>));
  set({112}, Counted(6, &CountAt<6, 4, 4>, F::kByWord));
  set({181}, Counted(4, &CountAt<8, 32, 2>));
  set({182}, Counted(4, &CountAt<8, 68, 2>));
  set({183}, Counted(4, &CountAt<8, 80, 2>));
  set({185, 186, 187}, Counted(8, &CountAt<8, 2, 6>));
  set({3}, Counted(8, &CountAt<8, 2, 2>, F::kNone, &I::BranchTable));
  return t;
}

// Built while compiling: an opcode given two rules does not compile.
constinit const CommandTable Interpreter::kCommands = Interpreter::BuildCommands();

int64_t Interpreter::Execute(uint64_t r) {
  if (!Fits(r, 2)) return kPathEnd;
  const uint16_t op = m_s.U16(r);
  if (op >= kCommands.size()) return kPathEnd;
  const Command& c = kCommands[op];
  if (c.flow == Flow::kEnd || !Fits(r, c.size)) return kPathEnd;
  const int64_t at = static_cast<int64_t>(r);
  int64_t next = kPathEnd;
  switch (c.flow) {
    case Flow::kFixed:
      next = at + c.size;
      break;
    case Flow::kCounted: {
      const uint64_t length = c.length(m_s, r);
      if (!Fits(r, length)) return kPathEnd;
      next = at + static_cast<int64_t>(length);
      break;
    }
    case Flow::kOwnLength:
      next = at + N(r);
      break;
    case Flow::kJump:
      next = at + m_s.I32(r + 2);
      break;
    case Flow::kEnd:
      return kPathEnd;
  }
  if (c.fork == Fork::kByWord) Queue(at + N(r));
  if (c.fork == Fork::kPastHead) Queue(at + c.size);
  if (c.effect != nullptr) (this->*c.effect)(r, next);
  return next;
}

void Interpreter::OpenPolygon(uint64_t, int64_t&) {
  m_polygon.clear();
  m_surfaceOn = true;
}

void Interpreter::EndPolygon(uint64_t, int64_t&) {
  ClosePolygon();
  m_polygon.clear();
  m_surfaceOn = false;
}

void Interpreter::AddPolygonVertex(uint64_t r, int64_t&) { PolygonVertex(N(r), false); }

void Interpreter::AddLaterPolygonVertex(uint64_t r, int64_t&) { PolygonVertex(N(r), true); }

void Interpreter::SetSurfaceWord(uint64_t r, int64_t&) { m_surfaceWord = N(r); }

void Interpreter::MarkObject(uint64_t r, int64_t&) {
  if (N(r) == kMarkedObjectWord && m_s.U16(r + 4) != 0) AddObject(kObjectMarked, kLayerUnset);
}

void Interpreter::AddPointListVertex(uint64_t r, int64_t&) {
  if (PointListOnSurface() && m_lastObject >= 0) AddFootprint(m_s.I16(r + 6), m_s.I16(r + 2));
}

void Interpreter::StartPointList(uint64_t r, int64_t&) {
  if (!PointListOnSurface()) return;
  const uint8_t layer = m_layer == kLayerUnset ? kDefaultDrawLayer : m_layer;
  if (AddObject(kObjectPointList, layer)) AddFootprint(m_s.I16(r + 8), m_s.I16(r + 4));
}

void Interpreter::DefineOneVertex(uint64_t r, int64_t&) {
  DefineVertex(N(r), m_s.I16(r + 4), m_s.I16(r + 6), m_s.I16(r + 8));
}

void Interpreter::DefineVertices(uint64_t r, int64_t&) { DefineVertexList(r, 6); }

void Interpreter::DefineWideVertices(uint64_t r, int64_t&) { DefineVertexList(r, 12); }

void Interpreter::DefineVertexList(uint64_t r, uint64_t entrySize) {
  const uint16_t count = m_s.U16(r + 4);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t e = r + 6 + entrySize * i;
    DefineVertex(static_cast<uint32_t>(N(r)) + i, m_s.I16(e), m_s.I16(e + 2), m_s.I16(e + 4));
  }
}

void Interpreter::BranchTable(uint64_t r, int64_t& next) {
  const int64_t at = static_cast<int64_t>(r);
  const uint16_t count = N(r);
  for (uint32_t i = 0; i < count; ++i) {
    const uint16_t offset = m_s.U16(r + 8 + 2ull * i);
    if (offset != 0) Queue(at + offset);
  }
  const uint16_t length = m_s.U16(r + 6);
  next = length == 0 ? kPathEnd : at + length;
}

void Interpreter::SetScaleWord(uint64_t r, int64_t&) { m_scale = m_s.U16(r + 8); }

void Interpreter::SetScaleAt8(uint64_t r, int64_t&) { SetScale(m_s.I32(r + 8)); }

void Interpreter::SetScaleAt10(uint64_t r, int64_t&) { SetScale(m_s.I32(r + 10)); }

void Interpreter::SetReferenceAt12(uint64_t r, int64_t&) { SetReference(m_s.I32(r + 12), m_s.I32(r + 18)); }

void Interpreter::SetScaleAndReference(uint64_t r, int64_t&) {
  SetScale(m_s.I32(r + 10));
  SetReference(m_s.I32(r + 16), m_s.I32(r + 22));
}

void Interpreter::SetTexture(uint64_t r, int64_t&) {
  std::memcpy(m_texture, m_s.Data() + r + 10, kTextureNameSize);
}

// The layer is set after the branch is queued: the branch keeps the layer it was opened under.
void Interpreter::SetLayerAt4(uint64_t r, int64_t&) { m_layer = m_s.U8(r + 4); }

void Interpreter::SetLayerAt6(uint64_t r, int64_t&) { m_layer = m_s.U8(r + 6); }

void Interpreter::FixedRunway(uint64_t r, int64_t&) {
  AddRunwayEnds(m_db, OldBglView(m_s.Data() + r, 64), RunwayLayout::kFixed, m_layer);
}

void Interpreter::SizedRunway(uint64_t r, int64_t&) {
  AddRunwayEnds(m_db, OldBglView(m_s.Data() + r, 34), RunwayLayout::kSized, m_layer);
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

void Interpreter::IndexedPolygon(uint64_t r, int64_t&) {
  const uint16_t count = N(r);
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
