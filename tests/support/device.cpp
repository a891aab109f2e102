#include "tests/support/device.h"
#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "app/settings_app.h"
#include "platform/framework/afxwin.h"
#include "platform/registry/regfile.h"
#include "platform/registry/winreg.h"
#include "platform/shell/aygshell.h"
#include "res/resources.h"

namespace test {

using platform::registry::RegistryEvent;

std::optional<std::int32_t> Stored::Number() const {
  if (bytes.size() != 4) return std::nullopt;
  std::int32_t n = 0;
  std::memcpy(&n, bytes.data(), 4);
  return n;
}

std::u16string Stored::Text() const {
  std::u16string text(bytes.size() / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
  // The text ends at the first NUL, as the tool reads it.
  return text.substr(0, text.find(u'\0'));
}

std::string RootName(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return "HKLM";
  if (root == HKEY_CURRENT_USER) return "HKCU";
  return "?";
}

namespace {

std::string Utf8(std::u16string_view s) {
  return platform::text::ToUtf8(s);
}

POINT Centre(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

const char* ClassNameOf(HWND hwnd) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  return wnd ? wnd->GetRuntimeClass()->m_lpszClassName : nullptr;
}

}  // namespace

// Runs one step each time the tool waits for input; then closes the tool.
class Device::Input : public platform::InputSource {
 public:
  explicit Input(Device& device) : device_(device) {}

  void SetSteps(std::vector<Step> steps) { steps_.assign(steps.begin(), steps.end()); }

  bool WaitForInput(std::optional<DWORD>) override {
    if (!steps_.empty()) {
      Step step = std::move(steps_.front());
      steps_.pop_front();
      step();
      return true;
    }
    // Out of steps: dismiss a message box, else close the dialog.
    if (++closing_ > 8) return false;
    if (platform::ActiveMessageBox()) {
      device_.PressMessageOk();
      return true;
    }
    if (HWND main = device_.Main()) {
      if (HWND ok = platform::shell::OkButtonOf(main)) {
        device_.Click(ok);
        return true;
      }
      PostMessage(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return true;
    }
    return false;
  }

 private:
  Device& device_;
  std::deque<Step> steps_;
  int closing_ = 0;
};

Device::Device(std::string_view regText) : input_(std::make_unique<Input>(*this)) {
  platform::ResetWindowSystem();
  AfxResetFrameworkState();
  platform::ProgramModule().resources = &res::Module();
  platform::ProgramModule().path = u"/opt/regilla/RegillaMobile";
  platform::SetClock(&clock_);

  platform::registry::ParsedRegFile parsed;
  if (!regText.empty()) {
    const auto* bytes = reinterpret_cast<const BYTE*>(regText.data());
    const platform::Status status =
        platform::registry::ParseRegFile({bytes, regText.size()}, "test registry", parsed);
    if (!status.ok()) throw std::runtime_error(status.message());
  }
  platform::registry::InstallRegistry(
      std::make_unique<platform::registry::Registry>(std::move(parsed.tree)));
  platform::registry::SetRegistryObserver([this](const RegistryEvent& e) {
    if (!recording_) return;
    events_.push_back(e);
    timeline_.push_back(Describe(e));
    if (onEvent_) onEvent_(e);
  });
  platform::SetTraceHook([this](const platform::TraceEvent& e) {
    trace_.push_back(e);
    using Kind = platform::TraceEvent::Kind;
    switch (e.kind) {
      case Kind::Show:
        timeline_.push_back("show " + NameOf(e.hwnd) + (e.visible ? " 1" : " 0"));
        break;
      case Kind::Sleep:
        timeline_.push_back("sleep " + std::to_string(e.ms));
        break;
      case Kind::Progress:
        timeline_.push_back("progress " + std::to_string(e.pos));
        break;
      case Kind::MessageBox:
        messages_.push_back({e.caption, e.text});
        timeline_.push_back("msgbox " + Utf8(e.text));
        break;
      case Kind::Quit:
        timeline_.push_back("quit");
        break;
    }
  });
  platform::SetInputSource(input_.get());
}

Device::~Device() {
  platform::registry::SetRegistryObserver({});
  platform::ResetWindowSystem();
  AfxResetFrameworkState();
  platform::registry::InstallRegistry(std::make_unique<platform::registry::Registry>());
}

void Device::UseRegistry(std::unique_ptr<platform::registry::Registry> registry) {
  platform::registry::InstallRegistry(std::move(registry));
}

void Device::UseVersionBlock(std::span<const unsigned char> block) {
  module_ = res::Module();
  module_.versionInfo = block;
  platform::ProgramModule().resources = &module_;
}

int Device::Run(std::vector<Step> steps) {
  input_->SetSteps(std::move(steps));
  return RunSettingsApp();
}

HWND Device::Main() const {
  CWnd* main = AfxGetMainWnd();
  return main ? main->GetSafeHwnd() : nullptr;
}

HWND Device::Page(std::string_view cls) const {
  HWND main = Main();
  if (!main) return nullptr;
  for (HWND child : platform::ChildWindows(main)) {
    const char* name = ClassNameOf(child);
    if (name && cls == name) return child;
  }
  return nullptr;
}

HWND Device::Control(std::string_view cls, int id) const {
  HWND parent = cls == "main" ? Main() : Page(cls);
  return parent ? GetDlgItem(parent, id) : nullptr;
}

void Device::ClickAt(POINT screen) {
  platform::InjectMouseDown(screen);
  platform::InjectMouseUp(screen);
}

void Device::Click(HWND hwnd) {
  ASSERT_NE(hwnd, nullptr);
  RECT r{};
  GetWindowRect(hwnd, &r);
  ClickAt(Centre(r));
}

void Device::ClickTab(int index) {
  HWND tab = Control("main", res::IDC_TAB);
  ASSERT_NE(tab, nullptr);
  RECT r{};
  ASSERT_TRUE(
      SendMessage(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
  POINT p = Centre(r);
  ClientToScreen(tab, &p);
  ClickAt(p);
}

void Device::Spin(std::string_view cls, int id, bool up) {
  HWND spin = Control(cls, id);
  ASSERT_NE(spin, nullptr);
  const RECT r =
      platform::UpDownPartRect(spin, up ? platform::UpDownPart::Up : platform::UpDownPart::Down);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(spin, &p);
  ClickAt(p);
}

void Device::VScroll(std::string_view cls, int id, int code, int pos) {
  HWND spin = Control(cls, id);
  ASSERT_NE(spin, nullptr);
  SendMessage(GetParent(spin), WM_VSCROLL,
              MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)),
              reinterpret_cast<LPARAM>(spin));
}

void Device::Type(std::string_view cls, int id, std::u16string_view text) {
  HWND edit = Control(cls, id);
  ASSERT_NE(edit, nullptr);
  Click(edit);
  platform::ProcessPendingMessages();
  SendMessage(edit, EM_SETSEL, 0, -1);
  if (text.empty()) {
    platform::InjectKeyDown(VK_DELETE);
    platform::InjectKeyUp(VK_DELETE);
  }
  for (char16_t ch : text) platform::InjectChar(ch);
}

void Device::PressMessageOk() {
  HWND box = platform::ActiveMessageBox();
  ASSERT_NE(box, nullptr);
  HWND ok = GetDlgItem(box, IDOK);
  ASSERT_NE(ok, nullptr);
  Click(ok);
}

bool Device::Checked(std::string_view cls, int id) const {
  return SendMessage(Control(cls, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int Device::ListSelection(std::string_view cls, int id) const {
  return static_cast<int>(SendMessage(Control(cls, id), CB_GETCURSEL, 0, 0));
}

std::u16string Device::Text(std::string_view cls, int id) const {
  HWND hwnd = Control(cls, id);
  std::u16string text(static_cast<std::size_t>(GetWindowTextLength(hwnd)) + 1, u'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowText(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

int Device::UpDownPos(std::string_view cls, int id) const {
  return static_cast<SHORT>(LOWORD(SendMessage(Control(cls, id), UDM_GETPOS, 0, 0)));
}

std::pair<int, int> Device::UpDownRange(std::string_view cls, int id) const {
  int lo = 0;
  int hi = 0;
  SendMessage(Control(cls, id), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo),
              reinterpret_cast<LPARAM>(&hi));
  return {lo, hi};
}

bool Device::Visible(HWND hwnd) const {
  return IsWindowVisible(hwnd) != FALSE;
}

std::string Device::TopPage() const {
  HWND main = Main();
  if (!main) return {};
  for (HWND child : platform::ChildWindows(main)) {
    const char* name = ClassNameOf(child);
    if (name && IsWindowVisible(child)) return name;
  }
  return {};
}

std::optional<Stored> Device::Value(HKEY root, std::u16string_view key,
                                    std::u16string_view name) const {
  auto* self = const_cast<Device*>(this);
  const bool was = self->recording_;
  self->recording_ = false;
  std::optional<Stored> out;
  HKEY h = nullptr;
  const std::u16string k(key);
  const std::u16string n(name);
  if (RegOpenKeyEx(root, k.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueEx(h, n.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      Stored s;
      s.type = type;
      s.bytes.resize(size);
      if (RegQueryValueEx(h, n.c_str(), nullptr, &type, s.bytes.data(), &size) == ERROR_SUCCESS) {
        s.bytes.resize(size);
        out = std::move(s);
      }
    }
    RegCloseKey(h);
  }
  self->recording_ = was;
  return out;
}

std::optional<std::int32_t> Device::Number(HKEY root, std::u16string_view key,
                                           std::u16string_view name) const {
  std::optional<Stored> s = Value(root, key, name);
  if (!s) return std::nullopt;
  return s->Number();
}

bool Device::KeyExists(HKEY root, std::u16string_view key) const {
  auto* self = const_cast<Device*>(this);
  const bool was = self->recording_;
  self->recording_ = false;
  HKEY h = nullptr;
  const std::u16string k(key);
  const bool ok = RegOpenKeyEx(root, k.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS;
  if (ok) RegCloseKey(h);
  self->recording_ = was;
  return ok;
}

Call Describe(const RegistryEvent& e) {
  std::string s;
  switch (e.op) {
    case RegistryEvent::Op::Open:
      s = "open";
      break;
    case RegistryEvent::Op::Create:
      s = "create";
      break;
    case RegistryEvent::Op::Query:
      s = "query";
      break;
    case RegistryEvent::Op::Set:
      s = "set";
      break;
    case RegistryEvent::Op::Close:
      s = "close";
      break;
    case RegistryEvent::Op::Flush:
      s = "flush";
      break;
    case RegistryEvent::Op::DeleteKey:
      s = "deletekey";
      break;
    case RegistryEvent::Op::DeleteValue:
      s = "deletevalue";
      break;
  }
  if (e.op != RegistryEvent::Op::Flush)
    s.append(" ").append(RootName(e.root)).append(" ").append(Utf8(e.key));
  if (e.op == RegistryEvent::Op::Query || e.op == RegistryEvent::Op::Set ||
      e.op == RegistryEvent::Op::DeleteValue)
    s.append(" ").append(Utf8(e.name));
  return s;
}

std::vector<Call> Device::Calls() const {
  std::vector<Call> calls;
  for (const RegistryEvent& e : events_) calls.push_back(Describe(e));
  return calls;
}

std::string Device::NameOf(HWND hwnd) const {
  if (const char* cls = ClassNameOf(hwnd)) {
    if (std::string_view(cls).starts_with("CSet") || std::string_view(cls) == "CAbout") return cls;
  }
  if (hwnd == Main()) return "main";
  if (Main() && IsChild(Main(), hwnd) && GetParent(hwnd) == Main())
    return "main:" + std::to_string(GetDlgCtrlID(hwnd));
  return "?";
}

void Device::ClearRecordings() {
  timeline_.clear();
  events_.clear();
  trace_.clear();
  messages_.clear();
}

std::vector<DWORD> Device::Sleeps() const {
  std::vector<DWORD> out;
  for (const platform::TraceEvent& e : trace_) {
    if (e.kind == platform::TraceEvent::Kind::Sleep) out.push_back(e.ms);
  }
  return out;
}

}  // namespace test
