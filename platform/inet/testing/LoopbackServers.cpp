#include "platform/inet/testing/LoopbackServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace inettest {

namespace {

// Debian's module, not whatever python3 comes first on the path.
constexpr char kPython[] = "/usr/bin/python3";

constexpr char kFtpScript[] = R"(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer
logging.basicConfig(level=logging.CRITICAL)
root, user, password, rate, repeats = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm="elradfmwMT")
class Handler(FTPHandler):
    pass
Handler.authorizer = authorizer
Handler.auth_failed_timeout = 0
class RepeatingFS(AbstractedFS):
    def listdir(self, path):
        return [name for name in AbstractedFS.listdir(self, path) for _ in range(repeats)]
Handler.abstracted_fs = RepeatingFS
if rate > 0:
    class Throttled(ThrottledDTPHandler):
        pass
    Throttled.read_limit = rate
    Throttled.write_limit = rate
    Handler.dtp_handler = Throttled
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.address[1], flush=True)
server.serve_forever()
)";

int PortAfter(const std::string& line, const char* marker) {
  const size_t at = line.find(marker);
  return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + std::strlen(marker));
}

}  // namespace

std::string ServerProcess::Start(const char* const* arguments) {
  Stop();
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(kPython));
  for (const char* const* a = arguments; *a; ++a) argv.push_back(const_cast<char*>(*a));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::dup2(pipeFds[1], STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    ::execv(kPython, argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return "";
  }
  m_pid = pid;
  m_output = pipeFds[0];
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{m_output, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[256];
    const ssize_t n = ::read(m_output, buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<size_t>(n));
  }
  const size_t newline = line.find('\n');
  if (newline == std::string::npos) {
    Stop();
    return "";
  }
  return line.substr(0, newline);
}

void ServerProcess::Stop() {
  if (m_pid > 0) {
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }
  if (m_output >= 0) {
    ::close(m_output);
    m_output = -1;
  }
}

FtpServer::FtpServer(const std::string& root, const std::string& user, const std::string& password,
                     int bytesPerSecond, int listingRepeats) {
  const std::string rate = std::to_string(bytesPerSecond);
  const std::string repeats = std::to_string(listingRepeats);
  const char* arguments[] = {"-c",           kFtpScript,   root.c_str(), user.c_str(), password.c_str(),
                             rate.c_str(), repeats.c_str(), nullptr};
  m_port = std::atoi(m_process.Start(arguments).c_str());
}

HttpServer::HttpServer(const std::string& root) {
  const char* arguments[] = {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", root.c_str(),
                             nullptr};
  m_port = PortAfter(m_process.Start(arguments), " port ");
}

LoopbackSocket::LoopbackSocket(bool listen) {
  m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (listen && ::listen(m_socket, 16) != 0) ||
      ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return;
  }
  m_port = ntohs(address.sin_port);
}

LoopbackSocket::~LoopbackSocket() {
  if (m_socket >= 0) ::close(m_socket);
}

}  // namespace inettest
