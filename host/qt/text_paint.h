// Text on the device screen: the rows a face's ink takes, the face that
// fits a control's lines, and lines broken and drawn as the window system
// lays them out.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>

#include "host/qt/scene.h"

namespace hostqt {

// The rows a face's glyphs take above the baseline and from it down, measured
// on what the screens' texts are made of: letters with descenders, the
// underscore, brackets, kana with voiced marks, kanji and half-width kana.
// (The substitute faces reach a row beyond their nominal ascent or descent.)
struct InkBand {
  int above = 0;
  int below = 0;
  int Height() const { return above + below; }
};

InkBand BandOf(const QFont& font);

// The face for text in lines of `rows` pixels: the node's own, or a pixel or
// two smaller where the glyphs of the node's face would not fit whole.
QFont FittingFont(const SceneNode& n, int rows);

// The window system's line height for the node's font.
int LinePitch(const SceneNode& n);

// The rows a node's text has: its line height where it lays text out in
// lines, else the height of the area its one line is drawn in.
int TextRows(const SceneNode& n);

// One line of text in r, cut at r's edges: placed across as `align` says and
// centred from top to bottom by the ink of its face. Returns where it went.
QRect DrawLine(QPainter& p, const QRect& r, Qt::Alignment align, const QString& text,
               const QFont& font, const QColor& colour);

// Breaks text into lines no wider than `width` (see text_paint.cpp).
QStringList BreakLines(const QString& text, const QFontMetrics& fm, int width, bool wrap);

// Text in lines at the window system's line height, from the top of r or
// centred in it; every line cut at r's edges. Returns where the text went.
QRect DrawLines(QPainter& p, const QRect& r, Qt::Alignment align, bool wrap, bool centre,
                const QString& text, const SceneNode& n, const QColor& colour);

}  // namespace hostqt
