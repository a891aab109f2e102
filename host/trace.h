// The trace: one JSON object a line, written and flushed as things happen,
// registry calls and platform events interleaved in their real order.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace host {

// "HKLM", "HKCU", "HKCR", "HKU"; other handles as hex ("0x…").
std::string RootName(std::uintptr_t root);

// Serialises one JSON value as a line (UTF-8, never throwing on odd text).
std::string JsonLine(const nlohmann::ordered_json& value);

class TraceWriter {
 public:
  explicit TraceWriter(std::ostream& out) : out_(out) {}

  void Open(bool create, std::uintptr_t root, std::u16string_view key, long rc,
            std::uint32_t options);
  void Query(std::uintptr_t root, std::u16string_view key, std::u16string_view name,
             std::uint32_t size, long rc, std::span<const std::uint8_t> data);
  void Set(std::uintptr_t root, std::u16string_view key, std::u16string_view name,
           std::uint32_t type, std::span<const std::uint8_t> data, long rc);
  // A key deleted, or with `name` a value.
  void Delete(std::uintptr_t root, std::u16string_view key, const std::u16string_view* name,
              long rc);
  void Close(std::uintptr_t root, std::u16string_view key);
  void Flush(long rc, std::string_view error);
  void Sleep(std::uint32_t ms);
  void Progress(int pos);
  void Show(std::string_view window, bool visible);
  void MessageBox(std::u16string_view caption, std::u16string_view text);
  void Quit();

 private:
  void Write(const nlohmann::ordered_json& line);
  std::ostream& out_;
};

}  // namespace host
