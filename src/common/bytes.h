// The program's own byte routines (no C runtime is linked).
#pragma once
#include "common/platform.h"

// Copies n bytes; safe when the areas overlap.
void MoveBytes(void* dest, const void* src, DWORD n);
void ZeroBytes(void* dest, DWORD n);
// Exchanges n bytes between two areas; nothing happens when they are the same.
void SwapBytes(void* a, void* b, DWORD n);
