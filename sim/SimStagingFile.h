#pragma once
// The staging file that the flash operation programs from: 0x100000 records of four
// bytes (low byte, 0xFF, high byte, 0xFF), one per flash word.
#include <windows.h>

#include <vector>

// Reads and checks the staging file at path (relative to the current folder) and gives
// the flash content it programs: record i's bytes 0 and 2 become flash bytes 2i and
// 2i+1. A missing file gives its open error; a file that is not exactly 0x400000 bytes,
// or a record whose bytes 1 or 3 are not 0xFF, gives ERROR_INVALID_DATA.
HRESULT ReadStagingFile(const char* path, std::vector<BYTE>* flashContent);
