#include "platform/registry/backing_file.h"

#include <system_error>

namespace platform::registry {

bool Replay(const std::vector<Change>& changes, RegTree& tree) {
  bool any = false;
  for (const Change& c : changes) {
    switch (c.kind) {
      case Change::Kind::CreateKey:
      case Change::Kind::SetValue: {
        bool created = false;
        RegKey& key = tree.Create(c.root, c.path, &created);
        any = any || created;
        if (c.kind != Change::Kind::SetValue || (c.onlyIfMissing && key.FindValue(c.name))) break;
        any = key.SetValue(c.name, c.type, c.data) || any;
        break;
      }
      case Change::Kind::DeleteKey: {
        if (c.path.empty()) break;
        const std::vector<std::u16string> parent(c.path.begin(), c.path.end() - 1);
        if (RegKey* p = tree.Find(c.root, parent)) any = p->DeleteSubkey(c.path.back()) || any;
        break;
      }
      case Change::Kind::DeleteValue:
        if (RegKey* key = tree.Find(c.root, c.path)) any = key->DeleteValue(c.name) || any;
        break;
    }
  }
  return any;
}

void BackingFile::TookRead(ParsedRegFile& parsed) {
  format_ = parsed.format;
  codePageChoice_ = parsed.codePageChoice;
  readWarning_ = std::move(parsed.warning);
  texts_.lines = std::move(parsed.lines);
}

Status BackingFile::Open(const std::filesystem::path& path, FileSystem& fs, const NewFile& newFile,
                         RegTree& tree, std::unique_ptr<BackingFile>& out,
                         const RegReadOptions& read) {
  FileId id;
  if (Status s = fs.Stat(path, id); !s.ok()) {
    return s.WithContext(path.string() + ": cannot access the file");
  }
  std::unique_ptr<BackingFile> file(new BackingFile(FollowLinks(path), fs));
  file->read_ = read;
  ParsedRegFile parsed;
  if (id.exists) {
    std::vector<BYTE> bytes;
    if (Status s = fs.ReadAll(path, bytes, id); !s.ok()) {
      return s.WithContext(path.string() + ": cannot read the file");
    }
    if (Status s = ParseRegFile(bytes, path.string(), parsed, read); !s.ok()) return s;
    file->knownId_ = id;
  } else {
    file->createFolder_ = newFile.createFolder;
    if (newFile.content.empty()) {
      out = std::move(file);
      return {};
    }
    if (Status s = ParseRegFile(newFile.content, path.string(), parsed, read); !s.ok()) {
      return s.WithContext("the content of a new file");
    }
  }
  tree = std::move(parsed.tree);
  file->TookRead(parsed);
  out = std::move(file);
  return {};
}

bool BackingFile::ReloadIfChanged(RegTree& tree) {
  FileId id;
  if (!fs_.Stat(path_, id).ok()) return false;
  if (id == knownId_ || (failedId_.exists && id == failedId_)) return false;
  if (!id.exists) {
    knownId_ = id;
    return false;
  }
  std::vector<BYTE> bytes;
  if (!fs_.ReadAll(path_, bytes, id).ok()) return false;
  ParsedRegFile parsed;
  if (Status s = ParseRegFile(bytes, path_.string(), parsed, read_); !s.ok()) {
    failedId_ = id;
    reloadError_ = s.message();
    return false;
  }
  tree = std::move(parsed.tree);
  TookRead(parsed);
  knownId_ = id;
  reloadError_.clear();
  return true;
}

Status BackingFile::Save(RegTree& tree, const std::vector<Change>& changes, bool changed,
                         bool& reloaded) {
  reloaded = false;
  Status s;
  if (createFolder_ && path_.has_parent_path()) {
    std::error_code ec;
    std::filesystem::create_directories(path_.parent_path(), ec);
    if (ec)
      s = Status::PosixError("cannot create the folder " + path_.parent_path().string(),
                             ec.value());
  }
  std::unique_ptr<FileLock> lock;
  std::filesystem::path lockPath = path_;
  lockPath += ".lock";
  if (s.ok() && !(s = fs_.Lock(lockPath, lock)).ok()) {
    s = s.WithContext("cannot lock " + lockPath.string());
  }
  if (s.ok()) s = SaveLocked(tree, changes, changed, reloaded);
  if (s.ok()) return s;
  return s.WithMessage("cannot save the registry to " + path_.string() + ": " + s.message() +
                       " (the file was left as it was; the changes are kept)");
}

Status BackingFile::SaveLocked(RegTree& tree, const std::vector<Change>& changes, bool changed,
                               bool& reloaded) {
  // A save killed before its rename leaves its temp file; the next save
  // clears it away.
  RemoveStaleTempFiles(fs_, path_);

  FileId current;
  if (Status s = fs_.Stat(path_, current); !s.ok()) return s.WithContext("cannot access the file");
  std::vector<BYTE> previous;
  bool havePrevious = false;
  if (!(current == knownId_)) {
    if (current.exists) {
      // Another program changed the file: start from its content and put
      // this program's changes on top.
      if (Status s = fs_.ReadAll(path_, previous, current); !s.ok()) {
        return s.WithContext("cannot read the file");
      }
      havePrevious = true;
      ParsedRegFile parsed;
      if (Status s = ParseRegFile(previous, path_.string(), parsed, read_); !s.ok()) {
        return s.WithContext("it was changed by another program and no longer reads");
      }
      const bool any = Replay(changes, parsed.tree);
      tree = std::move(parsed.tree);
      TookRead(parsed);
      knownId_ = current;
      reloaded = true;
      if (!any) {
        behind_ = false;
        return {};
      }
    }
    // A removed file is written again from this program's whole view.
    knownId_ = current;
    behind_ = true;
  } else if (!changed && !behind_) {
    return {};
  }

  std::vector<BYTE> bytes;
  bytes.reserve(current.size + current.size / 8 + 4096);  // the new file is about as long
  if (Status s = WriteRegFile(tree, format_, bytes, &texts_); !s.ok()) return s;

  unsigned mode = 0644;
  if (current.exists) fs_.Mode(path_, mode).IgnoreError();
  if (!backupDone_ && current.exists) {
    if (!havePrevious) {
      FileId readId;
      if (Status s = fs_.ReadAll(path_, previous, readId); !s.ok()) {
        return s.WithContext("cannot read the file for its backup");
      }
    }
    std::filesystem::path bak = path_;
    bak += ".bak";
    if (Status s = WriteFileAtomically(fs_, bak, previous, mode, nullptr); !s.ok()) {
      return s.WithContext("cannot keep the backup " + bak.string());
    }
    backupDone_ = true;
  }

  FileId written;
  if (Status s = WriteFileAtomically(fs_, path_, bytes, mode, &written); !s.ok()) {
    if (written.exists) {
      // The new file is in place, but its folder may not be on disk yet:
      // the next save does not take it as saved, it reads it back and puts
      // the pending changes on top again.
      knownId_ = FileId{};
      knownId_.inode = ~0ull;
    }
    return s;
  }
  knownId_ = written;
  behind_ = false;
  return {};
}

}  // namespace platform::registry
