#include "plotr/sim/Avionics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/simapi/SimApi.h"
#include "platform/win/CLocale.h"

namespace avionics {
namespace {

constexpr char kComArray[] = "Plotr COM Frequency Array";
constexpr char kComOne[] = "Plotr COM Frequency";
constexpr char kNavOne[] = "Plotr NAV Frequency";
constexpr char kAdfOne[] = "Plotr ADF Frequency";
constexpr char kHeadingOne[] = "Plotr Heading";

// Four decimal digits, one per nibble; nothing for values that do not fit.
std::optional<uint32_t> Bcd4(double value) {
  if (!(value >= 0 && value <= 9999)) return std::nullopt;
  auto v = static_cast<uint32_t>(value);
  uint32_t out = 0;
  for (int shift = 0; shift < 16; shift += 4, v /= 10) out |= (v % 10) << shift;
  return out;
}

// The hundredths digit of a frequency rounded to hundredths, -1 for a value too large to have
// one (typed text may round to infinity).
int HundredthsDigit(double f) {
  const double tenths = 10 * f;
  if (!std::isfinite(tenths)) return -1;
  return static_cast<int>(std::floor(10 * (tenths - std::floor(tenths)) + 0.5));
}

double Round2(double x) { return std::floor(x * 100 + 0.5) / 100; }

// Integers for events: truncated towards zero, bounded so no conversion overflows.
uint32_t Whole(double x) {
  if (!std::isfinite(x)) return 0;
  x = std::trunc(std::clamp(x, -2147483648.0, 2147483647.0));
  return static_cast<uint32_t>(static_cast<int32_t>(x));
}

Commit Refused(int message) {
  Commit c;
  c.message = message;
  return c;
}

}  // namespace

const std::vector<FieldDef>& Fields() {
  static const std::vector<FieldDef> fields = {
      {kCom, "%03.2f", "0123456789.", 6, kComOne, kComArray, "COM frequency"},
      {kNav1, "%03.2f", "0123456789.", 6, kNavOne, nullptr, "NAV1 frequency"},
      {kNav2, "%03.2f", "0123456789.", 6, kNavOne, nullptr, "NAV2 frequency"},
      {kAdf, "%03.1f", "0123456789.", 6, kAdfOne, nullptr, "ADF frequency"},
      {kTransponder, "%04.0f", "0123456789", 4, nullptr, nullptr, "Transponder code"},
      {kHeading, "%03.0f", "0123456789", 3, kHeadingOne, nullptr, "Heading"},
      {kAltitude, "%05.0f", "0123456789", 5, nullptr, nullptr, "Altitude"},
      {kVerticalSpeed, "%05.0f", "0123456789-", 5, nullptr, nullptr, "Vertical speed"},
      {kSpeed, "%03.0f", "0123456789", 3, nullptr, nullptr, "Airspeed"},
      {kMach, "%0.2f", "0123456789.", 4, nullptr, nullptr, "Mach value"},
      {kNav1Course, "%03.0f", "0123456789", 3, kHeadingOne, nullptr, "NAV1 course/OBS"},
      {kNav2Course, "%03.0f", "0123456789", 3, kHeadingOne, nullptr, "NAV2 course/OBS"},
  };
  return fields;
}

const FieldDef* FieldOf(int id) {
  for (const FieldDef& f : Fields()) {
    if (f.id == id) return &f;
  }
  return nullptr;
}

std::string FormatValue(const char* format, double value) {
  // Values from another gauge's storage may be anything: only what prints short is shown.
  if (!std::isfinite(value) || std::fabs(value) >= 1e9) value = 0;
  win::CLocaleScope c;
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, format, value);
  return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(std::min(n, 63)));
}

double LeadingNumber(std::string_view text) {
  // strtod in the C locale over a terminated copy; the rest of the text is ignored.
  const std::string copy(text.substr(0, 64));
  win::CLocaleScope c;
  char* end = nullptr;
  const double v = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || !std::isfinite(v)) return 0;
  return v;
}

