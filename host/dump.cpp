#include "host/dump.h"

#include "host/text.h"

namespace host {

nlohmann::ordered_json DumpJson(const ScreenState& state) {
  using json = nlohmann::ordered_json;
  json j;
  j["screen"] = json::array({state.width, state.height});
  j["tab"] = state.tab ? json(*state.tab) : json(nullptr);
  j["top"] = state.top ? json(*state.top) : json(nullptr);
  j["visible"] = json::array();
  for (const std::string& page : state.visible) j["visible"].push_back(page);
  j["apply"] = state.apply;
  j["cancel"] = state.cancel;
  j["progress"] = {{"visible", state.progress.visible},
                   {"min", state.progress.min},
                   {"max", state.progress.max},
                   {"pos", state.progress.pos}};
  j["controls"] = json::object();
  for (const auto& [name, value] : state.controls) j["controls"][name] = value;
  j["messages"] = json::array();
  for (const ShownMessage& m : state.messages) {
    j["messages"].push_back({{"caption", ToUtf8(m.caption)}, {"text", ToUtf8(m.text)}});
  }
  return j;
}

}  // namespace host
