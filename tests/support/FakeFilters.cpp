#include "tests/support/FakeFilters.h"

#include <ocidl.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "sim/ClassFactory.h"
#include "sim/PinlessFilter.h"
#include "sim/VendorBinding.h"

namespace {

class FakeVendorFilter;

struct FakeState {
    CLSID classIds[kFilterRoleCount], privateIds[kFilterRoleCount]; // the maker's, by role
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
        ULONG AddRef() {
            ++filter->Record().privateRefs;
            return filter->AddRef();
        }
        ULONG Release() {
            --filter->Record().privateRefs;
            return filter->Release();
        }
    };
    using Binding = VendorBinding<PrivateSide>;

    explicit FakeVendorFilter(FilterRole role)
        : PinlessFilter(g_state->classIds[RoleIndex(role)]),
          m_role(role), m_private{PrivateMethods(role), &m_side} {}

    ULONG Count() const { return static_cast<ULONG>(RefCount()); }
    const FakeFilterScript& Script() const { return g_state->scripts[RoleIndex(m_role)]; }
    FakeFilterRecord& Record() const { return g_state->records[RoleIndex(m_role)]; }

    // Records the call and returns its status; on success, value goes to *out if given.
    HRESULT Called(const char* name, HRESULT status, DWORD* out = nullptr, DWORD value = 0) {
        Record().calls.push_back(name);
        if (SUCCEEDED(status) && out)
            *out = value;
        return status;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv && riid == g_state->privateIds[RoleIndex(m_role)] && Script().answersPrivate) {
            *ppv = &m_private;
            m_side.AddRef();
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
        *pPages = {};
        return Called("GetPages", Script().getPagesStatus);
    }

protected:
    void* FindInterface(REFIID riid) override {
        if (riid == IID_ISpecifyPropertyPages && Script().hasPropertyPages)
            return static_cast<ISpecifyPropertyPages*>(this);
        return PinlessFilter::FindInterface(riid);
    }
    void Destroy() override { ++Record().destroyed; }

private:
    FilterRole m_role;
    PrivateSide m_side{this};
    Binding m_private;
};

// The private methods: each records its call and answers as its role's script says.
template <typename I> FakeVendorFilter& Fake(I* self) {
    return *FakeVendorFilter::Binding::OwnerOf(self)->filter;
}
const FakeFilterScript& Says(ISourcePrivate* self) {
    return Fake(self).Script();
}

template <typename I> HRESULT STDMETHODCALLTYPE GetVersionString(I* self, char** text) {
    const FakeFilterScript& script = Fake(self).Script();
    const HRESULT status = Fake(self).Called("GetVersionString", script.versionStatus);
    if (SUCCEEDED(status))
        *text = const_cast<char*>(script.versionText);
    return status;
}
HRESULT STDMETHODCALLTYPE QuerySourceWord(ISourcePrivate* self, DWORD* value) {
    return Fake(self).Called("QuerySourceWord", Says(self).queryWordStatus, value,
                             Says(self).sourceWord);
}
template <int N> HRESULT STDMETHODCALLTYPE ReadyProbe(ISourcePrivate* self) {
    const char* const names[] = {"ReadyProbe1", "ReadyProbe2", "ReadyProbe3"};
    return Fake(self).Called(names[N], Says(self).probeStatus[N]);
}
HRESULT STDMETHODCALLTYPE GetMicrocodeVersion(ISourcePrivate* self, DWORD* version) {
    return Fake(self).Called("GetMicrocodeVersion", Says(self).microcodeStatus, version,
                             Says(self).microcodeVersion);
}
HRESULT STDMETHODCALLTYPE QuerySourceFlag(ISourcePrivate* self) {
    return Fake(self).Called("QuerySourceFlag", Says(self).flagStatus);
}
HRESULT STDMETHODCALLTYPE SetSourceByte(ISourcePrivate* self, BYTE value) {
    Fake(self).Record().sourceByte = value;
    return Fake(self).Called("SetSourceByte", Says(self).byteStatus);
}
HRESULT STDMETHODCALLTYPE FlashUpdate(ISourcePrivate* self, UpdateThreadArgs* updateArgs) {
    Fake(self).Record().updateArgs = updateArgs;
    return Fake(self).Called("FlashUpdate", Says(self).flashUpdateStatus);
}
HRESULT STDMETHODCALLTYPE ReadFlashWord(ISourcePrivate* self, DWORD address, DWORD* value) {
    Fake(self).Record().flashAddress = address;
    return Fake(self).Called("ReadFlashWord", Says(self).readFlashStatus, value,
                             Says(self).flashWord);
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
    if (FAILED(g_state->scripts[RoleIndex(role)].createStatus))
        return g_state->scripts[RoleIndex(role)].createStatus;
    g_state->filters.push_back(new FakeVendorFilter(role));
    ++g_state->records[RoleIndex(role)].created;
    return HandOut(g_state->filters.back(), riid, ppv);
}

// By role.
constexpr ClassFactory::CreateFunction kCreators[] = {
    CreateFake<FilterRole::Source>, CreateFake<FilterRole::Splitter>, CreateFake<FilterRole::Sink>};
static_assert(std::size(kCreators) == kFilterRoleCount);

} // namespace

FakeVendorFilters::FakeVendorFilters() {
    g_state = new FakeState;
    for (int i = 0; i < kFilterRoleCount; ++i) {
        CLSIDFromString(kMakersText[i].classId, &g_state->classIds[i]);
        CLSIDFromString(kMakersText[i].privateId, &g_state->privateIds[i]);
    }
}

FakeVendorFilters::~FakeVendorFilters() {
    Revoke();
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
        registered &=
            SUCCEEDED(CoRegisterClassObject(g_state->classIds[i], factory, CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &m_cookies[i]));
        factory->Release();
    }
    return registered;
}

void FakeVendorFilters::Revoke() {
    for (DWORD& cookie : m_cookies) {
        if (cookie)
            CoRevokeClassObject(std::exchange(cookie, 0));
    }
}

FakeFilterScript& FakeVendorFilters::Script(FilterRole role) {
    return g_state->scripts[RoleIndex(role)];
}

FakeFilterRecord& FakeVendorFilters::Record(FilterRole role) {
    return g_state->records[RoleIndex(role)];
}

int FakeVendorFilters::LiveFilters() const {
    return static_cast<int>(std::count_if(g_state->filters.begin(), g_state->filters.end(),
                                          [](FakeVendorFilter* f) { return f->Count() != 0; }));
}
