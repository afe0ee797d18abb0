#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/sim/tests/support/GuidanceRig.h"

namespace {

using guidancetest::Rig;
using guidancetest::SamplePoint;
using guidancetest::SampleRunway;

// Reads the published bytes at their documented offsets, without the record structs.
class Bytes {
 public:
  explicit Bytes(const unsigned char* p) : m_p(p) {}
  int U8(size_t at) const { return m_p[at]; }
  int32_t I32(size_t at) const {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | m_p[at + i];
    return static_cast<int32_t>(v);
  }
  double F64(size_t at) const {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | m_p[at + i];
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
  }
  float F32(size_t at) const {
    uint32_t v = static_cast<uint32_t>(I32(at));
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
  }
  std::string Text(size_t at, size_t size) const {
    const char* t = reinterpret_cast<const char*>(m_p + at);
    EXPECT_LT(strnlen(t, size), size) << "terminated within its field";
    return std::string(t, strnlen(t, size));
  }
  bool Zero(size_t size) const {
    for (size_t i = 0; i < size; ++i)
      if (m_p[i] != 0) return false;
    return true;
  }

 private:
  const unsigned char* m_p;
};

class Status : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
    m_rig = std::make_unique<Rig>(90, simhost::AircraftStart{46.85, 7.35, 6000, 240, 150});
    simhost::Aircraft& a = m_rig->Aircraft();
    a.secondsOfDay = 23 * 3600 + 50 * 60 + 30;  // 23:50:30 UTC
    a.utcOffsetHours = 1;
  }
  void SamplePlan() {
    m_rig->SetRoute({SamplePoint("LSZB", kKindAirport), SamplePoint("BLM", kKindNdb), SamplePoint("FRI", kKindVor),
                     SamplePoint("BELUS", kKindIntersection), SamplePoint("SPR", kKindVor),
                     SampleRunway("LSGG", "23")},
                    10000);
  }
  void Publish() {
    m_rig->block.Exchange(1);
    m_rig->plan->Publish();
  }
  const std::vector<PlanRow>& Rows() const { return m_rig->plan->m_rows; }
  Bytes Data() { return Bytes(m_rig->Named().fmsData); }
  Bytes Row(int i) { return Bytes(m_rig->Named().fmsWaypoints[i]); }
  Bytes Hsi() { return Bytes(m_rig->Named().hsiData); }
  std::unique_ptr<Rig> m_rig;
};

