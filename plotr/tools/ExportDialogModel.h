#pragma once

// The rules of the "Export" dialog without its window: the formats found in the plug-in folder
// in list order, the remembered format, which buttons are enabled, and what Format Options and
// OK do. The wx dialog only mirrors this.

#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/PlanUi.h"
#include "plotr/tools/FlpxHost.h"

class CExportDialogModel {
 public:
  struct Item {
    std::string name;  // display name
    size_t module;     // index into Modules(), in the order the libraries were found
  };

  // `plan` is the handle the plug-ins get back in the services; `ui` shows the wait cursor, the
  // failure and the plug-ins' save dialog.
  CExportDialogModel(void* plan, const FlpxServiceSet& services, const PlanUiServices& ui = {});

  // Lists the folder; items sorted by display name ignoring case (equal names keep the file
  // order); selects the first item named `remembered` (ignoring case), else the first item.
  void Load(const std::string& folder, std::string_view remembered);

  const std::vector<FlpxModuleInfo>& Modules() const { return m_modules; }
  const std::vector<Item>& Items() const { return m_items; }
  int Selection() const { return m_selection; }  // -1: none
  void Select(int item);

  bool OptionsEnabled() const;
  bool OkEnabled() const;

  // Calls the selected plug-in's options entry over `parent` (a wxWindow*); nothing when
  // disabled or when the plug-in cannot be called any more.
  void RunOptions(void* parent);

  enum class OkResult {
    Nothing,   // disabled (a double click on a format that cannot export)
    StayOpen,  // the plug-in could not be called: the dialog stays
    Close,     // exported or failed (the error was shown); the format is remembered
  };
  OkResult RunExport(void* parent);

 private:
  const FlpxModuleInfo* Selected() const;

  void* m_plan;
  FlpxServiceSet m_services;
  PlanUiServices m_ui;
  std::vector<FlpxModuleInfo> m_modules;
  std::vector<Item> m_items;
  int m_selection = -1;
};
