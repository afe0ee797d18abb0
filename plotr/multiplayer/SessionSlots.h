#pragma once

// Small pieces both sessions share: the one pending message box that the tick shows, the
// received plan, taken only from the player last asked and handed out once, and the pace at
// which plan requests are answered.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/simapi/MpMessages.h"
#include "plotr/multiplayer/MpStrings.h"

namespace archive {
class MemoryFile;
}
class IMultiplayerUi;

class PendingMessageSlot {
 public:
  // Replaces a message not shown yet.
  void Set(const std::string& text, uint32_t style);
  void SetId(unsigned id, uint32_t style);
  // "text1 text2"
  void SetPair(unsigned id1, unsigned id2, uint32_t style);
  // "text1\r\ntext2 text"
  void SetReply(unsigned id1, unsigned id2, const std::string& text, uint32_t style);
  PendingMessage Take();
  PendingMessage Peek() const;
  // The tick's part: when the windows allow it, the message waiting is taken and shown.
  void ShowOn(IMultiplayerUi& ui);

 private:
  mutable std::mutex m_lock;
  PendingMessage m_message;
};

// Each player's plan requests are answered at most once per interval; the rest are dropped, so a
// player asking without pause cannot queue up plan images faster than the link carries them.
class PlanRequestPace {
 public:
  static constexpr uint32_t kIntervalMs = 1000;
  // True when a request of `asker` at `nowTick` (milliseconds) is to be answered.
  bool Allow(uint32_t asker, uint32_t nowTick);

 private:
  std::mutex m_lock;
  std::map<uint32_t, uint32_t> m_lastAnswer;  // asker -> tick of its last answer
};

class ReceivedPlanSlot {
 public:
  // A request went to `player`: from now on only its answer is taken.
  void Ask(uint32_t player);
  // An answer's image from `sender`; a later one replaces an earlier one not yet loaded.
  void Offer(uint32_t sender, mp::Bytes image);
  // Copies the plan into `file` (emptied, then rewound) and forgets it; true when there was one.
  // A file that cannot take it leaves its reason in `failure`.
  bool Load(archive::MemoryFile& file, std::string& failure);
  // The same, with the reason left as a stop message for the tick.
  bool Load(archive::MemoryFile& file, PendingMessageSlot& failures);
  void Clear();

 private:
  std::mutex m_lock;
  std::optional<std::vector<uint8_t>> m_plan;
  uint32_t m_askedOf = 0;  // 0: nobody (no player has id 0)
};
