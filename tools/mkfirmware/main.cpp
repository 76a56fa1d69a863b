// mkfirmware: writes a firmware image for the updater, valid by default, or
// deliberately wrong (length, version) for tests.
#include "tools/mkfirmware/FirmwareImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char kUsage[] =
    "usage: mkfirmware [-o PATH] [--version XXXX] [--seed N | --payload FILE] [--length N]\n"
    "  -o PATH         image to write (default .\\zrcup0214.bin)\n"
    "  --version XXXX  version in the trailer, four hex digits (default 0214)\n"
    "  --seed N        plain payload made from a seed (default 1)\n"
    "  --payload FILE  plain payload read from a file, at most 0x1FFFFE bytes\n"
    "  --length N      image length in bytes (default 0x200000; others are invalid)\n";

int Fail(const char* message, const char* detail = "") {
    std::fprintf(stderr, "mkfirmware: %s%s\n", message, detail);
    return 1;
}

bool ParseCount(const char* text, unsigned long* value) {
    char* end = nullptr;
    *value = std::strtoul(text, &end, 0);
    return end != text && *end == '\0';
}

} // namespace

int main(int argc, char** argv) {
    std::string output = ".\\zrcup0214.bin";
    std::uint16_t version = 0x0214;
    unsigned long seed = 1;
    unsigned long length = kImageSize;
    const char* payloadPath = nullptr;

    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(option, "-h") == 0 || std::strcmp(option, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!value)
            return Fail("missing value for ", option);
        ++i;
        if (std::strcmp(option, "-o") == 0) {
            output = value;
        } else if (std::strcmp(option, "--version") == 0) {
            if (!ParseVersionText(value, &version))
                return Fail("version must be four hex digits: ", value);
        } else if (std::strcmp(option, "--seed") == 0) {
            if (!ParseCount(value, &seed))
                return Fail("bad seed: ", value);
        } else if (std::strcmp(option, "--payload") == 0) {
            payloadPath = value;
        } else if (std::strcmp(option, "--length") == 0) {
            if (!ParseCount(value, &length) || length < 4 || length > 4 * kImageSize)
                return Fail("length must lie between 4 and 0x800000: ", value);
        } else {
            std::fputs(kUsage, stderr);
            return Fail("unknown option ", option);
        }
    }

    std::vector<std::uint8_t> payload;
    if (payloadPath) {
        std::ifstream file(payloadPath, std::ios::binary);
        if (!file)
            return Fail("cannot read payload ", payloadPath);
        payload.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (payload.size() > kImageSize - 2)
            return Fail("payload leaves no room for the version word: ", payloadPath);
    } else {
        payload = PayloadFromSeed(static_cast<std::uint32_t>(seed));
    }

    std::vector<std::uint8_t> image = MakeImage(payload, version, length);
    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    if (!file.flush())
        return Fail("cannot write ", output.c_str());
    std::printf("%s: %lu bytes, version %04X\n", output.c_str(), length, version);
    return 0;
}
