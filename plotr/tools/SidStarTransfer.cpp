#include "plotr/tools/SidStarTransfer.h"

#include "plotr/tools/SidStarFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Clock.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>

namespace {

std::optional<std::chrono::system_clock::time_point> StampTime(const std::string& stamp) {
  if (!IsSidStarStamp(stamp)) return std::nullopt;
  const auto number = [&](size_t at, size_t length) {
    int value = 0;
    std::from_chars(stamp.data() + at, stamp.data() + at + length, value);
    return value;
  };
  std::tm t{};
  t.tm_year = number(0, 4) - 1900;
  t.tm_mon = number(4, 2) - 1;
  t.tm_mday = number(6, 2);
  t.tm_hour = number(9, 2);
  t.tm_min = number(11, 2);
  t.tm_sec = number(13, 2);
  std::tm normalized = t;
  const std::time_t seconds = timegm(&normalized);
  // A date the calendar does not have (month 13, February 30) is no stamp.
  if (normalized.tm_mon != t.tm_mon || normalized.tm_mday != t.tm_mday || normalized.tm_hour != t.tm_hour ||
      normalized.tm_min != t.tm_min || normalized.tm_sec != t.tm_sec) {
    return std::nullopt;
  }
  return std::chrono::system_clock::from_time_t(seconds);
}

double DaysBetween(std::chrono::system_clock::time_point from, std::chrono::system_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count() / 86400.0;
}

// The end message, posted once and after everything else the worker did.
class EndMessage {
 public:
  explicit EndMessage(ui::IMessageTarget& target) : m_target(target) {}
  ~EndMessage() { m_target.Post({kWmAppTransferProgress, m_finished ? 1u : 0u, 0}); }
  EndMessage(const EndMessage&) = delete;
  EndMessage& operator=(const EndMessage&) = delete;
  void Finished() { m_finished = true; }

 private:
  ui::IMessageTarget& m_target;
  bool m_finished = false;
};

bool RenameSeparator(const std::string& folder, CSidStarAirport& airport, char separator) {
  const std::string from = airport.FilePath(folder);
  const char old = airport.separator;
  airport.separator = separator;
  std::error_code error;
  std::filesystem::rename(from, airport.FilePath(folder), error);
  if (error) airport.separator = old;
  return !error;
}

}  // namespace

std::string SidStarTransferText(int stringId) {
  static std::once_flag added;
  std::call_once(added, [] {
    ui::AddStrings({
        {6107, "Connecting to Server..."},
        {6108, "Server connected"},
        {6109, "Server not found !!!"},
        {6110, "Download ready"},
        {6111, "Download ready. No new SID/STARs"},
        {6112, "Receiving Airport list..."},
        {6113, "Checking Airport list..."},
        {6114, "Receiving Airport data..."},
        {6115, "Checking Airport data..."},
        {6116, "Connection lost"},
        {6117, "Select first the Airports for Upload."},
        {6118, "Transmit Airport data..."},
        {6119, "Upload ready"},
        {32849,
         "Important Information !\n\nThe most recent version of Chartwright is %1.\nYour Chartwright version is "
         "%2.\n\nhttps://chartwright.example.org"},
    });
  });
  return ui::LoadString(static_cast<unsigned>(stringId));
}

