#pragma once

// Which navigation databases the planner offers, and switching the plan to one of them. The
// databases are the record files ("*.000", with their ".001" string files) in the product
// folder; the plan's waypoints are found again in the new database and those it lacks dropped.

#include <filesystem>
#include <string>
#include <vector>

#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanUi.h"

// The folder that holds the databases (the product folder); set by the application.
void SetSceneryFolder(const std::filesystem::path& folder);
const std::filesystem::path& GetSceneryFolder();

// Every regular "*.000" file of the folder whose header reads, sorted case-insensitively by
// file title (equal titles in the order found).
std::vector<SceneryEntry> ListSceneryDatabases(const std::filesystem::path& folder);

// The database a switch chose, with the two names the database-open dialog showed for it, and
// why its load failed (empty when it loaded).
struct SceneryChoice {
  SceneryEntry entry;
  std::string failure;
};

// Loads the chosen database and revalidates the plan against it; the history starts over with
// the revalidated plan, and the database is remembered in "LastScenery". `automatic` takes the
// only database, or else the one remembered, without asking. False when nothing was chosen. A
// database that does not load leaves the current database, the plan, its history and the
// remembered name as they were: `loaded` is then false and the reason is in `choice`, for the
// caller to show (ShowSceneryLoadFailure) once it is ready to. `removed` counts the waypoints the
// new database lacks.
bool OpenScenery(CFlightPlanCore& plan, bool& loaded, int& removed, bool automatic, SceneryChoice* choice = nullptr);

// The error message of a load that failed, and showing it in an error box.
std::string SceneryLoadFailureText(const SceneryChoice& choice);
void ShowSceneryLoadFailure(IPlanUi* ui, const SceneryChoice& choice);
