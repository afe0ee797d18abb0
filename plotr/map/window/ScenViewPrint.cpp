#include "plotr/map/window/ScenView.h"

#include <wx/dcgraph.h>
#include <wx/dcprint.h>
#include <wx/graphics.h>
#include <wx/print.h>

#include <memory>
#include <mutex>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "plotr/core/window/PrintSetup.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

// Prints the map onto each page wx hands over.
class CMapPrintout : public wxPrintout {
 public:
  // The printout keeps the parameters of the moment it was asked for, so a preview stays put
  // while the map follows the aircraft.
  CMapPrintout(const CMapRenderer& renderer, const CFlightPlanCore* plan)
      : wxPrintout("Map"), m_renderer(renderer), m_plan(plan) {}
  bool OnPrintPage(int) override {
    wxDC* dc = GetDC();
    if (dc == nullptr) return false;
    int w = 0, h = 0;
    GetPageSizePixels(&w, &h);
    int dpiX = 0, dpiY = 0;
    GetPPIPrinter(&dpiX, &dpiY);
    wxGraphicsContext* gc = dc->GetGraphicsContext();
    std::unique_ptr<wxGCDC> wrapped;
    if (gc == nullptr) {
      if (auto* printer = wxDynamicCast(dc, wxPrinterDC)) {
        wrapped = std::make_unique<wxGCDC>(*printer);
        gc = wrapped->GetGraphicsContext();
      }
    }
    if (gc == nullptr) return false;
    auto* cr = static_cast<cairo_t*>(gc->GetNativeContext());
    if (cr == nullptr) return false;
    DatabaseLease lease;
    PrintMapPage(cr, m_renderer, m_plan, w, h, dpiX > 0 ? dpiX : 72);
    return true;
  }
  bool HasPage(int page) override { return page == 1; }
  void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override { *minPage = *maxPage = *from = *to = 1; }

 private:
  CMapRenderer m_renderer;
  const CFlightPlanCore* m_plan;
};
}  // namespace

bool CScenView::Print(bool preview) {
  m_printing = true;
  bool ok = false;
  wxPrintDialogData printData(GetModulePrintData());
  if (preview) {
    auto* printPreview = new wxPrintPreview(new CMapPrintout(m_renderer, &m_document.GetPlan()),
                                            new CMapPrintout(m_renderer, &m_document.GetPlan()), &printData);
    ok = printPreview->IsOk();
    if (ok) {
      ShowPrintPreview(printPreview, this);
    } else {
      delete printPreview;
      ui::ShowMessageBox(this, ui::LoadString(shellstr::kCommandFailed), ui::LoadString(shellstr::kAppTitle), ui::kMbIconExclamation);
    }
  } else {
    wxPrinter printer(&printData);
    CMapPrintout printout(m_renderer, &m_document.GetPlan());
    ok = printer.Print(this, &printout, true);
    if (ok) GetModulePrintData() = printer.GetPrintDialogData().GetPrintData();
  }
  // Every job ends the printing state, a real print too: otherwise the map would never follow
  // the aircraft again.
  m_printing = false;
  return ok;
}
