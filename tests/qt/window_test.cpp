// The whole tool in the device window on Qt's offscreen platform: desktop
// mouse, key and input-method events go through the window's own event
// handlers, the window system and the tool, and the registry file shows the
// result after Apply. Also the real pages against reference images.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/settings_app.h"
#include "host/device_window.h"
#include "host/qt/device_window.h"
#include "host/qt/fonts.h"
#include "host/qt/platform_scene.h"
#include "host/qt/renderer.h"
#include "platform/controls/commctrl.h"
#include "platform/framework/afxwin.h"
#include "platform/registry/registry.h"
#include "platform/shell/aygshell.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"
#include "res/resources.h"
#include "store/registry_store.h"
#include "tests/qt/image_compare.h"
#include "tests/support/fixtures.h"
#include "tests/support/manual_clock.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The text of a .reg file as UTF-8, whatever encoding the store writes.
std::string RegText(const fs::path& p) {
  const std::string raw = ReadFile(p);
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
    std::u16string wide((raw.size() - 2) / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
      wide[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 + 2 * i]) |
                                      (static_cast<unsigned char>(raw[3 + 2 * i]) << 8));
    }
    return QString::fromStdU16String(wide).toStdString();
  }
  return raw;
}

// The value line of `name` inside the key section `key` (continuation lines
// joined), or "".
std::string ValueLine(const std::string& reg, const std::string& key, const std::string& name) {
  const std::string header = "[" + key + "]";
  std::size_t at = reg.find(header);
  if (at == std::string::npos) return {};
  std::istringstream lines(reg.substr(at + header.size()));
  std::string line;
  std::string value;
  bool inValue = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (inValue) {
      line.erase(0, line.find_first_not_of(' '));
    } else {
      if (!line.empty() && line[0] == '[') break;
      if (line.rfind("\"" + name + "\"=", 0) != 0) continue;
      inValue = true;
    }
    const bool continues = !line.empty() && line.back() == '\\';
    if (continues) line.pop_back();
    value += line;
    if (!continues) return value;
  }
  return value;
}

// A REG_SZ written without its terminating NUL, as a .reg file shows it.
std::string Hex1(std::u16string_view text) {
  std::string out = "hex(1):";
  char buf[8];
  for (char16_t c : text) {
    std::snprintf(buf, sizeof buf, "%02x,%02x,", c & 0xFF, (c >> 8) & 0xFF);
    out += buf;
  }
  if (!text.empty()) out.pop_back();
  return out;
}

HWND PageWithTemplate(int templateId) {
  HWND main = hostqt::MainDialog();
  for (HWND child : platform::ChildWindows(main)) {
    const platform::DialogTemplate* t = platform::DialogTemplateOf(child);
    if (t != nullptr && t->id == templateId) return child;
  }
  return nullptr;
}