TEST_F(Status, FlagsFollowTheSimulatorAndTheGuidance) {
  struct Case {
    const char* name;
    bool autopilot, ground, plan, holding;
    uint32_t flags;
    int32_t expected[7];  // mode 2, fly-to possible, fly-to, plan possible, plan, holding possible, holding
  };
  const Case cases[] = {
      {"nothing", true, false, false, false, 0, {0, 1, 0, 0, 0, 0, 0}},
      {"no autopilot", false, false, true, true, 0, {0, 0, 0, 0, 0, 0, 0}},
      {"on the ground", true, true, true, false, 0, {0, 0, 0, 1, 0, 0, 0}},
      {"flying the plan", true, false, true, true, kGuidanceFlyingPlan, {0, 1, 0, 1, 1, 1, 0}},
      {"entering a holding", true, false, true, true, kGuidanceHoldingRequested | kGuidanceHolding, {0, 1, 0, 1, 0, 1, 3}},
      {"flying the pattern", true, false, true, true, kGuidanceHolding, {0, 1, 0, 1, 0, 1, 1}},
      {"flying to a point", true, false, false, false, kGuidanceFlyTo, {0, 1, 1, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.plan) SamplePlan();
    else m_rig->SetRoute({}, 10000);
    m_rig->Aircraft().autopilot.available = c.autopilot;
    m_rig->Aircraft().onGround = c.ground;
    m_rig->plan->m_holding.defined = c.holding;
    m_rig->plan->m_guidanceFlags = c.flags;
    Publish();
    const NamedVariableStorage& v = m_rig->Named();
    const int32_t got[7] = {v.fmcMode2, v.flyToPossible, v.flyTo, v.flyPlanPossible, v.flyPlan, v.holdingPossible,
                            v.holdingState};
    EXPECT_EQ(std::vector<int32_t>(c.expected, c.expected + 7), std::vector<int32_t>(got, got + 7));
  }
  g_Settings.SetAvionicsAutoMode2(true);
  Publish();
  EXPECT_EQ(1, m_rig->Named().fmcMode2);
}

TEST_F(Status, SummaryRowsAndHsiAtTheirOffsets) {
  SamplePlan();
  const int fri = 2;
  ASSERT_EQ(16u, Rows()[fri].kind & 0xFFFC) << "FRI is the third row";
  m_rig->block.Exchange(1);
  m_rig->plan->StartFlyPlan(fri);
  ASSERT_TRUE(m_rig->plan->IsFlyPlanActive());
  Publish();
  const simhost::Aircraft& a = m_rig->Aircraft();
  const PlanRow& w = Rows()[fri];
  const double toFri = GreatCircleDistance(a.latitude, a.longitude, w.latitude, w.longitude) / 1852;
  const double gs = m_rig->block.GetSnapshot().groundSpeed;

  Bytes d = Data();
  EXPECT_EQ(23, d.U8(0));
  EXPECT_EQ(50, d.U8(1));
  EXPECT_EQ(30, d.U8(2));
  EXPECT_EQ(0, d.U8(3)) << "local hour";
  EXPECT_EQ(50, d.U8(4));
  EXPECT_EQ(30, d.U8(5));
  EXPECT_EQ(1, d.I32(6));
  EXPECT_NEAR(toFri + w.remainingDistance, d.F64(10), 1e-9);
  EXPECT_EQ(1, d.I32(18));
  EXPECT_NEAR(d.F64(10) / gs * 60, d.F64(22), 1e-9);
  EXPECT_EQ(1, d.I32(30));
  const double minutes = d.F64(22);
  const int arrival = (23 * 3600 + 50 * 60 + 30 + static_cast<int>(minutes * 60)) % 86400;
  EXPECT_NEAR(arrival / 3600, d.U8(34), 0);
  EXPECT_NEAR(arrival / 60 % 60, d.U8(35), 1);

  const char* idents[3] = {"FRI", "BELUS", "SPR"};
  const char* kinds[3] = {"VOR/DME", "ISEC", "VOR/DME"};
  double distance = 0;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(idents[i]);
    Bytes r = Row(i);
    EXPECT_EQ(1, r.I32(0));
    EXPECT_EQ(1, r.I32(4));
    const int row = r.I32(8);
    ASSERT_GE(row, fri);
    EXPECT_EQ(Rows()[row].latitude, r.F64(12));
    EXPECT_EQ(Rows()[row].longitude, r.F64(20));
    EXPECT_EQ(idents[i], r.Text(97, 6));
    EXPECT_EQ(kinds[i], r.Text(89, 8));
    if (i != 1) {
      EXPECT_EQ(i == 0 ? "115.10" : "113.90", r.Text(103, 7));
      EXPECT_NEAR(i == 0 ? 115.10 : 113.90, r.F32(110), 1e-4);
    }
    if (i > 0) {
      EXPECT_DOUBLE_EQ(Rows()[row].course, r.F64(120));
    }
    EXPECT_GT(r.F64(128), distance);
    distance = r.F64(128);
    EXPECT_NEAR(distance / gs * 60, r.F64(136), 1e-9);
    EXPECT_DOUBLE_EQ(Rows()[row].remainingDistance, r.F64(144));
    EXPECT_NEAR(Rows()[row].remainingDistance / gs * 60, r.F64(152), 1e-9);
  }
  EXPECT_NEAR(toFri, Row(0).F64(128), 1e-9);
  EXPECT_EQ("Fribourg", Row(0).Text(28, 61));

  Bytes h = Hsi();
  EXPECT_EQ(1, h.I32(0));
  EXPECT_EQ(1, h.I32(12)) << "TO";
  EXPECT_GE(h.F64(4), -1.0);
  EXPECT_LE(h.F64(4), 1.0);
  EXPECT_NE(0.0, h.F64(4)) << "the aircraft is off the BLM-FRI line";
  EXPECT_EQ("FRI", h.Text(24, 6));
  EXPECT_EQ("115.10", h.Text(30, 7));
  EXPECT_NEAR(toFri, h.F64(37), 1e-9);
}

TEST_F(Status, TimesNeedGroundSpeedAndARateAndFollowTheRate) {
  SamplePlan();
  m_rig->plan->m_currentRow = 2;
  Publish();
  const double time1 = Data().F64(22), row1 = Row(0).F64(136);
  const int minute1 = Data().U8(35);

  m_rig->Aircraft().simulationRate = 2;
  Publish();
  EXPECT_NEAR(time1 / 2, Data().F64(22), 1e-9) << "halved";
  EXPECT_NEAR(row1 / 2, Row(0).F64(136), 1e-9);
  EXPECT_EQ(minute1, Data().U8(35)) << "the arrival clock does not change";

  for (const double rate : {std::numeric_limits<double>::quiet_NaN(), 0.0}) {
    m_rig->Aircraft().simulationRate = rate;
    Publish();
    EXPECT_EQ(0, Data().I32(18));
    EXPECT_EQ(0, Data().I32(30));
    EXPECT_EQ(0.0, Data().F64(22));
    EXPECT_EQ(0, Row(0).I32(4));
    EXPECT_GT(Row(0).F64(128), 0.0) << "distances stay";
  }
  m_rig->Aircraft().simulationRate = 1;
  m_rig->Aircraft().airspeed = 39;
  Publish();
  EXPECT_EQ(0, Data().I32(18));
  EXPECT_EQ(0, Row(1).I32(4));
  EXPECT_EQ(0.0, Row(1).F64(152));
  EXPECT_GT(Data().F64(10), 0.0);
}

