#include "basemaker/compiler/IntersectionFileReader.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"
#include "navdb/SceneryDatabase.h"

namespace {

constexpr size_t kLinePiece = 255;
constexpr uint64_t kHeartbeatLines = 5000;
constexpr uint64_t kAbortPollLines = 500;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHemisphere(char c) { return c != '\0' && std::strchr("NESW", c) != nullptr; }

}  // namespace

bool IsCoordinateFixIdent(const char* ident) {
  if (std::strlen(ident) != 5) {
    return false;
  }
  if (!IsDigit(ident[0]) || !IsDigit(ident[1]) || !IsDigit(ident[3])) {
    return false;
  }
  return (IsDigit(ident[2]) && IsHemisphere(ident[4])) ||
         (IsDigit(ident[4]) && IsHemisphere(ident[2]));
}

bool ParseIntersectionLine(char* line, IntersectionLine& out) {
  char* cursor = line;
  const char* ident = SplitNextField(cursor, kNavTextSeparators);
  if (IsMissingField(ident)) {
    return false;
  }
  const char* latText = SplitNextField(cursor, kNavTextSeparators);
  if (IsMissingField(latText)) {
    return false;
  }
  const char* lonText = SplitNextField(cursor, kNavTextSeparators);
  if (IsMissingField(lonText)) {
    return false;
  }
  const char* typeText = SplitNextField(cursor, kNavTextSeparators);
  int type = IsMissingField(typeText) ? kDefaultIntersectionType : ReadInt(typeText);
  if (IsCoordinateFixIdent(ident)) {
    type = kCoordinateFixType;
  }
  out.latitude = ReadDouble(latText);
  out.longitude = ReadDouble(lonText);
  // A position off the globe would give the point a tile and a cell code that do not exist.
  if (!(std::fabs(out.latitude) <= 90.0) || !(std::fabs(out.longitude) <= 180.0)) {
    return false;
  }
  out.header = IntersectionRecord{};
  out.header.type = IntersectionTypeByte(type);
  out.header.navaid = -1;
  out.header.cellCode = CellCode(out.latitude, out.longitude);
  CopyTruncated(out.header.ident, ident, sizeof out.header.ident - 1);
  out.header.segmentCount = 0;
  return true;
}

bool ReadIntersectionFile(const NavTextFile& file, CSceneryDatabase& db,
                          const ReaderSignals& signals) {
  CTextLineReader lines;
  if (!lines.Open(file.fullPath)) {
    return true;
  }
  const bool ok = ReadIntersectionLines(lines, file, db, signals);
  lines.Close();
  return ok;
}

bool ReadIntersectionLines(CTextLineReader& lines, const NavTextFile& file, CSceneryDatabase& db,
                           const ReaderSignals& signals) {
  AppendTextFileRecord(db, file);
  // The lines name fixes all over the globe in no order: filed together, each point array's
  // tail moves once per tile rather than once per fix.
  std::vector<IntersectionRecord> headers;
  std::vector<CSceneryDatabase::PendingPoint> points;
  // Fixes read before an abort are filed too: the caller sees the same database either way.
  const auto fileCollected = [&] {
    for (size_t i = 0; i < points.size(); ++i) points[i].payload = &headers[i];
    db.AddPoints(points);
  };
  char line[kLinePiece + 1];
  for (uint64_t count = 0; lines.ReadPiece(line, kLinePiece); ++count) {
    if (count % kHeartbeatLines == kHeartbeatLines - 1) {
      signals.Heartbeat();
    }
    IntersectionLine parsed;
    if (ParseIntersectionLine(line, parsed)) {
      headers.push_back(parsed.header);
      points.push_back({parsed.latitude, parsed.longitude,
                        NavPoint(parsed.latitude, parsed.longitude, kKindIntersection, 1), nullptr});
    }
    if (count % kAbortPollLines == 0 && signals.AbortRequested()) {
      fileCollected();
      return false;
    }
  }
  fileCollected();
  return true;
}
