// Deleting one file the way the program deletes files, for the removal and
// for the leftover list alike.
#pragma once

// For a font, removes the font resource and tells every window; then
// deletes the file, clearing its attributes first where they keep it (a
// read-only file). True when it is gone.
bool EraseFile(const char* path);
