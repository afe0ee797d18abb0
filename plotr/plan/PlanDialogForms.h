#pragma once

// The rules of the aircraft, cruise and holding dialogs without their windows: what they read
// and write in "Aircraft.ini" and the settings, the airspeed display rule, ranges, caps, clamps
// and button states. The wx dialogs only move text between these forms and their controls.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/ToolDialogs.h"

// Every profile of "Aircraft.ini" as the aircraft dialog lists it. Missing keys read as the
// dialog's own defaults, which are not those the route seeds with, and a descent speed above
// the climb speed reads as the climb speed. Names compare ignoring case.
class AircraftProfileList {
 public:
  explicit AircraftProfileList(std::filesystem::path file) : m_file(std::move(file)) {}
  // False when the file exists but cannot be read (the list is then empty).
  bool Load();
  const std::vector<AircraftProfile>& Profiles() const { return m_profiles; }
  const AircraftProfile* Find(std::string_view name) const;
  // Replaces the profile of that name (or appends it) and writes every listed profile in one
  // save. False, with list and file unchanged, when the name cannot be a section name of the
  // file or the write failed.
  bool Save(const AircraftProfile& profile);
  // Removes the first profile of that name and its section; false when there is none or the
  // write failed.
  bool Remove(std::string_view name);

 private:
  bool Write(const std::vector<AircraftProfile>& profiles, std::string_view removed) const;
  std::filesystem::path m_file;
  std::vector<AircraftProfile> m_profiles;
};

// The nine performance values of a profile as the aircraft dialog's values hold them.
struct AircraftValueField {
  int32_t AircraftProfile::*profile;
  int AircraftDialogValues::*dialog;
};
extern const AircraftValueField kAircraftValueFields[9];

// A whole decimal number as a dialog field holds it: digits with an optional sign, nothing else.
std::optional<int> ParseDialogInt(std::string_view text);

// An integer field with its control id and range, checked on OK and Save.
struct DialogFieldRule {
  int id;
  int AircraftDialogValues::*member;
  int lowest;
  int highest;
};
extern const DialogFieldRule kAircraftFieldRules[9];

// A refused entry: the control to focus and the message to show.
struct FieldError {
  int id = 0;
  std::string message;
};

// The validation message for an integer outside [lowest, highest].
std::string IntegerRangeMessage(int lowest, int highest);

// The aircraft dialog's state. `shown` holds what the fields display: with indicated airspeeds
// off, climb and cruise speeds are true airspeeds at the cruise altitude and the touch-down
// speed one at sea level.
class AircraftForm {
 public:
  // Control ids the rules name.
  enum : int {
    kIdName = 8010, kIdNew = 8011, kIdSave = 8012, kIdDelete = 8013, kIdWithoutAsh = 8014,
    kIdTrueCaption = 8015, kIdIndicatedCaption = 8016, kIdFuelUnit = 8026,
    kIdApplyAltitude = 8027, kIdApplySpeed = 8028,
  };
  AircraftForm(const AircraftDialogValues& in, bool indicated, std::filesystem::path iniFile);

  AircraftDialogValues shown;
  bool Indicated() const { return m_indicated; }
  const AircraftProfileList& List() const { return m_list; }
  std::vector<std::string> Names() const;

  // Button states after the name changed: Save and OK need a name, Delete a listed one.
  bool CanSave() const { return !shown.name.empty(); }
  bool CanDelete() const { return m_list.Find(shown.name) != nullptr; }
  bool ApplyEnabled() const { return !shown.routeEmpty; }

  // Shows the listed profile of that name; false when there is none.
  bool Select(std::string_view name);
  // Checks every field; the first refused one, or nothing.
  std::optional<FieldError> Validate() const;
  // Validate, cap the descent speed at the climb speed and store the profile. A refused name
  // or a failed write is reported as an error with id kIdName.
  std::optional<FieldError> Save();
  // Removes the profile of the shown name; the name is emptied when it was listed.
  bool Remove();
  // For OK: validate, cap and give the values in indicated airspeeds.
  std::optional<FieldError> Accept(AircraftDialogValues& out);

 private:
  void Show(const AircraftProfile& profile);
  AircraftProfile ToProfile() const;
  void CapDescent() {
    if (shown.climbSpeed < shown.descentSpeed) shown.descentSpeed = shown.climbSpeed;
  }
  bool m_indicated;
  AircraftProfileList m_list;
};

// The cruise dialog's state, in displayed units.
class CruiseForm {
 public:
  CruiseForm(const CruiseDialogValues& in, bool indicated);
  int altitude = 0;
  int speed = 0;
  int lowestSpeed = 0;   // displayed
  int highestSpeed = 0;
  bool clearAltitudes = false;
  bool clearSpeeds = false;
  bool Indicated() const { return m_indicated; }
  std::string AltitudeLimitText() const;  // "(<= 10800)"
  std::string SpeedRangeText() const;     // "(70 - 110)"
  // For OK: back to indicated airspeed, altitude capped, speed clamped into the profile's range.
  CruiseDialogValues Accept() const;

 private:
  CruiseDialogValues m_in;
  bool m_indicated;
};

// The holding leg length as typed or stored: digits with at most one point, read in the C
// locale, from 1 to 10; nothing otherwise.
std::optional<double> ParseHoldingLength(std::string_view text);
// The stored leg lengths as the dialog shows them: the default when missing or out of range.
std::string ShownHoldingTime();
std::string ShownHoldingDist();
// The holding dialog's own start: right turns, inbound course 0, minutes of the stored time.
HoldingDialogValues HoldingDialogDefaults();

// The holding dialog's state. The heading stays text until OK.
class HoldingForm {
 public:
  enum : int { kIdHeadingMode = 8220, kIdHeading = 8221, kIdTurn = 8222, kIdSegmentKind = 8223, kIdLength = 8224 };
  explicit HoldingForm(const HoldingDialogValues& in);
  HoldingDialogValues values;
  std::string headingText;
  // Inbound and outbound describe the same pattern from opposite ends: the heading turns round.
  void SetHeadingMode(int mode);
  // Keeps one remembered length per unit: the typed one goes to the setting of the unit left,
  // the new unit's stored one is shown.
  void SetSegmentKind(int kind);
  // For OK: heading 0 to 360 and length 1 to 10, else the refused field; the length is stored
  // as the setting of its unit.
  std::optional<FieldError> Accept(HoldingDialogValues& out);
};
