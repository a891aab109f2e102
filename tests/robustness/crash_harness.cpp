// Crash harness: starts the tool on a copy of a store, applies changes on
// every settings page, and kills it with SIGKILL at random moments, many of
// them while it saves. After every kill the store must read, and must hold
// exactly the content before or after the save that was under way (never a
// mix), as a run without kills shows it; the backup must hold the original.
//
//   robustness_crash_harness --program build/RegillaMobile --kills 200
//   robustness_crash_harness --self --kills 20      (the store's own save cycle,
//                                               without the program)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/settings_dlg.h"
#include "driver/program_driver.h"
#include "platform/registry/regfile.h"
#include "platform/registry/registry.h"
#include "store/keys.h"
#include "store/registry_store.h"
#include "store/store.h"
#include "tests/robustness/support.h"

namespace {

namespace fs = std::filesystem;
using driver::Clock;

enum class Event { None, OutLine, SaveStarting, Saved, SaveFailed, Exited };

// The phases of an Apply as its trace shows them: its sixth pause comes
// right before its save, and the save ends with its flush line.
class Reader {
 public:
  explicit Reader(driver::Child& c) : r_(c) {}
  Event Next(Clock::time_point deadline) {
    for (;;) {
      switch (r_.Next(deadline)) {
        case driver::Event::OutLine:
          lastOut = r_.lastLine();
          return Event::OutLine;
        case driver::Event::Sleep:
          if (++sleeps_ % 6 == 0) return Event::SaveStarting;
          break;
        case driver::Event::Flushed:
          return Event::Saved;
        case driver::Event::FlushFailed:
          return Event::SaveFailed;
        case driver::Event::None:
          return Event::None;
        case driver::Event::Exited:
          return Event::Exited;
        case driver::Event::MessageBox:
          break;
      }
    }
  }
  std::string lastOut;

 private:
  driver::Reader r_;
  int sleeps_ = 0;
};

void KillAndReap(driver::Child& c) {
  driver::Kill(c);
}
using platform::registry::ParsedRegFile;
using SaveSet = std::vector<pages::SavedValue>;

// The stand-in: loads like the pages do (creating the two missing keys),
// and per "apply N" writes every page's save set in six paced passes, then
// saves, printing trace lines like the program's.
// With `unsafe` it saves the way no store may: rewriting the file in place,
// a piece at a time; the harness must catch that.
int SelfMain(const fs::path& store, int pauseMs, bool unsafe) {
  std::ostringstream diag;
  store::StoreFile opened;
  if (!store::OpenRegistryStore(store, diag, opened).ok()) return 3;
  auto emit = [](const std::string& line) {
    std::string l = line + "\n";
    if (::write(2, l.data(), l.size()) < 0) std::_Exit(4);
  };
  auto flush = [&] {
    auto& reg = platform::registry::CurrentRegistry();
    if (!reg.HasUnsavedChanges()) return;
    if (unsafe) {
      std::vector<BYTE> bytes;
      platform::registry::WriteRegFile(reg.Tree(), reg.Format(), bytes).IgnoreError();
      std::ofstream out(store, std::ios::binary | std::ios::trunc);
      for (std::size_t at = 0; at < bytes.size(); at += 4096) {
        out.write(reinterpret_cast<const char*>(bytes.data() + at),
                  static_cast<std::streamsize>(std::min<std::size_t>(4096, bytes.size() - at)));
        out.flush();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
      }
    }
    const bool saved = platform::registry::FlushRegistry().ok();
    emit(saved ? R"({"op":"flush","rc":0})" : R"({"op":"flush","rc":1})");
  };
  for (const CSettingsDlg::TabEntry& tab : CSettingsDlg::kTabs) {
    for (const pages::SavedValue& v : tab.saveSet ? tab.saveSet() : SaveSet{}) {
      if (store::ReadNumber(v.root, v.key, v.name).status == store::ReadStatus::KeyMissing &&
          (v.key == store::keys::kBios || v.key == store::keys::kRedir)) {
        auto key = store::OpenKey::Create(v.root, v.key);
        key.WriteNumber(v.name, 0);
      }
    }
  }
  flush();
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line == "dump") {
      std::cout << "{}" << std::endl;
    } else if (line.rfind("apply ", 0) == 0) {
      int n = std::stoi(line.substr(6));
      for (const CSettingsDlg::TabEntry& tab : CSettingsDlg::kTabs) {
        int i = 0;
        for (const pages::SavedValue& v : tab.saveSet ? tab.saveSet() : SaveSet{}) {
          if (v.type == REG_SZ) {
            std::u16string text = u"Pocket " + std::u16string(1, char16_t(u'A' + n % 26));
            store::WriteString(v.root, v.key, v.name, text);
          } else {
            store::WriteNumber(v.root, v.key, v.name, n * 10 + i++);
          }
        }
        emit(R"({"op":"sleep","ms":200})");
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
      }
      flush();
    }
  }
  return 0;
}

