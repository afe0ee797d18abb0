#include "basemaker/app/BuilderStrings.h"

#include <algorithm>
#include <iterator>

namespace {

struct Entry {
  int id;
  const char* text;
};

// Sorted by id.
constexpr Entry kStrings[] = {
    {IDS_ABOUT_ITEM, "&About Chartwright database creator..."},
    {IDS_COLUMN_AREA, "Scenery Area"},
    {IDS_COLUMN_ENABLED, "Enabled"},
    {IDS_COLUMN_PRIORITY, "Priority"},
    {IDS_SELECT_FOLDER, "&Select scenery area folder"},
    {IDS_CONFIRM_DELETE, "Delete scenery area ?"},
    {IDS_CONFIRM_SAVE, "Save areas list to Flight Simulator ?"},
    {IDS_CREATE_DATABASE, "&Create database"},
    {IDS_ABORT_CREATE, "Abort &create process"},
    {IDS_SAVE_FILE, "Save file to disk"},
    {IDS_PLEASE_WAIT, "Please wait"},
    {IDS_ADD_INTERSECTIONS, "Add intersections"},
    {IDS_ADD_AIRSPACE, "Add airspace"},
    {IDS_CHECK_EXCLUDE, "Checking exclude areas"},
    {IDS_CROSS_CHECK, "Cross-checking waypoints"},
    {IDS_BIND_ILS, "Bind ILS to Runway"},
    {IDS_SET_AIRPORT_DATA, "Set Airport data"},
    {IDS_BIND_NAVAIDS, "Bind VOR/NDB to intersections"},
    {IDS_CONFIRM_BUILD,
     "Before starting to create the scenery database, close the flight simulator first!\n\n"
     "This program will build the scenery database in the background. If the database\n"
     "is ready for use with Chartwright, an info box will be displayed.\n\n"
     "Continue creating scenery database?"},
    {IDS_BUILD_READY,
     "The scenery database is ready. Leave the database\ncreator with Exit, start Flight "
     "Simulator, and press the F9 key."},
    {IDS_BUILD_ABORTED, "The scenery creation process is aborted."},
    {IDS_BUILD_WRITE_ERROR, "The scenery creation process has failed.\nFile write error."},
    {IDS_BUILD_OUT_OF_MEMORY, "The scenery creation process has failed.\nOut of memory."},
    {IDS_AREA_MISSING,
     "The scenery area >> %s << is not available.\n\nIgnore the error with OK or abort the "
     "creation process with Cancel."},
    {IDS_INSERT_CD,
     "Insert the CD %s with the scenery area\n>> %s << in some CD drive.\n\nIf the CD is not "
     "available press Ignore or Abort."},
    {IDS_WRONG_EXCLUDE, "Wrong Exclude."},
    {IDS_WRONG_FLATTEN, "Wrong Flatten."},
    {IDS_INSTALLATION_ERROR, "!!! Program installation error !!!\nPlease install Chartwright again."},
    {IDS_REQUIRED_OFF, "Area %1 is required and can not be turned off."},
    {IDS_REQUIRED_EDIT, "Area %1 is required and can not be edited."},
    {IDS_REQUIRED_DELETE, "Area %1 is required and can not be deleted."},
    {IDS_APP_TITLE, "Chartwright Database Creator"},
};

}  // namespace

const char* LoadBuilderString(int id) {
  const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                    [](const Entry& e, int key) { return e.id < key; });
  return it != std::end(kStrings) && it->id == id ? it->text : nullptr;
}

std::string FormatBuilderString(int id, std::initializer_list<std::string_view> args) {
  const char* format = LoadBuilderString(id);
  if (format == nullptr) return {};
  std::string out;
  auto next = args.begin();
  for (std::string_view rest = format; !rest.empty();) {
    const size_t at = rest.find('%');
    out += rest.substr(0, at);
    if (at == std::string_view::npos || at + 1 == rest.size()) {
      if (at != std::string_view::npos) out += '%';
      break;
    }
    const char kind = rest[at + 1];
    if (kind == 's') {
      if (next != args.end()) out += *next++;
    } else if (kind >= '1' && kind <= '9') {
      const size_t number = static_cast<size_t>(kind - '1');
      if (number < args.size()) out += args.begin()[number];
    } else {
      out += rest.substr(at, 2);
    }
    rest.remove_prefix(at + 2);
  }
  return out;
}
