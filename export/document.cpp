// The provisioning document, written with pugixml so that names and texts are
// escaped by the library.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <pugixml.hpp>

#include "export/provisioning.h"
#include "platform/registry/regtree.h"
#include "platform/registry/winreg.h"
#include "platform/text/text.h"

// After the platform's types: GLib defines TRUE and FALSE as macros.
#include <glib.h>

namespace provisioning {

namespace {

namespace reg = platform::registry;
namespace text = platform::text;

class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override {
    out_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& out_;
};

// Characters an XML 1.0 document can hold (a surrogate only as half of a
// pair, checked separately).
bool IsXmlChar(char16_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
}

// The REG_SZ text: UTF-16LE up to the first NUL (a lone last byte is no
// character).
std::u16string StoredText(const std::vector<BYTE>& data) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    units.push_back(c);
  }
  return units;
}

std::string Base64(const std::vector<BYTE>& data) {
  std::unique_ptr<gchar, decltype(&g_free)> encoded(g_base64_encode(data.data(), data.size()),
                                                    &g_free);
  return encoded.get();
}

struct Parm {
  const char* datatype;
  std::string value;
};

// The parm of a value; false with `error` set when its text cannot be
// carried by XML.
bool ParmOf(const StoredValue& v, Parm& parm, std::string& error) {
  // A DWORD of 1 to 4 bytes is the number the pages read from it (the bytes
  // are its low-order bytes). The provider takes the signed 32-bit range.
  if (v.type == REG_DWORD && !v.data.empty() && v.data.size() <= 4) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < v.data.size(); ++i) number |= std::uint32_t{v.data[i]} << (8 * i);
    parm = {"integer", std::to_string(static_cast<std::int32_t>(number))};
    return true;
  }
  if (v.type == REG_SZ) {
    const std::u16string units = StoredText(v.data);
    const bool allXml = std::all_of(units.begin(), units.end(), IsXmlChar);
    std::string utf8;
    if (!allXml || !text::EncodeUtf8(units, utf8, true)) {
      error = "the value " + text::ToUtf8(KeyPath(v.root, v.key)) + "\\" + text::ToUtf8(v.name) +
              " holds a character that a provisioning document cannot carry";
      return false;
    }
    parm = {"string", std::move(utf8)};
    return true;
  }
  parm = {"binary", Base64(v.data)};
  return true;
}

}  // namespace

bool BuildDocument(std::span<const StoredValue> values, std::string& document, std::string& error) {
  pugi::xml_document doc;
  pugi::xml_node registry = doc.append_child("wap-provisioningdoc").append_child("characteristic");
  registry.append_attribute("type") = "Registry";

  // One characteristic per key, where the key first appears.
  std::vector<std::pair<std::u16string, pugi::xml_node>> keys;
  for (const StoredValue& v : values) {
    Parm parm;
    if (!ParmOf(v, parm, error)) return false;
    const std::u16string path = KeyPath(v.root, v.key);
    auto it = std::find_if(keys.begin(), keys.end(),
                           [&](const auto& k) { return reg::NamesEqual(k.first, path); });
    if (it == keys.end()) {
      pugi::xml_node key = registry.append_child("characteristic");
      key.append_attribute("type") = text::ToUtf8(path).c_str();
      it = keys.insert(keys.end(), {path, key});
    }
    pugi::xml_node node = it->second.append_child("parm");
    node.append_attribute("name") = text::ToUtf8(v.name).c_str();
    node.append_attribute("value") = parm.value.c_str();
    node.append_attribute("datatype") = parm.datatype;
  }

  document.clear();
  StringWriter writer(document);
  doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  return true;
}

}  // namespace provisioning