struct Options {
  std::string program;
  bool self = false;
  bool unsafe = false;
  int kills = 200;
  int rounds = 3;
  unsigned seed = 0;
  int padMb = 2;
  int pauseMs = 20;
  std::string work;
  bool verbose = false;
};

driver::Child Start(const Options& o, const fs::path& store) {
  if (o.self) return driver::StartFunction([&] { return SelfMain(store, o.pauseMs, o.unsafe); });
  return driver::StartProgram(
      {o.program, "--registry", store.string(), "--script", "-", "--trace", "-"});
}

std::string ApplyScript(const Options& o, const nlohmann::json& dump, int round) {
  if (o.self) return "apply " + std::to_string(round) + "\n";
  return driver::ChangeScript(dump, {1, 2, 3, 4, 5}, round) + "click main:1013\n";
}

std::optional<platform::registry::RegTree> Parse(const std::vector<BYTE>& bytes, std::string& why) {
  ParsedRegFile parsed;
  if (platform::Status s = platform::registry::ParseRegFile(bytes, "store", parsed); !s.ok()) {
    why = s.message();
    return std::nullopt;
  }
  return std::move(parsed.tree);
}

void Prepare(const fs::path& dir, const std::vector<BYTE>& original) {
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir);
  test::WriteBytes(
      dir / "registry.reg",
      std::string_view(reinterpret_cast<const char*>(original.data()), original.size()));
}

