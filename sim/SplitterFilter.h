#pragma once
// The simulated Splitter filter: answers ISplitterPrivate with its version string.
#include "PinlessFilter.h"
#include "ServerLock.h"
#include "VendorBinding.h"

class SplitterFilter : public PinlessFilter {
public:
    static HRESULT Create(REFIID riid, void** ppv);

protected:
    void* FindInterface(REFIID riid) override;

private:
    SplitterFilter();

    static HRESULT STDMETHODCALLTYPE QueryInterfaceThunk(ISplitterPrivate* self, REFIID riid,
                                                         void** ppv);
    static ULONG STDMETHODCALLTYPE AddRefThunk(ISplitterPrivate* self);
    static ULONG STDMETHODCALLTYPE ReleaseThunk(ISplitterPrivate* self);
    static HRESULT STDMETHODCALLTYPE GetVersionString(ISplitterPrivate* self, char** text);
    static const ISplitterPrivateVtbl* MethodTable();

    ServerLock m_serverLock;
    VendorBinding<ISplitterPrivate, SplitterFilter> m_private;
    // The version text handed out stays owned by the filter until the next call.
    char m_versionText[256] = {};
};
