#pragma once

// Header fields and units every scenery file shares, whatever its format.

#include <cstdint>

class CSceneryDatabase;
struct BglFileRecord;
struct ComRecord;

// Shorter files cannot hold a header and are skipped.
inline constexpr uint32_t kBglMinFileSize = 128;
// Format words of the old command format.
inline constexpr uint16_t kBglOldFormatFirst = 1;
inline constexpr uint16_t kBglOldFormatLast = 999;
// Metres to degrees of latitude on the 40,007 km meridian.
inline constexpr double kBglMetresToDegrees = 360.0 / 40007000.0;
// Old-format angle units: a full turn is 2^32 - 1 units, not 2^32.
inline constexpr double kBglAngleToDegrees = 360.0 / 4294967295.0;

// Frequency points (ATIS, lighting) stand this far from the position they belong to, so that
// the map does not draw them over the airport symbol.
inline constexpr double kComPointOffsetMetres = 100.0;
// Adds the COM frequency point `kComPointOffsetMetres` from (lat, lon) along `course` degrees.
void AddComPoint(CSceneryDatabase& db, double lat, double lon, double course, const ComRecord& com);

// The box a file record starts with, from the header of the image (at least 18 bytes).
void ApplyBglHeaderBox(BglFileRecord& record, const uint8_t* image, uint32_t size);
