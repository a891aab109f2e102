#include "driver/program_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace driver {

namespace {

struct Pipes {
  int in[2], out[2], err[2];
};

Pipes MakePipes() {
  Pipes p{};
  // Close-on-exec, so a program started meanwhile from another thread does
  // not inherit these ends and keep them open.
  if (::pipe2(p.in, O_CLOEXEC) || ::pipe2(p.out, O_CLOEXEC) || ::pipe2(p.err, O_CLOEXEC)) {
    std::perror("pipe");
    std::exit(2);
  }
  ::signal(SIGPIPE, SIG_IGN);
  std::fflush(nullptr);
  return p;
}

void InChild(const Pipes& p) {
  ::dup2(p.in[0], 0);
  ::dup2(p.out[1], 1);
  ::dup2(p.err[1], 2);
  for (int fd : {p.in[0], p.in[1], p.out[0], p.out[1], p.err[0], p.err[1]}) ::close(fd);
}

Child InParent(const Pipes& p, pid_t pid, Clock::time_point started) {
  ::close(p.in[0]);
  ::close(p.out[1]);
  ::close(p.err[1]);
  Child c;
  c.pid = pid;
  c.in = p.in[1];
  c.out = p.out[0];
  c.err = p.err[0];
  c.started = started;
  return c;
}

void CloseAll(Child& c) {
  for (int* fd : {&c.in, &c.out, &c.err}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

Exit Reap(Child& c) {
  Exit e;
  while (::wait4(c.pid, &e.status, 0, &e.usage) < 0) {
  }
  CloseAll(c);
  return e;
}

bool Has(const std::string& line, const char* what) {
  return line.find(what) != std::string::npos;
}

}  // namespace

Child StartProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // The environment is prepared before the fork: between fork and exec the
  // child of a threaded process may only make async-signal-safe calls.
  std::vector<char*> envp;
  for (char** e = environ; *e; ++e) {
    std::string_view entry(*e);
    bool replaced = false;
    for (const std::string& add : env) {
      std::size_t eq = add.find('=');
      if (entry.substr(0, eq + 1) == std::string_view(add).substr(0, eq + 1)) replaced = true;
    }
    if (!replaced) envp.push_back(*e);
  }
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  Pipes p = MakePipes();
  auto started = Clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    InChild(p);
    ::execve(args[0], args.data(), envp.data());
    std::_Exit(127);
  }
  return InParent(p, pid, started);
}

Child StartFunction(const std::function<int()>& main) {
  Pipes p = MakePipes();
  auto started = Clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    InChild(p);
    std::_Exit(main());
  }
  return InParent(p, pid, started);
}

void Send(Child& c, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size() && c.in >= 0) {
    ssize_t n = ::write(c.in, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

void EndInput(Child& c) {
  if (c.in >= 0) ::close(c.in);
  c.in = -1;
}

Event Reader::Next(Clock::time_point deadline) {
  for (;;) {
    // Every complete line first; only then wait for more.
    for (bool more = true; more;) {
      more = false;
      for (std::string* buf : {&c_.errBuf, &c_.outBuf}) {
        std::size_t nl = buf->find('\n');
        if (nl == std::string::npos) continue;
        more = true;
        last_ = buf->substr(0, nl);
        buf->erase(0, nl + 1);
        if (buf == &c_.outBuf) return Event::OutLine;
        if (Has(last_, R"("op":"sleep")")) return Event::Sleep;
        if (Has(last_, R"("op":"flush")")) {
          return Has(last_, R"("rc":0)") ? Event::Flushed : Event::FlushFailed;
        }
        if (Has(last_, R"("op":"msgbox")")) return Event::MessageBox;
      }
    }
    auto now = Clock::now();
    if (now >= deadline) return Event::None;
    pollfd fds[2] = {{c_.out, POLLIN, 0}, {c_.err, POLLIN, 0}};
    int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1);
    if (::poll(fds, 2, ms) <= 0) continue;
    bool any = false;
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[65536];
      ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        (i == 0 ? c_.outBuf : c_.errBuf).append(buf, static_cast<std::size_t>(n));
        any = true;
      }
    }
    if (!any) return Event::Exited;
  }
}

bool Reader::WaitFor(Event wanted, Clock::time_point deadline) {
  for (;;) {
    Event e = Next(deadline);
    if (e == wanted) return true;
    if (e == Event::None || e == Event::Exited || e == Event::FlushFailed) return false;
  }
}

std::string ChangeScript(const nlohmann::json& dump, std::initializer_list<int> pages, int round) {
  std::string script;
  for (int page : pages) {
    std::string prefix = "CSet" + std::to_string(page) + ":";
    script += "tab " + std::to_string(page - 1) + "\n";
    for (const auto& [name, state] : dump["controls"].items()) {
      if (name.rfind(prefix, 0) != 0) continue;
      if (state.contains("checked")) {
        if (round == 1) script += "click " + name + "\n";
      } else if (state.contains("sel")) {
        script += "select " + name + " " + std::to_string(round % 2) + "\n";
      } else if (state.contains("pos")) {
        script += "spin " + name + (round % 2 ? " up\n" : " down\n");
      }
    }
  }
  return script;
}

nlohmann::json PageControls(const nlohmann::json& dump, int page) {
  nlohmann::json out = nlohmann::json::object();
  std::string prefix = "CSet" + std::to_string(page) + ":";
  if (!dump.contains("controls")) return out;
  for (const auto& [name, state] : dump["controls"].items()) {
    if (name.rfind(prefix, 0) == 0) out[name] = state;
  }
  return out;
}

Exit Kill(Child& c) {
  ::kill(c.pid, SIGKILL);
  return Reap(c);
}

Exit Wait(Child& c) {
  EndInput(c);
  return Reap(c);
}

std::string GenerateStore(std::size_t bytes) {
  std::string out = "Windows Registry Editor Version 5.00\r\n\r\n";
  char buf[256];
  for (unsigned key = 0; out.size() < bytes; ++key) {
    std::snprintf(buf, sizeof buf,
                  "[HKEY_LOCAL_MACHINE\\Software\\Vendor%u\\Product%u\\Settings]\r\n", key % 97,
                  key);
    out += buf;
    for (unsigned v = 0; v < 8; ++v) {
      std::snprintf(buf, sizeof buf, "\"Number%u\"=dword:%08x\r\n", v, key * 31 + v);
      out += buf;
    }
    std::snprintf(buf, sizeof buf, "\"Path\"=\"\\\\Windows\\\\Program %u\\\\app.exe\"\r\n", key);
    out += buf;
    out +=
        "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d,1e,1f\r\n\r\n";
  }
  return out;
}

}  // namespace driver
