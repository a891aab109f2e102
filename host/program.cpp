#include "host/program.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <set>

#include "app/settings_app.h"
#include "export/provisioning.h"
#include "host/device_window.h"
#include "host/script_host.h"
#include "host/text.h"
#include "host/trace.h"
#include "host/window_names.h"
#include "platform/controls/commctrl.h"
#include "platform/registry/registry.h"
#include "platform/resource.h"
#include "platform/window/host.h"
#include "platform/window/winuser.h"
#include "res/resources.h"
#include "store/import.h"
#include "store/registry_store.h"

namespace host {

namespace {

namespace reg = platform::registry;

std::u16string ExecutablePath() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute("RegillaMobile", ec);
  const std::string bytes = exe.string();
  if (auto text = FromUtf8(bytes)) return *text;
  std::u16string latin1(bytes.begin(), bytes.end());
  return latin1;
}

std::uintptr_t RootValue(HKEY root) {
  return reinterpret_cast<std::uintptr_t>(root);
}

void TraceRegistryEvent(TraceWriter& trace, const reg::RegistryEvent& e) {
  using Op = reg::RegistryEvent::Op;
  switch (e.op) {
    case Op::Open:
    case Op::Create:
      trace.Open(e.op == Op::Create, RootValue(e.root), e.key, e.rc, e.options);
      break;
    case Op::Query:
      trace.Query(RootValue(e.root), e.key, e.name, e.size, e.rc, e.data);
      break;
    case Op::Set:
      trace.Set(RootValue(e.root), e.key, e.name, e.type, e.data, e.rc);
      break;
    case Op::Close:
      trace.Close(RootValue(e.root), e.key);
      break;
    case Op::DeleteKey:
      trace.Delete(RootValue(e.root), e.key, nullptr, e.rc);
      break;
    case Op::DeleteValue: {
      const std::u16string_view name = e.name;
      trace.Delete(RootValue(e.root), e.key, &name, e.rc);
      break;
    }
    case Op::Flush:
      trace.Flush(e.rc, e.error);
      break;
  }
}

// Flushes the registry; a failure is said on stderr once per distinct
// reason (the changes stay pending and the next flush tries again).
void FlushAndReport(std::set<std::string>& reported) {
  const platform::Status saved = reg::FlushRegistry();
  if (!saved.ok() && reported.insert(saved.message()).second) {
    std::cerr << "RegillaMobile: " << saved.message() << '\n';
  }
}

// Whether two paths name the same file, also when it does not exist yet.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ec);
  if (ec) return false;
  const std::filesystem::path cb = std::filesystem::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

// Whether `path` names the store or the script, which a file the program
// writes must not replace.
std::optional<std::string> StoreOrScript(const std::filesystem::path& path,
                                         const HostOptions& options) {
  std::filesystem::path store;
  if (options.registry) {
    store = *options.registry;
  } else {
    store::DefaultRegistryPath(store).IgnoreError();  // no default file: no clash
  }
  if (!store.empty() && SameFile(path, store)) return "it is the registry file";
  if (options.script && *options.script != "-" && SameFile(path, *options.script)) {
    return "it is the script";
  }
  return std::nullopt;
}

// The trace file is emptied when it opens: it must not be the store or the
// script, which would be lost.
std::optional<std::string> TraceClash(const HostOptions& options) {
  if (!options.trace || *options.trace == "-") return std::nullopt;
  return StoreOrScript(*options.trace, options);
}

// The export replaces its file: it must not be the store, the script or the
// trace either.
std::optional<std::string> ExportClash(const std::filesystem::path& path,
                                       const HostOptions& options) {
  if (std::optional<std::string> clash = StoreOrScript(path, options)) return clash;
  if (options.trace && *options.trace != "-" && SameFile(path, *options.trace)) {
    return "it is the trace";
  }
  return std::nullopt;
}

// Writes the settings export; says where on stderr, or why it failed.
bool ExportAndReport(const std::filesystem::path& path, const HostOptions& options,
                     std::string& error) {
  if (std::optional<std::string> clash = ExportClash(path, options)) {
    error = "cannot export the settings to " + path.string() + ": " + *clash;
    return false;
  }
  std::size_t count = 0;
  if (!provisioning::ExportSettings(path, error, &count)) return false;
  std::cerr << "RegillaMobile: settings exported to " << path.string() << " (" << count
            << " values)\n";
  return true;
}

// The device window's title names the store it works on.
std::string WindowTitle(const std::filesystem::path& store) {
  const std::string name = store.filename().string();
  return name.empty() ? "RegillaMobile" : "RegillaMobile \u2014 " + name;
}

// Runs the tool in the device window; status 1 when no window can open.
int RunWindowed(const WindowSettings& settings) {
  std::string error;
  if (RunInDeviceWindow(
          settings, [] { RunTool(); }, error))
    return kExitOk;
  std::cerr << "RegillaMobile: " << error;
  if (error.rfind(kNoDisplayError, 0) == 0) {
    std::cerr
        << ".\n"
           "  Run it on a desktop, or under a virtual display:  xvfb-run RegillaMobile ...\n"
           "  or headless with a script:                         RegillaMobile --script FILE\n";
  } else {
    std::cerr << "; run it with --script FILE\n";
  }
  return kExitStoreError;
}

// An error that ends a windowed run is also shown on the device screen, as a
// message box with the program's name, when a window can open: a program
// started from the desktop's menu has no terminal for its stderr line.
void ShowErrorInWindow(const HostOptions& options, const WindowSettings& settings,
                       const std::string& text) {
  if (options.script) return;
  const std::u16string body = FromUtf8(text).value_or(u"");
  std::string ignored;
  RunInDeviceWindow(
      settings,
      [&body] {
        // The box's button and texts are controls; before the tool has run,
        // nothing has registered their classes yet.
        InitCommonControls();
        MessageBox(nullptr, body.c_str(), u"RegillaMobile", MB_OK | MB_ICONERROR);
      },
      ignored);
}

// --import: merges the file into the store and ends.
int RunImport(const HostOptions& options) {
  const store::ImportResult result = store::ImportRegistryFile(
      *options.importPath, options.registry, std::cerr, nullptr, options.codePage);
  switch (result.outcome) {
    case store::ImportResult::Outcome::Imported:
      return kExitOk;
    case store::ImportResult::Outcome::NotARegistryFile:
      std::cerr << "RegillaMobile: " << result.error << '\n';
      return kExitScriptError;
    case store::ImportResult::Outcome::StoreFailed:
      break;
  }
  std::cerr << "RegillaMobile: " << result.error << '\n';
  return kExitStoreError;
}

}  // namespace

