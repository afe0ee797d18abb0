#include "plotr/views/CoordinateText.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>

#include "plotr/plan/LatLonText.h"

namespace {

constexpr char kDegreeSign = '\xB0';

// The C locale's white space; the process locale may be anything GTK chose.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : m_text(text) {}

  size_t Position() const { return m_at; }
  bool AtEnd() const { return m_at >= m_text.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_text[m_at]; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(m_text[m_at])) ++m_at;
  }
  bool Skip(char c) {
    if (AtEnd() || m_text[m_at] != c) return false;
    ++m_at;
    return true;
  }

  // Whole degrees; false with the scanner unmoved when there are no digits. Values past
  // `limit` read as limit + 1, so no length of digits overflows.
  bool ReadWhole(unsigned limit, unsigned& out) {
    const size_t start = m_at;
    unsigned value = 0;
    while (!AtEnd() && IsDigit(m_text[m_at])) {
      if (value <= limit) value = value * 10 + static_cast<unsigned>(m_text[m_at] - '0');
      ++m_at;
    }
    out = value > limit ? limit + 1 : value;
    return m_at > start;
  }

  // Digits with at most one decimal point and at least one digit; false with the scanner
  // unmoved when there is no such number here.
  bool ReadDecimal(double& out, bool& hasPoint) {
    size_t end = m_at;
    size_t digits = 0;
    hasPoint = false;
    for (; end < m_text.size(); ++end) {
      const char c = m_text[end];
      if (IsDigit(c)) {
        ++digits;
      } else if (c == '.' && !hasPoint) {
        hasPoint = true;
      } else {
        break;
      }
    }
    if (digits == 0) {
      hasPoint = false;
      return false;
    }
    // Only digits and one point reach from_chars, which never looks at the locale.
    const char* first = m_text.data() + m_at;
    const char* last = m_text.data() + end;
    const auto [ptr, ec] = std::from_chars(first, last, out, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
      // Too many digits for a double: huge unless every digit before the point is 0, in which
      // case it is too small to matter.
      bool whole = false;
      for (const char* c = first; c < last && *c != '.'; ++c) whole = whole || *c != '0';
      out = whole ? 1e300 : 0.0;
    } else if (ec != std::errc() || ptr != last) {
      return false;
    }
    m_at = end;
    return true;
  }

 private:
  std::string_view m_text;
  size_t m_at = 0;
};

CoordinateParse FailAt(size_t position) { return {static_cast<int>(position), 0.0f}; }

CoordinateParse Done(Scanner& s, double sign, double degrees) {
  s.SkipBlanks();
  if (!s.AtEnd()) return FailAt(s.Position());
  return {-1, static_cast<float>(sign * degrees)};
}

}  // namespace

CoordinateParse ParseCoordinateText(std::string_view text, bool latitude, bool symbols) {
  // Positions are ints; a text longer than that is no coordinate.
  if (text.size() > static_cast<size_t>(INT32_MAX)) return FailAt(0);
  const unsigned limit = latitude ? 90 : 180;
  const char positive = latitude ? 'n' : 'e';
  const char negative = latitude ? 's' : 'w';

  Scanner s(text);
  s.SkipBlanks();
  const char letter = static_cast<char>(s.Peek() | 0x20);
  if (s.AtEnd() || (letter != positive && letter != negative)) return FailAt(s.Position());
  const double sign = letter == positive ? 1.0 : -1.0;
  s.Skip(s.Peek());
  s.SkipBlanks();

  const size_t degreesAt = s.Position();
  unsigned wholeDegrees = 0;
  if (!s.ReadWhole(limit, wholeDegrees) || wholeDegrees > limit) return FailAt(degreesAt);
  const double degrees = wholeDegrees;
  if (symbols && !s.Skip(kDegreeSign)) s.Skip('*');

  s.SkipBlanks();
  const size_t minutesAt = s.Position();
  double minutes = 0;
  bool decimalMinutes = false;
  if (!s.ReadDecimal(minutes, decimalMinutes)) return Done(s, sign, degrees);
  const double withMinutes = degrees + minutes / 60.0;
  if (minutes >= 60.0 || withMinutes > limit) return FailAt(minutesAt);
  if (symbols) s.Skip('\'');
  if (decimalMinutes) return Done(s, sign, withMinutes);

  s.SkipBlanks();
  const size_t secondsAt = s.Position();
  double seconds = 0;
  bool decimalSeconds = false;
  if (!s.ReadDecimal(seconds, decimalSeconds)) return Done(s, sign, withMinutes);
  const double withSeconds = withMinutes + seconds / 3600.0;
  if (seconds >= 60.0 || withSeconds > limit) return FailAt(secondsAt);
  if (symbols) s.Skip('"');
  return Done(s, sign, withSeconds);
}

std::string CoordinateFieldText(double value, bool latitude) {
  return FormatLatLon(value, latitude, false, false);
}
