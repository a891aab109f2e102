// In-memory registry content: keys with ordered values and case-insensitively
// sorted subkeys, under the predefined roots. Names are case-preserving; they
// compare with ASCII letters folded, the one rule used everywhere.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text/text.h"
#include "platform/wintypes.h"

namespace platform::registry {

// Names compare with ASCII letters folded to upper case.
using text::FoldAscii;
bool NamesEqual(std::u16string_view a, std::u16string_view b);

// Case-insensitive ordering, hash and equality of names that fold while they
// compare, so lookups need no folded copy of the name.
struct FoldedLess {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const;
};
struct FoldedHash {
  using is_transparent = void;
  std::size_t operator()(std::u16string_view name) const;
};
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const { return NamesEqual(a, b); }
};

// Deepest key nesting below a root, as on Windows; deeper keys are refused.
inline constexpr std::size_t kMaxKeyDepth = 512;

// Splits a key path at backslashes; empty components (leading, doubled or
// trailing backslashes) are dropped.
std::vector<std::u16string> SplitKeyPath(std::u16string_view path);

struct RegValue {
  std::u16string name;  // empty: the key's default value
  DWORD type = 0;
  std::vector<BYTE> data;
  friend bool operator==(const RegValue&, const RegValue&) = default;
};

class RegKey {
 public:
  RegKey() = default;
  explicit RegKey(std::u16string name) : name_(std::move(name)) {}
  RegKey(const RegKey& other);
  RegKey& operator=(const RegKey& other) = delete;
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  ~RegKey() = default;

  const std::u16string& Name() const { return name_; }
  // Values in the order they were first set.
  const std::vector<RegValue>& Values() const { return values_; }
  const RegValue* FindValue(std::u16string_view name) const;
  // Sets or replaces a value (a replaced value keeps its place and its name's
  // case). Returns true when the key's content changed.
  bool SetValue(std::u16string_view name, DWORD type, std::vector<BYTE> data);
  bool DeleteValue(std::u16string_view name);

  // Subkeys keyed by folded name, so iteration is case-insensitively sorted.
  using SubkeyMap = std::map<std::u16string, std::unique_ptr<RegKey>, FoldedLess>;
  const SubkeyMap& Subkeys() const { return subkeys_; }
  RegKey* FindSubkey(std::u16string_view name);
  const RegKey* FindSubkey(std::u16string_view name) const;
  // Returns the existing subkey or a new one; *created says which.
  RegKey& CreateSubkey(std::u16string_view name, bool* created = nullptr);
  bool DeleteSubkey(std::u16string_view name);

  bool Empty() const { return values_.empty() && subkeys_.empty(); }
  std::size_t ValueCountRecursive() const;

  // Deep comparison with exact names.
  friend bool operator==(const RegKey& a, const RegKey& b);

  // Changes whenever the key's name or values change: every new, copied or
  // moved key and every change takes the next number of the process. So a
  // writer may keep the text of a key's own section under its stamp.
  std::uint64_t Stamp() const { return stamp_; }

 private:
  std::u16string name_;
  std::vector<RegValue> values_;
  // folded name -> position
  std::unordered_map<std::u16string, std::size_t, FoldedHash, FoldedEqual> index_;
  SubkeyMap subkeys_;
  // Hash index over subkeys_ for lookups; the views point into its keys.
  std::unordered_map<std::u16string_view, RegKey*, FoldedHash, FoldedEqual> subkeyIndex_;
  std::uint64_t stamp_ = NextStamp();

  static std::uint64_t NextStamp();
};

// The predefined roots, in the order of their handle values.
enum class Root { ClassesRoot = 0, CurrentUser = 1, LocalMachine = 2, Users = 3 };
inline constexpr std::array<Root, 4> kAllRoots = {Root::ClassesRoot, Root::CurrentUser,
                                                  Root::LocalMachine, Root::Users};

std::u16string_view RootName(Root root);                      // u"HKEY_LOCAL_MACHINE"
std::string_view RootShortName(Root root);                    // "HKLM"
std::optional<Root> ParseRootName(std::u16string_view name);  // full or short, any case
std::optional<Root> RootFromHandle(HKEY key);
HKEY RootHandle(Root root);

struct RegTree {
  std::array<RegKey, 4> roots;

  RegKey& At(Root r) { return roots[static_cast<std::size_t>(r)]; }
  const RegKey& At(Root r) const { return roots[static_cast<std::size_t>(r)]; }
  // Walks a split path; nullptr when a component is missing.
  RegKey* Find(Root r, const std::vector<std::u16string>& path);
  const RegKey* Find(Root r, const std::vector<std::u16string>& path) const;
  // The same over a backslash-separated path, without splitting it first.
  RegKey* FindPath(Root r, std::u16string_view path);
  // Creates missing components; *created is true when the last one was new.
  RegKey& Create(Root r, const std::vector<std::u16string>& path, bool* created = nullptr);
  friend bool operator==(const RegTree& a, const RegTree& b) = default;
};

}  // namespace platform::registry
