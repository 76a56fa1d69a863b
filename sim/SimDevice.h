#pragma once
// The simulated ZRC-MT40 behind the three filters: answers, flash and faults. Each
// object binds to the state folder current when it is made and reads the settings
// then, so a change made by the tool or a test applies to the next operation.
#include "device/FlashUpdateArgs.h"
#include "sim/SimFlash.h"
#include "sim/SimSettings.h"

#include <windows.h>

#include <string>

#include "device/VendorFilters.h"

class SimDevice {
public:
    // Binds to the current state folder (see StateFolder.h).
    SimDevice();
    explicit SimDevice(const std::wstring& folder);

    // False when the state folder cannot be made or the flash cannot be created.
    bool IsAvailable() const { return m_available; }

    // S_OK, or the failure that creating the role's filter reports.
    HRESULT CreationStatus(FilterRole role) const;

    // The status that readiness probe 1, 2 or 3 returns (S_FALSE means not ready).
    HRESULT Probe(int number) const;
    DWORD MicrocodeVersion() const { return m_settings.GetNumber("microcode"); }
    DWORD SourceWord() const { return m_settings.GetNumber("source_word"); }
    HRESULT QueryFlag() const;
    // Records the byte; returns the configured status.
    HRESULT SetByte(BYTE value);
    std::string VersionString(FilterRole role) const;
    // How long the Source filter takes to let go of the device at its last release.
    DWORD ReleaseMs() const { return m_settings.GetNumber("release_ms"); }
    // Counts a Source filter made while another one in the same process held the device.
    void RecordSourceOverlap();

    // Programs the flash from the staging file named in updateArgs and records the window
    // handle. Checks the whole file before the first
    // byte of flash changes; blocks for the configured flash time.
    HRESULT FlashUpdate(const UpdateThreadArgs* updateArgs);
    // The four flash bytes at address, big-endian, after the configured read time.
    HRESULT ReadFlashWord(DWORD address, DWORD* value) const;

private:
    HRESULT Program(const std::vector<BYTE>& content);

    bool m_available = false;
    SimSettings m_settings;
    SimFlash m_flash;
};
