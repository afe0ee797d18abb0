#pragma once

// "Save Plan as SID/STAR" and the procedure properties: a thin window over SaveSidStarForm,
// and the catalogue's user interface (message boxes and this dialog) the module hands the catalogue.

#include <wx/dialog.h>
#include <wx/imaglist.h>

#include <memory>

#include "plotr/tools/SaveSidStarForm.h"
#include "plotr/tools/SidStarUi.h"

class wxBitmapComboBox;
class wxButton;
class wxListCtrl;
class wxListEvent;
class wxTextCtrl;

// The images of the procedure list and the region and country boxes, by their number in the
// browser's strip (SaveSidStarForm::kImage*).
wxImageList* MakeSidStarImages();
int SidStarImageIndex(int stripImage);

class CDlgSaveSidStar : public wxDialog {
 public:
  CDlgSaveSidStar(wxWindow* parent, const SidStarSaveValues& values);
  ~CDlgSaveSidStar() override;
  // False when a list or box item could not be made; the dialog is then not to be shown.
  bool IsSetUp() const { return m_setUp; }
  // The choice after OK.
  const SidStarSaveValues& Result() const { return m_form.Result(); }

 private:
  void ShowFields();
  void FillCountries();
  void UpdateOk();
  void OnListFocus(wxFocusEvent& event);
  void OnItemSelected(wxListEvent& event);
  void OnIdentification(wxCommandEvent&);
  void OnDescription(wxCommandEvent&);
  void OnDescriptionKey(wxKeyEvent& event);
  void OnRegion(wxCommandEvent&);
  void OnCountry(wxCommandEvent&);
  void OnOK(wxCommandEvent&);

  SaveSidStarForm m_form;
  std::unique_ptr<wxImageList> m_images;
  wxListCtrl* m_list = nullptr;
  wxTextCtrl* m_id = nullptr;
  wxTextCtrl* m_description = nullptr;
  wxBitmapComboBox* m_region = nullptr;
  wxBitmapComboBox* m_country = nullptr;
  wxTextCtrl* m_author = nullptr;
  wxButton* m_ok = nullptr;
  bool m_setUp = true;
  bool m_selecting = false;  // the list's selection is being set to the form's
};

// Message boxes under the module's title and the save dialog as a window.
class CWxSidStarUi : public ISidStarUi {
 public:
  int MessageBox(const std::string& text, uint32_t style) override;
  bool RunSaveDialog(SidStarSaveValues& values) override;
};

// The module's one CWxSidStarUi, handed to the catalogue where it is made.
ISidStarUi& WxSidStarUi();
