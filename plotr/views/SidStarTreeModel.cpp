#include "plotr/views/SidStarTreeModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "platform/ui/StringTable.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarServer.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/SidStarTransfer.h"
#include "plotr/tools/SidStarUi.h"

namespace sidstar {

namespace {

bool InRange(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

const TreeNode* FindIn(const std::vector<TreeNode>& nodes, const SidStarRefClip& ref, NodePath& path) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    const TreeNode& node = nodes[i];
    path.push_back(static_cast<int>(i));
    if (node.hasRef && std::memcmp(&node.ref, &ref, sizeof ref) == 0) return &node;
    if (FindIn(node.children, ref, path)) return &node;
    path.pop_back();
  }
  return nullptr;
}

bool IsPrefix(const NodePath& prefix, const NodePath& path) {
  return prefix.size() <= path.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(start[i])))
      return false;
  }
  return true;
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
  int n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return n;
}

bool IsRealDate(int year, int month, int day) {
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month != 2 || day <= 28 || leap;
}

TreeNode Caption(std::string text, int image) {
  TreeNode node;
  node.text = std::move(text);
  node.image = image;
  return node;
}

TreeNode Referenced(std::string text, int image, const SidStarRefClip& ref) {
  TreeNode node = Caption(std::move(text), image);
  node.hasRef = true;
  node.ref = ref;
  return node;
}

std::string WithCount(const std::string& name, int count) { return name + " -- " + std::to_string(count); }

}  // namespace

void AddTreeStrings() {
  static bool added = false;
  if (added) return;
  added = true;
  ui::AddStrings({{kTextAirportsRoot, "Airports with SID/STARs"},
                  {kTextRunwaysSid, "Runways with SID"},
                  {kTextRunwaysStar, "Runways with STAR"},
                  {kTextNoRow, "SID/STARs of waypoint selected in left flight plan window"},
                  {kTextNoDescription, "Description of selected SID or STAR"}});
}

const TreeNode* NodeAt(const std::vector<TreeNode>& roots, const NodePath& path) {
  const std::vector<TreeNode>* level = &roots;
  const TreeNode* node = nullptr;
  for (int i : path) {
    if (!InRange(i, level->size())) return nullptr;
    node = &(*level)[static_cast<size_t>(i)];
    level = &node->children;
  }
  return node;
}

TreeNode* NodeAt(std::vector<TreeNode>& roots, const NodePath& path) {
  return const_cast<TreeNode*>(NodeAt(static_cast<const std::vector<TreeNode>&>(roots), path));
}

std::optional<NodePath> FindByRef(const std::vector<TreeNode>& roots, const SidStarRefClip& ref) {
  NodePath path;
  if (FindIn(roots, ref, path)) return path;
  return std::nullopt;
}

RefTarget Resolve(const CSidStarStore& store, const SidStarRefClip& ref) {
  RefTarget t;
  if (!InRange(ref.airport, store.m_airports.size())) return t;
  t.airport = &store.m_airports[static_cast<size_t>(ref.airport)];
  const CSidStarList& list = ref.isStar ? t.airport->stars : t.airport->sids;
  if (!InRange(ref.group, list.groups.size())) return t;
  t.group = &list.groups[static_cast<size_t>(ref.group)];
  if (!InRange(ref.procedure, t.group->procedures.size())) return t;
  t.procedure = &t.group->procedures[static_cast<size_t>(ref.procedure)];
  if (InRange(ref.waypoint, t.procedure->waypoints.size())) t.waypoint = &t.procedure->waypoints[static_cast<size_t>(ref.waypoint)];
  return t;
}

// ---- Texts and images ------------------------------------------------------------------------------

std::string AirportText(const CSidStarAirport& airport) {
  if (!airport.city.empty() && !StartsWithNoCase(airport.name, airport.city))
    return airport.id + " -- " + airport.city + " -- " + airport.name;
  return airport.id + " -- " + airport.name;
}

std::string DateLine(std::string_view stamp, const DateFormatter& format) {
  if (stamp.size() < 8) return std::string(stamp);
  const std::string_view year = stamp.substr(0, 4), month = stamp.substr(4, 2), day = stamp.substr(6, 2);
  if (format && AllDigits(stamp.substr(0, 8)) && IsRealDate(Number(year), Number(month), Number(day)))
    return format(Number(year), Number(month), Number(day));
  return std::string(month) + "/" + std::string(day) + "/" + std::string(year);
}

int SectorImage(double course) {
  if (!std::isfinite(course) || course > 345.0 || course <= 15.0) return kImageSectorNorth;
  // Sector k covers (15 + 30 (k - 1), 15 + 30 k].
  return kImageSectorNorth + static_cast<int>(std::ceil((course - 15.0) / 30.0));
}

int WaypointImage(char type) {
  switch (type) {
    case 'F': return kImageUserFix;
    case 'I': return kImageIntersection;
    case 'L': return kImageIls;
    case 'N': return kImageNdb;
    case 'R': return kImageRunway;
    case 'V': return 7;
    default: return kImageOther;
  }
}

