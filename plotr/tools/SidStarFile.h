#pragma once

// The ".ss" file format shared with every other user through the SID/STAR server: the file name
// (GUID, state, UTC stamp), the INI sections "Airport", "Sid001"..., "Star001"... and "EOF",
// the waypoint line and the integrity checksum. Texts are code page 1252 bytes.

#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/SidStarRecords.h"

class CProfileFile;

inline constexpr char kSidStarExtension[] = "ss";
inline constexpr size_t kSidStarGuidLength = 36;
inline constexpr size_t kSidStarStampLength = 15;
inline constexpr size_t kSidStarTitleLength = kSidStarGuidLength + 1 + kSidStarStampLength;  // 52
inline constexpr size_t kSidStarLineMax = 1023;

// The checksum text of the identifier followed by the creator (base 36, upper case).
std::string SidStarChecksum(std::string_view text);

// The parts of a file title "<guid><separator><stamp>" (without ".ss"); false when the title is
// not 52 characters or its separator is neither '-' nor '+'.
bool SplitSidStarTitle(std::string_view title, std::string& guid, char& separator, std::string& stamp);
// Strict forms, for names that come from a server: 8-4-4-4-12 upper-case hexadecimal, and
// "YYYYMMDD-HHMMSS" digits.
bool IsSidStarGuid(std::string_view guid);
bool IsSidStarStamp(std::string_view stamp);

// One waypoint line; false when it is malformed.
bool ReadSidStarWaypoint(std::string_view line, CSidStarWaypoint& out);
std::string WriteSidStarWaypoint(const CSidStarWaypoint& waypoint);

// Text for a value that must stay on its line of the file (an identifier, an author): each run
// of control characters, such as a pasted line break, becomes one blank.
std::string SidStarSingleLine(std::string_view text);
// The single-line text cut to `limit` characters, without blanks and tabs at its ends: what the
// reader gives back, so the checksum is taken over exactly this text.
std::string SidStarValueText(std::string_view text, size_t limit = std::string_view::npos);

// The description as stored (every line break one byte 0xB6) and as read back.
std::string EncodeSidStarDescription(std::string_view text);
std::string DecodeSidStarDescription(std::string_view stored);

// The "Airport" section into the header fields; false when it is not usable (missing section,
// empty Id, Name, Lat or Lon, a position out of range, or a wrong checksum).
bool ReadSidStarHeader(const CProfileFile& file, CSidStarAirport& airport);
// Whether the "EOF" section carries the checksum of the airport's identifier and creator.
bool HasSidStarEnd(const CProfileFile& file, const CSidStarAirport& airport);
// The header of the file at `path` when the whole file is there: a usable header and the end
// mark's checksum. A file cut short fails, so it never takes the place of a good copy.
bool ReadCompleteSidStarFile(const std::string& path, CSidStarAirport& airport);
// The procedures of "Sid001"... or "Star001"... in file order, each with its runway end taken
// from the first (SID) or last (STAR) waypoint; unreadable procedures are left out.
std::vector<CSidStarProcedure> ReadSidStarProcedures(const CProfileFile& file, bool isStar);
// The whole file's text (CR LF line ends).
void FillSidStarFile(CProfileFile& file, const CSidStarAirport& airport);
