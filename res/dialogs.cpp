// The dialog templates of the program: the main dialog and its six pages.
// Rectangles are in dialog units; controls are listed in template order,
// which is their creation and tab order.
#include <algorithm>
#include <array>
#include <string_view>

#include "platform/controls/commctrl.h"
#include "platform/window/winuser.h"
#include "res/resources.h"

namespace res {
namespace {

using platform::DialogItemTemplate;
using platform::DialogTemplate;

// Styles, spelled out in numbers where the resource script does and checked
// against the platform's style constants.
constexpr DWORD kMainDialogStyle = 0x90C00040;
constexpr DWORD kMainDialogExStyle = 0x80040000;  // title-bar OK button, app window
constexpr DWORD kPageStyle = 0x40000048;          // hidden child with its own font
constexpr DWORD kAboutPageStyle = kPageStyle | WS_SYSMENU;
constexpr DWORD kTab = 0x50000000;
constexpr DWORD kPushButton = 0x50010000;
constexpr DWORD kProgress = 0x40800000;
constexpr DWORD kBitmap = 0x5000000E;
constexpr DWORD kIcon = WS_CHILD | WS_VISIBLE | SS_ICON;
constexpr DWORD kLabel = 0x50020000;  // left text, starts a group
constexpr DWORD kCheck = 0x50010003;
constexpr DWORD kMultilineCheck = kCheck | BS_MULTILINE;
constexpr DWORD kNumberEdit = 0x50810880;  // read-only, scrolls, bordered
constexpr DWORD kTextEdit = 0x50810080;
constexpr DWORD kUpDown = 0x50000020;  // arrow keys only: no buddy, no text
constexpr DWORD kDropDownList = 0x50210003;

static_assert(kMainDialogStyle == (WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT));
static_assert(kMainDialogExStyle == (WS_EX_CAPTIONOKBTN | WS_EX_APPWINDOW));
static_assert(kPageStyle == (WS_CHILD | DS_SETFONT | DS_FIXEDSYS));
static_assert(kTab == (WS_CHILD | WS_VISIBLE));
static_assert(kPushButton == (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON));
static_assert(kProgress == (WS_CHILD | WS_BORDER));
static_assert(kBitmap == (WS_CHILD | WS_VISIBLE | SS_BITMAP));
static_assert(kLabel == (WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT));
static_assert(kCheck == (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX));
static_assert(kNumberEdit ==
              (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL));
static_assert(kTextEdit == (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL));
static_assert(kUpDown == (WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS));
static_assert(kDropDownList ==
              (WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST));

constexpr std::u16string_view kMainFont = u"MS UI Gothic";
constexpr int kMainFontSize = 9;
constexpr std::u16string_view kPageFont = u"MS Shell Dlg";
constexpr int kPageFontSize = 8;
constexpr short kPageWidth = 160;
constexpr short kPageHeight = 146;

constexpr DialogItemTemplate Control(std::u16string_view className, std::u16string_view text,
                                     int id, short x, short y, short cx, short cy, DWORD style) {
  DialogItemTemplate t;
  t.className = className;
  t.text = text;
  t.id = id;
  t.x = x;
  t.y = y;
  t.cx = cx;
  t.cy = cy;
  t.style = style;
  return t;
}

// A bitmap or icon resource in a plain static.
constexpr DialogItemTemplate Picture(int resourceId, short x, short y, short cx, short cy,
                                     DWORD style) {
  DialogItemTemplate t = Control(u"STATIC", u"", IDC_STATIC, x, y, cx, cy, style);
  t.resourceId = resourceId;
  return t;
}

// Heading bullet: bitmap 132.
constexpr DialogItemTemplate Bullet(short x, short y) {
  return Picture(IDB_BULLET, x, y, 9, 9, kBitmap);
}

constexpr DialogItemTemplate Label(std::u16string_view text, short x, short y, short cx,
                                   short cy = 8) {
  return Control(u"STATIC", text, IDC_STATIC, x, y, cx, cy, kLabel);
}

constexpr DialogItemTemplate Check(int id, std::u16string_view text, short x, short y, short cx,
                                   short cy = 12, DWORD style = kCheck) {
  return Control(u"BUTTON", text, id, x, y, cx, cy, style);
}

constexpr DialogItemTemplate Edit(int id, short x, short y, short cx, short cy,
                                  DWORD style = kNumberEdit) {
  return Control(u"EDIT", u"", id, x, y, cx, cy, style);
}

constexpr DialogItemTemplate UpDown(int id, short x, short y) {
  return Control(u"msctls_updown32", u"", id, x, y, 11, 14, kUpDown);
}

constexpr DialogItemTemplate DropDownList(int id, short x, short y, short cx, short cy,
                                          std::span<const std::u16string_view> entries) {
  DialogItemTemplate t = Control(u"COMBOBOX", u"", id, x, y, cx, cy, kDropDownList);
  t.initStrings = entries;
  return t;
}

constexpr DialogTemplate Page(int id, std::span<const DialogItemTemplate> items,
                              DWORD style = kPageStyle) {
  DialogTemplate t;
  t.id = id;
  t.style = style;
  t.cx = kPageWidth;
  t.cy = kPageHeight;
  t.fontFace = kPageFont;
  t.pointSize = kPageFontSize;
  t.items = items;
  return t;
}

// 102: the main dialog.
constexpr DialogItemTemplate kMainItems[] = {
    Control(u"SysTabControl32", u"", IDC_TAB, 0, 4, 136, 152, kTab),
    Control(u"BUTTON", u"反映", IDC_APPLY, 18, 162, 44, 14, kPushButton),
    Control(u"BUTTON", u"ｷｬﾝｾﾙ", IDCANCEL, 72, 162, 42, 14, kPushButton),
    Control(u"msctls_progress32", u"", IDC_PROGRESS, 6, 162, 120, 12, kProgress),
};

// 131: installer and system. The list index is the stored number.
constexpr std::u16string_view kCpuPriorities[] = {
    u"アクティブアプリが占有する",
    u"アクティブアプリの優先度を高く",
    u"アクティブアプリの優先度を少し高く",
    u"均等に動作",
};
constexpr DialogItemTemplate kSet1Items[] = {
    Bullet(6, 0),
    Label(u"CABインストーラの起動設定", 18, 0, 88),
    Check(IDC_ASK_DEST, u"インストール先を問い合わせる", 12, 12, 138),
    Check(IDC_DYNAMIC_DELETE, u"インストール後に cab ファイルを削除する", 12, 30, 138),
    Check(IDC_ASK_OPTIONS, u"前のバージョンをアンインストールするか問い合わせる", 12, 44, 138, 18,
          kMultilineCheck),
    Bullet(6, 66),
    Label(u"CPU 動作の優先度", 18, 66, 63),
    Bullet(6, 96),
    DropDownList(IDC_CPU_PRIORITY, 18, 78, 114, 48, kCpuPriorities),
    Label(u"ウィンドウのアニメーション", 18, 96, 78),
    Check(IDC_ANIMATE, u"有効", 18, 108, 29),
};

// 136: input, shell and browser.
constexpr DialogItemTemplate kSet2Items[] = {
    Bullet(6, 0),
    Label(u"ソフトウェアキーボードの自動表示", 18, 0, 106),
    Check(IDC_SIP_AUTO, u"する", 18, 12, 29),
    Bullet(6, 30),
    Label(u"スタートメニューの起動履歴", 18, 30, 86),
    Check(IDC_CLEAR_HISTORY, u"削除する", 18, 42, 42),
    Bullet(6, 60),
    Label(u"IE Mobileの同時ダウンロード数(HTTP 1.1)", 18, 60, 132),
    Edit(IDC_PER1_0_SERVER, 18, 72, 18, 14),
    UpDown(IDC_PER1_0_SERVER_SPIN, 36, 72),
    Bullet(6, 96),
    Label(u"IE Mobileの同時ダウンロード数(HTTP 1.0)", 18, 96, 132),
    Edit(IDC_PER_SERVER, 18, 108, 18, 14),
    UpDown(IDC_PER_SERVER_SPIN, 36, 108),
};

// 137: network. Template order differs from the order on screen.
constexpr DialogItemTemplate kSet3Items[] = {
    Bullet(6, 0),
    Bullet(6, 60),
    Bullet(6, 90),
    Label(u"ダイアルアップ通信の自動切断無通信時間", 18, 0, 137),
    Label(u"分 (0～60)", 53, 14, 36),
    Label(u"無線LAN のスキャンインターバル時間", 18, 60, 116),
    Edit(IDC_SCAN_INTERVAL, 18, 72, 24, 14),
    UpDown(IDC_SCAN_INTERVAL_SPIN, 42, 72),
    Label(u"分 (1～30)", 53, 74, 36),
    Label(u"WiFi終了後にWiFiを自動停止", 18, 90, 96),
    Check(IDC_WIFI_AUTO_STOP, u"する", 18, 102, 29),
    Bullet(6, 120),
    Label(u"デバイス名の変更", 18, 120, 57),
    Edit(IDC_DEVICE_NAME, 18, 132, 72, 12, kTextEdit),
    Check(IDC_NETWORK_FOLDER, u"する", 18, 42, 29),
    Label(u"ネットワークフォルダの表示", 18, 30, 82),
    Bullet(6, 30),
    Edit(IDC_CACHE_TIME, 18, 12, 24, 14),
    UpDown(IDC_CACHE_TIME_SPIN, 42, 12),
};

// 138: display and input. The list index is the stored number.
constexpr std::u16string_view kClockModes[] = {
    u"時間を表示しない",
    u"時間を表示",
    u"日付を表示",
    u"日付と時間を表示",
};
constexpr DialogItemTemplate kSet4Items[] = {
    Bullet(6, 0),
    Bullet(6, 60),
    Bullet(6, 90),
    Label(u"予定表に旧暦を表示", 18, 0, 69),
    Bullet(6, 120),
    Check(IDC_LUNAR_CALENDAR, u"する", 18, 12, 29),
    Bullet(6, 30),
    Label(u"IME のデフォルトの入力モード", 18, 30, 92),
    Check(IDC_IME_ALPHANUMERIC, u"半角英数にする", 18, 42, 66),
    Label(u"フォントを奇麗に描画する", 18, 60, 80),
    Check(IDC_CLEARTYPE, u"有効", 18, 72, 29),
    Label(u"タイトルバーに日付や時刻を表示", 18, 90, 104),
    DropDownList(IDC_TITLE_BAR_CLOCK, 18, 102, 72, 42, kClockModes),
    Label(u"IE Mobileでフォントを奇麗に描画する", 18, 120, 115),
    Check(IDC_IE_CLEARTYPE, u"有効", 18, 132, 29),
};

// 139: menu and scroll bars.
constexpr DialogItemTemplate kSet5Items[] = {
    Bullet(6, 6),
    Bullet(6, 30),
    Bullet(6, 90),
    Label(u"メニューのアニメーション", 18, 6, 78),
    Check(IDC_MENU_ANIMATION, u"有効", 18, 18, 29),
    Label(u"縦のスクロールバーの太さ", 18, 30, 80),
    Label(u"ドット", 54, 44, 17),
    Edit(IDC_CX_VSCR, 18, 42, 24, 14),
    UpDown(IDC_CX_VSCR_SPIN, 42, 42),
    Label(u"横のスクロールバーの太さ", 18, 90, 80),
    Label(u"ドット", 54, 103, 17),
    Edit(IDC_CY_HSCR, 18, 102, 24, 14),
    UpDown(IDC_CY_HSCR_SPIN, 42, 102),
    Bullet(6, 60),
    Label(u"縦のスクロールバーの矢印の長さ", 18, 60, 102),
    Label(u"ドット", 54, 73, 17),
    Edit(IDC_CY_VSCR, 18, 71, 24, 14),
    UpDown(IDC_CY_VSCR_SPIN, 42, 71),
    Bullet(6, 119),
    Label(u"横のスクロールバ矢印の長さ", 18, 119, 89),
    Label(u"ドット", 54, 132, 17),
    Edit(IDC_CX_HSCR, 18, 131, 24, 14),
    UpDown(IDC_CX_HSCR_SPIN, 42, 131),
};

// 135: About. The picture and the icon are resources; two statics receive
// the version and copyright texts.
constexpr DialogItemTemplate kAboutItems[] = {
    Picture(IDB_ABOUT, 0, 86, 160, 59, kBitmap),
    Label(u"RegillaWM", 57, 18, 45),
    Picture(IDI_PROGRAM, 12, 18, 20, 20, kIcon),
    Label(u"Version", 55, 30, 24),
    Control(u"STATIC", u"", IDC_VERSION, 78, 30, 24, 8, kLabel),
    Control(u"STATIC", u"", IDC_COPYRIGHT, 40, 47, 79, 8, kLabel),
};

constexpr DialogTemplate kDialogs[] = {
    [] {
      DialogTemplate t;
      t.id = IDD_MAIN;
      t.style = kMainDialogStyle;
      t.exStyle = kMainDialogExStyle;
      t.cx = 135;
      t.cy = 179;
      t.caption = u"RegillaMobile";
      t.fontFace = kMainFont;
      t.pointSize = kMainFontSize;
      t.items = kMainItems;
      return t;
    }(),
    Page(IDD_SET1, kSet1Items),
    Page(IDD_ABOUT, kAboutItems, kAboutPageStyle),
    Page(IDD_SET2, kSet2Items),
    Page(IDD_SET3, kSet3Items),
    Page(IDD_SET4, kSet4Items),
    Page(IDD_SET5, kSet5Items),
};

// Within one template no two controls share an id (plain statics aside):
// the dialog manager would find only the first.
constexpr bool IdsUnique(const DialogTemplate& dialog) {
  const auto items = dialog.items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    for (std::size_t j = i + 1; j < items.size(); ++j) {
      if (items[i].id != IDC_STATIC && items[i].id == items[j].id) return false;
    }
  }
  return true;
}
static_assert(std::ranges::all_of(kDialogs, IdsUnique));

}  // namespace

std::span<const platform::DialogTemplate> Dialogs() {
  return kDialogs;
}

}  // namespace res