std::optional<MapPoint> CenterOf(const CSidStarStore& store, const SidStarRefClip& ref) {
  const RefTarget t = Resolve(store, ref);
  if (IsAirportRef(ref) && t.airport) return MapPoint{t.airport->lat, t.airport->lon};
  if (IsGroupRef(ref) && t.group) return MapPoint{t.group->lat, t.group->lon};
  if (IsProcedureRef(ref) && t.procedure) return MapPoint{t.procedure->lat, t.procedure->lon};
  if (IsWaypointRef(ref) && t.waypoint) return MapPoint{t.waypoint->lat, t.waypoint->lon};
  return std::nullopt;
}

std::string DescriptionOf(const CSidStarStore& store, const std::optional<SidStarRefClip>& ref) {
  if (ref && IsProcedureRef(*ref)) {
    if (const CSidStarProcedure* p = Resolve(store, *ref).procedure) return p->name;
  }
  AddTreeStrings();
  return ui::LoadString(kTextNoDescription);
}

// ---- The airport tree ------------------------------------------------------------------------------

std::vector<TreeNode> AirportChildren(CSidStarStore& store, int airport, const CRoute& route,
                                      const DateFormatter& format) {
  std::vector<TreeNode> children;
  if (!InRange(airport, store.m_airports.size())) return children;
  AddTreeStrings();
  store.LoadAirport(airport, route);
  CSidStarAirport& a = store.m_airports[static_cast<size_t>(airport)];

  TreeNode date = Caption(DateLine(a.stamp, format), kImageDate);
  const std::string& creator = a.Creator();
  date.children.push_back(Caption(creator.empty() ? "?" : creator, kImageCreator));
  for (size_t i = 1; i < a.authors.size() && i < kSidStarAuthorCount && !a.authors[i].empty(); ++i)
    date.children.push_back(Caption(a.authors[i], kImageAuthor));
  children.push_back(std::move(date));

  for (const bool isStar : {false, true}) {
    std::vector<SidStarRefClip> runways;
    if (!a.CollectRunways(runways, isStar, route, store.GetFolder())) continue;
    TreeNode heading = Caption(ui::LoadString(isStar ? kTextRunwaysStar : kTextRunwaysSid), isStar ? kImageStar : kImageSid);
    heading.expanded = true;
    for (SidStarRefClip ref : runways) {
      ref.row = -1;
      ref.airport = airport;
      const RefTarget t = Resolve(store, ref);
      if (!t.procedure) continue;
      heading.children.push_back(Referenced(t.procedure->runway, kImageRunway, ref));
    }
    children.push_back(std::move(heading));
  }
  return children;
}

std::string CAirportTreeModel::ExpansionKey(const TreeNode& node) {
  if (node.hasRef) return node.text;
  std::string_view text = node.text;
  text = text.substr(0, text.find("--"));
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return std::string(text);
}

