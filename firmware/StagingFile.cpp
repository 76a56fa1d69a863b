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
static_assert(STAGING_FILE_LENGTH % kChunkRecordBytes == 0, "whole chunks cover the file");

// Another program that holds the new file is waited for this many times this long.
constexpr int kOpenAttempts = 21;
constexpr DWORD kOpenRetryMs = 100;

bool WriteRecords(CFile& image, CFile& staging, StagingDigest& written) {
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
        ConvertWords(loop, words, kChunkBytes / 2, records, written);
        if (staging.Write(records, kChunkRecordBytes) != kChunkRecordBytes) {
            return false;
        }
    }
    return true;
}

bool OpenForCheck(CFile& staging, const char* stagingPath) {
    for (int attempt = 1;; ++attempt) {
        CFileException error;
        if (staging.Open(stagingPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
            return true;
        }
        const bool held =
            error.m_lOsError == ERROR_SHARING_VIOLATION || error.m_lOsError == ERROR_ACCESS_DENIED;
        if (!held || attempt == kOpenAttempts) {
            return false;
        }
        ::Sleep(kOpenRetryMs);
    }
}

} // namespace

bool BuildStagingFile(CFile& image, char (&stagingPath)[PATH_BUFFER_LENGTH],
                      StagingDigest& written) {
    std::snprintf(stagingPath, sizeof stagingPath, "%s", STAGING_FILE_PATH);
    written = StagingDigest();
    // A file left there, or a hard or symbolic link that would carry the records into
    // another file: deleting it removes that name alone.
    if (!::DeleteFileA(stagingPath) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    CFile staging;
    if (!staging.Open(stagingPath,
                      CFile::modeCreateNew | CFile::modeWrite | CFile::shareExclusive)) {
        return false;
    }
    const bool done = image.Seek(0, CFile::begin) == 0 && WriteRecords(image, staging, written) &&
                      image.Seek(0, CFile::begin) == 0;
    staging.Close();
    if (!done) {
        ::DeleteFileA(stagingPath);
    }
    return done;
}

bool StagingFileMatches(const char* stagingPath, const StagingDigest& written) {
    CFile staging;
    if (!OpenForCheck(staging, stagingPath) || staging.GetLength() != STAGING_FILE_LENGTH) {
        return false;
    }
    unsigned char records[kChunkRecordBytes];
    const RecordLoop loop = FastestRecordLoop();
    StagingDigest read;
    for (ULONGLONG done = 0; done < STAGING_FILE_LENGTH; done += kChunkRecordBytes) {
        if (staging.Read(records, kChunkRecordBytes) != kChunkRecordBytes) {
            return false;
        }
        DigestRecords(loop, records, kChunkRecordBytes / 4, read);
    }
    return read == written;
}
