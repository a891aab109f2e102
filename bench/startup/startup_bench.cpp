// Start-up benchmark: from process start to the loaded state (headless: the
// first script command is answered, so every page has read the store) and
// to the painted device screen (offscreen: the first screenshot is taken),
// median of 20 runs each; and the peak memory of a headless run.
//
//   build/bench/startup/startup_bench [--program build/RegillaMobile] [--runs 20]
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "driver/program_driver.h"
#include "driver/temp_dir.h"
#include "store/registry_store.h"

namespace {

namespace fs = std::filesystem;
using driver::Clock;
using driver::Event;

struct Run {
  double ms = -1;
  double peakRssMb = 0;
};

// Starts the program on a fresh copy of the sample store, sends `commands`
// and times the first output line.
Run Once(const std::string& program, const fs::path& dir, const std::string& commands,
         bool window) {
  fs::path store = dir / "registry.reg";
  fs::remove(store);
  fs::remove(dir / "registry.reg.bak");
  auto sample = store::SampleRegistry();
  std::ofstream(store, std::ios::binary)
      .write(reinterpret_cast<const char*>(sample.data()),
             static_cast<std::streamsize>(sample.size()));
  std::vector<std::string> argv = {program, "--registry", store.string(), "--script", "-"};
  if (window) argv.push_back("--show");
  driver::Child c = driver::StartProgram(argv, {"QT_QPA_PLATFORM=offscreen"});
  driver::Send(c, commands);
  driver::Reader r(c);
  Run run;
  if (r.WaitFor(Event::OutLine, c.started + std::chrono::seconds(30))) {
    run.ms = std::chrono::duration<double, std::milli>(Clock::now() - c.started).count();
  } else {
    std::fprintf(stderr, "no answer: %s\n", c.errBuf.substr(0, 300).c_str());
  }
  driver::Exit e = driver::Wait(c);
  run.peakRssMb = static_cast<double>(e.usage.ru_maxrss) / 1024;
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string program = REGILLA_PROGRAM;
  int runs = 20;
  CLI::App app{"Start-up benchmark"};
  app.add_option("--program", program, "the RegillaMobile program");
  app.add_option("--runs", runs, "runs per figure")->check(CLI::Range(1, 1000));
  CLI11_PARSE(app, argc, argv);

  driver::TempDir dir;
  std::string shot = (dir / "screen.png").string();
  struct Figure {
    const char* what;
    std::string commands;
    bool window;
    double targetMs;
  };
  const Figure figures[] = {
      {"headless, to the loaded state", "dump\n", false, 0},
      {"offscreen window, to the painted screen", "screenshot " + shot + "\ndump\n", true, 150},
  };
  bool ok = true;
  double rss = 0;
  for (const Figure& f : figures) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
      Run run = Once(program, dir.path(), f.commands, f.window);
      if (run.ms < 0) return 1;
      ms.push_back(run.ms);
      if (!f.window) rss = std::max(rss, run.peakRssMb);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start-up %-42s median %7.1f ms  (min %.1f, max %.1f, %d runs)", f.what, Median(ms),
                ms.front(), ms.back(), runs);
    if (f.targetMs > 0) {
      bool met = Median(ms) <= f.targetMs;
      ok = ok && met;
      std::printf("  target <= %.0f ms: %s", f.targetMs, met ? "met" : "MISSED");
    }
    std::printf("\n");
  }
  std::printf("peak RSS, headless run on the sample store   %7.1f MB  (target <= 15 MB: %s)\n", rss,
              rss <= 15 ? "met" : "MISSED");
  return 0;
}
