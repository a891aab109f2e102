// Runs the RegillaMobile program as a child process for end-to-end tests.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace test {

struct Result {
  int status = -1;  // exit status; -1 when killed by a signal or timed out
  std::string out;
  std::string err;
};

// Extra environment on top of the test's own (value nullopt = unset).
using Env = std::map<std::string, std::optional<std::string>>;

// Runs the program to its end with `input` on standard input.
Result Run(const std::vector<std::string>& args, const std::string& input = {}, const Env& env = {},
           std::chrono::seconds timeout = std::chrono::seconds(60));

// A running program driven through pipes, line by line.
class Interactive {
 public:
  Interactive(const std::vector<std::string>& args, const Env& env = {});
  ~Interactive();
  Interactive(const Interactive&) = delete;
  Interactive& operator=(const Interactive&) = delete;

  void Send(const std::string& line);  // adds the newline
  // The next line of standard output; nullopt after `timeout` or at its end.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
  // Closes standard input and waits for the end.
  Result Finish(std::chrono::seconds timeout = std::chrono::seconds(60));
  int pid() const { return pid_; }

 private:
  int pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::string outBuffer_;
  std::string errBuffer_;
};

}  // namespace test
