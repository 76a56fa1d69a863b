#include "app/AboutLines.h"

#include <cstdio>
#include <cstring>

namespace {

// The characters of a filter's version string that the About box leaves out.
constexpr std::size_t kVersionSkip = 7;

// Appends up to `count` characters of `text` to the NUL-terminated `line`, stopping
// where the line is full.
void AppendBounded(AboutLine& line, const char* text, std::size_t count) {
    std::size_t used = std::strlen(line);
    std::size_t room = ABOUT_LINE_SIZE - 1 - used;
    std::size_t take = count < room ? count : room;
    std::memcpy(line + used, text, take);
    line[used + take] = '\0';
}

} // namespace

void FormatMicrocodeLine(DWORD microcodeVersion, AboutLine& line) {
    std::snprintf(line, sizeof line, "Microcode Version %04lx",
                  static_cast<unsigned long>(microcodeVersion));
}

void FormatFilterLine(const char* prefix, const char* version, std::size_t versionFieldSize,
                      AboutLine& line) {
    std::memset(line, 0, sizeof line);
    AppendBounded(line, prefix, std::strlen(prefix));
    std::size_t length = strnlen(version, versionFieldSize);
    if (length == 0) {
        static const char kNotAvailable[] = " N/A";
        AppendBounded(line, kNotAvailable, sizeof kNotAvailable - 1);
    } else if (length > kVersionSkip) {
        AppendBounded(line, version + kVersionSkip, length - kVersionSkip);
    }
}
