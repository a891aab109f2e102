// The device window's entry points: the desktop window around the tool (or a
// message box), the offscreen screenshot, the window of a --show script run.
#include "host/qt/run.h"

#include <QGuiApplication>
#include <QImage>
#include <iostream>

#include "host/qt/device_window.h"
#include "host/qt/display.h"
#include "host/qt/fonts.h"
#include "host/qt/platform_scene.h"
#include "host/qt/renderer.h"
#include "platform/window/host.h"

namespace hostqt {

namespace {

// Qt's chatter that says nothing to the user of this program: the runtime
// folder fallback, the offscreen platform's missing window manager hints,
// and the X errors about a window another program destroyed.
QtMessageHandler previousHandler = nullptr;
void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && (text.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR"_qs) ||
                               text.startsWith(u"This plugin does not support"_qs))) {
    return;
  }
  if (DeviceWindow::AnyDestroyedElsewhere() && text.contains(u"(BadWindow)"_qs)) return;
  if (previousHandler != nullptr) previousHandler(type, context, text);
}

// The one QGuiApplication of the process, on `platform` (Qt's -platform
// list); created once and kept until the process ends.
QGuiApplication* EnsureApplication(const std::string& platform) {
  if (auto* existing = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return existing;
  static std::string platformArg = platform;
  static int argc = 3;
  static char arg0[] = "RegillaMobile";
  static char arg1[] = "-platform";
  static char* argv[] = {arg0, arg1, platformArg.data(), nullptr};
  previousHandler = qInstallMessageHandler(&FilterQtMessages);
  static auto* app = new QGuiApplication(argc, argv);
  QGuiApplication::setApplicationName(u"RegillaMobile"_qs);
  QGuiApplication::setDesktopFileName(u"RegillaMobile"_qs);
  InstallDeviceFonts();
  return app;
}

// The application on a desktop that can open windows; false with the reason
// when there is none (Qt would abort).
bool EnsureDesktop(std::string& error) {
  if (QCoreApplication::instance() != nullptr) return true;
  const DesktopChoice desktop = ChooseDesktop(SystemDesktopProbe());
  if (desktop.platform.empty()) {
    error = std::string(host::kNoDisplayError) + " (" + desktop.reason + ")";
    return false;
  }
  EnsureApplication(desktop.platform);
  return true;
}

QString Title(const host::WindowSettings& settings) {
  return QString::fromStdString(settings.title);
}

void NoticeOnStderr(const std::string& text) {
  std::cerr << "RegillaMobile: " << text << '\n';
}

// The window of a --show script run; it lives until the process ends.
DeviceWindow*& ScriptWindow() {
  static DeviceWindow* window = nullptr;
  return window;
}

}  // namespace

bool RunInDeviceWindow(const host::WindowSettings& settings, const std::function<void()>& body,
                       std::string& error) {
  if (!EnsureDesktop(error)) return false;
  DeviceWindow window(settings.zoom, Title(settings));
  window.SetNotice(&NoticeOnStderr);
  platform::SetPaintListener([&window](HWND, bool immediate) {
    if (immediate) {
      window.RenderNow();
    } else {
      window.ScheduleRender();
    }
  });
  platform::SetInputSource(&window);
  window.show();
  body();
  platform::SetInputSource(nullptr);
  platform::SetPaintListener({});
  window.hide();
  return true;
}

bool RenderScreenshot(const std::string& pngPath, std::string& error) {
  if (QCoreApplication::instance() == nullptr) EnsureApplication("offscreen");
  const QImage image = RenderScene(CaptureScene());
  if (!image.save(QString::fromStdString(pngPath), "PNG")) {
    error = "cannot write the PNG file " + pngPath;
    return false;
  }
  return true;
}

bool ShowScriptWindow(const host::WindowSettings& settings, std::string& error) {
  if (!EnsureDesktop(error)) return false;
  DeviceWindow*& window = ScriptWindow();
  if (window == nullptr) {
    window = new DeviceWindow(settings.zoom, Title(settings));
    window->SetNotice(&NoticeOnStderr);
  }
  // The script is the input source; the window only shows what it does, so
  // every change is painted as it happens.
  platform::SetPaintListener([w = window](HWND, bool) { w->RenderNow(); });
  window->show();
  window->RenderNow();
  return true;
}

}  // namespace hostqt
