// The tower-view and waypoint-settings dialogs and their position fields as windows, driven
// through the modal hook. Needs a display.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <mutex>
#include <vector>

#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/PlotrDocument.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/views/CoordinateText.h"
#include "plotr/views/ManualWaypointForm.h"
#include "plotr/views/window/FilterEdit.h"
#include "plotr/views/window/ManualWaypointDlg.h"
#include "plotr/views/window/TowerViewDlg.h"

namespace {

using namespace plantest;
using Form = ManualWaypointForm;

class FakeDocument : public IPlotrDocument {
 public:
  explicit FakeDocument(const PlanUiServices& ui) : plan(ui) {}
  CFlightPlanCore& GetPlan() override { return plan; }
  bool IsPlanModified() const override { return modified; }
  void SetPlanModified(bool m) override { modified = m; }
  void UpdatePlanViews(const void*, uint32_t bits, const void*) override { hints.push_back(bits); }

  CFlightPlanCore plan;
  bool modified = false;
  std::vector<uint32_t> hints;
};

wxTextCtrl* Field(wxDialog& d, int id) { return static_cast<wxTextCtrl*>(d.FindWindow(id)); }

void Click(wxDialog& d, int id, bool checked) {
  auto* box = static_cast<wxCheckBox*>(d.FindWindow(id));
  box->SetValue(checked);
  wxCommandEvent event(wxEVT_CHECKBOX, id);
  event.SetEventObject(box);
  event.SetInt(checked ? 1 : 0);
  box->ProcessWindowEvent(event);
}

// True when the field lets the typed character through to the text.
bool Types(FilterEdit& edit, wxChar c, int keyCode) {
  wxKeyEvent key(wxEVT_CHAR);
  key.m_uniChar = c;
  key.m_keyCode = keyCode;
  key.SetEventObject(&edit);
  return !edit.ProcessWindowEvent(key);
}

class PointDialogsTest : public ::testing::Test {
 protected:
  PointDialogsTest() : m_folder("point_dialogs") {
    wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond, const wxString& msg) {
      ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " " << msg.utf8_string() << " at " << file.utf8_string()
                    << ":" << line;
    });
    {
      DatabaseLease lease;
      BuildPlanDatabase(lease.Database());
    }
    g_Settings.SetUseIndicatedAirSpeed(true);
    m_document = std::make_unique<FakeDocument>(PlanUiServices{&m_ui});
    CRoute route;
    route.m_profile.cruiseAltitude = 24000;
    route.m_profile.cruiseSpeed = 250;
    route.m_profile.descentSpeed = 180;
    route.m_profile.climbSpeed = 200;
    route.m_profile.climbRate = 2000;
    route.m_profile.descentRate = 2000;
    route.m_cruise = {250, 24000, 24000};
    route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
    route.AddPoint(DbPoint(kVor, kKindVor));
    route.AddPoint(UserPoint(47.3612345, 8.0987654, "A"));
    route.AddPoint(DbPoint(kFarAirport, kKindAirport));
    // A speed limit for the user point's box to end.
    route[1].speed = MakeManualValue(200);
    DatabaseLease lease;
    Plan().Clear();
    Plan().Push(route);
    Plan().Rebuild();
  }
  ~PointDialogsTest() override {
    m_document.reset();
    DatabaseLease::HeldDatabase().ClearDatabase();
  }
  CFlightPlanCore& Plan() { return m_document->plan; }
  const PlanPoint& Point(int index) { return (*Plan().GetCurrent())[index]; }
  int RowOf(int pointIndex) {
    for (size_t r = 0; r < Plan().m_rows.size(); ++r) {
      if (Plan().m_rows[r].pointIndex == pointIndex) return static_cast<int>(r);
    }
    return -1;
  }

  ScopedPlanFolder m_folder;
  FakePlanUi m_ui;
  std::unique_ptr<FakeDocument> m_document;
  ui::ModalScript m_script;
  ui::ScopedModalHook m_hook{m_script};
};

TEST_F(PointDialogsTest, LatitudeFieldTakesOnlyItsCharacters) {
  wxFrame frame(nullptr, wxID_ANY, "filter");
  auto* edit = new FilterEdit(&frame, wxID_ANY);
  edit->SetAllowed(kLatitudeCharacters);
  EXPECT_FALSE(Types(*edit, 'x', 'X'));
  EXPECT_FALSE(Types(*edit, 'E', 'E'));
  EXPECT_FALSE(Types(*edit, '"', '"'));
  EXPECT_TRUE(Types(*edit, 'N', 'N'));
  EXPECT_TRUE(Types(*edit, 's', 'S'));
  EXPECT_TRUE(Types(*edit, '7', '7'));
  EXPECT_TRUE(Types(*edit, 0x00B0, 0x00B0)) << "the degree sign, compared as Unicode";
  EXPECT_TRUE(Types(*edit, WXK_BACK, WXK_BACK));
  EXPECT_TRUE(Types(*edit, WXK_NONE, WXK_LEFT)) << "keys that type nothing pass";
  EXPECT_TRUE(Types(*edit, 0x7F, WXK_DELETE));
}

