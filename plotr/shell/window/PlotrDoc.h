#pragma once
// The module's one document: it owns the plan object for the module's whole life, reads and
// writes it as a plan file, carries the plan commands of the module's menu, runs the plan's
// per-tick work and tells its views of every change.

#include <wx/docview.h>

#include <cstdint>
#include <memory>
#include <string>

#include "plotr/core/PlotrDocument.h"
#include "plotr/shell/ShellRules.h"

class CFlightPlanCore;

class CPlotrDoc : public wxDocument, public IPlotrDocument {
 public:
  static constexpr uint16_t kCurrentFormat = 105;
  static constexpr uint16_t kOlderFormat = 103;

  CPlotrDoc();
  ~CPlotrDoc() override;

  CFlightPlanCore& GetPlan() override { return *m_plan; }
  bool IsPlanModified() const override { return IsModified(); }
  void SetPlanModified(bool modified) override { Modify(modified); }
  void UpdatePlanViews(const void* sender, uint32_t bits, const void* object = nullptr) override;

  // The document never asks to save.
  bool OnSaveModified() override { return true; }
  // Views come and go with the frame; the document stays for the module's life.
  void OnChangedViewList() override {}
  // A new, empty plan in the current format; hint 0x11.
  bool DeleteContents() override;
  bool DoSaveDocument(const wxString& file) override;
  bool DoOpenDocument(const wxString& file) override;

  // The save sequence with the file-format choice. An empty path asks for a name; `replace`
  // makes the saved file the document's path. A failed save keeps whatever file was there.
  bool DoSave(const std::string& pathName, bool replace);
  // Opens a plan file as the document (no dialog); false when it cannot be read, the current
  // plan then stays.
  bool OpenPlanFile(const std::string& pathName);
  // New plan: empty, untitled, unmodified.
  void NewPlan();

  void OnTick(uint32_t count);
  void OnWindChanged() { UpdatePlanViews(nullptr, kHintWind); }
  void OnSimDataChanged() { UpdatePlanViews(nullptr, kHintSimulatorData); }
  void OnGuidanceChanged() { UpdatePlanViews(nullptr, kHintGuidance); }

  std::string GetAircraftTitle() const;
  std::string GetPlanTitle() const override;  // code page 1252
  const std::string& GetPathName() const { return m_pathName; }
  uint16_t GetSaveFormat() const { return m_saveFormat; }

  // What the command states depend on, read from the plan.
  PlanCommandFacts GatherFacts() const;
  // Whether a menu item with this id stays in its menu (the builder asks before showing).
  bool MenuItemStays(int id) const;

 private:
  bool RouteToMapView(wxEvent& event);
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  void SaveAsProcedure(bool star);
  // The warning, then the download or upload window.
  void ExchangeSidStars(bool upload);
  void RunSettings();
  void OpenSceneryInteractive();
  void ConnectMultiplayer();
  void SetPath(const std::string& path);

  uint16_t m_saveFormat = kCurrentFormat;
  std::unique_ptr<CFlightPlanCore> m_plan;
  std::string m_pathName;  // UTF-8 file system path
};
