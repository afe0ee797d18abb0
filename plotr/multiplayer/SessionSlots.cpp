#include "plotr/multiplayer/SessionSlots.h"

#include <exception>
#include <utility>

#include "platform/archive/MemoryFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/StringTable.h"
#include "plotr/multiplayer/MultiplayerUi.h"

void PendingMessageSlot::Set(const std::string& text, uint32_t style) {
  std::lock_guard lock(m_lock);
  m_message = {text, style};
}

void PendingMessageSlot::SetId(unsigned id, uint32_t style) { Set(ui::LoadString(id), style); }

void PendingMessageSlot::SetPair(unsigned id1, unsigned id2, uint32_t style) {
  Set(ui::LoadString(id1) + " " + ui::LoadString(id2), style);
}

void PendingMessageSlot::SetReply(unsigned id1, unsigned id2, const std::string& text, uint32_t style) {
  Set(ui::LoadString(id1) + "\r\n" + ui::LoadString(id2) + " " + text, style);
}

PendingMessage PendingMessageSlot::Take() {
  std::lock_guard lock(m_lock);
  return std::exchange(m_message, PendingMessage{});
}

PendingMessage PendingMessageSlot::Peek() const {
  std::lock_guard lock(m_lock);
  return m_message;
}

void PendingMessageSlot::ShowOn(IMultiplayerUi& ui) {
  if (!ui.IsShowAllowed()) return;
  const PendingMessage shown = Take();
  if (!shown.text.empty()) ui.ShowMessage(shown.text, shown.style);
}

bool PlanRequestPace::Allow(uint32_t asker, uint32_t nowTick) {
  std::lock_guard lock(m_lock);
  // Askers answered long ago are forgotten, so the table holds only the recent ones.
  std::erase_if(m_lastAnswer, [&](const auto& entry) { return nowTick - entry.second >= kIntervalMs; });
  if (m_lastAnswer.contains(asker)) return false;
  m_lastAnswer[asker] = nowTick;
  return true;
}

void ReceivedPlanSlot::Ask(uint32_t player) {
  std::lock_guard lock(m_lock);
  m_askedOf = player;
}

void ReceivedPlanSlot::Offer(uint32_t sender, mp::Bytes image) {
  std::lock_guard lock(m_lock);
  if (sender == 0 || sender != m_askedOf) return;
  m_plan.emplace(image.begin(), image.end());
}

bool ReceivedPlanSlot::Load(archive::MemoryFile& file, std::string& failure) {
  std::lock_guard lock(m_lock);
  if (!m_plan) return false;
  const std::vector<uint8_t> plan = std::move(*m_plan);
  m_plan.reset();
  m_askedOf = 0;
  try {
    file.SetLength(0);
    file.Seek(0, archive::SeekFrom::begin);
    file.Write(plan.data(), plan.size());
    file.Seek(0, archive::SeekFrom::begin);
  } catch (const std::exception& e) {
    failure = e.what();
    return false;
  }
  return true;
}

bool ReceivedPlanSlot::Load(archive::MemoryFile& file, PendingMessageSlot& failures) {
  std::string failure;
  if (Load(file, failure)) return true;
  if (!failure.empty()) failures.Set(failure, ui::kMbIconStop);
  return false;
}

void ReceivedPlanSlot::Clear() {
  std::lock_guard lock(m_lock);
  m_plan.reset();
  m_askedOf = 0;
}
