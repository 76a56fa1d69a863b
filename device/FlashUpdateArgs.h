// The block that the Source filter's flash operation (ISourcePrivate slot 90) reads: the
// maker's contract. The filter reads it by byte offsets, so its layout is fixed: the
// staging path, then the window that hears of the end of the flash.
#pragma once

#include <windows.h>

#include <cstddef>

// The length of the staging path field, terminator included. The program's path buffers
// (the image's and the staging file's) have this length too, so that the staging path
// always fits the field.
inline constexpr std::size_t PATH_BUFFER_LENGTH = 260;

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
