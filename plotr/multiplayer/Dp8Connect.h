#pragma once

// "Multiplayer Connect" of the newer session without its window: searches for the host
// simulator's sessions at an address or on the local network, keeps the sessions found while
// their answers keep coming, and starts the connection with the player name and password. The
// session owns one and hands it every search result; the wx dialog shows its lines and forwards
// the user's edits and a 250 ms timer.
//
// Locks: the host lock guards the host list and the changed flag, the search lock the search
// list; whoever needs both takes the host lock first. Searches are started under the search lock
// so a completion cannot end one before it is marked running, and cancelled outside it.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dplay/Peer.h"
#include "platform/win/Clock.h"

// The connect settings of the profile ("MultiplayerPortConnectOther", "MultiplayerPortConnect",
// "MultiplayerHost", "MultiplayerName").
struct Dp8ConnectSettings {
  bool portOther = false;
  int port = 23432;
  std::string host;
  std::string name;
};

class Dp8Connect {
 public:
  static constexpr uint32_t kDefaultPort = 23432;
  static constexpr size_t kAddressChars = 15;
  static constexpr size_t kNameChars = 30;
  static constexpr size_t kPasswordChars = 30;
  static constexpr size_t kPortChars = 10;

  explicit Dp8Connect(win::Clock& clock);
  ~Dp8Connect();
  Dp8Connect(const Dp8Connect&) = delete;
  Dp8Connect& operator=(const Dp8Connect&) = delete;

  // Given by the session before each showing; not owned.
  void Attach(dplay::Peer* peer) { m_peer = peer; }

  // Dialog start: values from the settings (a port outside 1024..65535 becomes 23432), no
  // password, plan private, then a search.
  void Init(const Dp8ConnectSettings& settings);
  // "&Search": cancels the running searches and searches again with the current values.
  void Search();
  // Timer tick: drops sessions whose search ended or that stopped answering and rebuilds the
  // lines when anything changed. True when a bad host address was reported since the last tick
  // (the dialog then shows its message).
  bool OnTimer();

  // Edits. Each returns true when "&Search" should become the default button.
  bool SetAddress(const std::string& address);
  bool SetPortChoice(bool other, const std::string& portText);
  void SetName(const std::string& name) { m_name = name; }
  void SetPassword(const std::string& password) { m_password = password; }
  void SetPublicPlan(bool on) { m_publicPlan = on; }
  void Select(int line);

  // What the window shows.
  const std::vector<std::string>& Lines() const { return m_lines; }
  int Selection() const { return m_selection; }
  const std::string& Address() const { return m_address; }
  const std::string& Name() const { return m_name; }
  const std::string& Password() const { return m_password; }
  bool PortOther() const { return m_portOther; }
  uint32_t Port() const { return m_port; }
  bool PublicPlan() const { return m_publicPlan; }
  std::string SelectedComment() const;
  bool PasswordRequired() const;
  bool CanJoin() const;

  // "&Join": sets the own player's name and peer block and starts the connection. True when it
  // is under way; the settings to write are then in SavedSettings(). False keeps the dialog
  // open.
  bool Join();
  Dp8ConnectSettings SavedSettings() const;
  // Cancel: ends the searches.
  void Cancel() { CancelSearches(); }

  // Search results from the transport's threads.
  void OnSearchComplete(const dplay::AsyncOpComplete& message);
  void OnHostResponse(const dplay::EnumHostsResponse& message);

  // For tests: the number of searches under way.
  int RunningSearches() const;

 private:
  struct DP8HostSearch {
    bool running = false;
    uint32_t hostTimeoutMs = 0;
    dplay::Handle handle = 0;
  };
  struct DP8HostEntry {
    bool listed = false;
    uint32_t search = 0;
    dplay::Address sender;
    dplay::Address device;
    dplay::ApplicationDesc description;
    uint32_t latencyMs = 0;
    uint32_t lastResponse = 0;
  };

  void CancelSearches();
  void EndSearch(uint32_t index);
  void RebuildLines();
  // Under the host lock: the listed entry of the selected line, or null.
  const DP8HostEntry* SelectedEntry() const;
  uint32_t LocalPort() const { return m_portOther ? m_port : kDefaultPort; }

  win::Clock& m_clock;
  dplay::Peer* m_peer = nullptr;

  mutable std::mutex m_searchLock;
  std::vector<DP8HostSearch> m_searches;
  mutable std::mutex m_hostLock;
  std::vector<DP8HostEntry> m_hosts;
  bool m_listChanged = false;
  std::atomic<bool> m_badHostAddress{false};

  // Dialog data (user-interface thread).
  bool m_portOther = false;
  uint32_t m_port = kDefaultPort;
  std::string m_address;
  std::string m_name;
  std::string m_password;
  bool m_publicPlan = false;
  std::vector<std::string> m_lines;
  std::vector<size_t> m_lineEntries;  // host index of each line
  int m_selection = -1;
};
