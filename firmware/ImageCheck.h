#pragma once
// Opening, converting and judging the firmware image, as one step of the update run.
#include "firmware/StagingFile.h"
#include "framework/platform/File.h"

// The image's file object: created closed at program start, destroyed (and set to null)
// by its first use, so the image is read at most once per program run.
extern CFile* g_pImageFile;

enum class ImageVerdict {
    NotOpened,     // the image could not be opened (or was already used this run)
    StagingFailed, // the staging file could not be written, did not read back as written,
                   // or the image could not be read; nothing written by this run is left
                   // on disk, unless another program still holds it
    Refused,       // wrong length or wrong trailer version; the staging file stays on disk
    Accepted,      // the staging file is written and may be handed to the device
};

// What was learnt of the image, for the run's record: its length once it was opened, and
// its trailer's version text once the trailer was read (empty before).
struct ImageFacts {
    ULONGLONG length = 0;
    char version[5] = {};
};

// Copies ".\" ZRC_FIRMWARE_IMAGE (ShippedFirmware.h) into firmwarePath and opens the image through
// g_pImageFile, alone, waiting up to about two seconds while another program holds it (see
// HeldFile.h); writes the staging file and STAGING_FILE_PATH into stagingPath; reads the image's
// trailer, closes and destroys g_pImageFile (also after a failed open) and judges the
// image: accepted only when its version text equals expectedVersion exactly
// (case-sensitive), it is exactly 0x200000 bytes long, and the staging file then reads
// back as written (see StagingFileMatches: this may wait up to about two seconds).
// Fills `facts`, when given, as far as the image was read.
ImageVerdict PrepareFirmwareImage(char (&firmwarePath)[PATH_BUFFER_LENGTH],
                                  char (&stagingPath)[PATH_BUFFER_LENGTH],
                                  const char* expectedVersion, ImageFacts* facts = nullptr);
