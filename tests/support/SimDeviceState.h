#pragma once
// The simulated device of one test: its state folder (settings and flash), named in
// ZRCSIM_STATE while the object lives, so that the simulator's filters loaded by this
// process, and the programs it starts, use it.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

class SimDeviceState {
public:
    // A new folder is a new device.
    explicit SimDeviceState(const std::string& folder);
    ~SimDeviceState() { SetEnvironmentVariableW(L"ZRCSIM_STATE", nullptr); }
    SimDeviceState(const SimDeviceState&) = delete;
    SimDeviceState& operator=(const SimDeviceState&) = delete;

    const std::wstring& Folder() const { return m_folder; }
    // Changes settings, as `zrcsim set` does; a failure of the running test when a key is
    // unknown or the settings cannot be saved.
    void Set(std::initializer_list<std::pair<const char*, const char*>> values) const;
    // A setting, or what the device recorded (flash_count, last_flash_path, ...).
    std::string Get(const char* key) const;

private:
    std::wstring m_folder;
};
