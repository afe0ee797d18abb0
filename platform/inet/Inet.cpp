#include "platform/inet/Inet.h"

#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <memory>
#include <mutex>

namespace inet {

namespace {

CURL* Easy(void* p) { return static_cast<CURL*>(p); }
CURLM* Multi(void* p) { return static_cast<CURLM*>(p); }

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

long Seconds(int ms) { return ms <= 0 ? 1 : (ms + 999) / 1000; }

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

Slist MakeList(const std::vector<std::string>& items) {
  curl_slist* list = nullptr;
  for (const std::string& item : items) {
    curl_slist* grown = curl_slist_append(list, item.c_str());
    if (!grown) {
      curl_slist_free_all(list);
      return nullptr;
    }
    list = grown;
  }
  return Slist(list);
}

std::string TrimSlashes(std::string_view text) {
  while (!text.empty() && text.front() == '/') text.remove_prefix(1);
  while (!text.empty() && text.back() == '/') text.remove_suffix(1);
  return std::string(text);
}

// Escapes everything but letters, digits and "-._" (and '/' between folder levels) for an
// address.
std::string EscapePath(std::string_view text, bool keepSlash) {
  std::string escaped;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '-' || c == '.' ||
        c == '_' || (keepSlash && c == '/')) {
      escaped += c;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", u);
      escaped += hex;
    }
  }
  return escaped;
}

}  // namespace

bool HasControlCharacters(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

struct Session::Transfer {
  std::string url;
  bool ftp = false;
  bool nobody = false;
  const char* customRequest = nullptr;
  curl_slist* headers = nullptr;
  curl_slist* postQuote = nullptr;
  // Sinks and source.
  std::string* body = nullptr;
  size_t maxBytes = 0;
  bool overflow = false;
  FILE* out = nullptr;
  FILE* in = nullptr;
  curl_off_t inSize = -1;
  long status = 0;
};

namespace {

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Session::Transfer*>(user);
  const size_t n = size * count;
  if (t->out) return std::fwrite(data, 1, n, t->out);
  if (t->body->size() + n > t->maxBytes) {
    t->overflow = true;
    return 0;  // fails the transfer
  }
  t->body->append(data, n);
  return n;
}

size_t ReadUpload(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Session::Transfer*>(user);
  const size_t n = std::fread(data, 1, size * count, t->in);
  return n == 0 && std::ferror(t->in) ? CURL_READFUNC_ABORT : n;
}

}  // namespace

bool ParseUrl(const std::string& url, std::string_view scheme, std::string& host, int& port) {
  GlobalInit();
  CURLU* u = curl_url();
  if (!u) return false;
  bool ok = false;
  char* partScheme = nullptr;
  char* partHost = nullptr;
  char* partPort = nullptr;
  if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_SCHEME, &partScheme, 0) == CURLUE_OK && scheme == partScheme &&
      curl_url_get(u, CURLUPART_HOST, &partHost, 0) == CURLUE_OK && partHost[0] != '\0' &&
      curl_url_get(u, CURLUPART_PORT, &partPort, CURLU_DEFAULT_PORT) == CURLUE_OK) {
    host = partHost;
    port = std::atoi(partPort);
    ok = port > 0 && port < 65536 && !HasControlCharacters(host);
  }
  curl_free(partScheme);
  curl_free(partHost);
  curl_free(partPort);
  curl_url_cleanup(u);
  return ok;
}

std::vector<std::string> ParseMlsd(std::string_view listing) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string_view::npos) end = listing.size();
    std::string_view line = listing.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // "fact=value;fact=value; name": the name follows the first blank and may hold blanks.
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos) continue;
    const std::string_view facts = line.substr(0, blank);
    const std::string_view name = line.substr(blank + 1);
    bool isFile = false;
    size_t f = 0;
    while (f < facts.size()) {
      size_t semicolon = facts.find(';', f);
      if (semicolon == std::string_view::npos) semicolon = facts.size();
      const std::string_view fact = facts.substr(f, semicolon - f);
      f = semicolon + 1;
      const size_t equals = fact.find('=');
      if (equals == std::string_view::npos || equals != 4) continue;
      std::string key(fact.substr(0, 4));
      for (char& c : key) c = static_cast<char>(c | 0x20);
      std::string value(fact.substr(5));
      for (char& c : value) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c | 0x20 : c);
      if (key == "type") isFile = value == "file";
    }
    if (isFile && !name.empty() && !HasControlCharacters(name)) names.emplace_back(name);
  }
  return names;
}

