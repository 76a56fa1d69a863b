#include "tests/support/SimDeviceState.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "sim/SimSettings.h"

SimDeviceState::SimDeviceState(const std::string& folder) : m_folder(folder.begin(), folder.end()) {
    CreateDirectoryW(m_folder.c_str(), nullptr);
    SetEnvironmentVariableW(L"ZRCSIM_STATE", m_folder.c_str());
}

void SimDeviceState::Set(std::initializer_list<std::pair<const char*, const char*>> values) const {
    SimSettings settings(m_folder);
    settings.Load();
    for (const auto& value : values) {
        ASSERT_TRUE(SimSettings::IsKnownKey(value.first)) << value.first;
        settings.Set(value.first, value.second);
    }
    ASSERT_TRUE(settings.Save());
}

std::string SimDeviceState::Get(const char* key) const {
    SimSettings settings(m_folder);
    settings.Load();
    return settings.Get(key);
}
