// Boxes and modal dialogs shown for real and answered through the hook. Needs a display.
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace ui {
namespace {

wxDialog* OpenModalDialog() {
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal()) return d;
  return nullptr;
}

TEST(ModalHookTest, TheCloseBoxOfARealBoxAnswersItsEscapeAnswer) {
  ASSERT_EQ(nullptr, GetModalHook());
  struct Case {
    uint32_t style;
    int answer;
  };
  for (const Case& c : {Case{kMbAbortRetryIgnore | kMbIconQuestion, kIdAbort}, Case{kMbOkCancel, kIdCancel},
                        Case{kMbYesNo | kMbIconStop, kIdNo}}) {
    std::string seenTitle;
    wxTheApp->CallAfter([&] {
      wxDialog* box = OpenModalDialog();
      if (box == nullptr) return;
      seenTitle = box->GetTitle().utf8_string();
      box->Close();
    });
    EXPECT_EQ(c.answer, ShowMessageBox(nullptr, "Insert the CD \xAB" "A\xBB", "Caf\xE9", c.style)) << c.style;
    EXPECT_EQ("Caf\xC3\xA9", seenTitle) << "caption converted from code page 1252";
  }
}

TEST(ModalHookTest, ARealBoxAnswersTheButtonPressed) {
  wxTheApp->CallAfter([] {
    if (wxDialog* box = OpenModalDialog()) PressButton(*box, wxID_RETRY);
  });
  EXPECT_EQ(kIdRetry, ShowMessageBox(nullptr, "text", "caption", kMbAbortRetryIgnore));
}

// A dialog with an entry, an OK that refuses an empty entry, and a button that asks a question
// and then opens a second dialog of the same kind.
class AskingDialog : public wxDialog {
 public:
  explicit AskingDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "asking") {
    m_entry = new wxTextCtrl(this, wxID_ANY);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_entry);
    sizer->Add(new wxButton(this, wxID_OK, "OK"));
    sizer->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    sizer->Add(new wxButton(this, wxID_MORE, "More"));
    auto* disabled = new wxButton(this, wxID_APPLY, "Apply");
    disabled->Disable();
    sizer->Add(disabled);
    SetSizerAndFit(sizer);
    Bind(wxEVT_BUTTON, &AskingDialog::OnOk, this, wxID_OK);
    Bind(wxEVT_BUTTON, &AskingDialog::OnMore, this, wxID_MORE);
  }
  wxTextCtrl* Entry() { return m_entry; }
  int nestedResult = 0;
  int nestedAnswer = 0;

 private:
  void OnOk(wxCommandEvent&) {
    if (!m_entry->IsEmpty()) EndModal(wxID_OK);
  }
  void OnMore(wxCommandEvent&) {
    nestedAnswer = ShowMessageBox(this, "Open another?", "asking", kMbYesNo | kMbIconQuestion);
    AskingDialog nested(this);
    nestedResult = ShowModalDialog(nested);
  }
  wxTextCtrl* m_entry;
};

TEST(ModalHookTest, AScriptAnswersBoxesAndDrivesNestedDialogsInTheOrderTheyOpen) {
  ModalScript script;
  ScopedModalHook hook(script);
  script.QueueAnswer(kIdYes);
  bool refusedEmpty = false;
  bool disabledPressed = true;
  script.QueueDriver([&](wxDialog& d) {
    auto& dialog = dynamic_cast<AskingDialog&>(d);
    disabledPressed = PressButton(dialog, wxID_APPLY);
    PressButton(dialog, wxID_OK);
    refusedEmpty = dialog.IsModal();
    PressButton(dialog, wxID_MORE);
    dialog.Entry()->ChangeValue("filled");
    PressButton(dialog, wxID_OK);
  });
  script.QueueDriver([](wxDialog& nested) {
    dynamic_cast<AskingDialog&>(nested).Entry()->ChangeValue("x");
    PressButton(nested, wxID_OK);
  });
  AskingDialog dialog(nullptr);
  EXPECT_EQ(wxID_OK, ShowModalDialog(dialog));
  EXPECT_TRUE(refusedEmpty);
  EXPECT_FALSE(disabledPressed);
  EXPECT_EQ(kIdYes, dialog.nestedAnswer);
  EXPECT_EQ(wxID_OK, dialog.nestedResult);
  ASSERT_EQ(1u, script.Boxes().size());
  EXPECT_EQ("Open another?", script.Boxes()[0].text);
  EXPECT_EQ(kMbYesNo | kMbIconQuestion, script.Boxes()[0].style);

  // Nothing left in the script: boxes get their escape answer, dialogs are cancelled.
  EXPECT_EQ(kIdAbort, ShowMessageBox(nullptr, "t", "c", kMbAbortRetryIgnore));
  AskingDialog undriven(nullptr);
  EXPECT_EQ(wxID_CANCEL, ShowModalDialog(undriven));
  EXPECT_EQ(1, script.UndrivenDialogs());
}

TEST(ModalHookTest, ADialogTheDriverLeavesOpenIsCancelled) {
  ModalScript script;
  ScopedModalHook hook(script);
  script.QueueDriver([](wxDialog&) {});
  AskingDialog dialog(nullptr);
  EXPECT_EQ(wxID_CANCEL, ShowModalDialog(dialog));
}

}  // namespace
}  // namespace ui
