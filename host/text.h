// Text helpers of the host: UTF-8 <-> UTF-16 and hex dumps of raw bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace host {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD, so the result is
// always valid UTF-8 (window texts are arbitrary UTF-16).
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; nullopt when the input is not valid UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view text);

// Lowercase hex of the bytes, two digits each, no separators.
std::string HexBytes(std::span<const std::uint8_t> bytes);

}  // namespace host
