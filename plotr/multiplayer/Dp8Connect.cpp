#include "plotr/multiplayer/Dp8Connect.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/simapi/MpMessages.h"
#include "platform/win/Codepage.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "plotr/multiplayer/MpTransport.h"

namespace {

constexpr uint32_t kLowestPort = 1024;
constexpr uint32_t kHighestPort = 65535;
// A host stays listed this many search intervals without a new answer.
constexpr uint32_t kHostTimeoutIntervals = 3;
constexpr size_t kSessionNameChars = 259;

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool PortInRange(uint32_t port) { return port >= kLowestPort && port <= kHighestPort; }

bool SameHost(const dplay::ApplicationDesc& a, const dplay::EnumHostsResponse& r, uint32_t latency) {
  const dplay::ApplicationDesc& b = r.description;
  return latency == r.latencyMs && (a.flags & dplay::kSessionRequirePassword) == (b.flags & dplay::kSessionRequirePassword) &&
         a.sessionName == b.sessionName && a.reservedData == b.reservedData;
}

}  // namespace

Dp8Connect::Dp8Connect(win::Clock& clock) : m_clock(clock) {}

Dp8Connect::~Dp8Connect() = default;

void Dp8Connect::Init(const Dp8ConnectSettings& settings) {
  m_badHostAddress = false;
  {
    std::lock_guard lock(m_hostLock);
    m_listChanged = false;
  }
  m_portOther = settings.portOther;
  m_port = settings.port >= 0 && PortInRange(static_cast<uint32_t>(settings.port)) ? static_cast<uint32_t>(settings.port)
                                                                                 : kDefaultPort;
  m_address = settings.host.substr(0, kAddressChars);
  m_name = settings.name.substr(0, kNameChars);
  m_password.clear();
  m_publicPlan = false;
  m_lines.clear();
  m_lineEntries.clear();
  m_selection = -1;
  {
    std::lock_guard lock(m_hostLock);
    RebuildLines();
  }
  Search();
}

void Dp8Connect::Search() {
  CancelSearches();
  m_badHostAddress = false;
  if (m_peer == nullptr) return;
  const std::vector<dplay::Guid> providers = m_peer->EnumServiceProviders();
  if (!PortInRange(m_port)) m_port = kDefaultPort;
  const std::string address = Trim(m_address);
  for (const dplay::Guid& provider : providers) {
    if (provider != dplay::kServiceProviderTcpIp) continue;
    dplay::Address device{"", static_cast<uint16_t>(LocalPort()), true};
    dplay::Address host{address, 0, false};
    const dplay::ServiceProviderCaps caps = m_peer->GetSpCaps();
    dplay::ApplicationDesc filter;
    filter.application = ToTransport(mp::kDp8Application);
    std::lock_guard lock(m_searchLock);
    auto it = std::find_if(m_searches.begin(), m_searches.end(), [](const DP8HostSearch& s) { return !s.running; });
    if (it == m_searches.end()) it = m_searches.insert(m_searches.end(), DP8HostSearch{});
    const size_t index = static_cast<size_t>(it - m_searches.begin());
    it->hostTimeoutMs = kHostTimeoutIntervals * caps.enumRetryIntervalMs;
    dplay::Handle handle = 0;
    if (m_peer->EnumHosts(filter, host, device, dplay::EnumHostsOptions{}, index, &handle) == dplay::Result::Pending) {
      m_searches[index].running = true;
      m_searches[index].handle = handle;
    }
  }
}

void Dp8Connect::CancelSearches() {
  std::vector<std::pair<uint32_t, dplay::Handle>> running;
  {
    std::lock_guard lock(m_searchLock);
    for (size_t i = 0; i < m_searches.size(); ++i)
      if (m_searches[i].running) running.emplace_back(static_cast<uint32_t>(i), m_searches[i].handle);
  }
  for (const auto& [index, handle] : running) {
    if (m_peer == nullptr || m_peer->CancelAsyncOperation(handle) != dplay::Result::Ok) EndSearch(index);
  }
}

void Dp8Connect::EndSearch(uint32_t index) {
  std::lock_guard hosts(m_hostLock);
  for (DP8HostEntry& e : m_hosts) {
    if (e.listed && e.search == index) e = DP8HostEntry{};
  }
  m_listChanged = true;
  std::lock_guard searches(m_searchLock);
  if (index < m_searches.size()) m_searches[index].running = false;
  if (std::none_of(m_searches.begin(), m_searches.end(), [](const DP8HostSearch& s) { return s.running; })) {
    m_searches.clear();
    m_hosts.clear();
  }
}

void Dp8Connect::OnSearchComplete(const dplay::AsyncOpComplete& message) {
  EndSearch(static_cast<uint32_t>(message.context));
  if (message.result == dplay::Result::InvalidHostAddress) m_badHostAddress = true;
}

void Dp8Connect::OnHostResponse(const dplay::EnumHostsResponse& message) {
  std::lock_guard lock(m_hostLock);
  auto it = std::find_if(m_hosts.begin(), m_hosts.end(), [&](const DP8HostEntry& e) {
    return e.listed && e.description.instance == message.description.instance;
  });
  if (it != m_hosts.end()) {
    if (!SameHost(it->description, message, it->latencyMs)) it->listed = false;
  } else {
    it = std::find_if(m_hosts.begin(), m_hosts.end(), [](const DP8HostEntry& e) { return !e.listed; });
    if (it == m_hosts.end()) it = m_hosts.insert(m_hosts.end(), DP8HostEntry{});
  }
  it->search = static_cast<uint32_t>(message.context);
  it->sender = message.sender;
  it->device = message.device;
  it->description = message.description;
  it->latencyMs = message.latencyMs;
  it->lastResponse = m_clock.TickCount();
  if (!it->listed) {
    it->listed = true;
    m_listChanged = true;
  }
}

