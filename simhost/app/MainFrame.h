#pragma once
// The stand-in simulator's main window: modules find it by its name, hook into it and send it
// copy-data calls. Its timer moves the aircraft.

#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include "simhost/HostCore.h"

namespace simhost {

class MainFrame : public wxFrame {
 public:
  MainFrame(HostCore& host, const AircraftStart& start);

 private:
  void OnTimer(wxTimerEvent& event);
  void OnCopyData(wxThreadEvent& event);
  void OnPause(wxCommandEvent& event);
  void OnReset(wxCommandEvent& event);
  void ShowState();

  HostCore& m_host;
  AircraftStart m_start;
  wxTimer m_timer;
  wxStaticText* m_state = nullptr;
  bool m_paused = false;
  unsigned m_ticks = 0;
};

}  // namespace simhost
