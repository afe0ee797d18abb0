#pragma once
// The plan object's simulator level: runs the simulator exchange on every tick, lends the plan
// core its view of the simulator, and moves the aircraft or the tower view to a chosen place.
// From simulator version 90 on a worker hands the host a tagged block through a pipe; below 90
// the position goes into the host's global block, in stepped event sequences where the host
// needs them.

#include <atomic>
#include <cfloat>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "plotr/plan/FlightPlanCore.h"

class CSimBlock;
class CSettings;
namespace win {
class Clock;
}
namespace ui {
class IMessageTarget;
}

// The move channel of simulator version 90 and above: the host's window and the copy-data call
// that announces the pipe to it. The window layer implements it over the host's frame.
class IMoveChannel {
 public:
  virtual ~IMoveChannel() = default;
  // User-interface thread, before the worker starts: false when the host's window is not there.
  virtual bool FindHost() = 0;
  // Worker thread: hands the bytes to the window found, queued.
  virtual void SendCopyData(uint32_t tag, const void* data, size_t size) = 0;
};

// What the simulator levels of the plan work with. Defaults: the module's global objects.
struct PlanSimServices {
  CSimBlock* sim = nullptr;           // null: g_SimBlock
  win::Clock* clock = nullptr;        // null: the system clock
  CSettings* settings = nullptr;      // null: g_Settings
  ui::IMessageTarget* frame = nullptr;  // where the guidance-changed notice goes; null: dropped
  std::function<void(int)> playCue;   // empty: g_SoundPlayer's cues
  IMoveChannel* moveChannel = nullptr;  // null: version-90 moves find no host
  PlanUiServices ui;                    // the plan's dialogs and message boxes; null: none shown
};

// The move block of version 90 and above.
inline constexpr size_t kMoveBlockBytes = 391;
void BuildMoveBlock(unsigned char (&block)[kMoveBlockBytes], double latitude, double longitude,
                    double altitudeMetres, double pitch, double bank, double heading);
// The two 32-bit halves (low, high) of the host's 64-bit fixed-point form of v: high + low / 2^32
// equals v, whole units rounded towards minus infinity.
void SplitFixedPoint(double v, uint32_t& low, int32_t& high);

class CFlightPlanSim : public CFlightPlanCore, private IPlanSimLink {
 public:
  explicit CFlightPlanSim(const PlanSimServices& services = {});
  ~CFlightPlanSim() override;

  // Per timer tick: the exchange (tick mod 5 == 1), then the move steps below version 90.
  void OnTick(uint32_t tick) override;

  // Altitude in metres and heading in degrees true, DBL_MAX for none. Ignored while a move runs.
  void MoveAircraft(double latitude, double longitude, double altitude = DBL_MAX, double heading = DBL_MAX) override;
  void SetTowerViewPosition(double latitude, double longitude, double height) override;
  // A move sequence runs or its worker is busy.
  bool IsMoving() const { return m_moveState != 0 || m_workerRunning.load(); }
  int32_t GetMoveState() const { return m_moveState; }

  CSimBlock& Sim() const { return *m_sim; }
  win::Clock& GetClock() const { return *m_clock; }
  CSettings& GetSettings() const { return *m_settings; }
  ui::IMessageTarget* Frame() const { return m_frame; }
  void PlayCue(int id) override;
  bool InSimulator() const override { return true; }
  // Through the guidance's named variables, which it reads at its next exchange.
  void RequestFlyTo(double latitude, double longitude) override;
  void RequestFlyPlanFrom(int row) override;

  // Turn steps a host may take to reach the heading before the sequence goes on without it.
  static constexpr int kMaxTurnSteps = 40;

 protected:
  const SimSnapshot& Snapshot() const override;

 private:
  void MoveStep();
  void TurnStep();
  void WritePosition();
  void WriteAltitude();
  void WriteFixed(int offset, double value);
  void PlaceTowerView(double latitude, double longitude, int32_t height);
  void StartWorker();
  void RunWorker(int readFd, int writeFd);

  CSimBlock* m_sim;
  win::Clock* m_clock;
  CSettings* m_settings;
  ui::IMessageTarget* m_frame;
  std::function<void(int)> m_playCue;
  IMoveChannel* m_moveChannel;

  int32_t m_moveState = 0;
  double m_targetLatitude = 0;
  double m_targetLongitude = 0;
  double m_targetAltitude = 0;  // metres
  double m_pitch = 0;
  double m_bank = 0;
  double m_targetHeading = DBL_MAX;  // degrees true; DBL_MAX: none
  int32_t m_turnDirection = 0;
  int32_t m_turnMagnitude = 0;
  int32_t m_turnSteps = 0;

  std::thread m_worker;
  std::atomic<bool> m_workerRunning{false};
  std::mutex m_stopLock;
  std::condition_variable m_stopSignal;
  bool m_stopWorker = false;
};
