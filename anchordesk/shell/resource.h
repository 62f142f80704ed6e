#pragma once

// Resource and command identifiers of the shell's windows (shell.rc).

#define IDR_MAINFRAME 100          // the program's icon
#define IDD_ANCHORDESK_DIALOG 200  // main window
#define IDC_BTN_CLOSE 201
#define IDC_BTN_MIN 202
#define IDC_STC_VERSION 203
#define IDD_UPDATE_DIALOG 204      // update offer
#define IDC_BTN_UPDATE_CLOSE 205
#define IDC_BTN_UPDATE 206
#define IDC_BTN_NOUPDATE 207
#define IDC_STC_TIP 208
#define IDC_PROGRESS_DOWNLOAD 209

#define ID_TRAY_EXIT 1124          // "退出" in the notification icon's menu
