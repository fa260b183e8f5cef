// The progress dialog and its leftover file list.
#pragma once
#include <windows.h>

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitDialog(HWND window);
void OnCommand(HWND window, int id);

// Asks the system to delete the running copy at the next restart.
void ScheduleSelfDelete();

// Deletes the file of a leftover list entry and takes the entry off the list.
void DeleteListedFile(int index);