BarState StateOf(const SimSnapshot& s) {
  BarState b;
  const bool ap = s.autopilotAvailable, nav1 = s.nav1Available, nav2 = s.nav2Available;
  const bool nav2Course = nav2 && s.nav2CourseSettable;
  b.enabled = {{kNav1Label, nav1},        {kNav1, nav1},          {kNav1Course, nav1},       {kNav2Label, nav2},
               {kNav2, nav2},             {kAutopilot, ap},       {kHeadingHold, ap},        {kAltitudeHold, ap},
               {kSpeedHold, ap},          {kMachHold, ap},        {kHeading, ap},            {kAltitude, ap},
               {kVerticalSpeed, ap},      {kSpeed, ap},           {kMach, ap},               {kVsLabel, ap},
               {kNav1Hold, ap && nav1},   {kApproach, ap && nav1}, {kBackCourse, ap && nav1},
               {kNav2CourseLabel, ap && nav2}, {kNav2Course, nav2Course}};
  b.adfExtended = s.adfExtended;
  b.values = {{kCom, s.com / 100.0},
              {kNav1, nav1 ? s.nav1 / 100.0 : 0},
              {kNav2, nav2 ? s.nav2 / 100.0 : 0},
              {kAdf, s.adf / 10.0},
              {kTransponder, static_cast<double>(s.transponder)},
              {kHeading, ap ? s.selectedHeading : 0},
              {kAltitude, ap ? s.selectedAltitude : 0},
              {kVerticalSpeed, ap ? s.selectedVerticalSpeed : 0},
              {kSpeed, ap ? s.selectedAirspeed : 0},
              {kMach, ap ? s.selectedMach : 0},
              {kNav1Course, nav1 ? s.nav1Course : 0},
              {kNav2Course, nav2Course ? s.nav2Course : 0}};
  b.checks = {{kAutopilot, ap && s.autopilotMaster}, {kHeadingHold, ap && s.headingHold},
              {kAltitudeHold, ap && s.altitudeHold}, {kSpeedHold, ap && s.airspeedHold},
              {kMachHold, ap && s.machHold},         {kNav1Hold, ap && nav1 && s.nav1Hold},
              {kApproach, ap && nav1 && s.approachHold}, {kBackCourse, ap && nav1 && s.backCourseHold}};
  const double heading = std::floor(s.trueHeading + s.magneticVariation + 360.5);
  b.headingText = std::isfinite(heading) && std::fabs(heading) < 1e9
                      ? std::to_string(static_cast<long long>(std::fmod(heading, 360.0)))
                      : std::string();
  b.altitudeText = FormatValue("%1.0f", std::floor((s.indicatedAltitude + 5) / 10) * 10);
  b.speedText = FormatValue("%1.0f", std::floor((s.airspeedRead + 2.5) / 5) * 5);
  b.verticalSpeedText = FormatValue("%1.0f", std::floor((s.verticalSpeed + 25) / 50) * 50);
  b.flyPlanEnabled = s.flyPlanPossible;
  b.flyPlanChecked = s.autopilotAvailable && s.flyPlan;
  return b;
}

Commit CommitField(int id, std::string_view text, int simVer) {
  const double x = LeadingNumber(text);
  Commit c;
  c.accepted = true;
  switch (id) {
    case kCom:
    case kNav1:
    case kNav2: {
      const double f = Round2(x);
      const int h = HundredthsDigit(f);
      const bool com = id == kCom;
      const bool valid = com ? (f >= 118 && f <= 136.975 && (h == 0 || h == 2 || h == 5 || h == 7))
                             : (f >= 108 && f <= 117.95 && (h == 0 || h == 5));
      if (!valid) return Refused(com ? 6404 : 6405);
      const std::optional<uint32_t> bcd = Bcd4(std::floor(f * 100 + 0.5) - 10000);
      if (!bcd) return Refused(com ? 6404 : 6405);
      c.events.push_back({com ? 0x100ABu : id == kNav1 ? 0x100ACu : 0x100ADu, *bcd});
      return c;
    }
    case kAdf: {
      const double f = std::floor(x * 10 + 0.5) / 10;
      if (!(f >= 200 && f <= 1699.9)) return Refused(6406);
      c.adf = static_cast<float>(f);
      return c;
    }
    case kTransponder: {
      const std::optional<uint32_t> v = Bcd4(std::floor(x + 0.5));
      if (!v || (*v & 0x8888) != 0) return Refused(6407);
      c.events.push_back({0x100B3, *v});
      return c;
    }
    case kHeading:
    case kNav1Course:
    case kNav2Course: {
      const double h = std::fmod(x, 360.0);
      c.shown = h;
      const uint32_t event = id == kHeading ? 0x101FA : id == kNav1Course ? 0x100B4 : 0x100B5;
      c.events.push_back({event, Whole(h)});
      return c;
    }
    case kAltitude: {
      const double a = std::floor((x + 50) / 100) * 100;
      c.shown = a;
      if (simVer == 61 || simVer == 70) {
        c.globalOffset = simVer == 61 ? 2004 : 2000;
        c.globalValue = static_cast<int32_t>(Whole(a * 0.3048 * 65536));
      } else {
        c.events = {{0x1024C, Whole(a)}, {0x10164, 0}, {0x10165, 0}};
      }
      return c;
    }
    case kVerticalSpeed: {
      // Steps of 100 above 1000 ft/min, else 50, halves away from zero: a descent of -1250 is
      // the same step as a climb of 1250.
      const double v = std::fabs(x) > 1000 ? std::round(x / 100) * 100 : std::round(x / 50) * 50;
      c.shown = v;
      c.events.push_back({0x101F4, Whole(v)});
      return c;
    }
    case kSpeed: {
      const double v = std::floor((x + 5) / 10) * 10;
      c.shown = v;
      c.events.push_back({0x101F5, Whole(v)});
      return c;
    }
    case kMach: {
      const double hundredths = simapi::MachHundredths(x);
      c.shown = hundredths / 100;
      c.events.push_back({simapi::kEventSelectMach, Whole(hundredths)});
      return c;
    }
    default:
      return Commit{};
  }
}

