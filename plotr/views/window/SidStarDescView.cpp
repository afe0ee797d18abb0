#include "plotr/views/window/SidStarDescView.h"

#include "platform/ui/WxText.h"
#include "plotr/core/CommandIds.h"
#include "plotr/views/window/WxKeys.h"

CSidStarDescView::CSidStarDescView(wxWindow* parent, CSidStarPage& page)
    : wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(40, 40),
                 wxTE_MULTILINE | wxTE_READONLY | wxVSCROLL | wxBORDER_STATIC),
      m_page(page) {
  SetName("SidStarDescription");
  SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_SWISS)));
  Bind(wxEVT_KEY_DOWN, &CSidStarDescView::OnKey, this);
  Bind(wxEVT_KEY_UP, &CSidStarDescView::OnKey, this);
  Bind(wxEVT_CHAR, &CSidStarDescView::OnKey, this);
  for (int id : {cmd::kEditDelete, cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kEditRedo})
    Bind(wxEVT_UPDATE_UI, &CSidStarDescView::OnUpdateCommand, this, id);
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
    e.Skip();
    m_page.RepaintOwner();
  });
}

void CSidStarDescView::OnSidStarUpdate(const UpdateHint& hint) {
  if ((hint.bits & kHintSidStarDescription) == 0) return;
  const auto* text = static_cast<const CSidStarHint*>(hint.object);
  ChangeValue(text != nullptr && text->text != nullptr ? ui::FromCp1252(text->text) : wxString());
}

// The text is read-only, so characters it is handed type nothing.
void CSidStarDescView::OnKey(wxKeyEvent& event) { keys::RouteKeyEvent(this, event, keys::Control::kBrowser); }

void CSidStarDescView::OnUpdateCommand(wxUpdateUIEvent& event) { event.Enable(false); }
