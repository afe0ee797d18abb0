#include "plotr/shell/ShellRules.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "plotr/core/CommandIds.h"

CommandState PlanCommandState(int id, const PlanCommandFacts& f, bool inMenu) {
  CommandState s;
  switch (id) {
    case cmd::kOpenFromRemote:
      s.enabled = f.anyRemotePlanPublic;
      break;
    // Exactly one of the three save-as-procedure items stays in the menu.
    case cmd::kSaveAsSidStar:
      s.enabled = f.sidStarCheck != 0 && f.sidStarCheck != 1;
      s.kept = !inMenu || s.enabled;
      break;
    case cmd::kSaveAsSid:
      s.enabled = f.sidStarCheck == 0;
      s.kept = !inMenu || s.enabled;
      break;
    case cmd::kSaveAsStar:
      s.enabled = f.sidStarCheck == 1;
      s.kept = !inMenu || s.enabled;
      break;
    case cmd::kCalcAutoRoute:
      s.enabled = f.waypointCount > 1;
      break;
    case cmd::kRemoveAutoRoute:
      s.enabled = f.anyAutoRoutePoint;
      break;
    case cmd::kMultiplayerConnect:
      if (f.connected && inMenu)
        s.kept = false;
      s.enabled = !f.sessionLost && s.kept;
      break;
    case cmd::kMultiplayerDisconnect:
      if (f.connected || !inMenu)
        s.enabled = !f.sessionLost;
      else
        s.enabled = false, s.kept = false;
      break;
    case cmd::kPublicPlan:
      s.enabled = f.connected && !f.sessionLost;
      s.checked = f.planPublic;
      break;
    case cmd::kHostSettings:
      s.enabled = f.connected && !f.sessionLost && f.sessionHost;
      break;
    // No help file on this platform.
    case cmd::kHelpFinder:
    case cmd::kHelpIndex:
    case cmd::kHelp:
    case cmd::kContextHelp:
      s.enabled = false;
      break;
    default:
      break;
  }
  return s;
}

std::string DefaultSaveName(const std::string& title, const std::string& extension) {
  const size_t cut = title.find_first_of(" #%;/\\");
  return title.substr(0, cut) + extension;
}

TickWork PlanTick(uint32_t counter, bool shownOnce, bool mouseCaptured) {
  TickWork w;
  w.idle = counter % 5 == 0 && !mouseCaptured;
  if (!shownOnce) return w;
  w.dialogWatch = counter % 5 == 0;
  w.documentTick = true;
  return w;
}

bool MayShowOverHostDialog(int simVer, const HostDialogFacts& f) {
  if (simVer < 80) return true;
  if (!f.ownDialog || !f.firstChildIsButton) return true;
  return f.firstChildLabel != "book";
}

bool AcceptStatusText(bool hasText, bool& customShown) {
  if (!hasText && !customShown) return false;
  customShown = hasText;
  return true;
}

size_t RecentFilesShown(const std::vector<std::string>& recent) {
  return static_cast<size_t>(std::find_if(recent.begin(), recent.end(), [](const std::string& p) { return p.empty(); }) -
                             recent.begin());
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

}  // namespace

MatchConfidence MatchDocType(const std::string& path, const std::string& openPath, bool openModified) {
  if (SameFile(path, openPath)) return openModified ? MatchConfidence::kYesAttemptNative : MatchConfidence::kYesAlreadyOpen;
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".cwp" ? MatchConfidence::kYesAttemptNative : MatchConfidence::kMaybeAttemptNative;
}