QPoint CentreOnScreen(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Drives the tool the way a person at the desktop would: every step sends Qt
// events to the window, and runs when the tool waits for input.
class WindowSession {
 public:
  explicit WindowSession(const fs::path& registry) : window_(2) {
    AfxResetFrameworkState();
    platform::ProgramModule().resources = &res::Module();
    platform::ProgramModule().path = u"/opt/RegillaMobile/RegillaMobile";
    std::ostringstream diag;
    store::StoreFile file;
    opened_ = store::OpenRegistryStore(registry, diag, file).ok();
    platform::SetClock(&clock_);
    platform::SetBeforeWaitHook([] { platform::registry::FlushRegistry().IgnoreError(); });
    platform::SetPaintListener([this](HWND, bool immediate) {
      if (!immediate) {
        window_.ScheduleRender();
        return;
      }
      window_.RenderNow();
      if (onImmediatePaint) onImmediatePaint();
    });
    platform::SetInputSource(&window_);
    window_.SetIdleHook([this] { NextStep(); });
    window_.show();
    // A hung tool must not hang the test run.
    QTimer::singleShot(20000, &window_, [this] {
      ADD_FAILURE() << "the tool did not finish in time; closing";
      steps_.clear();
      Close();
    });
  }

  ~WindowSession() {
    platform::SetInputSource(nullptr);
    platform::SetPaintListener({});
    platform::SetBeforeWaitHook({});
    platform::SetClock(nullptr);
    platform::ResetWindowSystem();
  }

  bool opened() const { return opened_; }
  test::ManualClock& clock() { return clock_; }
  hostqt::DeviceWindow& window() { return window_; }

  void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }

  // Runs the tool until it ends.
  void Run() {
    RunSettingsApp();
    platform::registry::FlushRegistry().IgnoreError();
  }

  // Desktop events, in window pixels (device pixels times the zoom).
  void Tap(QPoint device) {
    const QPointF at(device.x() * 2 + 1, device.y() * 2 + 1);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QGuiApplication::sendEvent(&window_, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, at, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QGuiApplication::sendEvent(&window_, &release);
  }
  void TapWindow(HWND hwnd) { Tap(CentreOnScreen(hwnd)); }
  // Taps the label of tab `index` of the main dialog.
  void TapTab(int index) {
    HWND tab = GetDlgItem(hostqt::MainDialog(), res::IDC_TAB);
    RECT label{};
    SendMessage(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&label));
    POINT c{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    ClientToScreen(tab, &c);
    Tap({c.x, c.y});
  }
  void Mouse(QEvent::Type type, QPoint device) {
    const QPointF at(device.x() * 2 + 1, device.y() * 2 + 1);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, at, at, button, held, Qt::NoModifier);
    QGuiApplication::sendEvent(&window_, &e);
  }
  void Key(int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QGuiApplication::sendEvent(&window_, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QGuiApplication::sendEvent(&window_, &release);
  }
  // A key pressed while a modifier key is held, as a desktop sends it: the
  // modifier's own press and release around it.
  void KeyWith(Qt::Key modifierKey, Qt::KeyboardModifier modifier, int key,
               const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, modifierKey, modifier);
    QGuiApplication::sendEvent(&window_, &down);
    QKeyEvent press(QEvent::KeyPress, key, modifier, text);
    QGuiApplication::sendEvent(&window_, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifier, text);
    QGuiApplication::sendEvent(&window_, &release);
    QKeyEvent up(QEvent::KeyRelease, modifierKey, Qt::NoModifier);
    QGuiApplication::sendEvent(&window_, &up);
  }
  void Commit(const QString& text) {
    QInputMethodEvent im;
    im.setCommitString(text);
    QGuiApplication::sendEvent(&window_, &im);
  }
  void Close() {
    QCloseEvent close;
    QGuiApplication::sendEvent(&window_, &close);
  }

  std::function<void()> onImmediatePaint;

 private:
  // One step per wait of the tool; when they are used up, the window closes.
  void NextStep() {
    if (steps_.empty()) {
      Close();
      return;
    }
    auto step = std::move(steps_.front());
    steps_.erase(steps_.begin());
    step();
  }

  // A fresh window system, before the window installs its clipboard there.
  struct FreshWindowSystem {
    FreshWindowSystem() { platform::ResetWindowSystem(); }
  } fresh_;
  test::ManualClock clock_;
  hostqt::DeviceWindow window_;
  std::vector<std::function<void()>> steps_;
  bool opened_ = false;
};

class DeviceWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("regilla-qt-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    registry_ = dir_ / "device.reg";
    std::ofstream(registry_, std::ios::binary) << test::Fixture("crlf_device.reg");
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  fs::path registry_;
};

}  // namespace

