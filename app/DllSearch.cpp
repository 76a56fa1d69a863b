#include "DllSearch.h"

#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using AddDllDirectoryFn = void*(WINAPI*)(PCWSTR);

// A drive-letter path (C:\ or C:/) or a UNC path (\\server\share).
bool IsAbsoluteFolder(const wchar_t* folder) {
    const wchar_t first = folder[0];
    const bool driveLetter =
        ((first >= L'A' && first <= L'Z') || (first >= L'a' && first <= L'z')) &&
        folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    const bool unc = folder[0] == L'\\' && folder[1] == L'\\';
    return driveLetter || unc;
}

// Adds each absolute folder on PATH. A PATH longer than an environment variable can be
// is not read at all; empty and relative entries are skipped.
void AddPathFolders(AddDllDirectoryFn addDirectory) {
    constexpr DWORD kMaxVariable = 32767;
    static wchar_t path[kMaxVariable + 1];
    const DWORD length = GetEnvironmentVariableW(L"PATH", path, kMaxVariable + 1);
    if (length == 0 || length > kMaxVariable) {
        return;
    }
    wchar_t* folder = path;
    for (wchar_t* end = path;; ++end) {
        const bool last = *end == L'\0';
        if (*end == L';' || last) {
            *end = L'\0';
            if (IsAbsoluteFolder(folder)) {
                addDirectory(folder);
            }
            if (last) {
                return;
            }
            folder = end + 1;
        }
    }
}

template <typename Fn> Fn KernelFunction(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

} // namespace

void RestrictDllSearch() {
    // Looked up at run time: systems without the calls still get the second measure.
    const auto setDefault = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    const auto addDirectory = KernelFunction<AddDllDirectoryFn>("AddDllDirectory");
    if (setDefault && addDirectory) {
        AddPathFolders(addDirectory);
        // A DLL loaded by its full path with LOAD_WITH_ALTERED_SEARCH_PATH, as COM loads
        // in-process servers, still has its own folder searched for the DLLs it imports.
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
    }
    // Takes the current folder out of the search order.
    SetDllDirectoryA("");
}
