// The printed plan through wx's print framework: pages drawn into a PDF as a printer would get
// them, and the preview window over a snapshot. Needs a display.
#include <cairo-pdf.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <wx/dc.h>
#include <wx/dcgraph.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/core/window/PrintSetup.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/shell/window/tests/support/ModuleWindows.h"
#include "plotr/views/window/PlanPrintout.h"
#include "plotr/views/window/PlanView.h"

namespace {

std::shared_ptr<planprint::PrintSnapshot> Snapshot(int rows) {
  auto s = std::make_shared<planprint::PrintSnapshot>();
  s->title = "Z\xFCrich 100%s plan";
  s->profile.SetName("Cessna C172SP Skyhawk");
  s->profile.cruiseAltitude = 8000;
  s->profile.cruiseSpeed = 120;
  const char* headers[] = {"Id", "Location", "Type", "Freq", "Course", "IAS", "VSpeed", "Altitude", "Distance", "ETE", "Fuel [Lbs]"};
  for (int c = 0; c < planprint::kPrintColumns; ++c) s->headers[static_cast<size_t>(c)] = headers[c];
  for (int r = 0; r < rows; ++r) {
    std::array<std::string, planprint::kPrintColumns> cells;
    cells[0] = "W" + std::to_string(r);
    cells[1] = "A location far too long to fit into its printed column, cut at the cell edge";
    cells[2] = "VOR";
    cells[7] = "5000";
    s->rows.push_back(cells);
  }
  s->totalDistance = "321.5";
  s->totalTime = "02 41' 10\"";
  s->totalFuel = "99.9";
  return s;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string RunText(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

// Landscape A4 at 72 dots per inch, as a printer DC would report it.
constexpr int kPageWidth = 842;
constexpr int kPageHeight = 595;

TEST(PlanPrintout, PrintsEveryPageOfThePaginationIntoAPdf) {
  const auto snapshot = Snapshot(70);
  const std::filesystem::path pdf = std::filesystem::temp_directory_path() / ("cw-plan-print-" + std::to_string(getpid()) + ".pdf");
  CPlanPrintout printout(snapshot);
  {
    cairo_surface_t* surface = cairo_pdf_surface_create(pdf.c_str(), kPageWidth, kPageHeight);
    cairo_t* cr = cairo_create(surface);
    wxGraphicsContext* gc = wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromNativeContext(cr);
    ASSERT_NE(gc, nullptr);
    wxGCDC dc(gc);
    printout.SetDC(&dc);
    printout.SetPPIPrinter(72, 72);
    printout.SetPageSizePixels(kPageWidth, kPageHeight);
    printout.OnPreparePrinting();
    int minPage = 0, maxPage = 0, from = 0, to = 0;
    printout.GetPageInfo(&minPage, &maxPage, &from, &to);
    EXPECT_EQ(maxPage, printout.GetPagination().PageCount());
    EXPECT_GT(maxPage, 1);
    printout.OnBeginPrinting();
    for (int page = 1; printout.HasPage(page); ++page) {
      ASSERT_TRUE(printout.OnPrintPage(page));
      gc->Flush();
      cairo_show_page(cr);
    }
    printout.OnEndPrinting();
    printout.SetDC(nullptr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
  }
  const std::string bytes = ReadFile(pdf);
  const std::regex page("/Type\\s*/Page[^s]");
  const auto pages = std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator());
  EXPECT_EQ(pages, printout.GetPagination().PageCount());

  if (std::system("command -v pdftotext >/dev/null 2>&1") == 0) {
    const std::string n = std::to_string(pages);
    const std::string last = RunText("pdftotext -layout -f " + n + " -l " + n + " '" + pdf.string() + "' -");
    const std::string all = RunText("pdftotext -layout '" + pdf.string() + "' -");
    size_t totals = 0;
    for (size_t at = all.find("TOTAL :"); at != std::string::npos; at = all.find("TOTAL :", at + 1)) ++totals;
    EXPECT_EQ(totals, 1u);
    EXPECT_NE(last.find("TOTAL :"), std::string::npos);
    EXPECT_NE(last.find("Z\xC3\xBCrich 100%s plan - Page " + n), std::string::npos) << last;
    EXPECT_NE(all.find("Aircraft: Cessna C172SP Skyhawk"), std::string::npos);
    EXPECT_EQ(all.find("cut at the cell edge"), std::string::npos) << "cells are clipped, never wrapped";
  }
  std::filesystem::remove(pdf);
}

TEST(PlanPrintout, PreviewShowsTheSnapshotsPages) {
  const auto snapshot = Snapshot(70);
  auto* preview = new wxPrintPreview(new CPlanPrintout(snapshot), new CPlanPrintout(snapshot));
  ASSERT_TRUE(preview->IsOk());
  auto* frame = new wxPreviewFrame(preview, nullptr, "Print Preview");
  frame->Initialize();
  frame->Show();
  wxYield();
  auto* printout = static_cast<CPlanPrintout*>(preview->GetPrintout());
  EXPECT_EQ(preview->GetMaxPage(), printout->GetPagination().PageCount());
  EXPECT_GT(preview->GetMaxPage(), 1);
  EXPECT_TRUE(preview->SetCurrentPage(preview->GetMaxPage()));
  wxYield();
  frame->Close(true);
  wxYield();
}

// A printer page of landscape A4 at 144 dots per inch, and a preview's bitmap of half its size.
const wxSize kPrinterPage(1684, 1190);
const wxSize kPreviewBitmap(842, 595);

CPlanPrintout* Prepared(CPlanPrintout& printout) {
  printout.SetPPIPrinter(144, 144);
  printout.SetPageSizePixels(kPrinterPage.x, kPrinterPage.y);
  printout.OnPreparePrinting();
  return &printout;
}

// A page as the printout draws it for the printer page into a DC of `dcSize`: the printer's own
// size, or a preview's bitmap.
wxImage DrawnPage(const std::shared_ptr<planprint::PrintSnapshot>& snapshot, int page, wxSize dcSize) {
  wxBitmap bitmap(dcSize.x, dcSize.y, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    CPlanPrintout printout(snapshot);
    printout.SetDC(&dc);
    Prepared(printout);
    EXPECT_TRUE(printout.OnPrintPage(page));
    printout.SetDC(nullptr);
  }
  return bitmap.ConvertToImage();
}

// The middles of the page's bands of ink, top to bottom: one per printed line.
std::vector<int> InkLines(const wxImage& image, int threshold) {
  std::vector<int> lines;
  int start = -1;
  for (int y = 0; y <= image.GetHeight(); ++y) {
    int dark = 0;
    for (int x = 0; y < image.GetHeight() && x < image.GetWidth(); ++x)
      if (image.GetRed(x, y) < threshold && image.GetGreen(x, y) < threshold && image.GetBlue(x, y) < threshold) ++dark;
    if (dark >= 2 && start < 0) start = y;
    if (dark < 2 && start >= 0) {
      lines.push_back((start + y - 1) / 2);
      start = -1;
    }
  }
  return lines;
}

// The preview draws each page into a bitmap of its own size: the page must come out as the
// printer gets it, scaled, with the same lines at the same places.
TEST(PlanPrintout, PreviewAndPrinterShowTheSameLinesOnEachOfTwoPages) {
  int rows = 10;
  for (;; rows += 5) {
    CPlanPrintout probe(Snapshot(rows));
    if (Prepared(probe)->GetPagination().PageCount() >= 2) break;
    ASSERT_LT(rows, 1000);
  }
  const auto snapshot = Snapshot(rows + 5);
  CPlanPrintout probe(snapshot);
  const planprint::Pagination pages = Prepared(probe)->GetPagination();
  ASSERT_EQ(pages.PageCount(), 2);
  for (int page = 1; page <= 2; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    const wxImage printed = DrawnPage(snapshot, page, kPrinterPage)
                                .Scale(kPreviewBitmap.x, kPreviewBitmap.y, wxIMAGE_QUALITY_BOX_AVERAGE);
    const wxImage previewed = DrawnPage(snapshot, page, kPreviewBitmap);
    const std::vector<int> printedLines = InkLines(printed, 192);
    const std::vector<int> previewedLines = InkLines(previewed, 192);
    // Every row of the page has ink of its own in the preview.
    const int pageRows = pages.EndRow(page - 1, rows + 5) - pages.firstRow[static_cast<size_t>(page - 1)];
    EXPECT_GE(previewedLines.size(), static_cast<size_t>(pageRows)) << "the preview lost rows";
    // Rows stand 12 pixels apart here: each line of one has its match within a third of that in
    // the other (a title's band may split in two where the fonts round differently).
    const auto nearest = [](const std::vector<int>& lines, int y) {
      int best = 1 << 20;
      for (int line : lines) best = std::min(best, std::abs(line - y));
      return best;
    };
    for (int y : printedLines) EXPECT_LE(nearest(previewedLines, y), 4) << "the printed line at " << y;
    for (int y : previewedLines) EXPECT_LE(nearest(printedLines, y), 4) << "the previewed line at " << y;
  }
}

class PlanPrintFrameTest : public shelltest::ModuleWindowsTest {
 protected:
  void SetUp() override {
    RegisterPlanPane();
    RegisterPlanPrinting();
    ModuleWindowsTest::SetUp();
    if (HasFatalFailure()) return;
    DatabaseLease lease;
    CFlightPlanCore& plan = Document().GetPlan();
    plan.Clear();
    plan.Push(plantest::TripRoute());
    plan.Rebuild();
  }
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows)
      if (dynamic_cast<wxPreviewFrame*>(w) != nullptr) w->Destroy();
    shelltest::Pump(20);
    ModuleWindowsTest::TearDown();
    RegisterPanePrinter(PaneSlot::PlanTable, nullptr);
    RegisterPane(PaneSlot::PlanTable, nullptr);
  }
  wxPrintPreviewBase* OpenPreview() {
    for (wxWindow* w : wxTopLevelWindows) {
      if (dynamic_cast<wxPreviewFrame*>(w) == nullptr) continue;
      for (wxWindow* child : w->GetChildren())
        if (auto* bar = dynamic_cast<wxPreviewControlBar*>(child)) return bar->GetPrintPreview();
    }
    return nullptr;
  }
};

TEST_F(PlanPrintFrameTest, PreviewFromTheFrameKeepsItsPagesWhileThePlanChanges) {
  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  script.QueueDriver([](wxDialog& dialog) { EXPECT_TRUE(ui::PressButton(dialog, kPrintModeFlightplan)); });
  wxCommandEvent preview(wxEVT_MENU, cmd::kPrintPreview);
  main->GetEventHandler()->ProcessEvent(preview);
  shelltest::Pump(50);
  EXPECT_EQ(script.UndrivenDialogs(), 0);
  EXPECT_EQ(main->GetActiveView(), main->GetPaneView(PaneSlot::PlanTable));
  wxPrintPreviewBase* open = OpenPreview();
  ASSERT_NE(open, nullptr) << "Print Mode's Flightplan opens the plan's preview";
  auto* printout = dynamic_cast<CPlanPrintout*>(open->GetPrintout());
  ASSERT_NE(printout, nullptr);
  const size_t rows = Document().GetPlan().m_rows.size();
  ASSERT_GT(rows, 0u);
  EXPECT_EQ(printout->GetSnapshot().rows.size(), rows);
  EXPECT_FALSE(printout->GetSnapshot().totalDistance.empty());
  const int pages = open->GetMaxPage();

  {
    DatabaseLease lease;
    Document().GetPlan().Push(CRoute());
    Document().GetPlan().Rebuild();
  }
  Document().UpdatePlanViews(nullptr, kHintPlanChanged);
  shelltest::Pump(50);
  EXPECT_EQ(printout->GetSnapshot().rows.size(), rows);
  EXPECT_EQ(open->GetMaxPage(), pages);
}

}  // namespace
