#include "firmware/StagingFile.h"

#include "firmware/HeldFile.h"
#include "firmware/StagingRecords.h"

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

// Frees the staging file's name of whatever lies there: a file left behind, or a hard or
// symbolic link that would carry the records into another file. It is renamed to a name of
// the program's own beside it, the staging name with ".old", which moves that name alone,
// and deleted there. Deleted where it lies, a file that another program holds open with
// delete sharing would keep its name until that program closes it, and the new file could
// not be created; a rename frees the name at once. False when the name stays taken: by a
// folder, or by a file held without delete sharing for longer than RetryWhileHeld waits.
constexpr char kOldFileSuffix[] = ".old";

bool FreeStagingName(const char* stagingPath) {
    const DWORD attributes = ::GetFileAttributesA(stagingPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    char oldPath[PATH_BUFFER_LENGTH];
    std::snprintf(oldPath, sizeof oldPath, "%s%s", stagingPath, kOldFileSuffix);
    const DWORD renamed = RetryWhileHeld([stagingPath, &oldPath] {
        // What an earlier run left at the old name goes first. If it cannot (another
        // program still holds it), the rename cannot replace it either, and says so; with
        // nothing at the staging name it is left for a later run.
        ::DeleteFileA(oldPath);
        return ::MoveFileExA(stagingPath, oldPath, MOVEFILE_REPLACE_EXISTING) ? ERROR_SUCCESS
                                                                              : ::GetLastError();
    });
    if (renamed != ERROR_SUCCESS && renamed != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    // Held with delete sharing, it goes when the other program closes it; if it cannot be
    // deleted now, a later run removes it.
    ::DeleteFileA(oldPath);
    return true;
}

} // namespace

bool BuildStagingFile(CFile& image, char (&stagingPath)[PATH_BUFFER_LENGTH],
                      StagingDigest& written) {
    std::snprintf(stagingPath, sizeof stagingPath, "%s", STAGING_FILE_PATH);
    written = StagingDigest();
    CFile staging;
    if (!FreeStagingName(stagingPath) ||
        !OpenWhenFree(staging, stagingPath,
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
    if (!OpenWhenFree(staging, stagingPath, CFile::modeRead | CFile::shareDenyWrite) ||
        staging.GetLength() != STAGING_FILE_LENGTH) {
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
