#include "plotr/plan/PlanDialogForms.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/profile/Document.h"
#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/Units.h"

namespace {

struct IniKey {
  const char* key;
  int32_t AircraftProfile::*member;
  int fallback;
};

// The order in which a saved section lists its keys, after "withoutash".
constexpr IniKey kIniKeys[] = {
    {"climbspeed", &AircraftProfile::climbSpeed, 70},         {"climbfuel", &AircraftProfile::climbFuel, 14},
    {"climbrate", &AircraftProfile::climbRate, 550},          {"cruisespeed", &AircraftProfile::cruiseSpeed, 110},
    {"cruisefuel", &AircraftProfile::cruiseFuel, 10},         {"cruisealtitude", &AircraftProfile::cruiseAltitude, 9000},
    {"descentspeed", &AircraftProfile::descentSpeed, 70},     {"descentfuel", &AircraftProfile::descentFuel, 5},
    {"descentrate", &AircraftProfile::descentRate, 700},
};

// The file holds "%u" values.
std::string Unsigned(int32_t value) { return std::to_string(static_cast<uint32_t>(value)); }

bool SetProfile(profile::Document& doc, const AircraftProfile& p) {
  const std::string section(p.Name());
  bool ok = doc.Set(section, "withoutash", p.WithoutAsh() ? "1" : "0");
  for (const IniKey& k : kIniKeys) ok = ok && doc.Set(section, k.key, Unsigned(p.*k.member));
  ok = ok && doc.Set(section, "fuelmeasure", std::to_string(p.FuelUnit()));
  return ok && doc.Set(section, "revision", "3");
}

// Airspeeds as the fields show them: true airspeeds when indicated ones are not wanted.
void ToShown(AircraftDialogValues& v, bool indicated) {
  if (indicated) return;
  v.climbSpeed = static_cast<int>(IasToTas(v.climbSpeed, v.cruiseAltitude));
  v.cruiseSpeed = static_cast<int>(IasToTas(v.cruiseSpeed, v.cruiseAltitude));
  v.descentSpeed = static_cast<int>(IasToTas(v.descentSpeed, 0));
}

void ToIndicated(AircraftDialogValues& v, bool indicated) {
  if (indicated) return;
  v.climbSpeed = static_cast<int>(TasToIas(v.climbSpeed, v.cruiseAltitude));
  v.cruiseSpeed = static_cast<int>(TasToIas(v.cruiseSpeed, v.cruiseAltitude));
  v.descentSpeed = static_cast<int>(TasToIas(v.descentSpeed, 0));
}

}  // namespace

const AircraftValueField kAircraftValueFields[9] = {
    {&AircraftProfile::climbSpeed, &AircraftDialogValues::climbSpeed},
    {&AircraftProfile::climbFuel, &AircraftDialogValues::climbFuel},
    {&AircraftProfile::climbRate, &AircraftDialogValues::climbRate},
    {&AircraftProfile::cruiseSpeed, &AircraftDialogValues::cruiseSpeed},
    {&AircraftProfile::cruiseFuel, &AircraftDialogValues::cruiseFuel},
    {&AircraftProfile::cruiseAltitude, &AircraftDialogValues::cruiseAltitude},
    {&AircraftProfile::descentSpeed, &AircraftDialogValues::descentSpeed},
    {&AircraftProfile::descentFuel, &AircraftDialogValues::descentFuel},
    {&AircraftProfile::descentRate, &AircraftDialogValues::descentRate},
};

