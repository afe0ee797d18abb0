#pragma once

// What the plan's small dialogs share: OK and Cancel at the foot, a refused field reported
// with its message and focused again, and the close on OK inside or outside a modal loop.

#include <wx/dialog.h>

#include "plotr/plan/PlanDialogForms.h"

class wxSizer;

namespace dialogfields {

// OK (the default button) and Cancel, right-aligned. The Help buttons stay out while the
// module has no help.
wxSizer* FootButtons(wxDialog& dialog);
// The field's message with the exclamation icon under the dialog's title; the focus goes back to the field, its text
// selected.
void Refuse(wxDialog& dialog, const FieldError& error);
void CloseWithOk(wxDialog& dialog);

}  // namespace dialogfields
