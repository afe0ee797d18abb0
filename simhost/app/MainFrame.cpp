#include "simhost/app/MainFrame.h"

#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include "platform/simapi/SimApi.h"
#include "platform/ui/WxMessages.h"

namespace simhost {
namespace {

enum { kIdPause = wxID_HIGHEST + 1, kIdReset };
constexpr int kTimerMs = 100;
constexpr double kFeetPerMetre = 3.28083989501312;

}  // namespace

MainFrame::MainFrame(HostCore& host, const AircraftStart& start)
    : wxFrame(nullptr, wxID_ANY, "Stand-in simulator", wxDefaultPosition, wxSize(800, 600),
              wxDEFAULT_FRAME_STYLE, simapi::kMainWindowClass),
      m_host(host),
      m_start(start),
      m_timer(this) {
  auto* file = new wxMenu;
  file->Append(wxID_EXIT, "E&xit");
  auto* aircraft = new wxMenu;
  aircraft->AppendCheckItem(kIdPause, "&Pause\tP");
  aircraft->Append(kIdReset, "&Reset to start");
  auto* bar = new wxMenuBar;
  bar->Append(file, "&File");
  bar->Append(aircraft, "&Aircraft");
  SetMenuBar(bar);

  // The client area modules dock over.
  auto* client = new wxPanel(this, wxID_ANY);
  m_state = new wxStaticText(client, wxID_ANY, "");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_state, 0, wxALL, 8);
  client->SetSizer(sizer);
  // A frame sizes its only child by itself, but stops once a module adds a window of its own:
  // the client keeps its size through a sizer.
  auto* frameSizer = new wxBoxSizer(wxVERTICAL);
  frameSizer->Add(client, 1, wxEXPAND);
  SetSizer(frameSizer);

  Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
  Bind(wxEVT_MENU, &MainFrame::OnPause, this, kIdPause);
  Bind(wxEVT_MENU, &MainFrame::OnReset, this, kIdReset);
  Bind(wxEVT_TIMER, &MainFrame::OnTimer, this);
  Bind(ui::EVT_COPY_DATA, &MainFrame::OnCopyData, this);
  ShowState();
  m_timer.Start(kTimerMs);
}

void MainFrame::OnTimer(wxTimerEvent&) {
  if (!m_paused) m_host.Step(kTimerMs / 1000.0);
  if (++m_ticks % 5 == 0) ShowState();
}

void MainFrame::OnCopyData(wxThreadEvent& event) {
  const ui::CopyData data = ui::CopyDataFromEvent(event);
  if (const auto target = HostCore::ReceiveMoveBlock(data.tag, data.bytes.data(), data.bytes.size())) {
    m_host.ApplyMove(*target);
    ShowState();
  }
}

void MainFrame::OnPause(wxCommandEvent& event) { m_paused = event.IsChecked(); }

void MainFrame::OnReset(wxCommandEvent&) {
  Aircraft& a = m_host.GetAircraft();
  MoveTarget t;
  t.latitude = m_start.latitude;
  t.longitude = m_start.longitude;
  t.altitudeFeet = m_start.altitudeFeet;
  t.heading = m_start.heading;
  m_host.ApplyMove(t);
  a.airspeed = m_start.airspeed;
  ShowState();
}

void MainFrame::ShowState() {
  const Aircraft& a = m_host.GetAircraft();
  const AutopilotState& ap = a.autopilot;
  m_state->SetLabel(wxString::Format(
      "Simulator version %d   time x%g\n"
      "Position %.5f %.5f   altitude %.0f ft   heading %.1f   %.0f kt   %.0f ft/min\n"
      "Autopilot %s   HDG %s %.0f   ALT %s %.0f ft   VS %.0f   SPD %s %.0f kt\n"
      "COM %.2f   NAV1 %.2f   NAV2 %.2f   ADF %.1f   XPDR %04d",
      m_host.SimVersion(), a.simulationRate, a.latitude, a.longitude, a.altitude * kFeetPerMetre, a.heading,
      a.airspeed, a.verticalSpeed, ap.master ? "on" : "off", ap.headingHold ? "hold" : "-", ap.selectedHeading,
      ap.altitudeHold ? "hold" : "-", ap.selectedAltitude, ap.selectedVerticalSpeed,
      ap.airspeedHold ? "hold" : "-", ap.selectedAirspeed, a.radios.com / 100.0, a.radios.nav1 / 100.0,
      a.radios.nav2 / 100.0, a.radios.adf / 10.0, a.radios.transponder));
}

}  // namespace simhost
