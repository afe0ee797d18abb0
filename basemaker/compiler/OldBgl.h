#pragma once

// The old command-format scenery layout: header fields, list record types, the packed 24-bit
// positions and the bounded reads every reader of the format shares. Reads that do not fit in
// the image return false or nothing; no reader of this format raises.

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "basemaker/compiler/BglLoader.h"

// Header fields (offsets from the start of the file).
inline constexpr uint32_t kOldVorIlsSectionField = 18;
inline constexpr uint32_t kOldVorIlsLowIndexField = 22;
inline constexpr uint32_t kOldVorIlsHighIndexField = 24;
inline constexpr uint32_t kOldCommandSectionAField = 58;
inline constexpr uint32_t kOldCommandSectionBField = 62;
inline constexpr uint32_t kOldLabelSectionField = 66;
inline constexpr uint32_t kOldAtisSectionField = 74;
inline constexpr uint32_t kOldNdbSectionField = 78;
inline constexpr uint32_t kOldMarkerSectionField = 102;
inline constexpr uint32_t kOldMagVarSectionField = 110;
inline constexpr uint32_t kOldExclusionSectionField = 114;
inline constexpr uint32_t kOldExtensionMarkField = 118;
// The mark announcing the longer header that carries facility data.
inline constexpr uint32_t kOldExtensionMark = 0x87654321;
inline constexpr uint32_t kOldExtendedHeaderSize = 168;

// Facility data fields of the longer header.
inline constexpr uint32_t kFacilityVersionField = 144;
inline constexpr uint32_t kFacilityNameListField = 156;
inline constexpr uint32_t kFacilityChunkTreeField = 164;

// The 9-byte group record that heads the navaid, marker and command lists.
inline constexpr uint8_t kOldGroupType = 21;
inline constexpr uint32_t kOldGroupSize = 9;

// Magnetic variation section: an 8-byte head, then 360 x 181 16-bit values.
inline constexpr uint32_t kOldMagVarHeadSize = 8;
inline constexpr uint64_t kOldMagVarSectionSize = kOldMagVarHeadSize + 360ull * 181ull * 2ull;

// Old-format band values of command groups are in units of 512 m.
inline constexpr double kOldBandUnitMetres = 512.0;

// A COM frequency the planner lists: 118 to 137 MHz (compared in single precision, as stored)
// with a last digit of 0, 2, 5 or 7 (the 25 kHz channels).
inline bool IsComChannel(float mhz, uint32_t lastDigit) {
  return mhz >= 118.0f && mhz < 137.0f &&
         (lastDigit == 0 || lastDigit == 2 || lastDigit == 5 || lastDigit == 7);
}

// A double narrowed to a float field without undefined conversions: values beyond the float
// range saturate (hostile offsets can be that large), NaN stays NaN.
inline float ToFloat(double v) {
  if (!(v == v)) return static_cast<float>(v);
  return static_cast<float>(std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

inline int16_t SaturateI16(double v) {
  if (!(v == v)) return 0;
  return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

// Bounded little-endian view of a byte range. Offsets are 64-bit so that no sum of file values
// can wrap.
class OldBglView {
 public:
  OldBglView(const uint8_t* data, uint64_t size) : m_data(data), m_size(data != nullptr ? size : 0) {}

  uint64_t Size() const { return m_size; }
  const uint8_t* Data() const { return m_data; }
  bool Holds(uint64_t offset, uint64_t length) const {
    return offset <= m_size && length <= m_size - offset;
  }
  // Readers return 0 outside the view; callers check Holds first where 0 would be taken as data.
  uint8_t U8(uint64_t at) const { return Read<uint8_t>(at); }
  uint16_t U16(uint64_t at) const { return Read<uint16_t>(at); }
  int16_t I16(uint64_t at) const { return Read<int16_t>(at); }
  uint32_t U32(uint64_t at) const { return Read<uint32_t>(at); }
  int32_t I32(uint64_t at) const { return Read<int32_t>(at); }

  // Degrees of the 24-bit latitude whose three bytes start at `at`: the signed value of the
  // 32-bit word one byte earlier, shifted down by 8, counts 2 m per unit.
  double Lat24(uint64_t at) const { return (I32(at - 1) >> 8) * 2.0 * kBglMetresToDegrees; }
  // The same 32-bit word with its low byte cleared is a longitude angle word.
  double Lon24(uint64_t at) const {
    return static_cast<int32_t>(U32(at - 1) & 0xFFFFFF00u) * kBglAngleToDegrees;
  }
  // Whether the raw 24 bits of a packed position are non-zero.
  bool Packed24NonZero(uint64_t at) const { return (U32(at - 1) >> 8) != 0; }

  // The text at `at`: at most `maxLength` bytes, ending at the first NUL or at `limit`
  // (clipped to the view).
  std::string_view Text(uint64_t at, uint64_t maxLength, uint64_t limit) const {
    limit = std::min(limit, m_size);
    if (at >= limit) return {};
    const uint64_t span = std::min(maxLength, limit - at);
    const char* p = reinterpret_cast<const char*>(m_data + at);
    const void* nul = std::memchr(p, 0, static_cast<size_t>(span));
    const size_t n = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - p)
                                    : static_cast<size_t>(span);
    return {p, n};
  }

 private:
  template <class T>
  T Read(uint64_t at) const {
    T v{};
    if (Holds(at, sizeof(T))) std::memcpy(&v, m_data + at, sizeof(T));
    return v;
  }

  const uint8_t* m_data;
  uint64_t m_size;
};
