// Finding a desktop to open the device window on before Qt is asked to: Qt
// ends the process (abort) when none of its platform plugins can connect, so
// the window module checks first and says why instead.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace hostqt {

// What the choice looks at; tests pass their own.
struct DesktopProbe {
  std::function<std::optional<std::string>(const char* name)> env;
  // Whether an X server answers on this display name ("" = Xlib's default).
  std::function<bool(const std::string& display)> x11;
  // Whether a Wayland compositor listens on this socket path.
  std::function<bool(const std::string& socket)> wayland;
  // Whether Qt has the platform plugin of this name ("xcb", "wayland").
  std::function<bool(const std::string& plugin)> plugin;
};

// The real environment, X server, Wayland socket and Qt plugins.
DesktopProbe SystemDesktopProbe();

struct DesktopChoice {
  std::string platform;  // Qt's platform list for -platform; empty when none can open
  std::string reason;    // why none can (DISPLAY not set, the display does not answer, ...)
};

// The platforms that can open a window, in Qt's order: those QT_QPA_PLATFORM
// lists (others than xcb and wayland are taken as they are), else Wayland
// (first in a Wayland session) and X11 where their displays are named.
DesktopChoice ChooseDesktop(const DesktopProbe& probe);

}  // namespace hostqt
