#pragma once
// The updater is usually started from a download folder, where other programs' DLLs
// may lie. Limits where DLLs are loaded from to the system folder, the folder of a DLL
// loaded by its full path (the maker's driver filters, which COM loads so), and the
// absolute folders on PATH, where the maker's setup may put the DLLs its filters load.
// Neither the program's own folder nor the current folder is searched unless it is on
// PATH. Without SetDefaultDllDirectories (Windows 7 before KB2533623) only the current
// folder is taken out of the search.
void RestrictDllSearch();
