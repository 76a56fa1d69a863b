#pragma once
// The simulated device's 2 MiB flash, kept in flash.bin of the state folder.
//
// The flash holds the plain firmware words, each little-endian: flash bytes 2i and
// 2i+1 are the low and high byte of plain word i. A staging record (low, 0xFF, high,
// 0xFF) programs one such word. Reading four bytes big-endian therefore puts the last
// plain word's low byte in bits 8 to 15 and its high byte in bits 0 to 7: an image
// whose trailer text is "0214" carries the plain version word 0x1402, and the flash
// word read at 0x1FFFFC has the low 16 bits 0x0214. Erased flash reads all ones.
#include <windows.h>

#include <string>
#include <vector>

class SimFlash {
public:
    static constexpr DWORD kSize = 0x200000;
    static constexpr DWORD kVersionAddress = 0x1FFFFC;
    // The version a new device holds.
    static constexpr WORD kFactoryVersion = 0x0211;

    explicit SimFlash(std::wstring folder);

    // Gives a new device its factory firmware when flash.bin is missing or not
    // exactly 2 MiB (a file of any other size cannot be a flash).
    bool EnsureExists();
    // Rewrites the flash with the factory firmware.
    bool ResetToFactory();

    // The four bytes at address, big-endian; false if unreadable or out of range.
    bool ReadBigEndian(DWORD address, DWORD* value) const;
    // Sets every byte to 0xFF.
    bool Erase();
    // Programs bytes at offset; the range must lie inside the flash.
    bool Write(DWORD offset, const BYTE* bytes, DWORD count);
    // Writes the version word so that ReadBigEndian(kVersionAddress) ends in version.
    bool SetVersion(WORD version);

    // The factory firmware: pseudo-random code words, erased padding, version 0211.
    static std::vector<BYTE> FactoryContent();

private:
    std::wstring FilePath() const;
    bool WriteWhole(const std::vector<BYTE>& content);

    std::wstring m_folder;
};
