#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace test {

namespace {

struct Pipes {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
};

int Spawn(const std::vector<std::string>& args, const Env& env, Pipes& p) {
  if (pipe(p.in) != 0 || pipe(p.out) != 0 || pipe(p.err) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> argv = {REGILLA_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(p.in[0], 0);
    dup2(p.out[1], 1);
    dup2(p.err[1], 2);
    for (int fd : {p.in[0], p.in[1], p.out[0], p.out[1], p.err[0], p.err[1]}) close(fd);
    for (const auto& [name, value] : env) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    execv(cargv[0], cargv.data());
    _exit(127);
  }
  close(p.in[0]);
  close(p.out[1]);
  close(p.err[1]);
  return pid;
}

// Reads what is available from `fd` into `buffer`; false at end of file.
bool Drain(int fd, std::string& buffer) {
  char chunk[4096];
  const ssize_t n = read(fd, chunk, sizeof chunk);
  if (n > 0) {
    buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
  }
  return n < 0 && (errno == EINTR || errno == EAGAIN);
}

int WaitStatus(int pid, std::chrono::steady_clock::time_point deadline) {
  int status = 0;
  while (true) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(2000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Pumps stdout and stderr until both end or the deadline passes.
void Collect(int out, int err, std::string& outBuf, std::string& errBuf,
             std::chrono::steady_clock::time_point deadline) {
  bool outOpen = out >= 0;
  bool errOpen = err >= 0;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outOpen ? out : -1, POLLIN, 0}, {errOpen ? err : -1, POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    if (outOpen && (fds[0].revents & (POLLIN | POLLHUP)) != 0) outOpen = Drain(out, outBuf);
    if (errOpen && (fds[1].revents & (POLLIN | POLLHUP)) != 0) errOpen = Drain(err, errBuf);
  }
}

}  // namespace

Result Run(const std::vector<std::string>& args, const std::string& input, const Env& env,
           std::chrono::seconds timeout) {
  Interactive child(args, env);
  if (!input.empty()) {
    std::string text = input;
    if (text.back() == '\n') text.pop_back();
    child.Send(text);
  }
  return child.Finish(timeout);
}

Interactive::Interactive(const std::vector<std::string>& args, const Env& env) {
  Pipes p;
  signal(SIGPIPE, SIG_IGN);
  pid_ = Spawn(args, env, p);
  in_ = p.in[1];
  out_ = p.out[0];
  err_ = p.err[0];
}

Interactive::~Interactive() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  for (int fd : {in_, out_, err_}) {
    if (fd >= 0) close(fd);
  }
}

void Interactive::Send(const std::string& line) {
  const std::string text = line + "\n";
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(in_, text.data() + done, text.size() - done);
    if (n <= 0) {
      if (errno == EINTR) continue;
      return;  // the program has ended; Finish reports how
    }
    done += static_cast<std::size_t>(n);
  }
}

std::optional<std::string> Interactive::ReadLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    const auto nl = outBuffer_.find('\n');
    if (nl != std::string::npos) {
      std::string line = outBuffer_.substr(0, nl);
      outBuffer_.erase(0, nl + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || out_ < 0) return std::nullopt;
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (poll(fds, err_ >= 0 ? 2 : 1, static_cast<int>(left.count())) <= 0) continue;
    if ((fds[1].revents & (POLLIN | POLLHUP)) != 0 && !Drain(err_, errBuffer_)) {
      close(err_);
      err_ = -1;
    }
    if ((fds[0].revents & (POLLIN | POLLHUP)) != 0 && !Drain(out_, outBuffer_)) {
      close(out_);
      out_ = -1;
    }
  }
}

Result Interactive::Finish(std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  if (in_ >= 0) {
    close(in_);
    in_ = -1;
  }
  Collect(out_, err_, outBuffer_, errBuffer_, deadline);
  Result r;
  r.status = WaitStatus(pid_, deadline);
  pid_ = -1;
  r.out = outBuffer_;
  r.err = errBuffer_;
  return r;
}

}  // namespace test
