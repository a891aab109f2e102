#include "store/store.h"

#include <atomic>
#include <vector>

#include "platform/text/text.h"

namespace store {

namespace {

std::atomic<std::size_t> g_failedWrites{0};

}  // namespace

OpenKey OpenKey::Open(HKEY root, std::u16string_view path) {
  std::u16string p(path);
  HKEY key = nullptr;
  if (RegOpenKeyEx(root, p.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return OpenKey();
  return OpenKey(key);
}

OpenKey OpenKey::Create(HKEY root, std::u16string_view path) {
  std::u16string p(path);
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyEx(root, p.c_str(), 0, nullptr, kCreateOptions, KEY_ALL_ACCESS, nullptr, &key,
                     &disposition) != ERROR_SUCCESS) {
    return OpenKey();
  }
  return OpenKey(key);
}

OpenKey::OpenKey(OpenKey&& other) noexcept : key_(other.key_) {
  other.key_ = nullptr;
}

OpenKey& OpenKey::operator=(OpenKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = other.key_;
    other.key_ = nullptr;
  }
  return *this;
}

OpenKey::~OpenKey() {
  Close();
}

void OpenKey::Close() {
  if (key_) {
    RegCloseKey(key_);
    key_ = nullptr;
  }
}

bool OpenKey::ReadNumberInto(std::u16string_view name, std::int32_t& dest) const {
  if (!key_) return false;
  std::u16string n(name);
  auto u = static_cast<std::uint32_t>(dest);
  BYTE buffer[4] = {static_cast<BYTE>(u), static_cast<BYTE>(u >> 8), static_cast<BYTE>(u >> 16),
                    static_cast<BYTE>(u >> 24)};
  DWORD size = sizeof buffer;
  if (RegQueryValueEx(key_, n.c_str(), nullptr, nullptr, buffer, &size) != ERROR_SUCCESS) {
    return false;
  }
  dest = static_cast<std::int32_t>(static_cast<std::uint32_t>(buffer[0]) |
                                   (static_cast<std::uint32_t>(buffer[1]) << 8) |
                                   (static_cast<std::uint32_t>(buffer[2]) << 16) |
                                   (static_cast<std::uint32_t>(buffer[3]) << 24));
  return true;
}

std::optional<std::int32_t> OpenKey::ReadNumber(std::u16string_view name) const {
  std::int32_t value = 0;
  if (!ReadNumberInto(name, value)) return std::nullopt;
  return value;
}

std::optional<std::u16string> OpenKey::ReadString(std::u16string_view name, bool* tooLong) const {
  if (tooLong) *tooLong = false;
  if (!key_) return std::nullopt;
  std::u16string n(name);
  BYTE buffer[kStringBufferBytes] = {};
  DWORD size = kStringBufferBytes;
  if (LONG rc = RegQueryValueEx(key_, n.c_str(), nullptr, nullptr, buffer, &size);
      rc != ERROR_SUCCESS) {
    if (tooLong) *tooLong = rc == ERROR_MORE_DATA;
    return std::nullopt;
  }
  std::u16string text;
  for (DWORD i = 0; i + 1 < size && i + 1 < kStringBufferBytes; i += 2) {
    auto c = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
    if (c == u'\0') break;
    text.push_back(c);
  }
  return text;
}

bool OpenKey::WriteNumber(std::u16string_view name, std::int32_t value) {
  if (!key_) return false;
  auto u = static_cast<std::uint32_t>(value);
  const BYTE data[4] = {static_cast<BYTE>(u), static_cast<BYTE>(u >> 8), static_cast<BYTE>(u >> 16),
                        static_cast<BYTE>(u >> 24)};
  return Set(name, REG_DWORD, data, sizeof data);
}

bool OpenKey::WriteString(std::u16string_view name, std::u16string_view text) {
  if (!key_) return false;
  std::vector<BYTE> data;
  platform::text::AppendUtf16Le(text, data);
  static const BYTE kNoData[1] = {0};
  const BYTE* bytes = data.empty() ? kNoData : data.data();
  return Set(name, REG_SZ, bytes, static_cast<DWORD>(data.size()));
}

bool OpenKey::Set(std::u16string_view name, DWORD type, const BYTE* data, DWORD size) {
  std::u16string n(name);
  if (RegSetValueEx(key_, n.c_str(), 0, type, data, size) != ERROR_SUCCESS) {
    ++g_failedWrites;
    return false;
  }
  return true;
}

namespace {

// One open / query / close cycle; `query` reads the value from the open key.
template <typename T, typename Query>
ReadResult<T> ReadCycle(HKEY root, std::u16string_view path, Query query) {
  ReadResult<T> result;
  OpenKey key = OpenKey::Open(root, path);
  if (!key) return result;
  std::optional<T> value = query(key);
  key.Close();
  result.status = value ? ReadStatus::Ok : ReadStatus::ValueUnreadable;
  if (value) result.value = std::move(*value);
  return result;
}

}  // namespace

NumberRead ReadNumber(HKEY root, std::u16string_view path, std::u16string_view name) {
  return ReadCycle<std::int32_t>(root, path,
                                 [name](const OpenKey& key) { return key.ReadNumber(name); });
}

StringRead ReadString(HKEY root, std::u16string_view path, std::u16string_view name) {
  return ReadCycle<std::u16string>(root, path,
                                   [name](const OpenKey& key) { return key.ReadString(name); });
}

bool WriteNumber(HKEY root, std::u16string_view path, std::u16string_view name,
                 std::int32_t value) {
  OpenKey key = OpenKey::Open(root, path);
  return key && key.WriteNumber(name, value);
}

bool WriteString(HKEY root, std::u16string_view path, std::u16string_view name,
                 std::u16string_view text) {
  OpenKey key = OpenKey::Open(root, path);
  return key && key.WriteString(name, text);
}

std::size_t FailedWriteCount() {
  return g_failedWrites.load();
}

}  // namespace store
