// Controls of the host implementation of the platform seam, for the unit
// tests: message boxes are recorded instead of shown, and answered with a
// preset answer; a box that ends the process writes its text to stderr first,
// so death tests can see what was shown.
#pragma once
#include "common/platform.h"

void HostResetMessageBoxes();
void HostSetMessageBoxAnswer(int answer);  // IDYES by default
int HostMessageBoxCount();
const char* HostLastMessageText();
const char* HostLastMessageCaption();
unsigned HostLastMessageStyle();
HWND HostLastMessageOwner();
// Sleeps are counted, not waited for.
void HostResetSleeps();
long HostSleepCount();
unsigned long HostSleepTotal();
// The ANSI code page of the lead-byte test: 1252 (no lead bytes, the
// default) or 932 (lead bytes 0x81-0x9F and 0xE0-0xFC).
void HostSetCodePage(unsigned codePage);
// Page allocations of more than bytes fail from now on (0xFFFFFFFF: none).
void HostSetAllocationLimit(DWORD bytes);
// Calls of the text comparison (CompareStringA on Windows) since the start.
long HostCompareCount();
// A file that lives in memory: opening path reads these bytes, and the size
// reported is claimedSize (more than size makes a short read). The bytes must
// stay valid until the file is set again; a null path forgets it.
void HostSetMemoryFile(const char* path, const void* data, DWORD size, DWORD claimedSize);
