// The lines of the About box, composed into fixed buffers so that no device-supplied
// text can run past them.
#pragma once

#include <windows.h>

#include <cstddef>

// Each line holds at most ABOUT_LINE_SIZE - 1 characters; longer text is cut there.
constexpr std::size_t ABOUT_LINE_SIZE = 40;
using AboutLine = char[ABOUT_LINE_SIZE];

// "Microcode Version " and the value in lower-case hexadecimal, at least four digits.
void FormatMicrocodeLine(DWORD microcodeVersion, AboutLine& line);

// `prefix` followed by " N/A" when `version` is empty, otherwise by `version` without
// its first seven characters (nothing when it has seven or fewer). `version` is read
// up to its NUL or its field size, whichever comes first.
void FormatFilterLine(const char* prefix, const char* version, std::size_t versionFieldSize,
                      AboutLine& line);
