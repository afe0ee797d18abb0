#pragma once

// The numbered texts of Basemaker that its model shows or hands to the window layer: button
// captions, progress steps, results and prompts. cp1252; "\n" is a line break.

#include <initializer_list>
#include <string>
#include <string_view>

enum BuilderStringId : int {
  IDS_ABOUT_ITEM = 7008,
  IDS_COLUMN_AREA = 7015,
  IDS_COLUMN_ENABLED = 7016,
  IDS_COLUMN_PRIORITY = 7017,
  IDS_SELECT_FOLDER = 7018,
  IDS_CONFIRM_DELETE = 7020,
  IDS_CONFIRM_SAVE = 7021,
  IDS_CREATE_DATABASE = 7024,
  IDS_ABORT_CREATE = 7025,
  IDS_SAVE_FILE = 7026,
  IDS_PLEASE_WAIT = 7027,
  IDS_ADD_INTERSECTIONS = 7028,
  IDS_ADD_AIRSPACE = 7029,
  IDS_CHECK_EXCLUDE = 7030,
  IDS_CROSS_CHECK = 7031,
  IDS_BIND_ILS = 7032,
  IDS_SET_AIRPORT_DATA = 7033,
  IDS_BIND_NAVAIDS = 7034,
  IDS_CONFIRM_BUILD = 7504,
  IDS_BUILD_READY = 7505,
  IDS_BUILD_ABORTED = 7506,
  IDS_BUILD_WRITE_ERROR = 7507,
  IDS_BUILD_OUT_OF_MEMORY = 7508,
  IDS_AREA_MISSING = 7509,
  IDS_INSERT_CD = 7510,
  IDS_WRONG_EXCLUDE = 7511,
  IDS_WRONG_FLATTEN = 7512,
  IDS_INSTALLATION_ERROR = 7513,
  IDS_REQUIRED_OFF = 7514,
  IDS_REQUIRED_EDIT = 7515,
  IDS_REQUIRED_DELETE = 7516,
  IDS_APP_TITLE = 57344,
};

// The text of `id`, or null when there is none.
const char* LoadBuilderString(int id);

// The text of `id` with each "%s" replaced, in order, by the next argument, and "%1" to "%9"
// by the argument of that number (the arguments are data, never formats). Empty when `id` has
// no text.
std::string FormatBuilderString(int id, std::initializer_list<std::string_view> args);
