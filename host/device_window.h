// The device window: the emulated screen in a desktop window. Provided by the
// module RegillaMobile-window.so (host/qt/), which the program loads on demand
// (device_window_loader.cpp); a build without Qt has no module, and a window
// or a screenshot is then refused with the reason.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace host {

// How the desktop window looks.
struct WindowSettings {
  std::optional<int> zoom;  // --zoom; none: the largest zoom up to 2 that fits the screen
  std::string title = "RegillaMobile";
};

// How the module's error begins when there is no desktop to open a window on.
inline constexpr const char* kNoDisplayError = "no display to open the device window on";

// Runs `body` with the device window as the window system's input source and
// painter: the window shows the screen from before `body` starts until it
// returns, and closing it presses OK (of an open message box first). The
// host's hooks (trace, registry flush before each wait) stay the host's.
// False, saying why in `error`, when no window can be opened (no module, no
// display); `body` has not run then.
bool RunInDeviceWindow(const WindowSettings& settings, const std::function<void()>& body,
                       std::string& error);

// Renders the emulated screen as it is now into a PNG file (offscreen; no
// window needed). False with a reason when it cannot.
bool RenderScreenshot(const std::string& pngPath, std::string& error);

// Shows the device window during a script run (--show --script): paints the
// screen as the script drives it. False with a reason when it cannot; the
// script then runs headless.
bool ShowScriptWindow(const WindowSettings& settings, std::string& error);

}  // namespace host
