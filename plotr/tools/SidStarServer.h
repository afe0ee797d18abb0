#pragma once

// The SID/STAR server: a small information file fetched over HTTP names an FTP server, its login
// and two folders (published and submitted files); ".ss" files are listed, fetched, stored and
// removed there. Every call blocks; Close may come from another thread and fails the running
// call at once. No call shows anything: failures are false results.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inet/Inet.h"
#include "plotr/plan/SidStarRecords.h"

#pragma pack(push, 1)
// One file on the server.
struct CSidStarRemoteFile {
  char guid[37] = {};
  char stamp[16] = {};
  int32_t local = -1;  // catalogue index of the matching airport, set by the download

  std::string_view Guid() const;
  std::string_view Stamp() const;
  // "<guid>-<stamp>.ss"
  std::string ServerName() const;
};
#pragma pack(pop)
static_assert(sizeof(CSidStarRemoteFile) == 57);

// Name of the information file below "<URL1>/sidstar/".
inline constexpr char kSidStarInfoName[] = "P5kzw8031t";
// Largest information file and listing taken from a server.
inline constexpr size_t kSidStarInfoMax = 64 * 1024;
inline constexpr size_t kSidStarListingMax = 8 * 1024 * 1024;
// The information file's password has this added to each byte; the server side shares it. It
// moves printable ASCII to 0x80-0xDE, so a scrambled password never holds a control character.
inline constexpr uint8_t kSidStarPasswordShift = 0x60;

struct SidStarServerInfo {
  std::string ftpUrl;
  std::string user;
  std::string password;  // unscrambled
  std::string publishedFolder;
  std::string submittedFolder;
  std::string version;  // "" when the file has no sixth line
};

// The information file's address for a base address; "" for an empty base.
std::string SidStarInfoAddress(const std::string& urlBase);
// The lines of the file; false when one of the first five is missing or carries control
// characters.
bool ParseSidStarServerInfo(std::string_view text, SidStarServerInfo& info);
bool GetSidStarServerInfo(inet::Session& session, const std::string& urlBase, SidStarServerInfo& info);
// The files of an MLSD listing that are published ".ss" files: "<GUID>-<YYYYMMDD-HHMMSS>.ss",
// each once however often the listing names it.
std::vector<CSidStarRemoteFile> ParseSidStarListing(std::string_view listing);

// What a connection needs to know of this installation.
struct SidStarServerOptions {
  std::string urlBase;  // Essential/URL1
  bool editor = false;  // Essential/Sid/Star
  std::string folder;   // the local SID/STAR folder, ending in a separator
  inet::Timeouts timeouts;

  static SidStarServerOptions FromSettings(const std::string& folder);
};

class CSidStarServer {
 public:
  enum Mode { kDownload = 0, kUpload = 1 };

  // A connected client working in the folder of the mode (normal users download published
  // files and upload submissions; editors the reverse), or nullptr. The server's version
  // line goes to `version`.
  static std::unique_ptr<CSidStarServer> Connect(int mode, std::string& version, const SidStarServerOptions& options);

  // The files of the folder; true when the listing ran to its end.
  bool ListFiles(std::vector<CSidStarRemoteFile>& files);
  // Fetches the file into the local folder ('+' for editors, '-' otherwise); true when it is
  // there complete. Nothing of a failed fetch is left.
  bool Download(const CSidStarRemoteFile& file);
  // Stores the airport's file on the server, then removes the entry it replaces (when given);
  // true when stored. Other users never see a partial file.
  bool Upload(const CSidStarAirport& airport, const CSidStarRemoteFile* replaced);
  bool Remove(const CSidStarRemoteFile& file);
  // Ends the connection; a call running in another thread fails at once.
  void Close();

  bool IsEditor() const { return m_editor; }
  const std::string& LastError() const { return m_session.LastError(); }

 private:
  CSidStarServer(const SidStarServerOptions& options);

  inet::Session m_session;
  bool m_editor = false;
  std::string m_folder;
};
