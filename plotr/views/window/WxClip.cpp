#include "plotr/views/window/WxClip.h"

#include <wx/clipbrd.h>

#include <memory>

#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"

namespace clip {
namespace {

// Custom data objects keep the bytes we give them; the text travels as UTF-8 without its NUL.
wxDataObjectSimple* MakeObject(const std::string& format, const std::string& bytes) {
  if (format == kText) {
    std::string text = bytes;
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return new wxTextDataObject(wxString::FromUTF8(win::Cp1252ToUtf8(text)));
  }
  auto* object = new wxCustomDataObject(wxDataFormat(format));
  object->SetData(bytes.size(), bytes.data());
  return object;
}

}  // namespace

wxDataObjectComposite* ToDataObject(const ClipData& data) {
  auto* composite = new wxDataObjectComposite;
  for (const auto& [format, bytes] : data) composite->Add(MakeObject(format, bytes));
  return composite;
}

bool PutOnClipboard(const ClipData& data) {
  if (data.empty() || !wxTheClipboard->Open()) return false;
  const bool ok = wxTheClipboard->SetData(ToDataObject(data));
  wxTheClipboard->Close();
  return ok;
}

std::optional<std::string> ClipboardBytes(const char* format) {
  if (!wxTheClipboard->Open()) return std::nullopt;
  std::optional<std::string> out;
  const wxDataFormat wanted(format);
  if (wxTheClipboard->IsSupported(wanted)) {
    wxCustomDataObject object(wanted);
    if (wxTheClipboard->GetData(object)) {
      out = std::string(static_cast<const char*>(object.GetData()), object.GetSize());
    }
  }
  wxTheClipboard->Close();
  return out;
}

wxDragResult RunDrag(wxWindow* source, const ClipData& data, bool allowMove) {
  if (data.empty()) return wxDragNone;
  DragSession session(data);
  std::unique_ptr<wxDataObjectComposite> object(ToDataObject(data));
  wxDropSource drag(*object, source);
  return drag.DoDragDrop(allowMove ? wxDrag_AllowMove : wxDrag_CopyOnly);
}

std::optional<std::string> DroppedBytes(wxDataObjectComposite& object, const char* format) {
  const wxDataFormat wanted(format);
  const size_t size = object.GetDataSize(wanted);
  if (size == 0) {
    // An empty block still counts as offered; the readers reject it.
    if (object.IsSupported(wanted, wxDataObject::Set)) return std::string();
    return std::nullopt;
  }
  std::string bytes(size, '\0');
  if (!object.GetDataHere(wanted, bytes.data())) return std::nullopt;
  return bytes;
}

void AddDragStatusStrings() {
  static bool added = false;
  if (added) return;
  added = true;
  ui::AddStrings({{6035, "Drag scenery object to Flightplan."},
                  {6036, "Drag scenery object to Flightplan or Frequency to Avionics bar."},
                  {6037, "Drag Frequency to Avionics bar."},
                  {6038, "Drag Fix to Flightplan or move it in the Map."},
                  {6039, "Drag a new Fix to Flightplan."}});
}

}  // namespace clip
