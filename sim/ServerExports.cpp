// The entry points of the simulator's in-process COM server: class objects for the
// three filters, unloading, and registration under HKCR\CLSID.
#include "sim/ClassFactory.h"
#include "sim/ServerLock.h"
#include "sim/SourceFilter.h"
#include "sim/VersionFilter.h"

#include "device/VendorFilters.h"

#include <windows.h>
#include <olectl.h>

#include <cwchar>
#include <iterator>

namespace {

HMODULE g_module = nullptr;
LONG g_serverLocks = 0;

// How each role's filter is made, by role.
const ClassFactory::CreateFunction kCreators[] = {SourceFilter::Create, SplitterFilter::Create,
                                                  SinkFilter::Create};
static_assert(std::size(kCreators) == kFilterRoleCount);

// "CLSID\{...}" for the filter's class.
void ClassKeyPath(const CLSID& clsid, wchar_t (&path)[64]) {
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    std::swprintf(path, 64, L"CLSID\\%ls", text);
}

bool SetText(HKEY key, const wchar_t* subKey, const wchar_t* name, const wchar_t* value) {
    return RegSetKeyValueW(key, subKey, name, REG_SZ, value,
                           static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool RegisterFilter(const VendorFilter& filter, const wchar_t* modulePath) {
    wchar_t path[64];
    ClassKeyPath(filter.classId, path);
    wchar_t name[128] = {};
    MultiByteToWideChar(CP_ACP, 0, filter.graphName, -1, name, 127);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool written = SetText(key, nullptr, nullptr, name) &&
                   SetText(key, L"InprocServer32", nullptr, modulePath) &&
                   SetText(key, L"InprocServer32", L"ThreadingModel", L"Both");
    RegCloseKey(key);
    return written;
}

bool UnregisterFilter(const VendorFilter& filter) {
    wchar_t path[64];
    ClassKeyPath(filter.classId, path);
    LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        RegDeleteKeyW(HKEY_CLASSES_ROOT, path);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace

LONG* ServerLockCount() {
    return &g_serverLocks;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (int i = 0; i < kFilterRoleCount; ++i) {
        if (clsid == kVendorFilters[i].classId)
            return HandOut(new (std::nothrow) ClassFactory(kCreators[i], &g_serverLocks), riid,
                           ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return g_serverLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    wchar_t modulePath[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(g_module, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    for (const VendorFilter& filter : kVendorFilters) {
        if (!RegisterFilter(filter, modulePath))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    HRESULT hr = S_OK;
    for (const VendorFilter& filter : kVendorFilters) {
        if (!UnregisterFilter(filter))
            hr = SELFREG_E_CLASS;
    }
    return hr;
}
