#include "app/DllSearch.h"

#include <windows.h>

#include <cstdio>

namespace {

using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
using SetMitigationFn = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
using GetMitigationFn = BOOL(WINAPI*)(HANDLE, PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);

char g_report[160] = "not restricted";

template <typename Fn> Fn KernelFunction(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

// Asks Windows to take System32 first, then reads back whether it does. Windows 8 and
// 8.1 have the call but refuse this policy; Windows 7 lacks the call.
const char* PreferSystem32() {
    const auto set = KernelFunction<SetMitigationFn>("SetProcessMitigationPolicy");
    const auto get = KernelFunction<GetMitigationFn>("GetProcessMitigationPolicy");
    if (!set)
        return "not offered";
    PROCESS_MITIGATION_IMAGE_LOAD_POLICY policy = {};
    policy.PreferSystem32Images = 1;
    if (!set(ProcessImageLoadPolicy, &policy, sizeof policy))
        return "refused";
    PROCESS_MITIGATION_IMAGE_LOAD_POLICY effective = {};
    if (!get || !get(GetCurrentProcess(), ProcessImageLoadPolicy, &effective, sizeof effective))
        return "accepted, not confirmed";
    return effective.PreferSystem32Images ? "in effect" : "accepted, reported off";
}

// Takes the current folder out of the search. Windows documents an empty folder for that;
// naming System32, which the order holds anyway, does the same on Windows and also where
// an empty folder is taken for none (Wine's loader).
bool RemoveCurrentFolder() {
    wchar_t system32[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system32, MAX_PATH);
    return SetDllDirectoryW(length > 0 && length < MAX_PATH ? system32 : L"") != FALSE;
}

} // namespace

void RestrictDllSearch() {
    const bool currentFolderOut = RemoveCurrentFolder();
    const auto setSearchPathMode = KernelFunction<SetSearchPathModeFn>("SetSearchPathMode");
    const bool safeSearch =
        setSearchPathMode &&
        setSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
    const char* system32 = PreferSystem32();
    std::snprintf(g_report, sizeof g_report,
                  "current folder not searched: %s; safe search mode: %s; System32 first: %s",
                  YesNo(currentFolderOut), YesNo(safeSearch), system32);
}

const char* DllSearchReport() {
    return g_report;
}
