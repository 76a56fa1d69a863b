#pragma once
// The updater's identities, each written here once: the window titles it shows and looks
// for, its mutex, the version texts it shows and compares, its dialog timers and its
// private message. Dialog and control ids are in resource.h. Tests and scripts take these
// from here (scripts/identity.sh reads both headers).
// Values are named kName; the timer ids and the message keep the capitals that Windows
// gives ids and messages; macros, which the resource compiler reads too, start with ZRC_.

#include "firmware/ShippedFirmware.h"

// Texts that the dialog templates show as well, as macros for the resource compiler.
#define ZRC_ABOUT_TITLE   "About ZRC Flash Updater"
#define ZRC_WARNING_TITLE "Warning!"
#define ZRC_NO_VERSION    "----"

#ifndef RC_INVOKED
#include <windows.h>

// The main dialog's title, set when it opens.
inline constexpr char kMainWindowTitle[] = "TAVO ZRC-MT40 Updater v" ZRC_NEW_VERSION;
inline constexpr char kAboutWindowTitle[] = ZRC_ABOUT_TITLE;
// The device-warning dialog, shown when no filter graph can be made at start.
inline constexpr char kWarningWindowTitle[] = ZRC_WARNING_TITLE;
// The whole title of the capture application's main window. While that application has
// the device, the updater brings it forward instead of running.
inline constexpr char kCaptureWindowTitle[] = "Corvane - Mpeg Capture";
// Held by the running updater; a second copy finds it and ends.
inline constexpr char kInstanceMutexName[] = "VELMORA_DIALOG_MUTEX";

// The version this build installs, and the one older version an update may start from.
inline constexpr char kNewVersion[] = ZRC_NEW_VERSION;
inline constexpr char kAcceptedVersion[] = "0211";
// As the accepted version, lets every version pass the gate.
inline constexpr char kAnyVersion[] = "xxxx";
// No version known: before the first read, and after a read that failed. The gate
// refuses it.
inline constexpr char kNoVersion[] = ZRC_NO_VERSION;
// A flash word whose version bits are all set: an erased version area, which may always be
// updated. Also shown while the read-back after a flash runs.
inline constexpr char kErasedVersion[] = "****";

// Fires once, a second after the main dialog opened, and runs the device check.
constexpr UINT_PTR TIMER_DEVICE_CHECK = 0;
constexpr UINT kDeviceCheckDelayMs = 1000;
// Moves the progress bar while the flash worker runs.
constexpr UINT_PTR TIMER_PROGRESS = 7;
constexpr UINT kProgressPeriodMs = 2000;

// Posted by the flash worker to the main dialog when the flash operation has ended;
// wParam is its result (1 success, 0 failure), lParam 0. Any program can post it too:
// the dialog takes the end of the run from the worker's report (UpdateThreadArgs.h).
constexpr UINT WM_UPDATE_DONE = WM_APP + 1;
#endif
