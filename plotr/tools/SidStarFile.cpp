#include "plotr/tools/SidStarFile.h"

#include "navdb/ProfileFile.h"
#include "plotr/plan/PlanPoint.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kLineBreakByte = static_cast<char>(0xB6);

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The value of a key cut to `limit` characters, "" when missing.
std::string GetText(const CProfileFile& file, const char* section, const char* key, size_t limit) {
  std::vector<char> buffer(limit + 1);
  const size_t length = file.GetString(section, key, "", buffer.data(), buffer.size());
  return std::string(buffer.data(), length);
}

bool ParseDegrees(std::string_view text, double bound, float& out) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
      std::fabs(value) > bound) {
    return false;
  }
  out = static_cast<float>(value);
  return true;
}

bool ParseInt(std::string_view text, int32_t& out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

std::string FormatDegrees(float value) {
  char buffer[48];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::fixed, 6);
  return std::string(buffer, result.ptr);
}

std::string FormatInt(int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool IsHexUpper(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The runway end of a procedure is its first waypoint (SID) or its last (STAR); the other end is
// the en-route fix and must not be a runway.
bool TakeRunwayEnd(CSidStarProcedure& procedure, bool isStar) {
  const CSidStarWaypoint& runway = isStar ? procedure.waypoints.back() : procedure.waypoints.front();
  const CSidStarWaypoint& fix = isStar ? procedure.waypoints.front() : procedure.waypoints.back();
  // The procedure's runway field holds three characters; longer identifiers cannot be matched.
  if (runway.type != 'R' || fix.type == 'R' || runway.Ident().size() > kSidStarRunwaySize) {
    return false;
  }
  procedure.runway = std::string(runway.Ident());
  procedure.lat = runway.lat;
  procedure.lon = runway.lon;
  procedure.heading = runway.heading;
  return true;
}

}  // namespace

std::string SidStarChecksum(std::string_view text) {
  uint32_t sum = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t v = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(text[i])));
    if (i & 1) v <<= 1;
    sum += (v % 256) + (v >> 8);
  }
  if (sum == 0) return "0";
  std::string digits;
  while (sum != 0) {
    digits.insert(digits.begin(), "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[sum % 36]);
    sum /= 36;
  }
  return digits;
}

bool SplitSidStarTitle(std::string_view title, std::string& guid, char& separator, std::string& stamp) {
  if (title.size() != kSidStarTitleLength || (title[kSidStarGuidLength] != '-' && title[kSidStarGuidLength] != '+')) {
    return false;
  }
  guid.assign(title.substr(0, kSidStarGuidLength));
  separator = title[kSidStarGuidLength];
  stamp.assign(title.substr(kSidStarGuidLength + 1));
  return true;
}

bool IsSidStarGuid(std::string_view guid) {
  if (guid.size() != kSidStarGuidLength) return false;
  for (size_t i = 0; i < guid.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? guid[i] != '-' : !IsHexUpper(guid[i])) return false;
  }
  return true;
}

bool IsSidStarStamp(std::string_view stamp) {
  if (stamp.size() != kSidStarStampLength) return false;
  for (size_t i = 0; i < stamp.size(); ++i) {
    if (i == 8 ? stamp[i] != '-' : !IsDigit(stamp[i])) return false;
  }
  return true;
}

