#pragma once
// Waiting for a state that another thread or process brings about: polled, with a timeout,
// never a fixed time.
#include <windows.h>

#include <functional>

// Polls `done` every 20 ms until it holds; false once timeoutMs have passed without.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}
