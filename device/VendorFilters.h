#pragma once
// The device maker's three filters, one row per role: everything the link, the device
// commands, the simulator and the tests' fakes need to know of each. A fourth role is a
// new role, a new row and a higher kFilterRoleCount; the arrays that other code keeps by
// role are checked against that count at compile time.
#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <iterator>

#include "device/VendorInterfaces.h"

// The roles, in the order of kVendorFilters. A link holds each role's filter in the slot
// of the same index.
enum class FilterRole { Source, Splitter, Sink };
inline constexpr int kFilterRoleCount = 3;

constexpr int RoleIndex(FilterRole role) {
    return static_cast<int>(role);
}

inline constexpr std::size_t VERSION_TEXT_SIZE = 50;

// The vendor filters' version texts, each NUL-terminated. Command 34 writes only the
// fields of the filters that the link holds.
struct FilterVersionBlock {
    char szSourceVersion[VERSION_TEXT_SIZE];
    char szSplitterVersion[VERSION_TEXT_SIZE];
    char szSinkVersion[VERSION_TEXT_SIZE];
};
static_assert(sizeof(FilterVersionBlock) == 150);
static_assert(offsetof(FilterVersionBlock, szSourceVersion) == 0);
static_assert(offsetof(FilterVersionBlock, szSplitterVersion) == 50);
static_assert(offsetof(FilterVersionBlock, szSinkVersion) == 100);

struct VendorFilter {
    CLSID classId;
    IID privateId;         // the filter's private interface
    const char* graphName; // the name the filter is added under in the link's graph
    int openFailure;       // what CDeviceLink::Open returns when the filter cannot be added
    char (FilterVersionBlock::*versionText)[VERSION_TEXT_SIZE];
    // Calls the private interface's GetVersionString.
    HRESULT (*getVersionString)(IUnknown* pPrivate, char** text);
};

inline constexpr VendorFilter kVendorFilters[] = {
    // {93AB6DE5-D9D3-48F1-9420-AD59FE222141}, {41BE36E1-A949-11D6-99BC-00A0CCDA34F4}
    {{0x93ab6de5, 0xd9d3, 0x48f1, {0x94, 0x20, 0xad, 0x59, 0xfe, 0x22, 0x21, 0x41}},
     {0x41be36e1, 0xa949, 0x11d6, {0x99, 0xbc, 0x00, 0xa0, 0xcc, 0xda, 0x34, 0xf4}},
     "Tavo ZRC Source",
     2,
     &FilterVersionBlock::szSourceVersion,
     CallGetVersionString<ISourcePrivate>},
    // {A85D2024-0EDF-4C77-A840-CABBA74DC621}, {97C187A1-A957-11D6-99BC-00A0CCDA34F4}
    {{0xa85d2024, 0x0edf, 0x4c77, {0xa8, 0x40, 0xca, 0xbb, 0xa7, 0x4d, 0xc6, 0x21}},
     {0x97c187a1, 0xa957, 0x11d6, {0x99, 0xbc, 0x00, 0xa0, 0xcc, 0xda, 0x34, 0xf4}},
     "Quillon Micro USB-DVR Splitter",
     3,
     &FilterVersionBlock::szSplitterVersion,
     CallGetVersionString<ISplitterPrivate>},
    // {276CDFA2-A951-11D6-99BC-00A0CCDA34F4}, {276CDFA1-A951-11D6-99BC-00A0CCDA34F4}
    {{0x276cdfa2, 0xa951, 0x11d6, {0x99, 0xbc, 0x00, 0xa0, 0xcc, 0xda, 0x34, 0xf4}},
     {0x276cdfa1, 0xa951, 0x11d6, {0x99, 0xbc, 0x00, 0xa0, 0xcc, 0xda, 0x34, 0xf4}},
     "Tavo ZRC Sink",
     10,
     &FilterVersionBlock::szSinkVersion,
     CallGetVersionString<ISinkPrivate>},
};

static_assert(std::size(kVendorFilters) == kFilterRoleCount);

constexpr const VendorFilter& VendorFilterOf(FilterRole role) {
    return kVendorFilters[RoleIndex(role)];
}
