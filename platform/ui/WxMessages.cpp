#include "platform/ui/WxMessages.h"

#include <wx/thread.h>

namespace ui {

// Far above what wxNewEventType() hands out in a program's lifetime.
const int kFixedEventBase = wxEVT_USER_FIRST + 0x70000;

const wxEventTypeTag<wxThreadEvent> EVT_APP_MESSAGE(kFixedEventBase + 1);
const wxEventTypeTag<wxThreadEvent> EVT_COPY_DATA(kFixedEventBase + 2);

void WxMessageTarget::Post(const Message& message) {
  if (m_handler == nullptr) return;
  auto* event = new wxThreadEvent(EVT_APP_MESSAGE, static_cast<int>(message.wParam));
  event->SetInt(static_cast<int>(message.code));
  event->SetExtraLong(static_cast<long>(message.lParam));
  wxQueueEvent(m_handler, event);
}

Message MessageFromEvent(const wxThreadEvent& event) {
  Message m;
  m.code = static_cast<uint32_t>(event.GetInt());
  m.wParam = static_cast<uintptr_t>(static_cast<unsigned>(event.GetId()));
  m.lParam = static_cast<intptr_t>(event.GetExtraLong());
  return m;
}

wxWindow* FindWindowByClass(const char* className) {
  for (wxWindow* w : wxTopLevelWindows)
    if (w->GetName() == className) return w;
  return nullptr;
}

void SendCopyData(wxWindow* target, const CopyData& data) {
  if (target == nullptr) return;
  wxThreadEvent event(EVT_COPY_DATA, static_cast<int>(data.wParam));
  event.SetExtraLong(static_cast<long>(data.tag));
  event.SetString(wxString::From8BitData(data.bytes.data(), data.bytes.size()));
  if (wxThread::IsMain())
    target->GetEventHandler()->ProcessEvent(event);
  else
    wxQueueEvent(target->GetEventHandler(), event.Clone());
}

CopyData CopyDataFromEvent(const wxThreadEvent& event) {
  CopyData d;
  d.wParam = static_cast<uintptr_t>(static_cast<unsigned>(event.GetId()));
  d.tag = static_cast<uint32_t>(event.GetExtraLong());
  const wxCharBuffer bytes = event.GetString().To8BitData();
  d.bytes.assign(bytes.data(), bytes.length());
  return d;
}

}  // namespace ui
