// A small program built with the product's flags and its record loops, once clean and once
// for each fault that scripts/check-pe.sh and scripts/check-hardening.sh must find
// (see tests/release/CMakeLists.txt): the checks must pass it clean and fail each plant.
#include "firmware/StagingRecords.h"

#include <windows.h>
#ifdef ZRC_PLANT_IMPORT
#include <dbghelp.h>
#endif
#ifdef ZRC_PLANT_SEH
#include <excpt.h>

static EXCEPTION_DISPOSITION __cdecl Handler(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
    return ExceptionContinueSearch;
}
#endif

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    unsigned char image[64] = {};
    unsigned char records[128];
    std::memcpy(image, argv[0], std::strlen(argv[0]) < sizeof image ? std::strlen(argv[0]) : 0);
    StagingDigest digest;
    ConvertWords(FastestRecordLoop(), image, sizeof image / 2, records, digest);
    DigestRecords(FastestRecordLoop(), records, sizeof records / 4, digest);
    char line[32];
    std::snprintf(line, sizeof line, "%d %u %u", argc, records[argc],
                  static_cast<unsigned>(digest.sumsOfSums[argc % 4]));
#ifdef ZRC_PLANT_SEH
    // A hand-registered SEH frame: the head of the chain at %fs:0 is written.
    __try1(Handler) {
        std::puts(line);
    }
    __except1;
#endif
#ifdef ZRC_PLANT_IMPORT
    MakeSureDirectoryPathExists(line);
#endif
    return std::puts(line) < 0;
}