int Fail(const std::string& message) {
  std::cerr << "crash harness: " << message << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  CLI::App app{"Kills the tool at random moments and checks its store after each kill"};
  auto* program = app.add_option("--program", o.program, "the RegillaMobile program");
  app.add_flag("--self", o.self, "run the store's save cycle in a forked stand-in instead");
  app.add_flag("--self-unsafe", o.unsafe,
               "the stand-in rewrites the file in place (shows that the harness catches it)");
  app.add_option("--kills", o.kills, "number of kills")->check(CLI::Range(1, 100000));
  app.add_option("--rounds", o.rounds, "Applies per run before the one that is killed")
      ->check(CLI::Range(1, 50));
  app.add_option("--seed", o.seed, "random seed (0: from the clock)");
  app.add_option("--pad-mb", o.padMb, "megabytes of other keys in the store (longer saves)");
  app.add_option("--pause-ms", o.pauseMs, "the stand-in's pause per page");
  app.add_option("--work", o.work, "work folder (default: a new temp folder)");
  app.add_flag("-v,--verbose", o.verbose, "one line per kill");
  CLI11_PARSE(app, argc, argv);
  o.self = o.self || o.unsafe;
  if (o.self == (program->count() > 0)) return Fail("give either --program PATH or --self");
  if (o.seed == 0) o.seed = static_cast<unsigned>(Clock::now().time_since_epoch().count());
  ::signal(SIGPIPE, SIG_IGN);

  test::TempDir temp;
  fs::path work = o.work.empty() ? temp.path() : fs::path(o.work);
  fs::path dir = work / "store";
  fs::path file = dir / "registry.reg";

  std::string original(reinterpret_cast<const char*>(store::SampleRegistry().data()),
                       store::SampleRegistry().size());
  if (o.padMb > 0) {
    std::string pad = driver::GenerateStore(static_cast<std::size_t>(o.padMb) << 20);
    original += "\n" + pad.substr(pad.find("\r\n\r\n") + 4);
  }
  std::vector<BYTE> originalBytes(original.begin(), original.end());

  // A run without kills: the content after each save, and how long each
  // Apply and its save take.
  Prepare(dir, originalBytes);
  std::vector<platform::registry::RegTree> states;
  std::string why;
  states.push_back(*Parse(originalBytes, why));
  std::vector<double> applySeconds, saveSeconds;
  nlohmann::json dump;
  {
    driver::Child c = Start(o, file);
    Reader r(c);
    auto deadline = Clock::now() + std::chrono::seconds(30);
    Send(c, "dump\n");
    for (Event e; (e = r.Next(deadline)) != Event::OutLine;) {
      if (e == Event::None || e == Event::Exited || e == Event::SaveFailed) {
        KillAndReap(c);
        return Fail("the program printed no dump at start (" + c.errBuf.substr(0, 300) + ")");
      }
    }
    dump = nlohmann::json::parse(r.lastOut, nullptr, false);
    if (!o.self && (dump.is_discarded() || !dump.contains("controls"))) {
      KillAndReap(c);
      return Fail("the start-up dump has no controls: " + r.lastOut.substr(0, 200));
    }
    states.push_back(*Parse(test::ReadBytes(file), why));  // after start-up
    for (int round = 1; round <= o.rounds; ++round) {
      auto start = Clock::now();
      Send(c, ApplyScript(o, dump, round));
      Clock::time_point saveStart{};
      for (Event e; (e = r.Next(start + std::chrono::seconds(60))) != Event::Saved;) {
        if (e == Event::SaveStarting) saveStart = Clock::now();
        if (e == Event::None || e == Event::Exited || e == Event::SaveFailed) {
          KillAndReap(c);
          return Fail("Apply " + std::to_string(round) + " did not save (" +
                      c.errBuf.substr(0, 300) + ")");
        }
      }
      auto end = Clock::now();
      applySeconds.push_back(std::chrono::duration<double>(end - start).count());
      saveSeconds.push_back(std::chrono::duration<double>(end - saveStart).count());
      auto tree = Parse(test::ReadBytes(file), why);
      if (!tree) return Fail("the store does not read after a save: " + why);
      states.push_back(std::move(*tree));
      Send(c, "ok\n");
    }
    driver::Wait(c);
  }
  double apply = 0, save = 0;
  for (double s : applySeconds) apply = std::max(apply, s);
  for (double s : saveSeconds) save = std::max(save, s);
  std::printf("reference run: %d Applies, longest %.3f s, longest save %.3f s, store %.1f MB\n",
              o.rounds, apply, save, static_cast<double>(originalBytes.size()) / (1 << 20));

  // The kills.
  std::mt19937 rng(o.seed);
  std::map<std::string, int> counts;
  int failures = 0;
  for (int k = 0; k < o.kills; ++k) {
    Prepare(dir, originalBytes);
    int target = std::uniform_int_distribution<int>(1, o.rounds)(rng);
    // Most kills aim at the save, the rest anywhere in the Apply.
    bool aimAtSave = std::uniform_int_distribution<int>(0, 2)(rng) != 0;
    double delay = aimAtSave ? std::uniform_real_distribution<double>(0, save * 1.3)(rng)
                             : std::uniform_real_distribution<double>(0, apply * 1.1)(rng);

    driver::Child c = Start(o, file);
    Reader r(c);
    auto deadline = Clock::now() + std::chrono::seconds(30);
    Send(c, "dump\n");
    while (r.Next(deadline) != Event::OutLine && Clock::now() < deadline) {
    }
    bool ok = true;
    for (int round = 1; round < target && ok; ++round) {
      Send(c, ApplyScript(o, dump, round));
      Event e;
      while ((e = r.Next(Clock::now() + std::chrono::seconds(60))) != Event::Saved) {
        if (e == Event::None || e == Event::Exited || e == Event::SaveFailed) {
          ok = false;
          break;
        }
      }
      Send(c, "ok\n");
    }
    if (!ok) {
      KillAndReap(c);
      ++failures;
      std::printf("kill %d: the program failed before the target Apply\n", k);
      continue;
    }
    auto start = Clock::now();
    Send(c, ApplyScript(o, dump, target));
    std::string phase = "before the save";
    Clock::time_point killAt = aimAtSave ? Clock::time_point::max()
                                         : start + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(delay));
    for (;;) {
      Event e = r.Next(std::min(killAt, start + std::chrono::seconds(60)));
      if (e == Event::SaveStarting) {
        phase = "in the last pause or the save";
        if (aimAtSave) {
          killAt = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(delay));
        }
      } else if (e == Event::Saved || e == Event::SaveFailed) {
        phase = "after the save";
      } else if (e == Event::None || e == Event::Exited) {
        break;
      }
    }
    KillAndReap(c);

    // The checks.
    std::vector<BYTE> bytes = test::ReadBytes(file);
    auto tree = Parse(bytes, why);
    std::string verdict;
    if (!tree) {
      verdict = "TORN: does not read (" + why + ")";
    } else if (*tree == states[static_cast<std::size_t>(target)]) {
      verdict = "before";
    } else if (*tree == states[static_cast<std::size_t>(target) + 1]) {
      verdict = "after";
    } else {
      verdict = "MIXED: neither the content before nor after the save";
    }
    if (fs::exists(dir / "registry.reg.bak")) {
      auto bak = test::ReadBytes(dir / "registry.reg.bak");
      if (bak != originalBytes) verdict += "; BACKUP differs from the original";
    }
    int temps = 0;
    for (const std::string& name : test::FolderEntries(dir)) {
      temps += name.find(".tmp.") != std::string::npos ? 1 : 0;
    }
    bool bad = verdict != "before" && verdict != "after";
    failures += bad ? 1 : 0;
    std::string kind = verdict.substr(0, verdict.find(':'));
    ++counts["killed " + phase + ", store " +
             (bad ? "FAULT " + kind : "holds the content " + verdict + " it")];
    if (temps) {
      ++counts["temp file left behind by the kill (not the store)"];
      // The next save of the store clears it away.
      if (tree) {
        std::unique_ptr<platform::registry::Registry> reg;
        platform::registry::Registry::OpenFile(file, reg).IgnoreError();  // checked below
        HKEY key = nullptr;
        DWORD one = 1;
        bool saved = reg &&
                     reg->CreateKey(HKEY_LOCAL_MACHINE, u"\\Software\\CrashHarness", 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS &&
                     reg->SetValue(key, u"Saved", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                                   4) == ERROR_SUCCESS &&
                     reg->Flush().ok();
        int still = 0;
        for (const std::string& name : test::FolderEntries(dir)) {
          still += name.find(".tmp.") != std::string::npos ? 1 : 0;
        }
        if (!saved || still) {
          ++failures;
          ++counts["FAULT: the next save did not clear the temp file away"];
        }
      }
    }
    if (o.verbose || bad) {
      std::printf("kill %3d: Apply %d, %s, %.3f s: %s%s\n", k, target, phase.c_str(), delay,
                  verdict.c_str(), temps ? " (+ temp file)" : "");
    }
  }
  std::printf("%d kills (seed %u):\n", o.kills, o.seed);
  for (const auto& [what, n] : counts) std::printf("  %4d  %s\n", n, what.c_str());
  std::printf(failures ? "FAILED: %d kills left a bad store\n" : "no torn or mixed store\n",
              failures);
  return failures ? 1 : 0;
}
