#pragma once
// The updater is usually started from a download folder, where other programs' DLLs
// may lie. Keeps Windows' standard DLL search order, in which the maker's filters are
// found however their setup registered them (by whole path or by bare name, beside their
// DLLs, in the system folder or on PATH), and only takes out what that order gets wrong:
//   - the current folder is never searched (SetDllDirectory, and safe search mode for
//     SearchPath where Windows has it);
//   - System32 comes first for every DLL name where Windows offers it (the image-load
//     mitigation PreferSystem32Images, Windows 10 and later).
// Nothing is added to the search, and nothing changes the loader's default directories:
// those make COM's loads of servers registered by bare name fail on Windows 8 and later.
//
// Called once, before anything else of the program runs. Never fails: a measure that
// Windows refuses or lacks is recorded and the program goes on.
void RestrictDllSearch();

// What the measures came to, read back from Windows where it can say, in the run log's
// words: "current folder not searched: yes; safe search mode: yes; System32 first: in
// effect". Before RestrictDllSearch: "not restricted".
const char* DllSearchReport();
