#pragma once
// The test host program in a child process: started, read for its port, frozen, killed.
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dplaytest {

class HostProcess {
 public:
  HostProcess(const char* program, const char* mode, const char* intervals = nullptr) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    char* argv[] = {const_cast<char*>(program), const_cast<char*>(mode),
                    const_cast<char*>(intervals), nullptr};
    if (posix_spawn(&m_pid, program, &actions, nullptr, argv, environ) != 0) m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    FILE* out = fdopen(pipeFds[0], "r");
    unsigned port = 0;
    if (out && std::fscanf(out, "%u", &port) == 1) m_port = static_cast<uint16_t>(port);
    if (out) std::fclose(out);
  }
  ~HostProcess() { Kill(); }

  uint16_t Port() const { return m_port; }
  pid_t Pid() const { return m_pid; }
  void Freeze() {
    if (m_pid > 0) kill(m_pid, SIGSTOP);
  }
  void Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = 0;
  }

 private:
  pid_t m_pid = 0;
  uint16_t m_port = 0;
};

}  // namespace dplaytest
