// The progress dialog and its leftover file list.
#pragma once
#include <windows.h>

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitDialog(HWND window);
void OnCommand(HWND window, int id);

// Adds a path to the leftover list (nothing happens before the dialog exists).
void AddLeftover(const char* path);
// Deletes the file of a leftover list entry and takes the entry off the list.
void DeleteListedFile(int index);
