#include "StagingFile.h"

#include "StagingRecords.h"

#include <cstdio>
#include <cstring>

namespace {

// One pass converts 128 KiB of image into 256 KiB of records: 16 reads and 16 writes for a
// whole image instead of one system call per word. With the word loops this fast the
// calls are a measurable share: 64 KiB chunks took about 0.15 ms longer. The buffers
// (384 KiB of the dialog thread's 2 MiB stack) need no allocation and reuse pages that
// are already mapped; multi-megabyte buffers cost more in fresh pages than they save in
// calls.
constexpr UINT kChunkBytes = 0x20000;
constexpr UINT kChunkRecordBytes = kChunkBytes * 2;
static_assert(FIRMWARE_IMAGE_LENGTH % kChunkBytes == 0, "whole chunks cover the image");
static_assert((kChunkBytes / 2) % RECORD_LOOP_STEP == 0, "whole loop steps cover a chunk");

bool WriteRecords(CFile& image, CFile& staging) {
    unsigned char words[kChunkBytes];
    unsigned char records[kChunkRecordBytes];
    const RecordLoop loop = FastestRecordLoop();
    ULONGLONG imageLeft = image.GetLength();
    for (ULONGLONG done = 0; done < FIRMWARE_IMAGE_LENGTH; done += kChunkBytes) {
        const UINT wanted = imageLeft < kChunkBytes ? static_cast<UINT>(imageLeft) : kChunkBytes;
        if (image.Read(words, wanted) != wanted) {
            return false;
        }
        // Past the end of a shorter image the words read as erased flash.
        std::memset(words + wanted, 0xFF, kChunkBytes - wanted);
        imageLeft -= wanted;
        ConvertWords(loop, words, kChunkBytes / 2, records);
        if (staging.Write(records, kChunkRecordBytes) != kChunkRecordBytes) {
            return false;
        }
    }
    return true;
}

} // namespace

bool BuildStagingFile(CFile& image, char (&stagingPath)[260]) {
    std::snprintf(stagingPath, sizeof stagingPath, "%s", STAGING_FILE_PATH);
    CFile staging;
    if (!staging.Open(stagingPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) {
        return false;
    }
    const bool written = image.Seek(0, CFile::begin) == 0 && WriteRecords(image, staging) &&
                         image.Seek(0, CFile::begin) == 0;
    staging.Close();
    if (!written) {
        ::DeleteFileA(stagingPath);
    }
    return written;
}
