// Shell: full-screen dialogs with a navigation bar (caption and OK button)
// above and an empty menu bar below, both real top-level windows owned by
// the dialog.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/shell/aygshell.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"

namespace {

constexpr int kOkButtonWidth = 30;

struct Bars {
  HWND dialog = nullptr;
  HWND nav = nullptr;
  HWND menu = nullptr;
  HWND ok = nullptr;
};

std::vector<Bars>& AllBars() {
  static std::vector<Bars> bars;
  return bars;
}

Bars* BarsOf(HWND dialog) {
  for (Bars& b : AllBars()) {
    if (b.dialog == dialog && IsWindow(b.nav)) return &b;
  }
  return nullptr;
}

void Layout(const Bars& b) {
  SIZE screen = platform::ScreenSize();
  using platform::shell::kBarHeight;
  if (IsWindow(b.nav)) MoveWindow(b.nav, 0, 0, screen.cx, kBarHeight, TRUE);
  if (IsWindow(b.ok)) {
    MoveWindow(b.ok, screen.cx - kOkButtonWidth - 1, 1, kOkButtonWidth, kBarHeight - 2, TRUE);
  }
  if (IsWindow(b.menu)) MoveWindow(b.menu, 0, screen.cy - kBarHeight, screen.cx, kBarHeight, TRUE);
}

LRESULT NavBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        for (const Bars& b : AllBars()) {
          if (b.nav == hwnd && IsWindow(b.dialog)) {
            SendMessage(b.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            break;
          }
        }
      }
      return 0;
    case WM_NCDESTROY:
      std::erase_if(AllBars(), [hwnd](const Bars& b) { return b.nav == hwnd; });
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

LRESULT MenuBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

void RegisterShellClasses() {
  WNDCLASS wc;
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = &NavBarProc;
  wc.lpszClassName = platform::shell::kNavigationBarClass;
  RegisterClass(&wc);
  wc.lpfnWndProc = &MenuBarProc;
  wc.lpszClassName = platform::shell::kMenuBarClass;
  RegisterClass(&wc);
}

}  // namespace

BOOL SHInitExtraControls() {
  InitCommonControls();
  RegisterShellClasses();
  return TRUE;
}

BOOL SHInitDialog(PSHINITDLGINFO info) {
  if (info == nullptr || !IsWindow(info->hDlg)) return FALSE;
  if ((info->dwMask & SHIDIM_FLAGS) == 0) return TRUE;
  SHInitExtraControls();
  HWND dialog = info->hDlg;
  DWORD flags = info->dwFlags;
  using platform::shell::kBarHeight;
  SIZE screen = platform::ScreenSize();
  if ((flags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIZEDLG)) != 0) {
    int bottom = screen.cy - ((flags & SHIDIF_FULLSCREENNOMENUBAR) != 0 ? 0 : kBarHeight);
    MoveWindow(dialog, 0, kBarHeight, screen.cx, bottom - kBarHeight, TRUE);
  }

  if (Bars* old = BarsOf(dialog)) {
    HWND nav = old->nav;
    HWND menu = old->menu;
    DestroyWindow(nav);
    if (IsWindow(menu)) DestroyWindow(menu);
  }
  Bars bars;
  bars.dialog = dialog;
  int length = GetWindowTextLength(dialog);
  std::u16string caption(static_cast<std::size_t>(length) + 1, u'\0');
  GetWindowText(dialog, caption.data(), length + 1);
  caption.resize(static_cast<std::size_t>(length));
  bars.nav = CreateWindowEx(0, platform::shell::kNavigationBarClass, caption.c_str(),
                            WS_POPUP | WS_VISIBLE, 0, 0, screen.cx, kBarHeight, dialog, nullptr,
                            nullptr, nullptr);
  if (bars.nav == nullptr) return FALSE;
  platform::SetWindowFont(bars.nav, platform::DialogFont(u"MS UI Gothic", 9));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtr(dialog, GWL_EXSTYLE));
  if ((flags & SHIDIF_DONEBUTTON) != 0 || (exStyle & WS_EX_CAPTIONOKBTN) != 0) {
    bars.ok = CreateWindowEx(
        0, WC_BUTTON, platform::shell::kOkButtonText, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
        kOkButtonWidth, kBarHeight - 2, bars.nav,
        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(IDOK)), nullptr, nullptr);
  }
  if ((flags & SHIDIF_EMPTYMENU) != 0) {
    bars.menu = CreateWindowEx(0, platform::shell::kMenuBarClass, u"", WS_POPUP | WS_VISIBLE, 0,
                               screen.cy - kBarHeight, screen.cx, kBarHeight, dialog, nullptr,
                               nullptr, nullptr);
  }
  Layout(bars);
  AllBars().push_back(bars);
  return TRUE;
}

BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM, PSHACTIVATEINFO) {
  if (wParam == SETTINGCHANGE_RESET) {
    if (const Bars* b = BarsOf(hwnd)) Layout(*b);
  }
  return TRUE;
}

namespace platform::shell {

HWND NavigationBarOf(HWND dialog) {
  const Bars* b = BarsOf(dialog);
  return b == nullptr ? nullptr : b->nav;
}

HWND MenuBarOf(HWND dialog) {
  const Bars* b = BarsOf(dialog);
  return b == nullptr || !IsWindow(b->menu) ? nullptr : b->menu;
}

HWND OkButtonOf(HWND dialog) {
  const Bars* b = BarsOf(dialog);
  return b == nullptr || !IsWindow(b->ok) ? nullptr : b->ok;
}

HWND TopNavigationBar() {
  auto& bars = AllBars();
  for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
    if (IsWindow(it->nav)) return it->nav;
  }
  return nullptr;
}

}  // namespace platform::shell
