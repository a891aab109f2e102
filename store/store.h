// The settings pages' access to the registry: each operation uses the
// registry calls exactly as the pages' open / query-or-set / close cycles
// need them (KEY_ALL_ACCESS, 4-byte numbers, 300-byte string buffers,
// strings stored without terminator). Failures are not reported to the
// user; reads say whether the key or only the value was missing, and failed
// writes are counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/winreg.h"
#include "platform/wintypes.h"

namespace store {

// Byte size of the buffer a string is read into, and the longest text it
// returns (a longer one does not read).
inline constexpr DWORD kStringBufferBytes = 300;
inline constexpr DWORD kStringMaxChars = kStringBufferBytes / 2;
// The options argument used when a page creates a missing key.
inline constexpr DWORD kCreateOptions = REG_OPTION_VOLATILE;

enum class ReadStatus {
  KeyMissing,       // the key did not open
  ValueUnreadable,  // the key opened but the value is absent or too long
  Ok,
};

template <typename T>
struct ReadResult {
  ReadStatus status = ReadStatus::KeyMissing;
  T value{};
  bool ok() const { return status == ReadStatus::Ok; }
};
using NumberRead = ReadResult<std::int32_t>;
using StringRead = ReadResult<std::u16string>;

// One open registry key, closed exactly once: by Close() or when the object
// goes away. Used where several values share one open of their key.
class OpenKey {
 public:
  OpenKey() = default;
  // RegOpenKeyEx with KEY_ALL_ACCESS; never creates the key.
  static OpenKey Open(HKEY root, std::u16string_view path);
  // RegCreateKeyEx with reserved 0, no class, options 1, KEY_ALL_ACCESS, no
  // security attributes; the disposition is received and ignored.
  static OpenKey Create(HKEY root, std::u16string_view path);

  OpenKey(OpenKey&& other) noexcept;
  OpenKey& operator=(OpenKey&& other) noexcept;
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey();

  bool IsOpen() const { return key_ != nullptr; }
  explicit operator bool() const { return IsOpen(); }
  HKEY Handle() const { return key_; }
  void Close();

  // Queries into a 4-byte destination with byte count 4. The bytes the query
  // returns replace the low-order bytes of `dest`; bytes it does not return
  // keep their value (a 2-byte value changes only the low 2 bytes). False
  // when the value is absent or longer than 4 bytes.
  bool ReadNumberInto(std::u16string_view name, std::int32_t& dest) const;
  // As above into a destination that starts as 0.
  std::optional<std::int32_t> ReadNumber(std::u16string_view name) const;
  // Queries into a 300-byte buffer with byte count 300; the text is the data
  // up to its first NUL, never beyond the bytes returned. `tooLong` (when
  // given) tells whether a failed read failed for want of room.
  std::optional<std::u16string> ReadString(std::u16string_view name, bool* tooLong = nullptr) const;

  // REG_DWORD, 4 bytes. A set that fails is counted (FailedWriteCount).
  bool WriteNumber(std::u16string_view name, std::int32_t value);
  // REG_SZ, 2 bytes per character, no terminator (an empty string is 0 bytes).
  bool WriteString(std::u16string_view name, std::u16string_view text);

 private:
  explicit OpenKey(HKEY key) : key_(key) {}
  // RegSetValueEx; a failure is counted.
  bool Set(std::u16string_view name, DWORD type, const BYTE* data, DWORD size);
  HKEY key_ = nullptr;
};

// One whole cycle each: open the key, one query or set, close.
NumberRead ReadNumber(HKEY root, std::u16string_view path, std::u16string_view name);
StringRead ReadString(HKEY root, std::u16string_view path, std::u16string_view name);
// A key that does not open is skipped: nothing is created, false is returned.
bool WriteNumber(HKEY root, std::u16string_view path, std::u16string_view name, std::int32_t value);
bool WriteString(HKEY root, std::u16string_view path, std::u16string_view name,
                 std::u16string_view text);

// Number of sets that failed after their key had opened, since the process
// started. Compare before and after a save cycle.
std::size_t FailedWriteCount();

}  // namespace store
