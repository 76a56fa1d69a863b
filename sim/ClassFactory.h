#pragma once
// A class object that creates instances through a plain function. Used by the
// simulator's DllGetClassObject and by tests that register fakes in-process. A server
// that must know when it is in use passes a lock count: the class object holds one
// lock while it lives, and LockServer adds and removes locks on it.
#include <windows.h>
#include <unknwn.h>

#include "sim/ComObject.h"

class ClassFactory : public ComObject<IClassFactory> {
public:
    // Creates a new object and returns riid of it in *ppv; never throws.
    using CreateFunction = HRESULT (*)(REFIID riid, void** ppv);

    explicit ClassFactory(CreateFunction create, LONG* serverLocks = nullptr)
        : m_create(create), m_serverLocks(serverLocks) {
        LockServer(TRUE);
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return m_create(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (m_serverLocks) {
            if (lock)
                InterlockedIncrement(m_serverLocks);
            else
                InterlockedDecrement(m_serverLocks);
        }
        return S_OK;
    }

protected:
    void* FindInterface(REFIID riid) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory)
            return static_cast<IClassFactory*>(this);
        return nullptr;
    }

private:
    ~ClassFactory() override { LockServer(FALSE); }

    CreateFunction m_create;
    LONG* m_serverLocks;
};
