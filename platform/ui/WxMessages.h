#pragma once
// Private messages and copy-data calls as wx events. The event types are fixed numbers rather
// than wxNewEventType() results, because the host program and the modules it loads are
// separate binaries sharing one wx and must agree on them.

#include <wx/event.h>
#include <wx/window.h>

#include <cstdint>
#include <string>

#include "platform/ui/Messages.h"

namespace ui {

// A wxThreadEvent: GetInt() the code, GetExtraLong() the lParam; the wParam in the id.
wxDECLARE_EVENT(EVT_APP_MESSAGE, wxThreadEvent);
// A wxThreadEvent: GetExtraLong() the tag, GetString() the bytes (8-bit), id the wParam.
wxDECLARE_EVENT(EVT_COPY_DATA, wxThreadEvent);

// Posts private messages to a wx event handler (a frame), from any thread.
class WxMessageTarget : public IMessageTarget {
 public:
  explicit WxMessageTarget(wxEvtHandler* handler) : m_handler(handler) {}
  void Post(const Message& message) override;
  void SetHandler(wxEvtHandler* handler) { m_handler = handler; }

 private:
  wxEvtHandler* m_handler;
};

Message MessageFromEvent(const wxThreadEvent& event);

// The top-level window registered under this class name, or null. UI thread only.
wxWindow* FindWindowByClass(const char* className);

struct CopyData {
  uintptr_t wParam = 0;
  uint32_t tag = 0;
  std::string bytes;
};

// Hands the data to the window. On the UI thread the window handles it before this returns;
// from another thread it is queued.
void SendCopyData(wxWindow* target, const CopyData& data);
CopyData CopyDataFromEvent(const wxThreadEvent& event);

}  // namespace ui
