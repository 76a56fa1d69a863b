#pragma once
// The main dialog's states, from its opening to the end of the one update attempt a
// program run allows, and what each state lets the user do. The dialog enters a state
// only through CUpdaterDlg::EnterState, which applies all of it (buttons, focus, timers,
// the guards against closing, log-off and sleep); every handler asks the state first.
// Buttons, timers and messages can be forged by other programs; the state cannot.
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
};

// Update starts a run only from Ready, so each program run allows one attempt.
constexpr bool UpdateAllowed(RunState state) {
    return state == RunState::Ready;
}

constexpr bool AboutAllowed(RunState state) {
    return state == RunState::Refused || state == RunState::Ready || state == RunState::Finished;
}

// From the press of Update until the verdict is on screen: the device is being prepared,
// written or read back, so neither the dialog nor the session nor the PC may end it.
constexpr bool RunInProgress(RunState state) {
    return state == RunState::Preparing || state == RunState::Flashing ||
           state == RunState::Verifying;
}

// The state's name, as the run log records how a program run ended.
constexpr const char* RunStateName(RunState state) {
    switch (state) {
    case RunState::Opening:
        return "opening";
    case RunState::NoDevice:
        return "no device";
    case RunState::CheckDue:
        return "check due";
    case RunState::Checking:
        return "checking";
    case RunState::Refused:
        return "refused";
    case RunState::Ready:
        return "ready";
    case RunState::Preparing:
        return "preparing";
    case RunState::Flashing:
        return "flashing";
    case RunState::Verifying:
        return "verifying";
    case RunState::Finished:
        return "finished";
    }
    return "?";
}
