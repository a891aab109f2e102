// The program's device window on a real X server (Xvfb), driven the way a
// desktop does it with xdotool: its title and size, its pixels, a window
// destroyed by another program, errors shown in the window.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/fixtures.h"
#include "tests/support/process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ReadFile;
using test::WriteText;

bool OnPath(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// An Xvfb server of its own, on the first free display.
class XServer {
 public:
  XServer(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
      const std::string fd = std::to_string(fds[1]);
      // -noreset: the server would otherwise reset when its last client
      // leaves (xdotool's, say) and refuse the tool's connection meanwhile.
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
             "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return;
    // Wait until a client can reach the display the server names.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      xcb_connection_t* probe = xcb_connect((":" + number).c_str(), nullptr);
      const bool answers = xcb_connection_has_error(probe) == 0;
      xcb_disconnect(probe);
      if (answers) {
        display_ = ":" + number;
        return;
      }
      std::this_thread::sleep_for(50ms);
    }
  }
  ~XServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& display() const { return display_; }

  // Runs a command on this display; its standard output.
  std::string Command(const std::string& command) const {
    std::string out;
    FILE* pipe = popen(("DISPLAY=" + display_ + " " + command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
  }

  // The program's visible window, waited for.
  std::string WaitForWindow(std::chrono::seconds timeout = 20s) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      std::string id = Command("xdotool search --onlyvisible --name '^RegillaMobile'");
      if (!id.empty()) return id.substr(0, id.find('\n'));
      std::this_thread::sleep_for(50ms);
    }
    return {};
  }

  struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB
    std::uint32_t at(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
  };
  // What the window shows, read back from the server.
  Image Grab(const std::string& window) const {
    Image image;
    xcb_connection_t* c = xcb_connect(display_.c_str(), nullptr);
    const auto id = static_cast<xcb_window_t>(std::stoul(window));
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    if (g != nullptr) {
      xcb_get_image_reply_t* r = xcb_get_image_reply(
          c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0, g->width, g->height, ~0u),
          nullptr);
      if (r != nullptr && xcb_get_image_data_length(r) >= g->width * g->height * 4) {
        image.width = g->width;
        image.height = g->height;
        const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(r));
        image.pixels.assign(data, data + image.width * image.height);
      }
      free(r);
      free(g);
    }
    xcb_disconnect(c);
    return image;
  }

  // What the window shows once `done` holds for it, or after `timeout` (the
  // caller checks `done` again): the program is never given a fixed time.
  template <class Done>
  Image WaitForImage(const std::string& window, Done done,
                     std::chrono::seconds timeout = 20s) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Image image = Grab(window);
    while (!done(image) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(50ms);
      image = Grab(window);
    }
    return image;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool"}) {
      ASSERT_TRUE(OnPath(tool)) << tool << " is missing (scripts/deps.sh installs it)";
    }
    char pattern[] = "/tmp/regilla-desktop-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    store_ = dir_ / "dev.reg";
    WriteText(store_, test::Fixture("device.reg"));
    env_["XDG_DATA_HOME"] = (dir_ / "xdg").string();
    env_["QT_QPA_PLATFORM"] = std::nullopt;
    env_["WAYLAND_DISPLAY"] = std::nullopt;
    env_["QT_SCALE_FACTOR"] = std::nullopt;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::unique_ptr<test::Interactive> Start(const XServer& x, std::vector<std::string> extra = {},
                                           test::Env env = {}) {
    test::Env all = env_;
    all["DISPLAY"] = x.display();
    for (const auto& [name, value] : env) all[name] = value;
    std::vector<std::string> args = {"--registry", store_.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return std::make_unique<test::Interactive>(args, all);
  }

  // What the tool said, for a failure message: it is ended for this.
  static std::string Output(test::Interactive& tool) {
    const test::Result r = tool.Finish(5s);
    return "\nstatus " + std::to_string(r.status) + ", standard error:\n" + r.err;
  }

  fs::path dir_;
  fs::path store_;
  test::Env env_;
};

bool BarBlue(std::uint32_t p) {
  const int r = (p >> 16) & 0xFF, b = p & 0xFF;
  return b > r + 60 && b > 0x80;
}

// The screen is painted: white page or box and the blue of a title or caption
// bar are both there.
bool Painted(const XServer::Image& image) {
  std::size_t white = 0, blue = 0;
  for (std::uint32_t p : image.pixels) {
    white += (p & 0xFFFFFF) == 0xFFFFFF ? 1 : 0;
    blue += BarBlue(p) ? 1 : 0;
  }
  return !image.pixels.empty() && white * 10 > image.pixels.size() &&
         blue * 100 > image.pixels.size();
}

