#include "firmware/ImageCheck.h"

#include "firmware/FirmwareWord.h"
#include "firmware/HeldFile.h"
#include "firmware/ShippedFirmware.h"
#include "firmware/StagingFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

CFile* g_pImageFile = new CFile;

namespace {

constexpr char kFirmwareImagePath[] = ".\\" ZRC_FIRMWARE_IMAGE;

// The trailer is the file's actual last four bytes, whatever its length.
bool ReadTrailer(CFile& image, unsigned char (&trailer)[4]) {
    return image.Seek(-4, CFile::end) >= 0 && image.Read(trailer, sizeof trailer) == sizeof trailer;
}

} // namespace

ImageVerdict PrepareFirmwareImage(char (&firmwarePath)[PATH_BUFFER_LENGTH],
                                  char (&stagingPath)[PATH_BUFFER_LENGTH],
                                  const char* expectedVersion, ImageFacts* facts) {
    ImageFacts learnt;
    ImageFacts& known = facts ? *facts : learnt;
    known = ImageFacts();
    std::snprintf(firmwarePath, sizeof firmwarePath, "%s", kFirmwareImagePath);
    // Whatever happens from here on, this use destroys the image's file object.
    std::unique_ptr<CFile> image(std::exchange(g_pImageFile, nullptr));
    if (!image || !OpenWhenFree(*image, firmwarePath, CFile::modeRead | CFile::shareExclusive)) {
        return ImageVerdict::NotOpened;
    }
    StagingDigest written;
    if (!BuildStagingFile(*image, stagingPath, written)) {
        return ImageVerdict::StagingFailed;
    }
    const ULONGLONG length = image->GetLength();
    known.length = length;
    if (length < 4) {
        return ImageVerdict::Refused;
    }
    unsigned char trailer[4];
    const bool trailerRead = ReadTrailer(*image, trailer);
    image.reset();
    if (!trailerRead) {
        ::DeleteFileA(stagingPath);
        return ImageVerdict::StagingFailed;
    }
    char(&version)[5] = known.version;
    TrailerVersionText(trailer, version);
    if (std::strcmp(version, expectedVersion) != 0 || length != FIRMWARE_IMAGE_LENGTH) {
        return ImageVerdict::Refused;
    }
    // Another program may have opened or changed the new file since it was closed: only
    // a file that reads back as written goes to the device.
    if (!StagingFileMatches(stagingPath, written)) {
        ::DeleteFileA(stagingPath);
        return ImageVerdict::StagingFailed;
    }
    return ImageVerdict::Accepted;
}
