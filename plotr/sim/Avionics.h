#pragma once

// The avionics bars without their windows: what each field and button shows from the snapshot,
// how a typed or dropped value is checked, rounded and sent, the edit field's states, and the
// lines of the frequency picker. Nothing here computes navigation.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "navdb/Payloads.h"
#include "plotr/plan/SimSnapshot.h"

namespace avionics {

// The bar's fields and buttons by control id.
enum : int {
  kMultiplayer = 8064,
  kCom = 8065,
  kNav1Label = 8066,
  kNav1 = 8067,
  kNav2Label = 8068,
  kNav2 = 8069,
  kAdf = 8070,
  kTransponder = 8071,
  kHeadingText = 8072,
  kAltitudeText = 8073,
  kSpeedText = 8074,
  kVerticalSpeedText = 8075,
  kFlyPlan = 8077,
  kAutopilot = 8078,
  kHeadingHold = 8079,
  kHeading = 8080,
  kAltitudeHold = 8081,
  kAltitude = 8082,
  kVsLabel = 8083,
  kVerticalSpeed = 8084,
  kSpeedHold = 8085,
  kSpeed = 8086,
  kMachHold = 8087,
  kMach = 8088,
  kNav1Hold = 8089,
  kNav1Course = 8090,
  kApproach = 8091,
  kBackCourse = 8092,
  kNav2CourseLabel = 8093,
  kNav2Course = 8094,
};

// One edit field's fixed properties.
struct FieldDef {
  int id;
  const char* format;
  const char* allowed;
  int limit;
  const char* dropFormat;       // one float, nullptr for none
  const char* arrayDropFormat;  // a frequency array, nullptr for none
  const char* tip;
};
const std::vector<FieldDef>& Fields();
const FieldDef* FieldOf(int id);

// What the bar shows, from one snapshot.
struct BarState {
  std::vector<std::pair<int, double>> values;  // every edit field's value
  std::vector<std::pair<int, bool>> checks;    // check buttons
  std::vector<std::pair<int, bool>> enabled;   // fields, buttons and labels
  std::string headingText, altitudeText, speedText, verticalSpeedText;
  bool adfExtended = false;  // the ADF field shows "%06.1f" with limit 6, else "%03.0f" with 3
  bool flyPlanEnabled = false;
  bool flyPlanChecked = false;
};
BarState StateOf(const SimSnapshot& sim);

// A value formatted in the C locale; "%f"-style formats of one double only.
std::string FormatValue(const char* format, double value);
// The leading decimal number of a text, 0 when there is none.
double LeadingNumber(std::string_view text);

// What a commit sends.
struct SimEvent {
  uint32_t id;
  uint32_t value;
  bool operator==(const SimEvent&) const = default;
};
struct Commit {
  bool accepted = false;
  int message = 0;                   // string id of the refusal, 0 when accepted
  std::vector<SimEvent> events;
  std::optional<float> adf;          // the ADF tuning sequence with this frequency
  int globalOffset = -1;             // a 4-byte write into the host's global block
  int32_t globalValue = 0;
  std::optional<double> shown;       // the value the field shows after rounding
};
// Checks, rounds and turns the typed (or dropped) text of a field into what goes out.
Commit CommitField(int id, std::string_view text, int simVer);

// The autopilot buttons: the events of a press. Airspeed and Mach hold arm the autothrottle
// first when it is not armed; `refused` tells whether the host refused the arming, in which
// case the hold is not sent. A profile without airspeed hold sends nothing for them.
std::vector<SimEvent> ButtonEvents(int id, bool autothrottleArmed, bool withoutAirspeedHold);
inline constexpr uint32_t kArmAutothrottle = 0x10144;

// ---- The edit field --------------------------------------------------------------------------------

// Passive while it shows the simulator's value; editing after a click or Enter. While editing
// the simulator's values are kept aside, and abandoning the edit shows the latest one.
class CPilotEditState {
 public:
  explicit CPilotEditState(const FieldDef& def) : m_def(def) {}
  const FieldDef& Def() const { return m_def; }
  void SetFormat(const char* format, int limit) { m_format = format; m_limit = limit; }
  int Limit() const { return m_limit > 0 ? m_limit : m_def.limit; }

  // A value from the simulator: the text to show now, or nothing while editing.
  std::optional<std::string> SetValue(double value);
  const std::string& LastText() const { return m_last; }
  bool Editing() const { return m_editing; }
  void BeginEdit() { m_editing = true; }
  // Escape or leaving the field: the text to show again.
  std::string Abandon();
  // Whether typing this character is allowed (Backspace always is).
  bool Allows(int character) const;
  // Enter: the field leaves editing; call Reopen when the commit was refused.
  void EndEdit() { m_editing = false; }
  void Reopen() { m_editing = true; }
  // The text a dropped value is committed as.
  static std::string DropText(float value);

 private:
  const char* Format() const { return m_format != nullptr ? m_format : m_def.format; }
  const FieldDef& m_def;
  const char* m_format = nullptr;
  int m_limit = 0;
  std::string m_last;
  bool m_editing = false;
};

// ---- The frequency picker ------------------------------------------------------------------------

struct PickerLine {
  std::string text;  // "<kind>:\t<MHz>"
  int index;         // the entry's index in the dropped array
};
// Entries grouped by kind in the picker's order; kinds it does not know are left out.
std::vector<PickerLine> PickerLines(const std::vector<FrequencyEntry>& entries);
// The name of a kind ("Frequency" for kinds it does not know).
std::string KindName(uint16_t code);

}  // namespace avionics