bool TestInternetConnection() { return true; }

Session::Session(Timeouts timeouts) : m_timeouts(timeouts) {
  GlobalInit();
  m_easy = curl_easy_init();
  m_multi = curl_multi_init();
}

Session::~Session() {
  if (m_multi) curl_multi_cleanup(Multi(m_multi));
  if (m_easy) curl_easy_cleanup(Easy(m_easy));
}

void Session::Abort() {
  m_aborted = true;
  {
    // A shut-down socket wakes every wait on it at once, also the library's own waits for a
    // server reply that no poll of ours could interrupt.
    std::lock_guard<std::mutex> lock(m_socketsMutex);
    for (int socket : m_sockets) ::shutdown(socket, SHUT_RDWR);
  }
  if (m_multi) curl_multi_wakeup(Multi(m_multi));
}

int Session::OpenSocket(void* user, int /*purpose*/, void* address) {
  auto* session = static_cast<Session*>(user);
  const auto* a = static_cast<const curl_sockaddr*>(address);
  std::lock_guard<std::mutex> lock(session->m_socketsMutex);
  if (session->m_aborted) return CURL_SOCKET_BAD;
  const int socket = ::socket(a->family, a->socktype | SOCK_CLOEXEC, a->protocol);
  if (socket >= 0) session->m_sockets.push_back(socket);
  return socket;
}

int Session::CloseSocket(void* user, int socket) {
  auto* session = static_cast<Session*>(user);
  {
    std::lock_guard<std::mutex> lock(session->m_socketsMutex);
    session->m_sockets.erase(std::remove(session->m_sockets.begin(), session->m_sockets.end(), socket),
                             session->m_sockets.end());
  }
  return ::close(socket);
}

bool Session::Perform(Transfer& t) {
  if (!m_easy || !m_multi) {
    m_lastError = "no transfer handle";
    return false;
  }
  for (int attempt = 0;; ++attempt) {
    if (m_aborted) {
      m_lastError = "aborted";
      return false;
    }
    CURL* easy = Easy(m_easy);
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, t.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, t.ftp ? "ftp" : "http");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, +[](void* user, curlsocktype purpose, curl_sockaddr* address) {
      return static_cast<curl_socket_t>(OpenSocket(user, static_cast<int>(purpose), address));
    });
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION,
                     +[](void* user, curl_socket_t socket) { return CloseSocket(user, static_cast<int>(socket)); });
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connectMs));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, Seconds(m_timeouts.dataStallMs));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    if (t.nobody) curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    if (t.customRequest) curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, t.customRequest);
    if (t.headers) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, t.headers);
    if (t.in) {
      curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
      curl_easy_setopt(easy, CURLOPT_READFUNCTION, ReadUpload);
      curl_easy_setopt(easy, CURLOPT_READDATA, &t);
      curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, t.inSize);
    }
    if (t.ftp) {
      curl_easy_setopt(easy, CURLOPT_USERNAME, m_user.c_str());
      curl_easy_setopt(easy, CURLOPT_PASSWORD, m_password.c_str());
      curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, Seconds(m_timeouts.controlMs));
      curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 1L);  // passive
      if (t.postQuote) curl_easy_setopt(easy, CURLOPT_POSTQUOTE, t.postQuote);
    }
    if (t.body) t.body->clear();
    t.overflow = false;

    CURLM* multi = Multi(m_multi);
    curl_multi_add_handle(multi, easy);
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done) {
      if (m_aborted) {
        result = CURLE_ABORTED_BY_CALLBACK;
        break;
      }
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        result = CURLE_FAILED_INIT;
        break;
      }
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
          result = message->data.result;
          done = true;
        }
      }
      // The library does not hand out every socket it waits on (a data connection being opened),
      // so the wait is kept short rather than trusting it to wake.
      if (!done) curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &t.status);
    if (result == CURLE_OK) return true;

    m_lastError = m_aborted ? "aborted" : curl_easy_strerror(result);
    curl_off_t connected = 0;
    curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected);
    const bool notConnected = result == CURLE_COULDNT_CONNECT || (result == CURLE_OPERATION_TIMEDOUT && connected == 0);
    if (m_aborted || !notConnected || attempt >= m_timeouts.connectRetries) return false;
    // Nothing reached the sinks before a connection existed; the next attempt starts clean.
    if (t.out) std::rewind(t.out);
  }
}

