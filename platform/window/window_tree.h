// Inspecting the window tree, for renderers, automation and the platform's
// own libraries: the windows and their state, the font each window carries,
// the dialog template data behind a window, module handles, the bytes behind
// image handles and the open message box.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/resource.h"
#include "platform/window/winuser.h"
#include "platform/wintypes.h"

namespace platform {

// ---------------------------------------------------------------------------
// Window tree queries (for renderers and automation).
struct WindowInfo {
  HWND hwnd = nullptr;
  std::u16string className;
  int id = 0;
  std::u16string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect;        // in the parent's client coordinates (screen for top-level)
  RECT screenRect;  // screen coordinates
  HWND parent = nullptr;
  HWND owner = nullptr;
  bool visible = false;  // WS_VISIBLE on the window and every ancestor
  bool enabled = false;  // not WS_DISABLED
};
// Top-level windows, topmost first.
std::vector<HWND> TopLevelWindows();
// Children, top of the Z order first.
std::vector<HWND> ChildWindows(HWND parent);
WindowInfo DescribeWindow(HWND hwnd);

// ---------------------------------------------------------------------------
// Fonts and text metrics. No real font is used: every window carries the
// font of its dialog (controls get their dialog's), and text is measured
// with fixed cell widths: full-width characters are `height` wide, the rest
// (ASCII, half-width katakana) height / 2.
struct FontInfo {
  std::u16string face = u"MS Shell Dlg";
  int pointSize = 8;
  int height = 11;  // pixel height of a line
};
FontInfo WindowFont(HWND hwnd);
void SetWindowFont(HWND hwnd, const FontInfo& font);
// Fixed dialog base units of a font (dialog units to pixels: winuser.h).
SIZE DialogBaseUnits(std::u16string_view face, int pointSize);
FontInfo DialogFont(std::u16string_view face, int pointSize);
bool IsFullWidth(char16_t ch);
int TextWidth(std::u16string_view text, int fontHeight);

// ---------------------------------------------------------------------------
// Dialog data reachable from windows.
// The template a dialog window was created from (null otherwise).
const DialogTemplate* DialogTemplateOf(HWND dialog);
// The template item a dialog control was created from (null otherwise); gives
// e.g. the drop-down initialisation strings and the image resource id.
const DialogItemTemplate* DialogItemOf(HWND control);

// Module handles: an instance handle stands for a ResourceModule. A null
// handle, and the handle of ProgramModule().resources, mean the program.
HINSTANCE InstanceOf(const ResourceModule* module);
const ResourceModule* ModuleOf(HINSTANCE instance);

// ---------------------------------------------------------------------------
// Images. The handles keep a copy of the resource's file bytes so that a
// renderer can decode the pixels itself. LoadIcon returns one shared handle
// per module, id and content.
struct IconImage {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::span<const unsigned char> bytes;  // this image's data (DIB or PNG) within ImageBytes
};
std::span<const unsigned char> ImageBytes(HBITMAP bitmap);  // whole .bmp file
std::span<const unsigned char> ImageBytes(HICON icon);      // whole .ico file
SIZE ImageSize(HBITMAP bitmap);
SIZE ImageSize(HICON icon);  // the first image of the group
std::vector<IconImage> IconImages(HICON icon);
// Parsers used by the loaders, exposed for checks: nullopt when malformed.
std::optional<SIZE> ParseBitmapSize(std::span<const unsigned char> bytes);
std::optional<std::vector<IconImage>> ParseIconFile(std::span<const unsigned char> bytes);

// ---------------------------------------------------------------------------
// The message box currently shown (topmost), or null.
HWND ActiveMessageBox();
// Control ids inside a message box window.
inline constexpr int kMessageBoxTextId = 0xFFFF;
inline constexpr int kMessageBoxCaptionId = 0xFFFE;

}  // namespace platform
