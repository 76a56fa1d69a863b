#include "device/DeviceCommands.h"

#include "device/VendorInterfaces.h"

namespace {

// Vendor methods report "not ready" or "refused" with exactly this status.
constexpr HRESULT kVendorRefused = S_FALSE;

// The filter's private interface I (IID iid), released when this goes out of scope.
template <typename I> class PrivateInterface {
public:
    PrivateInterface(IBaseFilter* pFilter, REFIID iid) {
        if (FAILED(pFilter->QueryInterface(iid, reinterpret_cast<void**>(&m_p))))
            m_p = nullptr;
    }
    ~PrivateInterface() {
        if (m_p)
            m_p->lpVtbl->Release(m_p);
    }
    PrivateInterface(const PrivateInterface&) = delete;
    PrivateInterface& operator=(const PrivateInterface&) = delete;

    I* Get() const { return m_p; }

private:
    I* m_p = nullptr;
};

// Copies the version text of the role's filter into its field of pBlock, cut to fit
// with its terminator. A filter that reports success but gives no text fails like a
// negative status.
bool CopyVersionText(const VendorFilter& role, IBaseFilter* pFilter, FilterVersionBlock* pBlock) {
    // Every COM interface begins with IUnknown's three methods.
    IUnknown* pPrivate = nullptr;
    if (FAILED(pFilter->QueryInterface(role.privateId, reinterpret_cast<void**>(&pPrivate))) ||
        !pPrivate)
        return false;
    char* text = nullptr;
    const bool gotText = SUCCEEDED(role.getVersionString(pPrivate, &text)) && text;
    if (gotText) {
        char(&field)[VERSION_TEXT_SIZE] = pBlock->*role.versionText;
        std::size_t length = 0;
        while (length < VERSION_TEXT_SIZE - 1 && text[length] != '\0')
            ++length;
        for (std::size_t i = 0; i < length; ++i)
            field[i] = text[i];
        field[length] = '\0';
    }
    pPrivate->Release();
    return gotText;
}

int GetFilterVersions(IBaseFilter* const (&filters)[kFilterRoleCount], FilterVersionBlock* pBlock) {
    if (!pBlock)
        return 0;
    for (int i = 0; i < kFilterRoleCount; ++i) {
        if (filters[i] && !CopyVersionText(kVendorFilters[i], filters[i], pBlock))
            return 0;
    }
    return 1;
}

int CheckReady(ISourcePrivate* pSource) {
    const ISourcePrivateVtbl* methods = pSource->lpVtbl;
    if (methods->ReadyProbe1(pSource) == kVendorRefused)
        return 0;
    if (methods->ReadyProbe2(pSource) == kVendorRefused)
        return 0;
    if (methods->ReadyProbe3(pSource) == kVendorRefused)
        return 0;
    return 1;
}

// The commands that need the Source filter alone.
int RunSourceCommand(IBaseFilter* pFilter, int nCode, void* pArg) {
    if (!pFilter)
        return 0;
    PrivateInterface<ISourcePrivate> priv(pFilter, VendorFilterOf(FilterRole::Source).privateId);
    ISourcePrivate* pSource = priv.Get();
    if (!pSource)
        return 0;
    const ISourcePrivateVtbl* methods = pSource->lpVtbl;

    switch (nCode) {
    case CMD_QUERY_SOURCE_WORD:
        methods->QuerySourceWord(pSource, static_cast<DWORD*>(pArg));
        return 1;
    case CMD_CHECK_READY:
        return CheckReady(pSource);
    case CMD_GET_MICROCODE_VERSION:
        methods->GetMicrocodeVersion(pSource, static_cast<DWORD*>(pArg));
        return 1;
    case CMD_QUERY_SOURCE_FLAG:
        return methods->QuerySourceFlag(pSource) == kVendorRefused ? 0 : 1;
    case CMD_SET_SOURCE_BYTE:
        // The byte is read here, so a missing argument fails instead of crashing.
        if (!pArg)
            return 0;
        return methods->SetSourceByte(pSource, *static_cast<BYTE*>(pArg)) == kVendorRefused ? 0 : 1;
    case CMD_FLASH_UPDATE:
        return FAILED(methods->FlashUpdate(pSource, static_cast<UpdateThreadArgs*>(pArg))) ? 0 : 1;
    case CMD_READ_FLASH_VERSION:
        return FAILED(methods->ReadFlashWord(pSource, FLASH_VERSION_ADDRESS,
                                             static_cast<DWORD*>(pArg)))
                   ? 0
                   : 1;
    default:
        return 0;
    }
}

} // namespace

int RunDeviceCommand(IBaseFilter* const (&filters)[kFilterRoleCount], int nCode, void* pArg) {
    switch (nCode) {
    case CMD_QUERY_SOURCE_WORD:
    case CMD_CHECK_READY:
    case CMD_GET_MICROCODE_VERSION:
    case CMD_QUERY_SOURCE_FLAG:
    case CMD_SET_SOURCE_BYTE:
    case CMD_FLASH_UPDATE:
    case CMD_READ_FLASH_VERSION:
        return RunSourceCommand(filters[RoleIndex(FilterRole::Source)], nCode, pArg);
    case CMD_GET_FILTER_VERSIONS:
        return GetFilterVersions(filters, static_cast<FilterVersionBlock*>(pArg));
    default:
        return 0;
    }
}
