// EDIT: a single-line edit with caret, selection, typing, backspace/delete,
// caret keys, the clipboard (Ctrl+C, Ctrl+X, Ctrl+V) and one level of undo
// (Ctrl+Z). ES_READONLY ignores typing but keeps caret and selection, and
// copies but neither cuts nor pastes.
#include <algorithm>
#include <optional>
#include <string>

#include "platform/controls/internal.h"

namespace platform::controls {
namespace {

constexpr int kTextMargin = 2;

// What one undo takes back: the text inserted at `pos` is removed and the
// text removed there is put back. Typing on at the end of the insertion, and
// deleting on from the same place, extend the record; any other change
// starts a new one.
struct UndoRecord {
  int pos = 0;
  int inserted = 0;
  std::u16string removed;
  bool Empty() const { return inserted == 0 && removed.empty(); }
};

struct EditState {
  int anchor = 0;  // selection start as set
  int caret = 0;   // the active end
  int limit = 0x7FFFFFFE;
  int scroll = 0;  // first visible character
  bool modified = false;
  bool selecting = false;
  UndoRecord undo;
};

std::u16string TextOf(HWND hwnd) {
  int n = static_cast<int>(DefWindowProc(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::u16string text(static_cast<std::size_t>(n) + 1, u'\0');
  DefWindowProc(hwnd, WM_GETTEXT, static_cast<WPARAM>(n + 1),
                reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

void StoreText(HWND hwnd, const std::u16string& text) {
  DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

DWORD StyleOf(HWND hwnd) {
  return static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE));
}

int FontHeight(HWND hwnd) {
  return platform::WindowFont(hwnd).height;
}

// Keeps the caret inside the visible part of the text, and shows as much of
// the text as fits: after the text got shorter, the characters scrolled out
// to the left come back where the end of the text leaves room.
void ScrollToCaret(HWND hwnd, EditState& s, const std::u16string& text) {
  RECT client;
  GetClientRect(hwnd, &client);
  int width = std::max(client.right - 2 * kTextMargin, 1);
  int fh = FontHeight(hwnd);
  auto widthFrom = [&](int from, int to) {
    return platform::TextWidth(
        std::u16string_view(text).substr(static_cast<std::size_t>(from),
                                         static_cast<std::size_t>(to - from)),
        fh);
  };
  const int length = static_cast<int>(text.size());
  s.scroll = std::clamp(s.scroll, 0, length);
  if (s.caret < s.scroll) s.scroll = s.caret;
  while (s.scroll < s.caret && widthFrom(s.scroll, s.caret) > width) ++s.scroll;
  while (s.scroll > 0 && widthFrom(s.scroll - 1, length) <= width) --s.scroll;
}

int IndexFromX(HWND hwnd, const EditState& s, const std::u16string& text, int x) {
  int fh = FontHeight(hwnd);
  int pos = kTextMargin;
  for (int i = s.scroll; i < static_cast<int>(text.size()); ++i) {
    int w =
        platform::TextWidth(std::u16string_view(text).substr(static_cast<std::size_t>(i), 1), fh);
    if (x < pos + w / 2) return i;
    pos += w;
  }
  return static_cast<int>(text.size());
}

void Changed(HWND hwnd, EditState& s) {
  s.modified = true;
  ScrollToCaret(hwnd, s, TextOf(hwnd));
  Repaint(hwnd);
  NotifyCommand(hwnd, EN_UPDATE);
  NotifyCommand(hwnd, EN_CHANGE);
}

void RecordUndo(UndoRecord& u, int start, const std::u16string& removed, int inserted) {
  if (!removed.empty()) {
    const bool deleting = u.inserted == 0 && !u.removed.empty();
    if (deleting && start == u.pos) {
      u.removed += removed;  // Delete, again
    } else if (deleting && start + static_cast<int>(removed.size()) == u.pos) {
      u.removed.insert(0, removed);  // Backspace, again
      u.pos = start;
    } else {
      u = UndoRecord{start, 0, removed};
    }
  }
  if (inserted > 0) {
    if (u.Empty() || start != u.pos + u.inserted) u = UndoRecord{start, 0, {}};
    u.inserted += inserted;
  }
}

// Replaces the selection with `insert` (cut to the text limit). With
// `canUndo` the change can be taken back; without, the undo record is gone.
bool ReplaceSelection(HWND hwnd, EditState& s, std::u16string insert, bool canUndo = true) {
  std::u16string text = TextOf(hwnd);
  int start = std::min(s.anchor, s.caret);
  int end = std::max(s.anchor, s.caret);
  int room = s.limit - (static_cast<int>(text.size()) - (end - start));
  bool cut = false;
  if (static_cast<int>(insert.size()) > room) {
    insert.resize(static_cast<std::size_t>(std::max(room, 0)));
    cut = true;
  }
  if (start == end && insert.empty()) {
    if (cut) NotifyCommand(hwnd, EN_MAXTEXT);
    return false;
  }
  const std::u16string removed =
      text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
  if (canUndo) {
    RecordUndo(s.undo, start, removed, static_cast<int>(insert.size()));
  } else {
    s.undo = {};
  }
  text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start), insert);
  StoreText(hwnd, text);
  s.anchor = s.caret = start + static_cast<int>(insert.size());
  if (cut) NotifyCommand(hwnd, EN_MAXTEXT);
  return true;
}

bool ReadOnly(HWND hwnd) {
  return (StyleOf(hwnd) & ES_READONLY) != 0;
}

std::u16string SelectedText(HWND hwnd, const EditState& s) {
  const int start = std::min(s.anchor, s.caret);
  const int end = std::max(s.anchor, s.caret);
  return TextOf(hwnd).substr(static_cast<std::size_t>(start),
                             static_cast<std::size_t>(end - start));
}

// WM_COPY: the selection to the clipboard (an empty one changes nothing).
void Copy(HWND hwnd, const EditState& s) {
  if ((StyleOf(hwnd) & ES_PASSWORD) != 0 || s.anchor == s.caret) return;
  platform::SetClipboardText(SelectedText(hwnd, s));
}

// WM_CLEAR: deletes the selection (not in a read-only edit).
void Clear(HWND hwnd, EditState& s) {
  if (ReadOnly(hwnd) || s.anchor == s.caret) return;
  if (ReplaceSelection(hwnd, s, u"")) Changed(hwnd, s);
}

// WM_PASTE: the clipboard's text replaces the selection, up to its first line
// break (one line only) and within the text limit.
void Paste(HWND hwnd, EditState& s) {
  if (ReadOnly(hwnd)) return;
  std::optional<std::u16string> text = platform::ClipboardText();
  if (!text) return;
  if (std::size_t lf = text->find(u'\n'); lf != std::u16string::npos) {
    text->resize(lf > 0 && (*text)[lf - 1] == u'\r' ? lf - 1 : lf);
  }
  if (ReplaceSelection(hwnd, s, *text)) Changed(hwnd, s);
}

// EM_UNDO: takes the last change back and selects the text it puts back; an
// undo right after it takes the undo back.
void Undo(HWND hwnd, EditState& s) {
  if (ReadOnly(hwnd) || s.undo.Empty()) return;
  const UndoRecord record = s.undo;
  s.undo = {};
  s.anchor = record.pos;
  s.caret = record.pos + record.inserted;
  ReplaceSelection(hwnd, s, record.removed);
  s.anchor = record.pos;
  s.caret = record.pos + static_cast<int>(record.removed.size());
  Changed(hwnd, s);
}

// Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+Z arrive as the characters 3, 22, 24 and 26.
void ControlChar(HWND hwnd, char16_t ch) {
  switch (ch) {
    case 0x03:
      SendMessage(hwnd, WM_COPY, 0, 0);
      break;
    case 0x16:
      if (!ReadOnly(hwnd)) SendMessage(hwnd, WM_PASTE, 0, 0);
      break;
    case 0x18:
      if (!ReadOnly(hwnd) && (StyleOf(hwnd) & ES_PASSWORD) == 0) SendMessage(hwnd, WM_CUT, 0, 0);
      break;
    case 0x1A:
      if (!ReadOnly(hwnd)) SendMessage(hwnd, WM_UNDO, 0, 0);
      break;
    default:
      break;
  }
}

void TypeChar(HWND hwnd, EditState& s, char16_t ch) {
  DWORD style = StyleOf(hwnd);
  if ((style & ES_READONLY) != 0) return;
  if (ch == u'\b') {
    if (s.anchor == s.caret) {
      if (s.caret == 0) return;
      s.anchor = s.caret - 1;
    }
    if (ReplaceSelection(hwnd, s, u"")) Changed(hwnd, s);
    return;
  }
  if (ch < 0x20) return;
  if ((style & ES_NUMBER) != 0 && (ch < u'0' || ch > u'9')) return;
  if ((style & ES_UPPERCASE) != 0 && ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 32);
  if ((style & ES_LOWERCASE) != 0 && ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch + 32);
  if (ReplaceSelection(hwnd, s, std::u16string(1, ch))) Changed(hwnd, s);
}

void MoveCaret(HWND hwnd, EditState& s, int to, bool extend) {
  int length = static_cast<int>(TextOf(hwnd).size());
  s.caret = std::clamp(to, 0, length);
  if (!extend) s.anchor = s.caret;
  ScrollToCaret(hwnd, s, TextOf(hwnd));
  Repaint(hwnd);
}

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  EditState* s = ControlStateFor<EditState>(hwnd, msg, wParam, lParam, result);
  if (s == nullptr) return result;
  bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  switch (msg) {
    case WM_SETTEXT: {
      // The text limit binds typing only: a text set by the program is kept
      // whole, as Windows does.
      DefWindowProc(hwnd, msg, wParam, lParam);
      s->anchor = s->caret = s->scroll = 0;
      s->modified = false;
      s->undo = {};
      Repaint(hwnd);
      NotifyCommand(hwnd, EN_UPDATE);
      NotifyCommand(hwnd, EN_CHANGE);
      return TRUE;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case EM_SETSEL: {
      int length = static_cast<int>(TextOf(hwnd).size());
      int start = static_cast<int>(static_cast<LONG>(wParam));
      int end = static_cast<int>(static_cast<LONG>(lParam));
      if (start == -1) {
        s->anchor = s->caret;  // deselect
      } else {
        if (end < 0 || end > length) end = length;
        s->anchor = std::clamp(start, 0, length);
        s->caret = end;
      }
      ScrollToCaret(hwnd, *s, TextOf(hwnd));
      Repaint(hwnd);
      return 0;
    }
    case EM_GETSEL: {
      DWORD start = static_cast<DWORD>(std::min(s->anchor, s->caret));
      DWORD end = static_cast<DWORD>(std::max(s->anchor, s->caret));
      if (auto* p = reinterpret_cast<DWORD*>(wParam)) *p = start;
      if (auto* p = reinterpret_cast<DWORD*>(lParam)) *p = end;
      if (start > 0xFFFF || end > 0xFFFF) return -1;
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(start), static_cast<WORD>(end)));
    }
    case EM_REPLACESEL: {
      // wParam: whether the replacement can be undone.
      auto* text = reinterpret_cast<LPCWSTR>(lParam);
      if (ReplaceSelection(hwnd, *s, text != nullptr ? std::u16string(text) : u"", wParam != 0)) {
        Changed(hwnd, *s);
      }
      return 0;
    }
    case WM_COPY:
      Copy(hwnd, *s);
      return 0;
    case WM_CUT:
      Copy(hwnd, *s);
      Clear(hwnd, *s);
      return 0;
    case WM_CLEAR:
      Clear(hwnd, *s);
      return 0;
    case WM_PASTE:
      Paste(hwnd, *s);
      return 0;
    case EM_UNDO:
    case WM_UNDO:
      Undo(hwnd, *s);
      return TRUE;  // a single-line edit always answers TRUE
    case EM_CANUNDO:
      return s->undo.Empty() ? FALSE : TRUE;
    case EM_EMPTYUNDOBUFFER:
      s->undo = {};
      return 0;
    case EM_LIMITTEXT:
      s->limit = wParam == 0 ? 0x7FFFFFFE : static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE));
      return 0;
    case EM_GETLIMITTEXT:
      return s->limit;
    case EM_SETREADONLY: {
      DWORD style = StyleOf(hwnd);
      style = wParam != 0 ? (style | ES_READONLY) : (style & ~ES_READONLY);
      SetWindowLongPtr(hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
      return TRUE;
    }
    case EM_GETMODIFY:
      return s->modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      s->modified = wParam != 0;
      return 0;
    case WM_CHAR:
      if (wParam < 0x20 && wParam != u'\b') {
        ControlChar(hwnd, static_cast<char16_t>(wParam));
      } else {
        TypeChar(hwnd, *s, static_cast<char16_t>(wParam));
      }
      return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_LEFT:
          if (!shift && s->anchor != s->caret) {
            MoveCaret(hwnd, *s, std::min(s->anchor, s->caret), false);
          } else {
            MoveCaret(hwnd, *s, s->caret - 1, shift);
          }
          break;
        case VK_RIGHT:
          if (!shift && s->anchor != s->caret) {
            MoveCaret(hwnd, *s, std::max(s->anchor, s->caret), false);
          } else {
            MoveCaret(hwnd, *s, s->caret + 1, shift);
          }
          break;
        case VK_HOME:
          MoveCaret(hwnd, *s, 0, shift);
          break;
        case VK_END:
          MoveCaret(hwnd, *s, static_cast<int>(TextOf(hwnd).size()), shift);
          break;
        case VK_DELETE:
          if ((StyleOf(hwnd) & ES_READONLY) == 0) {
            if (s->anchor == s->caret) {
              if (s->caret >= static_cast<int>(TextOf(hwnd).size())) break;
              s->anchor = s->caret + 1;
            }
            if (ReplaceSelection(hwnd, *s, u"")) Changed(hwnd, *s);
          }
          break;
        default:
          break;
      }
      return 0;
    case WM_LBUTTONDOWN: {
      SetFocus(hwnd);
      s = StateOf<EditState>(hwnd);
      if (s == nullptr) return 0;
      int index = IndexFromX(hwnd, *s, TextOf(hwnd), GET_X_LPARAM(lParam));
      MoveCaret(hwnd, *s, index, shift);
      s->selecting = true;
      SetCapture(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->selecting) {
        MoveCaret(hwnd, *s, IndexFromX(hwnd, *s, TextOf(hwnd), GET_X_LPARAM(lParam)), true);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->selecting) {
        s->selecting = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) s->selecting = false;
      return 0;
    case WM_SETFOCUS:
      Repaint(hwnd);
      NotifyCommand(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Repaint(hwnd);
      NotifyCommand(hwnd, EN_KILLFOCUS);
      return 0;
    default:
      return DefControlProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterEditClass() {
  RegisterControlClass(WC_EDIT, &EditProc);
}

}  // namespace platform::controls

namespace platform {

int EditCaret(HWND edit) {
  auto* s = controls::StateOfClass<controls::EditState>(edit, WC_EDIT);
  return s == nullptr ? 0 : s->caret;
}

int EditScrollOffset(HWND edit) {
  auto* s = controls::StateOfClass<controls::EditState>(edit, WC_EDIT);
  return s == nullptr ? 0 : s->scroll;
}

}  // namespace platform
