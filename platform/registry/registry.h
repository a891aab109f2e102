// The substitute device registry: an in-memory tree of keys and values that
// the registry calls of winreg.h work on, optionally backed by a .reg file
// (backing_file.h: how it is read, merged and saved).
//
// Writes stay in memory until Flush. While this program has nothing unsaved,
// the first open of a key after each Flush (the host flushes whenever the
// program waits for the user) re-reads the file if another program changed
// it, so a reload shows what the other program wrote; the opens within one
// action see one version.
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
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry/backing_file.h"
#include "platform/registry/filesystem.h"
#include "platform/registry/regfile.h"
#include "platform/registry/regtree.h"
#include "platform/registry/winreg.h"
#include "platform/status/status.h"
#include "platform/wintypes.h"

namespace platform::registry {

// One registry call as the observer sees it. A flush is reported when there
// was something to save (rc 0, or the error code and text).
struct RegistryEvent {
  enum class Op { Open, Create, Query, Set, Close, Flush, DeleteKey, DeleteValue };
  Op op = Op::Open;
  HKEY root = nullptr;     // the predefined root the key lies under; nullptr if unknown
  std::u16string key;      // the key's path as it was opened (leading backslash as passed)
  std::u16string name;     // value name (query, set, delete value)
  DWORD type = 0;          // type found (query) or passed (set)
  DWORD size = 0;          // byte count passed in (query: *lpcbData, 0 when none; set: cbData)
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

// The registry calls' error code for a status: ERROR_SUCCESS, or the code
// that says best what failed (a full disk, a denied access, a lock held, a
// file that does not read, ...).
LONG ErrorCodeOf(const Status& status);

class Registry {
 public:
  // An empty registry that lives in memory only; Flush saves nothing.
  Registry();
  explicit Registry(RegTree tree);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // A registry backed by a .reg file (`out`; nullptr on failure). An
  // existing file is read now; a file that does not parse fails with its
  // line and what is wrong, and is not touched. A missing file starts as
  // `newFile` says; it (and its folder) are created by the first save of a
  // change, so a run that changes nothing leaves no trace. `fs` defaults to
  // the real file system.
  static Status OpenFile(const std::filesystem::path& path, std::unique_ptr<Registry>& out,
                         FileSystem* fs = nullptr, const NewFile& newFile = {},
                         const RegReadOptions& read = {});

  LONG OpenKey(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
  LONG CreateKey(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                 REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                 LPDWORD lpdwDisposition);
  LONG QueryValue(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                  LPDWORD lpcbData);
  LONG SetValue(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                DWORD cbData);
  LONG CloseKey(HKEY hKey);
  // Deletes the key hKey + lpSubKey with everything below it, as Windows CE
  // does; a root cannot be deleted.
  LONG DeleteKey(HKEY hKey, LPCWSTR lpSubKey);
  LONG DeleteValue(HKEY hKey, LPCWSTR lpValueName);

  // Saves unsaved changes. Nothing unsaved: no file access at all. On
  // failure the changes stay pending and the file is left as it was.
  Status Flush();

  bool HasUnsavedChanges() const { return !journal_.empty(); }
  // The store file's path; nullptr for a registry in memory only.
  const std::filesystem::path* FilePath() const;
  // Looks at the file now, so that Tree() shows what another program saved
  // since (when nothing here is unsaved), as the next call would.
  void Refresh();
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // The content as this program sees it (the file plus unsaved changes).
  const RegTree& Tree() const { return tree_; }
  // The layout of the file (the default one without a file).
  const RegFileFormat& Format() const;
  // Why the last automatic re-read of a changed file failed (empty if none).
  const std::string& ReloadError() const;
  // The backing file; nullptr for a registry in memory only.
  const BackingFile* File() const { return file_.get(); }

 private:
  // A key as a call names it: its root and its path as text, split only when
  // the key must be found again (after a re-read) or journalled.
  struct KeyName {
    Root root = Root::LocalMachine;
    std::u16string path;
  };
  // An open key.
  struct Handle {
    KeyName name;
    RegKey* cached = nullptr;
    std::uint64_t generation = 0;
  };
  struct Seen {
    DWORD type = 0;
    std::vector<BYTE> data;
  };

  // The key hKey + lpSubKey names; false for an unknown or closed handle.
  bool Resolve(HKEY hKey, LPCWSTR lpSubKey, KeyName& out) const;
  // The open handle `hKey` names or, for a predefined root, `rootSlot` set to
  // that root; null when it names neither.
  Handle* FindHandleOrRoot(HKEY hKey, Handle& rootSlot);
  RegKey* KeyOf(Handle& h);
  Handle& NewHandle(KeyName name, RegKey* key, HKEY& out);
  void ReloadIfChanged();

  // The calls' work, on a key their handle named; the public calls add the
  // checks of the handle and the trace.
  LONG Open(KeyName& name, HKEY& out, Handle*& opened);
  LONG Create(KeyName& name, HKEY& out, Handle*& opened, DWORD& disposition);
  LONG Query(Handle& h, std::u16string_view name, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData,
             const RegValue*& found);
  LONG Set(Handle& h, std::u16string_view name, DWORD type, std::span<const BYTE> data);
  LONG Delete(KeyName& name);
  LONG Unset(Handle& h, std::u16string_view name);

  // Whether an observer is installed: events are only made then.
  static bool Observed();
  // An event with its result and the key it concerns (nullptr: unknown).
  static RegistryEvent EventOn(RegistryEvent::Op op, LONG rc, HKEY handle, const KeyName* key);
  // The event of an open or create: the key opened, else the key resolved,
  // else (a handle that names no key) the sub key as passed.
  static RegistryEvent OpenEvent(RegistryEvent::Op op, LONG rc, PHKEY phkResult,
                                 const Handle* opened, const KeyName* resolved, LPCWSTR lpSubKey);
  static void Emit(const RegistryEvent& e);

  // Identity of a value: its folded key path and name, and its root.
  static std::u16string IdOf(const KeyName& key, std::u16string_view name);
  void RememberRead(const KeyName& key, std::u16string_view name, const RegValue& v);

  RegTree tree_;
  // Counts the re-reads that replaced tree_ and the key deletions: keys that
  // handles found before may be gone.
  std::uint64_t generation_ = 1;
  std::unordered_map<std::uintptr_t, Handle> handles_;
  std::unique_ptr<BackingFile> file_;  // null: in memory only
  bool checkFile_ = true;              // look at the file at the next open
  // What this program last read from or wrote to each value.
  std::unordered_map<std::u16string, Seen> seen_;
  // This program's changes since the last save.
  std::vector<Change> journal_;
  bool changed_ = false;  // the journal changes the content (not only rewrites it)
};

// The process-wide registry the winreg.h calls use. Until one is installed,
// an empty in-memory registry is used.
Registry& CurrentRegistry();
// Replaces the process-wide registry (handles of the old one become invalid).
void InstallRegistry(std::unique_ptr<Registry> registry);
// Flushes the process-wide registry. Apply calls it, and the host does
// whenever the window system is about to wait (for input or a message box)
// and at exit.
Status FlushRegistry();

}  // namespace platform::registry
