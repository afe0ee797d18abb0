#pragma once

// The private formats on wx's clipboard and in its drag and drop: each format a custom data
// object under its name, the text beside them as UTF-8 text.

#include <wx/dnd.h>

#include <optional>
#include <string>

#include "plotr/views/ClipFormats.h"

namespace clip {

// A data object offering every format of `data` (the caller owns it).
wxDataObjectComposite* ToDataObject(const ClipData& data);
// Puts the formats on the clipboard; false when it cannot be opened or nothing is offered.
bool PutOnClipboard(const ClipData& data);
// The bytes of a format on the clipboard.
std::optional<std::string> ClipboardBytes(const char* format);
// Runs a drag of `data` from `source`; the drag's bytes wait in the DragSession meanwhile.
wxDragResult RunDrag(wxWindow* source, const ClipData& data, bool allowMove);
// The bytes a drop brought for a format of the composite `object`.
std::optional<std::string> DroppedBytes(wxDataObjectComposite& object, const char* format);

// The drag sources' status texts in the string table.
void AddDragStatusStrings();

}  // namespace clip