bool Session::HttpGet(const std::string& url, long& status, std::string& body, size_t maxBytes) {
  const Slist headers = MakeList({"Cache-Control: no-cache", "Pragma: no-cache"});
  Transfer t;
  t.url = url;
  t.headers = headers.get();
  t.body = &body;
  t.maxBytes = maxBytes;
  const bool ok = Perform(t);
  status = t.status;
  return ok;
}

std::string Session::FolderUrl() const { return m_ftpBase + (m_folder.empty() ? "" : m_folder + "/"); }

std::string Session::FtpPath(const std::string& name) const { return FolderUrl() + EscapePath(name, false); }

bool Session::FtpConnect(const std::string& host, int port, const std::string& user, const std::string& password,
                         const std::string& folder) {
  if (HasControlCharacters(host) || HasControlCharacters(user) || HasControlCharacters(password) ||
      HasControlCharacters(folder)) {
    m_lastError = "control characters in the login";
    return false;
  }
  const bool ipv6 = host.find(':') != std::string::npos;
  m_ftpBase = "ftp://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
  m_user = user;
  m_password = password;
  m_folder = EscapePath(TrimSlashes(folder), true);
  // Changing into the folder without a transfer: a missing folder fails here.
  Transfer t;
  t.ftp = true;
  t.url = FolderUrl();
  t.nobody = true;
  return Perform(t);
}

bool Session::FtpList(std::string& listing, size_t maxBytes) {
  Transfer t;
  t.ftp = true;
  t.url = FolderUrl();
  t.customRequest = "MLSD";
  t.body = &listing;
  t.maxBytes = maxBytes;
  return Perform(t);
}

bool Session::FtpGet(const std::string& name, const std::string& localPath) {
  FILE* out = std::fopen(localPath.c_str(), "wb");
  if (!out) {
    m_lastError = "cannot create " + localPath;
    return false;
  }
  Transfer t;
  t.ftp = true;
  t.url = FtpPath(name);
  t.out = out;
  bool ok = Perform(t);
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

bool Session::FtpPut(const std::string& localPath, const std::string& name) {
  FILE* in = std::fopen(localPath.c_str(), "rb");
  if (!in) {
    m_lastError = "cannot open " + localPath;
    return false;
  }
  Transfer t;
  t.ftp = true;
  t.url = FtpPath(name);
  t.in = in;
  if (std::fseek(in, 0, SEEK_END) == 0) t.inSize = std::ftell(in);
  std::rewind(in);
  const bool ok = Perform(t);
  std::fclose(in);
  return ok;
}

bool Session::FtpCommands(const std::vector<std::string>& commands) {
  for (const std::string& command : commands) {
    if (HasControlCharacters(command)) {
      m_lastError = "control characters in a command";
      return false;
    }
  }
  const Slist list = MakeList(commands);
  if (!list) return false;
  // Sent after the change into the folder, so plain names are enough.
  Transfer t;
  t.ftp = true;
  t.url = FolderUrl();
  t.nobody = true;
  t.postQuote = list.get();
  return Perform(t);
}

bool Session::FtpRename(const std::string& from, const std::string& to) {
  return FtpCommands({"RNFR " + from, "RNTO " + to});
}

bool Session::FtpDelete(const std::string& name) { return FtpCommands({"DELE " + name}); }

}  // namespace inet
