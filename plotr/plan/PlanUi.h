#pragma once

// What the plan operations ask of the user interface: the wait cursor, message boxes and the
// database-open dialog. The window layer implements IPlanUi and installs it; tests install a
// recording fake. Without one installed nothing is shown and every choice counts as cancelled.

#include <string>
#include <vector>

// One navigation database found in the product folder.
struct SceneryEntry {
  std::string title;  // the record file's name without folder and extension
  std::string name1;  // the two names from its header
  std::string name2;
};

class IPlanUi {
 public:
  virtual ~IPlanUi() = default;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // A message box with the information icon.
  virtual void ShowInformation(const std::string& text) = 0;
  // A message box with the error icon.
  virtual void ShowError(const std::string& text) = 0;
  // The database-open dialog over `entries` (never empty): the chosen index, or -1 for Cancel.
  virtual int ChooseScenery(const std::vector<SceneryEntry>& entries) = 0;
};

// The installed interface (not owned); nullptr removes it.
void SetPlanUi(IPlanUi* ui);
IPlanUi* GetPlanUi();

// Texts of the plan's messages.
inline constexpr char kWaypointsRemovedText[] =
    "Waypoints in this flightplan are not found in the scenery.\nThese waypoints are removed from the flightplan.";
inline constexpr char kNoSceneryText[] =
    "To use the program you must first create a scenery\ndatabase from the flight simulator data. Close the\n"
    "flight simulator and run the program Basemaker.";

// The application's wait cursor for the lifetime of the object.
class PlanWaitCursor {
 public:
  PlanWaitCursor() {
    if (IPlanUi* ui = GetPlanUi()) ui->BeginWaitCursor();
  }
  ~PlanWaitCursor() {
    if (IPlanUi* ui = GetPlanUi()) ui->EndWaitCursor();
  }
  PlanWaitCursor(const PlanWaitCursor&) = delete;
  PlanWaitCursor& operator=(const PlanWaitCursor&) = delete;
};

// "%d %s" with the count and kWaypointsRemovedText, when the count is above 0.
void ShowWaypointsRemoved(int removed);