TEST_F(DeviceWindowTest, ClicksAndTypingThroughTheWindowReachTheRegistryOnApply) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  struct ProgressFrame {
    int pos;
    int filled;
  };
  std::vector<ProgressFrame> progressFrames;
  s.onImmediatePaint = [&] {
    HWND bar = GetDlgItem(hostqt::MainDialog(), res::IDC_PROGRESS);
    if (bar == nullptr || !IsWindowVisible(bar)) return;
    RECT r{};
    GetWindowRect(bar, &r);
    const QImage& frame = s.window().Frame();
    int filled = 0;
    const int y = (r.top + r.bottom) / 2;
    for (int x = r.left + 2; x < r.right - 2; ++x) {
      const QRgb c = frame.pixel(x, y);
      if (qBlue(c) > qRed(c) + 40) ++filled;
    }
    progressFrames.push_back({static_cast<int>(SendMessage(bar, PBM_GETPOS, 0, 0)), filled});
  };

  HWND set1 = nullptr;
  s.Then([&] {
    set1 = PageWithTemplate(res::IDD_SET1);
    ASSERT_NE(set1, nullptr);
    s.TapWindow(GetDlgItem(set1, res::IDC_ASK_DEST));  // "インストール先を問い合わせる"
  });
  s.Then(
      [&] { s.TapWindow(GetDlgItem(set1, res::IDC_CPU_PRIORITY)); });  // open the CPU priority list
  s.Then([&] {
    HWND list = platform::ComboListWindow(GetDlgItem(set1, res::IDC_CPU_PRIORITY));
    ASSERT_NE(list, nullptr) << "the drop-down list did not open";
    RECT item{};
    SendMessage(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    POINT c{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &c);
    s.Tap({c.x, c.y});
  });
  s.Then([&] {
    // Tab 2 ("設定3"): the device name.
    s.TapTab(2);
  });
  s.Then([&] {
    HWND set3 = PageWithTemplate(res::IDD_SET3);
    ASSERT_NE(set3, nullptr);
    s.TapWindow(GetDlgItem(set3, res::IDC_DEVICE_NAME));
  });
  s.Then([&] {
    s.Key(Qt::Key_End);
    s.Key(Qt::Key_Backspace, u"\b"_qs);
    s.Key(Qt::Key_Backspace, u"\b"_qs);
    s.Key(Qt::Key_A, u"a"_qs);
    s.Key(Qt::Key_B, u"B"_qs);
    s.Commit(u"日本ｶﾅ"_qs);
  });
  s.Then([&] { s.TapWindow(GetDlgItem(hostqt::MainDialog(), res::IDC_APPLY)); });  // "反映"
  s.Then([&] {
    EXPECT_NE(platform::ActiveMessageBox(), nullptr) << "Apply ends with its message";
    s.Close();  // OK on the message, then the navigation bar's OK
  });
  s.Run();

  const std::string reg = RegText(registry_);
  const std::string installer =
      "HKEY_LOCAL_MACHINE\\Software\\Apps\\Microsoft Application Installer";
  EXPECT_EQ(ValueLine(reg, installer, "fAskDest"), "\"fAskDest\"=dword:00000001");
  EXPECT_EQ(ValueLine(reg, installer, "nDynamicDelete"), "\"nDynamicDelete\"=dword:00000002");
  EXPECT_EQ(ValueLine(reg, installer, "fAskOptions"), "\"fAskOptions\"=dword:00000000");
  EXPECT_EQ(ValueLine(reg, "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\BIOS",
                      "CPUPriority"),
            "\"CPUPriority\"=dword:00000001");
  EXPECT_EQ(ValueLine(reg, "HKEY_LOCAL_MACHINE\\System\\GWE", "Animate"),
            "\"Animate\"=dword:00000001");
  // The device name is stored as the edit's text without a terminating NUL.
  EXPECT_EQ(ValueLine(reg, "HKEY_LOCAL_MACHINE\\Ident", "Name"),
            "\"Name\"=" + Hex1(u"Pocket_aB日本ｶﾅ"));

  // The bar was painted at every step of Apply, further each time, although
  // the tool's thread never returned to its loop in between.
  std::vector<int> positions;
  for (const ProgressFrame& f : progressFrames) {
    if (positions.empty() || positions.back() != f.pos) positions.push_back(f.pos);
  }
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  for (std::size_t i = 1; i < progressFrames.size(); ++i) {
    if (progressFrames[i].pos > progressFrames[i - 1].pos) {
      EXPECT_GT(progressFrames[i].filled, progressFrames[i - 1].filled);
    }
  }
}

TEST_F(DeviceWindowTest, ClosingTheWindowWithoutApplyWritesNothing) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  HWND set1 = nullptr;
  s.Then([&] {
    set1 = PageWithTemplate(res::IDD_SET1);
    ASSERT_NE(set1, nullptr);
    s.TapWindow(GetDlgItem(set1, res::IDC_ANIMATE));  // window animation off
  });
  s.Then([&] {
    EXPECT_EQ(IsDlgButtonChecked(set1, res::IDC_ANIMATE), 0u);
    s.Close();
  });
  s.Run();
  const std::string after = RegText(registry_);
  EXPECT_EQ(ValueLine(after, "HKEY_LOCAL_MACHINE\\System\\GWE", "Animate"),
            "\"Animate\"=dword:00000001");
  EXPECT_EQ(ValueLine(after, "HKEY_LOCAL_MACHINE\\Ident", "Name"), "\"Name\"=\"Pocket_PC\"");
}

