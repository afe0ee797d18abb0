#pragma once

// The map view's decisions without its window: which branch an update hint takes, the
// airspace transition flag, the debounced layer toggles, following the aircraft, the wheel,
// the command rules, the measuring drag and the hover tip's countdown. The window feeds them
// events and does what they answer.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "navdb/NavPoint.h"
#include "plotr/plan/PlanPoint.h"

class CRoute;
struct SimSnapshot;

namespace mapview {

// ---- Update hints --------------------------------------------------------------------------------

// The one branch of a hint's last step; the document sends combined bits, so bits are tested.
enum class HintBranch { kNone, kRedraw, kCenter, kZoom, kPeriodic, kWind };
HintBranch BranchOf(uint32_t bits);
// Hint 0 (the first update) and the periodic hint run the periodic housekeeping.
inline bool RunsHousekeeping(uint32_t bits) { return bits == 0 || (bits & 0x1000) != 0; }
// Hint 0 and the map-parameter hint refresh the wind indicator.
inline bool RefreshesWind(uint32_t bits) { return bits == 0 || (bits & 0x20) != 0; }

// The airspace transition height in feet from the setting: down to a multiple of 500, at
// least 10000, at most 30000.
int TransitionHeight(int settingFeet);

// Hover status texts clear themselves after this long.
inline constexpr uint64_t kHoverStatusMs = 10000;

// ---- Layer toggles ---------------------------------------------------------------------------------

// Pairs 0..15 belong to the commands cmd::kFirstLayerSwitch to kLastLayerSwitch, 16 to
// kRouteLabelsSwitch, 17 to the airspace above-transition flag. A burst of toggles is written
// once, three periodic updates after the last one, so the map is drawn once.
class CLayerToggles {
 public:
  static constexpr int kPairs = 18;
  static constexpr int kRouteLabels = 16;
  static constexpr int kAboveTransition = 17;
  static constexpr int kDebounceTicks = 3;

  // The pair of a toggle command, -1 for another command.
  static int PairOfCommand(int command);
  // What the check mark shows: the pending value while pending, else the setting.
  bool Shown(int pair, bool setting) const;
  bool IsPending(int pair) const { return m_pending[Index(pair)] != 0; }
  bool PendingValue(int pair) const { return m_value[Index(pair)] != 0; }
  void Toggle(int pair, bool setting);
  // Follows the aircraft's altitude (feet) across the transition height with 50 ft either side.
  void FollowAltitude(double altitude, int transition);
  // One periodic update: true when the pending values are due now (the caller writes them and
  // calls ClearPending).
  bool Tick();
  void ClearPending();

 private:
  static int Index(int pair) { return pair < 0 ? 0 : (pair >= kPairs ? kPairs - 1 : pair); }
  std::array<uint8_t, kPairs> m_value{};
  std::array<uint8_t, kPairs> m_pending{};
  int m_counter = -1;
};

// ---- Following the aircraft ------------------------------------------------------------------------

// The map re-centres on the aircraft only after the aircraft has been well inside it once, so
// a map the user moved away stays where it is until the aircraft comes back.
class CFollowState {
 public:
  // A periodic update; `inside` tells whether the aircraft projects well inside the window.
  // True when the map must be centred on the aircraft.
  bool OnPeriodic(bool inside, bool printing, bool followSetting);
  // After a centre or zoom hint.
  void OnMoved(bool inside) { m_follow = inside; }
  bool Following() const { return m_follow; }
  void SetFollowing(bool on) { m_follow = on; }

 private:
  bool m_follow = true;
  bool m_first = true;
};

// ---- Wheel and zoom --------------------------------------------------------------------------------

class CWheelZoom {
 public:
  // Adds a wheel delta; a full notch (120) gives the zoom to go to, at most one per message.
  std::optional<int> Add(int delta, int zoom);

