#include "app/RunDecisions.h"

#include <cstdio>

#include "app/UpdaterIdentity.h"

std::string ShownFlashVersion(int nReadResult, DWORD dwFlashWord) {
    // A failed read delivers no word; showing a made-up version could open the gate.
    if (nReadResult == 0)
        return kNoVersion;
    const unsigned low = static_cast<unsigned>(dwFlashWord & 0xFFFF);
    if (low == 0xFFFF)
        return kErasedVersion;
    char szVersion[8] = {};
    std::snprintf(szVersion, sizeof szVersion, "%04X", low);
    return szVersion;
}

bool VersionGateOpen(const std::string& current, const std::string& accepted,
                     const std::string& newVersion) {
    return accepted == kAnyVersion || current == kErasedVersion || current == accepted ||
           current == newVersion;
}

bool UpdateSucceeded(int nFlashResult, const std::string& readBack, const std::string& newVersion) {
    // The flash command's success alone is not enough: a device that reports success but
    // reads back erased, the old version or nothing at all may not start again, and its
    // owner must hear "NG" to try once more.
    return nFlashResult == 1 && readBack == newVersion;
}
