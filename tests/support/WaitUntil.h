#pragma once
// Waiting for a state that another thread or process brings about: polled every 20 ms,
// never a fixed time; false once timeoutMs have passed without it.
#include <windows.h>

#include <functional>

inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}
