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
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_references); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&m_references); }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    // IAccPropServices: names and their clearing by window are recorded; the rest is
    // accepted and ignored.
    STDMETHODIMP SetHwndPropStr(HWND hwnd, DWORD, DWORD, MSAAPROPID prop, LPCWSTR text) override;
    STDMETHODIMP ClearHwndProps(HWND hwnd, DWORD, DWORD, const MSAAPROPID* props,
                                int count) override;
    STDMETHODIMP SetHwndProp(HWND, DWORD, DWORD, MSAAPROPID, VARIANT) override { return S_OK; }
    STDMETHODIMP SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override { return S_OK; }
    STDMETHODIMP SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                               AnnoScope) override {
        return S_OK;
    }
    STDMETHODIMP ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override { return S_OK; }
    STDMETHODIMP SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                   AnnoScope) override {
        return S_OK;
    }
    STDMETHODIMP ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return S_OK; }
    STDMETHODIMP SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return S_OK; }
    STDMETHODIMP SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                    AnnoScope) override {
        return S_OK;
    }
    STDMETHODIMP ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override { return S_OK; }
    STDMETHODIMP ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override {
        return E_NOTIMPL;
    }

private:
    mutable std::mutex m_lock;
    std::map<HWND, std::wstring> m_names;
    LONG m_references = 0;
    DWORD m_cookie = 0;
};
