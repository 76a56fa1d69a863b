#include "sim/SimDevice.h"

#include "sim/SimStagingFile.h"
#include "sim/StateFolder.h"

#include <cstring>

namespace {

// The flash is programmed in this many equal steps, each after its share of the flash
// time, so that an interrupted flash leaves the leading part programmed.
constexpr DWORD kProgramSteps = 32;
constexpr DWORD kStepSize = SimFlash::kSize / kProgramSteps;

const HRESULT kDeviceGone = HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);

} // namespace

SimDevice::SimDevice() : SimDevice(SimStateFolder()) {}

SimDevice::SimDevice(const std::wstring& folder) : m_settings(folder), m_flash(folder) {
    if (folder.empty())
        return;
    m_settings.Load();
    m_available = m_flash.EnsureExists();
}

HRESULT SimDevice::CreationStatus(FilterRole role) const {
    if (!m_available || m_settings.GetFlag(SimNoFilterKey(role)))
        return kDeviceGone;
    return S_OK;
}

HRESULT SimDevice::Probe(int number) const {
    if (number < 1 || number > 3)
        return E_INVALIDARG;
    std::string key = "probe" + std::to_string(number);
    return static_cast<HRESULT>(m_settings.GetNumber(key));
}

HRESULT SimDevice::QueryFlag() const {
    return static_cast<HRESULT>(m_settings.GetNumber("flag_status"));
}

HRESULT SimDevice::SetByte(BYTE value) {
    m_settings.SetHex("last_byte", value);
    m_settings.Save();
    return static_cast<HRESULT>(m_settings.GetNumber("byte_status"));
}

std::string SimDevice::VersionString(FilterRole role) const {
    return m_settings.Get(SimVersionKey(role));
}

void SimDevice::RecordSourceOverlap() {
    m_settings.SetNumber("source_overlaps", m_settings.GetNumber("source_overlaps") + 1);
    m_settings.Save();
}

HRESULT SimDevice::FlashUpdate(const UpdateThreadArgs* updateArgs) {
    if (!updateArgs)
        return E_POINTER;
    if (!m_available)
        return kDeviceGone;
    // A path that fills its whole field has no terminator: refuse it rather than read on.
    const std::size_t field = sizeof updateArgs->szStagingPath;
    std::size_t length = strnlen(updateArgs->szStagingPath, field);
    if (length == field)
        return E_INVALIDARG;
    std::string path(updateArgs->szStagingPath, length);
    const HWND window = updateArgs->hNotifyWnd;

    m_settings.SetNumber("flash_count", m_settings.GetNumber("flash_count") + 1);
    m_settings.Set("last_flash_path", path);
    m_settings.SetHex("last_flash_window", static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window)));
    m_settings.SetNumber("last_flash_window_valid", IsWindow(window) ? 1 : 0);
    m_settings.Set("last_flash_status", "running");
    m_settings.Save();

    std::vector<BYTE> content;
    HRESULT hr = ReadStagingFile(path.c_str(), &content);
    if (SUCCEEDED(hr))
        hr = Program(content);

    // The flash takes a while: keep what the tool changed meanwhile.
    m_settings.Load();
    m_settings.SetHex("last_flash_status", static_cast<DWORD>(hr));
    m_settings.Save();
    return hr;
}

HRESULT SimDevice::Program(const std::vector<BYTE>& content) {
    if (m_settings.GetFlag("fault_flash_fails"))
        return E_FAIL;
    // A device that reports success without having programmed the firmware.
    if (m_settings.GetFlag("fault_flash_unchanged"))
        return S_OK;
    if (m_settings.GetFlag("fault_flash_unwritten"))
        return m_flash.Erase() ? S_OK : E_FAIL;
    DWORD duration =
        m_settings.GetNumber(m_settings.GetFlag("fault_slow_flash") ? "slow_flash_ms" : "flash_ms");
    DWORD steps = kProgramSteps;
    bool powerLoss = m_settings.GetFlag("fault_power_loss");
    if (powerLoss) {
        // Never reaches the last step, which holds the version word.
        DWORD percent = m_settings.GetNumber("power_loss_percent");
        steps = kProgramSteps * (percent < 100 ? percent : 99) / 100;
        // The power comes back for the next try.
        m_settings.Set("fault_power_loss", "0");
        m_settings.Save();
    }

    if (!m_flash.Erase())
        return E_FAIL;
    for (DWORD step = 0; step < steps; ++step) {
        Sleep(duration / kProgramSteps);
        if (!m_flash.Write(step * kStepSize, &content[step * kStepSize], kStepSize))
            return E_FAIL;
    }
    return powerLoss ? kDeviceGone : S_OK;
}

HRESULT SimDevice::ReadFlashWord(DWORD address, DWORD* value) const {
    if (!value)
        return E_POINTER;
    if (address > SimFlash::kSize - 4)
        return E_INVALIDARG;
    Sleep(m_settings.GetNumber("read_ms"));
    if (!m_available || m_settings.GetFlag("fault_read_fails"))
        return E_FAIL;
    return m_flash.ReadBigEndian(address, value) ? S_OK : E_FAIL;
}
