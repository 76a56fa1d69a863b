#pragma once
// What every COM object of the simulator and the tests' fakes shares: IUnknown over a
// thread-safe reference count that frees the object once, at 0, with QueryInterface
// answered by FindInterface; the
// hand-out of a newly made object; and the guard that keeps C++ exceptions inside.
//
// Nothing here lets a C++ exception cross a COM method: objects are made with
// new (std::nothrow) and a failed allocation is E_OUTOFMEMORY.
#include <windows.h>
#include <unknwn.h>

#include <new>

template <class Interface> class ComObject : public Interface {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = FindInterface(riid);
        if (!*ppv)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refCount); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = InterlockedDecrement(&m_refCount);
        // Code run by Destroy may take and drop a reference to the object (a graph that
        // removes a filter does); that Release must not destroy it a second time.
        if (count == 0 && !m_destroying) {
            m_destroying = true;
            Destroy();
        }
        return count;
    }

protected:
    virtual ~ComObject() = default;
    // The object's interface for riid, without a reference, or null.
    virtual void* FindInterface(REFIID riid) = 0;
    // Called once, when the count first reaches 0: frees the object.
    virtual void Destroy() { delete this; }
    LONG RefCount() const { return m_refCount; }

private:
    LONG m_refCount = 1;
    bool m_destroying = false;
};

// Hands riid of a newly made object (count 1) out in *ppv and drops the maker's
// reference, which frees the object when it does not answer riid. Pass the result of
// new (std::nothrow): a null object is E_OUTOFMEMORY.
template <class T> HRESULT HandOut(T* object, REFIID riid, void** ppv) {
    if (!ppv) {
        if (object)
            object->Release();
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!object)
        return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

// Runs the body of a COM method that uses the standard library (strings, maps, file
// contents), turning an exception it throws into a status.
template <class Body> HRESULT NoThrow(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
