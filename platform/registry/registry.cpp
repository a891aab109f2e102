#include "platform/registry/registry.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace platform::registry {

namespace {

RegistryObserver& Observer() {
  static RegistryObserver observer;
  return observer;
}

// Handle values are never reused, not even across registry instances, so a
// stale handle is always recognised as invalid.
std::uintptr_t g_nextHandle = 0x1000;

std::u16string_view View(LPCWSTR s) {
  return s ? std::u16string_view(s) : std::u16string_view();
}

std::uintptr_t Value(HKEY key) {
  return reinterpret_cast<std::uintptr_t>(key);
}

}  // namespace

void SetRegistryObserver(RegistryObserver observer) {
  Observer() = std::move(observer);
}

LONG ErrorCodeOf(const Status& status) {
  switch (status.code()) {
    case Status::Code::Ok:
      return ERROR_SUCCESS;
    case Status::Code::Corrupt:
      return ERROR_BADDB;
    case Status::Code::InvalidData:
      return ERROR_INVALID_DATA;
    case Status::Code::InvalidArgument:
      return ERROR_INVALID_PARAMETER;
    case Status::Code::IoError:
      break;
  }
  switch (status.SystemError()) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EBUSY:
    case EWOULDBLOCK:
      return ERROR_LOCK_VIOLATION;
    default:
      return ERROR_WRITE_FAULT;
  }
}

Registry::Registry() = default;
Registry::Registry(RegTree tree) : tree_(std::move(tree)) {}
Registry::~Registry() = default;

Status Registry::OpenFile(const std::filesystem::path& path, std::unique_ptr<Registry>& out,
                          FileSystem* fs, const NewFile& newFile, const RegReadOptions& read) {
  out.reset();
  auto reg = std::make_unique<Registry>();
  Status status =
      BackingFile::Open(path, fs ? *fs : RealFileSystem(), newFile, reg->tree_, reg->file_, read);
  if (status.ok()) out = std::move(reg);
  return status;
}

const RegFileFormat& Registry::Format() const {
  static const RegFileFormat kNewFile;
  return file_ ? file_->Format() : kNewFile;
}

const std::string& Registry::ReloadError() const {
  static const std::string kNone;
  return file_ ? file_->ReloadError() : kNone;
}

bool Registry::Resolve(HKEY hKey, LPCWSTR lpSubKey, KeyName& out) const {
  std::u16string_view sub = View(lpSubKey);
  if (std::optional<Root> root = RootFromHandle(hKey)) {
    out.root = *root;
    out.path = std::u16string(sub);
    return true;
  }
  auto it = handles_.find(Value(hKey));
  if (it == handles_.end()) return false;
  out = it->second.name;
  if (!sub.empty()) {
    if (sub.front() != u'\\') out.path += u'\\';
    out.path += sub;
  }
  return true;
}

Registry::Handle* Registry::FindHandleOrRoot(HKEY hKey, Handle& rootSlot) {
  if (auto it = handles_.find(Value(hKey)); it != handles_.end()) return &it->second;
  std::optional<Root> root = RootFromHandle(hKey);
  if (!root) return nullptr;
  rootSlot.name.root = *root;
  return &rootSlot;
}

RegKey* Registry::KeyOf(Handle& h) {
  if (h.cached && h.generation == generation_) return h.cached;
  h.cached = tree_.FindPath(h.name.root, h.name.path);
  h.generation = generation_;
  return h.cached;
}

Registry::Handle& Registry::NewHandle(KeyName name, RegKey* key, HKEY& out) {
  std::uintptr_t value = g_nextHandle;
  g_nextHandle += 4;
  out = reinterpret_cast<HKEY>(value);
  return handles_.emplace(value, Handle{std::move(name), key, generation_}).first->second;
}

const std::filesystem::path* Registry::FilePath() const {
  return file_ ? &file_->Path() : nullptr;
}

void Registry::Refresh() {
  checkFile_ = true;
  ReloadIfChanged();
}

void Registry::ReloadIfChanged() {
  if (!file_ || !journal_.empty() || !checkFile_) return;
  checkFile_ = false;
  if (file_->ReloadIfChanged(tree_)) ++generation_;
}

