#include "app/ScreenReader.h"

#include <initguid.h>
#include <oleacc.h>

#include <initializer_list>

namespace {

// The live-region property of an accessible element, and its two announcing values.
// {c12bcd8e-2a8e-4950-8ae7-3625111d58eb}
const GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kLivePolite = 1;
constexpr LONG kLiveAssertive = 2;
// EVENT_OBJECT_LIVEREGIONCHANGED, declared for Windows 8 and later only; Windows 7 passes
// it on to whoever listens.
constexpr DWORD kLiveRegionChanged = 0x8019;

bool IsBlank(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

} // namespace

bool CScreenReader::Attach() {
    if (!m_pServices)
        CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                         reinterpret_cast<void**>(&m_pServices));
    return m_pServices != nullptr;
}

void CScreenReader::Name(HWND control, const wchar_t* name) {
    if (!m_pServices || !control)
        return;
    bool known = false;
    for (int i = 0; i < m_nAnnotated; ++i)
        known = known || m_annotated[i] == control;
    // A control whose name could not be kept for clearing is not named at all.
    if (!known && m_nAnnotated == kMaxControls)
        return;
    if (SUCCEEDED(m_pServices->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                              CHILDID_SELF, PROPID_ACC_NAME, name)) &&
        !known)
        m_annotated[m_nAnnotated++] = control;
}

void CScreenReader::Name(HWND control, const char* label, const char* text) {
    char joined[kMaxName + 1] = {};
    int length = 0;
    bool blank = false;
    for (const char* part : {label, " ", text}) {
        for (; *part; ++part) {
            if (IsBlank(*part)) {
                blank = length > 0;
                continue;
            }
            if (length + (blank ? 2 : 1) > kMaxName)
                break;
            if (blank)
                joined[length++] = ' ';
            blank = false;
            joined[length++] = *part;
        }
    }
    wchar_t name[kMaxName + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, joined, -1, name, kMaxName + 1);
    Name(control, name);
}

void CScreenReader::Announce(HWND control, const char* label, const char* text, Urgency urgency) {
    if (m_pServices && control) {
        Name(control, label, text);
        VARIANT setting = {};
        setting.vt = VT_I4;
        setting.lVal = urgency == Urgency::Assertive ? kLiveAssertive : kLivePolite;
        m_pServices->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 kLiveSettingProperty, setting);
    }
    NotifyWinEvent(kLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF);
}

void CScreenReader::Detach() {
    if (!m_pServices)
        return;
    const MSAAPROPID props[] = {PROPID_ACC_NAME, kLiveSettingProperty};
    for (int i = 0; i < m_nAnnotated; ++i)
        m_pServices->ClearHwndProps(m_annotated[i], static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                    props, sizeof props / sizeof props[0]);
    m_nAnnotated = 0;
    m_pServices->Release();
    m_pServices = nullptr;
}
