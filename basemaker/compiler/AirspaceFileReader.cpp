#include "basemaker/compiler/AirspaceFileReader.h"

#include <cmath>
#include <cstring>

#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"
#include "navdb/SceneryDatabase.h"

namespace {

constexpr size_t kLinePiece = 511;
constexpr int kAirspaceFieldCount = 20;
constexpr uint64_t kAbortPollLines = 50;
constexpr size_t kIdentChars = 4;
constexpr size_t kTextChars = 99;
constexpr int kMaxAirspaceType = 12;
// Only control zones (type 3) and FIRs (type 8) are labelled on the map.
constexpr int kLabelledTypeA = 3;
constexpr int kLabelledTypeB = 8;
constexpr uint16_t kAirspaceFrequencyType = 0x8000;

double RaiseSouth(double lat) { return lat < kAirspaceSouthLimit ? kAirspaceSouthLimit : lat; }

std::string_view Truncated(std::string_view text, size_t maxChars) {
  return text.substr(0, std::min(text.size(), maxChars));
}

bool EdgeUsesArc(int edgeType) {
  return edgeType == 0 || edgeType == 2 || edgeType == 5 || edgeType == 6;
}

uint16_t ClassWord(int type, int levelA, int levelB, int classValue) {
  return static_cast<uint16_t>((type & 0xF) | ((levelA & 3) << 4) | ((levelB & 3) << 6) |
                               ((classValue & 7) << 8));
}

// The airspace being collected from consecutive lines.
struct CurrentAirspace {
  bool exists = false;
  bool valid = false;
  int type = 0;
  char levelA = 0;
  char levelB = 0;
  char classLetter = 0;
  AirspaceOutline outline;
};

bool StartsNewAirspace(const CurrentAirspace& current, const AirspaceLine& line,
                       int previousSequence) {
  if (!current.exists) {
    return true;
  }
  const AirspaceOutline& o = current.outline;
  if (line.ident != o.ident || line.name != o.name || line.sequence <= previousSequence) {
    return true;
  }
  return !o.vertices.empty() && (static_cast<float>(line.startLat) != o.lastEndLat ||
                                 static_cast<float>(line.startLon) != o.lastEndLon);
}

void StartAirspace(CurrentAirspace& current, const AirspaceLine& line) {
  current.exists = true;
  current.type = line.type;
  current.levelA = line.levelA;
  current.levelB = line.levelB;
  current.classLetter = line.classLetter;
  AirspaceOutline& o = current.outline;
  o.ident.assign(Truncated(line.ident, kIdentChars));
  o.name.assign(Truncated(line.name, kTextChars));
  o.callSign.assign(Truncated(line.callSign, kTextChars));
  o.frequency1 = line.frequency1;
  o.frequency2 = line.frequency2;
  o.vertices.clear();
  o.arcs.clear();
  o.lastEndLat = 0;
  o.lastEndLon = 0;
  const int levelA = AirspaceLevelValue(line.levelA);
  const int levelB = AirspaceLevelValue(line.levelB);
  const int classValue = AirspaceClassValue(line.classLetter);
  current.valid = line.type >= 1 && line.type <= kMaxAirspaceType && levelA >= 0 && levelB >= 0 &&
                  classValue >= 0;
  o.classWord = ClassWord(line.type, levelA, levelB, classValue);
}

void AddLine(CurrentAirspace& current, const AirspaceLine& line) {
  const int edgeType = AirspaceEdgeType(line.edgeLetter);
  if (line.type != current.type || edgeType < 0 || line.classLetter != current.classLetter ||
      line.levelA != current.levelA || line.levelB != current.levelB) {
    current.valid = false;
    return;
  }
  AirspaceVertex vertex;
  vertex.latitude = static_cast<float>(line.startLat);
  vertex.longitude = static_cast<float>(line.startLon);
  vertex.edge = static_cast<uint8_t>(edgeType & 7);
  vertex.extraOffset = -1;
  current.outline.vertices.push_back(vertex);
  current.outline.arcs.push_back(line.arc);
  current.outline.lastEndLat = static_cast<float>(line.endLat);
  current.outline.lastEndLon = static_cast<float>(line.endLon);
}

}  // namespace

int AirspaceEdgeType(char letter) {
  switch (letter) {
    case 'A': return 0;
    case 'B': return 1;
    case 'C': return 2;
    case 'G': return 3;
    case 'H': return 4;
    case 'L': return 5;
    case 'R': return 6;
    default: return -1;
  }
}

int AirspaceLevelValue(char letter) {
  switch (letter) {
    case 'L': return 1;
    case 'H': return 2;
    case 'B': return 3;
    default: return -1;
  }
}

int AirspaceClassValue(char letter) {
  if (letter == '\0') {
    return 0;
  }
  if (letter >= 'A' && letter <= 'G') {
    return letter - 'A' + 1;
  }
  return -1;
}

float ParseAirspaceFrequency(const char* field) {
  const char* end = nullptr;
  const double value = ReadDouble(field, &end);
  while (*end == ' ' || *end == '\t') {
    ++end;
  }
  if (!std::isfinite(value)) {
    return 0.0f;
  }
  if (*end == 'K' || *end == 'k') {
    return static_cast<float>(value / 1000.0);
  }
  return static_cast<float>(std::floor(value * 100.0 + 0.4) / 100.0);
}

