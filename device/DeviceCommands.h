#pragma once
// The numbered device commands, issued through CDeviceLink::Command. Each is one call,
// or a short fixed series of calls, on the private interface of a vendor filter.
#include <windows.h>
#include <strmif.h>

#include <cstddef>

inline constexpr int CMD_QUERY_SOURCE_WORD = 21;     // DWORD*, filled
inline constexpr int CMD_CHECK_READY = 22;           // no argument
inline constexpr int CMD_GET_MICROCODE_VERSION = 23; // DWORD*, filled
inline constexpr int CMD_QUERY_SOURCE_FLAG = 26;     // no argument
inline constexpr int CMD_SET_SOURCE_BYTE = 28;       // BYTE*, read
inline constexpr int CMD_GET_FILTER_VERSIONS = 34;   // FilterVersionBlock*, filled
inline constexpr int CMD_FLASH_UPDATE = 49;          // the update thread's arguments
inline constexpr int CMD_READ_FLASH_VERSION = 50;    // DWORD*, filled

// The flash word whose low 16 bits hold the firmware version.
inline constexpr DWORD FLASH_VERSION_ADDRESS = 0x1FFFFC;

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

// Runs command nCode on the filters a link holds (any of them may be null).
// 1 for success, 0 for failure; unknown codes fail and call nothing.
int RunDeviceCommand(IBaseFilter* pSource, IBaseFilter* pSplitter, IBaseFilter* pSink, int nCode,
                     void* pArg);
