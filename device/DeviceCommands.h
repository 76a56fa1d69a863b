#pragma once
// The numbered device commands, issued through CDeviceLink::Command. Each is one call,
// or a short fixed series of calls, on the private interface of a vendor filter.
#include <windows.h>
#include <strmif.h>

#include "device/VendorFilters.h"

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

// Runs command nCode on the filters a link holds, indexed by role (any may be null).
// 1 for success, 0 for failure; unknown codes fail and call nothing.
int RunDeviceCommand(IBaseFilter* const (&filters)[kFilterRoleCount], int nCode, void* pArg);
