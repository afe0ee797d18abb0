// The airport-level services of the catalogue: matching, reading, writing and saving one ".ss"
// file, its authors, its procedure lists and putting a plan in as a procedure.

#include "navdb/Geodesy.h"
#include "navdb/ProfileFile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/SidStarNav.h"
#include "platform/win/Clock.h"
#include "platform/win/Codepage.h"

#include <uuid/uuid.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <mutex>

namespace {

bool Near(double lat1, double lon1, double lat2, double lon2, double limit, double& distance) {
  if (!(std::fabs(lat1 - lat2) < 1.0) || !(std::fabs(lon1 - lon2) < 1.0)) return false;
  distance = GreatCircleDistance(lat1, lon1, lat2, lon2);
  return distance <= limit;
}

bool SortsBefore(const CSidStarProcedure& a, const CSidStarProcedure& b) {
  const int byId = win::CompareNoCase(a.id, b.id);
  if (byId != 0) return byId < 0;
  std::string_view restA, restB;
  const int numberA = SidStarRunwayNumber(a.runway, restA);
  const int numberB = SidStarRunwayNumber(b.runway, restB);
  if (numberA != numberB) return numberA < numberB;
  return restA < restB;
}

std::string UtcStamp(const win::Clock& clock) {
  const std::time_t now = std::chrono::system_clock::to_time_t(clock.Now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &utc);
  return text;
}

std::string NewGuid() {
  uuid_t id;
  uuid_generate(id);
  char text[40];
  uuid_unparse_upper(id, text);
  return text;
}

std::string Cut(std::string_view text, size_t limit) { return std::string(text.substr(0, limit)); }

// The group of the en-route fix; a new one takes the fix's navaid name from the database.
CSidStarFixGroup& GroupOf(CSidStarList& list, const CSidStarWaypoint& fix, const CRoute& plan) {
  const int g = list.FindGroup(fix.type, fix.Ident(), fix.lat, fix.lon);
  if (g >= 0) return list.groups[static_cast<size_t>(g)];
  CSidStarFixGroup group;
  group.type = fix.type;
  group.ident = std::string(fix.Ident());
  group.lat = fix.lat;
  group.lon = fix.lon;
  group.name = SidStarNavaidName(fix.type, group.ident, fix.lat, fix.lon, plan);
  list.groups.push_back(std::move(group));
  return list.groups.back();
}

// Fills the list from the file: procedures join the group of their en-route fix.
void ReadList(const CProfileFile& file, CSidStarList& list, const CRoute& plan) {
  list.groups.clear();
  for (CSidStarProcedure& procedure : ReadSidStarProcedures(file, list.isStar)) {
    const CSidStarWaypoint& fix = list.isStar ? procedure.waypoints.front() : procedure.waypoints.back();
    list.InsertProcedure(GroupOf(list, fix, plan), std::move(procedure), false);
  }
}

}  // namespace

const char* const kSidStarRegionNames[kSidStarRegionCount] = {
    "North America", "Central America", "Caribbean", "South America", "Europe",
    "Southwest Asia (Middle East)", "Africa", "Asia", "Oceania",
};

std::string_view CSidStarWaypoint::Ident() const { return std::string_view(ident, strnlen(ident, sizeof ident)); }

bool CSidStarProcedure::MatchesRunway(double lat, double lon, int heading, const char* ident, double& limit) const {
  if (!(SidStarHeadingDifference(this->heading, heading) < 10.0)) return false;
  if (ident && runway != ident) return false;
  double distance = 0;
  if (!Near(this->lat, this->lon, lat, lon, limit, distance)) return false;
  limit = distance;
  return true;
}

int CSidStarList::FindGroup(char type, std::string_view ident, double lat, double lon) const {
  int best = -1;
  double limit = kSidStarNavaidRadius;
  for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
    const CSidStarFixGroup& group = groups[static_cast<size_t>(g)];
    double distance = 0;
    if (group.type != type || group.ident != ident || !Near(group.lat, group.lon, lat, lon, limit, distance)) {
      continue;
    }
    if (best < 0 || distance < limit) {
      best = g;
      limit = distance;
    }
  }
  return best;
}

