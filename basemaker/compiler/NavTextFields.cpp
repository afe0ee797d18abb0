#include "basemaker/compiler/NavTextFields.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Ends the field that starts at p at its first separator (overwritten with NUL) and returns
// where the next field starts: behind that separator, or at the text's end.
char* CutAtSeparator(char* p, const char* separators) {
  while (*p != '\0' && std::strchr(separators, *p) == nullptr) {
    ++p;
  }
  if (*p == '\0') {
    return p;
  }
  *p = '\0';
  return p + 1;
}

const char* SkipWhite(const char* p) {
  while (IsWhite(*p)) {
    ++p;
  }
  return p;
}

// Reads "digits[.digits]" or ".digits" at p. Returns false when no digit is there.
bool ReadDecimal(const char*& p, double& value, bool& hadPoint) {
  const char* q = p;
  value = 0.0;
  hadPoint = false;
  bool anyDigit = false;
  double scale = 1.0;
  while (IsDigit(*q) || (*q == '.' && !hadPoint)) {
    if (*q == '.') {
      hadPoint = true;
    } else {
      anyDigit = true;
      if (hadPoint) {
        scale /= 10.0;
        value += (*q - '0') * scale;
      } else if (value < 1e9) {
        value = value * 10.0 + (*q - '0');
      }
    }
    ++q;
  }
  if (!anyDigit) {
    return false;
  }
  p = q;
  return true;
}

}  // namespace

char* SplitNextField(char*& cursor, const char* separators) {
  if (cursor == nullptr || *cursor == '\0') {
    return nullptr;
  }
  char* start = cursor;
  cursor = CutAtSeparator(start, separators);
  while (IsBlank(*start)) {
    ++start;
  }
  char* end = start + std::strlen(start);
  while (end > start && IsBlank(end[-1])) {
    *--end = '\0';
  }
  return start;
}

char* NextRunField(char*& cursor, const char* separators) {
  if (cursor == nullptr) {
    return nullptr;
  }
  char* p = cursor;
  while (*p != '\0' && std::strchr(separators, *p) != nullptr) {
    ++p;
  }
  if (*p == '\0') {
    cursor = p;
    return nullptr;
  }
  cursor = CutAtSeparator(p, separators);
  return p;
}

