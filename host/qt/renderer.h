// Paints a Scene in the look of a Windows Mobile 5 Pocket PC: white dialogs,
// a blue navigation bar and menu bar, black-bordered controls, blue-ish
// selections. Every window is clipped to its parent's client area, and text
// that does not fit its control is cut off, as on the device.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <span>
#include <vector>

#include "host/qt/scene.h"

namespace hostqt {

// Paints the whole scene in device pixels (the painter may be scaled).
void PaintScene(QPainter& painter, const Scene& scene);

// The scene as an image of the screen's size.
QImage RenderScene(const Scene& scene);

// Decodes a .bmp or .ico resource; for an icon, the largest image with the
// deepest colours. Null image when the bytes do not decode.
QImage DecodeResourceImage(std::span<const unsigned char> bytes);

// Every image of an .ico resource, in file order (none when it does not
// decode). Each keeps its colour depth in the text "_q_icoOrigDepth".
std::vector<QImage> DecodeIconImages(std::span<const unsigned char> bytes);

// The font of a node's text: the dialog font of the window, or the bold face
// of the navigation bar and the message box caption.
QFont TextFont(const SceneNode& n);

// The face the node's text is drawn with: its font, or a pixel or two smaller
// where the substitute face's glyphs would not fit whole in the node's lines.
QFont TextFace(const SceneNode& n);

// Width in pixels of text in the dialog font of that height.
int TextWidth(const QString& text, int fontPx);

}  // namespace hostqt