NodePath CAirportTreeModel::Rebuild(CSidStarStore& store, const CRoute& route, const DateFormatter& format) {
  AddTreeStrings();
  // What was open, by key and depth below the root: regions and root airports at 1, countries
  // and region airports at 2, country airports at 3.
  std::vector<std::pair<int, std::string>> open;
  const std::function<void(const TreeNode&, int)> remember = [&](const TreeNode& parent, int depth) {
    for (const TreeNode& node : parent.children) {
      if (!node.expanded) continue;
      open.emplace_back(depth, ExpansionKey(node));
      if (!node.hasRef && depth < 3) remember(node, depth + 1);
    }
  };
  if (!m_roots.empty()) remember(m_roots[0], 1);

  const std::vector<CSidStarAirport>& airports = store.m_airports;
  const std::vector<CSidStarRegion>& regions = store.m_regions;
  TreeNode root = Caption(ui::LoadString(kTextAirportsRoot), kImageCatalogue);
  root.bold = true;
  root.expanded = true;

  const auto airportNode = [&](int i) {
    const CSidStarAirport& a = airports[static_cast<size_t>(i)];
    TreeNode node = Referenced(AirportText(a), kImageAirport, SidStarRefClip{-1, 0, i, -1, -1, -1});
    node.overlay = a.separator != '-';
    node.hasButton = true;
    return node;
  };

  std::vector<std::vector<int>> byRegion(regions.size());
  std::vector<int> unplaced;
  for (int i = 0; i < static_cast<int>(airports.size()); ++i) {
    const int region = airports[static_cast<size_t>(i)].region;
    if (InRange(region, regions.size()))
      byRegion[static_cast<size_t>(region)].push_back(i);
    else
      unplaced.push_back(i);
  }

  std::unordered_map<std::string_view, std::vector<size_t>> countryNodes;
  for (size_t r = 0; r < regions.size(); ++r) {
    const CSidStarRegion& region = regions[r];
    TreeNode regionNode = Caption(region.name, kImageRegion);
    countryNodes.clear();
    for (const CSidStarRegion::Country& country : region.countries) {
      if (!country.enabled) continue;
      countryNodes[country.name].push_back(regionNode.children.size());
      regionNode.children.push_back(Caption(country.name, kImageCountry));
    }
    const size_t countryCount = regionNode.children.size();
    int count = 0;
    for (int i : byRegion[r]) {
      const CSidStarAirport& a = airports[static_cast<size_t>(i)];
      if (a.country.empty()) {
        regionNode.children.push_back(airportNode(i));
        regionNode.overlay |= a.separator != '-';
        ++count;
        continue;
      }
      // An airport of a country the region does not list stays out of the tree.
      const auto found = countryNodes.find(a.country);
      if (found == countryNodes.end()) continue;
      for (size_t c : found->second) {
        TreeNode& countryNode = regionNode.children[c];
        countryNode.children.push_back(airportNode(i));
        countryNode.overlay |= a.separator != '-';
        regionNode.overlay |= a.separator != '-';
        ++count;
      }
    }
    for (size_t c = 0; c < countryCount; ++c) {
      TreeNode& countryNode = regionNode.children[c];
      countryNode.text = WithCount(countryNode.text, static_cast<int>(countryNode.children.size()));
    }
    regionNode.text = WithCount(regionNode.text, count);
    root.children.push_back(std::move(regionNode));
  }
  for (int i : unplaced) root.children.push_back(airportNode(i));
  m_roots.clear();
  m_roots.push_back(std::move(root));

  std::optional<NodePath> last, level1, level2;
  const auto reopen = [&](const NodePath& parent, const std::string& key) -> std::optional<NodePath> {
    const TreeNode* p = NodeAt(m_roots, parent);
    if (!p) return std::nullopt;
    for (size_t i = 0; i < p->children.size(); ++i) {
      if (ExpansionKey(p->children[i]) != key) continue;
      NodePath path = parent;
      path.push_back(static_cast<int>(i));
      Expand(path, store, route, format);
      last = path;
      return path;
    }
    return std::nullopt;
  };
  for (const auto& [depth, key] : open) {
    if (depth == 1) {
      level1 = reopen({0}, key);
      level2.reset();
    } else if (depth == 2) {
      level2 = level1 ? reopen(*level1, key) : std::nullopt;
    } else if (level2) {
      reopen(*level2, key);
    }
  }
  return last ? *last : NodePath{0};
}

CAirportTreeModel::ExpandResult CAirportTreeModel::Expand(const NodePath& path, CSidStarStore& store,
                                                          const CRoute& route, const DateFormatter& format) {
  ExpandResult result;
  TreeNode* target = NodeAt(m_roots, path);
  if (!target) return result;
  // The accordion: everything open off the way to the node closes. Items with a reference
  // (airports) keep their own children as they are.
  NodePath at;
  const std::function<void(std::vector<TreeNode>&)> close = [&](std::vector<TreeNode>& nodes) {
    for (size_t i = 0; i < nodes.size(); ++i) {
      TreeNode& node = nodes[i];
      at.push_back(static_cast<int>(i));
      if (node.expanded && !IsPrefix(at, path)) {
        node.expanded = false;
        result.collapsed.push_back(at);
      }
      if (!node.hasRef && at != path) close(node.children);
      at.pop_back();
    }
  };
  close(m_roots);
  target->expanded = true;
  if (target->hasRef && IsAirportRef(target->ref) && target->children.empty() && target->hasButton) {
    target->children = AirportChildren(store, target->ref.airport, route, format);
    target->hasButton = !target->children.empty();
    result.childrenAdded = true;
  }
  return result;
}

bool CAirportTreeModel::Collapse(const NodePath& path, CSidStarStore& store) {
  TreeNode* node = NodeAt(m_roots, path);
  if (!node) return false;
  node->expanded = false;
  if (path != NodePath{0}) return false;
  store.ScanFiles();
  return true;
}

ServerDelete DeleteAirportOnServer(CSidStarStore& store, int airport, const CRoute& route,
                                   const SidStarServerOptions& options) {
  if (!InRange(airport, store.m_airports.size())) return ServerDelete::kKept;
  // The server's name of the file, taken before the local delete drops the entry.
  const CSidStarAirport& a = store.m_airports[static_cast<size_t>(airport)];
  CSidStarRemoteFile file;
  std::memcpy(file.guid, a.guid.data(), std::min(a.guid.size(), sizeof file.guid - 1));
  std::memcpy(file.stamp, a.stamp.data(), std::min(a.stamp.size(), sizeof file.stamp - 1));
  file.local = -1;
  std::string version;
  std::unique_ptr<CSidStarServer> server = CSidStarServer::Connect(CSidStarServer::kDownload, version, options);
  if (!server) {
    store.MessageBox(SidStarTransferText(6109), ui::kMbOk);
    return ServerDelete::kServerNotFound;
  }
  const bool deleted = store.DeleteWithPrompt(airport, -1, -1, false, route);
  if (deleted) server->Remove(file);
  server->Close();
  return deleted ? ServerDelete::kDeleted : ServerDelete::kKept;
}

}  // namespace sidstar
