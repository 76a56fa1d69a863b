#pragma once
// Programmable stand-ins for the device maker's three filters. While registered, they
// answer the maker's class identifiers, as written below, in the registering thread's
// apartment; each filter follows the script of its role and writes what it saw into the
// record of its role.
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "device/VendorFilters.h"

// Each role's identifiers and graph name as the maker writes them, by role. The fakes
// register and answer these, not the product's table, so that a one-digit slip in the
// product leaves the fakes out of reach, as it would the real filters.
struct MakersText {
    const wchar_t* classId;
    const wchar_t* privateId;
    const wchar_t* graphName;
};
inline const MakersText kMakersText[] = {
    {L"{93AB6DE5-D9D3-48F1-9420-AD59FE222141}", L"{41BE36E1-A949-11D6-99BC-00A0CCDA34F4}",
     L"Tavo ZRC Source"},
    {L"{A85D2024-0EDF-4C77-A840-CABBA74DC621}", L"{97C187A1-A957-11D6-99BC-00A0CCDA34F4}",
     L"Quillon Micro USB-DVR Splitter"},
    {L"{276CDFA2-A951-11D6-99BC-00A0CCDA34F4}", L"{276CDFA1-A951-11D6-99BC-00A0CCDA34F4}",
     L"Tavo ZRC Sink"},
};
static_assert(std::size(kMakersText) == kFilterRoleCount);

// What the fake filters of one role do. Out values are written only when the method's
// status is a success, as the real filters do.
struct FakeFilterScript {
    HRESULT createStatus = S_OK; // a failure: the class object makes no filter
    HRESULT joinStatus = S_OK;   // a failure: the graph cannot add the filter
    bool answersPrivate = true;  // QueryInterface for the role's private interface
    // Release reports 1 whatever the count, as a cached or static object may; the count
    // itself, and the checks on it, go on as usual.
    bool releaseReportsOne = false;
    bool hasPropertyPages = false;
    HRESULT getPagesStatus = S_OK;

    HRESULT versionStatus = S_OK;
    const char* versionText = "1.0"; // null: a success status with no text

    HRESULT queryWordStatus = S_OK;
    DWORD sourceWord = 0;
    HRESULT probeStatus[3] = {S_OK, S_OK, S_OK};
    HRESULT microcodeStatus = S_OK;
    DWORD microcodeVersion = 0;
    HRESULT flagStatus = S_OK;
    HRESULT byteStatus = S_OK;
    HRESULT flashUpdateStatus = S_OK;
    HRESULT readFlashStatus = S_OK;
    DWORD flashWord = 0;
};

// What the fake filters of one role saw.
struct FakeFilterRecord {
    int created = 0;
    int destroyed = 0;              // filters whose reference count reached 0
    int releasesPastZero = 0;       // Release calls on a filter already at 0
    int privateRefs = 0;            // private-interface references not given back
    std::vector<std::string> calls; // private and property-page methods, in order
    DWORD flashAddress = 0;
    BYTE sourceByte = 0;
    void* updateArgs = nullptr;
};

class FakeVendorFilters {
public:
    FakeVendorFilters();
    // Revokes the class objects; frees the filters unless one is still referenced, which
    // is left alive with its state so that a late caller does not touch freed memory.
    ~FakeVendorFilters();
    FakeVendorFilters(const FakeVendorFilters&) = delete;
    FakeVendorFilters& operator=(const FakeVendorFilters&) = delete;

    // Registers the class objects in this thread's apartment; COM must be initialised on
    // it. False when one of them could not be registered.
    bool Register();
    // Revokes them again, on the thread that registered them.
    void Revoke();
    FakeFilterScript& Script(FilterRole role);
    FakeFilterRecord& Record(FilterRole role);
    // Filters of every role still referenced by someone.
    int LiveFilters() const;

private:
    DWORD m_cookies[kFilterRoleCount] = {};
};
