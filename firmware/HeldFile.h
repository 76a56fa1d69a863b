#pragma once
// Files that another program (a virus scanner, an indexer, a backup tool) may hold for a
// moment, without letting others share them: what fails because of such a hold is tried
// again for about two seconds.
#include "framework/platform/File.h"

#include <functional>

// Calls `attempt`, which returns ERROR_SUCCESS or the system error it failed with, until it
// succeeds, fails otherwise than with a sharing violation or denied access, or about two
// seconds have passed. Returns its last result.
DWORD RetryWhileHeld(const std::function<DWORD()>& attempt);

// CFile::Open, tried again as RetryWhileHeld does. True once `file` is open.
bool OpenWhenFree(CFile& file, const char* path, UINT flags);
