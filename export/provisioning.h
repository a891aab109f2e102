// Settings onto a real device: the values the settings pages write, as the
// store holds them, in the provisioning document a Windows Mobile device's
// configuration manager installs ("_setup.xml"), alone or in a cabinet the
// user taps on the device.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pages/saved_value.h"
#include "platform/registry/regtree.h"
#include "platform/wintypes.h"

namespace provisioning {

// The name of the document inside the cabinet.
inline constexpr const char* kDocumentName = "_setup.xml";

// Every value Apply writes: the settings pages' save sets in tab order.
std::vector<pages::SavedValue> SettingsSaveSet();

// One value of a save set as the store holds it.
struct StoredValue {
  HKEY root = nullptr;
  std::u16string_view key;   // as the page names it: u"\\System\\GWE"
  std::u16string_view name;  // as the page names it
  DWORD type = 0;            // the type the store holds, which may differ from the page's
  std::vector<BYTE> data;
};

// A key's full path as the document names it: its root's short name and its
// path without doubled or leading backslashes, u"HKLM\\System\\GWE". Two
// paths name the same key when they are equal but for ASCII letter case.
std::u16string KeyPath(HKEY root, std::u16string_view key);

// The values of `saveSet` that `tree` holds, in save order, each once (a
// value named again later keeps its first place). Values whose key or name
// the tree lacks are left out.
std::vector<StoredValue> CollectValues(const platform::registry::RegTree& tree,
                                       std::span<const pages::SavedValue> saveSet);

// The provisioning document: one Registry characteristic holding one
// characteristic per key, named with its root ("HKLM\System\GWE"), at the
// key's first place in `values`, with a parm per value in the order of
// `values`. Datatypes: "integer" for REG_DWORD (signed decimal), "string"
// for REG_SZ (the text up to its first NUL), "binary" (base64) for any other
// type. UTF-8 without byte-order mark, XML declaration or DOCTYPE. False,
// with `error` naming the value, when a text holds a character XML cannot
// carry (a control character, an unpaired surrogate, U+FFFE or U+FFFF).
bool BuildDocument(std::span<const StoredValue> values, std::string& document, std::string& error);

// A cabinet holding `document` as "_setup.xml": one uncompressed folder
// (devices do not take compressed provisioning cabinets), the file with the
// archive attribute, dated `when` in local time.
bool BuildCabinet(std::string_view document, std::time_t when, std::vector<BYTE>& cabinet,
                  std::string& error);

enum class Format { Cabinet, Document };
// What a path's ending asks for: ".cab" or ".xml" in any case.
std::optional<Format> FormatOf(const std::filesystem::path& path);

// Writes the settings as the process-wide registry holds them to `path` (a
// cabinet or the document alone, by its ending), atomically: a failed export
// leaves no file, and an existing one as it was. Refused, with a reason in
// `error`: another ending, a path that is the registry's own file, a folder
// that does not exist, changes the registry could not save yet (the export
// describes what is saved). `count` receives the number of values written.
bool ExportSettings(const std::filesystem::path& path, std::string& error,
                    std::size_t* count = nullptr);

}  // namespace provisioning
