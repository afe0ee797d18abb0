#pragma once
// HTTP GET and an FTP session (list, get, put, rename, delete) over libcurl, with time-outs and
// an abort that any thread can trigger. One Session is one connection: its FTP login, folder
// check and transfers reuse the same control connection. Every call blocks its thread.

#include <atomic>
#include <mutex>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace inet {

// Time-outs of a session, milliseconds; the control and data limits are kept in whole seconds
// (rounded up) by the transfer library.
struct Timeouts {
  int connectMs = 30000;
  int connectRetries = 2;  // further attempts after a connection that could not be made
  int controlMs = 30000;   // waiting for a reply on the FTP control connection
  int dataStallMs = 60000;  // a transfer that moves no byte for this long fails
};

// Parts of an address; false when the text is not a URL of that scheme with a host.
bool ParseUrl(const std::string& url, std::string_view scheme, std::string& host, int& port);

// Names of the plain files of an MLSD listing (entries whose type fact is "file").
std::vector<std::string> ParseMlsd(std::string_view listing);

// Bytes below 0x20 and DEL: never part of a name, login or command sent to a server.
bool HasControlCharacters(std::string_view text);

// The connection test before a transfer: there is no dial-up to attempt here.
bool TestInternetConnection();

class Session {
 public:
  explicit Session(Timeouts timeouts = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // GET of an http address without caches: the status and at most `maxBytes` of the body
  // (a longer body fails). False on a connection or transfer error.
  bool HttpGet(const std::string& url, long& status, std::string& body, size_t maxBytes);

  // Logs in and checks that the folder exists; later calls work in it.
  bool FtpConnect(const std::string& host, int port, const std::string& user, const std::string& password,
                  const std::string& folder);
  // The MLSD listing of the folder, at most `maxBytes` (a longer one fails).
  bool FtpList(std::string& listing, size_t maxBytes);
  // RETR into the local file (created or truncated); the caller removes it on failure.
  bool FtpGet(const std::string& name, const std::string& localPath);
  // STOR of the local file.
  bool FtpPut(const std::string& localPath, const std::string& name);
  bool FtpRename(const std::string& from, const std::string& to);
  bool FtpDelete(const std::string& name);

  // Fails the running call at once and every later one; safe from any thread, more than once.
  void Abort();
  bool Aborted() const { return m_aborted.load(); }
  // The last failure's text (for logs; never shown).
  const std::string& LastError() const { return m_lastError; }

  struct Transfer;  // one request's options, sinks and source (internal)

 private:
  bool Perform(Transfer& transfer);
  bool FtpCommands(const std::vector<std::string>& commands);
  std::string FolderUrl() const;
  std::string FtpPath(const std::string& name) const;

  static int OpenSocket(void* session, int purpose, void* address);
  static int CloseSocket(void* session, int socket);

  Timeouts m_timeouts;
  // The open sockets, so that an abort can shut them down under a library call that waits.
  std::mutex m_socketsMutex;
  std::vector<int> m_sockets;
  void* m_easy = nullptr;   // CURL*
  void* m_multi = nullptr;  // CURLM*
  std::atomic<bool> m_aborted{false};
  std::string m_lastError;
  std::string m_ftpBase;  // "ftp://host:port/"
  std::string m_user;
  std::string m_password;
  std::string m_folder;  // without slashes at either end; "" for the login folder
};

}  // namespace inet
