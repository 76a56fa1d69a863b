#pragma once
// The status log's texts and the dialogs' titles as the user sees them, blanks and line
// ends included, written out here apart from the product's own headers, so that a typo on
// either side fails a test. Whole logs that several tests expect are composed from them.
#include <string>

namespace shown {

inline const std::string kDeviceCheck = "Device Check.. ";
inline const std::string kNotReady = "USB Device is Not Ready!!\r\n";
// Follows kDeviceCheck once the device answered, while the flash's version is read.
inline const std::string kCheckingFlash =
    "OK. \r\nGetting Flash Version..\r\nPlease wait 10 seconds..";
inline const std::string kReady = "Ready.\r\n";
inline const std::string kVersionError = "Version error.\r\n";
inline const std::string kPleaseWait = "Please wait...\r\n";
inline const std::string kFileAccessError = "File access error. ";
inline const std::string kFileVersionError = "File version error. ";
inline const std::string kNotStarted = "Ready...\r\n";
inline const std::string kUpdatingFlash = "Updating Flash... ";
inline const std::string kDone = "Done!\r\n";
inline const std::string kVerifying = "Verifing Flash Version...\r\n";
inline const std::string kUpdateOk = "Update OK.\r\n";
inline const std::string kUpdateNg = "Update NG.\r\n";

// The About box's and the device-warning dialog's titles.
inline const std::string kAboutTitle = "About ZRC Flash Updater";
inline const std::string kWarningTitle = "Warning!";

// The whole log after a device check that found the device not ready, and after a flash
// that failed.
inline const std::string kCheckNotReady = kDeviceCheck + "\r\n" + kNotReady;
inline const std::string kFlashFailed = kUpdatingFlash + kDone + kUpdateNg;

} // namespace shown
