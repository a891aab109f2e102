// Text helpers of the host: hex dumps of raw bytes, and the shared UTF-8 <->
// UTF-16 conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/text/text.h"

namespace host {

using platform::text::FromUtf8;
using platform::text::ToUtf8;

// Lowercase hex of the bytes, two digits each, no separators.
std::string HexBytes(std::span<const std::uint8_t> bytes);

}  // namespace host
