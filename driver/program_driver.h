// Drives a child process the way the tool is scripted: commands on its
// standard input (`--script -`), its output lines on standard output, its
// registry trace on standard error (`--trace -`). The child is either the
// program or a forked function that behaves like it.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace driver {

using Clock = std::chrono::steady_clock;

struct Child {
  pid_t pid = -1;
  int in = -1;   // its standard input
  int out = -1;  // its standard output
  int err = -1;  // its standard error
  std::string outBuf, errBuf;
  Clock::time_point started;
};

// Starts `argv` (argv[0] is the program) with pipes on 0, 1 and 2; extra
// environment variables as NAME=VALUE.
Child StartProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
// Forks a child running `main` with pipes on 0, 1 and 2.
Child StartFunction(const std::function<int()>& main);

// Writes all of `text` (a dead child is ignored: its traces tell).
void Send(Child& c, const std::string& text);
// Closes its standard input (the script ends).
void EndInput(Child& c);

enum class Event { None, OutLine, Sleep, Flushed, FlushFailed, MessageBox, Exited };

// Reads the child's lines until `deadline` and reports the next one that
// matters: an output line, or a trace line for a pause, a save or a message
// box.
class Reader {
 public:
  explicit Reader(Child& child) : c_(child) {}
  Event Next(Clock::time_point deadline);
  // Waits for the given event; false at the deadline, at exit, or (unless
  // it is the one awaited) on a failed save.
  bool WaitFor(Event wanted, Clock::time_point deadline);
  const std::string& lastLine() const { return last_; }

 private:
  Child& c_;
  std::string last_;
};

// Script lines that change the controls of the given settings pages (1 to
// 5), as found in a dump of the tool: check boxes are toggled in round 1
// only (so from then on the page differs from the loaded one for good),
// drop-down lists take entry `round % 2`, up-downs move up on odd rounds and
// down on even ones. Each page's tab is selected first.
std::string ChangeScript(const nlohmann::json& dump, std::initializer_list<int> pages, int round);

// The state of one settings page's controls in a dump.
nlohmann::json PageControls(const nlohmann::json& dump, int page);

struct Exit {
  int status = 0;
  struct rusage usage {};
};
// SIGKILL, then reap.
Exit Kill(Child& c);
// Waits for the child to end by itself.
Exit Wait(Child& c);

// A plausible store of about `bytes` bytes: keys of ten values each (numbers,
// strings, binary data wrapped over continuation lines).
std::string GenerateStore(std::size_t bytes);

}  // namespace driver
