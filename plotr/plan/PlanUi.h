#pragma once

// What the plan operations ask of the user interface: the wait cursor, message boxes and the
// database-open dialog. The window layer implements IPlanUi and hands it to the plan where the
// plan is made; tests hand in a recording fake. Without one nothing is shown and every choice
// counts as cancelled.

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

class IToolDialogs;

// What the window layer hands the plan where it is made (not owned; they outlive the plan). A
// null member shows nothing and counts every dialog as cancelled.
struct PlanUiServices {
  IPlanUi* ui = nullptr;
  IToolDialogs* dialogs = nullptr;
};

// Texts of the plan's messages.
inline constexpr char kWaypointsRemovedText[] =
    "Waypoints in this flightplan are not found in the scenery.\nThese waypoints are removed from the flightplan.";
inline constexpr char kNoSceneryText[] =
    "To use the program you must first create a scenery\ndatabase from the flight simulator data. Close the\n"
    "flight simulator and run the program Basemaker.";

// The application's wait cursor for the lifetime of the object; none without an interface.
class PlanWaitCursor {
 public:
  explicit PlanWaitCursor(IPlanUi* ui) : m_ui(ui) {
    if (m_ui) m_ui->BeginWaitCursor();
  }
  ~PlanWaitCursor() {
    if (m_ui) m_ui->EndWaitCursor();
  }
  PlanWaitCursor(const PlanWaitCursor&) = delete;
  PlanWaitCursor& operator=(const PlanWaitCursor&) = delete;

 private:
  IPlanUi* m_ui;
};

// "%d %s" with the count and kWaypointsRemovedText, when the count is above 0.
void ShowWaypointsRemoved(IPlanUi* ui, int removed);
