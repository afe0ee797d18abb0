#pragma once
// The decisions of the document and the main frame, without windows: which plan commands are
// offered, what a save is first called, what each heartbeat tick runs and when a simulator
// dialog keeps the module hidden.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the plan commands' states depend on.
struct PlanCommandFacts {
  int sidStarCheck = -1;  // CheckPlanAsSidStar's result for the current route
  int waypointCount = 0;
  bool anyAutoRoutePoint = false;
  bool connected = false;
  bool sessionLost = false;
  bool sessionHost = false;
  bool planPublic = false;
  bool anyRemotePlanPublic = false;
};

struct CommandState {
  bool enabled = true;
  bool checked = false;
  // False: the item is taken out of the menu it is in (items elsewhere are only disabled).
  bool kept = true;
};

// The state of a document command; `inMenu` tells whether the item is a menu item. Ids the
// document has no rule for are enabled.
CommandState PlanCommandState(int id, const PlanCommandFacts& facts, bool inMenu);

// The name a first save offers: the title cut at its first ' ', '#', '%', ';', '/' or '\', with
// the default extension (".cwp") appended.
std::string DefaultSaveName(const std::string& title, const std::string& extension);

// How many entries of the recent-file list the Plan menu offers: those before the first unused
// one (the profile's list keeps its empty keys as empty entries). "Recent File" is enabled only
// when there is at least one.
size_t RecentFilesShown(const std::vector<std::string>& recent);

// The template's confidence that it can open a path, weakest to strongest.
enum class MatchConfidence { kNoAttempt, kMaybeAttemptForeign, kMaybeAttemptNative, kYesAttemptForeign,
                             kYesAttemptNative, kYesAlreadyOpen };
// The plan template's answer for `path` while the plan of `openPath` is open: its own file
// unmodified is already open (opening it only brings the plan forward); modified, the stored file
// is read again over the edits; any other path is read, a plan file (".cwp", any case) natively.
MatchConfidence MatchDocType(const std::string& path, const std::string& openPath, bool openModified);

// The document's periodic hint goes out on ticks 2, 7, 12, ...
inline bool PeriodicHintDue(uint32_t tick) { return tick % 5 == 2; }

// What one tick of the main frame's heartbeat runs.
struct TickWork {
  bool idle = false;         // the windows' update of commands and panes
  bool dialogWatch = false;  // the look at the simulator's dialogs
  bool documentTick = false;
};
TickWork PlanTick(uint32_t counter, bool shownOnce, bool mouseCaptured);

// The simulator's active dialog, as the dialog watch sees it.
struct HostDialogFacts {
  bool ownDialog = false;         // a shown dialog of the simulator's main window
  bool firstChildIsButton = false;
  std::string firstChildLabel;
};
// Whether the module may be shown; false while the simulator's "book" dialog is open (simulator
// versions from 80 on).
bool MayShowOverHostDialog(int simVer, const HostDialogFacts& facts);

// Status text from the map: with no text while no custom text is shown, nothing changes
// (returns false); otherwise returns true and sets `customShown` to whether a text came.
bool AcceptStatusText(bool hasText, bool& customShown);
