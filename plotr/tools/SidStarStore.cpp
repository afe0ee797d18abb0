#include "plotr/tools/SidStarStore.h"

#include "navdb/ProfileFile.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Clock.h"
#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/SidStarNav.h"
#include "plotr/tools/SidStarUi.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>

namespace {

// Longest key list read from one section of "Regions.ini".
constexpr size_t kRegionKeysMax = 10000;

struct DefaultFolders {
  std::string sidStar;
  std::string bin;
};

DefaultFolders& Defaults() {
  static DefaultFolders folders;
  return folders;
}

bool IsIndex(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

}  // namespace

int CSidStarStore::MessageBox(const std::string& text, uint32_t style) const {
  if (!m_ui) return ui::MessageBoxEscapeAnswer(style);
  return m_ui->MessageBox(text, style);
}

void SetDefaultSidStarFolders(std::string sidStarFolder, std::string binFolder) {
  Defaults() = {std::move(sidStarFolder), std::move(binFolder)};
}

CSidStarStore& SidStarStoreOf(CFlightPlanCore& plan) {
  if (auto* store = dynamic_cast<CSidStarStore*>(&plan.GetProcedureCatalogue())) return *store;
  auto store = std::make_unique<CSidStarStore>(nullptr, plan.Ui());
  CSidStarStore& installed = *store;
  plan.SetProcedureCatalogue(std::move(store));
  return installed;
}

CSidStarStore::CSidStarStore(ISidStarUi* ui, IPlanUi* planUi) : m_ui(ui), m_planUi(planUi) {
  // The plan check's messages are shown by number wherever the check is asked.
  AddSidStarStrings();
  BuildSidStarRegions();
}

void CSidStarStore::SetFolders(std::string sidStarFolder, std::string binFolder) {
  m_folder = std::move(sidStarFolder);
  m_binFolder = std::move(binFolder);
  BuildSidStarRegions();
}

std::string CSidStarStore::GetFolder() const { return m_folder.empty() ? Defaults().sidStar : m_folder; }
std::string CSidStarStore::GetBinFolder() const { return m_binFolder.empty() ? Defaults().bin : m_binFolder; }

const win::Clock& CSidStarStore::GetClock() const { return m_clock ? *m_clock : win::SystemClock(); }

void CSidStarStore::BuildSidStarRegions() {
  m_regions.clear();
  const bool editor = g_Settings.IsSidStarEditor();
  CProfileFile regions;
  if (editor) regions.Load(GetBinFolder() + "Regions.ini");
  for (const char* name : kSidStarRegionNames) {
    CSidStarRegion region;
    region.name = name;
    if (editor) {
      std::vector<char> keys(kRegionKeysMax + 2);
      const size_t length = regions.GetString(name, nullptr, "", keys.data(), keys.size());
      for (size_t i = 0; i < length;) {
        const std::string country(keys.data() + i);
        i += country.size() + 1;
        if (!country.empty()) region.countries.push_back({country, regions.GetInt(name, country.c_str(), 0) != 0});
      }
    }
    m_regions.push_back(std::move(region));
  }
}

void CSidStarStore::CheckRegion(CSidStarAirport& airport, bool editor) {
  if (!IsIndex(airport.region, m_regions.size())) {
    airport.region = -1;
    airport.country.clear();
    return;
  }
  CSidStarRegion& region = m_regions[static_cast<size_t>(airport.region)];
  if (editor) {
    // Editors publish only countries their region list accepts.
    const int c = airport.country.empty() ? 0 : region.FindCountry(airport.country);
    if (!airport.country.empty() && (c < 0 || !region.countries[static_cast<size_t>(c)].enabled)) {
      airport.region = -1;
      airport.country.clear();
    }
  } else if (!airport.country.empty()) {
    region.AddCountry(airport.country);
  }
}

int CSidStarStore::FindInsertPos(std::string_view id) const {
  const auto at = std::upper_bound(m_airports.begin(), m_airports.end(), id,
                                   [](std::string_view value, const CSidStarAirport& a) { return value < a.id; });
  return static_cast<int>(at - m_airports.begin());
}

bool CSidStarStore::ScanFiles() {
  PlanWaitCursor wait(m_planUi);
  m_airports.clear();
  const bool editor = g_Settings.IsSidStarEditor();
  const std::string folder = GetFolder();
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& path = it->path();
    if (path.extension() != ".ss" || it->is_directory(error)) continue;
    files.push_back(path);
  }
  // Directory order differs between file systems; equal identifiers keep a stable order.
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& path : files) {
    CSidStarAirport airport;
    if (!SplitSidStarTitle(path.stem().string(), airport.guid, airport.separator, airport.stamp) ||
        !airport.ReadHeader(path.string())) {
      continue;
    }
    CheckRegion(airport, editor);
    m_airports.push_back(std::move(airport));
  }
  // As if each were inserted at FindInsertPos of its identifier: equal identifiers keep the
  // order in which they were listed.
  std::stable_sort(m_airports.begin(), m_airports.end(),
                   [](const CSidStarAirport& a, const CSidStarAirport& b) { return a.id < b.id; });
  return !m_airports.empty();
}

