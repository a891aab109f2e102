#include "host/trace.h"

#include <cstdio>

#include "host/text.h"

namespace host {

std::string RootName(std::uintptr_t root) {
  switch (root) {
    case 0x80000000u:
      return "HKCR";
    case 0x80000001u:
      return "HKCU";
    case 0x80000002u:
      return "HKLM";
    case 0x80000003u:
      return "HKU";
    default: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "0x%jx", static_cast<std::uintmax_t>(root));
      return buf;
    }
  }
}

std::string JsonLine(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void TraceWriter::Write(const nlohmann::ordered_json& line) {
  out_ << JsonLine(line) << '\n';
  out_.flush();
}

void TraceWriter::Open(bool create, std::uintptr_t root, std::u16string_view key, long rc,
                       std::uint32_t options) {
  nlohmann::ordered_json j;
  j["op"] = create ? "create" : "open";
  j["root"] = RootName(root);
  j["key"] = ToUtf8(key);
  j["rc"] = rc;
  if (create) j["options"] = options;
  Write(j);
}

void TraceWriter::Query(std::uintptr_t root, std::u16string_view key, std::u16string_view name,
                        std::uint32_t size, long rc, std::span<const std::uint8_t> data) {
  nlohmann::ordered_json j;
  j["op"] = "query";
  j["root"] = RootName(root);
  j["key"] = ToUtf8(key);
  j["name"] = ToUtf8(name);
  j["size"] = size;
  j["rc"] = rc;
  if (rc == 0) j["data"] = HexBytes(data);
  Write(j);
}

void TraceWriter::Set(std::uintptr_t root, std::u16string_view key, std::u16string_view name,
                      std::uint32_t type, std::span<const std::uint8_t> data, long rc) {
  nlohmann::ordered_json j;
  j["op"] = "set";
  j["root"] = RootName(root);
  j["key"] = ToUtf8(key);
  j["name"] = ToUtf8(name);
  j["type"] = type;
  j["data"] = HexBytes(data);
  j["rc"] = rc;
  Write(j);
}

void TraceWriter::Close(std::uintptr_t root, std::u16string_view key) {
  nlohmann::ordered_json j;
  j["op"] = "close";
  j["root"] = RootName(root);
  j["key"] = ToUtf8(key);
  Write(j);
}

void TraceWriter::Flush(long rc, std::string_view error) {
  nlohmann::ordered_json j;
  j["op"] = "flush";
  j["rc"] = rc;
  if (rc != 0 && !error.empty()) j["error"] = std::string(error);
  Write(j);
}

void TraceWriter::Sleep(std::uint32_t ms) {
  Write({{"op", "sleep"}, {"ms", ms}});
}

void TraceWriter::Progress(int pos) {
  Write({{"op", "progress"}, {"pos", pos}});
}

void TraceWriter::Show(std::string_view window, bool visible) {
  Write({{"op", "show"}, {"window", std::string(window)}, {"visible", visible}});
}

void TraceWriter::MessageBox(std::u16string_view caption, std::u16string_view text) {
  Write({{"op", "msgbox"}, {"caption", ToUtf8(caption)}, {"text", ToUtf8(text)}});
}

void TraceWriter::Quit() {
  Write({{"op", "quit"}});
}

}  // namespace host
