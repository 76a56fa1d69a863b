// dllprobe.dll: a class object that reports which helper DLLs it was given.
#include "tests/dllsearch/DllProbe.h"

// From zrchelper.dll and zrcbeside.dll, which the loader finds when COM loads this DLL.
extern "C" __declspec(dllimport) int HelperMark();
extern "C" __declspec(dllimport) int BesideMark();

namespace {

// One object for the life of the DLL.
class Probe : public IDllProbe {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IDllProbe ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Marks(int* imported, int* beside, int* late) override {
        HMODULE module = LoadLibraryA("zrclate.dll");
        if (!module)
            return HRESULT_FROM_WIN32(GetLastError());
        const auto lateMark = reinterpret_cast<int (*)()>(
            reinterpret_cast<void*>(GetProcAddress(module, "HelperMark")));
        *imported = HelperMark();
        *beside = BesideMark();
        *late = lateMark ? lateMark() : 0;
        FreeLibrary(module);
        return S_OK;
    }
} g_probe;

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return clsid == CLSID_DllProbe ? g_probe.QueryInterface(iid, object)
                                   : CLASS_E_CLASSNOTAVAILABLE;
}
