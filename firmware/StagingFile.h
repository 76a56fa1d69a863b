#pragma once
// Conversion of the firmware image into the staging file that the device's flash
// operation reads: each descrambled image word becomes a four-byte record.
#include "File.h"

inline constexpr ULONGLONG FIRMWARE_IMAGE_LENGTH = 0x200000;
inline constexpr ULONGLONG STAGING_FILE_LENGTH = 0x400000;
inline constexpr char STAGING_FILE_PATH[] = ".\\update_temp.bin";

// Copies STAGING_FILE_PATH into stagingPath and writes the staging file there: record i
// holds image word i descrambled, as low byte, 0xFF, high byte, 0xFF. Only the first
// 0x200000 bytes of the image are converted; past the end of a shorter image the words
// read as erased (0xFFFF). Leaves the image's position at 0.
// Returns false when the staging file cannot be opened (a file already there stays
// untouched), or when a read, write or seek fails (what was written is removed), so
// that no stale or partial staging file is ever taken for a good one.
bool BuildStagingFile(CFile& image, char (&stagingPath)[260]);
