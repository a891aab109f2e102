#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "host/options.h"

namespace host {
namespace {

struct Outcome {
  ParsedCommandLine result;
  std::string out;
  std::string err;
};

Outcome Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "RegillaMobile");
  std::ostringstream out;
  std::ostringstream err;
  Outcome run;
  run.result = ParseCommandLine(static_cast<int>(args.size()), args.data(), out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(CommandLine, Defaults) {
  Outcome r = Parse({});
  ASSERT_TRUE(r.result.options);
  const HostOptions& o = *r.result.options;
  EXPECT_FALSE(o.registry);
  EXPECT_EQ(o.screenWidth, 240);
  EXPECT_EQ(o.screenHeight, 320);
  EXPECT_FALSE(o.script);
  EXPECT_FALSE(o.trace);
  EXPECT_FALSE(o.show);
  EXPECT_EQ(o.zoom, std::nullopt);
  EXPECT_FALSE(o.exportPath);
  EXPECT_FALSE(o.importPath);
  EXPECT_EQ(o.codePage, 0u);
}

TEST(CommandLine, ImportWithAStore) {
  Outcome r = Parse({"--registry", "dev.reg", "--import", "device.reg"});
  ASSERT_TRUE(r.result.options) << r.err;
  EXPECT_EQ(r.result.options->registry, std::filesystem::path("dev.reg"));
  EXPECT_EQ(r.result.options->importPath, std::filesystem::path("device.reg"));
}

TEST(CommandLine, AllOptions) {
  Outcome r =
      Parse({"--registry", "dev.reg", "--screen", "320x240", "--script", "-", "--trace", "-",
             "--show", "--zoom", "3", "--export", "out/settings.cab", "--codepage", "1251"});
  ASSERT_TRUE(r.result.options) << r.err;
  const HostOptions& o = *r.result.options;
  EXPECT_EQ(o.registry->string(), "dev.reg");
  EXPECT_EQ(o.screenWidth, 320);
  EXPECT_EQ(o.screenHeight, 240);
  EXPECT_EQ(*o.script, "-");
  EXPECT_EQ(*o.trace, "-");
  EXPECT_TRUE(o.show);
  EXPECT_EQ(o.zoom, 3);
  EXPECT_EQ(o.exportPath, std::filesystem::path("out/settings.cab"));
  EXPECT_EQ(o.codePage, 1251u);
}

TEST(CommandLine, HelpAndVersionExitZero) {
  Outcome help = Parse({"--help"});
  EXPECT_FALSE(help.result.options);
  EXPECT_EQ(help.result.exitStatus, 0);
  for (const char* opt : {"--registry", "--screen", "--script", "--trace", "--show", "--zoom",
                          "--export", "--import", "--codepage"}) {
    EXPECT_NE(help.out.find(opt), std::string::npos) << opt;
  }
  Outcome version = Parse({"--version"});
  EXPECT_FALSE(version.result.options);
  EXPECT_EQ(version.result.exitStatus, 0);
  EXPECT_NE(version.out.find(ProgramVersion()), std::string::npos);
}

TEST(CommandLine, UsageErrorsExitTwoWithAMessage) {
  const std::vector<std::vector<const char*>> bad = {
      {"--screen", "240"},
      {"--screen", "0x320"},
      {"--screen", "240x-1"},
      {"--screen", "axb"},
      {"--screen", "240x320x"},
      {"--screen", "99999x320"},
      {"--zoom", "0"},
      {"--zoom", "two"},
      {"--bogus"},
      {"--registry", ""},
      {"--script", ""},
      {"--trace", ""},
      {"--export", ""},
      {"stray-argument"},
      {"--import", ""},
      {"--import", "a.reg", "--script", "-"},
      {"--import", "a.reg", "--zoom", "2"},
      {"--import", "a.reg", "--export", "s.cab"},
      {"--import", "a.reg", "--screen", "320x240"},
      {"--codepage", "65001"},
      {"--codepage", "1259"},
      {"--codepage", "932x"},
      {"--codepage", ""},
  };
  for (const auto& args : bad) {
    Outcome r = Parse(args);
    EXPECT_FALSE(r.result.options) << args[0];
    EXPECT_EQ(r.result.exitStatus, 2) << args[0];
    EXPECT_FALSE(r.err.empty()) << args[0];
  }
}

}  // namespace
}  // namespace host
