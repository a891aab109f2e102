// RegillaMobile: the settings tool on its emulated Pocket PC.
#include <iostream>

#include "host/options.h"
#include "host/program.h"

int main(int argc, char** argv) {
  const host::ParsedCommandLine parsed = host::ParseCommandLine(argc, argv, std::cout, std::cerr);
  if (!parsed.options) return parsed.exitStatus;
  return host::RunProgram(*parsed.options);
}
