// Inspecting the window tree: windows, their fonts, the dialog data behind
// them, module handles and the open message box.
#include <vector>

#include "platform/window/host.h"
#include "platform/window/internal.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace platform {

std::vector<HWND> TopLevelWindows() {
  return detail::S().topLevel;
}

std::vector<HWND> ChildWindows(HWND parent) {
  detail::Window* w = detail::Find(parent);
  return w == nullptr ? std::vector<HWND>{} : w->children;
}

WindowInfo DescribeWindow(HWND hwnd) {
  WindowInfo info;
  detail::Window* w = detail::Find(hwnd);
  if (w == nullptr) return info;
  info.hwnd = hwnd;
  info.className = w->className;
  info.id = w->id;
  info.text = w->text;
  info.style = w->style;
  info.exStyle = w->exStyle;
  info.rect = w->rect;
  ::GetWindowRect(hwnd, &info.screenRect);
  info.parent = w->parent;
  info.owner = w->owner;
  info.visible = ::IsWindowVisible(hwnd) != 0;
  info.enabled = (w->style & WS_DISABLED) == 0;
  return info;
}

FontInfo WindowFont(HWND hwnd) {
  detail::Window* w = detail::Find(hwnd);
  return w == nullptr ? FontInfo{} : w->font;
}

void SetWindowFont(HWND hwnd, const FontInfo& font) {
  if (detail::Window* w = detail::Find(hwnd)) {
    w->font = font;
    RequestPaint(hwnd, false);
  }
}

const DialogTemplate* DialogTemplateOf(HWND dialog) {
  detail::Window* w = detail::Find(dialog);
  return w == nullptr ? nullptr : w->dialogTemplate;
}

const DialogItemTemplate* DialogItemOf(HWND control) {
  detail::Window* w = detail::Find(control);
  return w == nullptr ? nullptr : w->dialogItem;
}

HINSTANCE InstanceOf(const ResourceModule* module) {
  return reinterpret_cast<HINSTANCE>(const_cast<ResourceModule*>(module));
}

const ResourceModule* ModuleOf(HINSTANCE instance) {
  if (instance == nullptr) return ProgramModule().resources;
  return reinterpret_cast<const ResourceModule*>(instance);
}

HWND ActiveMessageBox() {
  auto& boxes = detail::S().messageBoxes;
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
    if (detail::Find(*it) != nullptr) return *it;
  }
  return nullptr;
}

}  // namespace platform
