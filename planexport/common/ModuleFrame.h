#pragma once

// What every plan-export module shares: the library entry that finds "FlpExport.ini" beside the
// library, the folders cut from that path, the settings of the module's own section, the file
// type filter, and the export flow around the module's writer (ask for the target, remember
// its folder, write it through CExportFile).

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "planexport/common/ExportFile.h"
#include "planexport/common/PlanSource.h"
#include "platform/flpx/Flpx.h"

// Marks the two tables, the only symbols a module exports.
#define FLPX_EXPORT __attribute__((visibility("default")))

inline constexpr char kFlpxSettingsFile[] = "FlpExport.ini";
inline constexpr size_t kFlpxSettingsPathSize = 4096;

// The library entry's work: the settings path beside the library that holds the address.
// False when the library's file name cannot be found or holds no '/'; the module must then not
// be used (it clears its export table's size so the host skips it).
bool FlpxAttachModule(const void* addressInModule, char (&settingsPath)[kFlpxSettingsPathSize]);

// Everything after the last '/' of `modulePath` replaced by "FlpExport.ini".
bool FlpxSettingsPathFor(std::string_view modulePath, std::string& settingsPath);
// The settings path cut at its last '/' `cuts` times, then everything after the then-last '/'
// replaced by `name`: one cut names a file in the plug-in folder's parent, two in the client
// folder, three in the simulator root. False when a cut finds no '/'.
bool FlpxPathAbove(std::string_view settingsPath, int cuts, std::string_view name, std::string& out);
// The path up to and including its last '/'; the whole path when it has none.
std::string FlpxFolderOf(std::string_view path);
// "<name> Flight Plan (*.<ext>)|*.<ext>|All Files (*.*)|*.*||".
std::string FlpxFilter(std::string_view displayName, std::string_view extension);
// Dialog captions: the display name, a blank and the template's caption.
std::string FlpxCaption(std::string_view displayName, std::string_view templateCaption);
// "<departure ICAO> to <arrival ICAO>.<extension>", the default name of the modules whose
// targets file plans by airport ids.
std::string FlpxIcaoPairName(const FlpxPlanInfo& info, std::string_view extension);
// The information dialog's text: what the file carries, one item a line, and where the rest of
// the flight plan is filled in.
std::string FlpxAboutText(std::initializer_list<const char*> items);
// The platform's temporary folder with its trailing '/'.
std::string FlpxTemporaryFolder();

// One call of a module entry.
struct FlpxCall {
  const FlpxImportTableRecord& imports;
  void* plan;
  void* parent;
  const char* displayName;   // also the module's section in "FlpExport.ini"
  const char* settingsPath;  // full path of "FlpExport.ini"

  FlpxPlanSource Source() const { return FlpxPlanSource(imports, plan); }
  std::string ReadSetting(std::string_view key, std::string_view defaultValue) const;
  // Failed writes are ignored: a read-only plug-in folder costs only the remembered values.
  void WriteSetting(std::string_view key, std::string_view value) const;
  // A switch is off when its value begins with '0'.
  bool SwitchOn(std::string_view key, std::string_view defaultValue) const;
  void WriteSwitch(std::string_view key, bool on) const;
};

// How a module asks for its target file.
struct FlpxTarget {
  const char* extension;         // lower-case, for the filter
  const char* defaultExt;        // passed to the dialog
  std::string initialDirDefault;  // when "InitialDir" holds nothing
  bool storesFolder = true;      // the chosen folder becomes "InitialDir"
  bool readsInitialDir = true;   // false: `initialDirDefault` is the folder, whatever was stored
  std::string defaultName = {};  // UTF-8; empty: the dialog gets no name
  // In FlpxRunExport: the default name made from the plan information read before the dialog
  // (replaces `defaultName` when set).
  std::function<std::string(const FlpxPlanInfo& info)> nameFromPlan = {};
};

// Writes the plan into an open export file; 1 when every line was written.
using FlpxWriter = std::function<int(CExportFile& file)>;

// What the save dialog gave.
enum class FlpxAsked {
  Path,       // a path to write
  Cancelled,  // the entry returns 1: a cancel is no failure
  Unusable,   // an answer the path buffer could not hold: the entry returns 0, and the host says so
};
// The entry's result when the dialog gave no path.
inline int FlpxNoPathResult(FlpxAsked asked) { return asked == FlpxAsked::Cancelled ? 1 : 0; }

// The save dialog seeded from "InitialDir" and the filter; the chosen folder stored back when
// it gave a path (nothing is stored otherwise).
FlpxAsked FlpxAskTarget(const FlpxCall& call, const FlpxTarget& target, std::string& path);
// Writes `path` through a temporary file: the target is replaced only when the writer
// returned 1 and the file closed cleanly. Returns 1 then, else 0.
int FlpxWriteTarget(const std::string& path, const FlpxWriter& writer);
// The common export flow: the plan refused (0, no dialog) without a departure or an arrival
// when `refuseWithoutAirports`; the dialog (a cancel returns 1); then the writer with the plan
// information read in the first step.
int FlpxRunExport(const FlpxCall& call, const FlpxTarget& target, bool refuseWithoutAirports,
                  const std::function<int(CExportFile& file, const FlpxPlanInfo& info)>& writer);

// The library side every module shares: its settings path, its two exported tables and the
// library entry. `configureEntry` may be nullptr. Defines FlpxModuleCall(plan, parent) for the
// module's entries.
#define FLPX_DEFINE_MODULE(displayName, configureEntry, exportEntry) \
  FLPX_DEFINE_MODULE_WITH_ATTACH(displayName, configureEntry, exportEntry, FlpxNoAttachStep)

inline bool FlpxNoAttachStep(const char* /*settingsPath*/) { return true; }

// The same, with a further step of the library entry once the settings path is known
// (`bool attachStep(const char* settingsPath)`, declared before): a module that needs more
// than its settings path finds it there, and is not used when the step returns false.
#define FLPX_DEFINE_MODULE_WITH_ATTACH(displayName, configureEntry, exportEntry, attachStep)             \
  namespace {                                                                                          \
  char g_flpxSettingsPath[kFlpxSettingsPathSize];                                                      \
  }                                                                                                    \
  extern "C" {                                                                                         \
  FLPX_EXPORT FlpxExportTableRecord FlpxExportTable = {sizeof(FlpxExportTableRecord), displayName,     \
                                                       configureEntry, exportEntry};                   \
  FLPX_EXPORT FlpxImportTableRecord FlpxImportTable = {                                                \
      sizeof(FlpxImportTableRecord), nullptr, nullptr, nullptr, nullptr, {0, 0, 0}};                   \
  }                                                                                                    \
  /* Without its settings path the module must not be used: a zero size keeps the host away. */      \
  __attribute__((constructor)) static void FlpxAttachThisModule() {                                    \
    if (!FlpxAttachModule(&FlpxExportTable, g_flpxSettingsPath) || !attachStep(g_flpxSettingsPath)) {  \
      FlpxExportTable.size = 0;                                                                        \
    }                                                                                                  \
  }                                                                                                    \
  [[maybe_unused]] static FlpxCall FlpxModuleCall(void* plan, void* parent) {                          \
    return FlpxCall{FlpxImportTable, plan, parent, displayName, g_flpxSettingsPath};                   \
  }
