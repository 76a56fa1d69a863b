#pragma once
// The texts of the main dialog's status log, each written here once, blanks and line
// ends included. The handlers append them; scripts/identity.sh reads them for the demo.
// The texts with which an update attempt ends start with kRunEnd: the demo waits for each
// of them (a test checks that it names them all).

// "USB Device is Not Ready!!" ends both the device check and an update attempt.
#define ZRC_NOT_READY "USB Device is Not Ready!!\r\n"

// The device check, run once a second after the dialog opened.
inline constexpr char kStatusDeviceCheck[] = "Device Check.. ";
inline constexpr char kStatusCheckingFlash[] =
    "OK. \r\nGetting Flash Version..\r\nPlease wait 10 seconds..";
// Follows kStatusDeviceCheck on a line of its own.
inline constexpr char kStatusCheckNotReady[] = "\r\n" ZRC_NOT_READY;
inline constexpr char kStatusReady[] = "Ready.\r\n";
inline constexpr char kStatusVersionError[] = "Version error.\r\n";

// The update run, from the press of Update to its verdict.
inline constexpr char kStatusPleaseWait[] = "Please wait...\r\n";
// No line end: the completion finishes the line with kStatusDone.
inline constexpr char kStatusUpdatingFlash[] = "Updating Flash... ";
inline constexpr char kStatusDone[] = "Done!\r\n";
inline constexpr char kStatusVerifying[] = "Verifing Flash Version...\r\n";
inline constexpr char kRunEndNotReady[] = ZRC_NOT_READY;
inline constexpr char kRunEndFileAccessError[] = "File access error. ";
inline constexpr char kRunEndFileVersionError[] = "File version error. ";
inline constexpr char kRunEndNotStarted[] = "Ready...\r\n";
inline constexpr char kRunEndUpdateOk[] = "Update OK.\r\n";
inline constexpr char kRunEndUpdateNg[] = "Update NG.\r\n";
