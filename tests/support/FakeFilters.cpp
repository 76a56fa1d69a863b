#include "tests/support/FakeFilters.h"

#include <ocidl.h>

#include <iterator>

#include "sim/ClassFactory.h"
#include "sim/PinlessFilter.h"
#include "sim/VendorBinding.h"

namespace {

class FakeVendorFilter;

struct FakeState {
    FakeFilterScript scripts[kFilterRoleCount];
    FakeFilterRecord records[kFilterRoleCount];
    std::vector<FakeVendorFilter*> filters;
};

FakeState* g_state = nullptr;

const void* PrivateMethods(FilterRole role);

// A fake filter is not deleted when its count reaches 0: FakeVendorFilters frees it
// later, so that a surplus Release is counted instead of touching freed memory.
class FakeVendorFilter : public PinlessFilter, public ISpecifyPropertyPages {
public:
    // The private interface's IUnknown: references taken through it are recorded.
    struct PrivateSide {
        FakeVendorFilter* filter;
        HRESULT QueryInterface(REFIID riid, void** ppv) {
            return filter->QueryInterface(riid, ppv);
        }
        ULONG AddRef() { return filter->AddPrivateRef(); }
        ULONG Release() { return filter->ReleasePrivateRef(); }
    };
    using Binding = VendorBinding<PrivateSide>;

    FakeVendorFilter(FakeState* state, FilterRole role)
        : PinlessFilter(VendorFilterOf(role).classId), m_state(state),
          m_role(role), m_private{PrivateMethods(role), &m_side} {}

    ULONG Count() const { return static_cast<ULONG>(RefCount()); }
    const FakeFilterScript& Script() const { return m_state->scripts[RoleIndex(m_role)]; }
    FakeFilterRecord& Record() const { return m_state->records[RoleIndex(m_role)]; }

    HRESULT Called(const char* name, HRESULT status) {
        Record().calls.push_back(name);
        return status;
    }
    HRESULT Fill(const char* name, HRESULT status, DWORD* out, DWORD value) {
        if (SUCCEEDED(Called(name, status)) && out)
            *out = value;
        return status;
    }

    ULONG AddPrivateRef() {
        ++Record().privateRefs;
        return AddRef();
    }
    ULONG ReleasePrivateRef() {
        --Record().privateRefs;
        return Release();
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv && riid == VendorFilterOf(m_role).privateId && Script().answersPrivate) {
            *ppv = &m_private;
            AddPrivateRef();
            return S_OK;
        }
        return PinlessFilter::QueryInterface(riid, ppv);
    }
    // One count for the filter and its property pages.
    STDMETHODIMP_(ULONG) AddRef() override { return PinlessFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG reported = Script().releaseReportsOne ? 1 : 0;
        if (RefCount() == 0) {
            ++Record().releasesPastZero;
            return reported;
        }
        const ULONG count = PinlessFilter::Release();
        return reported ? reported : count;
    }

    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override {
        if (pGraph && FAILED(Script().joinStatus))
            return Script().joinStatus;
        return PinlessFilter::JoinFilterGraph(pGraph, pName);
    }

    STDMETHODIMP GetPages(CAUUID* pPages) override {
        HRESULT status = Called("GetPages", Script().getPagesStatus);
        if (FAILED(status))
            return status;
        pPages->cElems = 0;
        pPages->pElems = nullptr;
        return S_OK;
    }

protected:
    void* FindInterface(REFIID riid) override {
        if (riid == IID_ISpecifyPropertyPages && Script().hasPropertyPages)
            return static_cast<ISpecifyPropertyPages*>(this);
        return PinlessFilter::FindInterface(riid);
    }
    void Destroy() override { ++Record().destroyed; }

private:
    FakeState* m_state;
    FilterRole m_role;
    PrivateSide m_side{this};
    Binding m_private;
};

template <typename I> FakeVendorFilter* Owner(I* self) {
    return FakeVendorFilter::Binding::OwnerOf(self)->filter;
}

template <typename I> HRESULT STDMETHODCALLTYPE GetVersionString(I* self, char** text) {
    FakeVendorFilter* filter = Owner(self);
    HRESULT status = filter->Called("GetVersionString", filter->Script().versionStatus);
    if (SUCCEEDED(status))
        *text = const_cast<char*>(filter->Script().versionText);
    return status;
}

