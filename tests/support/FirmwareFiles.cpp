#include "tests/support/FirmwareFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>

Bytes TestPayload() {
    Bytes payload = PayloadFromSeed(7);
    const Bytes passThrough = {0x00, 0x00, 0xFF, 0xFF, 0x2D, 0x4C, 0xD2, 0xB3};
    std::copy(passThrough.begin(), passThrough.end(), payload.begin());
    return payload;
}

Bytes MakeTestImage(std::uint16_t version, std::size_t length) {
    Bytes image = MakeImage(TestPayload(), version, length < 4 ? 4 : length);
    image.resize(length);
    return image;
}

Bytes WriteTestImage(const std::string& path, std::uint16_t version, std::size_t length) {
    Bytes image = MakeTestImage(version, length);
    WriteBytes(path, image);
    return image;
}

Bytes ExpectedStaging(const Bytes& image) {
    Bytes staging;
    staging.reserve(2 * kImageSize);
    for (std::size_t i = 0; i < kImageSize; i += 2) {
        const unsigned low = i < image.size() ? image[i] : 0xFF;
        const unsigned high = i + 1 < image.size() ? image[i + 1] : 0xFF;
        // Scrambling a word is its own inverse.
        const std::uint16_t plain = ScrambleImageWord(static_cast<std::uint16_t>(low | high << 8));
        staging.insert(staging.end(), {static_cast<std::uint8_t>(plain & 0xFF), 0xFF,
                                       static_cast<std::uint8_t>(plain >> 8), 0xFF});
    }
    return staging;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.flush()) << path;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}