bool Dp8Connect::OnTimer() {
  {
    std::lock_guard hosts(m_hostLock);
    const uint32_t now = m_clock.TickCount();
    {
      std::lock_guard searches(m_searchLock);
      for (DP8HostEntry& e : m_hosts) {
        if (!e.listed) continue;
        const bool running = e.search < m_searches.size() && m_searches[e.search].running;
        const uint32_t timeout = e.search < m_searches.size() ? m_searches[e.search].hostTimeoutMs : 0;
        if (!running || win::TickReached(now, e.lastResponse + timeout)) {
          e = DP8HostEntry{};
          m_listChanged = true;
        }
      }
    }
    if (m_listChanged) {
      m_listChanged = false;
      RebuildLines();
    }
  }
  return m_badHostAddress.exchange(false);
}

void Dp8Connect::RebuildLines() {
  std::optional<dplay::Guid> remembered;
  if (const DP8HostEntry* e = SelectedEntry()) remembered = e->description.instance;
  m_lines.clear();
  m_lineEntries.clear();
  int select = 0;
  for (size_t i = 0; i < m_hosts.size(); ++i) {
    const DP8HostEntry& e = m_hosts[i];
    if (!e.listed) continue;
    std::string name = win::Utf16ToCp1252(e.description.sessionName.substr(0, kSessionNameChars));
    char latency[32];
    std::snprintf(latency, sizeof latency, " (%u ms)", e.latencyMs);
    if (remembered && e.description.instance == *remembered) select = static_cast<int>(m_lines.size());
    m_lines.push_back(name + latency);
    m_lineEntries.push_back(i);
  }
  m_selection = m_lines.empty() ? -1 : select;
}

const Dp8Connect::DP8HostEntry* Dp8Connect::SelectedEntry() const {
  if (m_selection < 0 || static_cast<size_t>(m_selection) >= m_lineEntries.size()) return nullptr;
  const size_t index = m_lineEntries[m_selection];
  if (index >= m_hosts.size() || !m_hosts[index].listed) return nullptr;
  return &m_hosts[index];
}

void Dp8Connect::Select(int line) {
  m_selection = line >= 0 && line < static_cast<int>(m_lines.size()) ? line : -1;
  if (!PasswordRequired()) m_password.clear();
}

std::string Dp8Connect::SelectedComment() const {
  std::lock_guard lock(m_hostLock);
  const DP8HostEntry* e = SelectedEntry();
  return e == nullptr ? std::string() : mp::ReadSessionComment(e->description.reservedData);
}

bool Dp8Connect::PasswordRequired() const {
  std::lock_guard lock(m_hostLock);
  const DP8HostEntry* e = SelectedEntry();
  return e != nullptr && (e->description.flags & dplay::kSessionRequirePassword) != 0;
}

bool Dp8Connect::CanJoin() const {
  bool listed = false;
  bool password = false;
  {
    std::lock_guard lock(m_hostLock);
    const DP8HostEntry* e = SelectedEntry();
    listed = e != nullptr;
    password = listed && (e->description.flags & dplay::kSessionRequirePassword) != 0;
  }
  return listed && !Trim(m_name).empty() && (!password || !Trim(m_password).empty());
}

bool Dp8Connect::SetAddress(const std::string& address) {
  m_address = address.substr(0, kAddressChars);
  CancelSearches();
  return true;
}

bool Dp8Connect::SetPortChoice(bool other, const std::string& portText) {
  const uint32_t value = ReadUnsigned(portText.substr(0, kPortChars));
  const bool cancel = (other != m_portOther && value != kDefaultPort) || (other && value != m_port);
  m_portOther = other;
  if (other) m_port = value;
  if (cancel) CancelSearches();
  return cancel;
}

bool Dp8Connect::Join() {
  if (m_peer == nullptr) return false;
  std::lock_guard lock(m_hostLock);
  const DP8HostEntry* e = SelectedEntry();
  if (e == nullptr) return false;
  const std::string playerName = "*" + Trim(m_name);
  dplay::PlayerInfo info;
  info.name = win::Cp1252ToUtf16(playerName).substr(0, kSessionNameChars);
  info.data = mp::EncodePeerBlock(m_publicPlan ? mp::kPeerPublicPlan : 0, mp::kModulePeerText);
  if (m_peer->SetPeerInfo(info, dplay::kInfoName | dplay::kInfoData) != dplay::Result::Ok) return false;
  dplay::ApplicationDesc desc;
  desc.instance = e->description.instance;
  desc.application = e->description.application;
  if ((e->description.flags & dplay::kSessionRequirePassword) != 0) desc.password = win::Cp1252ToUtf16(Trim(m_password));
  dplay::Handle handle = 0;
  // The search that found the host may still hold its port: the device port is a recommendation,
  // as the search was told.
  dplay::Address device = e->device;
  device.portRecommended = true;
  return m_peer->Connect(desc, e->sender, device, mp::EncodeConnectData(false, playerName), &handle) ==
         dplay::Result::Pending;
}

Dp8ConnectSettings Dp8Connect::SavedSettings() const {
  return {m_portOther, static_cast<int>(m_port), Trim(m_address), Trim(m_name)};
}

int Dp8Connect::RunningSearches() const {
  std::lock_guard lock(m_searchLock);
  return static_cast<int>(std::count_if(m_searches.begin(), m_searches.end(), [](const DP8HostSearch& s) { return s.running; }));
}
