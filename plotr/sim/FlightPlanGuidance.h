#pragma once
// The plan object's guidance level: on every fifth tick it executes the commands that gauges and
// Plotr's own controls leave in the named variables, steers the autopilot to a point, along the
// plan or around a holding pattern, tunes the radios, predicts the level-off point and tells the
// main frame when the guidance state changed. It reads the simulator only through the snapshot
// and acts only through simulator events.

#include <cstdint>
#include <ctime>

#include "plotr/sim/FlightPlanSim.h"

// WM_APP_GUIDANCE_CHANGED (UpdateHints.h, through FlightPlanSim.h) goes to the main frame when
// flying the plan started or stopped or its row changed.

// Holding entries, as chosen when the aircraft reaches the fix's inbound line.
enum HoldingEntry : int32_t {
  kEntryNone = 0,
  kEntryParallel = 1,
  kEntryTeardrop = 2,
  kEntryDirect = 3,
};

class CFlightPlanGuidance : public CFlightPlanSim {
 public:
  explicit CFlightPlanGuidance(const PlanSimServices& services = {});

  void OnTick(uint32_t tick) override;

  // The heading that makes good `course` with the wind blowing towards `windTo`; all degrees
  // true, speeds in knots. Without wind the course itself.
  static double WindCorrectedHeading(double trueAirspeed, double course, double windTo, double windSpeed);
  // The true heading that makes good `course` with the snapshot's wind; on the ground the course.
  double InterceptHeading(double course) const;

  using CFlightPlanCore::FlyTo;
  // Guidance of one tick; each is run by OnTick for the mode the guidance flags select.
  void FlyTo();
  void FlyFlightPlan();
  void FlyHolding();
  bool ShouldSwitchLeg(const PlanRow* previous, const PlanRow& active, const PlanRow* next) const;

  // Targets: heading in whole degrees magnetic, altitude feet, vertical speed feet per minute,
  // airspeed knots. Only what differs from the snapshot is sent.
  void SetAutopilotTargets(double heading, double altitude, double verticalSpeed, double airspeed, double mach,
                           bool continueFlight);
  void EngageAutopilotModes();
  void TuneRadios(int row);
  // Radio events for one frequency: NAV1 or NAV2 in MHz, the ADF in kHz (dialled digit by digit
  // from version 80 on). Frequencies the events cannot carry are not sent.
  void TuneNavFrequency(int radio, double frequency);
  void TuneAdf(float frequency);

  bool LevelOffPointOnTrack();
  bool LevelOffPointToTarget();
  bool LevelOffPointOnPlan();

  int32_t GetHoldingPhase() const { return m_holdingPhase; }
  int32_t GetHoldingEntry() const { return m_entryType; }
  // The point the present holding phase flies to or measures from.
  void GetPatternPoint(double& latitude, double& longitude) const {
    latitude = m_patternLatitude;
    longitude = m_patternLongitude;
  }

  // The NAV and ADF choice of TuneRadios for a row, by row index; -1 for none.
  struct RadioChoice {
    int nav1 = -1, course1 = -1, nav2 = -1, course2 = -1, adf = -1;
  };
  RadioChoice ChooseRadios(int row) const;

 protected:
  // The plan's guidance state as one block, compared between guidance ticks.
  struct GuidanceState {
    uint32_t flags = 0;
    int32_t flyPlanChangeCount = 0;
    int32_t currentRow = 0;
    double flyToLatitude = 0;
    double flyToLongitude = 0;
    uint8_t levelOffValid = 0;
    double levelOffLatitude = 0;
    double levelOffLongitude = 0;
    double levelOffCourse = 0;
  };
  GuidanceState CaptureGuidanceState() const;
  const GuidanceState& PreviousGuidanceState() const { return m_previous; }

 private:
  void ExecuteCommands();
  // False while the autopilot is being switched off on the ground: the command stays set.
  bool StartSequence();
  int Send(uint32_t id, uint32_t value = 0);
  // Sends a value built from a number; nothing (and a refusal) when the number is not finite.
  int SendNumber(uint32_t id, double value);
  // Sends the events that free the heading selector and returns false at the first refusal.
  bool ReleaseHeadingModes(bool switchOnHeadingHold);
  // The destination row's runway heading (degrees true) when the aircraft, `toGo` metres from
  // the destination along the plan, has captured it: close, and heading for its end along it.
  bool CapturedRunway(int destination, double toGo, double& heading) const;
  bool SteerHolding(double latitude, double longitude);
  bool HoldingTick();
  int HoldingSteerOrPhase(double w, double o, double s, double legNm, double turnDiameter);
  void TuneNav(int radio, int navRow, int courseRow);

  GuidanceState m_previous;
  double m_lastHeading = 0;
  bool m_autopilotSeen = false;
  int32_t m_holdingPhase = 0;
  int32_t m_entryType = kEntryNone;
  double m_patternLatitude = 0;
  double m_patternLongitude = 0;
  std::time_t m_legStart = 0;
  uint32_t m_lastVerticalStep = 0;
};
