#pragma once
// The main dialog's states, from its opening to the end of the one update attempt a
// program run allows, and what each state lets happen: one row per state, in one table.
// The dialog enters a state only through CUpdaterDlg::EnterState, which applies the
// state's row (buttons, timer, the run's guards); every handler asks the row of the state
// it is in. Buttons, timers and messages can be forged by other programs; the state cannot.
#include <cstddef>

enum class RunState {
    Opening,   // OnInitDialog runs; the window is not shown yet
    NoDevice,  // no filter graph could be made: the dialog stays inert until closed
    CheckDue,  // the device check waits for its timer
    Checking,  // the device check runs
    Refused,   // the check found the device not ready, or its version refused
    Ready,     // the check lets the update go ahead
    Preparing, // Update pressed: readiness, conversion and judging of the image
    Flashing,  // the worker programs the flash
    Verifying, // the worker has finished; the version is read back
    Finished,  // the attempt has ended, early or with its verdict
    Count
};

// The dialog timer that runs in a state; each tick is handled only there.
enum class RunTimer { None, DeviceCheck, Progress };

struct RunRule {
    RunState state;
    const char* name; // as the run log records the state
    bool update;      // the Update button is enabled, and a click starts a run
    bool about;       // the About button is enabled, and a click shows the box
    bool exit;        // the Exit button is enabled
    RunTimer timer;
    // A run is in progress: from the press of Update until the verdict is on screen the
    // device is being prepared, written or read back, so closing, a quit, log-off and sleep
    // wait.
    bool guarded;
    bool worker; // the flash worker has been started and has not been heard of
};

// clang-format off
inline constexpr RunRule kRunRules[] = {
    // state              name         update about  exit   timer                  guarded worker
    {RunState::Opening,   "opening",   false, false, true,  RunTimer::None,        false,  false},
    {RunState::NoDevice,  "no device", false, false, true,  RunTimer::None,        false,  false},
    {RunState::CheckDue,  "check due", false, false, true,  RunTimer::DeviceCheck, false,  false},
    {RunState::Checking,  "checking",  false, false, true,  RunTimer::None,        false,  false},
    {RunState::Refused,   "refused",   false, true,  true,  RunTimer::None,        false,  false},
    {RunState::Ready,     "ready",     true,  true,  true,  RunTimer::None,        false,  false},
    {RunState::Preparing, "preparing", false, false, false, RunTimer::None,        true,   false},
    {RunState::Flashing,  "flashing",  false, false, false, RunTimer::Progress,    true,   true},
    {RunState::Verifying, "verifying", false, false, false, RunTimer::None,        true,   false},
    {RunState::Finished,  "finished",  false, true,  true,  RunTimer::None,        false,  false},
};
// clang-format on

constexpr bool EveryStateHasItsRow() {
    constexpr std::size_t count = static_cast<std::size_t>(RunState::Count);
    if (sizeof kRunRules / sizeof kRunRules[0] != count)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        if (kRunRules[i].state != static_cast<RunState>(i))
            return false;
    }
    return true;
}
static_assert(EveryStateHasItsRow(), "one row per state, in the states' order");

constexpr const RunRule& RuleOf(RunState state) {
    return kRunRules[static_cast<std::size_t>(state)];
}