int RunProgram(const HostOptions& options) {
  if (options.importPath) return RunImport(options);
  platform::ProgramModule().resources = &res::Module();
  platform::ProgramModule().path = ExecutablePath();

  // Script and trace first: a typo there must not cost a start-up.
  std::ifstream scriptFile;
  std::istream* script = nullptr;
  std::string scriptName;
  if (options.script) {
    if (*options.script == "-") {
      script = &std::cin;
      scriptName = "standard input";
    } else {
      scriptFile.open(*options.script);
      if (!scriptFile) {
        std::cerr << "RegillaMobile: cannot read the script " << *options.script << '\n';
        return kExitScriptError;
      }
      script = &scriptFile;
      scriptName = *options.script;
    }
  }
  if (std::optional<std::string> clash = TraceClash(options)) {
    std::cerr << "RegillaMobile: --trace " << *options.trace << ": " << *clash
              << "; the trace would overwrite it\n";
    return kExitScriptError;
  }
  if (options.exportPath) {
    const std::string name = options.exportPath->string();
    if (!provisioning::FormatOf(*options.exportPath)) {
      std::cerr << "RegillaMobile: --export " << name
                << ": the file name must end in .cab or .xml\n";
      return kExitScriptError;
    }
    if (std::optional<std::string> clash = ExportClash(*options.exportPath, options)) {
      std::cerr << "RegillaMobile: --export " << name << ": " << *clash
                << "; the export would overwrite it\n";
      return kExitScriptError;
    }
  }
  std::ofstream traceFile;
  std::unique_ptr<TraceWriter> trace;
  if (options.trace) {
    if (*options.trace == "-") {
      trace = std::make_unique<TraceWriter>(std::cerr);
    } else {
      traceFile.open(*options.trace, std::ios::binary | std::ios::trunc);
      if (!traceFile) {
        std::cerr << "RegillaMobile: cannot write the trace " << *options.trace << '\n';
        return kExitScriptError;
      }
      trace = std::make_unique<TraceWriter>(traceFile);
    }
  }

  platform::SetScreenSize(options.screenWidth, options.screenHeight);
  store::StoreFile opened;
  const platform::Status openStatus =
      store::OpenRegistryStore(options.registry, std::cerr, opened, nullptr, options.codePage);
  WindowSettings window;
  window.zoom = options.zoom;
  window.title = WindowTitle(opened.path);
  if (!openStatus.ok()) {
    std::cerr << "RegillaMobile: " << openStatus.message() << '\n';
    ShowErrorInWindow(options, window, openStatus.message());
    return kExitStoreError;
  }

  std::unique_ptr<ScriptHost> scriptHost;
  if (trace) {
    reg::SetRegistryObserver(
        [t = trace.get()](const reg::RegistryEvent& e) { TraceRegistryEvent(*t, e); });
  }
  platform::SetTraceHook([t = trace.get(), &scriptHost](const platform::TraceEvent& e) {
    using Kind = platform::TraceEvent::Kind;
    if (e.kind == Kind::MessageBox && scriptHost) scriptHost->NoteMessageBox(e.caption, e.text);
    if (t == nullptr) return;
    switch (e.kind) {
      case Kind::Show:
        t->Show(WindowName(e.hwnd), e.visible);
        break;
      case Kind::Sleep:
        t->Sleep(e.ms);
        break;
      case Kind::Progress:
        t->Progress(e.pos);
        break;
      case Kind::MessageBox:
        t->MessageBox(e.caption, e.text);
        break;
      case Kind::Quit:
        t->Quit();
        break;
    }
  });
  std::set<std::string> reportedFlushErrors;
  platform::SetBeforeWaitHook([&reportedFlushErrors] { FlushAndReport(reportedFlushErrors); });

  int status = kExitOk;
  if (script != nullptr) {
    scriptHost = std::make_unique<ScriptHost>(
        *script, std::cout,
        [&scriptName](const ScriptError& e) {
          std::cout.flush();
          std::cerr << "RegillaMobile: " << scriptName << ": " << e.what() << '\n';
        },
        [&opened, &options](const std::string& path, std::string& error) {
          // A picture must not replace the store or the script.
          if (SameFile(path, opened.path) ||
              (options.script && *options.script != "-" && SameFile(path, *options.script))) {
            error = "it is the registry file or the script";
            return false;
          }
          return RenderScreenshot(path, error);
        },
        [&options](const std::string& path, std::string& error) {
          return ExportAndReport(path, options, error);
        });
    if (options.show) {
      std::string error;
      if (!ShowScriptWindow(window, error)) {
        std::cerr << "RegillaMobile: --show: " << error << "; running headless\n";
      }
    }
    platform::SetInputSource(scriptHost.get());
    RunTool();
    platform::SetInputSource(nullptr);
    // What was applied before the error stays applied (saved below).
    if (scriptHost->error()) status = kExitScriptError;
    // Lines after the end cannot run; say so. Not for a pipe: its writer may
    // be waiting for the program to end before it closes it.
    if (script == &scriptFile) {
      if (auto late = scriptHost->CommandAfterEnd()) {
        std::cerr << "RegillaMobile: " << scriptName << ": " << late->what() << '\n';
        status = kExitScriptError;
      }
    }
  } else if (!options.exportPath) {
    status = RunWindowed(window);
  }  // --export alone: the store as it is, no window

  platform::SetBeforeWaitHook({});
  const platform::Status saved = reg::FlushRegistry();
  platform::SetTraceHook({});
  reg::SetRegistryObserver({});
  if (!saved.ok()) {
    const std::string error = "the settings could not be saved: " + saved.message();
    std::cerr << "RegillaMobile: " << error << '\n';
    ShowErrorInWindow(options, window, error);
    return status == kExitOk ? kExitStoreError : status;
  }
  if (options.exportPath) {
    std::string error;
    if (status != kExitOk) {
      std::cerr << "RegillaMobile: --export: nothing was exported after the script's error\n";
    } else if (!ExportAndReport(*options.exportPath, options, error)) {
      std::cerr << "RegillaMobile: " << error << '\n';
      status = kExitStoreError;
    }
  }
  return status;
}

}  // namespace host

namespace host {

int RunTool() {
  return RunSettingsApp();
}

}  // namespace host
