#include "platform/registry/registry.h"

#include <cerrno>
#include <cstring>

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

LONG CodeFor(std::error_code ec) {
  if (ec.category() == std::generic_category() || ec.category() == std::system_category()) {
    switch (ec.value()) {
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
        break;
    }
  }
  return ERROR_WRITE_FAULT;
}

std::string DescribeParseError(const std::filesystem::path& path, const RegFileError& err) {
  std::string where = path.string();
  if (err.line > 0) {
    where += ':';
    where += std::to_string(err.line);
  }
  return where + ": " + err.message;
}

}  // namespace

void SetRegistryObserver(RegistryObserver observer) {
  Observer() = std::move(observer);
}

Registry::Registry() = default;
Registry::Registry(RegTree tree) : tree_(std::move(tree)) {}
Registry::~Registry() = default;

std::unique_ptr<Registry> Registry::OpenFile(const std::filesystem::path& path, std::string& error,
                                             FileSystem* fs, const NewFile& newFile) {
  error.clear();
  if (!fs) fs = &RealFileSystem();
  auto reg = std::make_unique<Registry>();
  // Saving replaces the file a symbolic link points to and keeps the link.
  reg->file_ = FollowLinks(path);
  reg->fs_ = fs;
  FileId id;
  if (std::error_code ec = fs->Stat(path, id)) {
    error = path.string() + ": cannot access the file: " + ec.message();
    return nullptr;
  }
  if (!id.exists) {
    reg->createFolder_ = newFile.createFolder;
    if (newFile.content.empty()) return reg;
    ParsedRegFile parsed;
    RegFileError err;
    if (!ParseRegFile(newFile.content, parsed, err)) {
      error = "the content of a new file: " + DescribeParseError(path, err);
      return nullptr;
    }
    reg->tree_ = std::move(parsed.tree);
    reg->format_ = parsed.format;
    return reg;
  }
  std::vector<BYTE> bytes;
  if (std::error_code ec = fs->ReadAll(path, bytes, id)) {
    error = path.string() + ": cannot read the file: " + ec.message();
    return nullptr;
  }
  ParsedRegFile parsed;
  RegFileError err;
  if (!ParseRegFile(bytes, parsed, err)) {
    error = DescribeParseError(path, err);
    return nullptr;
  }
  reg->tree_ = std::move(parsed.tree);
  reg->format_ = parsed.format;
  reg->knownId_ = id;
  return reg;
}

void Registry::Emit(const RegistryEvent& e) const {
  if (Observer()) Observer()(e);
}

std::u16string Registry::IdOf(const Handle& h, std::u16string_view name) {
  // Root digit, the folded path with single backslashes, U+FFFF (no
  // character, so it cannot occur in a name), the folded value name.
  std::u16string id(h.keyText.size() + name.size() + 3, u'\0');
  char16_t* out = id.data();
  *out++ = static_cast<char16_t>(u'0' + static_cast<int>(h.root));
  bool separator = true;
  for (char16_t c : h.keyText) {
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

bool Registry::Observed() {
  return static_cast<bool>(Observer());
}

bool Registry::Resolve(HKEY hKey, LPCWSTR lpSubKey, Resolved& out) const {
  std::u16string_view sub = View(lpSubKey);
  if (std::optional<Root> root = RootFromHandle(hKey)) {
    out.root = *root;
    out.keyText = std::u16string(sub);
    return true;
  }
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(hKey));
  if (it == handles_.end()) return false;
  const Handle& h = it->second;
  out.root = h.root;
  out.keyText = h.keyText;
  if (!sub.empty()) {
    if (sub.front() != u'\\') out.keyText += u'\\';
    out.keyText += sub;
  }
  return true;
}

Registry::Handle* Registry::FindHandle(HKEY hKey) {
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(hKey));
  return it == handles_.end() ? nullptr : &it->second;
}

Registry::Handle* Registry::FindHandleOrRoot(HKEY hKey, Handle& rootSlot) {
  if (Handle* h = FindHandle(hKey)) return h;
  std::optional<Root> root = RootFromHandle(hKey);
  if (!root) return nullptr;
  rootSlot.root = *root;
  return &rootSlot;
}

