// The RegillaMobile program: start-up, the host's hooks, the run, the exit.
#pragma once

#include "host/options.h"

namespace host {

// Exit statuses of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStoreError = 1;   // the store could not be read or saved
inline constexpr int kExitScriptError = 2;  // bad script, options or target; no .reg to import

// Runs the program with parsed options; returns the exit status.
int RunProgram(const HostOptions& options);

// Runs the tool itself (the application object's InitInstance through the
// framework) with whatever input source is installed; returns when it ends.
int RunTool();

}  // namespace host
