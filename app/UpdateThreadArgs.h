// What the Update handler hands to the flash worker thread, and what the worker hands
// on, by address, to the Source filter's flash operation (device/FlashUpdateArgs.h), and
// what the worker reports back.
#pragma once

#include <windows.h>

#include <atomic>

#include "device/FlashUpdateArgs.h"

// The one block of the program: written by the dialog thread before the worker starts,
// only read afterwards.
extern UpdateThreadArgs g_updateThreadArgs;

// What the worker of this run reports, written before it posts WM_UPDATE_DONE. Any
// program can post that message, so the dialog takes the end of the run and its result
// from here, never from the message.
struct UpdateWorkerReport {
    std::atomic<bool> finished{false}; // set last, once the worker's link is gone
    std::atomic<int> result{0};        // the flash command's result
};
extern UpdateWorkerReport g_updateWorkerReport;

// Returns once the worker of this run has finished. Only after a worker was started.
void WaitForUpdateWorker();

// The worker thread: programs the flash through a device link of its own and posts
// WM_UPDATE_DONE. `param` is the address of g_updateThreadArgs; returns the result.
UINT UpdateThreadProc(LPVOID param);
