// The folder of the running test executable: the build puts every program beside it.
#pragma once

#include <windows.h>

#include <string>

inline std::string BinFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

inline std::string BinProgram(const char* name) {
    return BinFolder() + "\\" + name;
}