bool ReadSidStarWaypoint(std::string_view line, CSidStarWaypoint& out) {
  // The line is a C text of at most 1023 characters: it ends at a NUL.
  line = line.substr(0, std::min(line.find('\0'), kSidStarLineMax));
  std::string_view fields[12];
  bool present[12] = {};
  size_t start = 0;
  for (int f = 0; f < 12; ++f) {
    // A field that would start at the end of the line is missing, even after a colon.
    if (start >= line.size()) break;
    const size_t colon = line.find(':', start);
    const size_t end = colon == std::string_view::npos ? line.size() : colon;
    fields[f] = TrimBlanks(line.substr(start, end - start));
    present[f] = true;
    start = colon == std::string_view::npos ? line.size() : colon + 1;
  }
  CSidStarWaypoint w;
  float lat = 0, lon = 0;  // the record is packed: no references into it
  if (!present[0] || fields[0].empty() || !present[1] || fields[1].empty() || fields[1].size() >= sizeof w.ident ||
      !present[2] || !present[3] || !ParseDegrees(fields[2], 90.0, lat) || !ParseDegrees(fields[3], 180.0, lon) ||
      !present[4]) {
    return false;
  }
  w.lat = lat;
  w.lon = lon;
  w.type = fields[0][0];
  std::memcpy(w.ident, fields[1].data(), fields[1].size());
  uint32_t heading = 0;
  if (!fields[4].empty()) {
    const auto [end, error] = std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), heading);
    if (error != std::errc() || end != fields[4].data() + fields[4].size() || heading > 0xFFFF) return false;
  }
  w.heading = static_cast<uint16_t>(heading);
  if (fields[5] == "1") {
    w.flags = kSidStarBearing;
    out = w;
    return true;
  }
  if (fields[6] == "1") w.flags |= kSidStarFlyOver;
  int32_t value = 0;
  if (!fields[7].empty()) {
    if (!ParseInt(fields[7], value)) return false;
    w.altitude1 = MakeManualValue(value);
  }
  if (!fields[8].empty()) {
    if (!ParseInt(fields[8], value)) return false;
    w.altitude2 = MakeManualValue(value);
  }
  if (!fields[9].empty()) {
    if (!ParseInt(fields[9], value)) return false;
    w.flags |= (static_cast<uint32_t>(value) & kSidStarSpeedMask) | kSidStarSpeedGiven;
  }
  if (fields[10] == "1") w.flags |= kSidStarAltitudeOption;
  if (fields[11] == "1") w.flags |= kSidStarSpeedOption;
  out = w;
  return true;
}

std::string WriteSidStarWaypoint(const CSidStarWaypoint& w) {
  std::string line(1, w.type);
  line += ':';
  line += w.Ident();
  line += ':' + FormatDegrees(w.lat) + ':' + FormatDegrees(w.lon) + ':';
  if (w.type == 'R') line += FormatInt(w.heading);
  line += ':';
  if (w.flags & kSidStarBearing) return line + "1::::::";
  line += ':';
  line += (w.flags & kSidStarFlyOver) ? "1:" : ":";
  if (IsManualValueGiven(w.altitude1)) line += FormatInt(ManualValue(w.altitude1));
  line += ':';
  if (IsManualValueGiven(w.altitude2)) line += FormatInt(ManualValue(w.altitude2));
  line += ':';
  if (w.flags & kSidStarSpeedGiven) line += FormatInt(static_cast<int32_t>(w.flags << 5) >> 5);
  line += ':';
  line += (w.flags & kSidStarAltitudeOption) ? "1:" : ":";
  if (w.flags & kSidStarSpeedOption) line += '1';
  return line;
}

std::string SidStarSingleLine(std::string_view text) {
  std::string out;
  bool inRun = false;
  for (char c : text) {
    const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    if (control && !inRun) out += ' ';
    if (!control) out += c;
    inRun = control;
  }
  return out;
}

std::string SidStarValueText(std::string_view text, size_t limit) {
  const std::string line = SidStarSingleLine(text);
  // Trimmed before the cut, so the limit counts what is kept, and after it, so the cut leaves no
  // blank at the end.
  return std::string(TrimBlanks(TrimBlanks(line).substr(0, limit)));
}

