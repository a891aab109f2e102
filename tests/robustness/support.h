// Helpers for the robustness tests: temp folders, generated stores, and running a
// piece of work in a child process to see how it ends and what it cost.
#pragma once

#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/wintypes.h"
#include "tests/support/files.h"

namespace test {

// Names of the entries in a folder other than `except`.
std::vector<std::string> FolderEntries(const std::filesystem::path& dir);

struct ChildOutcome {
  int exitCode = -1;  // when it exited
  int signal = 0;     // when a signal ended it
  long peakRssKb = 0;
  double seconds = 0;
  bool timedOut = false;  // killed for running past its time limit
  bool exitedWith(int code) const { return signal == 0 && exitCode == code; }
};

// Runs `work` in a forked child; its result is the exit code.
ChildOutcome RunInChild(const std::function<int()>& work);

// The same in two steps, so several children run at once. Fork only from
// the test's main thread: a child of a threaded process can inherit a lock
// (the allocator's, a sanitizer's) that no thread of its own will release.
struct StartedChild {
  pid_t pid = -1;
  std::chrono::steady_clock::time_point start;
};
StartedChild StartChild(const std::function<int()>& work);
ChildOutcome WaitChild(const StartedChild& child,
                       std::chrono::seconds limit = std::chrono::seconds(200));

// True when this build runs under AddressSanitizer (memory figures are then
// meaningless).
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

}  // namespace test
