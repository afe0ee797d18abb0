#include "plotr/map/MapViewLogic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "navdb/NavPoint.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/UpdateHints.h"

namespace mapview {

HintBranch BranchOf(uint32_t bits) {
  if (bits == kHintInitial || (bits & (kHintPlanGeometry | kHintMapParameters)) != 0) return HintBranch::kRedraw;
  if (bits & kHintCenter) return HintBranch::kCenter;
  if (bits & kHintZoom) return HintBranch::kZoom;
  if (bits & kHintPeriodic) return HintBranch::kPeriodic;
  if (bits & kHintWind) return HintBranch::kWind;
  return HintBranch::kNone;
}

int TransitionHeight(int settingFeet) {
  int t = settingFeet - ((settingFeet % 500) + 500) % 500;
  return std::clamp(t, 10000, 30000);
}

// ---- Layer toggles ---------------------------------------------------------------------------------

int CLayerToggles::PairOfCommand(int command) {
  if (command >= cmd::kFirstLayerSwitch && command <= cmd::kLastLayerSwitch) return command - cmd::kFirstLayerSwitch;
  if (command == cmd::kRouteLabelsSwitch) return kRouteLabels;
  return -1;
}

bool CLayerToggles::Shown(int pair, bool setting) const {
  return IsPending(pair) ? PendingValue(pair) : setting;
}

void CLayerToggles::Toggle(int pair, bool setting) {
  const int i = Index(pair);
  m_value[i] = Shown(pair, setting) ? 0 : 1;
  m_pending[i] = 1;
  m_counter = kDebounceTicks;
}

void CLayerToggles::FollowAltitude(double altitude, int transition) {
  uint8_t& above = m_value[kAboveTransition];
  if (altitude > transition + 50 && !above) {
    above = 1;
  } else if (altitude < transition - 50 && above) {
    above = 0;
  } else {
    return;
  }
  m_pending[kAboveTransition] = 1;
  m_counter = kDebounceTicks;
}

bool CLayerToggles::Tick() {
  if (m_counter <= 0) return false;
  return --m_counter == 0;
}

void CLayerToggles::ClearPending() { m_pending.fill(0); }

// ---- Following -----------------------------------------------------------------------------------

bool CFollowState::OnPeriodic(bool inside, bool printing, bool followSetting) {
  const bool wellInside = !m_first && inside;
  m_first = false;
  if (wellInside) m_follow = true;
  return !printing && followSetting && m_follow && !wellInside;
}

// ---- Wheel and zoom --------------------------------------------------------------------------------

std::optional<int> CWheelZoom::Add(int delta, int zoom) {
  m_sum = static_cast<int16_t>(m_sum + delta);
  int target = zoom;
  if (m_sum <= -120) {
    m_sum = static_cast<int16_t>(m_sum + 120);
    target = zoom / 2 < 2 ? 1 : zoom / 2;
  } else if (m_sum >= 120) {
    m_sum = static_cast<int16_t>(m_sum - 120);
    target = zoom * 2 > 9998 ? 9999 : zoom * 2;
  } else {
    return std::nullopt;
  }
  if (target == zoom) return std::nullopt;
  return target;
}

int ZoomForRectangle(int zoom, int cx, int cy, int rw, int rh) {
  if (rw <= 0 || rh <= 0) return zoom;
  const double factor = std::min(static_cast<double>(cy) / rh, static_cast<double>(cx) / rw);
  const double wanted = std::trunc(zoom * factor);
  return static_cast<int>(std::clamp(wanted, 1.0, 9999.0));
}

// ---- Context commands ------------------------------------------------------------------------------

ContextStates ContextCommandStates(const ContextInputs& in) {
  ContextStates s;
  const uint16_t kind = in.hover ? in.hoverKind : 0;
  const bool airportOrRunway = kind == kKindAirport || kind == kKindRunway;
  const bool holdable = (kind & kHoldableKinds) != 0;
  const bool holdingFree = (in.holdingState & 1) == 0;
  s.flyTo = in.flyToPossible && in.pointOnMap;
  s.moveAircraft = in.onGround ? airportOrRunway && in.simVer < 90 : in.pointOnMap;
  s.towerView = airportOrRunway || in.pointOnMap;
  // The command itself refuses while a holding is flown, so it is never offered then.
  s.holding = (holdable || in.pointOnMap) && holdingFree;
  s.toPlan = in.hover ? (kind & kNotPlanKinds) == 0 && in.hoverResolves : in.pointOnMap;
  s.copy = in.hover || in.pointOnMap;
  s.center = in.pointOnMap;
  return s;
}

// ---- Measuring drag -------------------------------------------------------------------------------

std::string MeasureText(double metres, double magneticCourse) {
  double course = magneticCourse;
  if (course <= 0) course += 360;
  if (course > 360) course -= 360;
  char buffer[64];
  const double nm = metres / 1852.0;
  auto r = std::to_chars(buffer, buffer + 40, nm, std::chars_format::fixed, 1);
  std::string text(buffer, r.ptr);
  text += "nm ";
  text += std::to_string(static_cast<int>(std::trunc(course + 0.5)));
  text += "deg";
  return text;
}

Rect MeasureTextBox(Point s, Point n, int textWidth, int textHeight, int averageCharWidth, int cursorWidth) {
  const int width = textWidth + averageCharWidth;
  Rect box{n.x, n.y, n.x + width, n.y + textHeight};
  int dx = 0, dy = 0;
  if (s.y < n.y) {
    dy = 1;
    dx = s.x < n.x ? -width : cursorWidth / 2;
  } else {
    dy = -textHeight;
    dx = s.x < n.x ? -width : 0;
  }
  box.left += dx;
  box.right += dx;
  box.top += dy;
  box.bottom += dy;
  return box;
}

CMeasureDrag::Step CMeasureDrag::Move(Point n) {
  Step step;
  if (n == m_current) return step;
  step.changed = true;
  step.rect = Normalised(m_start, n);
  if (m_drawn) {
    step.erasePrevious = true;
    step.previous = Normalised(m_start, m_current);
    step.showText = true;
  }
  m_drawn = true;
  m_current = n;
  return step;
}

int CMeasureDrag::Release(Point at, Rect& out) {
  if (!m_drawn) return 0;
  m_current = at;
  const Rect r = Normalised(m_start, at);
  if (r.Width() < 2 || r.Height() < 2) return 0;
  out = r;
  return 1;
}

// ---- Hover tip --------------------------------------------------------------------------------------

bool CTipCountdown::Move(Point p) {
  if (std::abs(p.x - m_last.x) <= 2 && std::abs(p.y - m_last.y) <= 2) return false;
  const bool wasShowing = Showing();
  m_last = p;
  m_countdown = kRestTicks;
  m_hover = false;
  return wasShowing;
}

bool CTipCountdown::Button() {
  const bool wasShowing = Showing();
  m_countdown = 0;
  return wasShowing;
}

bool CTipCountdown::Reset() {
  const bool wasShowing = Showing();
  m_countdown = 0;
  m_hover = false;
  return wasShowing;
}

CTipCountdown::Action CTipCountdown::Tick(bool inside, Point cursor) {
  if (!inside) {
    m_last = {-1, -1};
    const bool wasShowing = Showing();
    m_countdown = 0;
    return wasShowing ? Action::kHide : Action::kNone;
  }
  if (m_countdown > 0) {
    if (--m_countdown == 0) {
      m_last = cursor;
      return Action::kQuery;
    }
  } else if (m_countdown < 0) {
    if (--m_countdown == -kShowTicks) {
      m_last = cursor;
      m_countdown = 0;
      m_hover = false;
      return Action::kHide;
    }
  }
  return Action::kNone;
}

bool CTipCountdown::Answer(bool found, const FullPoint& object, std::string text) {
  if (!found || text.empty()) {
    m_hover = false;
    return false;
  }
  m_object = object;
  m_text = std::move(text);
  m_hover = true;
  m_countdown = -1;
  return true;
}

bool CTipCountdown::GetHoverPoint(FullPoint& out) const {
  if (m_hover) out = m_object;
  return m_hover;
}

std::vector<std::string> TipRows(std::string_view text) {
  std::vector<std::string> rows;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t cr = text.find('\r', start);
    if (cr == std::string_view::npos) {
      if (start < text.size()) rows.emplace_back(text.substr(start));
      break;
    }
    rows.emplace_back(text.substr(start, cr - start));
    start = cr + 1;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return rows;
}

Rect PlaceTip(Point cursor, int width, int height, int screenWidth, int screenHeight, int cursorHeight) {
  Rect r{cursor.x, cursor.y, cursor.x + width, cursor.y + height};
  if (r.right > screenWidth) {
    r.left -= width;
    r.right -= width;
  }
  if (r.bottom > screenHeight - cursorHeight) {
    r.top -= height;
    r.bottom -= height;
  }
  const int dy = r.top == cursor.y ? cursorHeight : -cursorHeight;
  r.top += dy;
  r.bottom += dy;
  return r;
}

}  // namespace mapview
