#pragma once

// The "Plan" page of the map pane: the SID/STAR browser. Its upper row holds the leg list of the
// plan on the left and the browser's two trees on the right, its lower row the description of
// the selected procedure. The four views never call each other: every exchange is a hint of the
// document, which this page hands on to each of them.

#include <wx/panel.h>
#include <wx/splitter.h>

#include <vector>

#include "plotr/core/PlotrDocument.h"
#include "plotr/core/window/PaneRegistry.h"

class CSidStarParentView;
class CSidStarDescView;
class CSidStarListView;

// A view of the browser hears the document's hints through the page.
class ISidStarView {
 public:
  virtual ~ISidStarView() = default;
  virtual void OnSidStarUpdate(const UpdateHint& hint) = 0;
};

// The height of the SID/STAR panel's upper row for a stored description height (36 when none
// is stored), at least 50 pixels.
inline int SidStarUpperRowHeight(int insideHeight, int descriptionHeight) {
  const int h = insideHeight - descriptionHeight;
  return h < 50 ? 50 : h;
}
inline constexpr int kDefaultSidStarDescHeight = 36;

class CSidStarPage : public wxPanel, public IPaneWindow {
 public:
  CSidStarPage(wxWindow* parent, IPlotrDocument& document);

  void OnInitialUpdate() override;
  void OnPlanUpdate(const UpdateHint& hint) override;
  // The description's height under the mode's section: saved only once the first showing has
  // placed the splitters, loaded from then on (the first showing loads it itself).
  void SaveSidStarDescHeight(bool docked) override;
  void LoadSidStarDescHeight(bool docked) override;

  IPlotrDocument& Document() { return m_document; }
  // Sends a hint through the document to every view but `sender` (null: to all).
  void Broadcast(const ISidStarView* sender, uint32_t bits, const void* object = nullptr);
  // After a command changed the catalogue: the views hear of it (0x2000), the plan matches its
  // procedures again and the plan views refill (0x2, not to `acting`).
  void CatalogueChanged(const ISidStarView* acting);
  // The window whose look tells that the page is in use (the map pane's tab strip); repainted
  // when one of the views is activated.
  void SetOwner(wxWindow* owner) { m_owner = owner; }
  void RepaintOwner();

  CSidStarListView* GetLegList() const { return m_legList; }
  CSidStarParentView* GetParentView() const { return m_parentView; }
  CSidStarDescView* GetDescView() const { return m_descView; }
  wxSplitterWindow* GetOuterSplitter() const { return m_outer; }
  wxSplitterWindow* GetInnerSplitter() const { return m_inner; }

 private:
  void OnShow(wxShowEvent& event);
  void OnSashMoved(wxSplitterEvent& event);
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  // The view that the page's commands go to: the focused one, else the current tree.
  wxWindow* CommandTarget() const;
  void InitialiseLayout();

  IPlotrDocument& m_document;
  wxWindow* m_owner = nullptr;
  wxSplitterWindow* m_outer = nullptr;
  wxSplitterWindow* m_inner = nullptr;
  CSidStarListView* m_legList = nullptr;
  CSidStarParentView* m_parentView = nullptr;
  CSidStarDescView* m_descView = nullptr;
  std::vector<ISidStarView*> m_views;
  const ISidStarView* m_skip = nullptr;
  bool m_layoutDone = false;
};

// Hosts the page as the map pane's "Plan" tab.
void RegisterSidStarPage();
