#include "sim/StateFolder.h"

#include <windows.h>

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::wstring();
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

// Creates the folder and any missing parents.
bool MakeFolder(const std::wstring& path) {
    if (path.empty())
        return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring::size_type slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':')
        MakeFolder(path.substr(0, slash));
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace

std::wstring SimStateFolder() {
    std::wstring folder = EnvironmentValue(L"ZRCSIM_STATE");
    if (folder.empty()) {
        std::wstring localAppData = EnvironmentValue(L"LOCALAPPDATA");
        if (localAppData.empty())
            return std::wstring();
        folder = localAppData + L"\\ZrcSim";
    }
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return MakeFolder(folder) ? folder : std::wstring();
}
