#include "platform/ui/Messages.h"

namespace ui {

void RecordingTarget::Post(const Message& message) {
  std::lock_guard lock(m_mutex);
  m_messages.push_back(message);
}

std::vector<Message> RecordingTarget::Messages() const {
  std::lock_guard lock(m_mutex);
  return m_messages;
}

std::vector<uint32_t> RecordingTarget::Codes() const {
  std::lock_guard lock(m_mutex);
  std::vector<uint32_t> codes;
  for (const Message& m : m_messages) codes.push_back(m.code);
  return codes;
}

void RecordingTarget::Clear() {
  std::lock_guard lock(m_mutex);
  m_messages.clear();
}

}  // namespace ui
