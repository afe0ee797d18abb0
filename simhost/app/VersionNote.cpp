// The file version the modules read to learn which simulator generation hosts them.
#include "platform/win/FileVersion.h"

CW_FILE_VERSION_NOTE(SIMHOST_VERSION_MAJOR, SIMHOST_VERSION_MINOR, 0, 0);
