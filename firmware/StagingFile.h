#pragma once
// Conversion of the firmware image into the staging file that the device's flash
// operation reads: each descrambled image word becomes a four-byte record.
#include "device/FlashUpdateArgs.h"
#include "firmware/StagingRecords.h"
#include "framework/platform/File.h"

inline constexpr ULONGLONG FIRMWARE_IMAGE_LENGTH = 0x200000;
inline constexpr ULONGLONG STAGING_FILE_LENGTH = 0x400000;
// The staging file's name, a macro so that the run log's words are composed from it, and
// its path in the folder the program runs from.
#define ZRC_STAGING_FILE_NAME "update_temp.bin"
inline constexpr char STAGING_FILE_PATH[] = ".\\" ZRC_STAGING_FILE_NAME;

// Copies STAGING_FILE_PATH into stagingPath and writes the staging file there: record i
// holds image word i descrambled, as low byte, 0xFF, high byte, 0xFF. Only the first
// 0x200000 bytes of the image are converted; past the end of a shorter image the words
// read as erased (0xFFFF). Leaves the image's position at 0, and the digest of the records
// written (see StagingDigest) in `written`.
// Whatever lies at that name is first renamed to the name with ".old" (a link alone, never
// its target), after what an earlier run left there, and deleted; then the file is made
// new, so the records never go into another file, and a file that another program holds
// with delete sharing never blocks the new one. The rename and the creation wait up to
// about two seconds each while another program holds the file (see HeldFile.h). Returns
// false when something there cannot be moved aside (it stays untouched), when the new file
// cannot be created (something appeared there meanwhile, say), or when a read, write or
// seek fails (what was written is removed), so that no stale or partial staging file is
// ever taken for a good one.
bool BuildStagingFile(CFile& image, char (&stagingPath)[PATH_BUFFER_LENGTH],
                      StagingDigest& written);

// Reopens the staging file for reading, waiting up to about two seconds while another
// program (a virus scanner, an indexer) holds it, and reads it through while others may
// read it but not change it. True only when it is STAGING_FILE_LENGTH bytes long and its
// digest equals `written`.
bool StagingFileMatches(const char* stagingPath, const StagingDigest& written);
