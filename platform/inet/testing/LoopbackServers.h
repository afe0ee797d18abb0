#pragma once
// Servers on 127.0.0.1 for tests of the internet layer and its users: an FTP server (Debian's
// pyftpdlib, optionally throttled), a static HTTP server (Python's http.server) and a socket
// that accepts connections and never answers. Each picks a free port, is started by its
// constructor and stopped by its destructor; a test that dies takes its servers with it.

#include <string>
#include <sys/types.h>

namespace inettest {

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess() { Stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Runs /usr/bin/python3 with the arguments and returns its first line of output (within
  // 15 s); "" when it did not start.
  std::string Start(const char* const* arguments);
  void Stop();

 private:
  pid_t m_pid = -1;
  int m_output = -1;
};

class FtpServer {
 public:
  // Serves `root` to the user; `bytesPerSecond` > 0 throttles every data connection. A folder's
  // listing names each entry `listingRepeats` times, as a faulty server might.
  FtpServer(const std::string& root, const std::string& user, const std::string& password, int bytesPerSecond = 0,
            int listingRepeats = 1);
  int Port() const { return m_port; }

 private:
  ServerProcess m_process;
  int m_port = 0;
};

class HttpServer {
 public:
  explicit HttpServer(const std::string& root);
  int Port() const { return m_port; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

 private:
  ServerProcess m_process;
  int m_port = 0;
};

// A loopback TCP socket on a free port, held until the object goes.
class LoopbackSocket {
 public:
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;
  int Port() const { return m_port; }

 protected:
  explicit LoopbackSocket(bool listen);
  ~LoopbackSocket();

 private:
  int m_socket = -1;
  int m_port = 0;
};

// Connections complete in the kernel's backlog, but nothing is ever read or written.
class SilentServer : public LoopbackSocket {
 public:
  SilentServer() : LoopbackSocket(true) {}
};

// A loopback port that refuses every connection. The socket stays bound without listening, so no
// other test running at the same time can be given the port and answer in its place.
class ClosedPort : public LoopbackSocket {
 public:
  ClosedPort() : LoopbackSocket(false) {}
};

}  // namespace inettest
