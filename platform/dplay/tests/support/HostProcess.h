#pragma once
// The test host program in a child process: started, read for its port, frozen, killed.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/dplay/tests/support/ChildProcess.h"

namespace dplaytest {

class HostProcess {
 public:
  HostProcess(const char* program, const char* mode, const char* intervals = nullptr, const char* option = nullptr)
      : m_child(Args(program, mode, intervals, option)) {
    // The program's first line is its port.
    if (const auto line = m_child.LineStartingWith("", std::chrono::seconds(30)))
      m_port = static_cast<uint16_t>(std::strtoul(line->c_str(), nullptr, 10));
  }

  uint16_t Port() const { return m_port; }
  pid_t Pid() const { return m_child.Pid(); }
  void Freeze() { m_child.Signal(SIGSTOP); }
  void Kill() { m_child.Kill(); }

 private:
  static std::vector<std::string> Args(const char* program, const char* mode, const char* intervals,
                                       const char* option) {
    std::vector<std::string> args{program, mode};
    for (const char* extra : {intervals, option})
      if (extra != nullptr) args.push_back(extra);
    return args;
  }

  ChildProcess m_child;
  uint16_t m_port = 0;
};

}  // namespace dplaytest
