// Desktop input translated into what the device would receive: taps at
// device coordinates, virtual keys and UTF-16 characters, plus the window's
// own commands (turn the screen, save a screenshot, close).
#pragma once

#include <QPoint>
#include <QString>
#include <optional>
#include <vector>

class QKeyEvent;

namespace hostqt {

struct DeviceInput {
  enum class Type {
    MouseDown,
    MouseMove,
    MouseUp,
    KeyDown,
    KeyUp,
    Char,
    Rotate,      // Ctrl+R
    Screenshot,  // Ctrl+S
    Export,      // Ctrl+E: the settings as a provisioning cabinet
    Close,       // the desktop window was closed
  };
  Type type = Type::MouseDown;
  QPoint pos;        // mouse: device pixels
  unsigned key = 0;  // virtual key, or the UTF-16 unit of Char
  friend bool operator==(const DeviceInput&, const DeviceInput&) = default;
};

// A window position (desktop pixels) on the device screen: divided by the
// zoom and kept inside the screen, so a drag that leaves the window still
// ends on the device.
QPoint ToDevice(QPoint windowPos, int zoom, int screenWidth, int screenHeight);

// The virtual key of a Qt key, for the keys the device's controls use.
std::optional<unsigned> VirtualKey(int qtKey);

// What a key press or release turns into. A press gives the key down and
// then, for text, its characters (as the device's keyboard driver would
// translate them; Ctrl with a letter gives the control character 1 to 26);
// Ctrl+R and Ctrl+S give the window commands.
std::vector<DeviceInput> TranslateKeyPress(const QKeyEvent& event);
std::vector<DeviceInput> TranslateKeyRelease(const QKeyEvent& event);

// Text committed by the desktop's input method, as characters.
std::vector<DeviceInput> TranslateCommit(const QString& text);

}  // namespace hostqt
