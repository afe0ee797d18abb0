#pragma once
// The rules of the module's file dialog without windows: the filter list, the breadcrumb of
// folders under the "Workplace" of every drive, the listing of a folder, the name a save
// accepts, renaming, deleting and the plan-file preview. Paths are UTF-8 file-system paths;
// folders end in '/'.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/Drives.h"

namespace filedlg {

// Images of the dialog's list: workplace, removable, fixed, CD, network, closed folder, open
// folder, file, plan file.
enum Image : int32_t {
  kImageWorkplace = 0,
  kImageRemovable = 1,
  kImageFixed = 2,
  kImageCd = 3,
  kImageNetwork = 4,
  kImageFolder = 5,
  kImageOpenFolder = 6,
  kImageFile = 7,
  kImagePlanFile = 8,
};

struct FilterEntry {
  std::string name;
  std::string pattern;
};
// Pairs "name|pattern|"; spaces in patterns are dropped; an empty name or pattern ends the
// list; a pair without its closing '|' is left out.
std::vector<FilterEntry> ParseFilter(std::string_view filter);

// Case-insensitive wildcard match ('*', '?') against any of the ';'-separated patterns.
bool MatchesPattern(std::string_view pattern, std::string_view name);

struct FolderComboItem {
  std::string text;
  std::string name;
  std::string path;  // with trailing '/', empty for the Workplace entry
  int32_t image = 0;
  int32_t selectedImage = 0;
  int32_t indent = 0;
};

struct FileListItem {
  std::string text;
  std::string name;
  int32_t image = 0;
  int32_t kind = 0;  // 0 drive, 1 folder, 2 file
};

// The drive of a path: the longest mount root that holds it; -1 when none does.
int DriveOfPath(const std::vector<win::DriveInfo>& drives, const std::string& path);
// "label (root)" and the image of a drive.
FolderComboItem DriveItem(const win::DriveInfo& drive);

// The folder combo for a path: Workplace, the drives, and below the path's drive the folders of
// the path down to the deepest one that exists. `selected` is that deepest entry (Workplace for
// an empty path or one on no drive).
std::vector<FolderComboItem> BuildFolderItems(const std::vector<win::DriveInfo>& drives, const std::string& path,
                                              int& selected);

// A folder's sub-folders and the files matching `pattern`, sorted: folders, then files, each
// by name without regard to case. The empty path lists the drives. Links are not followed.
std::vector<FileListItem> ListFolder(const std::vector<win::DriveInfo>& drives, const std::string& folder,
                                     const std::string& pattern);
void SortFileItems(std::vector<FileListItem>& items);

// The text typed into the name field, cut to what follows its last ':' and '/', trimmed.
std::string CutName(std::string_view text);
// The save name with the default extension appended when it has no '.' or more than three
// characters follow its last one.
std::string WithDefaultExtension(const std::string& name, const std::string& extension);

// What accepting a typed name does.
enum class AcceptAction { Refresh, SetPattern, ChangeFolder, Done, Error, AskOverwrite };
struct AcceptResult {
  AcceptAction action = AcceptAction::Refresh;
  std::string path;     // the folder to change to, or the accepted file
  std::string message;  // the error text
};
AcceptResult Accept(const std::string& folder, const std::string& name, bool openMode, const std::string& extension);

// Renames `folder` + `from` to `folder` + `to`; refuses empty, ".", "..", names with '/' or NUL
// and an existing target. Empty on success, else the reason.
std::string RenameEntry(const std::string& folder, const std::string& from, const std::string& to);
// Removes `folder` + name, a folder with everything in it; links are removed, not followed.
std::string DeleteEntry(const std::string& folder, const std::string& name);

// The title of a plan file's first 320 bytes, or empty when they are not a plan header of a
// file of `fileLength` bytes (signature "FP", version 100 to 105, length word = file length).
std::string PlanPreviewTitle(const uint8_t* data, size_t size, uint64_t fileLength);
// Reads the head of a file and returns its preview title.
std::string PlanPreviewOfFile(const std::string& path);

}  // namespace filedlg
