#include "plotr/views/window/PlanPrintout.h"

#include <algorithm>

#include <wx/dc.h>
#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/graphics.h>
#include <wx/msgdlg.h>
#include <wx/printdlg.h>

#include "navdb/SceneryDatabase.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/core/window/PrintSetup.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

wxFont PrintFont(int pixelHeight, bool bold) {
  return wxFont(wxFontInfo(wxSize(0, pixelHeight)).Family(wxFONTFAMILY_SWISS).FaceName("Arial").Bold(bold));
}

// Draws a page through a printer or preview DC, in the printer's pixels.
class CDcPrintCanvas : public planprint::IPrintCanvas {
 public:
  CDcPrintCanvas(wxDC& dc, int fontHeight) : m_dc(dc), m_bold(PrintFont(fontHeight, true)), m_normal(PrintFont(fontHeight, false)) {}

  void SelectFont(bool bold) override { m_dc.SetFont(bold ? m_bold : m_normal); }
  int TextWidth(std::string_view text) override {
    wxCoord w = 0, h = 0;
    m_dc.GetTextExtent(wxString::FromUTF8(win::Cp1252ToUtf8(text)), &w, &h);
    return w;
  }
  void DrawCell(int left, int top, int right, int bottom, std::string_view text, bool centre) override {
    if (text.empty() || right <= left || bottom <= top) return;
    const wxString s = wxString::FromUTF8(win::Cp1252ToUtf8(text));
    wxCoord w = 0, h = 0;
    m_dc.GetTextExtent(s, &w, &h);
    const int x = centre ? (left + right) / 2 - w / 2 : left;
    // On a graphics DC the clip goes on the context's saved state: removing a DC clipping
    // region there clips to the DC's own size, which a DC made over a bare context reports as 0.
    if (wxGraphicsContext* gc = m_dc.GetGraphicsContext()) {
      gc->PushState();
      gc->Clip(left, top, right - left, bottom - top);
      m_dc.DrawText(s, x, top);
      gc->PopState();
      return;
    }
    m_dc.SetClippingRegion(left, top, right - left, bottom - top);
    m_dc.DrawText(s, x, top);
    m_dc.DestroyClippingRegion();
  }
  void HorizontalLine(int left, int right, int y) override { m_dc.DrawLine(left, y, right, y); }

 private:
  wxDC& m_dc;
  wxFont m_bold, m_normal;
};

}  // namespace

CPlanPrintout::CPlanPrintout(std::shared_ptr<const planprint::PrintSnapshot> snapshot)
    : wxPrintout(wxString::FromUTF8(win::Cp1252ToUtf8(snapshot->title))), m_snapshot(std::move(snapshot)) {}

void CPlanPrintout::Layout() {
  planprint::DeviceCaps caps;
  GetPageSizePixels(&caps.horzRes, &caps.vertRes);
  GetPPIPrinter(&caps.ppiX, &caps.ppiY);
  if (caps.ppiX <= 0) caps.ppiX = 72;
  if (caps.ppiY <= 0) caps.ppiY = 72;
  m_fontHeight = planprint::PrintFontHeight(caps);
  planprint::FontMetrics bold{m_fontHeight, 0, m_fontHeight / 2};
  // Without the job's DC yet (a preview asks for its pages first), a memory DC measures the
  // same pixel-sized font.
  wxMemoryDC measure;
  wxDC* dc = GetDC() != nullptr ? GetDC() : &measure;
  const wxFont previous = dc->GetFont();
  dc->SetFont(PrintFont(m_fontHeight, true));
  const wxFontMetrics fm = dc->GetFontMetrics();
  if (fm.height > 0) bold = {fm.height, fm.externalLeading, fm.averageWidth};
  if (previous.IsOk()) dc->SetFont(previous);
  m_metrics = planprint::ComputePrintMetrics(caps, bold);
  m_pagination = planprint::PaginatePlan(m_metrics, static_cast<int>(m_snapshot->rows.size()));
}

void CPlanPrintout::OnPreparePrinting() { Layout(); }

bool CPlanPrintout::HasPage(int page) { return page >= 1 && page <= m_pagination.PageCount(); }

void CPlanPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
  *minPage = *pageFrom = 1;
  *maxPage = *pageTo = std::max(1, m_pagination.PageCount());
}

bool CPlanPrintout::OnPrintPage(int page) {
  wxDC* dc = GetDC();
  if (dc == nullptr || !HasPage(page)) return false;
  // The page is laid out in the printer's pixels; a preview draws into a bitmap of its own size,
  // so the page is mapped onto whatever the DC is (the identity for the printer itself).
  int pageWidth = 0, pageHeight = 0, dcWidth = 0, dcHeight = 0;
  GetPageSizePixels(&pageWidth, &pageHeight);
  dc->GetSize(&dcWidth, &dcHeight);
  if (pageWidth > 0 && pageHeight > 0 && dcWidth > 0 && dcHeight > 0 &&
      (dcWidth != pageWidth || dcHeight != pageHeight)) {
    const double scale = std::min(double(dcWidth) / pageWidth, double(dcHeight) / pageHeight);
    dc->SetUserScale(scale, scale);
  }
  const wxFont previous = dc->GetFont();
  dc->SetTextForeground(*wxBLACK);
  dc->SetPen(*wxBLACK_PEN);
  CDcPrintCanvas canvas(*dc, m_fontHeight);
  planprint::PrintPlanPage(canvas, m_metrics, m_pagination, page - 1, *m_snapshot);
  dc->SetFont(previous);
  return true;
}

bool PrintPlanSnapshot(wxWindow* parent, std::shared_ptr<const planprint::PrintSnapshot> snapshot, bool preview) {
  wxPrintDialogData printData(GetModulePrintData());
  if (preview) {
    auto* printPreview = new wxPrintPreview(new CPlanPrintout(snapshot), new CPlanPrintout(snapshot), &printData);
    if (!printPreview->IsOk()) {
      delete printPreview;
      ui::ShowMessageBox(parent, ui::LoadString(shellstr::kCommandFailed), ui::LoadString(shellstr::kAppTitle),
                         ui::kMbIconExclamation);
      return false;
    }
    ShowPrintPreview(printPreview, parent);
    return true;
  }
  wxPrinter printer(&printData);
  CPlanPrintout printout(snapshot);
  if (!printer.Print(parent, &printout, true)) return false;
  GetModulePrintData() = printer.GetPrintDialogData().GetPrintData();
  return true;
}

void RegisterPlanPrinting() {
  RegisterPanePrinter(PaneSlot::PlanTable, [](wxWindow* pane, IPlotrDocument& document, bool preview) {
    auto snapshot = std::make_shared<planprint::PrintSnapshot>();
    {
      DatabaseLease lease;
      *snapshot = planprint::TakePrintSnapshot(document.GetPlan(), lease.Database(),
                                               plantable::TableOptions::FromSettings(), document.GetPlanTitle());
    }
    return PrintPlanSnapshot(pane, std::move(snapshot), preview);
  });
}