TEST_F(Status, NothingButTheClockWithoutAnActiveRow) {
  SamplePlan();
  for (const int row : {-1, 8, 1000}) {
    m_rig->plan->m_currentRow = row;
    Publish();
    EXPECT_EQ(0, Data().I32(6));
    EXPECT_TRUE(Bytes(m_rig->Named().fmsData + 6).Zero(34));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(Row(i).Zero(160));
    EXPECT_TRUE(Hsi().Zero(45));
  }
  // Flying to a point fills the HSI block for it.
  m_rig->plan->m_guidanceFlags = kGuidanceFlyTo;
  m_rig->plan->m_flyToLatitude = 46.9;
  m_rig->plan->m_flyToLongitude = 7.35;
  Publish();
  EXPECT_EQ(1, Hsi().I32(0));
  EXPECT_EQ(0.0, Hsi().F64(4));
  EXPECT_NEAR(GreatCircleDistance(46.85, 7.35, 46.9, 7.35) / 1852, Hsi().F64(37), 0.05);
  EXPECT_EQ("", Hsi().Text(24, 6));
}

TEST_F(Status, RowsSkipBearingsAndEndAtTheDestinationWhileFlying) {
  m_rig->SetRoute({SamplePoint("FRI", kKindVor), SamplePoint("BELUS", kKindIntersection), SamplePoint("SPR", kKindVor),
                   SampleRunway("LSGG", "23"), SamplePoint("LSGG", kKindAirport)},
                  6000);
  {
    DatabaseLease lease;
    CRoute route = *m_rig->plan->GetCurrent();
    route[1].flags |= kPointBearing;
    m_rig->plan->Push(route);
    m_rig->plan->Rebuild();
  }
  int spr = -1;
  for (int i = 0; i < static_cast<int>(Rows().size()); ++i)
    if (Rows()[i].pointIndex == 2) spr = i;
  ASSERT_GE(spr, 0);
  m_rig->plan->m_currentRow = 0;
  Publish();
  EXPECT_EQ("FRI", Row(0).Text(97, 6));
  EXPECT_EQ("SPR", Row(1).Text(97, 6)) << "the bearing point is left out";
  EXPECT_EQ("23", Row(2).Text(97, 6));

  m_rig->block.Exchange(1);
  m_rig->plan->StartFlyPlan(spr);
  Publish();
  EXPECT_EQ("SPR", Row(0).Text(97, 6));
  EXPECT_EQ("23", Row(1).Text(97, 6));
  EXPECT_EQ("Rwy", Row(1).Text(89, 8));
  EXPECT_EQ("110.90", Row(1).Text(103, 7));
  EXPECT_NE(std::string::npos, Row(1).Text(28, 61).find("ILS")) << Row(1).Text(28, 61);
  EXPECT_TRUE(Row(2).Zero(160)) << "nothing after the destination while flying";
}

TEST_F(Status, UserPointNamesAndTextsWithinTheirFields) {
  m_rig->SetRoute({plantest::UserPoint(46.7, 7.0, "HOME"), plantest::UserPoint(46.6, 7.1, ""),
                   SamplePoint("FRI", kKindVor), SamplePoint("BLM", kKindNdb)},
                  6000);
  // A database ident that fills its six bytes and a frequency whose text is seven characters.
  VorRecord* vor = nullptr;
  NdbRecord* ndb = nullptr;
  {
    DatabaseLease lease;
    vor = lease.Database().GetVor((*m_rig->plan->GetCurrent())[2].ref.point);
    ndb = lease.Database().GetNdb((*m_rig->plan->GetCurrent())[3].ref.point);
  }
  ASSERT_TRUE(vor && ndb);
  char savedIdent[6];
  std::memcpy(savedIdent, vor->ident, 6);
  const float savedFrequency = ndb->frequency;
  std::memcpy(vor->ident, "ABCDEF", 6);
  ndb->frequency = 12345.6f;
  m_rig->plan->m_currentRow = 0;
  Publish();
  std::memcpy(vor->ident, savedIdent, 6);
  ndb->frequency = savedFrequency;

  EXPECT_EQ("HOME", Row(0).Text(28, 61));
  EXPECT_EQ("Fix", Row(0).Text(89, 8));
  EXPECT_EQ("HOME", Row(0).Text(97, 6));
  const std::string automatic = Row(1).Text(97, 6);
  ASSERT_EQ("Fix", automatic.substr(0, 3)) << "an automatic name";
  EXPECT_NE(std::string::npos, Row(1).Text(28, 61).find(", ")) << "shown by its coordinates";
  EXPECT_EQ("ABCDE", Row(2).Text(97, 6));
  // Only three rows: the NDB is checked through the active row at it.
  m_rig->plan->m_currentRow = 3;
  std::memcpy(vor->ident, "ABCDEF", 6);
  ndb->frequency = 12345.6f;
  Publish();
  std::memcpy(vor->ident, savedIdent, 6);
  ndb->frequency = savedFrequency;
  EXPECT_EQ("12345.", Row(0).Text(103, 7));
  EXPECT_EQ("12345.", Hsi().Text(30, 7));
}

