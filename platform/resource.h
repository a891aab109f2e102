// Resources of a program module: dialog templates (with their drop-down
// initialisation lists), icons, bitmaps and the version record. A program
// describes its resources as C++ data and hands the module to the platform;
// the dialog manager, LoadIcon/LoadBitmap and the version-info calls look
// resources up there by id.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace platform {

// One control of a dialog template. Dialog-unit rectangle, as in a .rc file.
struct DialogItemTemplate {
  std::u16string_view className;  // u"BUTTON", u"STATIC", u"EDIT", u"COMBOBOX",
                                  // u"SysTabControl32", u"msctls_updown32",
                                  // u"msctls_progress32"
  std::u16string_view text;       // window text; empty when none
  int resourceId = 0;             // SS_BITMAP / SS_ICON statics: bitmap or icon id
  int id = -1;                    // control id; -1 (0xFFFF) for plain statics
  short x = 0;
  short y = 0;
  short cx = 0;
  short cy = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  // Drop-down initialisation data: entries added with CB_ADDSTRING, in this
  // order, while the dialog initialises.
  std::span<const std::u16string_view> initStrings = {};
};

struct DialogTemplate {
  int id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0;
  short y = 0;
  short cx = 0;
  short cy = 0;
  std::u16string_view caption;
  std::u16string_view fontFace;  // u"MS UI Gothic", u"MS Shell Dlg"
  int pointSize = 0;
  std::span<const DialogItemTemplate> items;
};

// A file-format resource: the whole file bytes of a .bmp or
// a .ico file, embedded in the program.
struct BinaryResource {
  int id = 0;
  std::span<const unsigned char> bytes;
};

struct ResourceModule {
  std::span<const DialogTemplate> dialogs;
  std::span<const BinaryResource> icons;    // icon groups (.ico files)
  std::span<const BinaryResource> bitmaps;  // .bmp files
  // The VS_VERSIONINFO block of the module (RT_VERSION, id 1), as the
  // version-info calls read it; empty when the module has none.
  std::span<const unsigned char> versionInfo;
};

inline const DialogTemplate* FindDialogTemplate(const ResourceModule& module, int id) {
  for (const DialogTemplate& t : module.dialogs) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

inline const BinaryResource* FindBinaryResource(std::span<const BinaryResource> list, int id) {
  for (const BinaryResource& r : list) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

}  // namespace platform

namespace platform {

// The running program's own module: its resources and the path of its
// executable file. Set once at start-up, before any window exists.
struct ProgramModuleInfo {
  const ResourceModule* resources = nullptr;
  std::u16string path;  // full path of the executable, UTF-16
};

inline ProgramModuleInfo& ProgramModule() {
  static ProgramModuleInfo info;
  return info;
}

}  // namespace platform
