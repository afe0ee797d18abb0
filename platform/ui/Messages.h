#pragma once
// Private window messages as the model posts them: a code at or above kAppMessageBase and two
// parameters, delivered to a target that may live in another thread.

#include <cstdint>
#include <mutex>
#include <vector>

namespace ui {

// First private message code; the module's own messages are offsets from it.
inline constexpr uint32_t kAppMessageBase = 0x8000;

struct Message {
  uint32_t code = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  bool operator==(const Message&) const = default;
};

// Something messages can be posted to. Post may be called from any thread and never waits for
// the message to be handled.
class IMessageTarget {
 public:
  virtual ~IMessageTarget() = default;
  virtual void Post(const Message& message) = 0;
};

// Keeps what was posted, for tests.
class RecordingTarget : public IMessageTarget {
 public:
  void Post(const Message& message) override;
  std::vector<Message> Messages() const;
  std::vector<uint32_t> Codes() const;
  void Clear();

 private:
  mutable std::mutex m_mutex;
  std::vector<Message> m_messages;
};

}  // namespace ui
