#pragma once

// ISEC.txt: one intersection per line (ident, latitude, longitude in decimal degrees, optional
// type), tab-separated.

#include "basemaker/compiler/NavTextFile.h"
#include "navdb/Payloads.h"

class CSceneryDatabase;
class CTextLineReader;

// Type given to idents that name a coordinate fix ("52N20", "5220N").
inline constexpr int kCoordinateFixType = 13;
// Type of an intersection whose line gives none.
inline constexpr int kDefaultIntersectionType = 15;

struct IntersectionLine {
  double latitude = 0;
  double longitude = 0;
  IntersectionRecord header;
};

// Parses one line (modified in place by the field splitting). False when the line is skipped: a
// required field is absent or a comment, or the position is not on the globe.
bool ParseIntersectionLine(char* line, IntersectionLine& out);

// The type byte of an intersection: the low four bits of the type in both nibbles.
inline uint8_t IntersectionTypeByte(int type) { return static_cast<uint8_t>((type & 0xF) * 0x11); }

// True for the five-character idents of coordinate fixes: digits at 1, 2 and 4 and a hemisphere
// letter at 3 or 5 with a digit at the other place.
bool IsCoordinateFixIdent(const char* ident);

// Adds the file record and an intersection point for every usable line of ISEC.txt. A file
// that cannot be opened adds nothing and is no failure; false only when the build was aborted.
bool ReadIntersectionFile(const NavTextFile& file, CSceneryDatabase& db,
                          const ReaderSignals& signals);
// The same over an opened source (the file record is still appended).
bool ReadIntersectionLines(CTextLineReader& lines, const NavTextFile& file, CSceneryDatabase& db,
                           const ReaderSignals& signals);
