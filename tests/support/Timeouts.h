#pragma once
// How long the tests wait, each value under one name. A wait ends as soon as what it waits
// for has happened: these bound only a failure, and leave room for a busy machine.
#include <windows.h>

// Looking for what must not happen: long enough to see it if it did.
inline constexpr DWORD kAbsentMs = 300;
// A window of another program changes at once after a test's action; the progress bar
// follows the timer messages a test posts.
inline constexpr DWORD kShortWaitMs = 5000;
// A thread, a window or a held file of the tests' own: answers, a state, a release.
inline constexpr DWORD kWaitMs = 10000;
// A dialog opens on its own thread, a small program shows its window, an update run
// through the simulated device ends.
inline constexpr DWORD kLongWaitMs = 20000;
// A tool program runs to its end or lets go of a file.
inline constexpr DWORD kToolWaitMs = 30000;
// The updater as a program of its own under a busy Wine: its start-up, its device check,
// or a short flash.
inline constexpr DWORD kProgramWaitMs = 60000;
