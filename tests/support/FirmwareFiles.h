#pragma once
// Firmware images and staging files for tests. Images are made with mkfirmware's library,
// which writes the maker's format independently of the updater; the staging file expected
// from an image follows the record rule directly, not the updater's conversion.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/mkfirmware/FirmwareImage.h"

using Bytes = std::vector<std::uint8_t>;

// The plain firmware of the test images: the four words that the word rule passes through
// (0x0000, 0xFFFF, the mask, its complement), then pseudo-random code.
Bytes TestPayload();
// An image of `length` bytes of TestPayload with `version` in its trailer. Below 4 bytes:
// the start of a 4-byte image.
Bytes MakeTestImage(std::uint16_t version = 0x0214, std::size_t length = kImageSize);
// Writes MakeTestImage(version, length) to `path` and gives the bytes written.
Bytes WriteTestImage(const std::string& path, std::uint16_t version = 0x0214,
                     std::size_t length = kImageSize);

// The staging file the device expects for `image`: one record per firmware word of low
// byte, 0xFF, high byte, 0xFF, 0x100000 records in all; bytes past the end of the image
// read as erased (0xFF) and bytes past 0x200000 are not used.
Bytes ExpectedStaging(const Bytes& image);

// A failure of the running test when the file cannot be written.
void WriteBytes(const std::string& path, const Bytes& bytes);
// The whole file; empty when it cannot be read.
Bytes ReadBytes(const std::string& path);
// The size of a file, or -1 when it does not exist.
long long FileSize(const std::string& path);
