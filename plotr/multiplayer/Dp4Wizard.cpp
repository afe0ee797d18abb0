#include "plotr/multiplayer/Dp4Wizard.h"

#include <optional>

#include "platform/win/Codepage.h"
#include "plotr/multiplayer/Dp4Session.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "plotr/multiplayer/MpStrings.h"
#include "plotr/multiplayer/MpTransport.h"

namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

Dp4Wizard::Dp4Wizard(Dp4Session& session) : m_session(session) {}

void Dp4Wizard::InitConnectionPage(const std::string& name, const std::string& address) {
  SetName(name);
  SetAddress(address);
}

void Dp4Wizard::ActivateConnectionPage() {
  m_session.SetSession(nullptr);
  dplay::Session probe(m_session.Config());
  m_connections.clear();
  for (const dplay::Connection& c : probe.EnumConnections(ToTransport(mp::Dp4Application(m_session.SimVersion())))) {
    dplay::Session trial(m_session.Config());
    if (trial.InitializeConnection(c.serviceProvider, dplay::Address{}) != dplay::Result::Ok) continue;
    m_connections.push_back(c);
  }
  m_connectionSelection = m_connections.empty() ? -1 : 0;
  for (size_t i = 0; i < m_connections.size(); ++i) {
    if (win::EqualsNoCase(m_connections[i].name, m_rememberedConnection)) {
      m_connectionSelection = static_cast<int>(i);
      break;
    }
  }
}

void Dp4Wizard::SelectConnection(int index) {
  m_connectionSelection = index >= 0 && index < static_cast<int>(m_connections.size()) ? index : -1;
}

bool Dp4Wizard::CanGoNext() const { return !m_name.empty() && m_connectionSelection >= 0; }

bool Dp4Wizard::AddressEnabled() const {
  return m_connectionSelection >= 0 && m_connections[m_connectionSelection].serviceProvider == dplay::kServiceProviderTcpIp;
}

std::string Dp4Wizard::SavedAddress() const { return Trim(m_address).substr(0, kAddressChars); }

bool Dp4Wizard::Next() {
  if (!CanGoNext()) return false;
  const dplay::Connection& c = m_connections[m_connectionSelection];
  dplay::Address address;
  if (c.serviceProvider == dplay::kServiceProviderTcpIp) address.host = SavedAddress();
  auto session = std::make_unique<dplay::Session>(m_session.Config());
  if (session->InitializeConnection(c.serviceProvider, address) != dplay::Result::Ok) return false;
  m_session.SetSession(std::move(session));
  m_rememberedConnection = c.name;
  m_session.SetPlayerName(m_name);
  m_session.SetPublicFlag(m_publicPlan);
  return true;
}

void Dp4Wizard::CancelConnectionPage() { m_session.SetSession(nullptr); }

void Dp4Wizard::ActivateSessionPage() {
  m_sessions.clear();
  m_sessionSelection = -1;
}

Dp4Wizard::Refresh Dp4Wizard::RefreshSessions() {
  dplay::Session* session = m_session.GetSession();
  if (session == nullptr) return Refresh::kBack;
  std::vector<dplay::SessionDesc> found;
  const dplay::Result r = session->EnumSessions(ToTransport(mp::Dp4Application(m_session.SimVersion())), found);
  if (r == dplay::Result::InvalidParam) return Refresh::kWait;
  if (r != dplay::Result::Ok) return Refresh::kBack;
  std::optional<dplay::Guid> remembered;
  if (m_sessionSelection >= 0) remembered = m_sessions[m_sessionSelection].instance;
  m_sessions.clear();
  // Each session goes in at the top, so the list shows the last one found first.
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    const mp::SessionCounts counts = mp::UnpackCounts(it->user1);
    m_sessions.push_back({SessionListName(it->sessionName), PilotsColumn(counts), ObserversColumn(counts),
                          (it->flags & dplay::kSessionDescPasswordRequired) != 0, it->instance, it->application});
  }
  m_sessionSelection = m_sessions.empty() ? -1 : 0;
  if (remembered) {
    for (int i = static_cast<int>(m_sessions.size()) - 1; i >= 0; --i) {
      if (m_sessions[i].instance == *remembered) {
        m_sessionSelection = i;
        break;
      }
    }
  }
  return Refresh::kListed;
}

void Dp4Wizard::SelectSession(int index) {
  m_sessionSelection = index >= 0 && index < static_cast<int>(m_sessions.size()) ? index : -1;
}

bool Dp4Wizard::PasswordShown() const { return m_sessionSelection >= 0 && m_sessions[m_sessionSelection].passwordRequired; }

unsigned Dp4Wizard::Finish(const std::string& password) {
  dplay::Session* session = m_session.GetSession();
  if (m_sessionSelection < 0 || session == nullptr) return mpstr::kCannotOpenSession;
  const SessionLine& line = m_sessions[m_sessionSelection];
  dplay::SessionDesc desc;
  desc.instance = line.instance;
  desc.application = line.application;
  desc.password = password;
  const dplay::Result r = session->Open(desc, dplay::OpenMode::Join);
  if (r == dplay::Result::Ok) return 0;
  return r == dplay::Result::InvalidPassword ? mpstr::kInvalidPassword4 : mpstr::kCannotOpenSession;
}

void Dp4Wizard::BackFromSessionPage() {
  m_sessions.clear();
  m_sessionSelection = -1;
}
