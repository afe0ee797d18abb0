#pragma once
// A program started by a test in a process of its own: its standard output is read line by line
// within a deadline, and the process is killed and reaped whenever the object goes, so a test
// that fails half-way leaves nothing running.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace dplaytest {

class ChildProcess {
 public:
  explicit ChildProcess(std::vector<std::string> args) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    m_out = fds[0];
  }
  ~ChildProcess() {
    Kill();
    if (m_out >= 0) close(m_out);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Running() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }
  void Signal(int signal) {
    if (m_pid > 0) kill(m_pid, signal);
  }

  // The first line of output that starts with `prefix`, read within `limit`; nothing when the
  // output ends or the time is up first.
  std::optional<std::string> LineStartingWith(const std::string& prefix, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      for (size_t eol; (eol = m_buffer.find('\n')) != std::string::npos;) {
        std::string line = m_buffer.substr(0, eol);
        m_buffer.erase(0, eol + 1);
        if (line.rfind(prefix, 0) == 0) return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (m_out < 0 || left.count() <= 0) return std::nullopt;
      pollfd p{m_out, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[512];
      const ssize_t n = read(m_out, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      m_buffer.append(chunk, static_cast<size_t>(n));
    }
  }

  // SIGKILL, then reaps the process.
  void Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = 0;
  }

 private:
  pid_t m_pid = 0;
  int m_out = -1;
  std::string m_buffer;
};

}  // namespace dplaytest