std::vector<SimEvent> ButtonEvents(int id, bool autothrottleArmed, bool withoutAirspeedHold) {
  switch (id) {
    case kAutopilot: return {{0x1002C, 0}};
    case kHeadingHold: return {{0x10106, 0}};
    case kAltitudeHold: return {{0x10107, 0}};
    case kNav1Hold: return {{0x100C1, 0}};
    case kApproach: return {{0x100BC, 0}};
    case kBackCourse: return {{0x100C0, 0}};
    case kSpeedHold:
    case kMachHold: {
      if (withoutAirspeedHold) return {};
      std::vector<SimEvent> out;
      if (!autothrottleArmed) out.push_back({kArmAutothrottle, 0});
      out.push_back({id == kSpeedHold ? 0x10163u : 0x1017Bu, 0});
      return out;
    }
    default: return {};
  }
}

// ---- The edit field --------------------------------------------------------------------------------

std::optional<std::string> CPilotEditState::SetValue(double value) {
  m_last = FormatValue(Format(), value);
  if (m_editing) return std::nullopt;
  return m_last;
}

std::string CPilotEditState::Abandon() {
  m_editing = false;
  return m_last;
}

bool CPilotEditState::Allows(int character) const {
  if (character == 8) return true;
  return character > 0 && character < 128 && std::strchr(m_def.allowed, character) != nullptr;
}

std::string CPilotEditState::DropText(float value) { return FormatValue("%f", value); }

// ---- The frequency picker ------------------------------------------------------------------------

namespace {
struct Kind {
  uint16_t code;
  const char* name;
};
constexpr Kind kKinds[] = {{1, "ATIS Frequency"},         {64, "Clearance Delivery"}, {8, "CTAF Frequency"},
                           {16, "Ground Frequency"},      {32, "Tower Frequency"},    {256, "Departure Frequency"},
                           {128, "Approach Frequency"},   {512, "Center Frequency"},  {1024, "FSS Frequency"},
                           {2, "MULTICOMM Frequ."},       {4, "UNICOM Frequency"},    {2048, "AWOS Frequency"},
                           {4096, "ASOS Frequency"},      {0x4000, "PCL Frequency"},  {0x8000, "Frequency"}};
}  // namespace

std::string KindName(uint16_t code) {
  for (const Kind& k : kKinds) {
    if (k.code == code) return k.name;
  }
  return "Frequency";
}

std::vector<PickerLine> PickerLines(const std::vector<FrequencyEntry>& entries) {
  std::vector<PickerLine> lines;
  for (const Kind& k : kKinds) {
    for (size_t i = 0; i < entries.size(); ++i) {
      FrequencyEntry e;
      std::memcpy(&e, &entries[i], sizeof e);
      if (e.type != k.code) continue;
      const float mhz = e.frequency;
      lines.push_back({std::string(k.name) + ":\t" + FormatValue("%6.2f", mhz), static_cast<int>(i)});
    }
  }
  return lines;
}

}  // namespace avionics
