#pragma once
// The stand-in simulator without windows: the services table, the named-variable registry, the
// host variables fed by the aircraft, the events acted on and the global block.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/simapi/SimApi.h"
#include "simhost/Aircraft.h"
#include "simhost/MoveBlock.h"

namespace simhost {

class MultiplayerHost;

struct LoggedEvent {
  uint32_t id = 0;
  uint32_t value = 0;
  bool operator==(const LoggedEvent&) const = default;
};

// How the host answers one event id: act on it, refuse it (non-zero result, nothing done) or
// accept it and do nothing, as hosts do with events they do not know.
enum class EventAnswer { kApply, kRefuse, kIgnore };

class HostCore {
 public:
  // `timeScale`: simulated seconds per second of real time. It is the simulation rate the host
  // starts at and reports, as a simulator set to a faster rate does, so that modules scale what
  // they time by the wall clock and read everything else from the simulator's own clock.
  explicit HostCore(int simVersion = 90, const AircraftStart& start = {}, double timeScale = 1);
  ~HostCore();
  HostCore(const HostCore&) = delete;
  HostCore& operator=(const HostCore&) = delete;

  // The table a module receives in its ImportTable; valid as long as this core lives.
  simapi::Services* GetServices() { return &m_services; }

  // Advances the aircraft by this much real time (the simulation rate applies on top), then lets
  // the multiplayer session, when one is hosted, report it.
  void Step(double seconds);
  // The hosted multiplayer session (not owned); null: none.
  void SetMultiplayer(MultiplayerHost* host) { m_multiplayer = host; }

  Aircraft& GetAircraft() { return m_aircraft; }
  const Aircraft& GetAircraft() const { return m_aircraft; }
  int SimVersion() const { return m_simVersion; }

  // Every event sent is logged, whatever the answer.
  const std::vector<LoggedEvent>& Events() const { return m_events; }
  void SetEventAnswer(uint32_t id, EventAnswer answer);
  void ClearEvents() { m_events.clear(); }

  // Storage registered under this name, or null.
  void* FindNamedVariable(const std::string& name) const;
  // Names in the order they were first registered.
  const std::vector<std::string>& NamedVariableNames() const { return m_namedOrder; }

  unsigned char* GlobalBlock() { return m_global.get(); }

  // Reads the block announced by a copy-data call out of the pipe. Touches no host state, so the
  // window layer may call it on the sender's thread and apply the result on its own.
  static std::optional<MoveTarget> ReceiveMoveBlock(uint32_t tag, const void* data, size_t size);
  void ApplyMove(const MoveTarget& target);

  // The services, callable directly by tests.
  int SendEvent(uint32_t id, uint32_t value);
  void RegisterNamedVariable(void* storage, uint32_t type, const char* name);
  void InitVariable(simapi::HostVariable* variable);
  void LookupNamedVariable(simapi::HostVariable* variable, const char* name) const;
  void* ReadVariable(simapi::HostVariable* variable);
  bool WriteGlobal(uint32_t offset, uint16_t count, const void* source);

 private:
  struct NamedVariable {
    void* storage = nullptr;
    uint32_t type = 0;
  };
  struct GlobalBlockDeleter {
    void operator()(unsigned char* p) const;
  };

  bool IsKnownVariable(uint32_t id) const;
  // The current value of a host variable, as the record carries it.
  std::array<unsigned char, 8> ValueOf(uint32_t id) const;
  void SyncGlobalPosition();
  void ReadGlobalPosition(uint32_t offset, uint32_t end);
  void StepAdfDigit(int divisor);

  int m_simVersion;
  Aircraft m_aircraft;
  simapi::Services m_services;
  std::unique_ptr<unsigned char, GlobalBlockDeleter> m_global;
  std::map<uint32_t, std::array<unsigned char, 8>> m_slots;  // storage handed out per id
  std::map<std::string, NamedVariable> m_named;
  std::vector<std::string> m_namedOrder;
  std::vector<LoggedEvent> m_events;
  std::map<uint32_t, EventAnswer> m_answers;
  MultiplayerHost* m_multiplayer = nullptr;
};

}  // namespace simhost
