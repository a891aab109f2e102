// The fuzz seeds say what they hold: "bad-*" files must be refused with a
// line number, every other seed must load. A seed that silently changed
// meaning would stop the fuzzer from covering what it was meant to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/registry/regfile.h"
#include "tests/robustness/support.h"

namespace {

TEST(FuzzCorpus, SeedsAreRefusedOrAcceptedAsTheirNamesSay) {
  int good = 0;
  int bad = 0;
  for (const auto& entry : std::filesystem::directory_iterator(REGILLA_FUZZ_CORPUS)) {
    std::string name = entry.path().filename().string();
    std::vector<BYTE> bytes = test::ReadBytes(entry.path());
    platform::registry::ParsedRegFile parsed;
    const platform::Status status = platform::registry::ParseRegFile(bytes, name, parsed);
    if (name.rfind("bad-", 0) == 0) {
      ++bad;
      EXPECT_FALSE(status.ok()) << name << " should be refused";
      // NAME:LINE: reason
      const std::string& message = status.message();
      EXPECT_EQ(message.rfind(name + ":", 0), 0u) << message;
      EXPECT_GE(std::atoi(message.c_str() + std::min(message.size(), name.size() + 1)), 1)
          << message;
    } else {
      ++good;
      EXPECT_TRUE(status.ok()) << status;
    }
  }
  EXPECT_GE(good, 10);
  EXPECT_GE(bad, 10);
}

}  // namespace
