// MessageBox: a small modal dialog centred on the screen.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/window/host.h"
#include "platform/window/internal.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace {

constexpr int kMargin = 8;
constexpr int kCaptionHeight = 20;
constexpr int kButtonHeight = 22;
constexpr int kButtonWidth = 56;

BOOL MessageBoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND) {
    int id = LOWORD(wParam);
    UINT type = static_cast<UINT>(GetWindowLongPtr(dialog, DWLP_USER));
    if (id == IDCANCEL && (type & 0xF) == MB_OK) id = IDOK;
    if (id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO) {
      if (id == IDCANCEL && GetDlgItem(dialog, IDCANCEL) == nullptr) return TRUE;
      EndDialog(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}

// Breaks text into lines no wider than `width`: at newlines, and where a line
// is full, after its last blank (the word moves down whole; a blank at the
// break is dropped) or else before the character that does not fit (Japanese
// text, a word longer than a line). The device window lays the text out by
// the same rule.
std::vector<std::u16string> WrapLines(std::u16string_view text, int width, int fontHeight) {
  std::vector<std::u16string> lines;
  std::u16string line;
  auto overflows = [&](char16_t ch) {
    return !line.empty() && platform::TextWidth(line, fontHeight) +
                                    platform::TextWidth(std::u16string_view(&ch, 1), fontHeight) >
                                width;
  };
  for (char16_t ch : text) {
    if (ch == u'\r') continue;
    if (ch == u'\n') {
      lines.push_back(line);
      line.clear();
      continue;
    }
    if (overflows(ch)) {
      if (ch == u' ') {
        lines.push_back(line);
        line.clear();
        continue;
      }
      const std::size_t blank = line.rfind(u' ');
      if (blank != std::u16string::npos && blank + 1 < line.size()) {
        lines.push_back(line.substr(0, blank));
        line.erase(0, blank + 1);
      }
      if (overflows(ch)) {
        lines.push_back(line);
        line.clear();
      }
    }
    line.push_back(ch);
  }
  lines.push_back(line);
  return lines;
}

struct ButtonSpec {
  int id;
  const char16_t* text;
};

std::vector<ButtonSpec> ButtonsFor(UINT type) {
  switch (type & 0xF) {
    case 1:  // MB_OKCANCEL
      return {{IDOK, u"OK"}, {IDCANCEL, u"ｷｬﾝｾﾙ"}};
    case 3:  // MB_YESNOCANCEL
      return {{IDYES, u"はい"}, {IDNO, u"いいえ"}, {IDCANCEL, u"ｷｬﾝｾﾙ"}};
    case 4:  // MB_YESNO
      return {{IDYES, u"はい"}, {IDNO, u"いいえ"}};
    default:
      return {{IDOK, u"OK"}};
  }
}

}  // namespace

int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::u16string body = platform::detail::FromCString(text);
  std::u16string title = caption != nullptr ? platform::detail::FromCString(caption) : u"Error";
  platform::CallBeforeWaitHook();
  platform::TraceEvent event;
  event.kind = platform::TraceEvent::Kind::MessageBox;
  event.caption = title;
  event.text = body;
  platform::Trace(event);

  platform::FontInfo font = platform::DialogFont(u"MS UI Gothic", 9);
  SIZE screen = platform::ScreenSize();
  std::vector<ButtonSpec> buttons = ButtonsFor(type);
  int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kMargin) - kMargin;
  int maxWidth = std::max(screen.cx - 2 * kMargin, 80);
  int textWidth = platform::TextWidth(body, font.height);
  int width = std::clamp(std::max(textWidth, buttonsWidth) + 2 * kMargin, 120, maxWidth);
  std::vector<std::u16string> lines = WrapLines(body, width - 2 * kMargin, font.height);
  int textHeight = static_cast<int>(lines.size()) * font.height;
  int height = kCaptionHeight + kMargin + textHeight + kMargin + kButtonHeight + kMargin;
  int x = (screen.cx - width) / 2;
  int y = std::max((screen.cy - height) / 2, 0);

  HWND ownerTop = owner != nullptr ? platform::detail::TopLevelOf(owner) : nullptr;
  bool ownerWasEnabled = ownerTop != nullptr && IsWindowEnabled(ownerTop);
  if (ownerWasEnabled) EnableWindow(ownerTop, FALSE);

  HWND box = platform::detail::CreateWindowInternal(
      WS_EX_TOPMOST, WC_DIALOG, title.c_str(), WS_POPUP | WS_BORDER | WS_CAPTION, x, y, width,
      height, ownerTop, nullptr, nullptr, nullptr, [&](platform::detail::Window& w) {
        w.font = font;
        if (w.extra.size() >= 3) {
          w.extra[1] = reinterpret_cast<LONG_PTR>(&MessageBoxProc);
          w.extra[2] = static_cast<LONG_PTR>(type);
        }
      });
  int result = -1;
  if (box != nullptr) {
    platform::detail::S().messageBoxes.push_back(box);
    CreateWindowEx(
        0, u"STATIC", title.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, kMargin, 0,
        width - 2 * kMargin, kCaptionHeight, box,
        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(platform::kMessageBoxCaptionId)),
        nullptr, nullptr);
    CreateWindowEx(0, u"STATIC", body.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, kMargin,
                   kCaptionHeight + kMargin, width - 2 * kMargin, textHeight, box,
                   reinterpret_cast<HMENU>(static_cast<std::intptr_t>(platform::kMessageBoxTextId)),
                   nullptr, nullptr);
    int bx = (width - buttonsWidth) / 2;
    int by = height - kMargin - kButtonHeight;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      DWORD style =
          WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      CreateWindowEx(0, u"BUTTON", buttons[i].text, style, bx, by, kButtonWidth, kButtonHeight, box,
                     reinterpret_cast<HMENU>(static_cast<std::intptr_t>(buttons[i].id)), nullptr,
                     nullptr);
      bx += kButtonWidth + kMargin;
    }
    SendMessage(box, WM_INITDIALOG, 0, 0);
    if (HWND first = GetDlgItem(box, buttons.front().id)) SetFocus(first);
    platform::detail::ShowInternal(box);
    result = static_cast<int>(platform::detail::RunModalLoop(box));
    std::erase(platform::detail::S().messageBoxes, box);
    if (ownerWasEnabled && IsWindow(ownerTop)) EnableWindow(ownerTop, TRUE);
    platform::detail::ReturnActivation(box, ownerTop);
    DestroyWindow(box);
  } else if (ownerWasEnabled && IsWindow(ownerTop)) {
    EnableWindow(ownerTop, TRUE);
  }
  return result;
}
