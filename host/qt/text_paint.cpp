#include "host/qt/text_paint.h"

#include <QImage>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "host/qt/fonts.h"
#include "host/qt/renderer.h"

namespace hostqt {

InkBand BandOf(const QFont& font) {
  static std::map<std::pair<int, bool>, InkBand> cache;
  const auto key = std::make_pair(font.pixelSize(), font.bold());
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  const int size = std::max(8, font.pixelSize() * 4);
  const int baseline = size / 2;
  QImage img(size * 12, size, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QPoint(2, baseline), u"Agjpqy_()[]デ設ｷｬ"_qs);
  p.end();
  int top = baseline;
  int bottom = baseline - 1;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      if (img.pixel(x, y) != qRgb(255, 255, 255)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  return cache[key] = InkBand{baseline - top, bottom - baseline + 1};
}

// The face for text in lines of `rows` pixels: the node's own, or a pixel or
// two smaller where the glyphs of the node's face would not fit whole.
QFont FittingFont(const SceneNode& n, int rows) {
  QFont font = TextFont(n);
  const int px = font.pixelSize();
  for (int size = px; size >= std::max(1, px - 2); --size) {
    font.setPixelSize(size);
    if (BandOf(font).Height() <= rows) break;
  }
  return font;
}

// The window system's line height for the node's font.
int LinePitch(const SceneNode& n) {
  return n.lineHeight > 0 ? n.lineHeight : QFontMetrics(TextFont(n)).height();
}

// The rows a node's text has: its line height where it lays text out in
// lines, else the height of the area its one line is drawn in.
int TextRows(const SceneNode& n) {
  auto smallest = [](const std::vector<QRect>& rects, int less) {
    int rows = 0;
    for (const QRect& r : rects)
      rows = rows == 0 ? r.height() - less : std::min(rows, r.height() - less);
    return rows;
  };
  switch (n.kind) {
    case Kind::Static:
      return LinePitch(n);
    case Kind::PushButton:
      return n.multiline ? LinePitch(n) : n.rect.height() - 2;
    case Kind::CheckBox:
      return n.multiline ? LinePitch(n) : n.rect.height();
    case Kind::Edit:
      return n.rect.height() - (n.border ? 2 : 0);
    case Kind::Combo:
      return n.rect.height() - 4;
    case Kind::ComboList:
      return smallest(n.itemRects, 0);
    case Kind::Tab:
      return smallest(n.itemRects, 2);  // a label that is not selected stands lower
    default:
      return n.rect.height();
  }
}

// One line of text in r, cut at r's edges: placed across as `align` says and
// centred from top to bottom by the ink of its face, so that accents,
// descenders and the underscore stay inside whenever r is tall enough.
// Returns where the text went.
QRect DrawLine(QPainter& p, const QRect& r, Qt::Alignment align, const QString& text,
               const QFont& font, const QColor& colour) {
  const InkBand band = BandOf(font);
  const int width = QFontMetrics(font).horizontalAdvance(text);
  int x = r.left();
  if (align & Qt::AlignHCenter) {
    x = r.left() + (r.width() - width) / 2;
  } else if (align & Qt::AlignRight) {
    x = r.right() + 1 - width;
  }
  const int top = r.top() + (r.height() - band.Height()) / 2;
  p.save();
  p.setClipRect(r, Qt::IntersectClip);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(QPoint(x, top + band.above), text);
  p.restore();
  return QRect(x, top, width, band.Height());
}

// Breaks text into lines no wider than `width`: at line breaks, and when
// wrapping also where a line is full, after its last blank (the word moves
// down whole; a blank at the break is dropped) or else before the character
// that does not fit, as the window system lays out the text of a message box.
QStringList BreakLines(const QString& text, const QFontMetrics& fm, int width, bool wrap) {
  QStringList lines;
  QString line;
  auto overflows = [&](const QString& ch) {
    return wrap && !line.isEmpty() && fm.horizontalAdvance(line + ch) > width;
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r') continue;
    if (c == u'\n') {
      lines << line;
      line.clear();
      continue;
    }
    QString ch(c);
    if (c.isHighSurrogate() && i + 1 < text.size()) ch += text[++i];
    if (overflows(ch)) {
      if (c == u' ') {
        lines << line;
        line.clear();
        continue;
      }
      const qsizetype blank = line.lastIndexOf(u' ');
      if (blank >= 0 && blank + 1 < line.size()) {
        lines << line.left(blank);
        line.remove(0, blank + 1);
      }
      if (overflows(ch)) {
        lines << line;
        line.clear();
      }
    }
    line += ch;
  }
  lines << line;
  return lines;
}

// Text in lines at the window system's line height, from the top of r or
// centred in it; every line cut at r's edges. Returns where the text went.
QRect DrawLines(QPainter& p, const QRect& r, Qt::Alignment align, bool wrap, bool centre,
                const QString& text, const SceneNode& n, const QColor& colour) {
  const int pitch = LinePitch(n);
  const QFont font = TextFace(n);
  const QStringList lines = BreakLines(text, QFontMetrics(font), r.width(), wrap);
  const int blockHeight = static_cast<int>(lines.size()) * pitch;
  int top = centre ? r.top() + (r.height() - blockHeight) / 2 : r.top();
  QRect used;
  p.save();
  p.setClipRect(r, Qt::IntersectClip);
  for (const QString& line : lines) {
    used |= DrawLine(p, QRect(r.left(), top, r.width(), pitch), align, line, font, colour);
    top += pitch;
  }
  p.restore();
  return used;
}

QFont TextFace(const SceneNode& n) {
  return FittingFont(n, TextRows(n));
}

}  // namespace hostqt
