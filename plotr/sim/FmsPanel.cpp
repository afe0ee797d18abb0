#include "plotr/sim/FmsPanel.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "plotr/core/CommandIds.h"
#include "plotr/sim/SimBlock.h"

namespace fms {
namespace {

constexpr gdi::ColorRef kSetA[3] = {gdi::Rgb(106, 80, 0), gdi::Rgb(192, 128, 0), gdi::Rgb(192, 128, 0)};
constexpr gdi::ColorRef kSetB[3] = {gdi::Rgb(64, 64, 64), gdi::Rgb(192, 192, 192), gdi::Rgb(192, 192, 192)};
constexpr gdi::ColorRef kSetC[3] = {gdi::Rgb(92, 92, 92), gdi::Rgb(160, 160, 160), gdi::Rgb(160, 160, 160)};
constexpr gdi::ColorRef kSetD[3] = {gdi::Rgb(0, 192, 0), gdi::Rgb(0, 192, 0), gdi::Rgb(0, 192, 0)};

Cell MakeCell(int tip, std::string text, uint32_t flags, int x, int y, int w, int h, const gdi::ColorRef (&c)[3]) {
  Cell cell;
  cell.tip = tip;
  cell.text = std::move(text);
  cell.flags = flags;
  cell.x = x;
  cell.y = y;
  cell.width = w;
  cell.height = h;
  cell.colours = {c[0], c[1], c[2]};
  return cell;
}

// A text field of a published block, read within its bytes even without a terminator.
std::string Field(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// Multiply-divide with rounding, as the mapping's extents are scaled.
int MulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

bool IsNavKind(const std::string& kind) {
  return kind == "Rwy" || kind == "ILS" || kind == "VOR" || kind == "VORTAC" || kind == "VOR/DME" || kind == "DME";
}

template <size_t N>
std::string Format(const char* format, auto... args) {
  char buffer[N];
  const int n = std::snprintf(buffer, N, format, args...);
  return n < 0 ? std::string() : std::string(buffer, std::min<size_t>(static_cast<size_t>(n), N - 1));
}

}  // namespace

std::string TimeText(double minutes) {
  if (!std::isfinite(minutes) || minutes < 0 || minutes >= 6e6) return {};
  const auto whole = static_cast<unsigned>(minutes);
  const auto seconds = static_cast<unsigned>(minutes * 60) % 60;
  return Format<32>("%02u %02u' %02u\"", whole / 60, whole % 60, seconds);
}

std::string ClockText(int hour, int minute, int second) {
  return Format<16>("%02u:%02u:%02u", static_cast<unsigned>(hour) % 100, static_cast<unsigned>(minute) % 100,
                    static_cast<unsigned>(second) % 100);
}

std::string DistanceText(double nm) {
  if (!std::isfinite(nm) || std::fabs(nm) >= 1e9) return {};
  return Format<32>("%0.1f nm", nm);
}

std::string CourseText(double degrees) {
  if (!std::isfinite(degrees) || std::fabs(degrees) >= 1e6) return {};
  return Format<16>("%0.0f\xB0", degrees);
}

int RoundedCourse(double degrees) {
  if (!std::isfinite(degrees) || std::fabs(degrees) >= 1e9) return -1;
  const double r = std::fmod(std::floor(degrees + 0.5), 360.0);
  return static_cast<int>(r < 0 ? r + 360 : r);
}

std::optional<uint32_t> NavFrequencyCode(double mhz) {
  if (!std::isfinite(mhz)) return std::nullopt;
  const double hundredths = std::floor(mhz * 100 + 0.5);
  if (hundredths < 10000 || hundredths > 19999) return std::nullopt;
  auto v = static_cast<uint32_t>(hundredths) - 10000;
  uint32_t code = 0;
  for (int shift = 0; shift < 16; shift += 4, v /= 10) code |= (v % 10) << shift;
  return code;
}

gdi::Rect Mapping::ToDevice(const Cell& c) const {
  const auto x = [&](int lx) { return originX + MulDiv(lx + 3, width, kPanelWidth + 6); };
  const auto y = [&](int ly) { return originY + MulDiv(ly + 3, height, kPanelHeight + 6); };
  return {x(c.x), y(c.y), x(c.x + c.width), y(c.y + c.height)};
}

Mapping Mapping::For(int w, int h) {
  Mapping m;
  if (w <= 0 || h <= 0) return m;
  if (static_cast<long long>(kPanelWidth) * h > static_cast<long long>(w) * kPanelHeight) {
    m.width = w;
    m.height = MulDiv(w, kPanelHeight, kPanelWidth);
    m.originY = (h - m.height) / 2;
  } else {
    m.height = h;
    m.width = MulDiv(h, kPanelWidth, kPanelHeight);
    m.originX = (w - m.width) / 2;
  }
  return m;
}

CFmsPanel::CFmsPanel() {
  auto& c = m_cells;
  c[0] = MakeCell(-1, "Fly Flightplan", 0x12, 24, 0, 71, 15, kSetA);
  c[1] = MakeCell(-1, "Next", 0x12, 95, 0, 35, 15, kSetA);
  c[2] = MakeCell(-1, "Prev", 0x12, 130, 0, 35, 15, kSetA);
  c[3] = MakeCell(-1, "Fly Holding", 0x12, 165, 0, 60, 15, kSetA);
  c[4] = MakeCell(6081, "M1", 0x12, 2, 17, 20, 14, kSetA);
  c[5] = MakeCell(6083, "", 0x11, 24, 16, 56, 15, kSetB);
  c[6] = MakeCell(-1, "Aircraft", 0x11, 80, 16, 145, 15, kSetB);
  c[7] = MakeCell(6082, "M2", 0x12, 2, 31, 20, 14, kSetA);
  c[8] = MakeCell(-1, "remaining:", 0x21, 24, 31, 56, 15, kSetC);
  c[9] = MakeCell(6092, "", 0x11, 80, 31, 76, 15, kSetC);
  c[10] = MakeCell(6093, "", 0x11, 156, 31, 69, 15, kSetC);
  c[11] = MakeCell(6080, "LT", 0x12, 2, 62, 20, 14, kSetA);
  for (int k = 0; k < 3; ++k) {
    const int b = 12 + 11 * k, dy = 60 * k;
    c[b] = MakeCell(-1, "", 0x1, 0, 46 + dy, 225, 15, k == 0 ? kSetD : kSetB);
    c[b + 1] = MakeCell(6084, "", 0x11, 24, 61 + dy, 56, 15, kSetC);
    c[b + 2] = MakeCell(6085, "", 0x11, 80, 61 + dy, 56, 15, kSetC);
    c[b + 3] = MakeCell(6086, "", 0x11, 136, 61 + dy, 44, 15, kSetC);
    c[b + 4] = MakeCell(6087, "", 0x11, 180, 61 + dy, 45, 15, kSetC);
    c[b + 5] = MakeCell(k == 0 ? 6088 : 6089, "", 0x11, 24, 76 + dy, 56, 15, kSetC);
    c[b + 6] = MakeCell(6090, "", 0x11, 80, 76 + dy, 76, 15, kSetC);
    c[b + 7] = MakeCell(6091, "", 0x11, 156, 76 + dy, 69, 15, kSetC);
    c[b + 8] = MakeCell(-1, "remaining:", 0x21, 24, 91 + dy, 56, 15, kSetC);
    c[b + 9] = MakeCell(6092, "", 0x11, 80, 91 + dy, 76, 15, kSetC);
    c[b + 10] = MakeCell(6093, "", 0x11, 156, 91 + dy, 69, 15, kSetC);
  }
  c[45] = MakeCell(6094, "", 0x11, 0, 226, 56, 15, kSetB);
  c[46] = MakeCell(-1, "", 0x11, 56, 226, 169, 15, kSetB);
}

std::array<bool, kCellCount> CFmsPanel::Update(const SimSnapshot& sim, bool localTime) {
  std::array<bool, kCellCount> changed{};
  const auto setFlag = [&](int cell, uint32_t flag, bool on) {
    const uint32_t flags = on ? (m_cells[cell].flags | flag) : (m_cells[cell].flags & ~flag);
    if (flags != m_cells[cell].flags) {
      m_cells[cell].flags = flags;
      changed[cell] = true;
    }
  };
  const auto setText = [&](int cell, std::string text) {
    if (text != m_cells[cell].text) {
      m_cells[cell].text = std::move(text);
      changed[cell] = true;
    }
  };
  setFlag(kLocalTimeCell, kCellLatched | kCellActive, localTime);
  setFlag(kFlyPlanCell, kCellDisabled, !sim.flyPlanPossible);
  setFlag(kFlyPlanCell, kCellLatched, sim.flyPlan);
  setFlag(kFlyPlanCell, kCellActive, sim.flyPlan && (sim.holdingState & 1) == 0);
  setFlag(kHoldingCell, kCellDisabled, !sim.holdingPossible);
  setFlag(kHoldingCell, kCellLatched, (sim.holdingState & 2) != 0);
  setFlag(kHoldingCell, kCellActive, (sim.holdingState & 1) != 0);
  setFlag(kMode1Cell, kCellLatched | kCellActive, !sim.fmcMode2);
  setFlag(kMode2Cell, kCellLatched | kCellActive, sim.fmcMode2);

  const FmsData data = ReadFmsBlock<FmsData>(sim.fmsData);
  setText(kTimeCell, localTime ? ClockText(data.localHour, data.localMinute, data.second)
                               : ClockText(data.utcHour, data.utcMinute, data.second));
  setText(8, data.filled ? "remaining:" : "");
  setText(9, data.filled ? DistanceText(data.distance) : "");
  setText(10, data.timeValid ? TimeText(data.time) : "");
  for (int k = 0; k < 3; ++k) {
    const FmsRow row = ReadFmsBlock<FmsRow>(sim.fmsWaypoints[k]);
    const int b = kFirstBlockCell + 11 * k;
    if (!row.filled) {
      for (int i = 0; i < 11; ++i) setText(b + i, "");
      continue;
    }
    setText(b, Field(row.name, sizeof row.name));
    setText(b + 1, !row.timeValid ? std::string()
                   : localTime   ? ClockText(row.arrivalLocalHour, row.arrivalLocalMinute, row.arrivalLocalSecond)
                                 : ClockText(row.arrivalUtcHour, row.arrivalUtcMinute, row.arrivalUtcSecond));
    setText(b + 2, Field(row.kind, sizeof row.kind));
    setText(b + 3, Field(row.ident, sizeof row.ident));
    setText(b + 4, Field(row.frequencyText, sizeof row.frequencyText));
    setText(b + 5, CourseText(row.course));
    setText(b + 6, DistanceText(row.distance));
    setText(b + 7, row.timeValid ? TimeText(row.time) : "");
    setText(b + 8, "remaining:");
    setText(b + 9, DistanceText(row.remainingDistance));
    setText(b + 10, row.timeValid ? TimeText(row.remainingTime) : "");
  }
  if (data.arrivalValid) {
    setText(kArrivalTimeCell, localTime
                                  ? ClockText(data.arrivalLocalHour, data.arrivalLocalMinute, data.arrivalLocalSecond)
                                  : ClockText(data.arrivalUtcHour, data.arrivalUtcMinute, data.arrivalUtcSecond));
    setText(kArrivalCell, "Arrival");
  } else {
    setText(kArrivalTimeCell, "");
    setText(kArrivalCell, "");
  }
  std::memcpy(m_rows.data(), sim.fmsWaypoints, m_rows.size());
  return changed;
}

int CFmsPanel::HitTest(int x, int y, int w, int h) const {
  const Mapping m = Mapping::For(w, h);
  for (int i = kCellCount - 1; i >= 0; --i) {
    const gdi::Rect r = m.ToDevice(m_cells[i]);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
  }
  return -1;
}

bool CFmsPanel::Press(int cell) {
  if (cell < 0 || cell >= kCellCount) return false;
  const uint32_t flags = m_cells[cell].flags;
  if ((flags & kCellButton) == 0 || (flags & kCellDisabled) != 0) return false;
  m_pressed = cell;
  m_cells[cell].flags |= kCellPressed;
  return true;
}

bool CFmsPanel::Track(bool over) {
  if (m_pressed < 0) return false;
  const bool shown = (m_cells[m_pressed].flags & kCellPressed) != 0;
  if (shown == over) return false;
  m_cells[m_pressed].flags ^= kCellPressed;
  return true;
}

void CFmsPanel::Release(bool over, IFmsCommands& commands) {
  if (m_pressed < 0) return;
  const int cell = m_pressed;
  m_cells[cell].flags &= ~kCellPressed;
  m_pressed = -1;
  if (!over) return;
  switch (cell) {
    case kFlyPlanCell:
      commands.SetVariable("CHARTWRIGHT_FLY_FP_TOGGLE", 1);
      commands.SetVariable("CHARTWRIGHT_FLY_FP_WP", -1);
      break;
    case kNextCell: commands.SetVariable("CHARTWRIGHT_NEXT_WAYPOINT", 1); break;
    case kPrevCell: commands.SetVariable("CHARTWRIGHT_PREV_WAYPOINT", 1); break;
    case kHoldingCell: commands.SetVariable("CHARTWRIGHT_FLY_HOLDING_TOGGLE", 1); break;
    case kMode1Cell: commands.SetVariable("CHARTWRIGHT_FMC_MODE1_ON", 1); break;
    case kMode2Cell: commands.SetVariable("CHARTWRIGHT_FMC_MODE2_ON", 1); break;
    case kLocalTimeCell: commands.ToggleLocalTime(); break;
    default: break;
  }
}

void SimBlockCommands::SetVariable(const char* name, int32_t value) {
  if (auto* storage = static_cast<int32_t*>(m_sim.LookupNamedVariable(name))) *storage = value;
}

void SimBlockCommands::SendEvent(uint32_t id, uint32_t value) { m_sim.SendSimEvent(id, value); }

int CFmsPanel::BlockOfCell(int cell) {
  return cell >= kFirstBlockCell && cell <= kLastBlockCell ? (cell - kFirstBlockCell) / 11 : -1;
}

std::optional<FmsRow> CFmsPanel::Row(int block) const {
  if (block < 0 || block > 2) return std::nullopt;
  const FmsRow row = ReadFmsBlock<FmsRow>(m_rows.data() + block * sizeof(FmsRow));
  if (!row.filled) return std::nullopt;
  return row;
}

std::optional<DragPayload> CFmsPanel::Drag(int block) const {
  const std::optional<FmsRow> row = Row(block);
  if (!row) return std::nullopt;
  const int course = RoundedCourse(row->course);
  if (course < 0) return std::nullopt;
  DragPayload p;
  p.heading = static_cast<float>(course);
  const std::string kind = Field(row->kind, sizeof row->kind);
  if (std::isfinite(row->frequency) && row->frequency > 0) {
    if (IsNavKind(kind)) p.frequencyFormat = DragPayload::Frequency::kNav;
    if (kind == "NDB") p.frequencyFormat = DragPayload::Frequency::kAdf;
    if (p.frequencyFormat != DragPayload::Frequency::kNone) p.frequency = row->frequency;
  }
  return p;
}

MenuChoice CFmsPanel::MenuFor(int cell) const {
  if (cell == kMode1Cell || cell == kMode2Cell) return {159, -1};
  const int block = BlockOfCell(cell);
  const std::optional<FmsRow> row = Row(block);
  if (!row) return {0, block};
  const std::string kind = Field(row->kind, sizeof row->kind);
  if (row->frequency != 0) {
    if (IsNavKind(kind)) return {157, block};
    if (kind == "NDB") return {158, block};
    return {0, block};
  }
  return {156, block};
}

bool CFmsPanel::CommandEnabled(int command, int block, const SimSnapshot& sim) const {
  if (command == cmd::kFmsSettings) return true;
  if (!Row(block)) return false;
  switch (command) {
    case cmd::kFlyPlanFromHere:
    case cmd::kFmsSetHeading: return sim.autopilotAvailable;
    case cmd::kFmsSetNav1Course:
    case cmd::kFmsSetNav1Frequency: return sim.nav1Available;
    case cmd::kFmsSetNav2Course: return sim.nav2Available && sim.nav2CourseSettable;
    case cmd::kFmsSetNav2Frequency: return sim.nav2Available;
    case cmd::kFmsSetAdfFrequency: return true;
    default: return false;
  }
}

void CFmsPanel::RunCommand(int command, int block, int, IFmsCommands& commands) const {
  if (command == cmd::kFmsSettings) {
    commands.OpenSettings();
    return;
  }
  const std::optional<FmsRow> row = Row(block);
  if (!row) return;
  const int course = RoundedCourse(row->course);
  const std::optional<uint32_t> nav = NavFrequencyCode(row->frequency);
  switch (command) {
    case cmd::kFlyPlanFromHere:
      commands.SetVariable("CHARTWRIGHT_FLY_FP_ON", 1);
      commands.SetVariable("CHARTWRIGHT_FLY_FP_WP", row->row);
      break;
    case cmd::kFmsSetHeading:
      if (course >= 0) commands.SendEvent(0x101FA, static_cast<uint32_t>(course));
      break;
    case cmd::kFmsSetNav1Course:
      if (course >= 0) commands.SendEvent(0x100B4, static_cast<uint32_t>(course));
      break;
    case cmd::kFmsSetNav2Course:
      if (course >= 0) commands.SendEvent(0x100B5, static_cast<uint32_t>(course));
      break;
    case cmd::kFmsSetNav1Frequency:
      if (nav) commands.SendEvent(0x100AC, *nav);
      break;
    case cmd::kFmsSetNav2Frequency:
      if (nav) commands.SendEvent(0x100AD, *nav);
      break;
    case cmd::kFmsSetAdfFrequency:
      // The tuning itself bounds the frequency to what its events can carry.
      if (std::isfinite(row->frequency)) commands.TuneAdf(row->frequency);
      break;
    default: break;
  }
}

void CFmsPanel::Paint(gdi::Dc& dc, int w, int h, int scheme) const {
  if (w <= 0 || h <= 0) return;
  scheme = scheme < 0 || scheme > 2 ? 0 : scheme;
  const bool day = scheme == 0;
  // One logical unit per device pixel: the panel's own scale is applied to every rectangle.
  dc.SetResolution(gdi::kLogicalPerInch, gdi::kLogicalPerInch);
  dc.FillRect({0, 0, w, h}, gdi::Brush::Solid(day ? gdi::Rgb(192, 192, 192) : gdi::Rgb(0, 0, 0)));
  const Mapping m = Mapping::For(w, h);
  const auto scaled = [&](int units) { return std::max(1, MulDiv(units, m.height, kPanelHeight + 6)); };
  gdi::Font font;
  font.face = "Arial";
  font.height = -scaled(9);
  font.weight = 700;
  const gdi::Font oldFont = dc.SelectFont(font);
  const int oldMode = dc.SetBkMode(gdi::TRANSPARENT);
  const gdi::Pen oldPen = dc.SelectPen(gdi::Pen::Geometric(1, day ? gdi::Rgb(160, 160, 160) : gdi::Rgb(64, 64, 64)));
  const gdi::Brush oldBrush = dc.SelectBrush(gdi::Brush::Solid(day ? gdi::Rgb(255, 255, 255) : gdi::Rgb(0, 0, 64)));
  const auto align = [](const Cell& c) {
    return (c.flags & kCellCentred) ? gdi::Align::Center : (c.flags & kCellRight) ? gdi::Align::Right
                                                                                   : gdi::Align::Left;
  };
  const auto inset = [&](const Cell& c, int left, int top, int right, int bottom) {
    Cell t = c;
    t.x += left;
    t.y += top;
    t.width -= left + right;
    t.height -= top + bottom;
    return m.ToDevice(t);
  };
  for (const Cell& c : m_cells) {
    const gdi::Rect r = m.ToDevice(c);
    if (c.flags & kCellFramed) {
      const gdi::Point corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
      dc.Polygon(corners);
      dc.SetTextColor(c.colours[static_cast<size_t>(scheme)]);
      dc.DrawText(c.text, inset(c, 2, 1, 2, 1), align(c));
    } else if (c.flags & kCellButton) {
      const bool down = (c.flags & (kCellPressed | kCellLatched)) != 0;
      gdi::ColorRef fill, light, shade;
      if (down) {
        fill = day ? gdi::Rgb(192, 192, 192) : gdi::Rgb(92, 92, 92);
        light = gdi::Rgb(64, 64, 64);
        shade = gdi::Rgb(160, 160, 160);
      } else if (day) {
        fill = gdi::Rgb(160, 160, 160);
        light = gdi::Rgb(255, 255, 255);
        shade = gdi::Rgb(92, 92, 92);
      } else {
        fill = gdi::Rgb(64, 64, 64);
        light = gdi::Rgb(160, 160, 160);
        shade = gdi::Rgb(32, 32, 32);
      }
      dc.FillRect(r, gdi::Brush::Solid(fill));
      gdi::ColorRef text = c.colours[static_cast<size_t>(scheme)];
      if (c.flags & kCellActive) {
        text = day ? gdi::Rgb(0, 128, 0) : gdi::Rgb(0, 192, 0);
      } else if (c.flags & kCellDisabled) {
        text = gdi::Rgb(128, 128, 128);
      }
      dc.SetTextColor(text);
      dc.DrawText(c.text, (c.flags & kCellPressed) ? inset(c, 3, 2, 1, 0) : inset(c, 2, 1, 2, 1), align(c));
      // The 3-D frame goes over the text.
      const gdi::Pen was = dc.SelectPen(gdi::Pen::Geometric(1, light));
      dc.MoveTo(r.left, r.bottom - 1);
      dc.LineTo(r.left, r.top);
      dc.LineTo(r.right - 1, r.top);
      dc.SelectPen(gdi::Pen::Geometric(1, shade));
      dc.LineTo(r.right - 1, r.bottom - 1);
      dc.LineTo(r.left, r.bottom - 1);
      dc.SelectPen(was);
    }
  }
  dc.SelectBrush(oldBrush);
  dc.SelectPen(oldPen);
  dc.SetBkMode(oldMode);
  dc.SelectFont(oldFont);
}

}  // namespace fms
