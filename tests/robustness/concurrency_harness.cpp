// Two copies of the tool on one store, each changing its own settings page
// and applying, many times over, at the same time; then a tool whose store
// another program edits between its start and its Apply. No update may be
// lost: at the end a fresh start of the tool must show each copy's page as
// that copy last applied it, and the other program's edit must still be in
// the file.
//
//   robustness_concurrency_harness --program build/RegillaMobile [--applies 100]
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <thread>

#include "driver/program_driver.h"
#include "store/registry_store.h"
#include "tests/robustness/support.h"

namespace {

namespace fs = std::filesystem;
using driver::Clock;
using driver::Event;

std::vector<std::string> Args(const std::string& program, const fs::path& store) {
  return {program, "--registry", store.string(), "--script", "-", "--trace", "-"};
}

// Starts the tool and returns its first dump (null when it failed).
nlohmann::json Dump(driver::Child& c, driver::Reader& r) {
  driver::Send(c, "dump\n");
  if (!r.WaitFor(Event::OutLine, Clock::now() + std::chrono::seconds(30))) return nullptr;
  return nlohmann::json::parse(r.lastLine(), nullptr, false);
}

struct Worker {
  int page = 1;
  int applies = 0;
  int failedSaves = 0;
  std::string error;
  nlohmann::json last;  // the page as this copy last applied it
};

void RunWorker(const std::string& program, const fs::path& store, Worker& w) {
  driver::Child c = driver::StartProgram(Args(program, store));
  driver::Reader r(c);
  nlohmann::json dump = Dump(c, r);
  if (dump.is_null() || dump.is_discarded()) {
    w.error = "no dump at start: " + c.errBuf.substr(0, 200);
    driver::Kill(c);
    return;
  }
  for (int round = 1; round <= w.applies; ++round) {
    driver::Send(c, driver::ChangeScript(dump, {w.page}, round) + "click main:1013\n");
    Event e;
    do {
      e = r.Next(Clock::now() + std::chrono::seconds(60));
    } while (e != Event::Flushed && e != Event::FlushFailed && e != Event::None &&
             e != Event::Exited);
    if (e == Event::FlushFailed) ++w.failedSaves;
    if (e == Event::None || e == Event::Exited) {
      w.error = "Apply " + std::to_string(round) + " did not end: " + r.lastLine();
      driver::Kill(c);
      return;
    }
    driver::Send(c, "ok\n");
  }
  nlohmann::json final = Dump(c, r);
  w.last = driver::PageControls(final, w.page);
  driver::Wait(c);
}

}  // namespace

int main(int argc, char** argv) {
  std::string program = REGILLA_PROGRAM;
  int applies = 100;
  CLI::App app{"Two copies of the tool applying different pages of one store"};
  app.add_option("--program", program, "the RegillaMobile program");
  app.add_option("--applies", applies, "Applies per copy")->check(CLI::Range(1, 10000));
  CLI11_PARSE(app, argc, argv);

  test::TempDir dir;
  fs::path store = dir / "registry.reg";
  auto sample = store::SampleRegistry();
  std::string original(reinterpret_cast<const char*>(sample.data()), sample.size());
  int faults = 0;

  // 1. Another program edits the file between the tool's start and its Apply.
  {
    test::WriteBytes(store, original);
    driver::Child c = driver::StartProgram(Args(program, store));
    driver::Reader r(c);
    nlohmann::json dump = Dump(c, r);
    if (dump.is_null() || dump.is_discarded()) {
      std::fprintf(stderr, "the program did not start: %s\n", c.errBuf.substr(0, 300).c_str());
      driver::Kill(c);
      return 1;
    }
    auto before = test::ReadBytes(store);
    test::WriteBytes(store, std::string(before.begin(), before.end()) +
                                "\n[HKEY_LOCAL_MACHINE\\Software\\OtherProgram]\n"
                                "\"Edited\"=dword:0000002a\n");
    driver::Send(c, driver::ChangeScript(dump, {2}, 1) + "click main:1013\n");
    bool saved = r.WaitFor(Event::Flushed, Clock::now() + std::chrono::seconds(60));
    driver::Wait(c);
    auto bytes = test::ReadBytes(store);
    bool kept = std::string(bytes.begin(), bytes.end()).find("\"Edited\"=dword:0000002a") !=
                std::string::npos;
    std::printf("edit by another program between start and Apply: %s\n",
                !saved ? "FAULT: the Apply did not save"
                : kept ? "kept"
                       : "FAULT: lost");
    faults += saved && kept ? 0 : 1;
  }

  // 2. Two copies applying different pages at the same time.
  test::WriteBytes(store, original);
  Worker first, second;
  first.page = 1;
  second.page = 3;
  first.applies = second.applies = applies;
  auto start = Clock::now();
  std::thread t([&] { RunWorker(program, store, first); });
  RunWorker(program, store, second);
  t.join();
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  for (const Worker* w : {&first, &second}) {
    if (!w->error.empty()) {
      std::fprintf(stderr, "copy on page %d: %s\n", w->page, w->error.c_str());
      return 1;
    }
  }
  driver::Child c = driver::StartProgram(Args(program, store));
  driver::Reader r(c);
  nlohmann::json now = Dump(c, r);
  driver::Wait(c);
  std::printf("two copies, %d Applies each on pages %d and %d, %.0f s, %d + %d saves failed\n",
              applies, first.page, second.page, seconds, first.failedSaves, second.failedSaves);
  for (const Worker* w : {&first, &second}) {
    bool same = driver::PageControls(now, w->page) == w->last;
    std::printf("  page %d as its copy last applied it: %s\n", w->page,
                same ? "yes" : "NO (its updates were lost)");
    if (!same) {
      std::printf("    applied: %s\n    stored:  %s\n", w->last.dump().c_str(),
                  driver::PageControls(now, w->page).dump().c_str());
    }
    faults += same ? 0 : 1;
    faults += w->failedSaves ? 1 : 0;
  }
  std::printf(faults ? "FAILED: %d fault(s)\n" : "no update lost\n", faults);
  return faults ? 1 : 0;
}
