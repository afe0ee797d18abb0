#pragma once

// The window side of a build run without windows (tools, tests): the worker's messages queued
// for the thread that waits on them, and every prompt answered by a function.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "basemaker/app/BuildUiSink.h"

class CQueuedBuildSink : public IBuildUiSink {
 public:
  struct Message {
    uint32_t code = 0;
    uintptr_t wParam = 0;
  };
  using Answer = std::function<int(const std::string& text, uint32_t style)>;

  explicit CQueuedBuildSink(Answer answer) : m_answer(std::move(answer)) {}

  void PostBuildMessage(uint32_t message, uintptr_t wParam, intptr_t) override {
    {
      std::lock_guard lock(m_lock);
      m_queue.push_back({message, wParam});
    }
    m_ready.notify_one();
  }
  int ShowMessageBox(const std::string& text, uint32_t style) override { return m_answer(text, style); }

  // The next message, waiting for one.
  Message Next() {
    std::unique_lock lock(m_lock);
    m_ready.wait(lock, [this] { return !m_queue.empty(); });
    const Message m = m_queue.front();
    m_queue.pop_front();
    return m;
  }

 private:
  Answer m_answer;
  std::mutex m_lock;
  std::condition_variable m_ready;
  std::deque<Message> m_queue;
};