std::optional<int> ParseDialogInt(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

bool AircraftProfileList::Load() {
  m_profiles.clear();
  profile::Document doc;
  if (!doc.Load(m_file)) return false;
  for (const std::string& section : doc.SectionNames()) {
    AircraftProfile p;
    p.SetName(section);
    p.SetWithoutAsh(doc.GetInt(section, "withoutash", 0) != 0);
    for (const IniKey& k : kIniKeys) p.*k.member = doc.GetInt(section, k.key, k.fallback);
    p.SetFuelUnit(doc.GetInt(section, "fuelmeasure", 0));
    if (p.climbSpeed < p.descentSpeed) p.descentSpeed = p.climbSpeed;
    m_profiles.push_back(p);
  }
  return true;
}

const AircraftProfile* AircraftProfileList::Find(std::string_view name) const {
  for (const AircraftProfile& p : m_profiles) {
    if (win::EqualsNoCase(p.Name(), name)) return &p;
  }
  return nullptr;
}

bool AircraftProfileList::Write(const std::vector<AircraftProfile>& profiles, std::string_view removed) const {
  // One load and one save: comments and sections the list does not hold stay as they were.
  profile::Document doc;
  if (!doc.Load(m_file)) return false;
  if (!removed.empty()) doc.DeleteSection(removed);
  for (const AircraftProfile& p : profiles) {
    if (!SetProfile(doc, p)) return false;
  }
  return doc.Save(m_file);
}

bool AircraftProfileList::Save(const AircraftProfile& profile) {
  std::vector<AircraftProfile> next = m_profiles;
  auto same = std::find_if(next.begin(), next.end(),
                           [&](const AircraftProfile& p) { return win::EqualsNoCase(p.Name(), profile.Name()); });
  if (same != next.end()) {
    *same = profile;
  } else {
    next.push_back(profile);
  }
  if (profile.Name().empty() || !Write(next, {})) return false;
  m_profiles = std::move(next);
  return true;
}

bool AircraftProfileList::Remove(std::string_view name) {
  const AircraftProfile* found = Find(name);
  if (!found) return false;
  std::vector<AircraftProfile> next = m_profiles;
  next.erase(next.begin() + (found - m_profiles.data()));
  profile::Document doc;
  if (!doc.Load(m_file) || (doc.HasSection(name) && (!doc.DeleteSection(name) || !doc.Save(m_file)))) return false;
  m_profiles = std::move(next);
  return true;
}

const DialogFieldRule kAircraftFieldRules[9] = {
    {8020, &AircraftDialogValues::cruiseSpeed, 10, 5000},
    {8017, &AircraftDialogValues::climbSpeed, 10, 5000},
    {8023, &AircraftDialogValues::descentSpeed, 10, 5000},
    {8022, &AircraftDialogValues::cruiseAltitude, 100, 90000},
    {8019, &AircraftDialogValues::climbRate, 10, 10000},
    {8025, &AircraftDialogValues::descentRate, 10, 10000},
    {8021, &AircraftDialogValues::cruiseFuel, 1, 10000000},
    {8018, &AircraftDialogValues::climbFuel, 1, 10000000},
    {8024, &AircraftDialogValues::descentFuel, 1, 10000000},
};

std::string IntegerRangeMessage(int lowest, int highest) {
  return "Please enter an integer between " + std::to_string(lowest) + " and " + std::to_string(highest) + ".";
}

AircraftForm::AircraftForm(const AircraftDialogValues& in, bool indicated, std::filesystem::path iniFile)
    : shown(in), m_indicated(indicated), m_list(std::move(iniFile)) {
  ToShown(shown, m_indicated);
  m_list.Load();
}

std::vector<std::string> AircraftForm::Names() const {
  std::vector<std::string> names;
  for (const AircraftProfile& p : m_list.Profiles()) names.emplace_back(p.Name());
  return names;
}

void AircraftForm::Show(const AircraftProfile& profile) {
  for (const AircraftValueField& f : kAircraftValueFields) shown.*f.dialog = profile.*f.profile;
  shown.fuelUnit = profile.FuelUnit();
  shown.withoutAsh = profile.WithoutAsh();
  ToShown(shown, m_indicated);
}

bool AircraftForm::Select(std::string_view name) {
  const AircraftProfile* p = m_list.Find(name);
  if (!p) return false;
  shown.name = std::string(p->Name());
  Show(*p);
  return true;
}

std::optional<FieldError> AircraftForm::Validate() const {
  for (const DialogFieldRule& r : kAircraftFieldRules) {
    const int v = shown.*r.member;
    if (v < r.lowest || v > r.highest) return FieldError{r.id, IntegerRangeMessage(r.lowest, r.highest)};
  }
  return std::nullopt;
}

AircraftProfile AircraftForm::ToProfile() const {
  AircraftDialogValues v = shown;
  ToIndicated(v, m_indicated);
  AircraftProfile p;
  p.SetName(v.name);
  for (const AircraftValueField& f : kAircraftValueFields) p.*f.profile = v.*f.dialog;
  p.SetFuelUnit(v.fuelUnit);
  p.SetWithoutAsh(v.withoutAsh);
  return p;
}

std::optional<FieldError> AircraftForm::Save() {
  if (auto error = Validate()) return error;
  CapDescent();
  const AircraftProfile p = ToProfile();
  if (!m_list.Save(p)) {
    return FieldError{kIdName, "The aircraft \"" + std::string(p.Name()) + "\" could not be saved in " +
                                   kAircraftIniName + "."};
  }
  shown.name = std::string(p.Name());
  return std::nullopt;
}

bool AircraftForm::Remove() {
  if (!m_list.Remove(shown.name)) return false;
  shown.name.clear();
  return true;
}

std::optional<FieldError> AircraftForm::Accept(AircraftDialogValues& out) {
  if (auto error = Validate()) return error;
  CapDescent();
  out = shown;
  out.name = std::string(ToProfile().Name());
  ToIndicated(out, m_indicated);
  return std::nullopt;
}

CruiseForm::CruiseForm(const CruiseDialogValues& in, bool indicated)
    : altitude(in.altitude), speed(in.speed), lowestSpeed(in.lowestSpeed), highestSpeed(in.highestSpeed),
      clearAltitudes(in.applyAltitudeToAll), clearSpeeds(in.applySpeedToAll), m_in(in), m_indicated(indicated) {
  if (!m_indicated) {
    speed = static_cast<int>(IasToTas(speed, in.profileCruiseAltitude));
    lowestSpeed = static_cast<int>(IasToTas(lowestSpeed, in.profileCruiseAltitude));
    highestSpeed = static_cast<int>(IasToTas(highestSpeed, in.profileCruiseAltitude));
  }
}

namespace {
int CapOf(int profileCruiseAltitude) {
  AircraftProfile p;
  p.cruiseAltitude = profileCruiseAltitude;
  return CruiseAltitudeCap(p);
}
}  // namespace

std::string CruiseForm::AltitudeLimitText() const {
  return "(<= " + Unsigned(CapOf(m_in.profileCruiseAltitude)) + ")";
}

std::string CruiseForm::SpeedRangeText() const {
  return "(" + Unsigned(lowestSpeed) + " - " + Unsigned(highestSpeed) + ")";
}

CruiseDialogValues CruiseForm::Accept() const {
  CruiseDialogValues out = m_in;
  const int at = m_in.profileCruiseAltitude;
  int lowest = lowestSpeed, highest = highestSpeed;
  out.speed = speed;
  if (!m_indicated) {
    out.speed = static_cast<int>(TasToIas(speed, at));
    lowest = static_cast<int>(TasToIas(lowestSpeed, at));
    highest = static_cast<int>(TasToIas(highestSpeed, at));
  }
  out.altitude = std::min(altitude, CapOf(at));
  if (out.speed < lowest) {
    out.speed = lowest;
  } else if (out.speed > highest) {
    out.speed = highest;
  }
  out.applyAltitudeToAll = clearAltitudes;
  out.applySpeedToAll = clearSpeeds;
  return out;
}

std::optional<double> ParseHoldingLength(std::string_view text) {
  if (text.empty() || std::count(text.begin(), text.end(), '.') > 1 ||
      std::any_of(text.begin(), text.end(), [](char c) { return c != '.' && (c < '0' || c > '9'); }) ||
      text.find_first_of("0123456789") == std::string_view::npos) {
    return std::nullopt;
  }
  double value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || ptr != text.data() + text.size() || value < 1 || value > 10) return std::nullopt;
  return value;
}