HRESULT STDMETHODCALLTYPE QuerySourceWord(ISourcePrivate* self, DWORD* value) {
    FakeVendorFilter* f = Owner(self);
    return f->Fill("QuerySourceWord", f->Script().queryWordStatus, value, f->Script().sourceWord);
}
template <int N> HRESULT STDMETHODCALLTYPE ReadyProbe(ISourcePrivate* self) {
    const char* const names[] = {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"};
    return Owner(self)->Called(names[N], Owner(self)->Script().probeStatus[N]);
}
HRESULT STDMETHODCALLTYPE GetMicrocodeVersion(ISourcePrivate* self, DWORD* version) {
    FakeVendorFilter* f = Owner(self);
    return f->Fill("GetMicrocodeVersion", f->Script().microcodeStatus, version,
                   f->Script().microcodeVersion);
}
HRESULT STDMETHODCALLTYPE QuerySourceFlag(ISourcePrivate* self) {
    return Owner(self)->Called("QuerySourceFlag", Owner(self)->Script().flagStatus);
}
HRESULT STDMETHODCALLTYPE SetSourceByte(ISourcePrivate* self, BYTE value) {
    Owner(self)->Record().sourceByte = value;
    return Owner(self)->Called("SetSourceByte", Owner(self)->Script().byteStatus);
}
HRESULT STDMETHODCALLTYPE FlashUpdate(ISourcePrivate* self, UpdateThreadArgs* updateArgs) {
    Owner(self)->Record().updateArgs = updateArgs;
    return Owner(self)->Called("FlashUpdate", Owner(self)->Script().flashUpdateStatus);
}
HRESULT STDMETHODCALLTYPE ReadFlashWord(ISourcePrivate* self, DWORD address, DWORD* value) {
    FakeVendorFilter* f = Owner(self);
    f->Record().flashAddress = address;
    return f->Fill("ReadFlashWord", f->Script().readFlashStatus, value, f->Script().flashWord);
}

template <typename I, typename Vtbl> Vtbl VersionMethods() {
    Vtbl v = {};
    FakeVendorFilter::Binding::ForwardUnknown<I>(v);
    v.GetVersionString = GetVersionString<I>;
    return v;
}

const void* PrivateMethods(FilterRole role) {
    static const ISourcePrivateVtbl source = [] {
        ISourcePrivateVtbl v = VersionMethods<ISourcePrivate, ISourcePrivateVtbl>();
        v.QuerySourceWord = QuerySourceWord;
        v.ReadyProbe1 = ReadyProbe<0>;
        v.ReadyProbe2 = ReadyProbe<1>;
        v.ReadyProbe3 = ReadyProbe<2>;
        v.GetMicrocodeVersion = GetMicrocodeVersion;
        v.QuerySourceFlag = QuerySourceFlag;
        v.SetSourceByte = SetSourceByte;
        v.FlashUpdate = FlashUpdate;
        v.ReadFlashWord = ReadFlashWord;
        return v;
    }();
    static const ISplitterPrivateVtbl splitter =
        VersionMethods<ISplitterPrivate, ISplitterPrivateVtbl>();
    static const ISinkPrivateVtbl sink = VersionMethods<ISinkPrivate, ISinkPrivateVtbl>();
    // By role.
    const void* const methods[] = {&source, &splitter, &sink};
    static_assert(std::size(methods) == kFilterRoleCount);
    return methods[RoleIndex(role)];
}

template <FilterRole role> HRESULT CreateFake(REFIID riid, void** ppv) {
    if (!g_state)
        return E_UNEXPECTED;
    HRESULT status = g_state->scripts[RoleIndex(role)].createStatus;
    if (FAILED(status))
        return status;
    auto* filter = new FakeVendorFilter(g_state, role);
    g_state->filters.push_back(filter);
    ++g_state->records[RoleIndex(role)].created;
    return HandOut(filter, riid, ppv);
}

// By role.
constexpr ClassFactory::CreateFunction kCreators[] = {
    CreateFake<FilterRole::Source>, CreateFake<FilterRole::Splitter>, CreateFake<FilterRole::Sink>};
static_assert(std::size(kCreators) == kFilterRoleCount);

} // namespace

FakeVendorFilters::FakeVendorFilters() {
    g_state = new FakeState;
}

FakeVendorFilters::~FakeVendorFilters() {
    Revoke();
    // A filter still referenced is left alive, with its state, so a late caller
    // does not touch freed memory.
    if (LiveFilters() == 0) {
        for (FakeVendorFilter* filter : g_state->filters)
            delete filter;
        delete g_state;
    }
    g_state = nullptr;
}

bool FakeVendorFilters::Register() {
    bool registered = true;
    for (int i = 0; i < kFilterRoleCount; ++i) {
        auto* factory = new ClassFactory(kCreators[i]);
        if (FAILED(CoRegisterClassObject(kVendorFilters[i].classId, factory, CLSCTX_INPROC_SERVER,
                                         REGCLS_MULTIPLEUSE, &m_cookies[i])))
            registered = false;
        factory->Release();
    }
    return registered;
}

void FakeVendorFilters::Revoke() {
    for (DWORD& cookie : m_cookies) {
        if (cookie)
            CoRevokeClassObject(cookie);
        cookie = 0;
    }
}

FakeFilterScript& FakeVendorFilters::Script(FilterRole role) {
    return g_state->scripts[RoleIndex(role)];
}

FakeFilterRecord& FakeVendorFilters::Record(FilterRole role) {
    return g_state->records[RoleIndex(role)];
}

int FakeVendorFilters::LiveFilters() const {
    int live = 0;
    for (FakeVendorFilter* filter : g_state->filters) {
        if (filter->Count() != 0)
            ++live;
    }
    return live;
}