RegKey* Registry::KeyOf(Handle& h) {
  if (h.cached && h.generation == generation_) return h.cached;
  h.cached = tree_.FindPath(h.root, h.keyText);
  h.generation = generation_;
  return h.cached;
}

HKEY Registry::NewHandle(Resolved r, RegKey* key) {
  std::uintptr_t value = g_nextHandle;
  g_nextHandle += 4;
  handles_.emplace(value, Handle{r.root, std::move(r.keyText), key, generation_});
  return reinterpret_cast<HKEY>(value);
}

void Registry::ReloadIfChanged() {
  if (!file_ || !journal_.empty() || !checkFile_) return;
  checkFile_ = false;
  FileId id;
  if (fs_->Stat(*file_, id)) return;
  if (id == knownId_ || (failedId_.exists && id == failedId_)) return;
  if (!id.exists) {
    // The file was removed: keep the current view; the next save writes it
    // again.
    knownId_ = id;
    return;
  }
  std::vector<BYTE> bytes;
  if (fs_->ReadAll(*file_, bytes, id)) return;
  ParsedRegFile parsed;
  RegFileError err;
  if (!ParseRegFile(bytes, parsed, err)) {
    failedId_ = id;
    reloadError_ = DescribeParseError(*file_, err);
    return;
  }
  tree_ = std::move(parsed.tree);
  format_ = parsed.format;
  knownId_ = id;
  ++generation_;
  reloadError_.clear();
}

bool Registry::ResolveFor(RegistryEvent& e, HKEY hKey, LPCWSTR lpSubKey, Resolved& out) const {
  if (!Resolve(hKey, lpSubKey, out)) {
    e.key = std::u16string(View(lpSubKey));
    e.rc = ERROR_INVALID_HANDLE;
    return false;
  }
  e.root = RootHandle(out.root);
  if (Observed()) e.key = out.keyText;
  return true;
}

LONG Registry::OpenKey(HKEY hKey, LPCWSTR lpSubKey, DWORD /*ulOptions*/, REGSAM /*samDesired*/,
                       PHKEY phkResult) {
  RegistryEvent e;
  e.op = RegistryEvent::Op::Open;
  if (phkResult) *phkResult = nullptr;
  Resolved r;
  if (ResolveFor(e, hKey, lpSubKey, r)) {
    if (!phkResult) {
      e.rc = ERROR_INVALID_PARAMETER;
    } else {
      ReloadIfChanged();
      if (RegKey* key = tree_.FindPath(r.root, r.keyText); !key) {
        e.rc = ERROR_FILE_NOT_FOUND;
      } else {
        *phkResult = NewHandle(std::move(r), key);
        e.handle = *phkResult;
      }
    }
  }
  Emit(e);
  return e.rc;
}

LONG Registry::CreateKey(HKEY hKey, LPCWSTR lpSubKey, DWORD /*Reserved*/, LPWSTR /*lpClass*/,
                         DWORD dwOptions, REGSAM /*samDesired*/,
                         LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                         LPDWORD lpdwDisposition) {
  RegistryEvent e;
  e.op = RegistryEvent::Op::Create;
  e.options = dwOptions;
  if (phkResult) *phkResult = nullptr;
  Resolved r;
  if (ResolveFor(e, hKey, lpSubKey, r)) {
    std::vector<std::u16string> path = SplitKeyPath(r.keyText);
    bool writable = path.size() <= kMaxKeyDepth;
    for (const std::u16string& part : path) writable = writable && IsWritableName(part);
    if (!phkResult || !lpSubKey || !writable) {
      e.rc = ERROR_INVALID_PARAMETER;
    } else {
      ReloadIfChanged();
      // The options (volatile or not) are accepted and ignored: a created key
      // is kept like any other.
      bool created = false;
      RegKey& key = tree_.Create(r.root, path, &created);
      if (created) {
        journal_.push_back(Change{r.root, std::move(path), false, {}, 0, {}});
        changed_ = true;
      }
      e.disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
      if (lpdwDisposition) *lpdwDisposition = e.disposition;
      *phkResult = NewHandle(std::move(r), &key);
      e.handle = *phkResult;
    }
  }
  Emit(e);
  return e.rc;
}

