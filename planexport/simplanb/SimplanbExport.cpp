#include "planexport/simplanb/SimplanbExport.h"

#include "planexport/simpln/SimPlnText.h"

int ExportSimplanb(const FlpxCall& call, const StartPositionDialog& dialog) {
  return ExportSimPln(call, SimPlnFolder{SimPlnRootFolder(call.settingsPath, "flights/myflts"), true}, dialog);
}
