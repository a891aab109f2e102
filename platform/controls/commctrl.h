// Common controls of the emulated platform: the commctrl.h subset (class
// names, messages, notifications, structures, standard values) and a small
// read-only query API for state that has no message (so that a renderer can
// draw the controls).
#pragma once

#include "platform/window/winuser.h"
#include "platform/wintypes.h"

// ---------------------------------------------------------------------------
// Class names
inline constexpr const WCHAR* WC_BUTTON = u"BUTTON";
inline constexpr const WCHAR* WC_STATIC = u"STATIC";
inline constexpr const WCHAR* WC_EDIT = u"EDIT";
inline constexpr const WCHAR* WC_COMBOBOX = u"COMBOBOX";
inline constexpr const WCHAR* WC_COMBOLBOX = u"ComboLBox";  // the drop-down list popup
inline constexpr const WCHAR* UPDOWN_CLASS = u"msctls_updown32";
inline constexpr const WCHAR* WC_TABCONTROL = u"SysTabControl32";
inline constexpr const WCHAR* PROGRESS_CLASS = u"msctls_progress32";

// Registers every control class (idempotent).
void InitCommonControls();

// ---------------------------------------------------------------------------
// Generic notifications
inline constexpr UINT NM_FIRST = 0;
inline constexpr UINT NM_CLICK = static_cast<UINT>(-2);
inline constexpr UINT NM_SETFOCUS = static_cast<UINT>(-7);
inline constexpr UINT NM_KILLFOCUS = static_cast<UINT>(-8);
inline constexpr UINT NM_RELEASEDCAPTURE = static_cast<UINT>(-16);

// ---------------------------------------------------------------------------
// Up-down control. Created with minimum 100, maximum 0, position 0.
inline constexpr DWORD UDS_WRAP = 0x0001;
inline constexpr DWORD UDS_SETBUDDYINT = 0x0002;
inline constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
inline constexpr DWORD UDS_ALIGNLEFT = 0x0008;
inline constexpr DWORD UDS_AUTOBUDDY = 0x0010;
inline constexpr DWORD UDS_ARROWKEYS = 0x0020;
inline constexpr DWORD UDS_HORZ = 0x0040;
inline constexpr DWORD UDS_NOTHOUSANDS = 0x0080;

inline constexpr int UD_MAXVAL = 0x7FFF;
inline constexpr int UD_MINVAL = -UD_MAXVAL;

// lParam: low word = maximum, high word = minimum (signed 16-bit).
inline constexpr UINT UDM_SETRANGE = WM_USER + 101;
// Returns MAKELONG(maximum, minimum).
inline constexpr UINT UDM_GETRANGE = WM_USER + 102;
// lParam: new position (low 16 bits, signed); clamped to the range.
// Returns the previous position, clamped to the range.
inline constexpr UINT UDM_SETPOS = WM_USER + 103;
// Returns the position in the low word and 1 in the high word: the control
// has no buddy window that holds the position.
inline constexpr UINT UDM_GETPOS = WM_USER + 104;
// wParam = minimum, lParam = maximum.
inline constexpr UINT UDM_SETRANGE32 = WM_USER + 111;
// wParam = int* minimum, lParam = int* maximum (either may be null).
inline constexpr UINT UDM_GETRANGE32 = WM_USER + 112;
inline constexpr UINT UDM_SETPOS32 = WM_USER + 113;
// lParam = BOOL* error (may be null; set to TRUE, as for UDM_GETPOS);
// returns the position.
inline constexpr UINT UDM_GETPOS32 = WM_USER + 114;

inline constexpr UINT UDN_FIRST = static_cast<UINT>(-721);
inline constexpr UINT UDN_DELTAPOS = UDN_FIRST - 1;  // -722

struct NMUPDOWN {
  NMHDR hdr;
  int iPos = 0;    // position before the step
  int iDelta = 0;  // proposed change (the parent may change it; non-zero result cancels)
};
using LPNMUPDOWN = NMUPDOWN*;

// ---------------------------------------------------------------------------
// Tab control. Row height = font height + 5.
inline constexpr DWORD TCS_BOTTOM = 0x0002;
inline constexpr DWORD TCS_BUTTONS = 0x0100;
inline constexpr DWORD TCS_MULTILINE = 0x0200;
inline constexpr DWORD TCS_FIXEDWIDTH = 0x0400;
inline constexpr DWORD TCS_FOCUSNEVER = 0x8000;

