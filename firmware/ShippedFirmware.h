#pragma once
// The firmware this build installs: its version text, as the image's trailer and the
// device's flash carry it after the update, and the image's file name, which carries the
// version too. Macros, so that the dialog templates and the updater's texts are composed
// from them.
#define ZRC_NEW_VERSION    "0214"
#define ZRC_FIRMWARE_IMAGE "zrcup" ZRC_NEW_VERSION ".bin"
