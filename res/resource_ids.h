// Resource ids of the program: dialog templates, icon, bitmaps, and the
// control ids the templates use.
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

}  // namespace res
