// SPDX-License-Identifier: MIT
#pragma once

// The window classes and control identifiers of the Windows window: what a program
// that drives the window from outside (its tests, an accessibility tool) looks for.
namespace marrowlock::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"MarrowlockForm1";
inline constexpr wchar_t kHelpWindowClass[] = L"MarrowlockMLHelp";
inline constexpr wchar_t kSetupDialogClass[] = L"MarrowlockDialog";
inline constexpr wchar_t kInputBoxClass[] = L"MarrowlockInputBox";

// Form1's controls.
inline constexpr int kText1 = 101;
inline constexpr int kText2 = 102;
inline constexpr int kText3 = 103;
inline constexpr int kText4 = 104;
inline constexpr int kLabel2 = 112;  // Label1, the status line, is the status bar's first part
inline constexpr int kLabel3 = 113;
inline constexpr int kLabel4 = 114;  // "Pair", over Text3
inline constexpr int kLabel4Pal = 115;
inline constexpr int kLabel5 = 116;
inline constexpr int kLabel6 = 117;
inline constexpr int kToolbar = 120;
inline constexpr int kStatusBar = 121;
inline constexpr int kProgressBar = 122;
// A menu entry's identifier is kFirstMenuEntry plus its command's number; a toolbar
// button's is kFirstButton plus its position (1..9).
inline constexpr int kFirstMenuEntry = 1000;
inline constexpr int kFirstButton = 2000;

// The help window's text.
inline constexpr int kHelpText = 301;

// The setup dialog's controls.
inline constexpr int kSetupLabel1 = 401;
inline constexpr int kSetupLabel2 = 402;
inline constexpr int kSetupPath = 403;
inline constexpr int kDrive1 = 404;
inline constexpr int kDir1 = 405;
inline constexpr int kFile1 = 406;
inline constexpr int kOkButton = 1;      // IDOK
inline constexpr int kCancelButton = 2;  // IDCANCEL
inline constexpr int kMakeKeyButton = 407;

// The input box's controls; its OK and Cancel are IDOK and IDCANCEL.
inline constexpr int kInputPrompt = 501;
inline constexpr int kInputAnswer = 502;

}  // namespace marrowlock::win32
