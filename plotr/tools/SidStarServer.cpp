#include "plotr/tools/SidStarServer.h"

#include "plotr/core/Settings.h"
#include "plotr/tools/SidStarFile.h"

#include <cstring>
#include <filesystem>
#include <set>

namespace {

std::string_view Field(const char* text, size_t size) { return std::string_view(text, strnlen(text, size)); }

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Name of a transfer in progress: no listing takes it for a ".ss" file.
constexpr char kPartialSuffix[] = ".part";

}  // namespace

std::string_view CSidStarRemoteFile::Guid() const { return Field(guid, sizeof guid); }
std::string_view CSidStarRemoteFile::Stamp() const { return Field(stamp, sizeof stamp); }
std::string CSidStarRemoteFile::ServerName() const {
  return std::string(Guid()) + "-" + std::string(Stamp()) + "." + kSidStarExtension;
}

std::string SidStarInfoAddress(const std::string& urlBase) {
  if (urlBase.empty()) return "";
  return urlBase + (urlBase.back() == '/' ? "" : "/") + "sidstar/" + kSidStarInfoName;
}

bool ParseSidStarServerInfo(std::string_view text, SidStarServerInfo& info) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size() && lines.size() < 6) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(Trim(text.substr(start, end - start)));
    start = end + 1;
  }
  if (lines.size() < 5) return false;
  for (size_t i = 1; i < 5; ++i) {
    if (inet::HasControlCharacters(lines[i])) return false;
  }
  SidStarServerInfo read;
  read.ftpUrl = lines[0];
  read.user = lines[1];
  for (auto it = lines[2].rbegin(); it != lines[2].rend(); ++it) {
    read.password.insert(read.password.begin(), static_cast<char>(static_cast<uint8_t>(*it) - kSidStarPasswordShift));
  }
  read.publishedFolder = lines[3];
  read.submittedFolder = lines[4];
  if (lines.size() > 5 && !inet::HasControlCharacters(lines[5])) read.version = lines[5];
  info = std::move(read);
  return true;
}

bool GetSidStarServerInfo(inet::Session& session, const std::string& urlBase, SidStarServerInfo& info) {
  const std::string address = SidStarInfoAddress(urlBase);
  std::string host;
  int port = 0;
  if (address.empty() || !inet::ParseUrl(address, "http", host, port)) return false;
  long status = 0;
  std::string text;
  return session.HttpGet(address, status, text, kSidStarInfoMax) && status == 200 &&
         ParseSidStarServerInfo(text, info);
}

std::vector<CSidStarRemoteFile> ParseSidStarListing(std::string_view listing) {
  std::vector<CSidStarRemoteFile> files;
  const std::string suffix = std::string(".") + kSidStarExtension;
  // A listing that names a file twice would have it fetched twice onto the same local name, and
  // the second round would take the first one's copy for an older one and delete it.
  std::set<std::string> taken;
  for (const std::string& name : inet::ParseMlsd(listing)) {
    if (name.size() != kSidStarTitleLength + suffix.size() || name.compare(kSidStarTitleLength, suffix.size(), suffix) ||
        !taken.insert(name).second) {
      continue;
    }
    const std::string_view title(name.data(), kSidStarTitleLength);
    const std::string_view guid = title.substr(0, kSidStarGuidLength);
    const std::string_view stamp = title.substr(kSidStarGuidLength + 1);
    if (title[kSidStarGuidLength] != '-' || !IsSidStarGuid(guid) || !IsSidStarStamp(stamp)) continue;
    CSidStarRemoteFile file;
    std::memcpy(file.guid, guid.data(), guid.size());
    std::memcpy(file.stamp, stamp.data(), stamp.size());
    files.push_back(file);
  }
  return files;
}

SidStarServerOptions SidStarServerOptions::FromSettings(const std::string& folder) {
  SidStarServerOptions options;
  options.urlBase = g_Settings.ReadSidStarServerUrl();
  options.editor = g_Settings.IsSidStarEditor();
  options.folder = folder;
  return options;
}

CSidStarServer::CSidStarServer(const SidStarServerOptions& options)
    : m_session(options.timeouts), m_editor(options.editor), m_folder(options.folder) {}

std::unique_ptr<CSidStarServer> CSidStarServer::Connect(int mode, std::string& version,
                                                        const SidStarServerOptions& options) {
  std::unique_ptr<CSidStarServer> client(new CSidStarServer(options));
  SidStarServerInfo info;
  if (!GetSidStarServerInfo(client->m_session, options.urlBase, info)) return nullptr;
  version = info.version;
  std::string host;
  int port = 0;
  if (!inet::ParseUrl(info.ftpUrl, "ftp", host, port)) return nullptr;
  const bool published = (mode == kDownload) != options.editor;
  if (!client->m_session.FtpConnect(host, port, info.user, info.password,
                                    published ? info.publishedFolder : info.submittedFolder)) {
    return nullptr;
  }
  return client;
}

bool CSidStarServer::ListFiles(std::vector<CSidStarRemoteFile>& files) {
  std::string listing;
  if (!m_session.FtpList(listing, kSidStarListingMax)) return false;
  files = ParseSidStarListing(listing);
  return true;
}

bool CSidStarServer::Download(const CSidStarRemoteFile& file) {
  const std::string title = std::string(file.Guid()) + (m_editor ? '+' : '-') + std::string(file.Stamp());
  const std::string target = m_folder + title + "." + kSidStarExtension;
  // A broken transfer must not leave a short file that looks like the server's and is never
  // fetched again.
  const std::string partial = m_folder + title + kPartialSuffix;
  std::error_code error;
  if (!m_session.FtpGet(file.ServerName(), partial)) {
    std::filesystem::remove(partial, error);
    return false;
  }
  std::filesystem::rename(partial, target, error);
  if (error) {
    std::filesystem::remove(partial, error);
    return false;
  }
  return true;
}

bool CSidStarServer::Upload(const CSidStarAirport& airport, const CSidStarRemoteFile* replaced) {
  CSidStarRemoteFile entry;
  if (airport.guid.size() != kSidStarGuidLength || airport.stamp.size() != kSidStarStampLength) return false;
  std::memcpy(entry.guid, airport.guid.data(), kSidStarGuidLength);
  std::memcpy(entry.stamp, airport.stamp.data(), kSidStarStampLength);
  const std::string name = entry.ServerName();
  const std::string partial = std::string(entry.Guid()) + "-" + std::string(entry.Stamp()) + kPartialSuffix;
  // Stored under a name no listing shows, then renamed whole into place.
  if (!m_session.FtpPut(airport.FilePath(m_folder), partial) || !m_session.FtpRename(partial, name)) {
    if (!m_session.Aborted()) m_session.FtpDelete(partial);
    return false;
  }
  if (replaced && replaced->ServerName() != name) m_session.FtpDelete(replaced->ServerName());
  return true;
}

bool CSidStarServer::Remove(const CSidStarRemoteFile& file) { return m_session.FtpDelete(file.ServerName()); }

void CSidStarServer::Close() { m_session.Abort(); }