// After Apply's message box the keyboard goes on where it was: the box's
// Enter gives the focus back to "反映"; Tab moves between the two buttons,
// Space presses one, and Enter is OK, which ends the tool.
TEST_F(DeviceWindowTest, TheKeyboardWorksAgainAfterApplysMessage) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  HWND apply = nullptr;
  HWND cancel = nullptr;
  int messages = 0;
  s.Then([&] {
    apply = GetDlgItem(hostqt::MainDialog(), res::IDC_APPLY);
    cancel = GetDlgItem(hostqt::MainDialog(), IDCANCEL);
    s.TapWindow(apply);
  });
  auto answerMessage = [&] {
    EXPECT_NE(platform::ActiveMessageBox(), nullptr);
    ++messages;
    s.Key(Qt::Key_Return);
  };
  s.Then(answerMessage);
  s.Then([&] {
    EXPECT_EQ(GetFocus(), apply);
    s.Key(Qt::Key_Tab);
  });
  s.Then([&] {
    EXPECT_EQ(GetFocus(), cancel);
    s.Key(Qt::Key_Tab);
  });
  s.Then([&] {
    EXPECT_EQ(GetFocus(), apply);  // the two buttons only
    s.Key(Qt::Key_Space, u" "_qs);
  });
  s.Then(answerMessage);  // Apply again, from the keyboard
  s.Then([&] {
    EXPECT_EQ(GetFocus(), apply);
    s.Key(Qt::Key_Return);
  });
  s.Then([&] {
    ADD_FAILURE() << "Enter did not end the tool";
    s.Close();
  });
  s.Run();
  EXPECT_EQ(messages, 2);
}

// The device name edit with the desktop's keys: Ctrl+C, Ctrl+V, Ctrl+X and
// Ctrl+Z through the desktop's clipboard, and a long name typed over by a
// short one shown from its start.
TEST_F(DeviceWindowTest, TheDeviceNameTakesTheClipboardKeysAndShowsAShortNameFromItsStart) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  HWND name = nullptr;
  auto text = [&] {
    std::u16string buf(64, u'\0');
    buf.resize(static_cast<std::size_t>(GetWindowText(name, buf.data(), 64)));
    return buf;
  };
  auto selectAll = [&] {
    s.Key(Qt::Key_End);
    s.KeyWith(Qt::Key_Shift, Qt::ShiftModifier, Qt::Key_Home);
  };
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(u"before"_qs);
  s.Then([&] { s.TapTab(2); });
  s.Then([&] {
    name = GetDlgItem(PageWithTemplate(res::IDD_SET3), res::IDC_DEVICE_NAME);
    ASSERT_NE(name, nullptr);
    s.TapWindow(name);
  });
  s.Then([&] {
    selectAll();
    s.KeyWith(Qt::Key_Control, Qt::ControlModifier, Qt::Key_C, u"\x03"_qs);
  });
  s.Then([&] {
    EXPECT_EQ(clipboard->text(), u"Pocket_PC"_qs);
    clipboard->setText(u"端末\r\nsecond line"_qs);
    s.KeyWith(Qt::Key_Control, Qt::ControlModifier, Qt::Key_V, u"\x16"_qs);
  });
  s.Then([&] {
    EXPECT_EQ(text(), u"端末"_qs.toStdU16String());  // one line of it
    s.KeyWith(Qt::Key_Control, Qt::ControlModifier, Qt::Key_Z, u"\x1a"_qs);
  });
  s.Then([&] {
    EXPECT_EQ(text(), u"Pocket_PC");
    selectAll();
    s.KeyWith(Qt::Key_Control, Qt::ControlModifier, Qt::Key_X, u"\x18"_qs);
  });
  s.Then([&] {
    EXPECT_EQ(text(), u"");
    EXPECT_EQ(clipboard->text(), u"Pocket_PC"_qs);
    // 26 letters scroll the edit; Home, Shift+End and "ABCD" replace them.
    for (int i = 0; i < 26; ++i) s.Key(Qt::Key_A + i, QString(QChar(u'a' + i)));
  });
  s.Then([&] {
    EXPECT_GT(platform::EditScrollOffset(name), 0);
    s.Key(Qt::Key_Home);
    s.KeyWith(Qt::Key_Shift, Qt::ShiftModifier, Qt::Key_End);
    for (const char16_t c : u"ABCD") {
      if (c != u'\0') s.Key(Qt::Key_A + (c - u'A'), QString(QChar(c)));
    }
  });
  s.Then([&] {
    EXPECT_EQ(text(), u"ABCD");
    for (const hostqt::SceneNode& w : hostqt::CaptureScene().windows) {
      std::function<void(const hostqt::SceneNode&)> find = [&](const hostqt::SceneNode& n) {
        if (n.kind == hostqt::Kind::Edit && n.id == res::IDC_DEVICE_NAME) {
          EXPECT_EQ(n.scrollChars, 0) << "the edit shows its text from the first character";
        }
        for (const hostqt::SceneNode& c : n.children) find(c);
      };
      find(w);
    }
    s.Close();
  });
  s.Run();
}

