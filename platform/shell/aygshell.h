// The shell library of the emulated Pocket PC: extra-controls
// initialisation, full-screen dialog initialisation (navigation bar with the
// title and the OK button above, empty menu bar below) and setting-change
// handling.
#pragma once

#include "platform/window/winuser.h"
#include "platform/wintypes.h"

// Registers the shell's extra controls (and the common controls). TRUE.
BOOL SHInitExtraControls();

struct SHINITDLGINFO {
  DWORD dwMask = 0;
  HWND hDlg = nullptr;
  DWORD dwFlags = 0;
};
using PSHINITDLGINFO = SHINITDLGINFO*;

inline constexpr DWORD SHIDIM_FLAGS = 0x0001;

inline constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;
inline constexpr DWORD SHIDIF_SIZEDLG = 0x0002;
inline constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
inline constexpr DWORD SHIDIF_SIPDOWN = 0x0008;
inline constexpr DWORD SHIDIF_FULLSCREENNOMENUBAR = 0x0010;
inline constexpr DWORD SHIDIF_EMPTYMENU = 0x0020;
inline constexpr DWORD SHIDIF_WANTSCROLLBAR = 0x0040;

// With SHIDIM_FLAGS: SHIDIF_SIZEDLGFULLSCREEN places the dialog between the
// 26-px navigation bar and (with SHIDIF_EMPTYMENU) the 26-px empty menu bar:
// on 240 x 320 at (0,26)-(240,294). The navigation bar (a top-level window
// owned by the dialog) shows the dialog's caption and, with
// SHIDIF_DONEBUTTON and the dialog's WS_EX_CAPTIONOKBTN, an OK button whose
// click sends WM_COMMAND IDOK to the dialog. The bars go with the dialog.
BOOL SHInitDialog(PSHINITDLGINFO info);

struct SHACTIVATEINFO {
  DWORD cbSize = sizeof(SHACTIVATEINFO);
  HWND hwndLastFocus = nullptr;
  UINT fSipUp = 0;
  UINT fSipOnDeactivation = 0;
  UINT fActive = 0;
  UINT fReserved = 0;
};
using PSHACTIVATEINFO = SHACTIVATEINFO*;

// On SETTINGCHANGE_RESET re-lays the window's bars out for the current
// screen size; the window itself is left where it is. TRUE.
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, PSHACTIVATEINFO info);

namespace platform::shell {

inline constexpr int kBarHeight = 26;
inline constexpr const WCHAR* kNavigationBarClass = u"NavBar";
inline constexpr const WCHAR* kMenuBarClass = u"MenuBar";
inline constexpr const WCHAR* kOkButtonText = u"ok";

// The bars of a full-screen dialog (null when it has none).
HWND NavigationBarOf(HWND dialog);
HWND MenuBarOf(HWND dialog);
// The OK button (a BUTTON, id IDOK, child of the navigation bar) or null.
HWND OkButtonOf(HWND dialog);
// The navigation bar on top (the most recent living one), or null.
HWND TopNavigationBar();

}  // namespace platform::shell
