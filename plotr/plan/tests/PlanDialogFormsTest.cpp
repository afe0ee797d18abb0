#include "plotr/plan/PlanDialogForms.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <sstream>

#include "platform/profile/Document.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/Units.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

class PlanDialogForms : public ::testing::Test {
 protected:
  PlanDialogForms() : m_folder("dialogforms") {
    WriteAll(Ini(),
             "; my fleet\r\n[Bare]\r\n[Fast]\r\nclimbspeed=80\r\ndescentspeed=120\r\ncruisespeed=300\r\n"
             "fuelmeasure=2\r\nwithoutash=1\r\n[Other]\r\nnote=kept\r\n");
  }
  std::filesystem::path Ini() const { return m_folder.AircraftIni(); }
  AircraftDialogValues Values() const {
    AircraftDialogValues v;
    v.name = "Mine";
    v.climbSpeed = 90, v.climbFuel = 12, v.climbRate = 600, v.cruiseSpeed = 110, v.cruiseFuel = 10;
    v.cruiseAltitude = 9000, v.descentSpeed = 80, v.descentFuel = 6, v.descentRate = 500;
    return v;
  }
  plantest::ScopedPlanFolder m_folder;
};

TEST_F(PlanDialogForms, ProfileListReadsWithTheDialogsDefaultsAndCapsTheDescent) {
  AircraftProfileList list(Ini());
  ASSERT_TRUE(list.Load());
  ASSERT_EQ(list.Profiles().size(), 3u);
  const AircraftProfile* bare = list.Find("BARE");
  ASSERT_NE(bare, nullptr);
  const int expected[9] = {70, 14, 550, 110, 10, 9000, 70, 5, 700};
  const int got[9] = {bare->climbSpeed,     bare->climbFuel,    bare->climbRate,   bare->cruiseSpeed, bare->cruiseFuel,
                      bare->cruiseAltitude, bare->descentSpeed, bare->descentFuel, bare->descentRate};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(got[i], expected[i]) << i;
  EXPECT_EQ(bare->FuelUnit(), 0);
  EXPECT_FALSE(bare->WithoutAsh());
  const AircraftProfile* fast = list.Find("fast");
  ASSERT_NE(fast, nullptr);
  EXPECT_EQ(fast->descentSpeed, 80) << "never slower in the climb than on the way down";
  EXPECT_EQ(fast->FuelUnit(), 2);
  EXPECT_TRUE(fast->WithoutAsh());
}

TEST_F(PlanDialogForms, SaveWritesEveryProfileOnceAndKeepsWhatItDoesNotList) {
  AircraftForm form(Values(), true, Ini());
  EXPECT_TRUE(form.CanSave());
  EXPECT_FALSE(form.CanDelete());
  form.shown.descentSpeed = 200;
  ASSERT_FALSE(form.Save());
  EXPECT_EQ(form.shown.descentSpeed, 90) << "capped at the climb speed";
  EXPECT_TRUE(form.CanDelete());

  profile::Document doc;
  ASSERT_TRUE(doc.Load(Ini()));
  EXPECT_EQ(doc.Keys("Mine"), (std::vector<std::string>{"withoutash", "climbspeed", "climbfuel", "climbrate",
                                                         "cruisespeed", "cruisefuel", "cruisealtitude", "descentspeed",
                                                         "descentfuel", "descentrate", "fuelmeasure", "revision"}));
  EXPECT_EQ(doc.GetString("Mine", "revision", ""), "3");
  EXPECT_EQ(doc.GetString("Bare", "climbrate", ""), "550") << "listed profiles are written whole";
  EXPECT_EQ(doc.GetString("Other", "note", ""), "kept");
  EXPECT_NE(ReadAll(Ini()).find("; my fleet"), std::string::npos);

  // Another case of the name is the same profile: replaced, then deleted.
  form.shown.name = "MINE";
  form.shown.cruiseFuel = 33;
  ASSERT_FALSE(form.Save());
  AircraftProfileList list(Ini());
  ASSERT_TRUE(list.Load());
  EXPECT_EQ(list.Profiles().size(), 4u);
  EXPECT_EQ(list.Find("mine")->cruiseFuel, 33);
  EXPECT_EQ(form.Names(), (std::vector<std::string>{"Bare", "Fast", "Other", "MINE"})) << "listed once, as last saved";
  EXPECT_TRUE(form.Select("mInE"));
  EXPECT_EQ(form.shown.cruiseFuel, 33);
  EXPECT_TRUE(form.Remove());
  EXPECT_TRUE(form.shown.name.empty());
  ASSERT_TRUE(doc.Load(Ini()));
  EXPECT_FALSE(doc.HasSection("Mine"));
  EXPECT_FALSE(form.Select("Mine"));
}

TEST_F(PlanDialogForms, SaveRefusesANameTheFileCannotHold) {
  const std::string before = ReadAll(Ini());
  AircraftForm form(Values(), true, Ini());
  form.shown.name = "Bad]name";
  const auto error = form.Save();
  ASSERT_TRUE(error);
  EXPECT_EQ(error->id, AircraftForm::kIdName);
  EXPECT_FALSE(form.CanDelete()) << "not shown as saved";
  EXPECT_EQ(ReadAll(Ini()), before);
}

