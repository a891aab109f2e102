// The substitute device registry: an in-memory tree of keys and values that
// the registry calls of winreg.h work on, optionally backed by a .reg file.
//
// Writes stay in memory until Flush. A save takes an advisory lock on
// "<file>.lock", merges this program's unsaved changes onto the file as it
// is on disk now (so another program's changes to other values survive),
// and replaces the file atomically. The first save of a run keeps the
// previous content as "<file>.bak". A file that does not parse is never
// written.
//
// While this program has nothing unsaved, the first open of a key after each
// Flush (which the window system calls whenever the program waits for the
// user) re-reads the file if another program changed it, so a reload shows
// what the other program wrote; the opens within one action see one version.
//
// A set that stores exactly what this program last read from (or wrote to)
// that value is no change of this program's: it neither counts as unsaved
// nor overrides what another program has stored there meanwhile. So a
// program that writes back every value it shows (as Apply does) loses no
// other program's update to a value its user did not touch.
//
// Single-threaded, like the programs that use it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry/filesystem.h"
#include "platform/registry/regfile.h"
#include "platform/registry/regtree.h"
#include "platform/registry/winreg.h"
#include "platform/wintypes.h"

namespace platform::registry {

// One registry call as the observer sees it. A flush is reported when there
// was something to save (rc 0, or the error code and text).
struct RegistryEvent {
  enum class Op { Open, Create, Query, Set, Close, Flush };
  Op op = Op::Open;
  HKEY root = nullptr;     // the predefined root the key lies under; nullptr if unknown
  std::u16string key;      // the key's path as it was opened (leading backslash as passed)
  std::u16string name;     // value name (query, set)
  DWORD type = 0;          // type found (query) or passed (set)
  DWORD size = 0;          // byte count passed in (query: *lpcbData, 0 when none; set: cbData)
  DWORD sizeOut = 0;       // query: byte count returned in *lpcbData
  std::vector<BYTE> data;  // bytes returned (query, rc 0) or passed (set)
  DWORD options = 0;       // create: dwOptions
  DWORD disposition = 0;   // create: REG_CREATED_NEW_KEY / REG_OPENED_EXISTING_KEY
  HKEY handle = nullptr;   // the handle opened, used or closed
  LONG rc = ERROR_SUCCESS;
  std::string error;  // flush: the reason it failed
};

using RegistryObserver = std::function<void(const RegistryEvent&)>;
// Installs the process-wide observer (an empty function removes it).
void SetRegistryObserver(RegistryObserver observer);

// How a registry backed by a file that does not exist yet starts.
struct NewFile {
  std::span<const BYTE> content;  // a .reg file to start from (empty: an empty registry)
  bool createFolder = false;      // the first save creates the file's folder when missing
};

struct FlushResult {
  LONG code = ERROR_SUCCESS;
  std::string error;  // names the file and what went wrong
  bool ok() const { return code == ERROR_SUCCESS; }
  explicit operator bool() const { return ok(); }
};

class Registry {
 public:
  // An empty registry that lives in memory only; Flush does nothing.
  Registry();
  explicit Registry(RegTree tree);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // A registry backed by a .reg file. An existing file is read now; a file
  // that does not parse gives nullptr and `error` says which line and why
  // (the file is not touched). A missing file starts as `newFile` says; it
  // (and its folder) are created by the first save of a change, so a run
  // that changes nothing leaves no trace. `fs` defaults to the real file
  // system.
  static std::unique_ptr<Registry> OpenFile(const std::filesystem::path& path, std::string& error,
                                            FileSystem* fs = nullptr, const NewFile& newFile = {});

  LONG OpenKey(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
  LONG CreateKey(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                 REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                 LPDWORD lpdwDisposition);
  LONG QueryValue(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                  LPDWORD lpcbData);
  LONG SetValue(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                DWORD cbData);
  LONG CloseKey(HKEY hKey);

  // Saves unsaved changes. Nothing unsaved: no file access at all. On
  // failure the changes stay pending and the file is left as it was.
  FlushResult Flush();

  bool HasUnsavedChanges() const { return !journal_.empty(); }
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // The content as this program sees it (the file plus unsaved changes).
  const RegTree& Tree() const { return tree_; }
  const std::optional<std::filesystem::path>& File() const { return file_; }
  const RegFileFormat& Format() const { return format_; }
  // Why the last automatic re-read of a changed file failed (empty if none).
  const std::string& ReloadError() const { return reloadError_; }

 private:
  // An open key: its path is kept as text and split only when the key must be
  // found again (after a re-read) or journalled.
  struct Handle {
    Root root;
    std::u16string keyText;
    RegKey* cached = nullptr;
    std::uint64_t generation = 0;
  };
  // One change made by this program since the last save, replayed onto the
  // file's current content when another program changed it meanwhile.
  struct Change {
    Root root;
    std::vector<std::u16string> path;
    bool isValue = false;
    std::u16string name;
    DWORD type = 0;
    std::vector<BYTE> data;
  };

  struct Resolved {
    Root root;
    std::u16string keyText;
  };
  // Resolves hKey + lpSubKey; false for an unknown or closed handle.
  bool Resolve(HKEY hKey, LPCWSTR lpSubKey, Resolved& out) const;
  // Resolve for an open or create: fills the event's root and key, or its
  // result ERROR_INVALID_HANDLE when the handle names no key.
  bool ResolveFor(RegistryEvent& e, HKEY hKey, LPCWSTR lpSubKey, Resolved& out) const;
  Handle* FindHandle(HKEY hKey);
  // The open handle `hKey` names or, for a predefined root, `rootSlot` set to
  // that root; null when it names neither.
  Handle* FindHandleOrRoot(HKEY hKey, Handle& rootSlot);
  RegKey* KeyOf(Handle& h);
  HKEY NewHandle(Resolved r, RegKey* key);
  void ReloadIfChanged();
  bool Replay(RegTree& tree) const;
  FlushResult FlushToFile();
  void Emit(const RegistryEvent& e) const;
  // Whether an observer is installed: event details are only gathered then.
  static bool Observed();

  RegTree tree_;
  std::uint64_t generation_ = 1;
  std::unordered_map<std::uintptr_t, Handle> handles_;
  std::uintptr_t nextHandle_ = 0x1000;

  std::optional<std::filesystem::path> file_;
  FileSystem* fs_ = nullptr;
  RegFileFormat format_;
  bool createFolder_ = false;  // see NewFile
  bool checkFile_ = true;      // look at the file at the next open
  FileId knownId_;             // the file content tree_ is based on
  FileId failedId_;            // a changed file that did not parse (not retried)
  std::string reloadError_;
  struct Seen {
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  // Identity of a value: its folded key path and name, and its root.
  static std::u16string IdOf(const Handle& h, std::u16string_view name);
  void RememberRead(Handle& h, std::u16string_view name, const RegValue& v);
  // What this program last read from or wrote to each value.
  std::unordered_map<std::u16string, Seen> seen_;
  std::vector<Change> journal_;
  bool changed_ = false;  // the journal changes the content (not only rewrites it)
  bool backupDone_ = false;
};

// The process-wide registry the winreg.h calls use. Until one is installed,
// an empty in-memory registry is used.
Registry& CurrentRegistry();
// Replaces the process-wide registry (handles of the old one become invalid).
void InstallRegistry(std::unique_ptr<Registry> registry);
// Flushes the process-wide registry (the window system calls this before it
// waits for input, before a message box and at exit).
FlushResult FlushRegistry();

}  // namespace platform::registry
