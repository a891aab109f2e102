// What the .reg reader and writer share: the header lines and the way an
// error message quotes a name.
#pragma once

#include <string>
#include <string_view>

#include "platform/text/text.h"

namespace platform::registry {

inline constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
inline constexpr std::u16string_view kHeader4 = u"REGEDIT4";

// A name in an error message: in quotes, as UTF-8.
inline std::string Quote(std::u16string_view s) {
  std::string quoted = "\"";
  quoted += text::ToUtf8(s);
  quoted += '"';
  return quoted;
}

}  // namespace platform::registry
