#include "planexport/simpln/SimPlnText.h"

#include <cmath>

#include "planexport/common/Coordinates.h"
#include "planexport/common/ExportFile.h"
#include "platform/win/Codepage.h"

namespace {

// Just west of the date line: rounds to 179 degrees 59.99 minutes.
constexpr double kDateLineWest = -179.999833;

}  // namespace

std::string SimPlnCoordinate(double degrees, bool longitude) {
  if (longitude && std::fabs(degrees) == 180.0) degrees = kDateLineWest;
  const FlpxDegMin d = SplitDegrees(degrees);
  const char letter = longitude ? (d.negative ? 'W' : 'E') : (d.negative ? 'S' : 'N');
  return FormatC("%c%d* %0.2f', ", letter, d.degrees, d.minutes);
}

std::string SimPlnAltitude(double feet) { return FormatC(feet >= 0 ? "+%09.2f" : "%09.2f", feet); }

char SimPlnTypeLetter(char kind) {
  switch (kind) {
    case 'A':
    case 'C':
      return 'A';
    case 'I':
    case 'K':
    case 'L':
    case 'M':
      return 'V';
    case 'N':
      return 'N';
    case 'G':
    case 'H':
    case 'O':
    case 'P':
      return 'I';
    default:
      return 0;
  }
}

std::string SimPlnDefaultName(std::string_view departureName, std::string_view arrivalName) {
  std::string name(departureName);
  name += " to ";
  name += arrivalName;
  name += ".PLN";
  for (char& c : name) {
    if (std::string_view("\\/:*?<>|\"").find(c) != std::string_view::npos) c = ' ';
  }
  return win::Cp1252ToUtf8(name);
}

std::string SimPlnRootFolder(std::string_view settingsPath, std::string_view name) {
  std::string_view rest = settingsPath;
  for (int cut = 0; cut < 3; ++cut) {
    const size_t slash = rest.rfind('/');
    if (slash == std::string_view::npos) return std::string(rest);
    rest = rest.substr(0, slash);
  }
  const size_t slash = rest.rfind('/');
  if (slash == std::string_view::npos) return std::string(rest);
  std::string folder(rest.substr(0, slash + 1));
  folder += name;
  return folder;
}