std::string EncodeSidStarDescription(std::string_view text) {
  // Every line break becomes the one byte: a bare LF or CR left in the value would end the INI
  // line, and the rest of the description would be read as keys of the section.
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kLineBreakByte;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string DecodeSidStarDescription(std::string_view stored) {
  stored = stored.substr(0, kSidStarDescriptionSize);
  std::string out;
  for (char c : stored) {
    if (c == kLineBreakByte) {
      if (out.size() > kSidStarDescriptionSize - 2) break;  // no room for the pair
      out += "\r\n";
    } else {
      out += c;
    }
    if (out.size() >= kSidStarDescriptionSize) break;
  }
  out.resize(std::min(out.size(), kSidStarDescriptionSize));
  return out;
}

bool ReadSidStarHeader(const CProfileFile& file, CSidStarAirport& airport) {
  CSidStarAirport a;
  a.id = GetText(file, "Airport", "Id", kSidStarIdSize);
  a.name = GetText(file, "Airport", "Name", kSidStarNameSize);
  a.city = GetText(file, "Airport", "City", kSidStarNameSize);
  const std::string lat = GetText(file, "Airport", "Lat", 64);
  const std::string lon = GetText(file, "Airport", "Lon", 64);
  if (a.id.empty() || a.name.empty() || !ParseDegrees(lat, 90.0, a.lat) || !ParseDegrees(lon, 180.0, a.lon)) {
    return false;
  }
  a.region = file.GetInt("Airport", "Region", -1);
  a.country = GetText(file, "Airport", "Country", kSidStarCountrySize);
  a.authors.push_back(GetText(file, "Airport", "By", kSidStarAuthorSize));
  // Later editors are taken in key order; a missing key leaves no gap in the list.
  for (int n = 1; n < static_cast<int>(kSidStarAuthorCount); ++n) {
    char key[16];
    std::snprintf(key, sizeof key, "By%02d", n);
    std::string author = GetText(file, "Airport", key, kSidStarAuthorSize);
    if (!author.empty()) a.authors.push_back(std::move(author));
  }
  while (!a.authors.empty() && a.authors.back().empty()) a.authors.pop_back();
  if (GetText(file, "Airport", "Valid", 64) != SidStarChecksum(a.id + a.Creator())) {
    return false;
  }
  a.guid = std::move(airport.guid);
  a.separator = airport.separator;
  a.stamp = std::move(airport.stamp);
  airport = std::move(a);
  return true;
}

bool HasSidStarEnd(const CProfileFile& file, const CSidStarAirport& airport) {
  const std::string valid = GetText(file, "EOF", "Valid", 64);
  return !valid.empty() && valid == SidStarChecksum(airport.id + airport.Creator());
}

bool ReadCompleteSidStarFile(const std::string& path, CSidStarAirport& airport) {
  CProfileFile file;
  CSidStarAirport read = airport;
  if (!file.Load(path) || !ReadSidStarHeader(file, read) || !HasSidStarEnd(file, read)) return false;
  airport = std::move(read);
  return true;
}

std::vector<CSidStarProcedure> ReadSidStarProcedures(const CProfileFile& file, bool isStar) {
  std::vector<CSidStarProcedure> procedures;
  for (int n = 1;; ++n) {
    char section[16];
    std::snprintf(section, sizeof section, "%s%03d", isStar ? "Star" : "Sid", n);
    CSidStarProcedure p;
    p.id = GetText(file, section, "Id", kSidStarProcedureIdSize);
    if (p.id.empty()) break;
    p.name = DecodeSidStarDescription(GetText(file, section, "Name", kSidStarDescriptionSize));
    bool malformed = false;
    for (int k = 1; !malformed; ++k) {
      char key[16];
      std::snprintf(key, sizeof key, "%02d", k);
      const std::string line = GetText(file, section, key, kSidStarLineMax);
      if (line.empty()) break;
      CSidStarWaypoint w;
      malformed = !ReadSidStarWaypoint(line, w);
      p.waypoints.push_back(w);
    }
    if (malformed || p.waypoints.size() < 2 || !TakeRunwayEnd(p, isStar)) continue;
    procedures.push_back(std::move(p));
  }
  return procedures;
}

void FillSidStarFile(CProfileFile& file, const CSidStarAirport& a) {
  const std::string valid = SidStarChecksum(a.id + a.Creator());
  file.WriteString("Airport", "Id", a.id.c_str());
  file.WriteString("Airport", "Name", a.name.c_str());
  file.WriteString("Airport", "City", a.city.c_str());
  file.WriteString("Airport", "Lat", FormatDegrees(a.lat).c_str());
  file.WriteString("Airport", "Lon", FormatDegrees(a.lon).c_str());
  file.WriteString("Airport", "Region", FormatInt(a.region).c_str());
  file.WriteString("Airport", "Country", a.country.c_str());
  file.WriteString("Airport", "By", a.Creator().c_str());
  for (size_t n = 1; n < a.authors.size() && n < kSidStarAuthorCount && !a.authors[n].empty(); ++n) {
    char key[8];
    std::snprintf(key, sizeof key, "By%02zu", n);
    file.WriteString("Airport", key, a.authors[n].c_str());
  }
  file.WriteString("Airport", "Valid", valid.c_str());
  for (const CSidStarList* list : {&a.sids, &a.stars}) {
    int n = 0;
    for (const CSidStarFixGroup& group : list->groups) {
      for (const CSidStarProcedure& p : group.procedures) {
        char section[16];
        std::snprintf(section, sizeof section, "%s%03d", list->isStar ? "Star" : "Sid", ++n);
        file.WriteString(section, "Id", p.id.c_str());
        file.WriteString(section, "Name", EncodeSidStarDescription(p.name).c_str());
        for (size_t k = 0; k < p.waypoints.size(); ++k) {
          char key[24];
          std::snprintf(key, sizeof key, "%02zu", k + 1);
          file.WriteString(section, key, WriteSidStarWaypoint(p.waypoints[k]).c_str());
        }
      }
    }
  }
  file.WriteString("EOF", "Valid", valid.c_str());
}
