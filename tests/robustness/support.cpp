#include "tests/robustness/support.h"

#include <malloc.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <thread>

namespace test {

std::vector<std::string> FolderEntries(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.push_back(e.path().filename().string());
  }
  return names;
}

StartedChild StartChild(const std::function<int()>& work) {
  std::fflush(nullptr);
  // The child's peak counts the parent's resident pages: give back what
  // earlier work left cached in the heap.
  ::malloc_trim(0);
  StartedChild child;
  child.start = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    int code = 120;
    try {
      code = work();
    } catch (...) {
      code = 121;
    }
    std::fflush(nullptr);
    ::_exit(code);
  }
  child.pid = pid;
  return child;
}

ChildOutcome WaitChild(const StartedChild& child, std::chrono::seconds limit) {
  ChildOutcome outcome;
  if (child.pid < 0) return outcome;
  int status = 0;
  struct rusage usage {};
  // A child that hangs is killed, so the test fails with a reason instead
  // of running into the test runner's time limit.
  auto deadline = child.start + limit;
  for (;;) {
    pid_t done = ::wait4(child.pid, &status, WNOHANG, &usage);
    if (done == child.pid) break;
    if (done < 0 && errno != EINTR) return outcome;
    if (std::chrono::steady_clock::now() > deadline && !outcome.timedOut) {
      outcome.timedOut = true;
      ::kill(child.pid, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  outcome.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - child.start).count();
  outcome.peakRssKb = usage.ru_maxrss;
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  return outcome;
}

}  // namespace test

namespace test {
ChildOutcome RunInChild(const std::function<int()>& work) {
  return WaitChild(StartChild(work));
}
}  // namespace test
