#include "host/screen_state.h"

#include "host/text.h"
#include "host/window_names.h"
#include "platform/controls/commctrl.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"
#include "res/resource_ids.h"

namespace host {

namespace {

using json = nlohmann::ordered_json;

bool IsCheckBox(DWORD style) {
  switch (style & 0xF) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return true;
    default:
      return false;
  }
}

// The state a script checks for one control; null for controls that have
// none worth reporting (push buttons, images without ids…).
std::optional<json> ControlState(HWND control) {
  const platform::WindowInfo info = platform::DescribeWindow(control);
  const std::u16string& cls = info.className;
  if (cls == WC_BUTTON) {
    if (!IsCheckBox(info.style)) return std::nullopt;
    return json{{"checked", SendMessage(control, BM_GETCHECK, 0, 0) == BST_CHECKED}};
  }
  if (cls == WC_EDIT || cls == WC_STATIC) return json{{"text", ToUtf8(info.text)}};
  if (cls == WC_COMBOBOX) {
    return json{{"sel", static_cast<int>(SendMessage(control, CB_GETCURSEL, 0, 0))}};
  }
  if (cls == UPDOWN_CLASS) {
    int lo = 0;
    int hi = 0;
    SendMessage(control, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo),
                reinterpret_cast<LPARAM>(&hi));
    const auto pos = static_cast<int>(SendMessage(control, UDM_GETPOS32, 0, 0));
    return json{{"pos", pos}, {"min", lo}, {"max", hi}};
  }
  return std::nullopt;
}

// Controls with an id, in template order when the page has a template.
std::vector<HWND> PageControls(HWND page) {
  std::vector<HWND> controls;
  if (const platform::DialogTemplate* t = platform::DialogTemplateOf(page)) {
    for (const platform::DialogItemTemplate& item : t->items) {
      if (item.id == -1 || item.id == 0xFFFF) continue;
      if (HWND c = GetDlgItem(page, item.id)) controls.push_back(c);
    }
    return controls;
  }
  std::vector<HWND> children = platform::ChildWindows(page);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const int id = GetDlgCtrlID(*it);
    if (id != -1 && id != 0xFFFF && id != 0) controls.push_back(*it);
  }
  return controls;
}

bool Visible(HWND hwnd) {
  return hwnd != nullptr && platform::DescribeWindow(hwnd).visible;
}

}  // namespace

ScreenState CollectScreenState(const std::vector<ShownMessage>& messages) {
  ScreenState s;
  const SIZE screen = platform::ScreenSize();
  s.width = screen.cx;
  s.height = screen.cy;
  s.messages = messages;

  HWND main = MainDialog();
  if (main == nullptr) return s;

  if (HWND tab = GetDlgItem(main, res::IDC_TAB)) {
    const auto sel = static_cast<int>(SendMessage(tab, TCM_GETCURSEL, 0, 0));
    if (sel >= 0) s.tab = sel;
  }
  s.apply = Visible(GetDlgItem(main, res::IDC_APPLY));
  s.cancel = Visible(GetDlgItem(main, IDCANCEL));
  if (HWND bar = GetDlgItem(main, res::IDC_PROGRESS)) {
    PBRANGE range{};
    SendMessage(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    s.progress.visible = Visible(bar);
    s.progress.min = range.iLow;
    s.progress.max = range.iHigh;
    s.progress.pos = static_cast<int>(SendMessage(bar, PBM_GETPOS, 0, 0));
  }

  const std::vector<HWND> pages = Pages();
  // Z order among the main dialog's children decides which page is on top.
  for (HWND child : platform::ChildWindows(main)) {
    if (!Visible(child)) continue;
    if (auto name = PageName(child)) {
      s.top = *name;
      break;
    }
  }
  for (HWND page : pages) {
    const std::string name = PageName(page).value_or("?");
    if (Visible(page)) s.visible.push_back(name);
    for (HWND control : PageControls(page)) {
      if (auto state = ControlState(control)) {
        s.controls.emplace_back(name + ":" + std::to_string(GetDlgCtrlID(control)),
                                std::move(*state));
      }
    }
  }
  return s;
}

}  // namespace host
