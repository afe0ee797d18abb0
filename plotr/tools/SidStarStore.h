#pragma once

// The SID/STAR catalogue: the airports that have ".ss" files in the SID/STAR folder, sorted by
// identifier, with their procedures read on first use, and the operations on them: scanning the
// folder, finding the stored airport of a plan airport, saving the plan as a procedure, editing
// and deleting procedures, checking a plan and putting stored procedures into it. The plan calls
// the members of IProcedureCatalogue; tests replace them with a fake (testing/FakeSidStarStore.h).

#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/ProcedureCatalogue.h"
#include "plotr/plan/SidStarRecords.h"

class CFlightPlanCore;
class CRoute;
class IPlanUi;
class ISidStarUi;
struct PlanPoint;
namespace win { class Clock; }

// Results of CheckPlanAsSidStar.
enum SidStarCheck : int {
  kPlanIsNoProcedure = -1,
  kPlanIsSid = 0,
  kPlanIsStar = 1,
};


// The folders of a store that was given none: the product's "SidStar" and "Bin" folders, set by
// the application as it starts.
void SetDefaultSidStarFolders(std::string sidStarFolder, std::string binFolder);

class CSidStarStore : public IProcedureCatalogue {
 public:
  // Builds the regions (in editor mode from "Regions.ini" of the Bin folder). `ui` asks the
  // user, `planUi` shows the wait cursor; null: nothing shown, boxes get their Escape answer and
  // the save dialog counts as cancelled.
  explicit CSidStarStore(ISidStarUi* ui = nullptr, IPlanUi* planUi = nullptr);
  ~CSidStarStore() override = default;

  // Index of the catalogue airport that belongs to the plan point's airport, -1 when none.
  int FindAirport(const PlanPoint& point, const CRoute& route) override;
  // Reads the airport's procedures once (no effect when loaded, or when its file fails its
  // check; the lists then stay empty).
  void LoadAirport(int airport, const CRoute& route) override;
  // Whether a plan point is the procedure waypoint: related types, same identifier (runway
  // identifiers not compared when loose; user fixes named "Fix..." not compared) and within
  // `tolerance` metres.
  bool WaypointMatches(const CSidStarWaypoint& waypoint, double tolerance, const PlanPoint& point,
                       const CRoute& route, bool loose) const override;
  // Appends the procedure's waypoints to the route, each found again in the database; false
  // (after telling the user) when an essential waypoint is missing. With `report` the user is
  // also told how many waypoints the scenery no longer has (replaced by user fixes or dropped).
  bool InsertIntoPlan(CRoute& route, bool isStar, int airport, int group, int procedure, bool report) override;
  // Runs the save dialog and writes the procedure file; true when the catalogue changed.
  virtual bool SavePlanAs(bool isStar, int airport, int group, int procedure, const CRoute& route);
  // Rebuilds the catalogue from the procedure folder; true when an airport was found.
  virtual bool ScanFiles();
  // kPlanIsSid, kPlanIsStar, or kPlanIsNoProcedure with the message's string id and the
  // 1-based point number.
  virtual int CheckPlanAsSidStar(const CRoute& route, int& stringId, int& number) const;

  // Index before the first airport whose identifier is greater.
  int FindInsertPos(std::string_view id) const;
  // The properties dialog for one procedure; true when the catalogue changed.
  bool EditProperties(bool isStar, int airport, int group, int procedure, const CRoute& route);
  // Deletes an airport (group and procedure -1) or one procedure after asking; false when
  // refused or invalid.
  bool DeleteWithPrompt(int airport, int group, int procedure, bool isStar, const CRoute& route);
  // Appends the procedure's runway end to the route; false when the database has none there.
  bool InsertProcedureRunway(CRoute& route, bool isStar, int airport, int group, int procedure);

  // The folders ending in a separator; empty: the application's.
  void SetFolders(std::string sidStarFolder, std::string binFolder);
  std::string GetFolder() const;
  std::string GetBinFolder() const;
  // The clock of the save stamps (not owned); nullptr: the system clock.
  void SetClock(const win::Clock* clock) { m_clock = clock; }
  const win::Clock& GetClock() const;
  // Creates the nine regions again (the editor's lists from "Regions.ini").
  void BuildSidStarRegions();
  // The region check of a newly listed airport; in normal mode the country joins its region.
  void CheckRegion(CSidStarAirport& airport, bool editor);

  // A box of the ui::kMb* style through the catalogue's interface; the ui::kId* answer.
  int MessageBox(const std::string& text, uint32_t style) const;
  ISidStarUi* Ui() const { return m_ui; }
  IPlanUi* PlanUi() const { return m_planUi; }

  int GetAirportCount() const override { return static_cast<int>(m_airports.size()); }
  const CSidStarAirport& GetAirport(int i) const { return m_airports[static_cast<size_t>(i)]; }
  const CSidStarList& GetList(int airport, bool isStar) const override {
    const CSidStarAirport& a = GetAirport(airport);
    return isStar ? a.stars : a.sids;
  }

  std::vector<CSidStarAirport> m_airports;
  std::vector<CSidStarRegion> m_regions;

 private:
  // Puts a saved copy in place of the entry (or inserts it when `airport` is -1) by the save's
  // result, telling the user of a failure with the icon given.
  bool ApplySave(int airport, CSidStarAirport& copy, uint32_t icon);
  bool IsValidProcedure(int airport, int group, int procedure, bool isStar) const;

  std::string m_folder;
  std::string m_binFolder;
  const win::Clock* m_clock = nullptr;
  ISidStarUi* m_ui = nullptr;
  IPlanUi* m_planUi = nullptr;
};

// The plan's catalogue as the stored one, for the operations the plan itself never asks for
// (scanning, saving, editing, the plan check). A plan made with no catalogue gets a stored one
// here, on first use.
CSidStarStore& SidStarStoreOf(CFlightPlanCore& plan);
