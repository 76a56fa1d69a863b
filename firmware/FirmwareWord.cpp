#include "firmware/FirmwareWord.h"

#include <cstdio>

void TrailerVersionText(const unsigned char (&trailer)[4], char (&text)[5]) {
    const unsigned first = trailer[2] ^ (FIRMWARE_WORD_MASK & 0xFF);
    const unsigned second = trailer[3] ^ (FIRMWARE_WORD_MASK >> 8);
    std::snprintf(text, sizeof text, "%02X%02X", first, second);
}