bool ParseAirspaceFields(char* line, AirspaceLine& out) {
  const char* fields[kAirspaceFieldCount];
  char* cursor = line;
  for (const char*& field : fields) {
    field = SplitNextField(cursor, kNavTextSeparators);
    if (IsMissingField(field)) {
      return false;
    }
  }
  out.type = ReadInt(fields[0]) & 0xF;
  out.ident = fields[1];
  out.name = fields[2];
  out.levelA = fields[3][0];
  out.levelB = fields[4][0];
  out.classLetter = fields[5][0];
  out.sequence = ReadInt(fields[6]);
  out.startLat = RaiseSouth(ReadDouble(fields[7]));
  out.startLon = ReadDouble(fields[8]);
  out.endLat = RaiseSouth(ReadDouble(fields[9]));
  out.endLon = ReadDouble(fields[10]);
  out.edgeLetter = fields[11][0];
  out.callSign = fields[12];
  out.frequency1 = ParseAirspaceFrequency(fields[13]);
  out.frequency2 = ParseAirspaceFrequency(fields[14]);
  out.arc.centreLatitude = static_cast<float>(ReadDouble(fields[16]));
  out.arc.centreLongitude = static_cast<float>(ReadDouble(fields[17]));
  out.arc.radiusNm = static_cast<float>(ReadDouble(fields[18]));
  // "inf" and "nan" read as numbers, but no outline or label can be placed with them.
  for (double v : {out.startLat, out.startLon, out.endLat, out.endLon,
                   static_cast<double>(out.arc.centreLatitude),
                   static_cast<double>(out.arc.centreLongitude),
                   static_cast<double>(out.arc.radiusNm)}) {
    if (!std::isfinite(v)) {
      return false;
    }
  }
  return true;
}

bool AddAirspaceShape(CSceneryDatabase& db, const AirspaceOutline& outline) {
  if (outline.vertices.empty() || db.m_files.GetSize() == 0) {
    return false;
  }
  const AirspaceVertex& first = outline.vertices.front();
  if (outline.vertices.size() > 1 &&
      (outline.lastEndLat != first.latitude || outline.lastEndLon != first.longitude)) {
    return false;
  }
  BglFileRecord& file = db.m_files[db.m_files.GetSize() - 1];
  AirspaceShape shape;
  shape.flags = outline.classWord;
  int shapeEnd = file.airspaceShapeEnd;  // a packed field: counted here and stored back
  const int shapeIndex = db.m_airspaceShapes.Add(shape, &shapeEnd);
  file.airspaceShapeEnd = shapeEnd;
  for (size_t i = 0; i < outline.vertices.size(); ++i) {
    AirspaceVertex vertex = outline.vertices[i];
    if (EdgeUsesArc(vertex.EdgeType()) && i < outline.arcs.size()) {
      db.AddVertexExtra(vertex, outline.arcs[i]);
    }
    db.m_airspaceVertices.SetAtGrow(db.m_airspaceVertices.GetSize(), vertex);
    ++db.m_airspaceShapes[shapeIndex].vertexEnd;
  }

  const int type = outline.classWord & 0xF;
  if (type != kLabelledTypeA && type != kLabelledTypeB) {
    return true;
  }
  const int levelA = (outline.classWord >> 4) & 3;
  const int levelB = (outline.classWord >> 6) & 3;
  uint8_t payload[sizeof(AirspaceRecord) + 2 * sizeof(FrequencyEntry)];
  AirspaceRecord record;
  record.classWord = static_cast<uint16_t>((1u << (type - 1)) | (levelA << 14));
  record.nameText = db.AddString(outline.name.c_str());
  record.callSignText = db.AddString(outline.callSign.c_str());
  CopyTruncated(record.ident, outline.ident.c_str(), sizeof record.ident - 1);
  record.frequencyCount = 0;
  for (float frequency : {outline.frequency1, outline.frequency2}) {
    if (frequency > 0) {
      const FrequencyEntry entry{kAirspaceFrequencyType, frequency};
      std::memcpy(payload + sizeof record + record.frequencyCount * sizeof entry, &entry,
                  sizeof entry);
      ++record.frequencyCount;
    }
  }
  std::memcpy(payload, &record, sizeof record);

  double lat = 0;
  double lon = 0;
  db.m_airspaceShapes.GetLabelPosition(lat, lon, shapeIndex);
  const uint16_t kind = levelB == 3   ? kKindAirspaceHigh
                        : levelB == 2 ? kKindAirspaceMid
                                      : kKindAirspaceLow;
  NavPoint point(lat, lon, kind, 1);
  db.AddPoint(lat, lon, point, payload);
  return true;
}

bool ReadAirspaceFile(const NavTextFile& file, CSceneryDatabase& db, const ReaderSignals& signals) {
  CTextLineReader lines;
  if (!lines.Open(file.fullPath)) {
    return true;
  }
  const bool ok = ReadAirspaceLines(lines, file, db, signals);
  lines.Close();
  return ok;
}

bool ReadAirspaceLines(CTextLineReader& lines, const NavTextFile& file, CSceneryDatabase& db,
                       const ReaderSignals& signals) {
  AppendTextFileRecord(db, file);
  CurrentAirspace current;
  int previousSequence = 0;
  AirspaceLine line;
  char buffer[kLinePiece + 1];
  for (uint64_t count = 0; lines.ReadPiece(buffer, kLinePiece); ++count) {
    if (!ParseAirspaceFields(buffer, line)) {
      continue;
    }
    if (StartsNewAirspace(current, line, previousSequence)) {
      if (current.exists && current.valid) {
        AddAirspaceShape(db, current.outline);
      }
      StartAirspace(current, line);
    }
    previousSequence = line.sequence;
    if (current.valid) {
      AddLine(current, line);
    }
    if (count % kAbortPollLines == 0 && signals.AbortRequested()) {
      return false;
    }
  }
  if (current.exists && current.valid) {
    AddAirspaceShape(db, current.outline);
  }
  return true;
}