int CSidStarStore::FindAirport(const PlanPoint& point, const CRoute& route) {
  DatabaseLease lease;
  FullPoint airport;
  if (!route.FindAirportOf(airport, point.ref.point)) return -1;
  const AirportRecord* record = lease.Database().GetAirport(airport.point);
  const std::string ident = record ? std::string(record->Ident()) : std::string();
  for (int i = GetAirportCount() - 1; i >= 0; --i) {
    if (m_airports[static_cast<size_t>(i)].Matches(airport.point.latitude, airport.point.longitude, ident)) return i;
  }
  return -1;
}

void CSidStarStore::LoadAirport(int airport, const CRoute& route) {
  if (IsIndex(airport, m_airports.size())) m_airports[static_cast<size_t>(airport)].Load(route, GetFolder(), m_planUi);
}

bool CSidStarStore::IsValidProcedure(int airport, int group, int procedure, bool isStar) const {
  if (!IsIndex(airport, m_airports.size())) return false;
  const CSidStarList& list = GetList(airport, isStar);
  return IsIndex(group, list.groups.size()) &&
         IsIndex(procedure, list.groups[static_cast<size_t>(group)].procedures.size());
}

bool CSidStarStore::ApplySave(int airport, CSidStarAirport& copy, uint32_t icon) {
  const int result = copy.Save(GetFolder(), GetClock());
  if (result == 1) {
    if (IsIndex(airport, m_airports.size())) {
      m_airports[static_cast<size_t>(airport)] = std::move(copy);
    } else {
      const int at = FindInsertPos(copy.id);
      m_airports.insert(m_airports.begin() + at, std::move(copy));
    }
    return true;
  }
  if (result == 0) {
    MessageBox(kSidStarNotChangedText, icon);
    return false;
  }
  if (IsIndex(airport, m_airports.size())) m_airports.erase(m_airports.begin() + airport);
  MessageBox(kSidStarLostText, icon == ui::kMbIconStop ? ui::kMbIconExclamation : icon);
  return true;
}

bool CSidStarStore::SavePlanAs(bool isStar, int airport, int group, int procedure, const CRoute& route) {
  int stringId = 0, number = 0;
  if (CheckPlanAsSidStar(route, stringId, number) != (isStar ? kPlanIsStar : kPlanIsSid)) return false;
  // The SID's last point is adjusted for the stored procedure, not in the user's plan.
  CRoute plan = route;
  const int fixPoint = isStar ? 0 : plan.GetCount() - 1;
  const int runwayPoint = isStar ? plan.GetCount() - 1 : 0;
  CSidStarWaypoint fix;
  {
    DatabaseLease lease;
    if (!SidStarWaypointOfPoint(plan[fixPoint], true, plan, fix) ||
        BaseKind(plan[runwayPoint].Kind()) != kKindRunway) {
      return false;
    }
  }
  SidStarSaveValues values;
  values.saveMode = true;
  values.isStar = isStar;
  values.id = fix.Ident() == "Fix" && fix.type == 'F' ? "" : std::string(fix.Ident());
  values.regions = &m_regions;
  CSidStarAirport copy;
  if (IsIndex(airport, m_airports.size())) {
    LoadAirport(airport, plan);
    copy = m_airports[static_cast<size_t>(airport)];
    values.region = copy.region;
    values.country = copy.country;
    const CSidStarList& list = isStar ? copy.stars : copy.sids;
    if (group < 0) group = list.FindGroup(fix.type, fix.Ident(), fix.lat, fix.lon);
    if (IsIndex(group, list.groups.size())) {
      DatabaseLease lease;
      const NavPoint& runway = plan[runwayPoint].ref.point;
      std::string runwayIdent;
      SidStarObjectIdent(runway, plan, runwayIdent);
      const int heading = SidStarRunwayHeading(runway);
      const auto& procedures = list.groups[static_cast<size_t>(group)].procedures;
      for (int p = 0; p < static_cast<int>(procedures.size()); ++p) {
        double limit = kSidStarRunwayRadius;
        const CSidStarProcedure& candidate = procedures[static_cast<size_t>(p)];
        if (!candidate.MatchesRunway(runway.latitude, runway.longitude, heading, runwayIdent.c_str(), limit)) continue;
        if (p == procedure) {
          values.selected = static_cast<int>(values.procedures.size());
          values.id = candidate.id;
          values.description = candidate.name;
        }
        values.procedures.push_back(candidate);
      }
    }
  } else {
    airport = -1;
  }
  ISidStarUi* ui = m_ui;
  if (!ui || !ui->RunSaveDialog(values)) return false;
  copy.AddAuthor(values.author);
  copy.region = values.region;
  copy.country = values.country;
  if (!copy.AddPlan(values.id, values.description, fixPoint, runwayPoint, isStar, plan, GetFolder())) return false;
  return ApplySave(airport, copy, ui::kMbIconStop);
}

