// Deleting one file the way the program deletes files, for the removal and
// for the leftover list alike.
#pragma once
#include "common/platform.h"

// For a font, removes the font resource and tells every window; then
// deletes the file, clearing its attributes first where they keep it (a
// read-only file). True when it is gone.
bool EraseFile(const WCHAR* path);  // a long-form path
