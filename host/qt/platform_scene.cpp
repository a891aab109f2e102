#include "host/qt/platform_scene.h"

#include <algorithm>
#include <string>

#include "platform/controls/commctrl.h"
#include "platform/shell/aygshell.h"
#include "platform/text/text.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace hostqt {

namespace {

QString ToQString(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

QRect ToQRect(const RECT& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool SameClass(std::u16string_view a, std::u16string_view b) {
  return platform::text::EqualsFolded(a, b);
}

// Client rectangle in screen coordinates (the platform has no non-client area,
// but ask rather than assume).
QRect ClientOnScreen(HWND hwnd) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return QRect(origin.x, origin.y, rc.right - rc.left, rc.bottom - rc.top);
}

QRect ChildRectOnScreen(HWND hwnd, const RECT& clientRect) {
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return ToQRect(clientRect).translated(origin.x, origin.y);
}

void FillCombo(SceneNode& n, HWND hwnd) {
  const auto count = static_cast<int>(SendMessage(hwnd, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto len = static_cast<int>(SendMessage(hwnd, CB_GETLBTEXTLEN, i, 0));
    std::u16string s(static_cast<std::size_t>(std::max(0, len)) + 1, u'\0');
    SendMessage(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(std::max(0, len)));
    n.items << ToQString(s);
  }
  n.selected = static_cast<int>(SendMessage(hwnd, CB_GETCURSEL, 0, 0));
}

void FillList(SceneNode& n, HWND hwnd) {
  const auto count = static_cast<int>(SendMessage(hwnd, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto len = static_cast<int>(SendMessage(hwnd, LB_GETTEXTLEN, i, 0));
    std::u16string s(static_cast<std::size_t>(std::max(0, len)) + 1, u'\0');
    SendMessage(hwnd, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(std::max(0, len)));
    n.items << ToQString(s);
    RECT r{};
    const bool known = SendMessage(hwnd, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) != LB_ERR;
    n.itemRects.push_back(known ? ChildRectOnScreen(hwnd, r) : QRect());
  }
  n.selected = static_cast<int>(SendMessage(hwnd, LB_GETCURSEL, 0, 0));
}

void FillTab(SceneNode& n, HWND hwnd) {
  const auto count = static_cast<int>(SendMessage(hwnd, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::u16string buffer(256, u'\0');
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    SendMessage(hwnd, TCM_GETITEM, i, reinterpret_cast<LPARAM>(&item));
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    n.items << ToQString(buffer);
    RECT r{};
    const bool known = SendMessage(hwnd, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) != 0;
    n.itemRects.push_back(known ? ChildRectOnScreen(hwnd, r) : QRect());
  }
  n.selected = static_cast<int>(SendMessage(hwnd, TCM_GETCURSEL, 0, 0));
}

void FillEdit(SceneNode& n, HWND hwnd, DWORD style) {
  n.readOnly = (style & ES_READONLY) != 0;
  DWORD start = 0;
  DWORD end = 0;
  SendMessage(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  n.selStart = static_cast<int>(start);
  n.selEnd = static_cast<int>(end);
  n.caret = platform::EditCaret(hwnd);
  n.scrollChars = platform::EditScrollOffset(hwnd);
}

void FillUpDown(SceneNode& n, HWND hwnd) {
  switch (platform::UpDownPressedPart(hwnd)) {
    case platform::UpDownPart::Up:
      n.pressedArrow = 1;
      break;
    case platform::UpDownPart::Down:
      n.pressedArrow = -1;
      break;
    case platform::UpDownPart::None:
      n.pressedArrow = 0;
      break;
  }
  n.itemRects = {
      ChildRectOnScreen(hwnd, platform::UpDownPartRect(hwnd, platform::UpDownPart::Up)),
      ChildRectOnScreen(hwnd, platform::UpDownPartRect(hwnd, platform::UpDownPart::Down))};
}

void FillProgress(SceneNode& n, HWND hwnd) {
  n.rangeMin = static_cast<int>(SendMessage(hwnd, PBM_GETRANGE, TRUE, 0));
  n.rangeMax = static_cast<int>(SendMessage(hwnd, PBM_GETRANGE, FALSE, 0));
  n.pos = static_cast<int>(SendMessage(hwnd, PBM_GETPOS, 0, 0));
}

void FillStatic(SceneNode& n, HWND hwnd, DWORD style) {
  const DWORD type = style & SS_TYPEMASK;
  if (type == SS_BITMAP) {
    n.kind = Kind::StaticBitmap;
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessage(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (bitmap != nullptr) n.image = platform::ImageBytes(bitmap);
    return;
  }
  if (type == SS_ICON) {
    n.kind = Kind::StaticIcon;
    auto icon = reinterpret_cast<HICON>(SendMessage(hwnd, STM_GETICON, 0, 0));
    if (icon == nullptr)
      icon = reinterpret_cast<HICON>(SendMessage(hwnd, STM_GETIMAGE, IMAGE_ICON, 0));
    if (icon != nullptr) n.image = platform::ImageBytes(icon);
    return;
  }
  n.kind = Kind::Static;
  n.wordWrap = type != SS_LEFTNOWORDWRAP;
  n.align = type == SS_CENTER  ? TextAlign::Center
            : type == SS_RIGHT ? TextAlign::Right
                               : TextAlign::Left;
}

bool HasChildWithId(HWND hwnd, int id) {
  for (HWND child : platform::ChildWindows(hwnd)) {
    if (GetDlgCtrlID(child) == id) return true;
  }
  return false;
}

}  // namespace

SceneNode CaptureWindow(HWND hwnd) {
  const platform::WindowInfo info = platform::DescribeWindow(hwnd);
  SceneNode n;
  n.id = info.id;
  n.text = ToQString(info.text);
  n.rect = ToQRect(info.screenRect);
  n.client = ClientOnScreen(hwnd);
  n.visible = (info.style & WS_VISIBLE) != 0;
  n.enabled = info.enabled && IsWindowEnabled(hwnd);
  n.focused = GetFocus() == hwnd;
  n.border = (info.style & WS_BORDER) != 0 && (info.style & WS_CAPTION) != WS_CAPTION;
  // The font's point size at the device's 96 DPI, in whole pixels: 12 px for
  // "MS UI Gothic" 9 pt, 10 px for "MS Shell Dlg" 8 pt; and the line height
  // the window system lays text out with (12 and 11 px).
  const platform::FontInfo font = platform::WindowFont(hwnd);
  n.fontPx = font.pointSize > 0 ? font.pointSize * 96 / 72 : std::max(1, font.height - 1);
  n.lineHeight = font.height;

  const std::u16string_view cls = info.className;
  const DWORD style = info.style;
  HWND parent = GetParent(hwnd);
  const bool inNavBar = parent != nullptr && SameClass(platform::DescribeWindow(parent).className,
                                                       platform::shell::kNavigationBarClass);
  if (SameClass(cls, platform::shell::kNavigationBarClass)) {
    n.kind = Kind::NavBar;
  } else if (SameClass(cls, platform::shell::kMenuBarClass)) {
    n.kind = Kind::MenuBar;
  } else if (SameClass(cls, WC_BUTTON)) {
    const DWORD type = style & BS_TYPEMASK;
    const auto state = SendMessage(hwnd, BM_GETSTATE, 0, 0);
    n.pressed = (state & BST_PUSHED) != 0;
    n.multiline = (style & BS_MULTILINE) != 0;
    if (inNavBar) {
      n.kind = Kind::NavOk;
    } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
               type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
      n.kind = Kind::CheckBox;
      n.checked = SendMessage(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    } else if (type == BS_GROUPBOX) {
      n.kind = Kind::Static;
    } else {
      n.kind = Kind::PushButton;
    }
  } else if (SameClass(cls, WC_STATIC)) {
    FillStatic(n, hwnd, style);
    if (n.kind == Kind::Static && info.id == platform::kMessageBoxCaptionId) n.kind = Kind::Caption;
  } else if (SameClass(cls, WC_EDIT)) {
    n.kind = Kind::Edit;
    FillEdit(n, hwnd, style);
  } else if (SameClass(cls, WC_COMBOBOX)) {
    n.kind = Kind::Combo;
    FillCombo(n, hwnd);
  } else if (SameClass(cls, WC_COMBOLBOX)) {
    n.kind = Kind::ComboList;
    FillList(n, hwnd);
  } else if (SameClass(cls, WC_TABCONTROL)) {
    n.kind = Kind::Tab;
    FillTab(n, hwnd);
  } else if (SameClass(cls, UPDOWN_CLASS)) {
    n.kind = Kind::UpDown;
    FillUpDown(n, hwnd);
  } else if (SameClass(cls, PROGRESS_CLASS)) {
    n.kind = Kind::Progress;
    FillProgress(n, hwnd);
  } else if (SameClass(cls, WC_DIALOG)) {
    n.kind = HasChildWithId(hwnd, platform::kMessageBoxCaptionId) ? Kind::MessageBox : Kind::Dialog;
    if (n.kind == Kind::MessageBox) n.border = true;
  } else {
    n.kind = Kind::Window;
  }

  const std::vector<HWND> children = platform::ChildWindows(hwnd);  // topmost first
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!IsWindow(*it)) continue;
    n.children.push_back(CaptureWindow(*it));
  }
  return n;
}

Scene CaptureScene() {
  Scene scene;
  const SIZE screen = platform::ScreenSize();
  scene.screen = QSize(screen.cx, screen.cy);
  const std::vector<HWND> windows = platform::TopLevelWindows();  // topmost first
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (!IsWindowVisible(*it)) continue;
    scene.windows.push_back(CaptureWindow(*it));
  }
  return scene;
}

}  // namespace hostqt
