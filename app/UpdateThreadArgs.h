// What the Update handler hands to the flash worker thread, and what the worker hands
// on, by address, to the Source filter's flash operation. The filter reads the block
// by byte offsets, so its layout is fixed: the staging path, then the dialog's handle.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>

#include "firmware/StagingFile.h"

// Keeps the handle at offset 260 in the 64-bit build too, so both builds hand the
// filter the same leading fields.
#pragma pack(push, 4)
struct UpdateThreadArgs {
    char szStagingPath[PATH_BUFFER_LENGTH]; // NUL-terminated path of the staging file
    HWND hNotifyWnd;                        // the dialog that receives WM_UPDATE_DONE
};
#pragma pack(pop)

static_assert(offsetof(UpdateThreadArgs, hNotifyWnd) == 260, "handle follows the path");
static_assert(sizeof(void*) != 4 || sizeof(UpdateThreadArgs) == 264,
              "the 32-bit block is 264 bytes");

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
