// STATIC: text, SS_BITMAP and SS_ICON. Image statics take the resource id
// from their dialog item (or a MAKEINTRESOURCE window name) and, as on
// Windows, size themselves to the image unless SS_CENTERIMAGE is set.
#include "platform/controls/internal.h"

namespace platform::controls {
namespace {

struct StaticState {
  HBITMAP bitmap = nullptr;
  HICON icon = nullptr;
};

DWORD TypeOf(HWND hwnd) {
  return static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & SS_TYPEMASK;
}

void FitToImage(HWND hwnd, SIZE size) {
  if ((GetWindowLongPtr(hwnd, GWL_STYLE) & (SS_CENTERIMAGE | SS_REALSIZEIMAGE)) != 0) return;
  if (size.cx <= 0 || size.cy <= 0) return;
  SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
}

LRESULT SetImage(HWND hwnd, UINT type, LPARAM handle) {
  StaticState* s = StateOf<StaticState>(hwnd);
  if (s == nullptr) return 0;
  LRESULT old = 0;
  if (type == IMAGE_BITMAP) {
    old = reinterpret_cast<LRESULT>(s->bitmap);
    s->bitmap = reinterpret_cast<HBITMAP>(handle);
    if (TypeOf(hwnd) == SS_BITMAP) FitToImage(hwnd, platform::ImageSize(s->bitmap));
  } else if (type == IMAGE_ICON) {
    old = reinterpret_cast<LRESULT>(s->icon);
    s->icon = reinterpret_cast<HICON>(handle);
    if (TypeOf(hwnd) == SS_ICON) {
      FitToImage(hwnd, SIZE{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)});
    }
  }
  Repaint(hwnd);
  return old;
}

int ResourceIdFor(HWND hwnd, const CREATESTRUCT* cs) {
  if (const platform::DialogItemTemplate* item = platform::DialogItemOf(hwnd)) {
    if (item->resourceId != 0) return item->resourceId;
  }
  if (cs != nullptr && cs->lpszName != nullptr && IS_INTRESOURCE(cs->lpszName)) {
    return static_cast<int>(reinterpret_cast<UINT_PTR>(cs->lpszName));
  }
  return 0;
}

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE:
      CreateState<StaticState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
      DestroyState<StaticState>(hwnd);
      return 0;
    case WM_CREATE: {
      DWORD type = TypeOf(hwnd);
      if (type != SS_BITMAP && type != SS_ICON) return 0;
      int id = ResourceIdFor(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
      if (id == 0) return 0;
      auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtr(hwnd, GWLP_HINSTANCE));
      if (type == SS_BITMAP) {
        SetImage(hwnd, IMAGE_BITMAP, reinterpret_cast<LPARAM>(LoadBitmap(instance, id)));
      } else {
        SetImage(hwnd, IMAGE_ICON, reinterpret_cast<LPARAM>(LoadIcon(instance, id)));
      }
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case STM_SETIMAGE:
      return SetImage(hwnd, static_cast<UINT>(wParam), lParam);
    case STM_GETIMAGE: {
      StaticState* s = StateOf<StaticState>(hwnd);
      if (s == nullptr) return 0;
      if (wParam == IMAGE_BITMAP) return reinterpret_cast<LRESULT>(s->bitmap);
      if (wParam == IMAGE_ICON) return reinterpret_cast<LRESULT>(s->icon);
      return 0;
    }
    case STM_SETICON:
      return SetImage(hwnd, IMAGE_ICON, static_cast<LPARAM>(wParam));
    case STM_GETICON: {
      StaticState* s = StateOf<StaticState>(hwnd);
      return s == nullptr ? 0 : reinterpret_cast<LRESULT>(s->icon);
    }
    case WM_SETTEXT:
      // Image statics named by MAKEINTRESOURCE keep an empty text.
      if (lParam != 0 && IS_INTRESOURCE(reinterpret_cast<LPCWSTR>(lParam))) return TRUE;
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_ENABLE:
      Repaint(hwnd);
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}
}  // namespace

void RegisterStaticClass() {
  RegisterControlClass(WC_STATIC, &StaticProc);
}

}  // namespace platform::controls
