#include "planexport/common/ModuleFrame.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/profile/Profile.h"

bool FlpxSettingsPathFor(std::string_view modulePath, std::string& settingsPath) {
  const size_t slash = modulePath.rfind('/');
  if (slash == std::string_view::npos) return false;
  settingsPath.assign(modulePath.substr(0, slash + 1));
  settingsPath += kFlpxSettingsFile;
  return true;
}

bool FlpxAttachModule(const void* addressInModule, char (&settingsPath)[kFlpxSettingsPathSize]) {
  settingsPath[0] = '\0';
  Dl_info info{};
  if (::dladdr(addressInModule, &info) == 0 || !info.dli_fname) return false;
  std::string path;
  if (!FlpxSettingsPathFor(info.dli_fname, path) || path.size() >= kFlpxSettingsPathSize) return false;
  std::memcpy(settingsPath, path.c_str(), path.size() + 1);
  return true;
}

bool FlpxPathAbove(std::string_view settingsPath, int cuts, std::string_view name, std::string& out) {
  std::string_view rest = settingsPath;
  for (int i = 0; i < cuts; ++i) {
    const size_t slash = rest.rfind('/');
    if (slash == std::string_view::npos) return false;
    rest = rest.substr(0, slash);
  }
  const size_t slash = rest.rfind('/');
  if (slash == std::string_view::npos) return false;
  out.assign(rest.substr(0, slash + 1));
  out += name;
  return true;
}

std::string FlpxFolderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(0, slash + 1));
}

std::string FlpxFilter(std::string_view displayName, std::string_view extension) {
  std::string filter(displayName);
  filter += " Flight Plan (*.";
  filter += extension;
  filter += ")|*.";
  filter += extension;
  filter += "|All Files (*.*)|*.*||";
  return filter;
}

std::string FlpxCaption(std::string_view displayName, std::string_view templateCaption) {
  std::string caption(displayName);
  caption += ' ';
  caption += templateCaption;
  return caption;
}

std::string FlpxIcaoPairName(const FlpxPlanInfo& info, std::string_view extension) {
  std::string name(FieldText(info.departure.ident));
  name += " to ";
  name += FieldText(info.arrival.ident);
  name += '.';
  name += extension;
  return name;
}

std::string FlpxAboutText(std::initializer_list<const char*> items) {
  std::string text = "This Module exports only:\n";
  for (const char* item : items) {
    text += "  - ";
    text += item;
    text += '\n';
  }
  text += "\nPlease fill in the other items of the flight plan\nin the flight plan dialog of the program that "
          "loads this file.";
  return text;
}

std::string FlpxTemporaryFolder() {
  std::error_code error;
  std::string folder = std::filesystem::temp_directory_path(error).string();
  if (error || folder.empty()) folder = "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string FlpxCall::ReadSetting(std::string_view key, std::string_view defaultValue) const {
  return profile::GetString(settingsPath, displayName, key, defaultValue);
}

void FlpxCall::WriteSetting(std::string_view key, std::string_view value) const {
  profile::WriteString(settingsPath, displayName, key, value);
}

bool FlpxCall::SwitchOn(std::string_view key, std::string_view defaultValue) const {
  const std::string value = ReadSetting(key, defaultValue);
  return value.empty() || value[0] != '0';
}

void FlpxCall::WriteSwitch(std::string_view key, bool on) const { WriteSetting(key, on ? "1" : "0"); }

FlpxAsked FlpxAskTarget(const FlpxCall& call, const FlpxTarget& target, std::string& path) {
  const std::string initialDir =
      target.readsInitialDir ? call.ReadSetting("InitialDir", target.initialDirDefault) : target.initialDirDefault;
  const std::string filter = FlpxFilter(call.displayName, target.extension);
  // A default name travels in the path buffer itself, which the dialog then fills; one that
  // does not fit the buffer is left out rather than cut.
  char chosen[kFlpxPathSize] = "";
  const bool named = !target.defaultName.empty() && target.defaultName.size() < kFlpxPathSize;
  if (named) std::memcpy(chosen, target.defaultName.c_str(), target.defaultName.size() + 1);
  if (!call.Source().SaveFileDialog(chosen, call.parent, filter.c_str(), initialDir.c_str(), target.defaultExt,
                                    named ? chosen : nullptr)) {
    return FlpxAsked::Cancelled;
  }
  // The host promises a terminated path; a plug-in does not bet its buffer on it, and a path cut
  // to fit would name another file.
  if (!std::memchr(chosen, '\0', sizeof chosen)) return FlpxAsked::Unusable;
  path = chosen;
  if (target.storesFolder) call.WriteSetting("InitialDir", FlpxFolderOf(path));
  return FlpxAsked::Path;
}

int FlpxWriteTarget(const std::string& path, const FlpxWriter& writer) {
  CExportFile file;
  if (!file.Open(path)) return 0;
  const int result = writer(file);
  return file.Commit(result == 1) ? 1 : 0;
}

int FlpxRunExport(const FlpxCall& call, const FlpxTarget& target, bool refuseWithoutAirports,
                  const std::function<int(CExportFile& file, const FlpxPlanInfo& info)>& writer) {
  FlpxPlanInfo info{};
  if (refuseWithoutAirports) {
    if (!call.Source().PlanInfo(info)) return 0;
    const uint32_t departure = info.departure.present;
    const uint32_t arrival = info.arrival.present;
    if (!departure || !arrival) return 0;
  }
  FlpxTarget named = target;
  if (named.nameFromPlan) named.defaultName = named.nameFromPlan(info);
  std::string path;
  const FlpxAsked asked = FlpxAskTarget(call, named, path);
  if (asked != FlpxAsked::Path) return FlpxNoPathResult(asked);
  return FlpxWriteTarget(path, [&](CExportFile& file) { return writer(file, info); });
}
