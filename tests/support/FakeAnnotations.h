#pragma once
// A stand-in for Windows' accessibility annotation service, whose real one Wine leaves a
// stub. While registered it answers the service's class in the registering thread's
// apartment and records the name each window is given, and the clearing of those names.
#include <windows.h>

#include <oleacc.h>

#include <map>
#include <mutex>
#include <string>

class FakeAnnotations : public IAccPropServices, public IClassFactory {
public:
    FakeAnnotations() = default;
    FakeAnnotations(const FakeAnnotations&) = delete;
    FakeAnnotations& operator=(const FakeAnnotations&) = delete;

    // Registers and revokes the class object in this thread's apartment; COM must be
    // initialised on it.
    bool Register();
    void Revoke();

    // The name the window was last given and still holds, or "" when it holds none.
    std::string Name(HWND window) const;
    // Windows still named: their names were never cleared, or cleared once they had gone.
    size_t LeftNamed() const;
    // References handed out and not given back.
    LONG References() const { return m_references; }

    // IUnknown, IClassFactory
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&m_references); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    // IAccPropServices: names and their clearing by window are recorded; the rest is
    // accepted and ignored.
    HRESULT STDMETHODCALLTYPE SetHwndPropStr(HWND hwnd, DWORD, DWORD, MSAAPROPID prop,
                                             LPCWSTR text) override;
    HRESULT STDMETHODCALLTYPE ClearHwndProps(HWND hwnd, DWORD, DWORD, const MSAAPROPID* props,
                                             int count) override;
    HRESULT STDMETHODCALLTYPE SetHwndProp(HWND, DWORD, DWORD, MSAAPROPID, VARIANT) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int,
                                            IAccPropServer*, AnnoScope) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int,
                                                IAccPropServer*, AnnoScope) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**,
                                                        DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*,
                                                          DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int,
                                                 IAccPropServer*, AnnoScope) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*,
                                                           DWORD*) override {
        return E_NOTIMPL;
    }

private:
    mutable std::mutex m_lock;
    std::map<HWND, std::wstring> m_names;
    LONG m_references = 0;
    DWORD m_cookie = 0;
};
