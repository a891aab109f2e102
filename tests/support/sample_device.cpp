#include "tests/support/sample_device.h"

#include <cstdio>

#include "tests/support/fixtures.h"

namespace test {

namespace {

template <class Keep>
std::string FilterLines(std::string_view reg, Keep keep) {
  std::string out;
  while (!reg.empty()) {
    const std::size_t end = reg.find('\n');
    std::string_view line = reg.substr(0, end == std::string_view::npos ? reg.size() : end + 1);
    reg.remove_prefix(line.size());
    out += keep(line);
  }
  return out;
}

}  // namespace

const std::string& FullDevice() {
  static const std::string text = Fixture("full_device.reg");
  return text;
}

std::string Without(std::string_view needle, std::string_view reg) {
  // Removing a key header also removes its values, up to the next blank line.
  bool skipping = false;
  return FilterLines(reg, [&](std::string_view line) -> std::string {
    if (skipping && (line == "\n" || line.empty())) skipping = false;
    if (skipping) return {};
    if (line.find(needle) != std::string_view::npos) {
      if (line.starts_with("[")) skipping = true;
      return {};
    }
    return std::string(line);
  });
}

std::string With(std::string_view name, std::string_view replacement, std::string_view reg) {
  const std::string prefix = std::string("\"").append(name).append("\"=");
  return FilterLines(reg, [&](std::string_view line) -> std::string {
    if (line.starts_with(prefix)) return std::string(replacement) + "\n";
    return std::string(line);
  });
}

std::string WithDword(std::string_view name, std::uint32_t value, std::string_view reg) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", value);
  return With(name, std::string("\"").append(name).append("\"=dword:").append(hex), reg);
}

std::u16string Decimal(long long n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

std::u16string Widen(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace test
