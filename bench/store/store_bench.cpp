// Figures for the registry store: load time of a large .reg file, the cost of
// one open / query / close cycle, and the time of one save.
//
//   build/bench/store/store_bench [values]     (default 50000 values, ~5 MB)
#include <stdlib.h>
#include <sys/resource.h>
#include "platform/text/text.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"

using namespace platform::registry;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

std::string KeyName(int k) {
  return "Software\\Vendor" + std::to_string(k % 50) + "\\App" + std::to_string(k);
}

std::string Generate(int values) {
  std::string out = "Windows Registry Editor Version 5.00\n\n";
  const int perKey = 10;
  for (int k = 0; k * perKey < values; ++k) {
    out += "[HKEY_LOCAL_MACHINE\\" + KeyName(k) + "]\n";
    for (int v = 0; v < perKey && k * perKey + v < values; ++v) {
      std::string name = "\"Value" + std::to_string(v) + "\"=";
      switch (v % 3) {
        case 0: {
          char buf[32];
          std::snprintf(buf, sizeof buf, "dword:%08x", k * 31 + v);
          out += name + buf + "\n";
          break;
        }
        case 1:
          out += name + "\"Some setting text for key " + std::to_string(k) + ", value " +
                 std::to_string(v) + " of the benchmark store\"\n";
          break;
        default: {
          out += name + "hex:";
          for (int b = 0; b < 64; ++b) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%02x", (k + b * v) & 0xFF);
            out += buf;
            if (b + 1 < 64) out += (b % 24 == 18) ? ",\\\n  " : ",";
          }
          out += "\n";
        }
      }
    }
    out += "\n";
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  int values = argc > 1 ? std::atoi(argv[1]) : 50000;
  if (values <= 0) values = 50000;
  std::string tmpl = (std::filesystem::temp_directory_path() / "regilla-bench-XXXXXX").string();
  std::filesystem::path dir = ::mkdtemp(tmpl.data());
  std::filesystem::path file = dir / "registry.reg";
  {
    std::string text = Generate(values);
    std::ofstream(file, std::ios::binary) << text;
  }
  std::printf("file: %s, %.2f MB, %d values\n", file.c_str(),
              static_cast<double>(std::filesystem::file_size(file)) / 1e6, values);

  auto t0 = Clock::now();
  std::unique_ptr<Registry> reg;
  const platform::Status opened = Registry::OpenFile(file, reg);
  auto t1 = Clock::now();
  if (!opened.ok()) {
    std::fprintf(stderr, "%s\n", opened.message().c_str());
    return 1;
  }
  std::printf("load: %.1f ms\n", Ms(t1 - t0));
  InstallRegistry(std::move(reg));

  const int keys = (values + 9) / 10;
  std::vector<std::u16string> paths;
  for (int k = 0; k < keys; ++k)
    paths.push_back(platform::text::FromUtf8Lossy(std::string("\\").append(KeyName(k))));
  const int cycles = 200000;
  DWORD sink = 0;
  // One user action of the tool (a reload) opens about 30 keys; the host
  // flushes before the program waits for the next action, and so lets the
  // store look at its file again.
  const int perAction = 30;
  auto measure = [&] {
    auto start = Clock::now();
    for (int i = 0; i < cycles; ++i) {
      if (i % perAction == 0) FlushRegistry().IgnoreError();  // nothing unsaved
      HKEY key = nullptr;
      if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, paths[(i * 7919) % keys].c_str(), 0, KEY_ALL_ACCESS,
                       &key) != ERROR_SUCCESS) {
        std::fprintf(stderr, "open failed\n");
        std::exit(1);
      }
      DWORD value = 0;
      DWORD size = 4;
      RegQueryValueEx(key, u"Value0", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
      sink += value;
      RegCloseKey(key);
    }
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / cycles;
  };
  std::printf(
      "open+query+close: %.0f ns per cycle (file-backed: the file is checked once per %d cycles)\n",
      measure(), perAction);
  {
    auto memory = std::make_unique<Registry>(CurrentRegistry().Tree());
    std::unique_ptr<Registry> keep;
    Registry::OpenFile(file, keep).IgnoreError();  // it opened a moment ago
    InstallRegistry(std::move(memory));
    std::printf("open+query+close: %.0f ns per cycle (in memory only)\n", measure());
    InstallRegistry(std::move(keep));
  }

  const int saves = 10;
  double first = 0;
  double rest = 0;
  for (int i = 0; i < saves; ++i) {
    HKEY key = nullptr;
    RegOpenKeyEx(HKEY_LOCAL_MACHINE, paths[i].c_str(), 0, KEY_ALL_ACCESS, &key);
    DWORD v = static_cast<DWORD>(i + 1000);
    RegSetValueEx(key, u"Value0", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    RegCloseKey(key);
    t0 = Clock::now();
    const platform::Status saved = FlushRegistry();
    t1 = Clock::now();
    if (!saved.ok()) {
      std::fprintf(stderr, "%s\n", saved.message().c_str());
      return 1;
    }
    (i == 0 ? first : rest) += Ms(t1 - t0);
  }
  std::printf("save: %.1f ms (first, with the .bak copy), %.1f ms per later save\n", first,
              rest / (saves - 1));

  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("peak RSS: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);

  InstallRegistry(nullptr);
  std::filesystem::remove_all(dir);
  return sink == 0xFFFFFFFF ? 2 : 0;
}
