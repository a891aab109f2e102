// Resource ids of the program: dialog templates, icon, bitmaps, and the
// control ids of each template. Control ids are unique within a template
// only: several numbers return on other pages.
#pragma once

namespace res {

// Dialog templates.
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_SET1 = 131;
inline constexpr int IDD_ABOUT = 135;
inline constexpr int IDD_SET2 = 136;
inline constexpr int IDD_SET3 = 137;
inline constexpr int IDD_SET4 = 138;
inline constexpr int IDD_SET5 = 139;

// Icon group and bitmaps.
inline constexpr int IDI_PROGRAM = 129;
inline constexpr int IDB_BULLET = 132;
inline constexpr int IDB_ABOUT = 134;

// Static controls without an id of their own.
inline constexpr int IDC_STATIC = -1;

// 102, the main dialog ("ｷｬﾝｾﾙ" is IDCANCEL).
inline constexpr int IDC_TAB = 1002;
inline constexpr int IDC_APPLY = 1013;
inline constexpr int IDC_PROGRESS = 1029;

// 131, installer and system.
inline constexpr int IDC_ASK_DEST = 1009;
inline constexpr int IDC_DYNAMIC_DELETE = 1010;
inline constexpr int IDC_ASK_OPTIONS = 1011;
inline constexpr int IDC_CPU_PRIORITY = 1031;
inline constexpr int IDC_ANIMATE = 1032;

// 136, input, shell and browser. The history box has Apply's number.
inline constexpr int IDC_SIP_AUTO = 1012;
inline constexpr int IDC_CLEAR_HISTORY = 1013;
inline constexpr int IDC_PER1_0_SERVER = 1017;
inline constexpr int IDC_PER1_0_SERVER_SPIN = 1018;
inline constexpr int IDC_PER_SERVER = 1019;
inline constexpr int IDC_PER_SERVER_SPIN = 1020;

// 137, network.
inline constexpr int IDC_CACHE_TIME = 1019;
inline constexpr int IDC_SCAN_INTERVAL = 1020;
inline constexpr int IDC_CACHE_TIME_SPIN = 1021;
inline constexpr int IDC_NETWORK_FOLDER = 1022;
inline constexpr int IDC_SCAN_INTERVAL_SPIN = 1023;
inline constexpr int IDC_WIFI_AUTO_STOP = 1026;
inline constexpr int IDC_DEVICE_NAME = 1027;

// 138, display and input.
inline constexpr int IDC_LUNAR_CALENDAR = 1024;
inline constexpr int IDC_IME_ALPHANUMERIC = 1025;
inline constexpr int IDC_CLEARTYPE = 1026;
inline constexpr int IDC_IE_CLEARTYPE = 1027;
inline constexpr int IDC_TITLE_BAR_CLOCK = 1030;

// 139, menu and scroll bars.
inline constexpr int IDC_MENU_ANIMATION = 1034;
inline constexpr int IDC_CX_VSCR = 1036;
inline constexpr int IDC_CX_VSCR_SPIN = 1037;
inline constexpr int IDC_CY_HSCR = 1038;
inline constexpr int IDC_CY_HSCR_SPIN = 1039;
inline constexpr int IDC_CY_VSCR = 1040;
inline constexpr int IDC_CY_VSCR_SPIN = 1041;
inline constexpr int IDC_CX_HSCR = 1042;
inline constexpr int IDC_CX_HSCR_SPIN = 1043;

// 135, About: the version and copyright texts.
inline constexpr int IDC_VERSION = 1025;
inline constexpr int IDC_COPYRIGHT = 1026;

}  // namespace res
