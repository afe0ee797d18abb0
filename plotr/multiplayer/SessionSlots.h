#pragma once

// Two small pieces both sessions share: the one pending message box that the tick shows, and the
// received plan, taken only from the player last asked and handed out once.

#include <cstdint>
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
