#pragma once
// The simulated Source filter: answers ISourcePrivate from the simulated device. While
// it lives it holds the device; its last release lets go of it only after the device's
// release time, and a Source filter made while another in this process holds the device
// is recorded (source_overlaps).
#include "sim/PinlessFilter.h"
#include "sim/ServerLock.h"
#include "sim/VendorBinding.h"

class SourceFilter : public PinlessFilter {
public:
    static HRESULT Create(REFIID riid, void** ppv);

protected:
    void* FindInterface(REFIID riid) override;

private:
    explicit SourceFilter(DWORD releaseMs);
    ~SourceFilter() override;

    static HRESULT STDMETHODCALLTYPE QuerySourceWord(ISourcePrivate* self, DWORD* value);
    static HRESULT STDMETHODCALLTYPE ReadyProbe1(ISourcePrivate* self);
    static HRESULT STDMETHODCALLTYPE ReadyProbe2(ISourcePrivate* self);
    static HRESULT STDMETHODCALLTYPE ReadyProbe3(ISourcePrivate* self);
    static HRESULT STDMETHODCALLTYPE GetMicrocodeVersion(ISourcePrivate* self, DWORD* version);
    static HRESULT STDMETHODCALLTYPE QuerySourceFlag(ISourcePrivate* self);
    static HRESULT STDMETHODCALLTYPE SetSourceByte(ISourcePrivate* self, BYTE value);
    static HRESULT STDMETHODCALLTYPE GetVersionString(ISourcePrivate* self, char** text);
    static HRESULT STDMETHODCALLTYPE FlashUpdate(ISourcePrivate* self,
                                                 UpdateThreadArgs* updateArgs);
    static HRESULT STDMETHODCALLTYPE ReadFlashWord(ISourcePrivate* self, DWORD address,
                                                   DWORD* value);
    static const ISourcePrivateVtbl* MethodTable();

    ServerLock m_serverLock;
    VendorBinding<SourceFilter> m_private;
    // The version text handed out stays owned by the filter until the next call.
    char m_versionText[256] = {};
    DWORD m_releaseMs;
    bool m_sharesDevice;
};
