// A snapshot of what the device screen shows: the visible windows, in Z order,
// with the state each control needs to be drawn. The renderer paints a Scene;
// platform_scene.cpp builds one from the live window tree. Keeping the two
// apart lets the renderer be tested on hand-made scenes.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

namespace hostqt {

enum class Kind {
  Window,      // anything without a look of its own: filled white
  Dialog,      // dialog box (main dialog, pages)
  MessageBox,  // top-level message box frame
  Caption,     // the caption strip of a message box (a static of its own)
  NavBar,      // the 26-px navigation bar at the top of the screen
  NavOk,       // the OK button of the navigation bar
  MenuBar,     // the 26-px menu bar at the bottom of the screen
  PushButton,
  CheckBox,
  Static,        // static text
  StaticBitmap,  // SS_BITMAP
  StaticIcon,    // SS_ICON
  Edit,
  Combo,      // drop-down list field
  ComboList,  // the open list of a drop-down
  Tab,
  UpDown,
  Progress,
};

enum class TextAlign { Left, Center, Right };

struct SceneNode {
  Kind kind = Kind::Window;
  int id = -1;
  QString text;
  QRect rect;    // window rectangle, screen coordinates
  QRect client;  // client rectangle, screen coordinates
  bool visible = true;
  bool enabled = true;
  bool focused = false;
  bool border = false;  // WS_BORDER
  int fontPx = 10;      // em height of the dialog font in pixels ("MS Shell Dlg" 8 pt)
  bool fontBold = false;
  int lineHeight = 0;  // the window system's line height for the font (0: the face's own)

  // Buttons and statics.
  bool checked = false;
  bool pressed = false;
  bool multiline = false;
  bool wordWrap = true;  // static text wraps unless SS_LEFTNOWORDWRAP
  TextAlign align = TextAlign::Left;

  // Tab control, drop-down field and list.
  QStringList items;
  // Screen rectangles as the control reports them: tab labels, list entries,
  // up-down arrows (up, then down). Only what has a rectangle is drawn.
  std::vector<QRect> itemRects;
  int selected = -1;
  int hot = -1;  // list entry under the pointer

  // Edit.
  bool readOnly = false;
  int caret = 0;
  int selStart = 0;
  int selEnd = 0;
  int scrollChars = -1;  // first visible character; -1: keep the caret in view

  // Progress bar and up-down.
  int rangeMin = 0;
  int rangeMax = 100;
  int pos = 0;
  int pressedArrow = 0;  // up-down: 0 none, 1 up, -1 down

  // SS_BITMAP / SS_ICON: the resource file bytes (.bmp / .ico).
  std::span<const unsigned char> image;

  std::vector<SceneNode> children;  // bottom of the Z order first
};

struct Scene {
  QSize screen{240, 320};
  std::vector<SceneNode> windows;  // top-level windows, bottom of the Z order first
};

}  // namespace hostqt
