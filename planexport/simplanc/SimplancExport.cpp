#include "planexport/simplanc/SimplancExport.h"

int ExportSimplanc(const FlpxCall& call, const std::string& documentsFolder, const StartPositionDialog& dialog) {
  std::string folder;
  if (!documentsFolder.empty()) {
    folder = documentsFolder;
    if (folder.back() != '/') folder += '/';
    folder += "Flight Simulator Files/";
  }
  return ExportSimPln(call, SimPlnFolder{folder, false}, dialog);
}
