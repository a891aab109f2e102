#include "platform/registry/regtree.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "platform/registry/winreg.h"

namespace platform::registry {

namespace {

// The comparison form of a name, the key of the maps.
std::u16string FoldName(std::u16string_view name) {
  std::u16string out(name);
  for (char16_t& c : out) c = FoldAscii(c);
  return out;
}

}  // namespace

bool FoldedLess::operator()(std::u16string_view a, std::u16string_view b) const {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = FoldAscii(a[i]);
    char16_t y = FoldAscii(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::size_t FoldedHash::operator()(std::u16string_view name) const {
  // FNV-1a over the folded UTF-16 units.
  std::uint64_t h = 14695981039346656037ull;
  for (char16_t c : name) {
    h = (h ^ FoldAscii(c)) * 1099511628211ull;
  }
  return static_cast<std::size_t>(h);
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  return text::EqualsFolded(a, b);
}

std::vector<std::u16string> SplitKeyPath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

RegKey::RegKey(const RegKey& other)
    : name_(other.name_), values_(other.values_), index_(other.index_) {
  for (const auto& [folded, child] : other.subkeys_) {
    auto it = subkeys_.emplace(folded, std::make_unique<RegKey>(*child)).first;
    subkeyIndex_.emplace(it->first, it->second.get());
  }
}

// A moved key may stand at another path, and the one moved from is emptied:
// both take new stamps.
RegKey::RegKey(RegKey&& other) noexcept
    : name_(std::move(other.name_)),
      values_(std::move(other.values_)),
      index_(std::move(other.index_)),
      subkeys_(std::move(other.subkeys_)),
      subkeyIndex_(std::move(other.subkeyIndex_)) {
  other.stamp_ = NextStamp();
}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    name_ = std::move(other.name_);
    values_ = std::move(other.values_);
    index_ = std::move(other.index_);
    subkeys_ = std::move(other.subkeys_);
    subkeyIndex_ = std::move(other.subkeyIndex_);
    stamp_ = NextStamp();
    other.stamp_ = NextStamp();
  }
  return *this;
}

std::uint64_t RegKey::NextStamp() {
  static std::atomic<std::uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

const RegValue* RegKey::FindValue(std::u16string_view name) const {
  auto it = index_.find(name);
  return it == index_.end() ? nullptr : &values_[it->second];
}

bool RegKey::SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data) {
  std::u16string folded = FoldName(name);
  auto it = index_.find(folded);
  if (it != index_.end()) {
    RegValue& v = values_[it->second];
    if (v.type == type && v.data == data) return false;
    stamp_ = NextStamp();
    v.type = type;
    v.data = std::move(data);
    return true;
  }
  stamp_ = NextStamp();
  index_.emplace(std::move(folded), values_.size());
  values_.push_back(RegValue{std::u16string(name), type, std::move(data)});
  return true;
}

bool RegKey::DeleteValue(std::u16string_view name) {
  auto it = index_.find(name);
  if (it == index_.end()) return false;
  std::size_t pos = it->second;
  stamp_ = NextStamp();
  index_.erase(it);
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(pos));
  for (auto& [folded, i] : index_) {
    if (i > pos) --i;
  }
  return true;
}

RegKey* RegKey::FindSubkey(std::u16string_view name) {
  auto it = subkeyIndex_.find(name);
  return it == subkeyIndex_.end() ? nullptr : it->second;
}

const RegKey* RegKey::FindSubkey(std::u16string_view name) const {
  auto it = subkeyIndex_.find(name);
  return it == subkeyIndex_.end() ? nullptr : it->second;
}

RegKey& RegKey::CreateSubkey(std::u16string_view name, bool* created) {
  auto [it, inserted] = subkeys_.try_emplace(FoldName(name));
  if (inserted) {
    it->second = std::make_unique<RegKey>(std::u16string(name));
    subkeyIndex_.emplace(it->first, it->second.get());
  }
  if (created) *created = inserted;
  return *it->second;
}

bool RegKey::DeleteSubkey(std::u16string_view name) {
  auto it = subkeys_.find(name);
  if (it == subkeys_.end()) return false;
  subkeyIndex_.erase(std::u16string_view(it->first));
  subkeys_.erase(it);
  return true;
}

std::size_t RegKey::ValueCountRecursive() const {
  std::size_t n = values_.size();
  for (const auto& [folded, child] : subkeys_) n += child->ValueCountRecursive();
  return n;
}

bool operator==(const RegKey& a, const RegKey& b) {
  if (a.name_ != b.name_ || a.values_ != b.values_ || a.subkeys_.size() != b.subkeys_.size()) {
    return false;
  }
  auto ia = a.subkeys_.begin();
  auto ib = b.subkeys_.begin();
  for (; ia != a.subkeys_.end(); ++ia, ++ib) {
    if (ia->first != ib->first || !(*ia->second == *ib->second)) return false;
  }
  return true;
}

namespace {

struct RootNames {
  std::u16string_view full;
  std::u16string_view shortName16;
  std::string_view shortName;
};

constexpr std::array<RootNames, 4> kRootNames = {{
    {u"HKEY_CLASSES_ROOT", u"HKCR", "HKCR"},
    {u"HKEY_CURRENT_USER", u"HKCU", "HKCU"},
    {u"HKEY_LOCAL_MACHINE", u"HKLM", "HKLM"},
    {u"HKEY_USERS", u"HKU", "HKU"},
}};

}  // namespace

std::u16string_view RootName(Root root) {
  return kRootNames[static_cast<std::size_t>(root)].full;
}

std::string_view RootShortName(Root root) {
  return kRootNames[static_cast<std::size_t>(root)].shortName;
}

std::optional<Root> ParseRootName(std::u16string_view name) {
  for (Root r : kAllRoots) {
    const RootNames& n = kRootNames[static_cast<std::size_t>(r)];
    if (NamesEqual(name, n.full) || NamesEqual(name, n.shortName16)) return r;
  }
  return std::nullopt;
}

std::optional<Root> RootFromHandle(HKEY key) {
  auto v = reinterpret_cast<std::uintptr_t>(key);
  if (v >= 0x80000000u && v <= 0x80000003u) return static_cast<Root>(v - 0x80000000u);
  return std::nullopt;
}

HKEY RootHandle(Root root) {
  return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u) +
                                static_cast<std::uintptr_t>(root));
}

RegKey* RegTree::Find(Root r, const std::vector<std::u16string>& path) {
  RegKey* key = &At(r);
  for (const std::u16string& part : path) {
    key = key->FindSubkey(part);
    if (!key) return nullptr;
  }
  return key;
}

const RegKey* RegTree::Find(Root r, const std::vector<std::u16string>& path) const {
  const RegKey* key = &At(r);
  for (const std::u16string& part : path) {
    key = key->FindSubkey(part);
    if (!key) return nullptr;
  }
  return key;
}

RegKey* RegTree::FindPath(Root r, std::u16string_view path) {
  RegKey* key = &At(r);
  std::size_t start = 0;
  while (key && start < path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) key = key->FindSubkey(path.substr(start, end - start));
    start = end + 1;
  }
  return key;
}

RegKey& RegTree::Create(Root r, const std::vector<std::u16string>& path, bool* created) {
  RegKey* key = &At(r);
  bool last = false;
  for (const std::u16string& part : path) key = &key->CreateSubkey(part, &last);
  if (created) *created = last;
  return *key;
}

}  // namespace platform::registry