// A message box is open: its caption band, blue over more than half the
// screen's width, lies below the title bar (the top eighth of the screen).
bool MessageBoxShown(const XServer::Image& image) {
  for (int y = image.height / 8; y < image.height * 7 / 8; ++y) {
    int run = 0;
    for (int x = 0; x < image.width; ++x) {
      run = BarBlue(image.at(x, y)) ? run + 1 : 0;
      if (run * 2 > image.width) return true;
    }
  }
  return false;
}

// Clicks "インストール先を問い合わせる" (device pixel 27, 84) on the painted
// screen at zoom 2; false when the screen does not change.
bool CheckTheFirstBox(const XServer& x, const std::string& window) {
  const XServer::Image unchanged = x.WaitForImage(window, Painted);
  if (!Painted(unchanged)) return false;
  x.Command("xdotool mousemove --window " + window + " 54 168 click 1");
  const auto changed = [&](const XServer::Image& i) { return i.pixels != unchanged.pixels; };
  return changed(x.WaitForImage(window, changed));
}

// Each device pixel a square of `scale` equal pixels (the screen is sharp).
bool WholeBlocks(const XServer::Image& image, int scale) {
  for (int y = 0; y + scale <= image.height; y += scale) {
    for (int x = 0; x + scale <= image.width; x += scale) {
      for (int i = 0; i < scale * scale; ++i) {
        if (image.at(x + i % scale, y + i / scale) != image.at(x, y)) return false;
      }
    }
  }
  return true;
}

TEST_F(Desktop, TheWindowNamesTheStoreAndFitsTheScreenInSharpPixels) {
  struct Row {
    const char* what;
    int screenWidth, screenHeight;
    std::vector<std::string> args;
    test::Env env;
    int width, height;  // the window in the server's pixels
    int scale;          // server pixels per device pixel
    const char* note;   // on stderr
  };
  const Row rows[] = {
      {"zoom 2 by default", 1024, 768, {}, {}, 480, 640, 2, nullptr},
      {"zoom 1 where 2 does not fit", 800, 600, {}, {}, 240, 320, 1, nullptr},
      {"a zoom that does not fit",
       1024,
       768,
       {"--zoom", "3"},
       {},
       480,
       640,
       2,
       "--zoom 3 does not fit the screen's free area of 1024x768; using zoom 2"},
      {"scale factor 2, where zoom 2 does not fit",
       1280,
       1024,
       {},
       {{"QT_SCALE_FACTOR", "2"}},
       720,
       960,
       3,
       nullptr},
  };
  for (const Row& row : rows) {
    XServer x(row.screenWidth, row.screenHeight);
    ASSERT_FALSE(x.display().empty());
    auto tool = Start(x, row.args, row.env);
    const std::string window = x.WaitForWindow();
    ASSERT_FALSE(window.empty()) << row.what << Output(*tool);
    EXPECT_EQ(x.Command("xdotool getwindowname " + window), "RegillaMobile \u2014 dev.reg");
    EXPECT_EQ(
        x.Command("xdotool getwindowgeometry --shell " + window + " | grep -E 'WIDTH|HEIGHT'"),
        "WIDTH=" + std::to_string(row.width) + "\nHEIGHT=" + std::to_string(row.height))
        << row.what;
    const XServer::Image shown = x.WaitForImage(
        window, [&](const XServer::Image& i) { return i.width == row.width && Painted(i); });
    ASSERT_TRUE(Painted(shown)) << row.what;
    EXPECT_EQ(shown.width, row.width) << row.what;
    EXPECT_TRUE(WholeBlocks(shown, row.scale)) << row.what;
    x.Command("xdotool windowclose " + window);
    const test::Result r = tool->Finish(15s);
    EXPECT_EQ(r.status, 0) << row.what << "\n" << r.err;
    if (row.note != nullptr) {
      EXPECT_NE(r.err.find(std::string("RegillaMobile: ") + row.note + "\n"), std::string::npos)
          << r.err;
    } else {
      EXPECT_EQ(r.err.find("--zoom"), std::string::npos) << r.err;
    }
  }
}