int CSidStarList::InsertProcedure(CSidStarFixGroup& group, CSidStarProcedure procedure, bool replace) const {
  for (size_t i = 0; i < group.procedures.size(); ++i) {
    CSidStarProcedure& existing = group.procedures[i];
    double limit = kSidStarRunwayRadius;
    if (win::EqualsNoCase(existing.id, procedure.id) &&
        existing.MatchesRunway(procedure.lat, procedure.lon, procedure.heading, procedure.runway.c_str(), limit)) {
      if (!replace) return -1;
      group.procedures.erase(group.procedures.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  const auto at = std::find_if(group.procedures.begin(), group.procedures.end(),
                               [&](const CSidStarProcedure& p) { return !SortsBefore(p, procedure); });
  // The insertion may move the procedures: the index is taken from the list it leaves.
  const auto inserted = group.procedures.insert(at, std::move(procedure));
  return static_cast<int>(inserted - group.procedures.begin());
}

int CSidStarRegion::FindCountry(std::string_view country) const {
  for (int i = static_cast<int>(countries.size()) - 1; i >= 0; --i) {
    if (countries[static_cast<size_t>(i)].name == country) return i;
  }
  return -1;
}

void CSidStarRegion::AddCountry(std::string_view country) {
  const int found = FindCountry(country);
  if (found >= 0) {
    countries[static_cast<size_t>(found)].enabled = true;
    return;
  }
  const auto at = std::find_if(countries.begin(), countries.end(),
                               [&](const Country& c) { return std::string_view(c.name) > country; });
  countries.insert(at, Country{std::string(country), true});
}

const std::string& CSidStarAirport::Creator() const {
  static const std::string kNone;
  return authors.empty() ? kNone : authors.front();
}

std::string CSidStarAirport::FilePath(const std::string& folder) const {
  return folder + guid + separator + stamp + "." + kSidStarExtension;
}

bool CSidStarAirport::Matches(double lat, double lon, std::string_view ident) const {
  double distance = 0;
  if (!Near(this->lat, this->lon, lat, lon, kSidStarNavaidRadius, distance)) return false;
  if (id == ident) return true;
  // A four-letter code and its three-letter form name the same airport.
  const std::string_view own(id);
  if (own.size() == 4 && ident.size() == 3) return own.substr(1) == ident;
  if (own.size() == 3 && ident.size() == 4) return ident.substr(1) == own;
  return false;
}

bool CSidStarAirport::ReadHeader(const std::string& path) {
  CProfileFile file;
  return file.Load(path, "Airport") && ReadSidStarHeader(file, *this);
}

void CSidStarAirport::Load(const CRoute& plan, const std::string& folder, IPlanUi* ui) {
  if (loaded) return;
  if (guid.empty() || stamp.empty()) {
    loaded = true;
    return;
  }
  PlanWaitCursor wait(ui);
  CProfileFile file;
  if (!file.Load(FilePath(folder)) || !HasSidStarEnd(file, *this)) return;
  DatabaseLease lease;
  ReadList(file, sids, plan);
  ReadList(file, stars, plan);
  loaded = true;
}

bool CSidStarAirport::Write(const std::string& path) const {
  CProfileFile file;
  FillSidStarFile(file, *this);
  return file.Save(path);
}

int CSidStarAirport::Save(const std::string& folder, const win::Clock& clock) {
  if (guid.empty()) return 0;
  namespace fs = std::filesystem;
  const std::string newStamp = UtcStamp(clock);
  const std::string base = folder + guid + "+" + newStamp;
  const std::string temporary = base + ".tmp";
  const std::string target = base + "." + kSidStarExtension;
  const std::string old = stamp.empty() ? std::string() : FilePath(folder);
  std::error_code error;
  if (!Write(temporary)) {
    fs::remove(temporary, error);
    return 0;
  }
  // The new file is in place before the old one goes, so no failure leaves the airport without
  // a file; a failure leaves the old file as the only one.
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    return 0;
  }
  if (!old.empty() && old != target) {
    fs::remove(old, error);
    if (error && error != std::errc::no_such_file_or_directory) {
      fs::remove(target, error);
      return 0;
    }
  }
  separator = '+';
  stamp = newStamp;
  return 1;
}

bool CSidStarAirport::DeleteFile(const std::string& folder) const {
  std::error_code error;
  std::filesystem::remove(FilePath(folder), error);
  return !error || error == std::errc::no_such_file_or_directory;
}

void CSidStarAirport::AddAuthor(std::string_view author) {
  // A line break or a blank at the end would not come back from the file, and the checksum over
  // the creator would fail the whole airport.
  const std::string name = SidStarValueText(author, kSidStarAuthorSize);
  if (name.empty()) return;
  for (size_t i = 0; i < authors.size(); ++i) {
    if (authors[i].empty() || !win::EqualsNoCase(authors[i], name)) continue;
    if (i == 0) {
      authors[0] = name;
    } else {
      authors.erase(authors.begin() + static_cast<std::ptrdiff_t>(i));
      authors.push_back(name);
    }
    return;
  }
  for (std::string& entry : authors) {
    if (entry.empty()) {
      entry = name;
      return;
    }
  }
  if (authors.size() >= kSidStarAuthorCount) {
    authors.erase(authors.begin() + 1);  // the oldest later editor; the creator stays
  }
  authors.push_back(name);
}

bool CSidStarAirport::AddPlan(std::string_view procedureId, std::string_view description, int fixPoint,
                              int runwayPoint, bool isStar, CRoute& plan, const std::string& folder) {
  const int count = plan.GetCount();
  if (fixPoint < 0 || fixPoint >= count || runwayPoint < 0 || runwayPoint >= count ||
      BaseKind(plan[runwayPoint].Kind()) != kKindRunway) {
    return false;
  }
  Load(plan, folder);
  DatabaseLease lease;
  const CSceneryDatabase& db = lease.Database();
  if (sids.groups.empty() && stars.groups.empty()) {
    FullPoint airport;
    const AirportRecord* record = nullptr;
    if (!plan.FindAirportOf(airport, plan[runwayPoint].ref.point) || !(record = db.GetAirport(airport.point))) {
      return false;
    }
    guid = NewGuid();
    id = std::string(record->Ident());
    name = Cut(db.GetString(record->nameText), kSidStarNameSize);
    city = Cut(db.GetString(record->cityText), kSidStarNameSize);
    lat = airport.point.latitude;
    lon = airport.point.longitude;
  }

  CSidStarWaypoint fix;
  if (!SidStarWaypointOfPoint(plan[fixPoint], true, plan, fix)) return false;
  CSidStarList& list = isStar ? stars : sids;

  if (!isStar) {
    // The last point of a SID tells whether a climb or speed restriction is still pending when
    // the procedure hands over to the route. Its own altitude 2 and speed are dropped below, so
    // only its own altitude 1 can leave a restriction pending.
    bool altitudePending = false, speedPending = false;
    for (int i = 0; i < count; ++i) {
      PlanPoint& p = plan[i];
      if (p.IsBearing()) continue;
      if (i < count - 1) {
        if (IsManualValueGiven(p.altitude1) || IsManualValueGiven(p.altitude2)) altitudePending = true;
        if (IsManualValueGiven(p.speed)) speedPending = true;
        if (p.flags & kPointAltitudeOption) altitudePending = false;
        if (p.flags & kPointSpeedOption) speedPending = false;
      } else {
        if (IsManualValueGiven(p.altitude1)) altitudePending = true;
        p.altitude2 = 0;
        p.speed = 0;
        p.flags = (p.flags & ~(kPointAltitudeOption | kPointSpeedOption)) |
                  (altitudePending ? uint32_t{kPointAltitudeOption} : 0u) |
                  (speedPending ? uint32_t{kPointSpeedOption} : 0u);
      }
    }
  }

  CSidStarProcedure procedure;
  procedure.id = SidStarValueText(procedureId, kSidStarProcedureIdSize);
  // A section without an identifier ends the file's list: every procedure after it would be lost.
  if (procedure.id.empty()) return false;
  procedure.name = Cut(description, kSidStarDescriptionSize);
  const NavPoint& runway = plan[runwayPoint].ref.point;
  SidStarObjectIdent(runway, plan, procedure.runway);
  if (procedure.runway.size() > kSidStarRunwaySize) return false;
  procedure.lat = runway.latitude;
  procedure.lon = runway.longitude;
  procedure.heading = static_cast<uint16_t>(SidStarRunwayHeading(runway));
  for (int i = 0; i < count; ++i) {
    CSidStarWaypoint w, back;
    if (!SidStarWaypointOfPoint(plan[i], i == 0 || i == count - 1, plan, w)) return false;
    // A line the reader refuses would drop the whole procedure at the next scan.
    if (!ReadSidStarWaypoint(WriteSidStarWaypoint(w), back)) return false;
    procedure.waypoints.push_back(w);
  }
  if (procedure.waypoints.size() < 2) return false;

  list.InsertProcedure(GroupOf(list, fix, plan), std::move(procedure), true);
  return true;
}
