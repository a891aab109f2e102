// Fuzz target for the .reg reader and writer. For any input bytes:
// - a refusal names a line within the file and loads nothing;
// - an accepted file is written back, and what was written reads back to the
//   same keys, values and layout, and writes again to the same bytes;
// - a write may only be refused for a name a .reg file cannot hold.
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

using platform::registry::ParsedRegFile;
using platform::registry::RegFileError;
using platform::registry::RegKey;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const BYTE> bytes(data, size);
  ParsedRegFile parsed;
  RegFileError error;
  if (!platform::registry::ParseRegFile(bytes, parsed, error)) {
    Require(error.line >= 1, "refusal without a line number", error.message);
    Require(static_cast<std::size_t>(error.line) <= MaxLines(bytes),
            "refusal names a line past the end of the file", std::to_string(error.line));
    Require(!error.message.empty(), "refusal without a reason");
    Require(parsed.tree == RegTree{}, "a refused file left part of its content loaded");
    return 0;
  }

  std::vector<BYTE> written;
  std::string writeError;
  if (!platform::registry::WriteRegFile(parsed.tree, parsed.format, written, writeError)) {
    // The reader accepts names (unpaired surrogates in UTF-16 files) that the
    // writer refuses; any other refusal is a fault.
    Require(HasUnwritableName(parsed.tree), "an accepted file cannot be written back", writeError);
    Require(!writeError.empty() && written.empty(), "a refused write without a reason");
    return 0;
  }

  ParsedRegFile again;
  Require(platform::registry::ParseRegFile(written, again, error),
          "the writer's output does not read back",
          "line " + std::to_string(error.line) + ": " + error.message);
  Require(again.tree == parsed.tree, "writing and reading back changed the content");
  Require(again.format == parsed.format, "writing and reading back changed the layout");

  std::vector<BYTE> rewritten;
  Require(platform::registry::WriteRegFile(again.tree, again.format, rewritten, writeError),
          "the writer refused its own output", writeError);
  Require(rewritten == written, "writing the same content twice gave different bytes");
  return 0;
}
