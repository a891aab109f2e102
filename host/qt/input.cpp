#include "host/qt/input.h"

#include <QKeyEvent>
#include <algorithm>

namespace hostqt {

namespace {

// Windows virtual-key codes.
constexpr unsigned kVkBack = 0x08;
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkShift = 0x10;
constexpr unsigned kVkControl = 0x11;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkSpace = 0x20;
constexpr unsigned kVkEnd = 0x23;
constexpr unsigned kVkHome = 0x24;
constexpr unsigned kVkLeft = 0x25;
constexpr unsigned kVkUp = 0x26;
constexpr unsigned kVkRight = 0x27;
constexpr unsigned kVkDown = 0x28;
constexpr unsigned kVkDelete = 0x2E;

bool IsCommand(const QKeyEvent& e, int key) {
  return (e.modifiers() & Qt::ControlModifier) && !(e.modifiers() & Qt::AltModifier) &&
         e.key() == key;
}

void AppendChars(std::vector<DeviceInput>& out, const QString& text) {
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F) continue;  // control characters are keys, not text
    out.push_back({DeviceInput::Type::Char, {}, u});
  }
}

}  // namespace

QPoint ToDevice(QPoint windowPos, int zoom, int screenWidth, int screenHeight) {
  const int z = std::max(1, zoom);
  // Floor division, so that -1 maps to -1 and then clamps to 0.
  auto floorDiv = [z](int v) { return v >= 0 ? v / z : -((-v + z - 1) / z); };
  return {std::clamp(floorDiv(windowPos.x()), 0, std::max(0, screenWidth - 1)),
          std::clamp(floorDiv(windowPos.y()), 0, std::max(0, screenHeight - 1))};
}

std::optional<unsigned> VirtualKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Backspace:
      return kVkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return kVkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kVkReturn;
    case Qt::Key_Shift:
      return kVkShift;
    case Qt::Key_Control:
      return kVkControl;
    case Qt::Key_Escape:
      return kVkEscape;
    case Qt::Key_Space:
      return kVkSpace;
    case Qt::Key_End:
      return kVkEnd;
    case Qt::Key_Home:
      return kVkHome;
    case Qt::Key_Left:
      return kVkLeft;
    case Qt::Key_Up:
      return kVkUp;
    case Qt::Key_Right:
      return kVkRight;
    case Qt::Key_Down:
      return kVkDown;
    case Qt::Key_Delete:
      return kVkDelete;
    default:
      break;
  }
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<unsigned>(qtKey);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<unsigned>(qtKey);
  return std::nullopt;
}

std::vector<DeviceInput> TranslateKeyPress(const QKeyEvent& e) {
  std::vector<DeviceInput> out;
  if (IsCommand(e, Qt::Key_R)) return {{DeviceInput::Type::Rotate, {}, 0}};
  if (IsCommand(e, Qt::Key_S)) return {{DeviceInput::Type::Screenshot, {}, 0}};
  if (IsCommand(e, Qt::Key_E)) return {{DeviceInput::Type::Export, {}, 0}};
  // Shift+Tab arrives as Backtab: the device sees Shift held and Tab.
  if (const auto vk = VirtualKey(e.key())) out.push_back({DeviceInput::Type::KeyDown, {}, *vk});
  const bool control = (e.modifiers() & Qt::ControlModifier) &&
                       !(e.modifiers() & (Qt::AltModifier | Qt::MetaModifier));
  if (e.key() == Qt::Key_Backspace) {
    // The keyboard driver turns Backspace into the character 8 as well; the
    // edit deletes on that character.
    out.push_back({DeviceInput::Type::Char, {}, kVkBack});
  } else if (control && e.key() >= Qt::Key_A && e.key() <= Qt::Key_Z) {
    // Ctrl with a letter gives the control character 1 to 26, as the
    // keyboard driver does: the edit copies on 3 (Ctrl+C), pastes on 22
    // (Ctrl+V), cuts on 24 (Ctrl+X) and undoes on 26 (Ctrl+Z).
    out.push_back({DeviceInput::Type::Char, {}, static_cast<unsigned>(e.key() - Qt::Key_A + 1)});
  } else if (!(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
    AppendChars(out, e.text());
  }
  return out;
}

std::vector<DeviceInput> TranslateKeyRelease(const QKeyEvent& e) {
  if (e.isAutoRepeat()) return {};
  if (IsCommand(e, Qt::Key_R) || IsCommand(e, Qt::Key_S) || IsCommand(e, Qt::Key_E)) return {};
  if (const auto vk = VirtualKey(e.key())) return {{DeviceInput::Type::KeyUp, {}, *vk}};
  return {};
}

std::vector<DeviceInput> TranslateCommit(const QString& text) {
  std::vector<DeviceInput> out;
  AppendChars(out, text);
  return out;
}

}  // namespace hostqt