LONG Registry::QueryValue(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                          LPBYTE lpData, LPDWORD lpcbData) {
  RegistryEvent e;
  e.op = RegistryEvent::Op::Query;
  const bool observed = Observed();
  std::u16string_view name = View(lpValueName);
  if (observed) e.name = std::u16string(name);
  e.size = lpcbData ? *lpcbData : 0;
  e.handle = hKey;
  Handle rootHandle;
  Handle* h = FindHandleOrRoot(hKey, rootHandle);
  if (!h) {
    e.rc = ERROR_INVALID_HANDLE;
  } else {
    e.root = RootHandle(h->root);
    if (observed) e.key = h->keyText;
    const RegKey* key = KeyOf(*h);
    const RegValue* v = nullptr;
    if (lpReserved || (lpData && !lpcbData)) {
      e.rc = ERROR_INVALID_PARAMETER;
    } else if (!key) {
      e.rc = ERROR_KEY_DELETED;
    } else if (!(v = key->FindValue(name))) {
      e.rc = ERROR_FILE_NOT_FOUND;
    } else {
      auto size = static_cast<DWORD>(v->data.size());
      e.type = v->type;
      if (lpType) *lpType = v->type;
      if (lpData && *lpcbData < size) {
        e.rc = ERROR_MORE_DATA;
      } else if (lpData) {
        if (size) std::memcpy(lpData, v->data.data(), size);
        if (observed) e.data = v->data;
        RememberRead(*h, name, *v);
      }
      if (lpcbData) *lpcbData = size;
      e.sizeOut = size;
    }
  }
  Emit(e);
  return e.rc;
}

void Registry::RememberRead(Handle& h, std::u16string_view name, const RegValue& v) {
  Seen& seen = seen_[IdOf(h, name)];
  if (seen.type != v.type || seen.data != v.data) seen = Seen{v.type, v.data};
}

LONG Registry::SetValue(HKEY hKey, LPCWSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                        const BYTE* lpData, DWORD cbData) {
  RegistryEvent e;
  e.op = RegistryEvent::Op::Set;
  e.name = std::u16string(View(lpValueName));
  e.type = dwType;
  e.size = cbData;
  e.handle = hKey;
  if (lpData) e.data.assign(lpData, lpData + cbData);
  Handle rootHandle;
  Handle* h = FindHandleOrRoot(hKey, rootHandle);
  if (!h) {
    e.rc = ERROR_INVALID_HANDLE;
  } else {
    e.root = RootHandle(h->root);
    e.key = h->keyText;
    RegKey* key = KeyOf(*h);
    if ((!lpData && cbData > 0) || !IsWritableName(e.name)) {
      // A name the store file cannot hold is refused now rather than making
      // every later save fail.
      e.rc = ERROR_INVALID_PARAMETER;
    } else if (!key) {
      e.rc = ERROR_KEY_DELETED;
    } else {
      std::u16string id = IdOf(*h, e.name);
      auto seen = seen_.find(id);
      if (seen == seen_.end() || seen->second.type != dwType || seen->second.data != e.data) {
        changed_ = key->SetValue(e.name, dwType, e.data) || changed_;
        journal_.push_back(Change{h->root, SplitKeyPath(h->keyText), true, e.name, dwType, e.data});
        seen_.insert_or_assign(std::move(id), Seen{dwType, e.data});
      }
    }
  }
  Emit(e);
  return e.rc;
}

LONG Registry::CloseKey(HKEY hKey) {
  RegistryEvent e;
  e.op = RegistryEvent::Op::Close;
  e.handle = hKey;
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(hKey));
  if (it != handles_.end()) {
    e.root = RootHandle(it->second.root);
    if (Observed()) e.key = std::move(it->second.keyText);
    handles_.erase(it);
  } else if (std::optional<Root> root = RootFromHandle(hKey)) {
    e.root = hKey;  // closing a predefined root is allowed and does nothing
  } else {
    e.rc = ERROR_INVALID_HANDLE;
  }
  Emit(e);
  return e.rc;
}

