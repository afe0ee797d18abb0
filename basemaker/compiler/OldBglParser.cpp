#include "basemaker/compiler/FileEntry.h"

// Old command-format files keep the box of their header for now; their commands are not read
// yet. This is the one place a reader of that format plugs in.
void FileEntry::ParseOldBgl(BglFileRecord&, CSceneryDatabase&, const uint8_t*, uint32_t) const {}
