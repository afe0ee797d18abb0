#include "plotr/shell/OptionsSheet.h"

void RunOptionsSheet(wxWindow*, CPlotrDoc*, bool) {}
