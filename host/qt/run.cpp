// The device window's entry points: the desktop window, the offscreen
// screenshot, the window of a --show script run.
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <iostream>

#include "host/program.h"
#include "host/qt/device_window.h"
#include "host/qt/fonts.h"
#include "host/qt/platform_scene.h"
#include "host/qt/renderer.h"
#include "host/qt/run.h"
#include "platform/window/host.h"

namespace hostqt {

namespace {

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

// A desktop to open a window on: X11 or Wayland, or a Qt platform the user
// chose explicitly.
bool HasDisplay() {
  return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY") || EnvSet("QT_QPA_PLATFORM");
}

// Qt's chatter that says nothing to the user of this program: the runtime
// folder fallback and the offscreen platform's missing window manager hints.
QtMessageHandler previousHandler = nullptr;
void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && (text.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR"_qs) ||
                               text.startsWith(u"This plugin does not support"_qs))) {
    return;
  }
  if (previousHandler != nullptr) previousHandler(type, context, text);
}

// The one QGuiApplication of the process. Offscreen when nothing needs a
// window; created once and kept until the process ends.
QGuiApplication* EnsureApplication(bool offscreen) {
  if (auto* existing = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return existing;
  static int argc = 3;
  static char arg0[] = "RegillaMobile";
  static char arg1[] = "-platform";
  static char arg2[] = "offscreen";
  static char* argv[] = {arg0, arg1, arg2, nullptr};
  if (!offscreen) argc = 1;
  previousHandler = qInstallMessageHandler(&FilterQtMessages);
  static auto* app = new QGuiApplication(argc, argv);
  QGuiApplication::setApplicationName(u"RegillaMobile"_qs);
  QGuiApplication::setDesktopFileName(u"RegillaMobile"_qs);
  InstallDeviceFonts();
  return app;
}

// The window of a --show script run; it lives until the process ends.
DeviceWindow*& ScriptWindow() {
  static DeviceWindow* window = nullptr;
  return window;
}

}  // namespace

int RunDeviceWindow(const host::HostOptions& options) {
  if (!HasDisplay()) {
    std::cerr
        << "RegillaMobile: no display to open the device window on (DISPLAY and "
           "WAYLAND_DISPLAY are not set).\n"
           "  Run it on a desktop, or under a virtual display:  xvfb-run RegillaMobile ...\n"
           "  or headless with a script:                         RegillaMobile --script FILE\n";
    return 1;
  }
  EnsureApplication(false);
  DeviceWindow window(options.zoom);
  window.SetNotice([](const std::string& text) { std::cerr << "RegillaMobile: " << text << '\n'; });
  platform::SetPaintListener([&window](HWND, bool immediate) {
    if (immediate) {
      window.RenderNow();
    } else {
      window.ScheduleRender();
    }
  });
  platform::SetInputSource(&window);
  window.show();
  host::RunTool();
  platform::SetInputSource(nullptr);
  platform::SetPaintListener({});
  window.hide();
  return host::kExitOk;
}

bool RenderScreenshot(const std::string& pngPath, std::string& error) {
  EnsureApplication(ScriptWindow() == nullptr);
  const QImage image = RenderScene(CaptureScene());
  if (!image.save(QString::fromStdString(pngPath), "PNG")) {
    error = "cannot write the PNG file " + pngPath;
    return false;
  }
  return true;
}

bool ShowScriptWindow(const host::HostOptions& options, std::string& error) {
  if (!HasDisplay()) {
    error = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
    return false;
  }
  EnsureApplication(false);
  DeviceWindow*& window = ScriptWindow();
  if (window == nullptr) window = new DeviceWindow(options.zoom);
  // The script is the input source; the window only shows what it does, so
  // every change is painted as it happens.
  platform::SetPaintListener([w = window](HWND, bool) { w->RenderNow(); });
  window->show();
  window->RenderNow();
  return true;
}

}  // namespace hostqt
