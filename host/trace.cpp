#include "host/trace.h"

#include <cstdio>

#include "host/text.h"
#include "platform/registry/regtree.h"

namespace host {

std::string RootName(std::uintptr_t root) {
  if (auto known = platform::registry::RootFromHandle(reinterpret_cast<HKEY>(root))) {
    return std::string(platform::registry::RootShortName(*known));
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%jx", static_cast<std::uintmax_t>(root));
  return buf;
}

std::string JsonLine(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void TraceWriter::Write(const nlohmann::ordered_json& line) {
  out_ << JsonLine(line) << '\n';
  out_.flush();
}

namespace {

// The start every registry line shares: operation, root and key.
nlohmann::ordered_json KeyLine(const char* op, std::uintptr_t root, std::u16string_view key) {
  nlohmann::ordered_json j;
  j["op"] = op;
  j["root"] = RootName(root);
  j["key"] = ToUtf8(key);
  return j;
}

}  // namespace

void TraceWriter::Open(bool create, std::uintptr_t root, std::u16string_view key, long rc,
                       std::uint32_t options) {
  nlohmann::ordered_json j = KeyLine(create ? "create" : "open", root, key);
  j["rc"] = rc;
  if (create) j["options"] = options;
  Write(j);
}

void TraceWriter::Query(std::uintptr_t root, std::u16string_view key, std::u16string_view name,
                        std::uint32_t size, long rc, std::span<const std::uint8_t> data) {
  nlohmann::ordered_json j = KeyLine("query", root, key);
  j["name"] = ToUtf8(name);
  j["size"] = size;
  j["rc"] = rc;
  if (rc == 0) j["data"] = HexBytes(data);
  Write(j);
}

void TraceWriter::Set(std::uintptr_t root, std::u16string_view key, std::u16string_view name,
                      std::uint32_t type, std::span<const std::uint8_t> data, long rc) {
  nlohmann::ordered_json j = KeyLine("set", root, key);
  j["name"] = ToUtf8(name);
  j["type"] = type;
  j["data"] = HexBytes(data);
  j["rc"] = rc;
  Write(j);
}

void TraceWriter::Delete(std::uintptr_t root, std::u16string_view key,
                         const std::u16string_view* name, long rc) {
  nlohmann::ordered_json j = KeyLine(name ? "deletevalue" : "deletekey", root, key);
  if (name) j["name"] = ToUtf8(*name);
  j["rc"] = rc;
  Write(j);
}

void TraceWriter::Close(std::uintptr_t root, std::u16string_view key) {
  Write(KeyLine("close", root, key));
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
