#include "plotr/multiplayer/MpDialogModels.h"

#include <algorithm>
#include <cstdio>

#include "platform/win/Codepage.h"

namespace {

// The host simulator seats at most this many players, and at most this many observers.
constexpr uint32_t kMaxPlayers = 16;
constexpr uint32_t kMaxObservers = 4;
constexpr uint32_t kMinPilotLimit = 2;

uint32_t RoomBeside(uint32_t other) { return other >= kMaxPlayers ? 0 : kMaxPlayers - other; }

// A range whose top fell below its bottom keeps the bottom: the players present are never
// pushed out by the other limit.
SpinRange Make(uint32_t low, uint32_t high) { return {low, std::max(low, high)}; }

}  // namespace

SpinRange Dp8PilotRange(uint32_t pilotsPresent, uint32_t observerLimit) {
  return Make(std::max(pilotsPresent, kMinPilotLimit), RoomBeside(observerLimit));
}

SpinRange Dp8ObserverRange(uint32_t observersPresent, uint32_t pilotLimit) {
  return Make(observersPresent, std::min(kMaxObservers, RoomBeside(pilotLimit)));
}

SpinRange Dp4PilotRange(uint32_t pilotsAdmitted, int simVersion) {
  return Make(std::max(pilotsAdmitted, kMinPilotLimit), mp::Dp4LimitCeiling(simVersion));
}

SpinRange Dp4ObserverRange(uint32_t observersAdmitted, int simVersion) {
  return Make(observersAdmitted, mp::Dp4LimitCeiling(simVersion));
}

HostPlayerList::HostPlayerList(uint32_t ownId, std::vector<Line> lines, bool sorted)
    : m_ownId(ownId), m_lines(std::move(lines)) {
  if (sorted) {
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const Line& a, const Line& b) { return win::CompareNoCase(a.text, b.text) < 0; });
  }
  Select(0);
}

void HostPlayerList::Select(int index) {
  m_selection = index >= 0 && index < static_cast<int>(m_lines.size()) ? index : -1;
}

bool HostPlayerList::CanRemove() const { return m_selection >= 0 && m_lines[m_selection].id != m_ownId; }

void HostPlayerList::RemoveSelected() {
  if (m_selection < 0) return;
  const int at = m_selection;
  m_lines.erase(m_lines.begin() + at);
  Select(std::min(at, static_cast<int>(m_lines.size()) - 1));
}

std::vector<uint32_t> HostPlayerList::RemainingIds() const {
  std::vector<uint32_t> ids;
  for (const Line& l : m_lines) ids.push_back(l.id);
  return ids;
}

namespace {

std::vector<HostPlayerList::Line> Dp8Lines(const Dp8PlayerMap& players) {
  std::vector<HostPlayerList::Line> lines;
  players.ForEach([&](uint32_t id, const MpPlayerRecordDP8& r) {
    lines.push_back({std::string(EntryName(r.entry)) + ((r.flags & mp::kPeerObserver) ? " (O)" : " (P)"), id});
  });
  return lines;
}

std::vector<HostPlayerList::Line> Dp4Lines(const Dp4PlayerMap& players) {
  std::vector<HostPlayerList::Line> lines;
  players.ForEach([&](uint32_t id, const MpPlayerRecordDP4& r) { lines.push_back({std::string(EntryName(r.entry)), id}); });
  return lines;
}

}  // namespace

Dp8HostSettingsModel::Dp8HostSettingsModel(uint32_t ownId, const Dp8PlayerMap& players, mp::SessionLimits limits)
    : m_players(ownId, Dp8Lines(players), true),
      m_pilotsPresent(CountPilots(players)),
      m_observersPresent(CountObservers(players)),
      m_limits(limits),
      m_pilotRange(Dp8PilotRange(m_pilotsPresent, limits.observers)),
      m_observerRange(Dp8ObserverRange(m_observersPresent, limits.pilots)) {}

void Dp8HostSettingsModel::SetPilotLimit(uint32_t position) {
  m_limits.pilots = m_pilotRange.Clamp(position);
  m_observerRange = Dp8ObserverRange(m_observersPresent, m_limits.pilots);
}

void Dp8HostSettingsModel::SetObserverLimit(uint32_t position) {
  m_limits.observers = m_observerRange.Clamp(position);
  m_pilotRange = Dp8PilotRange(m_pilotsPresent, m_limits.observers);
}

Dp4HostSettingsModel::Dp4HostSettingsModel(uint32_t ownId, const Dp4PlayerMap& players,
                                           const mp::SessionCounts& counts, int simVersion)
    : m_players(ownId, Dp4Lines(players), false),
      m_counts(counts),
      m_pilotRange(Dp4PilotRange(counts.pilotsAdmitted, simVersion)),
      m_observerRange(Dp4ObserverRange(counts.observersAdmitted, simVersion)),
      m_pilotLimit(counts.pilotLimit),
      m_observerLimit(counts.observerLimit) {}

OpenRemoteModel::OpenRemoteModel(std::vector<MpPlayerEntry> players) : m_players(std::move(players)) { Select(0); }

void OpenRemoteModel::Select(int index) {
  m_selection = index >= 0 && index < static_cast<int>(m_players.size()) ? index : -1;
}

std::optional<uint32_t> OpenRemoteModel::Chosen() const {
  if (m_selection < 0) return std::nullopt;
  return m_players[m_selection].playerId;
}

std::string SessionListName(std::string_view sessionName) {
  const size_t cut = sessionName.find("[]");
  return std::string(sessionName.substr(0, cut));
}

std::string PilotsColumn(const mp::SessionCounts& c) {
  char text[16];
  std::snprintf(text, sizeof text, "%u/%u", unsigned{c.pilotsAdmitted}, unsigned{c.pilotLimit});
  return text;
}

std::string ObserversColumn(const mp::SessionCounts& c) {
  char text[16];
  std::snprintf(text, sizeof text, "%u/%u", unsigned{c.observersAdmitted}, unsigned{c.observerLimit});
  return text;
}

uint32_t ReadUnsigned(std::string_view text) {
  uint64_t v = 0;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    if (v > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(v);
}