std::string SidStarVersionMessage(const std::string& serverVersion, const std::string& ownVersion) {
  // The server's text is shown as it stands, first line only: it is not ours to format.
  std::string version;
  for (char c : serverVersion) {
    if (c == '\r' || c == '\n') break;
    if (static_cast<unsigned char>(c) >= 0x20) version += c;
  }
  double server = 0, own = 0;
  const auto parsed = [](const std::string& text, double& value) {
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc();
  };
  if (version.empty() || !parsed(version, server) || !parsed(ownVersion, own) ||
      std::trunc(server) != std::trunc(own) || !(own < server)) {
    return "";
  }
  // One pass over the template, so a "%2" inside the server's text stays as it is.
  const std::string pattern = SidStarTransferText(32849);
  std::string text;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
      text += pattern[i + 1] == '1' ? version : ownVersion;
      ++i;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

bool SidStarStampOlderThan30Days(const std::string& stamp, const win::Clock& clock) {
  const auto time = StampTime(stamp);
  return time && std::trunc(DaysBetween(*time, clock.Now())) > 30.0;
}

bool SidStarStampBeyond48Hours(const std::string& stamp, const win::Clock& clock) {
  const auto time = StampTime(stamp);
  return time && std::trunc(DaysBetween(clock.Now(), *time) * 24.0 + 5.787037037037037e-6) > 48.0;
}

struct CSidStarTransfer::Work {
  CSidStarServer* client = nullptr;
  CSidStarStore catalogue;  // the worker's copy
  bool editor = false;
  std::string folder;
  std::vector<std::pair<int, int>> checked;  // upload: list row and catalogue index
  std::vector<int> rows;                     // upload: the rows' catalogue indexes, as the worker leaves them
};

CSidStarTransfer::CSidStarTransfer(Kind kind, CSidStarStore& store, ISidStarTransferView& view,
                                   ui::IMessageTarget& target, SidStarServerOptions options)
    : m_kind(kind), m_store(store), m_view(view), m_target(target), m_options(std::move(options)) {}

CSidStarTransfer::~CSidStarTransfer() {
  if (m_client) m_client->Close();
  if (m_thread.joinable()) m_thread.join();
}

void CSidStarTransfer::OnInitDialog() {
  if (m_kind != kUpload) return;
  m_rowAirports.clear();
  for (int i = 0; i < m_store.GetAirportCount(); ++i) {
    const CSidStarAirport& a = m_store.GetAirport(i);
    if (a.separator != '+') continue;
    m_view.AddRow(a.id, a.name);
    m_rowAirports.push_back(i);
  }
  if (!m_rowAirports.empty()) m_view.SelectFirstRow();
  m_view.EnableStart(!m_rowAirports.empty());
}

void CSidStarTransfer::OnOK() {
  if (m_client) return;
  auto work = std::make_shared<Work>();
  if (m_kind == kUpload) {
    const std::vector<bool> checked = m_view.CheckedRows();
    for (size_t row = 0; row < checked.size() && row < m_rowAirports.size(); ++row) {
      if (checked[row]) work->checked.push_back({static_cast<int>(row), m_rowAirports[row]});
    }
    if (work->checked.empty()) {
      m_view.MessageBox(SidStarTransferText(6117), ui::kMbOk | ui::kMbIconExclamation);
      return;
    }
    work->rows = m_rowAirports;
  }
  m_view.SetStatus("");
  m_view.EnableStart(false);
  if (!inet::TestInternetConnection()) {
    m_view.EnableStart(true);
    return;
  }
  m_view.SetStatus(SidStarTransferText(6107));
  std::string version;
  m_client = CSidStarServer::Connect(m_kind == kDownload ? CSidStarServer::kDownload : CSidStarServer::kUpload,
                                     version, m_options);
  if (!m_client) {
    m_view.SetStatus(SidStarTransferText(6109));
    m_view.EnableStart(true);
    return;
  }
  m_view.SetStatus(SidStarTransferText(6108));
  const std::string news = SidStarVersionMessage(version, kSidStarModuleVersion);
  if (!news.empty()) m_view.MessageBox(news, ui::kMbOk | ui::kMbIconInformation);
  work->client = m_client.get();
  work->catalogue = m_store;
  work->editor = m_options.editor;
  work->folder = m_options.folder;
  m_work = work;
  try {
    m_thread = std::thread(m_kind == kDownload ? &CSidStarTransfer::DownloadThread : &CSidStarTransfer::UploadThread,
                           this, work);
  } catch (const std::system_error&) {
    m_client.reset();
    m_work.reset();
    m_view.SetStatus(SidStarTransferText(6109));
    m_view.EnableStart(true);
  }
}

void CSidStarTransfer::OnCancel() {
  if (m_client) {
    m_cancelRequested = true;
    m_client->Close();
    m_view.EnableExit(false);
    return;
  }
  m_view.EndDialog();
}

void CSidStarTransfer::OnTransferMessage(uintptr_t wParam) {
  if (!m_client) return;
  if (m_thread.joinable()) m_thread.join();
  m_client.reset();
  // The worker's catalogue replaces the store's here, in the user-interface thread, also after a
  // failure: what was fetched or renamed before it stays.
  m_store.m_airports = std::move(m_work->catalogue.m_airports);
  m_store.m_regions = std::move(m_work->catalogue.m_regions);
  if (m_kind == kUpload) m_rowAirports = m_work->rows;
  m_work.reset();
  if (m_cancelRequested) {
    OnCancel();
    return;
  }
  if (wParam == 1) {
    if (m_kind == kUpload) m_view.EnableStart(!m_rowAirports.empty());
    return;
  }
  m_view.SetStatus(SidStarTransferText(6116));
  m_view.EnableStart(true);
}

void CSidStarTransfer::DownloadThread(std::shared_ptr<Work> work) {
  EndMessage end(m_target);
  CSidStarServer& client = *work->client;
  CSidStarStore& catalogue = work->catalogue;
  std::vector<CSidStarAirport>& airports = catalogue.m_airports;
  const win::Clock& clock = catalogue.GetClock();
  const auto fail = [&] {
    m_view.SetProgress(0, 1);
    client.Close();
  };
  const auto localWithGuid = [&](std::string_view guid) {
    for (int i = static_cast<int>(airports.size()) - 1; i >= 0; --i) {
      if (airports[static_cast<size_t>(i)].guid == guid) return i;
    }
    return -1;
  };

  m_view.SetStatus(SidStarTransferText(6112));
  std::vector<CSidStarRemoteFile> remote;
  if (!client.ListFiles(remote)) return fail();
  m_view.SetStatus(SidStarTransferText(6113));

  if (work->editor) {
    // The submissions folder: drop what cannot be a real submission, clean up what is stale.
    for (int i = static_cast<int>(remote.size()) - 1; i >= 0; --i) {
      const CSidStarRemoteFile& f = remote[static_cast<size_t>(i)];
      const std::string stamp(f.Stamp());
      bool drop = !IsSidStarStamp(stamp);
      if (!drop && SidStarStampBeyond48Hours(stamp, clock)) {
        client.Remove(f);
        drop = true;
      } else if (!drop && localWithGuid(f.Guid()) < 0 && SidStarStampOlderThan30Days(stamp, clock)) {
        client.Remove(f);
        drop = true;
      }
      if (drop) remote.erase(remote.begin() + i);
    }
  } else {
    // A published airport that left the server is kept for 30 days after its stamp.
    for (int i = static_cast<int>(airports.size()) - 1; i >= 0; --i) {
      const CSidStarAirport& a = airports[static_cast<size_t>(i)];
      if (a.separator == '+') continue;
      const bool onServer = std::any_of(remote.begin(), remote.end(), [&](const CSidStarRemoteFile& f) { return f.Guid() == a.guid; });
      if (!onServer && SidStarStampOlderThan30Days(a.stamp, clock) && a.DeleteFile(work->folder)) {
        airports.erase(airports.begin() + i);
      }
    }
  }

  for (int i = static_cast<int>(remote.size()) - 1; i >= 0; --i) {
    CSidStarRemoteFile& f = remote[static_cast<size_t>(i)];
    const int local = localWithGuid(f.Guid());
    if (local < 0) continue;
    const CSidStarAirport& a = airports[static_cast<size_t>(local)];
    if (a.separator == '+' || a.stamp >= f.Stamp()) {
      remote.erase(remote.begin() + i);
    } else {
      f.local = local;
    }
  }

  const int count = static_cast<int>(remote.size());
  int position = 1;
  m_view.SetProgress(position, count + 1);
  int rows = 0;
  for (int i = count - 1; i >= 0; --i, m_view.SetProgress(++position, count + 1)) {
    const CSidStarRemoteFile f = remote[static_cast<size_t>(i)];
    m_view.SetStatus(SidStarTransferText(6114));
    if (!client.Download(f)) return fail();
    m_view.SetStatus(SidStarTransferText(6115));
    CSidStarAirport fetched;
    fetched.guid = std::string(f.Guid());
    fetched.separator = work->editor ? '+' : '-';
    fetched.stamp = std::string(f.Stamp());
    const std::string path = fetched.FilePath(work->folder);
    // The whole file is checked, not only its header: a copy cut short would replace a good one
    // and leave the airport without procedures.
    if (!ReadCompleteSidStarFile(path, fetched)) {
      std::error_code error;
      std::filesystem::remove(path, error);
      continue;
    }
    catalogue.CheckRegion(fetched, work->editor);
    m_view.AddRow(fetched.id, fetched.name);
    ++rows;
    int local = f.local;
    if (local < 0) {
      for (int k = static_cast<int>(airports.size()) - 1; k >= 0 && local < 0; --k) {
        const CSidStarAirport& a = airports[static_cast<size_t>(k)];
        if (fetched.Matches(a.lat, a.lon, a.id)) local = k;
      }
    }
    if (local < 0) {
      const int at = catalogue.FindInsertPos(fetched.id);
      airports.insert(airports.begin() + at, std::move(fetched));
      for (int k = 0; k < i; ++k) {
        CSidStarRemoteFile& later = remote[static_cast<size_t>(k)];
        if (later.local >= at) later.local = later.local + 1;
      }
      continue;
    }
    CSidStarAirport& existing = airports[static_cast<size_t>(local)];
    if (existing.separator == '+' || existing.stamp >= fetched.stamp) {
      std::error_code error;
      // Never the file the catalogue keeps: a second fetch of it lands on the same name.
      if (path != existing.FilePath(work->folder)) std::filesystem::remove(path, error);
      m_view.RemoveRow(--rows);
      continue;
    }
    existing.DeleteFile(work->folder);
    existing = std::move(fetched);
  }
  m_view.SelectFirstRow();
  m_view.SetStatus(SidStarTransferText(rows == 0 ? 6111 : 6110));
  client.Close();
  end.Finished();
}

void CSidStarTransfer::UploadThread(std::shared_ptr<Work> work) {
  EndMessage end(m_target);
  CSidStarServer& client = *work->client;
  std::vector<CSidStarAirport>& airports = work->catalogue.m_airports;
  m_view.SetStatus(SidStarTransferText(6112));
  std::vector<CSidStarRemoteFile> remote;
  if (!client.ListFiles(remote)) return client.Close();

  if (work->editor) {
    // The published folder holds only airports the editor has.
    for (int i = static_cast<int>(remote.size()) - 1; i >= 0; --i) {
      const CSidStarRemoteFile& f = remote[static_cast<size_t>(i)];
      const bool known = std::any_of(airports.begin(), airports.end(), [&](const CSidStarAirport& a) { return a.guid == f.Guid(); });
      if (!known && client.Remove(f)) remote.erase(remote.begin() + i);
    }
  }

  for (auto it = work->checked.rbegin(); it != work->checked.rend(); ++it) {
    const auto [row, index] = *it;
    m_view.SetStatus(SidStarTransferText(6113));
    if (index < 0 || static_cast<size_t>(index) >= airports.size()) continue;
    CSidStarAirport& airport = airports[static_cast<size_t>(index)];
    const CSidStarRemoteFile* found = nullptr;
    for (auto r = remote.rbegin(); r != remote.rend() && !found; ++r) {
      if (r->Guid() == airport.guid) found = &*r;
    }
    if (!found || airport.stamp > found->Stamp()) {
      m_view.SetStatus(SidStarTransferText(6118));
      if (!client.Upload(airport, found)) return client.Close();
    }
    RenameSeparator(work->folder, airport, '-');
    m_view.RemoveRow(row);
    work->rows.erase(work->rows.begin() + row);
  }
  m_view.SetStatus(SidStarTransferText(6119));
  client.Close();
  end.Finished();
}