std::u16string Registry::IdOf(const KeyName& key, std::u16string_view name) {
  // Root digit, the folded path with single backslashes, U+FFFF (no
  // character, so it cannot occur in a name), the folded value name.
  std::u16string id(key.path.size() + name.size() + 3, u'\0');
  char16_t* out = id.data();
  *out++ = static_cast<char16_t>(u'0' + static_cast<int>(key.root));
  bool separator = true;
  for (char16_t c : key.path) {
    if (c == u'\\') {
      separator = true;
      continue;
    }
    if (separator) *out++ = u'\\';
    separator = false;
    *out++ = FoldAscii(c);
  }
  *out++ = u'\uFFFF';
  for (char16_t c : name) *out++ = FoldAscii(c);
  id.resize(static_cast<std::size_t>(out - id.data()));
  return id;
}

void Registry::RememberRead(const KeyName& key, std::u16string_view name, const RegValue& v) {
  Seen& seen = seen_[IdOf(key, name)];
  if (seen.type != v.type || seen.data != v.data) seen = Seen{v.type, v.data};
}

LONG Registry::Open(KeyName& name, HKEY& out, Handle*& opened) {
  ReloadIfChanged();
  RegKey* key = tree_.FindPath(name.root, name.path);
  if (!key) return ERROR_FILE_NOT_FOUND;
  opened = &NewHandle(std::move(name), key, out);
  return ERROR_SUCCESS;
}

LONG Registry::Create(KeyName& name, HKEY& out, Handle*& opened, DWORD& disposition) {
  std::vector<std::u16string> path = SplitKeyPath(name.path);
  bool writable = path.size() <= kMaxKeyDepth;
  for (const std::u16string& part : path) writable = writable && IsWritableName(part);
  if (!writable) return ERROR_INVALID_PARAMETER;
  ReloadIfChanged();
  // The options (volatile or not) are accepted and ignored: a created key is
  // kept like any other.
  bool created = false;
  RegKey& key = tree_.Create(name.root, path, &created);
  if (created) {
    journal_.push_back(Change{name.root, std::move(path), Change::Kind::CreateKey, {}, 0, {}});
    changed_ = true;
  }
  disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  opened = &NewHandle(std::move(name), &key, out);
  return ERROR_SUCCESS;
}

LONG Registry::Query(Handle& h, std::u16string_view name, LPDWORD lpType, LPBYTE lpData,
                     LPDWORD lpcbData, const RegValue*& found) {
  const RegKey* key = KeyOf(h);
  if (!key) return ERROR_KEY_DELETED;
  const RegValue* v = key->FindValue(name);
  if (!v) return ERROR_FILE_NOT_FOUND;
  found = v;
  const auto size = static_cast<DWORD>(v->data.size());
  const DWORD room = lpcbData ? *lpcbData : 0;
  if (lpType) *lpType = v->type;
  if (lpcbData) *lpcbData = size;
  if (!lpData) return ERROR_SUCCESS;
  if (room < size) return ERROR_MORE_DATA;
  if (size) std::memcpy(lpData, v->data.data(), size);
  RememberRead(h.name, name, *v);
  return ERROR_SUCCESS;
}

LONG Registry::Set(Handle& h, std::u16string_view name, DWORD type, std::span<const BYTE> data) {
  RegKey* key = KeyOf(h);
  if (!key) return ERROR_KEY_DELETED;
  std::u16string id = IdOf(h.name, name);
  const auto seen = seen_.find(id);
  // Writing back what this program last saw there is no change of its own:
  // another program's newer value stays. Where the value has gone (another
  // program deleted it or its key), it is written again, now and when the
  // save meets the file as it is then.
  const bool unchanged = seen != seen_.end() && seen->second.type == type &&
                         std::ranges::equal(seen->second.data, data);
  std::vector<BYTE> bytes(data.begin(), data.end());
  if (!unchanged || !key->FindValue(name)) changed_ = key->SetValue(name, type, bytes) || changed_;
  Change change{
      h.name.root, SplitKeyPath(h.name.path), Change::Kind::SetValue, std::u16string(name), type,
      bytes};
  change.onlyIfMissing = unchanged;
  journal_.push_back(std::move(change));
  if (!unchanged) seen_.insert_or_assign(std::move(id), Seen{type, std::move(bytes)});
  return ERROR_SUCCESS;
}