TEST_F(DeviceWindowTest, ControlRTurnsTheScreenAndTheToolEndsWithItsMessage) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  s.Then([&] {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_R, Qt::ControlModifier, u"\x12"_qs);
    QGuiApplication::sendEvent(&s.window(), &press);
  });
  std::u16string shown;
  s.Then([&] {
    HWND box = platform::ActiveMessageBox();
    ASSERT_NE(box, nullptr);
    HWND text = GetDlgItem(box, platform::kMessageBoxTextId);
    std::u16string buf(64, u'\0');
    buf.resize(static_cast<std::size_t>(GetWindowText(text, buf.data(), 64)));
    shown = buf;
    EXPECT_EQ(s.window().size(), QSize(640, 480));
    s.Close();
  });
  s.Run();
  EXPECT_EQ(shown, u"画面は縦長でご使用下さい");
  EXPECT_EQ(platform::ScreenSize().cx, 320);
}

TEST_F(DeviceWindowTest, PagesMatchTheirReferenceImages) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  QImage first;
  QImage about;
  s.Then([&] {
    first = hostqt::RenderScene(hostqt::CaptureScene());
    s.TapTab(5);
  });
  s.Then([&] {
    about = hostqt::RenderScene(hostqt::CaptureScene());
    s.Close();
  });
  s.Run();
  ASSERT_EQ(first.size(), QSize(240, 320));
  EXPECT_TRUE(test::MatchesReference(first, "screen_set1"));
  EXPECT_TRUE(test::MatchesReference(about, "screen_about"));
  // The window shows the same pixels as the screenshot, zoomed.
  EXPECT_EQ(s.window().Frame().size(), QSize(240, 320));
}

TEST_F(DeviceWindowTest, ControlSAndControlESaveTheScreenAndTheSettingsAndTheToolGoesOn) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  std::vector<std::string> notices;
  s.window().SetOutputFolder(QString::fromStdString(dir_.string()));
  s.window().SetNotice([&](const std::string& text) { notices.push_back(text); });
  s.Then([&] { s.TapTab(2); });
  s.Then([&] {
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QGuiApplication::sendEvent(&s.window(), &ctrl);
    for (const auto& [key, text] : {std::pair(Qt::Key_S, u"\x13"_qs), {Qt::Key_E, u"\x05"_qs}}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier, text);
      QGuiApplication::sendEvent(&s.window(), &press);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::ControlModifier, text);
      QGuiApplication::sendEvent(&s.window(), &release);
    }
    QKeyEvent ctrlUp(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    QGuiApplication::sendEvent(&s.window(), &ctrlUp);
  });
  bool ended = false;
  s.Then([&] { s.TapWindow(platform::shell::OkButtonOf(hostqt::MainDialog())); });
  s.Then([&] {
    ADD_FAILURE() << "the navigation bar's OK did not end the tool";
    s.Close();
  });
  s.Run();
  ended = true;
  EXPECT_TRUE(ended);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].rfind("Screenshot saved to " + dir_.string(), 0), 0u) << notices[0];
  EXPECT_EQ(
      notices[1].rfind("Settings exported to " + (dir_ / "RegillaMobile-settings-").string(), 0),
      0u)
      << notices[1];
  int pngs = 0;
  int cabs = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".png") {
      ++pngs;
      EXPECT_EQ(QImage(QString::fromStdString(entry.path().string())).size(), QSize(240, 320));
    } else if (entry.path().extension() == ".cab") {
      ++cabs;
      // RegillaMobile-settings-YYYYMMDD-HHMMSS.cab, as the notice says.
      EXPECT_EQ(name.size(), std::string("RegillaMobile-settings-20250101-120000.cab").size());
      EXPECT_NE(notices[1].find(name), std::string::npos) << name;
      std::ifstream cab(entry.path(), std::ios::binary);
      std::string magic(4, '\0');
      cab.read(magic.data(), 4);
      EXPECT_EQ(magic, "MSCF");
    }
  }
  EXPECT_EQ(pngs, 1);
  EXPECT_EQ(cabs, 1);
}

