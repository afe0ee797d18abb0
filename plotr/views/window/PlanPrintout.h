#pragma once
// The printed flight plan over wx's print framework: a printout that draws the pages of a plan
// snapshot taken when the job starts, so a preview stays as it was while the plan changes.

#include <wx/print.h>

#include <memory>

#include "plotr/views/PlanPrint.h"

class CPlanPrintout : public wxPrintout {
 public:
  explicit CPlanPrintout(std::shared_ptr<const planprint::PrintSnapshot> snapshot);

  void OnPreparePrinting() override;
  bool HasPage(int page) override;
  void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
  bool OnPrintPage(int page) override;

  const planprint::Pagination& GetPagination() const { return m_pagination; }
  const planprint::PrintSnapshot& GetSnapshot() const { return *m_snapshot; }

 private:
  // Fonts and layout from the DC the framework gives this printout.
  void Layout();

  std::shared_ptr<const planprint::PrintSnapshot> m_snapshot;
  planprint::PrintMetrics m_metrics;
  planprint::Pagination m_pagination;
  int m_fontHeight = 0;
};

// Prints (with the print dialog) or previews the snapshot with the module's print data; a
// preview that cannot start shows "Command failed.". False when nothing was printed or shown.
bool PrintPlanSnapshot(wxWindow* parent, std::shared_ptr<const planprint::PrintSnapshot> snapshot, bool preview);

// Makes the plan pane printable from the main frame's Print and Print Preview.
void RegisterPlanPrinting();
