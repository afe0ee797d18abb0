#pragma once

// The older session's two-page connection wizard without its windows. The first page takes the
// player name, the public-plan choice and the connection (with an address for TCP/IP) and makes
// the session object; the second lists the host simulator's sessions every second with their
// pilot and observer counts and joins the chosen one with the password. Both pages write into the
// session they were given.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dplay/Session.h"
#include "platform/simapi/MpMessages.h"

class Dp4Session;

class Dp4Wizard {
 public:
  static constexpr size_t kNameChars = 30;
  static constexpr size_t kAddressChars = 199;
  static constexpr uint32_t kFirstRefreshMs = 100;
  static constexpr uint32_t kRefreshMs = 1000;

  explicit Dp4Wizard(Dp4Session& session);

  // ----- connection page -----
  // Start values from the settings.
  void InitConnectionPage(const std::string& name, const std::string& address);
  // Page shown: the session's object is released and the connections listed again; the one
  // chosen last is selected again (by name, ignoring case), else the first.
  void ActivateConnectionPage();
  const std::vector<dplay::Connection>& Connections() const { return m_connections; }
  int ConnectionSelection() const { return m_connectionSelection; }
  void SelectConnection(int index);
  void SetName(const std::string& name) { m_name = name.substr(0, kNameChars); }
  void SetAddress(const std::string& address) { m_address = address.substr(0, kAddressChars); }
  void SetPublicPlan(bool on) { m_publicPlan = on; }
  const std::string& Name() const { return m_name; }
  const std::string& Address() const { return m_address; }
  bool PublicPlan() const { return m_publicPlan; }
  bool CanGoNext() const;
  // The address controls serve TCP/IP only.
  bool AddressEnabled() const;
  // "Next": makes the session object on the chosen connection and hands it, the player name and
  // the public choice to the session. False keeps the page. The settings to write afterwards are
  // the name and the trimmed address.
  bool Next();
  std::string SavedAddress() const;
  // Cancel on the first page releases the session's object.
  void CancelConnectionPage();

  // ----- session page -----
  struct SessionLine {
    std::string name;       // cut before "[]"
    std::string pilots;     // "admitted/limit"
    std::string observers;
    bool passwordRequired = false;
    dplay::Guid instance;
    dplay::Guid application;
  };
  enum class Refresh {
    kListed,  // list rebuilt; refresh again in a second
    kWait,    // the search is not ready; no refresh scheduled
    kBack,    // the connection failed: back to the first page
  };
  void ActivateSessionPage();
  Refresh RefreshSessions();
  const std::vector<SessionLine>& Sessions() const { return m_sessions; }
  int SessionSelection() const { return m_sessionSelection; }
  void SelectSession(int index);
  bool PasswordShown() const;
  bool CanFinish() const { return m_sessionSelection >= 0; }
  // "Finish": joins the chosen session. 0 when it is open; otherwise the id of the message to
  // show (invalid password, cannot open) and the page stays, refreshing again.
  unsigned Finish(const std::string& password);
  // "Back" from the session page.
  void BackFromSessionPage();

 private:
  Dp4Session& m_session;
  std::vector<dplay::Connection> m_connections;
  int m_connectionSelection = -1;
  std::string m_rememberedConnection;
  std::string m_name;
  std::string m_address;
  bool m_publicPlan = false;
  std::vector<SessionLine> m_sessions;
  int m_sessionSelection = -1;
};