LONG Registry::Delete(KeyName& name) {
  std::vector<std::u16string> path = SplitKeyPath(name.path);
  if (path.empty()) return ERROR_ACCESS_DENIED;
  ReloadIfChanged();
  const std::vector<std::u16string> parentPath(path.begin(), path.end() - 1);
  RegKey* parent = tree_.Find(name.root, parentPath);
  if (!parent || !parent->DeleteSubkey(path.back())) return ERROR_FILE_NOT_FOUND;
  ++generation_;
  // What was read below the key no longer stands: setting it again is a
  // change.
  std::u16string prefix = IdOf(name, u"");
  prefix.pop_back();
  std::erase_if(seen_, [&prefix](const auto& entry) {
    const std::u16string& id = entry.first;
    return id.size() > prefix.size() && id.starts_with(prefix) &&
           (id[prefix.size()] == u'\\' || id[prefix.size()] == u'\uFFFF');
  });
  journal_.push_back(Change{name.root, std::move(path), Change::Kind::DeleteKey, {}, 0, {}});
  changed_ = true;
  return ERROR_SUCCESS;
}

LONG Registry::Unset(Handle& h, std::u16string_view name) {
  RegKey* key = KeyOf(h);
  if (!key) return ERROR_KEY_DELETED;
  if (!key->DeleteValue(name)) return ERROR_FILE_NOT_FOUND;
  seen_.erase(IdOf(h.name, name));
  journal_.push_back(Change{h.name.root,
                            SplitKeyPath(h.name.path),
                            Change::Kind::DeleteValue,
                            std::u16string(name),
                            0,
                            {}});
  changed_ = true;
  return ERROR_SUCCESS;
}

bool Registry::Observed() {
  return static_cast<bool>(Observer());
}

RegistryEvent Registry::EventOn(RegistryEvent::Op op, LONG rc, HKEY handle, const KeyName* key) {
  RegistryEvent e;
  e.op = op;
  e.rc = rc;
  e.handle = handle;
  if (key) {
    e.root = RootHandle(key->root);
    e.key = key->path;
  }
  return e;
}

RegistryEvent Registry::OpenEvent(RegistryEvent::Op op, LONG rc, PHKEY phkResult,
                                  const Handle* opened, const KeyName* resolved, LPCWSTR lpSubKey) {
  RegistryEvent e =
      EventOn(op, rc, phkResult ? *phkResult : nullptr, opened ? &opened->name : resolved);
  if (!resolved) e.key = View(lpSubKey);
  return e;
}

void Registry::Emit(const RegistryEvent& e) {
  Observer()(e);
}

LONG Registry::OpenKey(HKEY hKey, LPCWSTR lpSubKey, DWORD /*ulOptions*/, REGSAM /*samDesired*/,
                       PHKEY phkResult) {
  if (phkResult) *phkResult = nullptr;
  KeyName name;
  Handle* opened = nullptr;
  const bool resolved = Resolve(hKey, lpSubKey, name);
  LONG rc = ERROR_INVALID_HANDLE;
  if (resolved) rc = phkResult ? Open(name, *phkResult, opened) : ERROR_INVALID_PARAMETER;

  if (Observed()) {
    Emit(OpenEvent(RegistryEvent::Op::Open, rc, phkResult, opened, resolved ? &name : nullptr,
                   lpSubKey));
  }
  return rc;
}

LONG Registry::CreateKey(HKEY hKey, LPCWSTR lpSubKey, DWORD /*Reserved*/, LPWSTR /*lpClass*/,
                         DWORD dwOptions, REGSAM /*samDesired*/,
                         LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                         LPDWORD lpdwDisposition) {
  if (phkResult) *phkResult = nullptr;
  KeyName name;
  Handle* opened = nullptr;
  DWORD disposition = 0;
  const bool resolved = Resolve(hKey, lpSubKey, name);
  LONG rc = ERROR_INVALID_HANDLE;
  if (resolved) {
    rc = phkResult && lpSubKey ? Create(name, *phkResult, opened, disposition)
                               : ERROR_INVALID_PARAMETER;
  }
  if (rc == ERROR_SUCCESS && lpdwDisposition) *lpdwDisposition = disposition;

  if (Observed()) {
    RegistryEvent e = OpenEvent(RegistryEvent::Op::Create, rc, phkResult, opened,
                                resolved ? &name : nullptr, lpSubKey);
    e.options = dwOptions;
    e.disposition = disposition;
    Emit(e);
  }
  return rc;
}

