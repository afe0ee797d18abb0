#pragma once

// The route finder's dialog without its window: the values the window shows, the rules of its
// start and of OK, and the plan command that runs it on a copy of the plan. The window (dialog
// "Calculate auto route") is reached through IToolDialogs::RunAutoRouteDialog; it moves the
// controls into AutoRouteDialogValues and calls the OK callback, which decides whether it closes.

#include <functional>
#include <string>

#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/Route.h"

class CSidStarStore;
namespace win {
class Clock;
}

// The dialog's route types, in the order of its radio buttons' values.
enum AutoRouteType : int {
  kAutoRouteLowAirways = 0,
  kAutoRouteHighAirways = 1,
  kAutoRouteNavaids = 2,
};

inline constexpr int kAutoRouteMinDistance = 20;   // nautical miles
inline constexpr int kAutoRouteMaxDistance = 200;  // nautical miles

// Texts of the route finder's messages.
inline constexpr char kAutoRouteFailedText[] =
    "Failed to generate a valid Airway route.\nYou may want to try Navaid-to-Navaid instead.";
inline constexpr char kAutoRouteDistanceText[] = "Please enter an integer between 20 and 200.";

// What the window shows and reads back: the type, the six switches and the distance.
struct AutoRouteDialogValues {
  int routeType = kAutoRouteHighAirways;
  bool sid = true;
  bool star = true;
  bool vor = true;
  bool ndb = true;
  bool isec = true;
  bool gps = true;
  int distance = 70;  // nautical miles, as the user typed it
  // In only: whether the low and the high airway buttons are enabled.
  bool lowAirways = true;
  bool highAirways = true;
};

// VOR, NDB, ISEC, Fix, the distance label and its edit are enabled only for navaid to navaid;
// the SID and STAR boxes are enabled for every type.
inline bool AutoRouteNavaidControlsEnabled(int routeType) { return routeType == kAutoRouteNavaids; }

// What OK asks of the search: runs the chosen search on the route; false when an airway search
// failed (the route is then left as it was).
using AutoRouteSearch = std::function<bool(CRoute& route, const AutoRouteDialogValues& values)>;

class CAutoRouteDialogModel {
 public:
  // `lowAirways`/`highAirways`: whether the database holds low and high airways; `ui` shows the
  // messages and the wait cursor (null: none).
  CAutoRouteDialogModel(CRoute& route, bool lowAirways, bool highAirways, AutoRouteSearch search,
                        IPlanUi* ui = nullptr);

  // The values the dialog opens with, from the settings cache: a stored airway type becomes
  // navaid to navaid when the database holds no airways.
  AutoRouteDialogValues InitValues() const;

  enum class OkResult {
    kInvalid,       // the distance is outside 20 to 200: its message was shown, nothing stored
    kSearchFailed,  // the airway search failed: its message was shown, the dialog stays open
    kClose,         // the route holds the result: close with OK
  };
  // Stores the settings, runs the search and shows the messages (through IPlanUi).
  OkResult Ok(const AutoRouteDialogValues& values);

 private:
  CRoute& m_route;
  bool m_lowAirways;
  bool m_highAirways;
  AutoRouteSearch m_search;
  IPlanUi* m_ui;
};

// The search run with its frame (Route finder points removed first, legs marked, each leg
// searched, the finder's points removed again after a failed airway search). `store` may be null:
// no SID or STAR is then inserted. The airway search's patience runs on `clock` (null: the
// system's).
bool RunAutoRouteSearch(CRoute& route, const AutoRouteDialogValues& values, CSidStarStore* store,
                        const win::Clock* clock = nullptr);

namespace planedit {
// "Calculate auto route": the dialog on a copy of the plan, with the plan's SID/STAR store; on OK
// the copy becomes the plan (one undo step). True when the plan changed.
bool CalculateAutoRoute(CFlightPlanCore& plan);
}  // namespace planedit
