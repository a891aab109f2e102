// The device window's size on the desktop and the choice of a desktop to
// open it on, as tables of situations.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>

#include "host/qt/display.h"
#include "host/qt/screen_fit.h"

namespace {

TEST(ScreenFit, TheLargestWholePixelScaleUpToTheZoomThatFitsTheFreeArea) {
  struct Row {
    std::optional<int> zoom;
    QSize device;
    QSize available;  // physical pixels
    double ratio;
    int scale;
    bool noted;
  };
  const Row rows[] = {
      {std::nullopt, {240, 320}, {1920, 1040}, 1.0, 2, false},  // the default: 2
      {std::nullopt, {240, 320}, {1024, 600}, 1.0, 1, false},   // 640 rows do not fit in 600
      {std::nullopt, {240, 320}, {100, 100}, 1.0, 1, false},    // never below one pixel
      {3, {240, 320}, {1920, 1040}, 1.0, 3, false},
      {8, {240, 320}, {1920, 1040}, 1.0, 3, true},              // reduced, with a note
      {8, {320, 240}, {1920, 1040}, 1.0, 4, true},              // a turned screen
      {std::nullopt, {240, 320}, {3840, 2160}, 2.0, 4, false},  // HiDPI: 2 logical = 4 physical
      {std::nullopt, {240, 320}, {1600, 900}, 2.0, 2, false},   // 4 does not fit: zoom 1
      {std::nullopt, {240, 320}, {800, 600}, 2.0, 1, false},    // under zoom 1, still fits
      {std::nullopt, {240, 320}, {1920, 1080}, 1.5, 3, false},  // 1.5 x 2 = 3 whole pixels
      {1, {240, 320}, {1920, 1080}, 1.25, 1, false},            // 1.25 rounds to 1
      {2, {240, 320}, {1920, 1080}, 1.25, 3, false},            // 2.5 rounds to 3
      {std::nullopt, {240, 320}, {1920, 1080}, 0.0, 2, false},  // a broken ratio counts as 1
  };
  for (const Row& r : rows) {
    const hostqt::ScreenFit fit = hostqt::FitScreen(r.zoom, r.device, r.available, r.ratio);
    const std::string where = "zoom " + (r.zoom ? std::to_string(*r.zoom) : "-") + " on " +
                              std::to_string(r.available.width()) + "x" +
                              std::to_string(r.available.height()) + " at " +
                              std::to_string(r.ratio);
    EXPECT_EQ(fit.scale, r.scale) << where;
    EXPECT_EQ(!fit.note.empty(), r.noted) << where << ": " << fit.note;
  }
  const hostqt::ScreenFit reduced = hostqt::FitScreen(8, {240, 320}, {1920, 1040}, 1.0);
  EXPECT_EQ(reduced.note,
            "--zoom 8 does not fit the screen's free area of 1920x1040; using zoom 3");
  const hostqt::ScreenFit hidpi = hostqt::FitScreen(4, {240, 320}, {1920, 1080}, 2.0);
  EXPECT_EQ(hidpi.note, "--zoom 4 does not fit the screen's free area of 960x540; using zoom 1.5");
}

// A desktop as the probe sees it.
struct Desktop {
  std::map<std::string, std::string> env;
  std::set<std::string> answeringX;        // X displays with a server
  std::set<std::string> answeringWayland;  // Wayland sockets with a compositor
  std::set<std::string> plugins = {"xcb", "wayland"};

  hostqt::DesktopProbe Probe() const {
    hostqt::DesktopProbe probe;
    probe.env = [this](const char* name) -> std::optional<std::string> {
      auto it = env.find(name);
      if (it == env.end()) return std::nullopt;
      return it->second;
    };
    probe.x11 = [this](const std::string& d) { return answeringX.count(d) > 0; };
    probe.wayland = [this](const std::string& s) { return answeringWayland.count(s) > 0; };
    probe.plugin = [this](const std::string& p) { return plugins.count(p) > 0; };
    return probe;
  }
};

TEST(DesktopChoice, OnlyPlatformsThatCanConnectAreGivenToQt) {
  struct Row {
    const char* what;
    Desktop desktop;
    std::string platform;
    std::string reason;
  };
  const std::string runtime = "/run/user/1000";
  const Row rows[] = {
      {"nothing named", {}, "", "DISPLAY and WAYLAND_DISPLAY are not set"},
      {"an X server", {{{"DISPLAY", ":0"}}, {":0"}, {}}, "xcb", ""},
      {"no X server there",
       {{{"DISPLAY", ":99"}}, {}, {}},
       "",
       "the X display :99 does not answer"},
      {"no xcb plugin",
       {{{"DISPLAY", ":0"}}, {":0"}, {}, {"wayland"}},
       "",
       "Qt's xcb platform plugin is not installed"},
      {"Wayland session with XWayland",
       {{{"DISPLAY", ":0"},
         {"WAYLAND_DISPLAY", "wayland-0"},
         {"XDG_RUNTIME_DIR", runtime},
         {"XDG_SESSION_TYPE", "wayland"}},
        {":0"},
        {runtime + "/wayland-0"}},
       "wayland;xcb",
       ""},
      {"Wayland without its plugin falls back to X",
       {{{"DISPLAY", ":0"},
         {"WAYLAND_DISPLAY", "wayland-0"},
         {"XDG_RUNTIME_DIR", runtime},
         {"XDG_SESSION_TYPE", "wayland"}},
        {":0"},
        {runtime + "/wayland-0"},
        {"xcb"}},
       "xcb",
       ""},
      {"an X session that also names Wayland",
       {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", runtime}},
        {":0"},
        {runtime + "/wayland-0"}},
       "xcb;wayland",
       ""},
      {"a dead compositor",
       {{{"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_RUNTIME_DIR", runtime}}, {}, {}},
       "",
       "the Wayland display wayland-1 does not answer"},
      {"an absolute Wayland socket",
       {{{"WAYLAND_DISPLAY", "/tmp/w"}}, {}, {"/tmp/w"}},
       "wayland",
       ""},
      {"the user's choice, reachable",
       {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}}, {":1"}, {}},
       "xcb",
       ""},
      {"the user's choice, unreachable",
       {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":99"}}, {}, {}},
       "",
       "the X display :99 does not answer"},
      {"the user's list keeps what works, with its options",
       {{{"QT_QPA_PLATFORM", "wayland;xcb:nograb"}, {"DISPLAY", ":1"}}, {":1"}, {}},
       "xcb:nograb",
       ""},
      {"other platforms are taken as they are",
       {{{"QT_QPA_PLATFORM", "offscreen:configfile=/x.json"}}, {}, {}},
       "offscreen:configfile=/x.json",
       ""},
      {"a list of nothing",
       {{{"QT_QPA_PLATFORM", ";"}}, {}, {}},
       "",
       "QT_QPA_PLATFORM names no platform"},
  };
  for (const Row& r : rows) {
    const hostqt::DesktopChoice choice = hostqt::ChooseDesktop(r.desktop.Probe());
    EXPECT_EQ(choice.platform, r.platform) << r.what;
    EXPECT_EQ(choice.reason, r.reason) << r.what;
  }
}

}  // namespace
