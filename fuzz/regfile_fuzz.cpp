// Fuzz target for the .reg reader and writer. For any input bytes:
// - a refusal names a line within the file and loads nothing;
// - an accepted file is written back, and what was written reads back to the
//   same keys, values and layout, and writes again to the same bytes;
// - a write may only be refused for a name a .reg file cannot hold, or for
//   text an 8-bit file's code page cannot hold exactly;
// - an 8-bit REGEDIT4 file (read with the code page it was read in) keeps
//   each value's lines, and differs after a write only in the terminator
//   regedit adds to a string; one that turned into valid UTF-8 is read as
//   UTF-8 and only has to read back;
// - the import's reader refuses only what the store's reader refuses on its
//   first line or in the text's encoding, with the same message; it skips
//   lines inside the file (the store reader's failing line among them), and
//   where the store's reader accepts the file, it skips nothing and its
//   edits, carried out on an empty registry, give the same content.
// Any broken promise aborts, so that libFuzzer (or the replay driver) keeps
// the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/registry/regfile.h"
#include "platform/registry/regtree.h"

namespace {

using platform::Status;
using platform::registry::ParsedRegFile;
using platform::registry::RegFileEdit;
using platform::registry::RegFileImport;
using platform::registry::RegKey;
using platform::registry::RegReadOptions;
using platform::registry::RegTextCache;
using platform::registry::RegTree;

void Require(bool ok, const char* what, const std::string& detail = {}) {
  if (ok) return;
  std::fprintf(stderr, "regfile_fuzz: broken promise: %s%s%s\n", what, detail.empty() ? "" : ": ",
               detail.c_str());
  std::abort();
}

// Upper bound of the number of lines: every line end is a CR or LF byte in
// either encoding.
std::size_t MaxLines(std::span<const BYTE> bytes) {
  std::size_t n = 1;
  for (BYTE b : bytes) n += (b == '\n' || b == '\r') ? 1 : 0;
  return n;
}

bool HasUnwritableName(const RegKey& key) {
  for (const auto& v : key.Values()) {
    if (!platform::registry::IsWritableName(v.name)) return true;
  }
  for (const auto& [folded, child] : key.Subkeys()) {
    if (!platform::registry::IsWritableName(child->Name()) || HasUnwritableName(*child)) {
      return true;
    }
  }
  return false;
}

bool HasUnwritableName(const RegTree& tree) {
  for (const RegKey& root : tree.roots) {
    if (HasUnwritableName(root)) return true;
  }
  return false;
}

// The line a refusal "input:LINE: reason" names.
std::size_t RefusedLine(const std::string& message) {
  return std::stoul(message.substr(6, message.find(':', 6) - 6));
}

// The edits carried out on an empty tree the way an import does.
RegTree Carry(const std::vector<RegFileEdit>& edits) {
  RegTree tree;
  RegKey* key = nullptr;
  for (const RegFileEdit& e : edits) {
    switch (e.kind) {
      case RegFileEdit::Kind::CreateKey:
        key = &tree.Create(e.root, e.path);
        break;
      case RegFileEdit::Kind::DeleteKey: {
        key = nullptr;
        Require(!e.path.empty(), "an edit deletes a root key");
        const std::vector<std::u16string> parent(e.path.begin(), e.path.end() - 1);
        if (RegKey* p = tree.Find(e.root, parent)) p->DeleteSubkey(e.path.back());
        break;
      }
      case RegFileEdit::Kind::SetValue:
        Require(key != nullptr, "a value edit without a key");
        key->SetValue(e.name, e.type, e.data);
        break;
      case RegFileEdit::Kind::DeleteValue:
        Require(key != nullptr, "a value edit without a key");
        key->DeleteValue(e.name);
        break;
    }
  }
  return tree;
}

// Checks the import's reading of the input against the store's.
void CheckImport(std::span<const BYTE> bytes, const ParsedRegFile& parsed, const Status& read) {
  RegFileImport import;
  const Status imported = platform::registry::ReadRegFileEdits(bytes, "input", import);
  if (!imported.ok()) {
    Require(!read.ok() && imported.message() == read.message(),
            "the import refuses what the store's reader does not", imported.message());
    Require(import.edits.empty() && import.skipped.empty(), "a refused import left edits");
    return;
  }
  const std::size_t lines = MaxLines(bytes);
  std::size_t previous = 1;
  for (const auto& s : import.skipped) {
    Require(s.line > previous && s.line <= lines, "a skipped line out of order or outside the file",
            std::to_string(s.line));
    Require(!s.reason.empty(), "a skipped line without a reason");
    previous = s.line;
  }
  for (const RegFileEdit& e : import.edits) {
    Require(e.line >= 2 && e.line <= lines, "an edit outside the file", std::to_string(e.line));
  }
  if (!read.ok()) {
    const std::size_t failed = RefusedLine(read.message());
    Require(failed >= 2, "the import accepts a file whose first line is refused", read.message());
    bool listed = false;
    for (const auto& s : import.skipped) listed = listed || s.line == failed;
    Require(listed, "the import does not skip the line the store refuses", read.message());
    return;
  }
  Require(import.skipped.empty(), "the import skips a line of a file the store reads",
          import.skipped.empty() ? std::string() : import.skipped.front().reason);
  Require(import.format == parsed.format, "the import reads another layout");
  Require(Carry(import.edits) == parsed.tree, "the import's edits give other content");
}

// An 8-bit file writes a string without terminator as "text", which reads
// back with one: the same string to regedit.
void Terminate(RegKey& key) {
  for (const auto& v : std::vector(key.Values())) {
    if (v.type == 1 && !v.data.empty() && v.data.size() % 2 == 0 &&
        (v.data[v.data.size() - 1] != 0 || v.data[v.data.size() - 2] != 0)) {
      std::vector<BYTE> data = v.data;
      data.push_back(0);
      data.push_back(0);
      key.SetValue(v.name, v.type, std::move(data));
    }
  }
  for (const auto& [folded, child] : key.Subkeys()) Terminate(*child);
}

RegTree Terminated(const RegTree& tree) {
  RegTree copy;
  for (std::size_t i = 0; i < tree.roots.size(); ++i) {
    copy.roots[i] = RegKey(tree.roots[i]);
    Terminate(copy.roots[i]);
  }
  return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const BYTE> bytes(data, size);
  ParsedRegFile parsed;
  const Status read = platform::registry::ParseRegFile(bytes, "input", parsed);
  CheckImport(bytes, parsed, read);
  if (!read.ok()) {
    // "input:LINE: reason"
    const std::string& message = read.message();
    std::size_t digits = message.rfind("input:", 0) == 0
                             ? message.find_first_not_of("0123456789", 6)
                             : std::string::npos;
    Require(read.code() == Status::Code::Corrupt, "a refusal that is not a Corrupt status",
            message);
    Require(digits != std::string::npos && digits > 6 && message.compare(digits, 2, ": ") == 0,
            "refusal without a line number", message);
    const std::size_t line = std::stoul(message.substr(6, digits - 6));
    Require(line >= 1 && line <= MaxLines(bytes), "refusal names a line outside the file", message);
    Require(message.size() > digits + 2, "refusal without a reason");
    Require(parsed.tree == RegTree{}, "a refused file left part of its content loaded");
    return 0;
  }

  const bool eightBit = platform::registry::IsEightBitRegedit4(parsed.format);
  RegTextCache cache;
  cache.lines = parsed.lines;
  std::vector<BYTE> written;
  if (const Status s =
          platform::registry::WriteRegFile(parsed.tree, parsed.format, written, &cache);
      !s.ok()) {
    // The reader accepts names (unpaired surrogates in UTF-16 files) that the
    // writer refuses, and a code page may not give back every character it
    // read; any other refusal is a fault.
    Require(HasUnwritableName(parsed.tree) ||
                (eightBit && s.message().find("cannot hold") != std::string::npos),
            "an accepted file cannot be written back", s.message());
    Require(!s.message().empty() && written.empty(), "a refused write without a reason");
    return 0;
  }

  RegReadOptions sameCodePage;
  sameCodePage.codePage = parsed.format.codePage;
  ParsedRegFile again;
  const Status reread = platform::registry::ParseRegFile(written, "written", again, sameCodePage);
  Require(reread.ok(), "the writer's output does not read back", reread.message());
  if (again.format.encoding != parsed.format.encoding) {
    // Only an 8-bit file whose other bytes went (comments) turns into UTF-8.
    Require(eightBit && again.format.encoding == platform::registry::TextEncoding::Utf8,
            "writing and reading back changed the encoding");
    return 0;
  }
  if (eightBit) {
    Require(Terminated(again.tree) == Terminated(parsed.tree),
            "writing and reading back changed the content");
  } else {
    Require(again.tree == parsed.tree, "writing and reading back changed the content");
  }
  Require(again.format == parsed.format, "writing and reading back changed the layout");

  RegTextCache againCache;
  againCache.lines = again.lines;
  std::vector<BYTE> rewritten;
  const Status rewrite =
      platform::registry::WriteRegFile(again.tree, again.format, rewritten, &againCache);
  Require(rewrite.ok(), "the writer refused its own output", rewrite.message());
  Require(rewritten == written, "writing the same content twice gave different bytes");
  return 0;
}
