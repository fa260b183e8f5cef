// Deleting one file the way the program deletes files, for the removal and
// for the leftover list alike.
#pragma once

// Clears the file's attributes and, for a font, removes the font resource
// and tells every window, then deletes it. True when it is gone.
bool EraseFile(const char* path);