TEST_F(Desktop, AWindowDestroyedByAnotherProgramEndsTheToolWithoutSaving) {
  XServer x(1024, 768);
  ASSERT_FALSE(x.display().empty());
  const std::string before = ReadFile(store_);
  auto tool = Start(x);
  const std::string window = x.WaitForWindow();
  ASSERT_FALSE(window.empty()) << Output(*tool);
  // A change not applied.
  ASSERT_TRUE(CheckTheFirstBox(x, window));
  x.Command("xdotool windowclose " + window);
  const test::Result r = tool->Finish(15s);
  EXPECT_EQ(r.status, 0) << r.err;  // -1: still running after the window was gone
  EXPECT_EQ(ReadFile(store_), before);
  EXPECT_EQ(r.err.find("BadWindow"), std::string::npos) << r.err;
}

TEST_F(Desktop, AStartUpErrorIsShownInTheWindowUntilAnswered) {
  const std::string corrupt =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\System\\GWE]\n"
      "\"Animate\"=dword:zz\n";
  WriteText(dir_ / "bad.reg", corrupt);
  struct Row {
    fs::path store;
    std::string title;
    std::string error;  // on stderr
  };
  const Row rows[] = {
      {dir_ / "bad.reg", "RegillaMobile \u2014 bad.reg", "bad.reg:4:"},
      {dir_ / "no" / "such" / "dev.reg", "RegillaMobile \u2014 dev.reg", "does not exist"},
  };
  for (const Row& row : rows) {
    XServer x(1024, 768);
    ASSERT_FALSE(x.display().empty());
    store_ = row.store;
    auto tool = Start(x);
    const std::string window = x.WaitForWindow();
    ASSERT_FALSE(window.empty()) << "no window for " << row.error << Output(*tool);
    EXPECT_EQ(x.Command("xdotool getwindowname " + window), row.title);
    // A message box: the blue caption strip and dark text on white.
    const XServer::Image shown = x.WaitForImage(window, MessageBoxShown);
    EXPECT_TRUE(MessageBoxShown(shown)) << row.error;
    int dark = 0;
    for (std::uint32_t p : shown.pixels) {
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      dark += r + g + b < 200 ? 1 : 0;
    }
    EXPECT_GT(dark, 1000) << row.error;
    x.Command("xdotool key --window " + window + " Return");
    const test::Result r = tool->Finish(15s);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(row.error), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFile(dir_ / "bad.reg"), corrupt);
  EXPECT_FALSE(fs::exists(dir_ / "no"));
}

TEST_F(Desktop, ASaveThatFailsAtTheEndIsShownInTheWindow) {
  XServer x(1024, 768);
  ASSERT_FALSE(x.display().empty());
  fs::create_directories(dir_ / "gone");
  store_ = dir_ / "gone" / "dev.reg";
  WriteText(store_, test::Fixture("device.reg"));
  auto tool = Start(x);
  std::string window = x.WaitForWindow();
  ASSERT_FALSE(window.empty()) << Output(*tool);
  ASSERT_TRUE(CheckTheFirstBox(x, window));  // a change to save
  fs::remove_all(dir_ / "gone");             // nowhere left to save to
  // Apply ("反映", device pixel 70, 279): its save fails and says so.
  x.Command("xdotool mousemove --window " + window + " 140 558 click 1");
  ASSERT_TRUE(MessageBoxShown(x.WaitForImage(window, MessageBoxShown))) << "no Apply message";
  x.Command("xdotool key --window " + window + " Return");  // its message
  ASSERT_FALSE(MessageBoxShown(
      x.WaitForImage(window, [](const XServer::Image& i) { return !MessageBoxShown(i); })));
  // The title bar's OK (device pixel 222, 12): the end.
  x.Command("xdotool mousemove --window " + window + " 444 24 click 1");
  // The end's save fails too: the error on an otherwise empty screen (no
  // navigation bar at the top any more).
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  std::string second;
  while (std::chrono::steady_clock::now() < deadline) {
    second = x.WaitForWindow(1s);
    if (!second.empty()) {
      const XServer::Image shown = x.Grab(second);
      if (!shown.pixels.empty() && shown.at(10, 10) == 0xFFFFFF) break;
    }
    second.clear();
    std::this_thread::sleep_for(50ms);
  }
  ASSERT_FALSE(second.empty()) << "no window for the failed save" << Output(*tool);
  x.Command("xdotool key --window " + second + " Return");
  const test::Result r = tool->Finish(15s);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("the settings could not be saved"), std::string::npos) << r.err;
}

}  // namespace
