#include "host/qt/display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace hostqt {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool ConnectsToX11(const std::string& display) {
  xcb_connection_t* connection = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
  const bool ok = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return ok;
}

bool ConnectsToWayland(const std::string& socketPath) {
  sockaddr_un address{};
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

bool HasQtPlugin(const std::string& name) {
  const QString pattern = u"libq"_qs + QString::fromStdString(name) + u"*.so"_qs;
  for (const QString& folder : QCoreApplication::libraryPaths()) {
    if (!QDir(folder + u"/platforms"_qs).entryList({pattern}, QDir::Files).isEmpty()) return true;
  }
  return false;
}

}  // namespace

DesktopProbe SystemDesktopProbe() {
  DesktopProbe probe;
  probe.env = [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
  };
  probe.x11 = &ConnectsToX11;
  probe.wayland = &ConnectsToWayland;
  probe.plugin = &HasQtPlugin;
  return probe;
}

DesktopChoice ChooseDesktop(const DesktopProbe& probe) {
  const std::optional<std::string> display = probe.env("DISPLAY");
  const std::optional<std::string> waylandDisplay = probe.env("WAYLAND_DISPLAY");
  std::vector<std::string> reasons;

  // Whether a platform of Qt's list can open a window; notes why not.
  auto usable = [&](const std::string& entry) {
    const std::string name = entry.substr(0, entry.find(':'));
    const bool isX11 = name == "xcb";
    const bool isWayland = name.rfind("wayland", 0) == 0;
    if (!isX11 && !isWayland) return true;
    if (!probe.plugin(isX11 ? "xcb" : "wayland")) {
      reasons.push_back("Qt's " + name + " platform plugin is not installed");
      return false;
    }
    if (isX11) {
      if (!display) {
        reasons.push_back("DISPLAY is not set");
        return false;
      }
      if (!probe.x11(*display)) {
        reasons.push_back("the X display " + *display + " does not answer");
        return false;
      }
      return true;
    }
    const std::string socketName = waylandDisplay.value_or("wayland-0");
    std::string socketPath = socketName;
    if (socketName.front() != '/') {
      const std::optional<std::string> runtime = probe.env("XDG_RUNTIME_DIR");
      if (!runtime) {
        reasons.push_back("XDG_RUNTIME_DIR is not set for the Wayland display");
        return false;
      }
      socketPath = *runtime + "/" + socketName;
    }
    if (!probe.wayland(socketPath)) {
      reasons.push_back("the Wayland display " + socketName + " does not answer");
      return false;
    }
    return true;
  };

  std::vector<std::string> candidates;
  if (const std::optional<std::string> chosen = probe.env("QT_QPA_PLATFORM")) {
    candidates = Split(*chosen, ';');
  } else {
    if (!display && !waylandDisplay) return {{}, "DISPLAY and WAYLAND_DISPLAY are not set"};
    const bool waylandSession = probe.env("XDG_SESSION_TYPE") == "wayland";
    if (waylandDisplay && waylandSession) candidates.push_back("wayland");
    if (display) candidates.push_back("xcb");
    if (waylandDisplay && !waylandSession) candidates.push_back("wayland");
  }

  DesktopChoice choice;
  for (const std::string& entry : candidates) {
    if (!usable(entry)) continue;
    if (!choice.platform.empty()) choice.platform += ';';
    choice.platform += entry;
  }
  if (choice.platform.empty()) {
    if (reasons.empty()) reasons.push_back("QT_QPA_PLATFORM names no platform");
    for (const std::string& reason : reasons) {
      if (!choice.reason.empty()) choice.reason += "; ";
      choice.reason += reason;
    }
  }
  return choice;
}

}  // namespace hostqt
