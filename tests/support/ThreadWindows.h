#pragma once
// Finding a thread's windows and reading their controls, for tests that drive dialogs.
#include <windows.h>

#include <string>

// The visible top-level window of the thread titled `title`, or null.
HWND FindThreadWindow(const char* title, DWORD threadId = GetCurrentThreadId());
// Text of a dialog's control.
std::string ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
