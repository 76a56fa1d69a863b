#pragma once
// The simulated Sink filter: answers ISinkPrivate with its version string.
#include "PinlessFilter.h"
#include "ServerLock.h"
#include "VendorBinding.h"

class SinkFilter : public PinlessFilter {
public:
    static HRESULT Create(REFIID riid, void** ppv);

protected:
    void* FindInterface(REFIID riid) override;

private:
    SinkFilter();

    static HRESULT STDMETHODCALLTYPE QueryInterfaceThunk(ISinkPrivate* self, REFIID riid,
                                                         void** ppv);
    static ULONG STDMETHODCALLTYPE AddRefThunk(ISinkPrivate* self);
    static ULONG STDMETHODCALLTYPE ReleaseThunk(ISinkPrivate* self);
    static HRESULT STDMETHODCALLTYPE GetVersionString(ISinkPrivate* self, char** text);
    static const ISinkPrivateVtbl* MethodTable();

    ServerLock m_serverLock;
    VendorBinding<ISinkPrivate, SinkFilter> m_private;
    // The version text handed out stays owned by the filter until the next call.
    char m_versionText[256] = {};
};
