#pragma once
// The run's decisions, as plain functions of plain values: what the dialog shows for the
// flash's version word, whether the version gate lets an update start, and the verdict.
// The dialog's handlers call them; none of them touches a window or the device.
#include <windows.h>

#include <string>

// The version shown for a read of the flash's version word: "----" when the read failed
// (nReadResult 0), "****" when the word's low 16 bits are 0xFFFF (an erased flash), else
// those 16 bits as four upper-case hexadecimal digits; the upper 16 bits are ignored.
std::string ShownFlashVersion(int nReadResult, DWORD dwFlashWord);

// Whether an update may start from the version shown: from any version when the accepted
// one is "xxxx", else from an erased flash, the accepted version or the new one again.
// Comparisons are exact and case-sensitive.
bool VersionGateOpen(const std::string& current, const std::string& accepted,
                     const std::string& newVersion);

// "Update OK." only when the flash command succeeded (1) and the version read back after
// it is the new one; any other result or version is "Update NG.".
bool UpdateSucceeded(int nFlashResult, const std::string& readBack, const std::string& newVersion);
