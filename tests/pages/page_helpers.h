// Small helpers shared by the page tests.
#pragma once

#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/support/device.h"

namespace test {

using namespace res;  // the control ids

using test::Device;
using test::Step;

// Steps that press Apply and dismiss its closing message.
inline std::vector<Step> ApplySteps(Device& d) {
  return {[&d] { d.Click("main", IDC_APPLY); }, [&d] { d.PressMessageOk(); }};
}

// `first`, then Apply.
inline std::vector<Step> ThenApply(Device& d, std::vector<Step> first) {
  for (Step& s : ApplySteps(d)) first.push_back(std::move(s));
  return first;
}

// The registry calls recorded so far that concern `key` (by substring).
inline std::vector<std::string> CallsOn(const Device& d, const std::string& key) {
  std::vector<std::string> out;
  for (const std::string& c : d.Calls()) {
    if (c.find(key) != std::string::npos) out.push_back(c);
  }
  return out;
}

inline bool HasSet(const Device& d, const std::string& key, const std::string& name) {
  for (const std::string& c : d.Calls()) {
    if (c.starts_with("set ") && c.find(key) != std::string::npos && c.ends_with(" " + name)) {
      return true;
    }
  }
  return false;
}

}  // namespace test