// The HSI block beside an eastbound leg of 24 nm to W, with a host variation of 3 degrees east:
// an aircraft right of the course sees the needle left (negative), one nm off a fifth of full
// scale, and beyond W the selected course still points along the leg, away from W.
TEST_F(Status, HsiDeviationSignAndCourseToAndFromTheWaypoint) {
  const double pLat = 46.5, pLon = 6.6, wLat = 46.5, wLon = 7.18;
  m_rig->SetRoute({plantest::UserPoint(pLat, pLon, "PPP"), plantest::UserPoint(wLat, wLon, "WWW")}, 6000);
  int w = -1;
  for (int i = 0; i < static_cast<int>(Rows().size()); ++i)
    if (Rows()[i].pointIndex == 1) w = i;
  ASSERT_GE(w, 0);
  m_rig->Aircraft().magneticVariation = 3;
  struct Case {
    const char* name;
    double along;  // nm past W along the leg, negative before it
    double right;  // nm right of the leg, looking along it
    int32_t toFrom;
    double deviation;
  };
  const Case cases[] = {
      {"right of course, to", -10, 1, 1, -0.2},  {"left of course, to", -10, -1, 1, 0.2},
      {"right of course, from", 2, 1, -1, -0.2}, {"left of course, from", 2, -1, -1, 0.2},
      {"far right, to", -10, 7, 1, -1.0},        {"on course, to", -10, 0, 1, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The point of the leg (or its continuation past W) abeam the aircraft, and the course
    // flown there.
    const double back = InitialCourse(wLat, wLon, pLat, pLon);
    double lat, lon;
    const double outward = c.along < 0 ? back : std::fmod(back + 180, 360.0);
    DestinationPoint(lat, lon, wLat, wLon, outward, std::fabs(c.along) * 1852);
    const double course = c.along < 0 ? InitialCourse(lat, lon, wLat, wLon) : InitialCourse(wLat, wLon, lat, lon);
    simhost::Aircraft& a = m_rig->Aircraft();
    DestinationPoint(a.latitude, a.longitude, lat, lon, std::fmod(course + 90, 360.0), c.right * 1852);
    m_rig->plan->m_currentRow = w;
    Publish();
    Bytes h = Hsi();
    ASSERT_EQ(1, h.I32(0));
    EXPECT_EQ(c.toFrom, h.I32(12));
    EXPECT_NEAR(c.deviation, h.F64(4), 0.01);
    EXPECT_NEAR(std::fmod(course - 3 + 360, 360.0), h.F64(16), 0.5) << "the selected course, magnetic";
    EXPECT_NEAR(GreatCircleDistance(a.latitude, a.longitude, wLat, wLon) / 1852, h.F64(37), 1e-3);
  }
}

TEST(StatusClock, MinutesAddedWrapAtMidnight) {
  struct Case {
    int h, m, s;
    double minutes;
    int eh, em, es;
  };
  const Case cases[] = {
      {23, 50, 30, 15.5, 0, 6, 0}, {10, 0, 0, 0, 10, 0, 0}, {12, 59, 59, 0.0167, 13, 0, 0},
      {22, 0, 0, 25 * 60, 23, 0, 0}, {0, 0, 0, 59.99, 0, 59, 59},
  };
  for (const Case& c : cases) {
    uint8_t h = c.h, m = c.m, s = c.s;
    ASSERT_TRUE(AddMinutesToClock(h, m, s, c.minutes));
    EXPECT_EQ(c.eh, h) << c.minutes;
    EXPECT_EQ(c.em, m) << c.minutes;
    EXPECT_EQ(c.es, s) << c.minutes;
  }
  uint8_t h = 1, m = 2, s = 3;
  EXPECT_FALSE(AddMinutesToClock(h, m, s, std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(AddMinutesToClock(h, m, s, 1e30));
  EXPECT_EQ(1, h);
}

}  // namespace