double ReadDouble(const char* text, const char** end) {
  if (end != nullptr) {
    *end = text;
  }
  if (text == nullptr) {
    return 0.0;
  }
  const char* p = SkipWhite(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // from_chars takes no sign of its own beyond '-', and a second sign is no number.
  if (*p == '+' || *p == '-') {
    return 0.0;
  }
  double value = 0.0;
  auto result = std::from_chars(p, p + std::strlen(p), value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) {
    return 0.0;
  }
  if (result.ec == std::errc::result_out_of_range) {
    // strtod's answer for an overflow is infinity and for an underflow zero; the digits that
    // from_chars consumed tell the two apart.
    bool tiny = false;
    for (const char* q = p; q < result.ptr; ++q) {
      if (*q == 'e' || *q == 'E') {
        tiny = q[1] == '-';
        break;
      }
    }
    value = tiny ? 0.0 : HUGE_VAL;
  }
  if (end != nullptr) {
    *end = result.ptr;
  }
  return negative ? -value : value;
}

int ReadInt(const char* text) {
  if (text == nullptr) {
    return 0;
  }
  const char* p = SkipWhite(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  long long value = 0;
  while (IsDigit(*p)) {
    if (value <= static_cast<long long>(INT_MAX) + 1) {
      value = value * 10 + (*p - '0');
    }
    ++p;
  }
  if (negative) {
    value = -value;
  }
  if (value > INT_MAX) {
    return INT_MAX;
  }
  if (value < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(value);
}

int ParseCoordinate(float& value, const char* text, bool latitude, bool lenient) {
  if (text == nullptr) {
    return 0;
  }
  const char* p = SkipWhite(text);
  double sign = 0.0;
  switch (*p) {
    case 'N':
    case 'n':
      sign = latitude ? 1.0 : 0.0;
      break;
    case 'S':
    case 's':
      sign = latitude ? -1.0 : 0.0;
      break;
    case 'E':
    case 'e':
      sign = latitude ? 0.0 : 1.0;
      break;
    case 'W':
    case 'w':
      sign = latitude ? 0.0 : -1.0;
      break;
    default:
      break;
  }
  if (sign == 0.0) {
    return 0;
  }
  const double range = latitude ? 90.0 : 180.0;
  auto position = [text](const char* at) { return static_cast<int>(at - text); };
  p = SkipWhite(p + 1);

  // Degrees: an unsigned whole number.
  const char* degreesAt = p;
  if (!IsDigit(*p)) {
    return position(p);
  }
  double degrees = 0.0;
  while (IsDigit(*p)) {
    if (degrees < 1e6) {
      degrees = degrees * 10.0 + (*p - '0');
    }
    ++p;
  }
  if (degrees > range) {
    return position(degreesAt);
  }
  p = SkipWhite(p);
  if (lenient && (static_cast<unsigned char>(*p) == 0xB0 || *p == '*')) {
    p = SkipWhite(p + 1);
  }

  double minutes = 0.0;
  double seconds = 0.0;
  bool minutesHadPoint = false;
  bool haveMinutes = false;
  const char* minutesAt = p;
  // A number glued to the degrees ("N47.5") is taken as the minutes: the degrees are whole, so
  // the fraction can only start the next number.
  if (IsDigit(*p) || *p == '.') {
    if (!ReadDecimal(p, minutes, minutesHadPoint)) {
      return position(minutesAt);
    }
    haveMinutes = true;
    if (minutes >= 60.0) {
      return position(minutesAt);
    }
    if (degrees + minutes / 60.0 > range) {
      return position(minutesAt);
    }
    p = SkipWhite(p);
    if (lenient && *p == '\'') {
      p = SkipWhite(p + 1);
    }
  }
  if (haveMinutes && !minutesHadPoint && (IsDigit(*p) || *p == '.')) {
    const char* secondsAt = p;
    bool secondsHadPoint = false;
    if (!ReadDecimal(p, seconds, secondsHadPoint)) {
      return position(secondsAt);
    }
    if (seconds >= 60.0) {
      return position(secondsAt);
    }
    if (degrees + minutes / 60.0 + seconds / 3600.0 > range) {
      return position(secondsAt);
    }
    p = SkipWhite(p);
    if (lenient && *p == '"') {
      p = SkipWhite(p + 1);
    }
  }

  if (*p != '\0') {
    return position(p);
  }
  value = static_cast<float>(sign * (degrees + minutes / 60.0 + seconds / 3600.0));
  return -1;
}

uint16_t CellCode(double latitude, double longitude) {
  double lon = static_cast<float>(longitude);
  double lat = latitude;
  if (!(lat >= -90.0)) {
    lat = std::isnan(lat) ? 0.0 : -90.0;
  } else if (lat > 90.0) {
    lat = 90.0;
  }
  if (!(lon >= -180.0)) {
    lon = std::isnan(lon) ? 0.0 : -180.0;
  } else if (lon > 180.0) {
    lon = 180.0;
  }
  const unsigned lonCell = static_cast<unsigned>(std::trunc((lon + 180.0) * 254.0 / 360.0 + 1.0));
  const unsigned latCell = static_cast<unsigned>(std::trunc((lat + 90.0) * 254.0 / 180.0 + 1.0));
  return static_cast<uint16_t>(lonCell + latCell * 256u);
}

void CopyTruncated(char* out, const char* text, unsigned maxChars) {
  unsigned n = 0;
  if (text != nullptr) {
    while (n < maxChars && text[n] != '\0') {
      out[n] = text[n];
      ++n;
    }
  }
  out[n] = '\0';
}