TEST_F(DeviceWindowTest, HoldingAnUpDownArrowRepeatsAndShowsItPressed) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  HWND set2 = nullptr;
  QPoint up;
  s.Then([&] { s.TapTab(1); });
  s.Then([&] {
    set2 = PageWithTemplate(res::IDD_SET2);
    ASSERT_NE(set2, nullptr);
    HWND spin = GetDlgItem(set2, res::IDC_PER1_0_SERVER_SPIN);
    const RECT part = platform::UpDownPartRect(spin, platform::UpDownPart::Up);
    POINT c{(part.left + part.right) / 2, (part.top + part.bottom) / 2};
    ClientToScreen(spin, &c);
    up = {c.x, c.y};
    s.Mouse(QEvent::MouseButtonPress, up);
  });
  bool shownPressed = false;
  // While the stylus stays down, time passes and the arrow repeats.
  for (int i = 0; i < 4; ++i) {
    s.Then([&] {
      for (const hostqt::SceneNode& w : hostqt::CaptureScene().windows) {
        std::function<void(const hostqt::SceneNode&)> find = [&](const hostqt::SceneNode& n) {
          if (n.kind == hostqt::Kind::UpDown && n.id == res::IDC_PER1_0_SERVER_SPIN &&
              n.pressedArrow == 1) {
            shownPressed = true;
          }
          for (const hostqt::SceneNode& c : n.children) find(c);
        };
        find(w);
      }
      s.clock().Advance(600);
      s.Mouse(QEvent::MouseMove, up);
    });
  }
  s.Then([&] { s.Mouse(QEvent::MouseButtonRelease, up); });
  std::u16string shown;
  s.Then([&] {
    std::u16string buf(16, u'\0');
    buf.resize(
        static_cast<std::size_t>(GetDlgItemText(set2, res::IDC_PER1_0_SERVER, buf.data(), 16)));
    shown = buf;
    s.Close();
  });
  s.Run();
  EXPECT_TRUE(shownPressed);
  // Stored 2 (no value in the registry): one step for the press, then repeats.
  ASSERT_FALSE(shown.empty());
  EXPECT_GT(std::stoi(QString::fromStdU16String(shown).toStdString()), 3);
}

namespace {

// Where a node sits in a scene: the index of its top-level window, then of
// each child down to it.
using NodePath = std::vector<std::size_t>;

hostqt::SceneNode& NodeAt(hostqt::Scene& scene, const NodePath& path) {
  hostqt::SceneNode* n = &scene.windows[path[0]];
  for (std::size_t i = 1; i < path.size(); ++i) n = &n->children[path[i]];
  return *n;
}

// Every visible node that shows text of its own, with the text slot to probe.
struct TextSlot {
  NodePath path;
  int item = -1;  // -1: the node's text; else the entry of its items
  std::string name;
};

void CollectTextSlots(const hostqt::SceneNode& n, NodePath path, std::vector<TextSlot>& out) {
  using hostqt::Kind;
  if (!n.visible) return;
  const std::string name = "kind " + std::to_string(static_cast<int>(n.kind)) + " id " +
                           std::to_string(n.id) + " \"" + n.text.toStdString() + "\"";
  switch (n.kind) {
    case Kind::Static:
    case Kind::Caption:
    case Kind::CheckBox:
    case Kind::PushButton:
    case Kind::Edit:
    case Kind::NavBar:
    case Kind::NavOk:
      if (!n.text.isEmpty()) out.push_back({path, -1, name});
      break;
    case Kind::Combo:
      if (n.selected >= 0) out.push_back({path, static_cast<int>(n.selected), name});
      break;
    case Kind::Tab:
    case Kind::ComboList:
      for (int i = 0; i < n.items.size(); ++i) {
        out.push_back({path, i, name + " item " + std::to_string(i)});
      }
      break;
    default:
      break;
  }
  for (std::size_t i = 0; i < n.children.size(); ++i) {
    NodePath child = path;
    child.push_back(i);
    CollectTextSlots(n.children[i], child, out);
  }
}

// The bounding box of the pixels that differ between two images.
QRect DifferingBox(const QImage& a, const QImage& b) {
  QRect box;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// The ink of text drawn with nothing around it.
QRect FreeInk(const QFont& font, const QString& text) {
  QImage blank(200, 80, QImage::Format_RGB32);
  blank.fill(Qt::white);
  QImage inked = blank;
  QPainter p(&inked);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QPoint(10, 50), text);
  p.end();
  return DifferingBox(inked, blank);
}

}  // namespace