LONG Registry::QueryValue(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                          LPBYTE lpData, LPDWORD lpcbData) {
  const std::u16string_view name = View(lpValueName);
  const DWORD sizeIn = lpcbData ? *lpcbData : 0;
  Handle rootSlot;
  Handle* h = FindHandleOrRoot(hKey, rootSlot);
  const RegValue* found = nullptr;
  LONG rc = ERROR_INVALID_HANDLE;
  if (h) {
    rc = lpReserved || (lpData && !lpcbData) ? ERROR_INVALID_PARAMETER
                                             : Query(*h, name, lpType, lpData, lpcbData, found);
  }

  if (Observed()) {
    RegistryEvent e = EventOn(RegistryEvent::Op::Query, rc, hKey, h ? &h->name : nullptr);
    e.name = name;
    e.size = sizeIn;
    if (found) e.type = found->type;
    if (found && lpData && rc == ERROR_SUCCESS) e.data = found->data;
    Emit(e);
  }
  return rc;
}

LONG Registry::SetValue(HKEY hKey, LPCWSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                        const BYTE* lpData, DWORD cbData) {
  const std::u16string_view name = View(lpValueName);
  const std::span<const BYTE> data(lpData, lpData ? cbData : 0);
  Handle rootSlot;
  Handle* h = FindHandleOrRoot(hKey, rootSlot);
  LONG rc = ERROR_INVALID_HANDLE;
  if (h) {
    // A name the store file cannot hold is refused now rather than making
    // every later save fail.
    rc = (!lpData && cbData > 0) || !IsWritableName(name) ? ERROR_INVALID_PARAMETER
                                                          : Set(*h, name, dwType, data);
  }

  if (Observed()) {
    RegistryEvent e = EventOn(RegistryEvent::Op::Set, rc, hKey, h ? &h->name : nullptr);
    e.name = name;
    e.type = dwType;
    e.size = cbData;
    e.data.assign(data.begin(), data.end());
    Emit(e);
  }
  return rc;
}

LONG Registry::CloseKey(HKEY hKey) {
  auto closed = handles_.extract(Value(hKey));
  // Closing a predefined root is allowed and does nothing.
  const bool root = RootFromHandle(hKey).has_value();
  const LONG rc = closed || root ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;

  if (Observed()) {
    RegistryEvent e =
        EventOn(RegistryEvent::Op::Close, rc, hKey, closed ? &closed.mapped().name : nullptr);
    if (!closed && root) e.root = hKey;
    Emit(e);
  }
  return rc;
}

LONG Registry::DeleteKey(HKEY hKey, LPCWSTR lpSubKey) {
  KeyName name;
  const bool resolved = Resolve(hKey, lpSubKey, name);
  LONG rc = ERROR_INVALID_HANDLE;
  if (resolved) rc = lpSubKey ? Delete(name) : ERROR_INVALID_PARAMETER;

  if (Observed()) {
    RegistryEvent e = EventOn(RegistryEvent::Op::DeleteKey, rc, hKey, resolved ? &name : nullptr);
    if (!resolved) e.key = View(lpSubKey);
    Emit(e);
  }
  return rc;
}

LONG Registry::DeleteValue(HKEY hKey, LPCWSTR lpValueName) {
  const std::u16string_view name = View(lpValueName);
  Handle rootSlot;
  Handle* h = FindHandleOrRoot(hKey, rootSlot);
  const LONG rc = h ? Unset(*h, name) : ERROR_INVALID_HANDLE;

  if (Observed()) {
    RegistryEvent e = EventOn(RegistryEvent::Op::DeleteValue, rc, hKey, h ? &h->name : nullptr);
    e.name = name;
    Emit(e);
  }
  return rc;
}

Status Registry::Flush() {
  checkFile_ = true;
  if (journal_.empty()) return {};
  Status status;
  if (file_) {
    bool reloaded = false;
    status = file_->Save(tree_, journal_, changed_, reloaded);
    if (reloaded) ++generation_;
  }
  if (status.ok()) {
    journal_.clear();
    changed_ = false;
  }

  if (Observed()) {
    RegistryEvent e = EventOn(RegistryEvent::Op::Flush, ErrorCodeOf(status), nullptr, nullptr);
    e.error = status.message();
    Emit(e);
  }
  return status;
}

namespace {
std::unique_ptr<Registry>& Slot() {
  static std::unique_ptr<Registry> slot = std::make_unique<Registry>();
  return slot;
}
}  // namespace

Registry& CurrentRegistry() {
  return *Slot();
}

void InstallRegistry(std::unique_ptr<Registry> registry) {
  Slot() = registry ? std::move(registry) : std::make_unique<Registry>();
}

Status FlushRegistry() {
  return CurrentRegistry().Flush();
}

}  // namespace platform::registry
