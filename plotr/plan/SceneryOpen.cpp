#include "plotr/plan/SceneryOpen.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <system_error>

#include "navdb/SceneryDatabase.h"
#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"

namespace {

std::filesystem::path g_sceneryFolder;
std::string g_lastSceneryCache;

constexpr char kRecordExtension[] = "000";
constexpr char kStringExtension[] = "001";

std::filesystem::path DatabaseFile(const std::filesystem::path& folder, const std::string& title, const char* ext) {
  return folder / (title + "." + ext);
}

}  // namespace

void SetSceneryFolder(const std::filesystem::path& folder) {
  g_sceneryFolder = folder;
}

const std::filesystem::path& GetSceneryFolder() {
  return g_sceneryFolder;
}

std::vector<SceneryEntry> ListSceneryDatabases(const std::filesystem::path& folder) {
  std::vector<SceneryEntry> entries;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) return entries;
  for (const std::filesystem::directory_entry& file : it) {
    std::error_code typeError;
    if (!file.is_regular_file(typeError) || file.path().extension() != std::string(".") + kRecordExtension) {
      continue;
    }
    SceneryEntry entry;
    entry.title = file.path().stem().string();
    if (!CSceneryDatabase::ReadHeaderNames(file.path().string(), entry.name1, entry.name2)) {
      continue;
    }
    auto before = entries.begin();
    while (before != entries.end() && win::CompareNoCase(before->title, entry.title) <= 0) ++before;
    entries.insert(before, std::move(entry));
  }
  return entries;
}

bool OpenScenery(CFlightPlanCore& plan, bool& loaded, int& removed, bool automatic, SceneryChoice* choice) {
  const std::filesystem::path folder = GetSceneryFolder();
  const std::vector<SceneryEntry> entries = ListSceneryDatabases(folder);
  CRoute copy = *plan.GetCurrent();
  loaded = false;
  removed = 0;
  IPlanUi* ui = plan.Ui();

  SceneryEntry chosen;
  if (automatic) {
    if (entries.size() == 1) {
      chosen = entries.front();
    } else {
      chosen.title = g_Settings.GetString(g_lastSceneryCache, "LastScenery", true, "");
      if (chosen.title.empty()) return false;
      const auto listed = std::find_if(entries.begin(), entries.end(),
                                       [&](const SceneryEntry& e) { return e.title == chosen.title; });
      if (listed != entries.end()) chosen = *listed;
    }
  } else {
    if (entries.empty()) {
      if (ui) ui->ShowInformation(kNoSceneryText);
      return false;
    }
    const int index = ui ? ui->ChooseScenery(entries) : -1;
    if (index < 0 || index >= static_cast<int>(entries.size())) return false;
    chosen = entries[static_cast<size_t>(index)];
  }

  const std::string recordPath = DatabaseFile(folder, chosen.title, kRecordExtension).string();
  const std::string stringPath = DatabaseFile(folder, chosen.title, kStringExtension).string();
  PlanWaitCursor wait(ui);

  // The files are loaded into a database of their own, outside the lock: a database that does
  // not load must not empty the one the plan and the map are using, and drawing goes on while
  // the files are read. Only a complete load is swapped in.
  std::string failure;
  auto incoming = std::make_unique<CSceneryDatabase>(1024);
  loaded = incoming->LoadDatabaseFiles(recordPath, stringPath);
  if (loaded) {
    // A remembered database the list could not read names itself once it has loaded.
    if (chosen.name1.empty() && chosen.name2.empty()) {
      chosen.name1 = incoming->m_name1;
      chosen.name2 = incoming->m_name2;
    }
    incoming->m_name1 = chosen.name1;
    incoming->m_name2 = chosen.name2;
    // Only a database that loaded is remembered: naming a broken one would make every later start
    // fail on it.
    g_Settings.WriteString(g_lastSceneryCache, "LastScenery", chosen.title);
    DatabaseLease lease;
    lease.Database().SwapContents(*incoming);
    removed = copy.Revalidate();
    plan.Clear();
    plan.Push(copy);
    plan.Rebuild();
  } else {
    failure = incoming->GetLastError();
  }
  if (choice) {
    choice->entry = chosen;
    choice->failure = failure;
  }
  if (loaded) ShowWaypointsRemoved(ui, removed);
  return true;
}

std::string SceneryLoadFailureText(const SceneryChoice& choice) {
  return "The scenery database \"" + choice.entry.title + "\" could not be loaded.\n" + choice.failure;
}

void ShowSceneryLoadFailure(IPlanUi* ui, const SceneryChoice& choice) {
  if (ui) ui->ShowError(SceneryLoadFailureText(choice));
}
