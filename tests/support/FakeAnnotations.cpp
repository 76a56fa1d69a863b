#include "tests/support/FakeAnnotations.h"

bool FakeAnnotations::Register() {
    return SUCCEEDED(CoRegisterClassObject(CLSID_AccPropServices, static_cast<IClassFactory*>(this),
                                           CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie));
}

void FakeAnnotations::Revoke() {
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
    m_cookie = 0;
}

std::string FakeAnnotations::Name(HWND window) const {
    std::lock_guard<std::mutex> hold(m_lock);
    const auto found = m_names.find(window);
    if (found == m_names.end())
        return std::string();
    char text[256] = {};
    WideCharToMultiByte(CP_ACP, 0, found->second.c_str(), -1, text, sizeof text - 1, nullptr,
                        nullptr);
    return text;
}

size_t FakeAnnotations::LeftNamed() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_names.size();
}

HRESULT FakeAnnotations::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IClassFactory)
        *object = static_cast<IClassFactory*>(this);
    else if (iid == IID_IAccPropServices)
        *object = static_cast<IAccPropServices*>(this);
    else
        *object = nullptr;
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT FakeAnnotations::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    *object = nullptr;
    return outer ? CLASS_E_NOAGGREGATION : QueryInterface(iid, object);
}

HRESULT FakeAnnotations::SetHwndPropStr(HWND hwnd, DWORD, DWORD, MSAAPROPID prop, LPCWSTR text) {
    if (prop == PROPID_ACC_NAME && text) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_names[hwnd] = text;
    }
    return S_OK;
}

HRESULT FakeAnnotations::ClearHwndProps(HWND hwnd, DWORD, DWORD, const MSAAPROPID* props,
                                        int count) {
    // Windows drops nothing for a window that has gone; its names would stay.
    for (int i = 0; i < count && IsWindow(hwnd); ++i) {
        if (props[i] == PROPID_ACC_NAME) {
            std::lock_guard<std::mutex> hold(m_lock);
            m_names.erase(hwnd);
        }
    }
    return S_OK;
}