 private:
  int16_t m_sum = 0;
};

inline bool ZoomInEnabled(int zoom) { return zoom < 9999; }
inline bool ZoomOutEnabled(int zoom) { return zoom > 1; }
// The zoom that a zoom rectangle of rw x rh pixels in a cx x cy window asks for.
int ZoomForRectangle(int zoom, int cx, int cy, int rw, int rh);

// ---- Commands on the context point ------------------------------------------------------------------

// Kinds that can be hovered and dragged (all but airways), those that never go into a plan from
// the map, and those a holding can be flown at.
inline constexpr uint16_t kPickableKinds = 0xF3FF;
inline constexpr uint16_t kNotPlanKinds =
    kKindMarker | kKindCom | kKindAirspaceLow | kKindAirspaceMid | kKindAirspaceHigh;
inline constexpr uint16_t kHoldableKinds = kKindIntersection | kKindNdb | kKindVor | kKindUserPoint;

struct ContextInputs {
  bool hover = false;           // a pickable hover object
  uint16_t hoverKind = 0;
  bool hoverResolves = false;   // it is found again in the database (user fixes: in the route)
  bool pointOnMap = false;      // the context point converts to a position
  bool flyToPossible = false;
  bool onGround = false;
  int32_t holdingState = 0;
  int simVer = 0;
};
struct ContextStates {
  bool flyTo = false;
  bool moveAircraft = false;
  bool towerView = false;
  bool holding = false;
  bool toPlan = false;
  bool copy = false;
  bool center = false;
};
ContextStates ContextCommandStates(const ContextInputs& in);

// ---- Measuring drag -------------------------------------------------------------------------------

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};
inline Rect Normalised(Point a, Point b) {
  return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y};
}

// "12.3nm 45deg": metres as nautical miles, the magnetic course rounded, 0 shown as 360.
std::string MeasureText(double metres, double magneticCourse);
// Where the text box goes beside the cursor `n` when dragging from `s`.
Rect MeasureTextBox(Point s, Point n, int textWidth, int textHeight, int averageCharWidth, int cursorWidth);

// The rubber band's states: what to erase and draw at each move, and the result on release.
class CMeasureDrag {
 public:
  explicit CMeasureDrag(Point start) : m_start(start), m_current(start) {}
  struct Step {
    bool changed = false;    // the band moved: erase `previous`, draw `rect`
    bool erasePrevious = false;
    Rect previous;
    Rect rect;
    bool showText = false;   // from the second move on
  };
  Step Move(Point n);
  // Release of the right button: 0 for a click or a band under 2 pixels, 1 with `out`.
  int Release(Point at, Rect& out);
  bool Drawn() const { return m_drawn; }
  Point Start() const { return m_start; }
  Point Current() const { return m_current; }

 private:
  Point m_start;
  Point m_current;
  bool m_drawn = false;
};

// ---- Hover tip --------------------------------------------------------------------------------------

// The tip's countdown at 200 ms a tick: two ticks of rest ask the view for the object under
// the cursor; a shown tip goes after 150 ticks.
class CTipCountdown {
 public:
  enum class Action { kNone, kHide, kQuery };
  static constexpr int kRestTicks = 2;
  static constexpr int kShowTicks = 150;

  // Each returns true when a shown tip must hide now.
  // A mouse move of more than 2 pixels starts the countdown again.
  bool Move(Point p);
  // A button: the tip hides, the hover object stays for the click.
  bool Button();
  // A new picture, the view's end, a wheel zoom: the tip and the hover object go.
  bool Reset();
  // One timer tick with the cursor inside the view (`inside`) at `cursor`.
  Action Tick(bool inside, Point cursor);
  // The view's answer to kQuery: true when the tip shows.
  bool Answer(bool found, const FullPoint& object, std::string text);
  bool Showing() const { return m_countdown < 0; }
  bool GetHoverPoint(FullPoint& out) const;
  const std::string& Text() const { return m_text; }
  Point LastPoint() const { return m_last; }

 private:
  Point m_last{-1, -1};
  int m_countdown = 0;
  bool m_hover = false;
  FullPoint m_object;
  std::string m_text;
};

// The tip's rows ("\r\n" or a lone "\r" between them).
std::vector<std::string> TipRows(std::string_view text);
// The three tab stops from the widest text of each of the first three columns; `width` gives
// a text's width in pixels.
template <class Width>
std::array<int, 3> TipTabStops(const std::vector<std::string>& rows, Width width) {
  int w[3] = {0, 0, 0};
  for (const std::string& row : rows) {
    size_t start = 0;
    for (int column = 0; column < 3; ++column) {
      const size_t tab = row.find('\t', start);
      if (tab == std::string::npos) break;
      const int wide = width(std::string_view(row).substr(start, tab - start));
      if (wide > w[column]) w[column] = wide;
      start = tab + 1;
    }
  }
  return {w[0] + 10, w[0] + w[1] + 20, w[0] + w[1] + w[2] + 30};
}
// The tip's screen rectangle of `width` x `height` at the cursor, kept on a screen of
// `screenWidth` x `screenHeight`.
Rect PlaceTip(Point cursor, int width, int height, int screenWidth, int screenHeight, int cursorHeight);

}  // namespace mapview