// Every text the screens show, in every control, keeps the whole height of its
// glyphs: accents above, descenders and the underscore below (the device
// name "Pocket_PC").
TEST_F(DeviceWindowTest, EveryTextControlShowsItsGlyphsWhole) {
  WindowSession s(registry_);
  ASSERT_TRUE(s.opened());
  std::vector<hostqt::Scene> screens;
  for (int tab = 0; tab < 6; ++tab) {
    s.Then([&, tab] {
      if (tab > 0) screens.push_back(hostqt::CaptureScene());
      s.TapTab(tab);
    });
  }
  s.Then([&] {
    screens.push_back(hostqt::CaptureScene());
    // An open drop-down list.
    HWND set1 = PageWithTemplate(res::IDD_SET1);
    s.TapTab(0);
    s.TapWindow(GetDlgItem(set1, res::IDC_CPU_PRIORITY));
  });
  s.Then([&] {
    screens.push_back(hostqt::CaptureScene());
    s.Key(Qt::Key_Escape);
  });
  s.Then([&] { s.TapWindow(GetDlgItem(hostqt::MainDialog(), res::IDC_APPLY)); });
  s.Then([&] {
    screens.push_back(hostqt::CaptureScene());  // Apply's message box
    s.Close();
  });
  s.Run();
  ASSERT_EQ(screens.size(), 8u);

  // Short probes, so that they fit across the narrowest control: letters with
  // descenders and the underscore, kana with a voiced mark and kanji, brackets.
  const QString probes[] = {u"g_"_qs, u"yj"_qs, u"デ"_qs, u"設"_qs, u"(p"_qs};
  int checked = 0;
  for (hostqt::Scene& screen : screens) {
    // Only what is seen: the raised page (pages are never hidden, only
    // covered); with a message box or a list open, only that.
    hostqt::Kind onTop = hostqt::Kind::Dialog;
    for (const hostqt::SceneNode& w : screen.windows) {
      if (w.visible && (w.kind == hostqt::Kind::MessageBox || w.kind == hostqt::Kind::ComboList)) {
        onTop = w.kind;
      }
    }
    std::vector<TextSlot> found;
    for (std::size_t w = 0; w < screen.windows.size(); ++w) {
      hostqt::SceneNode& window = screen.windows[w];
      if (onTop != hostqt::Kind::Dialog && window.kind != onTop) continue;
      bool raised = true;
      for (auto it = window.children.rbegin(); it != window.children.rend(); ++it) {
        if (it->kind != hostqt::Kind::Dialog || !it->visible) continue;
        it->visible = raised;
        raised = false;
      }
      CollectTextSlots(window, {w}, found);
    }
    for (const TextSlot& slot : found) {
      const hostqt::SceneNode& node = NodeAt(screen, slot.path);
      // A static of two lines or more also gets two lines, a line height apart.
      std::vector<QString> texts(std::begin(probes), std::end(probes));
      const bool lines = node.kind == hostqt::Kind::Static && node.lineHeight > 0 &&
                         node.rect.height() >= 2 * node.lineHeight;
      if (lines) texts.push_back(u"g設\ng設"_qs);
      for (const QString& probe : texts) {
        hostqt::Scene shown = screen;
        hostqt::Scene blank = screen;
        auto setText = [&](hostqt::Scene& sc, const QString& text) {
          hostqt::SceneNode& n = NodeAt(sc, slot.path);
          n.focused = false;  // plain text, no selection or caret
          if (slot.item < 0) {
            n.text = text;
          } else {
            n.items[slot.item] = text;
          }
        };
        setText(shown, probe);
        setText(blank, u" "_qs);
        const QRect ink = DifferingBox(hostqt::RenderScene(shown), hostqt::RenderScene(blank));
        const QFont face = hostqt::TextFace(node);
        const int expected = probe.contains(u'\n')
                                 ? node.lineHeight + FreeInk(face, u"g設"_qs).height()
                                 : FreeInk(face, probe).height();
        EXPECT_EQ(ink.height(), expected)
            << slot.name << " with " << probe.toStdString() << ": ink rows " << ink.top() << ".."
            << ink.bottom() << " in " << node.rect.top() << ".." << node.rect.bottom();
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 300);
  // The underscore itself is drawn in every face the screens use.
  for (int px : {10, 11, 12}) {
    for (bool bold : {false, true}) {
      EXPECT_FALSE(FreeInk(hostqt::DeviceFont(px, bold), u"_"_qs).isEmpty()) << px << " " << bold;
    }
  }
}

// A message box without an owner (an error at start-up) on the otherwise
// empty device screen: drawn, and the window's close answers it.
TEST(DeviceWindowEntry, AnOwnerlessMessageBoxIsShownAndClosingAnswersIt) {
  platform::ResetWindowSystem();
  AfxResetFrameworkState();
  platform::ProgramModule().resources = &res::Module();
  int answer = 0;
  QImage shown;
  std::string error;
  const bool opened = host::RunInDeviceWindow(
      {std::nullopt, "RegillaMobile \u2014 bad.reg"},
      [&] {
        auto* window = static_cast<hostqt::DeviceWindow*>(platform::GetInputSource());
        EXPECT_EQ(window->title(), u"RegillaMobile \u2014 bad.reg"_qs);
        window->SetIdleHook([window, &shown] {
          shown = window->Frame();
          QCloseEvent close;
          QGuiApplication::sendEvent(window, &close);
        });
        InitCommonControls();
        answer = MessageBox(nullptr, u"bad.reg:4: dword value without hex digits", u"RegillaMobile",
                            MB_OK | MB_ICONERROR);
      },
      error);
  ASSERT_TRUE(opened) << error;
  EXPECT_EQ(answer, IDOK);
  ASSERT_EQ(shown.size(), QSize(240, 320));
  // Not one colour: the box with its caption and text is on the screen.
  int dark = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) dark += qGray(shown.pixel(x, y)) < 96 ? 1 : 0;
  }
  EXPECT_GT(dark, 100);
  platform::ResetWindowSystem();
}

