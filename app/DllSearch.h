#pragma once
// The updater is usually started from a download folder, where other programs' DLLs
// may lie. Limits where DLLs are loaded from to the system folder; COM servers
// registered with their full path still load.
void RestrictDllSearchToSystem();