inline constexpr UINT TCM_FIRST = 0x1300;
inline constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
inline constexpr UINT TCM_DELETEITEM = TCM_FIRST + 8;
inline constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
// wParam = index, lParam = RECT* (client coordinates of the tab control).
inline constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;
inline constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
// No notification; a negative index clears the selection, an index past the
// last tab changes nothing (-1). Returns the previous selection.
inline constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;
// lParam = TCHITTESTINFO*; returns the index or -1.
inline constexpr UINT TCM_HITTEST = TCM_FIRST + 13;
// wParam = FALSE: window rect -> display rect; TRUE: display -> window.
inline constexpr UINT TCM_ADJUSTRECT = TCM_FIRST + 40;
inline constexpr UINT TCM_GETROWCOUNT = TCM_FIRST + 44;
inline constexpr UINT TCM_GETCURFOCUS = TCM_FIRST + 47;
inline constexpr UINT TCM_SETCURFOCUS = TCM_FIRST + 48;
inline constexpr UINT TCM_GETITEM = TCM_FIRST + 60;     // wParam = index, lParam = TCITEM*
inline constexpr UINT TCM_SETITEM = TCM_FIRST + 61;     // wParam = index, lParam = TCITEM*
inline constexpr UINT TCM_INSERTITEM = TCM_FIRST + 62;  // returns the new index or -1

inline constexpr UINT TCIF_TEXT = 0x0001;
inline constexpr UINT TCIF_IMAGE = 0x0002;
inline constexpr UINT TCIF_PARAM = 0x0008;
inline constexpr UINT TCIF_STATE = 0x0010;

struct TCITEM {
  UINT mask = 0;
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  LPWSTR pszText = nullptr;
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};
using LPTCITEM = TCITEM*;

inline constexpr UINT TCHT_NOWHERE = 0x0001;
inline constexpr UINT TCHT_ONITEMICON = 0x0002;
inline constexpr UINT TCHT_ONITEMLABEL = 0x0004;
inline constexpr UINT TCHT_ONITEM = TCHT_ONITEMICON | TCHT_ONITEMLABEL;
struct TCHITTESTINFO {
  POINT pt;
  UINT flags = 0;
};

inline constexpr UINT TCN_FIRST = static_cast<UINT>(-550);
inline constexpr UINT TCN_KEYDOWN = TCN_FIRST - 0;
inline constexpr UINT TCN_SELCHANGE = TCN_FIRST - 1;    // -551
inline constexpr UINT TCN_SELCHANGING = TCN_FIRST - 2;  // -552 (non-zero result prevents)

// ---------------------------------------------------------------------------
// Progress bar. Default range 0 ... 100, position 0.
inline constexpr DWORD PBS_SMOOTH = 0x01;
inline constexpr DWORD PBS_VERTICAL = 0x04;

// lParam: low word = minimum, high word = maximum. Returns MAKELONG(old min, old max).
inline constexpr UINT PBM_SETRANGE = WM_USER + 1;
// Clamps, returns the previous position and repaints at once.
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_DELTAPOS = WM_USER + 3;
inline constexpr UINT PBM_SETSTEP = WM_USER + 4;
inline constexpr UINT PBM_STEPIT = WM_USER + 5;
inline constexpr UINT PBM_SETRANGE32 = WM_USER + 6;  // wParam = min, lParam = max
// wParam = TRUE: return the minimum, FALSE: the maximum; lParam = PBRANGE* or null.
inline constexpr UINT PBM_GETRANGE = WM_USER + 7;
inline constexpr UINT PBM_GETPOS = WM_USER + 8;

struct PBRANGE {
  int iLow = 0;
  int iHigh = 0;
};

// ---------------------------------------------------------------------------
// State without a message, for renderers and automation.
namespace platform {

enum class UpDownPart { None, Up, Down };
// The arrow currently held down with the mouse.
UpDownPart UpDownPressedPart(HWND updown);
// Rectangle of an arrow in the up-down's client coordinates ("up" is the top
// half of a vertical control, the right half of a UDS_HORZ one).
RECT UpDownPartRect(HWND updown, UpDownPart part);

// The drop-down list popup of a combo box while it is open, else null. The
// list answers LB_GETCOUNT, LB_GETTEXT, LB_GETCURSEL (highlighted entry),
// LB_GETTOPINDEX, LB_GETITEMHEIGHT and LB_GETITEMRECT.
HWND ComboListWindow(HWND combo);

// Caret position (character index) of an edit; the selection is EM_GETSEL.
int EditCaret(HWND edit);
// Index of the first visible character of a single-line edit.
int EditScrollOffset(HWND edit);

}  // namespace platform