// Run on a plain screen, on a HiDPI screen (device-pixel ratio 2) and with
// QT_SCALE_FACTOR 1.5 (see CMakeLists.txt).
TEST(DeviceWindowScreens, WholeSharpPixelsThatFitCentredInWhateverSizeTheWindowGets) {
  platform::ResetWindowSystem();
  hostqt::DeviceWindow window(std::nullopt);
  window.show();
  for (int i = 0; i < 200 && !window.isExposed(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  ASSERT_TRUE(window.isExposed());
  const double ratio = window.devicePixelRatio();
  const QRect free = window.screen()->availableGeometry();
  const int s = window.Scale();
  // Fits the free area; as large as zoom 2 allows, or the next would not fit.
  EXPECT_LE(window.width(), free.width());
  EXPECT_LE(window.height(), free.height());
  ASSERT_GE(s, 1);
  const int wanted = static_cast<int>(std::lround(2 * ratio));
  EXPECT_TRUE(s == wanted || 320 * (s + 1) > free.height() * ratio) << s << " at " << ratio;

  auto checkShown = [&](const char* when) {
    window.RenderNow();
    const QImage shown = window.Shown();
    const QImage frame = window.Frame();
    ASSERT_EQ(frame.size(), QSize(240, 320)) << when;
    // The whole window, in physical pixels.
    EXPECT_EQ(shown.size(), QSize(static_cast<int>(std::ceil(window.width() * ratio)),
                                  static_cast<int>(std::ceil(window.height() * ratio))))
        << when;
    // Every device pixel a block of s x s equal pixels, centred.
    const QPoint origin((shown.width() - 240 * s) / 2, (shown.height() - 320 * s) / 2);
    int wrong = 0;
    for (int y = 0; y < 320 * s; ++y) {
      for (int x = 0; x < 240 * s; ++x) {
        wrong += shown.pixel(origin.x() + x, origin.y() + y) != frame.pixel(x / s, y / s) ? 1 : 0;
      }
    }
    EXPECT_EQ(wrong, 0) << when;
    // Around it black, never left unpainted.
    for (const QPoint p : {QPoint(0, 0), QPoint(shown.width() - 1, shown.height() - 1)}) {
      if (p.x() < origin.x() || p.y() < origin.y() || p.x() >= origin.x() + 240 * s ||
          p.y() >= origin.y() + 320 * s) {
        EXPECT_EQ(shown.pixel(p), qRgb(0, 0, 0)) << when;
      }
    }
    // A click lands on the device pixel shown under it.
    const QPointF at((origin.x() + 100 * s + s / 2.0) / ratio,
                     (origin.y() + 150 * s + s / 2.0) / ratio);
    EXPECT_EQ(window.DevicePoint(at), QPoint(100, 150)) << when;
  };
  checkShown("at its own size");
  // A desktop that ignores the fixed size.
  window.setMinimumSize(QSize(0, 0));
  window.setMaximumSize(QSize(16777215, 16777215));
  window.resize(window.size() + QSize(101, 60));
  QCoreApplication::processEvents();
  checkShown("made larger");
  window.hide();
  platform::ResetWindowSystem();
}

TEST(DeviceWindowScreens, AZoomThatDoesNotFitIsReducedWithANote) {
  platform::ResetWindowSystem();
  hostqt::DeviceWindow window(8);
  std::vector<std::string> notes;
  window.SetNotice([&](const std::string& text) { notes.push_back(text); });
  EXPECT_LE(window.height(), window.screen()->availableGeometry().height());
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].rfind("--zoom 8 does not fit the screen's free area of ", 0), 0u) << notes[0];
  platform::ResetWindowSystem();
}
