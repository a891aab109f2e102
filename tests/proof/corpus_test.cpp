// The fuzz seeds say what they hold: "bad-*" files must be refused with a
// line number, every other seed must load. A seed that silently changed
// meaning would stop the fuzzer from covering what it was meant to.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry/regfile.h"
#include "tests/proof/proof_util.h"

namespace {

TEST(FuzzCorpus, SeedsAreRefusedOrAcceptedAsTheirNamesSay) {
  int good = 0;
  int bad = 0;
  for (const auto& entry : std::filesystem::directory_iterator(REGILLA_FUZZ_CORPUS)) {
    std::string name = entry.path().filename().string();
    std::vector<BYTE> bytes = proof::ReadBytes(entry.path());
    platform::registry::ParsedRegFile parsed;
    platform::registry::RegFileError error;
    bool ok = platform::registry::ParseRegFile(bytes, parsed, error);
    if (name.rfind("bad-", 0) == 0) {
      ++bad;
      EXPECT_FALSE(ok) << name << " should be refused";
      EXPECT_GE(error.line, 1) << name;
    } else {
      ++good;
      EXPECT_TRUE(ok) << name << ": line " << error.line << ": " << error.message;
    }
  }
  EXPECT_GE(good, 10);
  EXPECT_GE(bad, 10);
}

}  // namespace
