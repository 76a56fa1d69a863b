#pragma once
// Identifiers of the updater's resources: dialog templates, their controls and the icon.

// Dialog templates
#define IDD_ABOUTBOX       100
#define IDD_UPDATER_DIALOG 102
#define IDD_DEVICE_WARNING 139

// Icon
#define IDR_MAINFRAME 128

// Main dialog controls
#define IDC_UPDATE          1013
#define IDC_STATUS          1053
#define IDC_PROGRESS        1230
#define IDC_ABOUT           1231
#define IDC_CURRENT_VERSION 1233
#define IDC_NEW_VERSION     1234
#define IDC_NEW_LABEL       1235
#define IDC_CURRENT_LABEL   1236
#define IDC_VERSION_GROUP   1237

// About box controls
#define IDC_APP_VERSION       1219
#define IDC_MICROCODE_VERSION 1220
#define IDC_SOURCE_VERSION    1222
#define IDC_SPLITTER_VERSION  1223
#define IDC_SINK_VERSION      1224

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
