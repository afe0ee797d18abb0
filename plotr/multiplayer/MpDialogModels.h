#pragma once

// The multiplayer dialogs without their windows: the host settings of both sessions (player
// removal and the two limits with their spin ranges), the open-remote choice and the texts of
// the older session's session list. The wx dialogs only move values between these and controls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/simapi/MpMessages.h"
#include "plotr/multiplayer/PlayerTables.h"

struct SpinRange {
  uint32_t low = 0;
  uint32_t high = 0;
  uint32_t Clamp(uint32_t v) const { return v < low ? low : (v > high ? high : v); }
  friend bool operator==(const SpinRange&, const SpinRange&) = default;
};

// The newer session's limits: pilots at least 2 and the pilots present, observers at most 4, and
// both together at most the simulator's 16 players.
SpinRange Dp8PilotRange(uint32_t pilotsPresent, uint32_t observerLimit);
SpinRange Dp8ObserverRange(uint32_t observersPresent, uint32_t pilotLimit);
// The older session's: from the admitted players (pilots at least 2) up to its ceiling.
SpinRange Dp4PilotRange(uint32_t pilotsAdmitted, int simVersion);
SpinRange Dp4ObserverRange(uint32_t observersAdmitted, int simVersion);

// The player list both host settings dialogs share: one line per player, the own one not
// removable. Removed ids are gone from `remaining` for the session to act on after OK.
class HostPlayerList {
 public:
  struct Line {
    std::string text;
    uint32_t id = 0;
  };
  HostPlayerList(uint32_t ownId, std::vector<Line> lines, bool sorted);

  const std::vector<Line>& Lines() const { return m_lines; }
  int Selection() const { return m_selection; }
  void Select(int index);
  bool CanRemove() const;
  // Removes the selected line; the selection stays at its index or moves to the new last line.
  void RemoveSelected();
  std::vector<uint32_t> RemainingIds() const;

 private:
  uint32_t m_ownId;
  std::vector<Line> m_lines;
  int m_selection = -1;
};

// "Multiplayer Host Settings" of the newer session over a copy of the player records.
class Dp8HostSettingsModel {
 public:
  Dp8HostSettingsModel(uint32_t ownId, const Dp8PlayerMap& players, mp::SessionLimits limits);

  HostPlayerList& Players() { return m_players; }
  const HostPlayerList& Players() const { return m_players; }
  // Counted once when the dialog opens; removals do not lower the ranges in the same showing.
  uint32_t PilotsPresent() const { return m_pilotsPresent; }
  uint32_t ObserversPresent() const { return m_observersPresent; }
  mp::SessionLimits Limits() const { return m_limits; }
  SpinRange PilotRange() const { return m_pilotRange; }
  SpinRange ObserverRange() const { return m_observerRange; }
  // A spin moved: its limit becomes the position and the other spin's range follows.
  void SetPilotLimit(uint32_t position);
  void SetObserverLimit(uint32_t position);

 private:
  HostPlayerList m_players;
  uint32_t m_pilotsPresent;
  uint32_t m_observersPresent;
  mp::SessionLimits m_limits;
  SpinRange m_pilotRange;
  SpinRange m_observerRange;
};

// "Multiplayer Host Settings" of the older session over the counts of the session description.
class Dp4HostSettingsModel {
 public:
  Dp4HostSettingsModel(uint32_t ownId, const Dp4PlayerMap& players, const mp::SessionCounts& counts, int simVersion);

  HostPlayerList& Players() { return m_players; }
  const HostPlayerList& Players() const { return m_players; }
  const mp::SessionCounts& Counts() const { return m_counts; }
  SpinRange PilotRange() const { return m_pilotRange; }
  SpinRange ObserverRange() const { return m_observerRange; }
  uint32_t PilotLimit() const { return m_pilotLimit; }
  uint32_t ObserverLimit() const { return m_observerLimit; }
  // Typed or spun values; kept within the spin ranges (the description holds each in a byte).
  void SetPilotLimit(uint32_t value) { m_pilotLimit = m_pilotRange.Clamp(value); }
  void SetObserverLimit(uint32_t value) { m_observerLimit = m_observerRange.Clamp(value); }

 private:
  HostPlayerList m_players;
  mp::SessionCounts m_counts;
  SpinRange m_pilotRange;
  SpinRange m_observerRange;
  uint32_t m_pilotLimit;
  uint32_t m_observerLimit;
};

// "Open from remote Computer": one line per listed player.
class OpenRemoteModel {
 public:
  explicit OpenRemoteModel(std::vector<MpPlayerEntry> players);
  const std::vector<MpPlayerEntry>& Players() const { return m_players; }
  int Selection() const { return m_selection; }
  void Select(int index);
  bool CanOk() const { return m_selection >= 0; }
  // The chosen player's id, when a line is selected.
  std::optional<uint32_t> Chosen() const;

 private:
  std::vector<MpPlayerEntry> m_players;
  int m_selection = -1;
};

// Texts of one line of the older session's session list.
std::string SessionListName(std::string_view sessionName);  // cut before the first "[]"
std::string PilotsColumn(const mp::SessionCounts& counts);    // "admitted/limit"
std::string ObserversColumn(const mp::SessionCounts& counts);
// Reads an edit's text as the unsigned decimal number the limit edits hold; 0 when none.
uint32_t ReadUnsigned(std::string_view text);
