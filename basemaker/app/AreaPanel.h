#pragma once

// What the area panel of the folder browser shows and allows while the user picks a folder and
// types a title, without its window.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "basemaker/app/AreaEntry.h"
#include "platform/win/Drives.h"
#include "platform/win/WinPath.h"

class AreaPanelState {
 public:
  // `driveRoots`: where the drive letters of stored folders lie (may be null for none).
  AreaPanelState(const std::filesystem::path& simRoot, const win::DriveTable& drives,
                 const win::DriveRoots* driveRoots = nullptr)
      : m_simRoot(simRoot), m_drives(drives), m_driveRoots(driveRoots) {}

  // Opens the panel on `entry`; returns the folder to preselect, if it is on this machine. A
  // stored folder that is not (a disc not inserted, a folder gone) keeps its text and stays
  // valid, so confirming keeps it.
  std::optional<std::filesystem::path> Start(const AreaEntry& entry);
  // `folder` was selected in the tree. A new area gets "Cache this scenery" on a disc and "Use
  // this scenery directly" elsewhere; an edited one keeps the user's choice. The stored folder
  // itself (the preselection, or the user coming back to it) keeps the text the file gave: the
  // simulator reads it, and it may reach the folder through a drive letter or a link.
  void SelectFolder(const std::filesystem::path& folder);
  // A title of blanks is none.
  void SetTitle(std::string_view title);
  void SetCache(bool cache) { m_cache = cache; }

  const std::string& PathText() const { return m_pathText; }
  bool Cache() const { return m_cache; }
  bool OkEnabled() const { return m_titleValid && m_folderValid; }

  // OK: the title as typed, the folder as shown and the cache choice into `entry`.
  void Apply(std::string_view title, AreaEntry& entry) const;

 private:
  std::filesystem::path m_simRoot;
  const win::DriveTable& m_drives;
  const win::DriveRoots* m_driveRoots;
  bool m_newArea = true;
  std::optional<std::filesystem::path> m_storedFolder;
  std::string m_storedText;
  std::string m_pathText;
  bool m_cache = false;
  bool m_titleValid = false;
  bool m_folderValid = false;
};
