#include "StagingFile.h"

#include "FirmwareWord.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// One pass converts 32 KiB of image into 64 KiB of records: 64 reads and 64 writes for a
// whole image instead of one system call per word. A buffer this small stays in the
// processor's cache and is reused by the heap; multi-megabyte ones cost more in fresh
// pages than they save in calls.
constexpr UINT kChunkBytes = 0x8000;
constexpr UINT kChunkRecordBytes = kChunkBytes * 2;
static_assert(FIRMWARE_IMAGE_LENGTH % kChunkBytes == 0, "whole chunks cover the image");

void ConvertChunk(const unsigned char* image, unsigned char* records) {
    for (UINT i = 0; i < kChunkBytes / 2; ++i) {
        const std::uint16_t word =
            DescrambleWord(static_cast<std::uint16_t>(image[2 * i] | image[2 * i + 1] << 8));
        records[4 * i] = static_cast<unsigned char>(word & 0xFF);
        records[4 * i + 1] = 0xFF;
        records[4 * i + 2] = static_cast<unsigned char>(word >> 8);
        records[4 * i + 3] = 0xFF;
    }
}

bool WriteRecords(CFile& image, CFile& staging) {
    std::unique_ptr<unsigned char[]> buffer(
        new (std::nothrow) unsigned char[kChunkBytes + kChunkRecordBytes]);
    if (!buffer) {
        return false;
    }
    unsigned char* const words = buffer.get();
    unsigned char* const records = buffer.get() + kChunkBytes;
    ULONGLONG imageLeft = image.GetLength();
    for (ULONGLONG done = 0; done < FIRMWARE_IMAGE_LENGTH; done += kChunkBytes) {
        const UINT wanted = imageLeft < kChunkBytes ? static_cast<UINT>(imageLeft) : kChunkBytes;
        if (image.Read(words, wanted) != wanted) {
            return false;
        }
        // Past the end of a shorter image the words read as erased flash.
        std::memset(words + wanted, 0xFF, kChunkBytes - wanted);
        imageLeft -= wanted;
        ConvertChunk(words, records);
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
