#include "host/options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <ostream>
#include <string_view>

#include "platform/text/codepage.h"

namespace host {

namespace {

constexpr int kUsageError = 2;
constexpr int kMaxScreenSide = 4096;

bool ParseSide(std::string_view text, int& value) {
  if (text.empty()) return false;
  const auto* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value > 0 && value <= kMaxScreenSide;
}

// "WxH" -> width and height; empty string when valid, else the reason.
std::string ParseScreen(const std::string& text, int& width, int& height) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos || !ParseSide(std::string_view(text).substr(0, x), width) ||
      !ParseSide(std::string_view(text).substr(x + 1), height)) {
    return "expected WIDTHxHEIGHT with sides from 1 to " + std::to_string(kMaxScreenSide) +
           ", got \"" + text + "\"";
  }
  return {};
}

}  // namespace

const char* ProgramVersion() {
  return REGILLA_VERSION;
}

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err) {
  HostOptions options;
  std::optional<std::string> registry;
  std::optional<std::string> exportPath;
  std::optional<std::string> importPath;
  std::string screen = "240x320";

  CLI::App app{
      "RegillaMobile: the Windows Mobile 5 settings tool on an emulated 240x320 Pocket PC "
      "screen.\nWithout --script it opens the device window; with --script it runs headless.",
      "RegillaMobile"};
  app.set_version_flag("--version", std::string("RegillaMobile ") + REGILLA_VERSION,
                       "Print the version and exit");
  app.add_option("--registry", registry,
                 "The .reg file that holds the device registry (default: "
                 "$XDG_DATA_HOME/RegillaMobile/registry.reg)")
      ->type_name("PATH");
  CLI::Option* screenOption = app.add_option("--screen", screen, "Size of the emulated screen")
                                  ->type_name("WxH")
                                  ->default_str("240x320")
                                  ->check(CLI::Validator(
                                      [](std::string& value) {
                                        int w = 0;
                                        int h = 0;
                                        return ParseScreen(value, w, h);
                                      },
                                      ""));
  CLI::Option* scriptOption =
      app.add_option("--script", options.script,
                     "Run headless, driven by this script file (- = standard input)")
          ->type_name("PATH");
  CLI::Option* traceOption =
      app.add_option("--trace", options.trace,
                     "Write a JSON line per registry call and platform event (- = standard error)")
          ->type_name("PATH");
  CLI::Option* showOption =
      app.add_flag("--show", options.show, "Show the device window also during a script run");
  CLI::Option* zoomOption =
      app.add_option("--zoom", options.zoom,
                     "Scale of the device window, 1 to 8 (default: 2, or 1 where that does not fit "
                     "the screen; a zoom that does not fit is reduced)")
          ->type_name("N")
          ->check(CLI::Range(1, 8).description(""));
  app.add_option("--codepage", options.codePage,
                 "Code page of a REGEDIT4 store that is not UTF-8: 932, 936, 949, 950, "
                 "1250-1258 or 874 (default: detected, else 932)")
      ->type_name("N")
      ->check(CLI::Validator(
          [](std::string& value) {
            unsigned n = 0;
            const char* end = value.data() + value.size();
            const auto [ptr, ec] = std::from_chars(value.data(), end, n);
            if (ec == std::errc() && ptr == end && platform::text::IsCodePage(n)) return "";
            return "not a code page of 932, 936, 949, 950, 1250-1258, 874";
          },
          ""));
  CLI::Option* exportOption =
      app.add_option(
             "--export", exportPath,
             "Write the settings as the store holds them (after the script, if any) to a "
             "provisioning file for the device: PATH.cab a cabinet to install, PATH.xml the "
             "document alone; without --script no window opens")
          ->type_name("PATH");
  app.add_option("--import", importPath,
                 "Merge a .reg file (a device's or regedit's) into the store the way regedit "
                 "imports it: keys and values added or replaced, deletions carried out, every "
                 "line regedit skips listed as FILE:LINE: skipped: reason; then save the store "
                 "and end (status 2 when FILE is no .reg file). FILE is not changed")
      ->type_name("FILE");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForVersion&) {
    out << "RegillaMobile " << REGILLA_VERSION << '\n';
    return {std::nullopt, 0};
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return {std::nullopt, status == 0 ? 0 : kUsageError};
  }

  if (registry) {
    if (registry->empty()) {
      err << "--registry: a path is required\n";
      return {std::nullopt, kUsageError};
    }
    options.registry = std::filesystem::path(*registry);
  }
  if (exportPath) {
    if (exportPath->empty()) {
      err << "--export: a path is required\n";
      return {std::nullopt, kUsageError};
    }
    options.exportPath = std::filesystem::path(*exportPath);
  }
  if (importPath) {
    if (importPath->empty()) {
      err << "--import: a path is required\n";
      return {std::nullopt, kUsageError};
    }
    // An import runs nothing else: it merges, saves and ends.
    for (const CLI::Option* other :
         {screenOption, scriptOption, traceOption, showOption, zoomOption, exportOption}) {
      if (other->count() > 0) {
        err << "--import cannot be combined with " << other->get_name() << '\n';
        return {std::nullopt, kUsageError};
      }
    }
    options.importPath = std::filesystem::path(*importPath);
  }
  ParseScreen(screen, options.screenWidth, options.screenHeight);
  if (options.script && options.script->empty()) {
    err << "--script: a path is required (- for standard input)\n";
    return {std::nullopt, kUsageError};
  }
  if (options.trace && options.trace->empty()) {
    err << "--trace: a path is required (- for standard error)\n";
    return {std::nullopt, kUsageError};
  }
  return {options, 0};
}

}  // namespace host