bool Registry::Replay(RegTree& tree) const {
  bool any = false;
  for (const Change& c : journal_) {
    bool created = false;
    RegKey& key = tree.Create(c.root, c.path, &created);
    any = any || created;
    if (c.isValue) any = key.SetValue(c.name, c.type, c.data) || any;
  }
  return any;
}

FlushResult Registry::Flush() {
  checkFile_ = true;
  if (journal_.empty()) return {};
  FlushResult result;
  if (file_) {
    result = FlushToFile();
  } else {
    journal_.clear();
    changed_ = false;
  }
  RegistryEvent e;
  e.op = RegistryEvent::Op::Flush;
  e.rc = result.code;
  e.error = result.error;
  Emit(e);
  return result;
}

FlushResult Registry::FlushToFile() {
  const std::filesystem::path& path = *file_;
  auto fail = [&](LONG code, const std::string& what) {
    return FlushResult{code, "cannot save the registry to " + path.string() + ": " + what +
                                 " (the file was left as it was; the changes are kept)"};
  };
  auto failEc = [&](std::error_code ec, const std::string& what) {
    return fail(CodeFor(ec), what + ": " + ec.message());
  };

  if (createFolder_ && path.has_parent_path()) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return failEc(ec, "cannot create the folder " + path.parent_path().string());
  }
  std::unique_ptr<FileLock> lock;
  std::filesystem::path lockPath = path;
  lockPath += ".lock";
  if (std::error_code ec = fs_->Lock(lockPath, lock)) {
    return failEc(ec, "cannot lock " + lockPath.string());
  }
  // A save killed before its rename leaves its temp file; the next save
  // clears it away.
  RemoveStaleTempFiles(*fs_, path);

  FileId current;
  if (std::error_code ec = fs_->Stat(path, current)) return failEc(ec, "cannot access the file");
  std::vector<BYTE> previous;
  bool havePrevious = false;
  if (!(current == knownId_)) {
    if (current.exists) {
      // Another program changed the file: start from its content and put
      // this program's changes on top.
      if (std::error_code ec = fs_->ReadAll(path, previous, current)) {
        return failEc(ec, "cannot read the file");
      }
      havePrevious = true;
      ParsedRegFile parsed;
      RegFileError err;
      if (!ParseRegFile(previous, parsed, err)) {
        return fail(ERROR_BADDB, "it was changed by another program and no longer reads: " +
                                     DescribeParseError(path, err));
      }
      bool any = Replay(parsed.tree);
      tree_ = std::move(parsed.tree);
      format_ = parsed.format;
      knownId_ = current;
      ++generation_;
      if (!any) {
        journal_.clear();
        changed_ = false;
        return {};
      }
    }
    // A removed file is written again from this program's whole view.
    knownId_ = current;
    changed_ = true;
  } else if (!changed_) {
    journal_.clear();
    return {};
  }

  std::vector<BYTE> bytes;
  bytes.reserve(current.size + current.size / 8 + 4096);  // the new file is about as long
  std::string error;
  if (!WriteRegFile(tree_, format_, bytes, error)) return fail(ERROR_INVALID_DATA, error);

  unsigned mode = 0644;
  if (current.exists) fs_->Mode(path, mode);
  std::string what;
  if (!backupDone_ && current.exists) {
    if (!havePrevious) {
      FileId readId;
      if (std::error_code ec = fs_->ReadAll(path, previous, readId)) {
        return failEc(ec, "cannot read the file for its backup");
      }
    }
    std::filesystem::path bak = path;
    bak += ".bak";
    if (std::error_code ec = WriteFileAtomically(*fs_, bak, previous, mode, nullptr, what)) {
      return failEc(ec, "cannot keep the backup " + bak.string() + ": " + what);
    }
    backupDone_ = true;
  }

  FileId written;
  if (std::error_code ec = WriteFileAtomically(*fs_, path, bytes, mode, &written, what)) {
    if (written.exists) {
      // The new file is in place but may not be durable yet; the next save
      // sees a changed file and writes the same content again.
      knownId_ = FileId{};
      knownId_.inode = ~0ull;
    }
    return failEc(ec, what);
  }
  knownId_ = written;
  journal_.clear();
  changed_ = false;
  return {};
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

FlushResult FlushRegistry() {
  return CurrentRegistry().Flush();
}

}  // namespace platform::registry