TEST_F(PlanDialogForms, RangesAndTheTrueAirspeedDisplay) {
  AircraftForm form(Values(), false, Ini());
  EXPECT_EQ(form.shown.cruiseSpeed, static_cast<int>(IasToTas(110, 9000)));
  EXPECT_EQ(form.shown.climbSpeed, static_cast<int>(IasToTas(90, 9000)));
  EXPECT_EQ(form.shown.descentSpeed, static_cast<int>(IasToTas(80, 0)));
  AircraftDialogValues out;
  ASSERT_FALSE(form.Accept(out));
  EXPECT_EQ(out.cruiseSpeed, static_cast<int>(TasToIas(IasToTas(110, 9000), 9000)));
  ASSERT_FALSE(form.Save());
  AircraftProfileList list(Ini());
  ASSERT_TRUE(list.Load());
  EXPECT_EQ(list.Find("Mine")->cruiseSpeed, static_cast<int>(TasToIas(IasToTas(110, 9000), 9000)));

  struct Case {
    int AircraftDialogValues::*member;
    int value;
    int id;  // 0: accepted
  } cases[] = {
      {&AircraftDialogValues::cruiseSpeed, 9, 8020},       {&AircraftDialogValues::climbSpeed, 5001, 8017},
      {&AircraftDialogValues::cruiseAltitude, 99, 8022},   {&AircraftDialogValues::cruiseAltitude, 90000, 0},
      {&AircraftDialogValues::descentRate, 10001, 8025},   {&AircraftDialogValues::climbFuel, 0, 8018},
      {&AircraftDialogValues::descentFuel, 10000000, 0},
  };
  for (const Case& c : cases) {
    AircraftForm f(Values(), true, Ini());
    f.shown.*c.member = c.value;
    const auto error = f.Validate();
    EXPECT_EQ(error ? error->id : 0, c.id) << c.value;
  }

  AircraftDialogValues empty = Values();
  empty.routeEmpty = true;
  EXPECT_FALSE(AircraftForm(empty, true, Ini()).ApplyEnabled());
  AircraftForm unnamed(Values(), true, Ini());
  unnamed.shown.name.clear();
  EXPECT_FALSE(unnamed.CanSave());
}

TEST_F(PlanDialogForms, CruiseCapsTheAltitudeAndClampsTheSpeed) {
  CruiseDialogValues in;
  in.altitude = 8000, in.profileCruiseAltitude = 9000, in.speed = 100, in.lowestSpeed = 70, in.highestSpeed = 110;
  CruiseForm form(in, true);
  EXPECT_EQ(form.AltitudeLimitText(), "(<= 10800)");
  EXPECT_EQ(form.SpeedRangeText(), "(70 - 110)");
  struct Case {
    int altitude, speed, wantAltitude, wantSpeed;
  } cases[] = {{12000, 60, 10800, 70}, {10800, 130, 10800, 110}, {5000, 90, 5000, 90}};
  for (const Case& c : cases) {
    form.altitude = c.altitude;
    form.speed = c.speed;
    const CruiseDialogValues out = form.Accept();
    EXPECT_EQ(out.altitude, c.wantAltitude);
    EXPECT_EQ(out.speed, c.wantSpeed);
  }

  CruiseForm tas(in, false);
  EXPECT_EQ(tas.speed, static_cast<int>(IasToTas(100, 9000)));
  EXPECT_EQ(tas.highestSpeed, static_cast<int>(IasToTas(110, 9000)));
  tas.clearSpeeds = true;
  const CruiseDialogValues out = tas.Accept();
  EXPECT_EQ(out.speed, static_cast<int>(TasToIas(IasToTas(100, 9000), 9000)));
  EXPECT_TRUE(out.applySpeedToAll);
  EXPECT_FALSE(out.applyAltitudeToAll);
}

TEST_F(PlanDialogForms, HoldingLengthIsReadStrictly) {
  struct Case {
    const char* text;
    double value;  // 0: refused
  } cases[] = {{"1.5", 1.5}, {"10", 10}, {"1", 1}, {"2.", 2}, {".", 0}, {"1.2.3", 0}, {"11", 0},
               {"0.5", 0}, {"", 0},     {"1,5", 0}, {"-2", 0}, {" 2", 0}};
  for (const Case& c : cases) EXPECT_EQ(ParseHoldingLength(c.text).value_or(0), c.value) << c.text;

  // A comma locale must not change how the stored text reads.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    EXPECT_EQ(ParseHoldingLength("1.5").value_or(0), 1.5);
    std::setlocale(LC_NUMERIC, "C");
  }
}

TEST_F(PlanDialogForms, HoldingKeepsOneLengthPerUnitAndTurnsTheHeading) {
  g_Settings.SetHoldingTime("12");
  EXPECT_EQ(HoldingDialogDefaults().segmentLength, "1.5") << "a stored length out of range";
  g_Settings.SetHoldingDist("7");

  HoldingDialogValues in = HoldingDialogDefaults();
  in.heading = 270;
  in.segmentLength = "2";
  HoldingForm form(in);
  form.SetHeadingMode(1);
  EXPECT_EQ(form.headingText, "90");
  form.SetHeadingMode(0);
  EXPECT_EQ(form.headingText, "270");

  form.SetSegmentKind(1);
  EXPECT_EQ(g_Settings.GetHoldingTime(false), "2");
  EXPECT_EQ(form.values.segmentLength, "7");
  form.values.segmentLength = "8";
  form.SetSegmentKind(0);
  EXPECT_EQ(form.values.segmentLength, "2");
  EXPECT_EQ(g_Settings.GetHoldingDist(false), "8");

  HoldingDialogValues out;
  form.headingText = "361";
  EXPECT_EQ(form.Accept(out)->id, HoldingForm::kIdHeading);
  form.headingText = "45";
  form.values.segmentLength = "11";
  EXPECT_EQ(form.Accept(out)->id, HoldingForm::kIdLength);
  form.values.segmentLength = "3.5";
  ASSERT_FALSE(form.Accept(out));
  EXPECT_EQ(out.heading, 45);
  EXPECT_EQ(out.segmentLength, "3.5");
  EXPECT_EQ(g_Settings.GetHoldingTime(true), "3.5");
}

}  // namespace