bool CSidStarStore::EditProperties(bool isStar, int airport, int group, int procedure, const CRoute& route) {
  if (!IsIndex(airport, m_airports.size())) return false;
  CSidStarAirport copy = m_airports[static_cast<size_t>(airport)];
  copy.Load(route, GetFolder(), m_planUi);
  CSidStarList& list = isStar ? copy.stars : copy.sids;
  if (!IsIndex(group, list.groups.size()) ||
      !IsIndex(procedure, list.groups[static_cast<size_t>(group)].procedures.size())) {
    return false;
  }
  CSidStarFixGroup& fixGroup = list.groups[static_cast<size_t>(group)];
  CSidStarProcedure edited = fixGroup.procedures[static_cast<size_t>(procedure)];
  SidStarSaveValues values;
  values.isStar = isStar;
  values.id = edited.id;
  values.description = edited.name;
  values.region = copy.region;
  values.country = copy.country;
  values.regions = &m_regions;
  for (int p = 0; p < fixGroup.GetProcedureCount(); ++p) {
    const CSidStarProcedure& candidate = fixGroup.procedures[static_cast<size_t>(p)];
    double limit = kSidStarRunwayRadius;
    if (p != procedure &&
        !candidate.MatchesRunway(edited.lat, edited.lon, edited.heading, edited.runway.c_str(), limit)) {
      continue;
    }
    if (p == procedure) values.selected = static_cast<int>(values.procedures.size());
    values.procedures.push_back(candidate);
  }
  ISidStarUi* ui = m_ui;
  if (!ui || !ui->RunSaveDialog(values)) return false;
  copy.AddAuthor(values.author);
  copy.region = values.region;
  copy.country = values.country;
  edited.id = SidStarValueText(values.id, kSidStarProcedureIdSize);
  if (edited.id.empty()) return false;
  edited.name = values.description.substr(0, kSidStarDescriptionSize);
  fixGroup.procedures.erase(fixGroup.procedures.begin() + procedure);
  list.InsertProcedure(fixGroup, std::move(edited), true);
  return ApplySave(airport, copy, ui::kMbIconStop);
}

bool CSidStarStore::DeleteWithPrompt(int airport, int group, int procedure, bool isStar, const CRoute& route) {
  if (airport < 0 || !IsIndex(airport, m_airports.size())) return false;
  const std::string folder = GetFolder();
  const auto deleteAirport = [&] {
    if (!m_airports[static_cast<size_t>(airport)].DeleteFile(folder)) {
      MessageBox(kSidStarNotChangedText, ui::kMbIconInformation);
      return false;
    }
    m_airports.erase(m_airports.begin() + airport);
    return true;
  };
  if (group == -1 && procedure == -1) {
    if (MessageBox(kSidStarDeleteAirportText, ui::kMbOkCancel | ui::kMbIconQuestion) != ui::kIdOk) {
      return false;
    }
    return deleteAirport();
  }
  if (group < 0 || procedure < 0) return true;
  if (!IsValidProcedure(airport, group, procedure, isStar)) {
    LoadAirport(airport, route);
    if (!IsValidProcedure(airport, group, procedure, isStar)) return false;
  }
  if (MessageBox(kSidStarDeleteProcedureText, ui::kMbOkCancel | ui::kMbIconQuestion) != ui::kIdOk) {
    return false;
  }
  CSidStarAirport copy = m_airports[static_cast<size_t>(airport)];
  CSidStarList& list = isStar ? copy.stars : copy.sids;
  auto& procedures = list.groups[static_cast<size_t>(group)].procedures;
  procedures.erase(procedures.begin() + procedure);
  if (procedures.empty()) list.groups.erase(list.groups.begin() + group);
  if (copy.sids.groups.empty() && copy.stars.groups.empty()) return deleteAirport();
  return ApplySave(airport, copy, ui::kMbIconInformation);
}

void AddSidStarStrings() {
  static std::once_flag added;
  std::call_once(added, [] {
    ui::AddStrings({
        {6122, "Bearing Point as last point is not posible."},
        {6123, "The first navaid after Takeoff is not in line with the runway."},
        {6124, "The last navaid before Touchdown is not in line with the runway."},
        {6125, "Flightplan point %d (TOC/BOD not counted) has no identification."},
        {6126, "The Airport from Flightplan point %d (TOC/BOD not counted)\ndoes not exist or has no identification."},
        {6127, "The name of Flightplan point %d (TOC/BOD not counted) cannot be stored in a SID/STAR.\nUse a name "
               "without ':' or control characters that is not only blanks."},
        {6128, "A SID/STAR need 2 or more Waypoints."},
        {6129, "Use as last SID Waypoint or as first STAR Waypoint only VOR,\nNDB, Intersection or Fix-Point with "
               "user defined Identification."},
        {6130, "Plan point %d (TOC/BOD not counted) is wrong.\nUse VOR, NDB, ILS, Intersection or Fix."},
        {6131, "A SID has as first Waypoint a Runway and as last Waypoint a VOR,\nNDB, Intersection or Fix-Point "
               "with user defined Identification.\nA STAR has as first Waypoint a VOR, NDB, Intersection or "
               "Fix-Point\nwith user defined Identification and as last Waypoint a Runway."},
    });
  });
}