TEST_F(PointDialogsTest, OkWritesTheManualValuesIntoTheRouteAsOneUndoStep) {
  const int row = RowOf(2);
  ASSERT_GE(row, 0);
  const int snapshots = Plan().GetSnapshotCount();
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "Manual Waypoint Settings");
    EXPECT_TRUE(Field(d, Form::kIdLatitude)->IsEditable()) << "a user point can move";
    EXPECT_TRUE(d.FindWindow(Form::kIdIndicatedCaption)->IsShown());
    EXPECT_FALSE(d.FindWindow(Form::kIdTrueCaption)->IsShown());
    EXPECT_EQ(Field(d, Form::kIdLatitude)->GetValue(), "N47 21.67");
    Field(d, Form::kIdCrossing)->SetValue("5000");
    Field(d, Form::kIdAfter)->SetValue("7000");
    Field(d, Form::kIdSpeed)->SetValue("180");
    Click(d, Form::kIdDisableSpeeds, true);
    EXPECT_EQ(Field(d, Form::kIdSpeed)->GetValue(), "");
    EXPECT_FALSE(d.FindWindow(Form::kIdSpeed)->IsEnabled());

    Field(d, Form::kIdLatitude)->SetValue("N47 30x");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_EQ(m_script.BoxTexts(), std::vector<std::string>{"Wrong Latitude/Longitude."});
    ASSERT_FALSE(m_script.Boxes().empty());
    EXPECT_EQ(m_script.Boxes()[0].style & ui::kMbIconMask, ui::kMbIconExclamation);
    EXPECT_EQ(wxWindow::FindFocus(), d.FindWindow(Form::kIdLatitude));
    EXPECT_TRUE(d.IsShown()) << "the dialog stays open";
    EXPECT_EQ(Plan().GetSnapshotCount(), snapshots) << "nothing reached the plan";

    Field(d, Form::kIdCrossing)->SetValue("5o00");
    Field(d, Form::kIdLatitude)->SetValue(wxString::FromUTF8("N47\xC2\xB0" "30'"));
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_EQ(m_script.BoxTexts(), (std::vector<std::string>{"Wrong Latitude/Longitude.", "Please enter a positive integer."}))
        << "the crossing altitude is refused";
    EXPECT_EQ(wxWindow::FindFocus(), d.FindWindow(Form::kIdCrossing));
    Field(d, Form::kIdCrossing)->SetValue("5000");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(EditWaypointSettings(nullptr, *m_document, row));
  EXPECT_EQ(m_script.UndrivenDialogs(), 0);
  EXPECT_EQ(Plan().GetSnapshotCount(), snapshots + 1);
  const PlanPoint& a = Point(2);
  EXPECT_EQ(+a.altitude1, MakeManualValue(5000));
  EXPECT_EQ(+a.altitude2, MakeManualValue(7000));
  EXPECT_FALSE(IsManualValueGiven(a.speed));
  EXPECT_EQ(+a.flags & kPointSpeedOption, kPointSpeedOption);
  EXPECT_FLOAT_EQ(+a.ref.point.latitude, 47.5f);
  EXPECT_FLOAT_EQ(+a.ref.point.longitude, 8.0987654f) << "the untouched longitude keeps its precision";
  EXPECT_EQ(+a.isNew, 0);
  EXPECT_EQ(m_document->hints, std::vector<uint32_t>{0x12});
  EXPECT_TRUE(m_document->modified);
  Plan().Undo();
  EXPECT_FALSE(IsManualValueGiven(Point(2).altitude1)) << "one undo step takes it all back";
}

TEST_F(PointDialogsTest, DatabasePointsKeepTheirPositionAndCancelChangesNothing) {
  const int snapshots = Plan().GetSnapshotCount();
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_FALSE(Field(d, Form::kIdLatitude)->IsEditable());
    EXPECT_FALSE(Field(d, Form::kIdLongitude)->IsEditable());
    Field(d, Form::kIdCrossing)->SetValue("9000");
    EXPECT_TRUE(ui::PressButton(d, wxID_CANCEL));
  });
  EXPECT_FALSE(EditWaypointSettings(nullptr, *m_document, RowOf(1)));
  EXPECT_EQ(Plan().GetSnapshotCount(), snapshots);
  EXPECT_TRUE(m_document->hints.empty());
  EXPECT_FALSE(m_document->modified);
  EXPECT_FALSE(EditWaypointSettings(nullptr, *m_document, -1)) << "no waypoint, no dialog";
  EXPECT_EQ(m_script.UndrivenDialogs(), 0);
}

TEST_F(PointDialogsTest, TowerViewRefusesOutOfRangeAndReturnsTheFeet) {
  m_script.QueueDriver([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "Tower View");
    wxTextCtrl* field = Field(d, 8216);
    EXPECT_EQ(field->GetValue(), "1200");
    field->SetValue("100000");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
    EXPECT_EQ(m_script.BoxTexts(), std::vector<std::string>{"Please enter an integer between 0 and 99999."});
    EXPECT_TRUE(d.IsShown());
    EXPECT_EQ(wxWindow::FindFocus(), field);
    field->SetValue("2500");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  EXPECT_EQ(AskTowerViewAltitude(nullptr, 1200), std::optional<int>(2500));
  m_script.QueueDriver([&](wxDialog& d) { EXPECT_TRUE(ui::PressButton(d, wxID_CANCEL)); });
  EXPECT_EQ(AskTowerViewAltitude(nullptr, 1200), std::nullopt);
}

}  // namespace
