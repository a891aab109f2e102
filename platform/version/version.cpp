#include "platform/version/version.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

#include "platform/resource.h"
#include "platform/text/text.h"

namespace {

constexpr std::size_t kHeaderSize = 6;  // wLength, wValueLength, wType
constexpr WORD kText = 1;

// The program's handle stands for its resource module, as instance handles
// do elsewhere in the platform; before a module is set it is still a
// valid, distinct handle.
HMODULE ProgramHandle() {
  platform::ProgramModuleInfo& info = platform::ProgramModule();
  if (info.resources != nullptr) {
    return reinterpret_cast<HMODULE>(const_cast<platform::ResourceModule*>(info.resources));
  }
  return reinterpret_cast<HMODULE>(&info);
}

std::size_t Align4(std::size_t n) {
  return (n + 3) & ~std::size_t{3};
}

WORD ReadWord(const unsigned char* p) {
  return static_cast<WORD>(p[0] | (static_cast<WORD>(p[1]) << 8));
}

// The program's version block, or an empty span when the path is not the
// program's or the block is unusable (shorter than its own length field).
std::span<const unsigned char> BlockFor(LPCWSTR fileName) {
  if (fileName == nullptr) return {};
  const platform::ProgramModuleInfo& module = platform::ProgramModule();
  if (module.resources == nullptr || module.path.empty()) return {};
  if (std::u16string_view(fileName) != module.path) return {};
  std::span<const unsigned char> block = module.resources->versionInfo;
  if (block.size() < kHeaderSize) return {};
  const WORD length = ReadWord(block.data());
  if (length < kHeaderSize || length > block.size()) return {};
  return block.first(length);
}

// One node of a version block: [start, end) with its key, value and the
// place where its children begin.
struct Node {
  std::size_t start = 0;
  std::size_t end = 0;
  WORD valueLength = 0;
  std::size_t keyOffset = 0;
  std::size_t keyLength = 0;  // characters, without terminator
  std::size_t valueOffset = 0;
  std::size_t childrenOffset = 0;
};

// Reads the node at `start`, which must lie within [start, limit). False
// for anything malformed: lengths that overrun, an unterminated key, a value
// larger than its node.
bool ReadNode(const unsigned char* base, std::size_t start, std::size_t limit, Node& node) {
  if (start + kHeaderSize > limit) return false;
  const WORD length = ReadWord(base + start);
  if (length < kHeaderSize || start + length > limit) return false;
  node.start = start;
  node.end = start + length;
  node.valueLength = ReadWord(base + start + 2);
  const WORD type = ReadWord(base + start + 4);
  node.keyOffset = start + kHeaderSize;
  std::size_t p = node.keyOffset;
  while (true) {
    if (p + 2 > node.end) return false;
    if (ReadWord(base + p) == 0) break;
    p += 2;
  }
  node.keyLength = (p - node.keyOffset) / 2;
  node.valueOffset = Align4(p + 2);
  const std::size_t valueBytes =
      type == kText ? std::size_t{node.valueLength} * 2 : std::size_t{node.valueLength};
  if (node.valueOffset + valueBytes > node.end) {
    // Only a node without value may end right after its key's padding.
    if (valueBytes != 0) return false;
    node.valueOffset = node.end;
  }
  node.childrenOffset = std::min(Align4(node.valueOffset + valueBytes), node.end);
  return true;
}

bool KeyEquals(const unsigned char* base, const Node& node, std::u16string_view name) {
  if (node.keyLength != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = static_cast<char16_t>(ReadWord(base + node.keyOffset + 2 * i));
    if (platform::text::FoldAscii(c) != platform::text::FoldAscii(name[i])) return false;
  }
  return true;
}

bool FindChild(const unsigned char* base, const Node& parent, std::u16string_view name,
               Node& child) {
  std::size_t p = parent.childrenOffset;
  while (p + kHeaderSize <= parent.end) {
    if (!ReadNode(base, p, parent.end, child)) return false;
    if (KeyEquals(base, child, name)) return true;
    p = Align4(child.end);
  }
  return false;
}

}  // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  return moduleName == nullptr ? ProgramHandle() : nullptr;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  if (module != nullptr && module != ProgramHandle()) return 0;
  if (fileName == nullptr || size == 0) return 0;
  const std::u16string& path = platform::ProgramModule().path;
  if (path.size() < size) {
    std::copy(path.begin(), path.end(), fileName);
    fileName[path.size()] = 0;
    return static_cast<DWORD>(path.size());
  }
  std::copy_n(path.begin(), size - 1, fileName);
  fileName[size - 1] = 0;
  return size;
}

DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
  if (handle != nullptr) *handle = 0;
  const std::span<const unsigned char> block = BlockFor(fileName);
  if (block.empty()) return 0;
  // Like Windows, ask for twice the block and a little more: the room the
  // system keeps for narrow-string copies of the values.
  return static_cast<DWORD>(block.size() * 2 + 4);
}

BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD /*handle*/, DWORD len, LPVOID data) {
  const std::span<const unsigned char> block = BlockFor(fileName);
  if (block.empty() || data == nullptr || len < kHeaderSize) return FALSE;
  auto* out = static_cast<unsigned char*>(data);
  const std::size_t copied = std::min<std::size_t>(len, block.size());
  std::memcpy(out, block.data(), copied);
  std::memset(out + copied, 0, len - copied);
  // A cut copy ends where the buffer ends.
  out[0] = static_cast<unsigned char>(copied & 0xFF);
  out[1] = static_cast<unsigned char>((copied >> 8) & 0xFF);
  return TRUE;
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* len) {
  if (len != nullptr) *len = 0;
  if (block == nullptr || buffer == nullptr) return FALSE;
  const auto* base = static_cast<const unsigned char*>(block);
  Node node;
  if (!ReadNode(base, 0, ReadWord(base), node)) return FALSE;

  std::u16string_view path = subBlock != nullptr ? std::u16string_view(subBlock) : u"";
  while (!path.empty()) {
    if (path.front() == u'\\') {
      path.remove_prefix(1);  // empty components are skipped
      continue;
    }
    const std::size_t slash = path.find(u'\\');
    const std::u16string_view name = path.substr(0, slash);
    Node child;
    if (!FindChild(base, node, name, child)) return FALSE;
    node = child;
    path.remove_prefix(name.size());
  }
  *buffer = const_cast<unsigned char*>(base + node.valueOffset);
  if (len != nullptr) *len = node.valueLength;
  return TRUE;
}
