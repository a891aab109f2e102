// A device registry with every key and value the tool reads, as .reg text,
// and variations of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace test {

// The registry of tests/data/full_device.reg.
const std::string& FullDevice();

// FullDevice() with every line that contains `needle` removed (a value or a
// key header), e.g. Without("\"CPUPriority\"").
std::string Without(std::string_view needle, std::string_view reg = FullDevice());
// FullDevice() with the value line of `name` replaced by `line`.
std::string With(std::string_view name, std::string_view line, std::string_view reg = FullDevice());
// FullDevice() with value `name` stored as the REG_DWORD `value`.
std::string WithDword(std::string_view name, std::uint32_t value,
                      std::string_view reg = FullDevice());
// Decimal text of a number, as the pages show it.
std::u16string Decimal(long long n);
// ASCII text as UTF-16.
std::u16string Widen(std::string_view ascii);

}  // namespace test
