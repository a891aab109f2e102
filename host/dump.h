// The `dump` command's JSON: the screen as a script sees it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace host {

struct ShownMessage {
  std::u16string caption;
  std::u16string text;
};

struct ScreenState {
  int width = 0;
  int height = 0;
  std::optional<int> tab;          // selected tab index; none without tabs
  std::optional<std::string> top;  // page on top among the visible ones
  std::vector<std::string> visible;
  bool apply = false;
  bool cancel = false;
  struct {
    bool visible = false;
    int min = 0;
    int max = 0;
    int pos = 0;
  } progress;
  // "CSet1:1009" -> {"checked":true} etc., in page and template order.
  std::vector<std::pair<std::string, nlohmann::ordered_json>> controls;
  std::vector<ShownMessage> messages;
};

nlohmann::ordered_json DumpJson(const ScreenState& state);

}  // namespace host
