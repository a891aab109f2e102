// The .reg file behind a registry: reading it, noticing another program's
// changes to it, and saving this program's changes.
//
// A save takes an advisory lock on "<file>.lock", puts this program's
// unsaved changes onto the file as it is on disk now (so another program's
// changes to other values survive), and replaces the file atomically. The
// first save of a run keeps the previous content as "<file>.bak". A file
// that does not parse is never written.
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/registry/filesystem.h"
#include "platform/registry/regfile.h"
#include "platform/registry/regtree.h"
#include "platform/status/status.h"
#include "platform/wintypes.h"

namespace platform::registry {

// One change this program made since its last save.
struct Change {
  enum class Kind { CreateKey, SetValue, DeleteKey, DeleteValue };
  Root root = Root::LocalMachine;
  std::vector<std::u16string> path;
  Kind kind = Kind::CreateKey;
  std::u16string name;
  DWORD type = 0;
  std::vector<BYTE> data;
  // A write of what this program last saw there: it yields to another
  // program's newer value, but puts the value back where it is missing.
  bool onlyIfMissing = false;
};

// How a registry backed by a file that does not exist yet starts.
struct NewFile {
  std::span<const BYTE> content;  // a .reg file to start from (empty: an empty registry)
  bool createFolder = false;      // the first save creates the file's folder when missing
};

// The merge rule of a save: this program's changes, in their order, on top
// of the file's content. True when that changed `tree`.
bool Replay(const std::vector<Change>& changes, RegTree& tree);

class BackingFile {
 public:
  // Reads the file at `path` into `tree`. A missing file starts as `newFile`
  // says; it (and its folder) are created by the first save of a change. A
  // file that cannot be read or does not parse fails and is not touched.
  // Saves replace the file that a chain of symbolic links at `path` ends at
  // and keep the links. `read` applies to every read of the file.
  static Status Open(const std::filesystem::path& path, FileSystem& fs, const NewFile& newFile,
                     RegTree& tree, std::unique_ptr<BackingFile>& out,
                     const RegReadOptions& read = {});

  // When another program changed the file since this one last read or wrote
  // it, reads it into `tree` and returns true. A removed file leaves `tree`
  // (the next save writes it again); a file that does not parse leaves it
  // too, and is not read again until it changes (ReloadError says why).
  bool ReloadIfChanged(RegTree& tree);

  // Saves `tree`, this program's view, whose `changes` are not on disk yet.
  // `changed`: the changes alter the content (changes that only write what
  // is there need no new file). When another program changed the file
  // meanwhile, `tree` becomes its content with the changes replayed, and
  // `reloaded` is set. On failure the file is left as it was.
  Status Save(RegTree& tree, const std::vector<Change>& changes, bool changed, bool& reloaded);

  const RegFileFormat& Format() const { return format_; }
  // The encoding the file was last read in, for a person ("UTF-8",
  // "Shift_JIS (code page 932, detected)").
  std::string Encoding() const { return DescribeEncoding(format_, codePageChoice_); }
  // "FILE:LINE: warning: ..." when the last read found bytes that are no
  // text in the file's encoding; empty otherwise.
  const std::string& ReadWarning() const { return readWarning_; }
  // The store's path as it was given.
  const std::filesystem::path& Path() const { return path_; }
  // Why the last re-read of a changed file failed (empty if none).
  const std::string& ReloadError() const { return reloadError_; }

 private:
  BackingFile(std::filesystem::path path, FileSystem& fs) : path_(std::move(path)), fs_(fs) {}
  Status SaveLocked(RegTree& tree, const std::vector<Change>& changes, bool changed,
                    bool& reloaded);
  // Takes over what a read of the file gives besides the tree.
  void TookRead(ParsedRegFile& parsed);

  std::filesystem::path path_;
  FileSystem& fs_;
  RegFileFormat format_;
  RegReadOptions read_;
  CodePageChoice codePageChoice_ = CodePageChoice::Default;
  std::string readWarning_;
  FileId knownId_;             // the content the tree is based on
  FileId failedId_;            // a changed file that did not parse (not retried)
  std::string reloadError_;    // why it did not parse
  bool createFolder_ = false;  // see NewFile
  bool behind_ = false;        // the tree holds content the file lacks
  bool backupDone_ = false;
  RegTextCache texts_;  // the sections of the last save, for the next one
};

}  // namespace platform::registry