std::string ShownHoldingTime() {
  std::string text = g_Settings.GetHoldingTime(false);
  return ParseHoldingLength(text) ? text : "1.5";
}

std::string ShownHoldingDist() {
  std::string text = g_Settings.GetHoldingDist(false);
  return ParseHoldingLength(text) ? text : "5";
}

HoldingDialogValues HoldingDialogDefaults() {
  HoldingDialogValues v;
  v.segmentLength = ShownHoldingTime();
  return v;
}

HoldingForm::HoldingForm(const HoldingDialogValues& in) : values(in), headingText(std::to_string(in.heading)) {}

void HoldingForm::SetHeadingMode(int mode) {
  if (mode == values.headingMode) return;
  values.headingMode = mode;
  const int heading = ParseDialogInt(headingText).value_or(0);
  headingText = std::to_string(static_cast<unsigned>(heading + 180) % 360u);
}

void HoldingForm::SetSegmentKind(int kind) {
  if (kind == values.segmentKind) return;
  const bool valid = ParseHoldingLength(values.segmentLength).has_value();
  if (kind == 0) {
    if (valid) g_Settings.SetHoldingDist(values.segmentLength);
    values.segmentLength = ShownHoldingTime();
  } else {
    if (valid) g_Settings.SetHoldingTime(values.segmentLength);
    values.segmentLength = ShownHoldingDist();
  }
  values.segmentKind = kind;
}

std::optional<FieldError> HoldingForm::Accept(HoldingDialogValues& out) {
  const std::optional<int> heading = ParseDialogInt(headingText);
  if (!heading || *heading < 0 || *heading > 360) return FieldError{kIdHeading, IntegerRangeMessage(0, 360)};
  if (!ParseHoldingLength(values.segmentLength)) {
    return FieldError{kIdLength, "Please enter a number between 1 and 10."};
  }
  if (values.segmentKind == 1) {
    g_Settings.SetHoldingDist(values.segmentLength);
  } else {
    g_Settings.SetHoldingTime(values.segmentLength);
  }
  values.heading = *heading;
  out = values;
  return std::nullopt;
}
