// Command-line options of the RegillaMobile program.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace host {

struct HostOptions {
  std::optional<std::filesystem::path> registry;  // --registry; default store when absent
  int screenWidth = 240;                          // --screen WxH
  int screenHeight = 320;
  std::optional<std::string> script;  // --script; "-" = standard input
  std::optional<std::string> trace;   // --trace; "-" = standard error
  bool show = false;                  // --show: device window also during a script run
  std::optional<int> zoom;            // --zoom; none: the largest up to 2 that fits
  std::optional<std::filesystem::path> exportPath;  // --export: .cab or .xml
  std::optional<std::filesystem::path> importPath;  // --import: a .reg file to merge, then end
  unsigned codePage = 0;  // --codepage: of an 8-bit REGEDIT4 store; 0 = detect
};

// Result of reading the command line: either options to run with, or an exit
// status (0 after --help / --version, 2 after a usage error, message printed).
struct ParsedCommandLine {
  std::optional<HostOptions> options;
  int exitStatus = 0;
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err);

// The program's version, as --version prints it.
const char* ProgramVersion();

}  // namespace host
