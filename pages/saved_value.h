// One value a settings page writes on Apply: the entries of a page's save set.
#pragma once

#include <string_view>

#include "platform/wintypes.h"

namespace pages {

struct SavedValue {
  std::u16string_view heading;  // the setting's heading on its page
  HKEY root;
  std::u16string_view key;
  std::u16string_view name;
  DWORD type;  // REG_DWORD or REG_SZ
};

}  // namespace pages
