#include "host/qt/renderer.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetrics>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainterPath>
#include <algorithm>
#include <map>

#include "host/qt/fonts.h"
#include "host/qt/text_paint.h"

namespace hostqt {

namespace {

// Colours of the Windows Mobile 5 default scheme.
const QColor kWindow(0xFF, 0xFF, 0xFF);
const QColor kText(0x00, 0x00, 0x00);
const QColor kGrayText(0x80, 0x80, 0x80);
const QColor kFrame(0x00, 0x00, 0x00);
const QColor kFace(0xE6, 0xE6, 0xE6);
const QColor kFacePressed(0xA6, 0xA6, 0xA6);
const QColor kHighlight(0x1F, 0x5F, 0xB4);
const QColor kHighlightText(0xFF, 0xFF, 0xFF);
const QColor kBarTop(0x4A, 0x88, 0xD8);
const QColor kBarBottom(0x17, 0x48, 0x98);
const QColor kMenuTop(0x6A, 0x96, 0xD2);
const QColor kMenuBottom(0x2A, 0x5A, 0xA2);
const QColor kTabLine(0x7A, 0x8C, 0xA8);
const QColor kTabTop(0xF4, 0xF4, 0xF4);
const QColor kTabBottom(0xD4, 0xD4, 0xD4);
const QColor kTabSelTop(0xCF, 0xE1, 0xF8);
const QColor kTabSelBottom(0x8F, 0xB6, 0xE9);

QColor TextColour(const SceneNode& n) {
  return n.enabled ? kText : kGrayText;
}

void FillGradient(QPainter& p, const QRect& r, const QColor& top, const QColor& bottom) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(r, g);
}

// A one-pixel frame just inside r.
void Frame(QPainter& p, const QRect& r, const QColor& c) {
  if (r.width() <= 0 || r.height() <= 0) return;
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
}

void DottedFrame(QPainter& p, const QRect& r, const QColor& c) {
  for (int x = r.left(); x <= r.right(); x += 2) {
    p.fillRect(QRect(x, r.top(), 1, 1), c);
    p.fillRect(QRect(x, r.bottom(), 1, 1), c);
  }
  for (int y = r.top(); y <= r.bottom(); y += 2) {
    p.fillRect(QRect(r.left(), y, 1, 1), c);
    p.fillRect(QRect(r.right(), y, 1, 1), c);
  }
}

// A filled triangle pointing up or down, centred in r.
void Arrow(QPainter& p, const QRect& r, bool up, const QColor& c) {
  const int half = std::max(2, std::min(r.width() - 4, r.height() * 2 - 4) / 2);
  const int h = (half + 1) / 2 + 1;
  const int cx = r.left() + (r.width() - 1) / 2;
  const int top = r.top() + (r.height() - h) / 2;
  for (int i = 0; i < h; ++i) {
    const int w = up ? i : h - 1 - i;
    p.fillRect(QRect(cx - w, top + i, 2 * w + 1, 1), c);
  }
}

QImage CachedImage(std::span<const unsigned char> bytes) {
  static std::map<std::pair<const unsigned char*, std::size_t>, QImage> cache;
  const auto key = std::make_pair(bytes.data(), bytes.size());
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, DecodeResourceImage(bytes)).first;
  return it->second;
}

// --- the controls -----------------------------------------------------------

void PaintPushButton(QPainter& p, const SceneNode& n) {
  const QRect r = n.rect;
  p.fillRect(r, n.pressed ? kFrame : kWindow);
  Frame(p, r, n.enabled ? kFrame : kGrayText);
  const QColor text = n.pressed ? kHighlightText : TextColour(n);
  const QRect area = r.adjusted(2, 1, -2, -1);
  if (n.multiline) {
    DrawLines(p, area, Qt::AlignHCenter, true, true, n.text, n, text);
  } else {
    DrawLine(p, area, Qt::AlignHCenter, n.text, TextFace(n), text);
  }
  if (n.focused && !n.pressed) DottedFrame(p, r.adjusted(2, 2, -2, -2), kText);
}

// The check box leaves its background to the white dialog beneath: a label
// whose top row it overlaps (the pages' templates do that) keeps its glyphs.
void PaintCheckBox(QPainter& p, const SceneNode& n) {
  const QRect r = n.rect;
  const int box = 13;
  const QRect b(r.left(), r.top() + (r.height() - box) / 2, box, box);
  p.fillRect(b, n.pressed ? kFace : kWindow);
  Frame(p, b, n.enabled ? kFrame : kGrayText);
  if (n.checked) {
    // A heavy tick, two pixels wide, as the device draws it.
    const QColor c = n.enabled ? kText : kGrayText;
    const int x = b.left() + 3;
    const int y = b.top() + 6;
    for (int i = 0; i < 3; ++i) p.fillRect(QRect(x + i, y + i, 1, 3), c);
    for (int i = 0; i < 5; ++i) p.fillRect(QRect(x + 3 + i, y + 1 - i, 1, 3), c);
  }
  const QRect t(b.right() + 5, r.top(), r.right() - b.right() - 4, r.height());
  const QRect used = n.multiline
                         ? DrawLines(p, t, Qt::AlignLeft, true, true, n.text, n, TextColour(n))
                         : DrawLine(p, t, Qt::AlignLeft, n.text, TextFace(n), TextColour(n));
  if (n.focused) DottedFrame(p, used.adjusted(-1, -1, 1, 1).intersected(r), kText);
}

void PaintStatic(QPainter& p, const SceneNode& n) {
  p.fillRect(n.rect, kWindow);
  Qt::Alignment align = Qt::AlignLeft;
  if (n.align == TextAlign::Center) align = Qt::AlignHCenter;
  if (n.align == TextAlign::Right) align = Qt::AlignRight;
  DrawLines(p, n.rect, align, n.wordWrap, false, n.text, n, TextColour(n));
}

void PaintStaticImage(QPainter& p, const SceneNode& n) {
  const QImage img = CachedImage(n.image);
  if (img.isNull()) return;
  p.drawImage(n.rect.topLeft(), img);
}

void PaintEdit(QPainter& p, const SceneNode& n) {
  const QRect r = n.rect;
  p.fillRect(r, kWindow);
  if (n.border) Frame(p, r, n.enabled ? kFrame : kGrayText);
  const QRect inner = n.border ? r.adjusted(1, 1, -1, -1) : r;
  const QRect text = inner.adjusted(1, 0, -1, 0);
  const QFont font = TextFace(n);
  const QFontMetrics fm(font);
  const int len = static_cast<int>(n.text.size());
  auto xOf = [&](int index) {
    return fm.horizontalAdvance(n.text.left(std::clamp(index, 0, len)));
  };
  // ES_AUTOHSCROLL: keep the caret in view.
  const int caretX = xOf(n.caret);
  const int scroll =
      n.scrollChars >= 0 ? xOf(n.scrollChars) : std::max(0, caretX - (text.width() - 2));
  // Centred in the client area inside the border by the ink of the face.
  const InkBand band = BandOf(font);
  const int lineH = band.Height();
  const int top = text.top() + (text.height() - lineH) / 2;
  p.save();
  p.setClipRect(text, Qt::IntersectClip);
  p.setFont(font);
  p.setPen(TextColour(n));
  const int baseline = top + band.above;
  p.drawText(QPoint(text.left() - scroll, baseline), n.text);
  const int s0 = std::clamp(std::min(n.selStart, n.selEnd), 0, len);
  const int s1 = std::clamp(std::max(n.selStart, n.selEnd), 0, len);
  if (n.focused && s1 > s0) {
    const QRect sel(text.left() - scroll + xOf(s0), top, xOf(s1) - xOf(s0), lineH);
    p.fillRect(sel, kHighlight);
    p.setPen(kHighlightText);
    p.drawText(QPoint(sel.left(), baseline), n.text.mid(s0, s1 - s0));
  }
  if (n.focused && n.enabled) {
    p.fillRect(QRect(text.left() - scroll + caretX, top, 1, lineH), kText);
  }
  p.restore();
}

const int kComboButton = 13;

void PaintCombo(QPainter& p, const SceneNode& n) {
  const QRect r = n.rect;
  p.fillRect(r, kWindow);
  Frame(p, r, n.enabled ? kFrame : kGrayText);
  const QRect button(r.right() - kComboButton, r.top() + 1, kComboButton, r.height() - 2);
  p.fillRect(button, kFace);
  p.fillRect(QRect(button.left(), button.top(), 1, button.height()), kFrame);
  Arrow(p, button.adjusted(1, 0, 0, 0), false, n.enabled ? kText : kGrayText);
  if (n.selected >= 0 && n.selected < n.items.size()) {
    QRect field(r.left() + 2, r.top() + 2, button.left() - r.left() - 3, r.height() - 4);
    QColor colour = TextColour(n);
    if (n.focused) {
      p.fillRect(field, kHighlight);
      colour = kHighlightText;
    }
    const QRect area = field.adjusted(1, 0, 0, 0);
    DrawLine(p, area, Qt::AlignLeft, n.items[n.selected], TextFace(n), colour);
  }
}

void PaintComboList(QPainter& p, const SceneNode& n) {
  const QRect r = n.rect;
  p.fillRect(r, kWindow);
  Frame(p, r, kFrame);
  const int count = static_cast<int>(std::min<std::size_t>(n.items.size(), n.itemRects.size()));
  for (int i = 0; i < count; ++i) {
    const QRect item = n.itemRects[i];
    const bool lit = (n.hot >= 0) ? i == n.hot : i == n.selected;
    if (lit) p.fillRect(item, kHighlight);
    const QRect area = item.adjusted(2, 0, -1, 0);
    DrawLine(p, area, Qt::AlignLeft, n.items[i], TextFace(n), lit ? kHighlightText : kText);
  }
}

void PaintTab(QPainter& p, const SceneNode& n) {
  const QRect r = n.client;
  p.fillRect(n.rect, kWindow);
  const std::vector<QRect>& rects = n.itemRects;  // the labels, as the tab control lays them out
  int rowBottom = r.top();
  for (const QRect& t : rects) rowBottom = std::max(rowBottom, t.bottom() + 1);
  // The display area's frame; the selected label opens into it.
  Frame(p, QRect(r.left(), rowBottom, r.width(), r.bottom() - rowBottom + 1), kTabLine);
  auto label = [&](int i, bool selected) {
    QRect t = rects[i];
    // The selected label stands taller and a little wider than the others.
    if (selected) {
      t.adjust(-1, 0, 1, 0);
    } else {
      t.adjust(0, 2, 0, 0);
    }
    FillGradient(p, t, selected ? kTabSelTop : kTabTop, selected ? kTabSelBottom : kTabBottom);
    p.fillRect(QRect(t.left(), t.top(), t.width(), 1), selected ? kHighlight : kTabLine);
    if (selected) p.fillRect(QRect(t.left(), t.top() + 1, t.width(), 1), kHighlight);
    p.fillRect(QRect(t.left(), t.top(), 1, t.height()), kTabLine);
    p.fillRect(QRect(t.right(), t.top(), 1, t.height()), kTabLine);
    if (selected) {
      // Opens into the display area, which takes the same light blue at its edge.
      p.fillRect(QRect(t.left() + 1, t.bottom() + 1, t.width() - 2, 1), kTabSelBottom);
    }
    const QRect area = t.adjusted(1, selected ? 1 : 0, -1, 0);
    DrawLine(p, area, Qt::AlignHCenter, n.items[i], TextFace(n), TextColour(n));
    if (selected && n.focused) DottedFrame(p, t.adjusted(3, 3, -3, -2), kText);
  };
  const int count = static_cast<int>(std::min<std::size_t>(n.items.size(), rects.size()));
  for (int i = 0; i < count; ++i) {
    if (i != n.selected) label(i, false);
  }
  if (n.selected >= 0 && n.selected < count) label(n.selected, true);
}

// The arrows where the control itself hit-tests them (up, then down).
void PaintUpDown(QPainter& p, const SceneNode& n) {
  if (n.itemRects.size() != 2) return;
  for (const auto& [part, isUp] :
       {std::pair{n.itemRects[0], true}, std::pair{n.itemRects[1], false}}) {
    const bool pressed = n.pressedArrow == (isUp ? 1 : -1);
    p.fillRect(part, pressed ? kFacePressed : kFace);
    Frame(p, part, n.enabled ? kFrame : kGrayText);
    Arrow(p, part.adjusted(1, 1, -1, -1), isUp, n.enabled ? kText : kGrayText);
  }
}

void PaintProgress(QPainter& p, const SceneNode& n) {
  const QRect r = n.rect;
  p.fillRect(r, kWindow);
  if (n.border) Frame(p, r, kFrame);
  const QRect inner = (n.border ? r.adjusted(1, 1, -1, -1) : r).adjusted(1, 1, -1, -1);
  const int span = n.rangeMax - n.rangeMin;
  if (span <= 0 || inner.width() <= 0) return;
  const int done = std::clamp(n.pos - n.rangeMin, 0, span);
  const int w = static_cast<int>(static_cast<long long>(inner.width()) * done / span);
  if (w > 0)
    FillGradient(p, QRect(inner.left(), inner.top(), w, inner.height()), kBarTop, kHighlight);
}

void PaintNavBar(QPainter& p, const SceneNode& n) {
  FillGradient(p, n.rect, kBarTop, kBarBottom);
  p.fillRect(QRect(n.rect.left(), n.rect.bottom(), n.rect.width(), 1), kBarBottom.darker(140));
  const QRect area = n.rect.adjusted(6, 0, -30, 0);
  DrawLine(p, area, Qt::AlignLeft, n.text, TextFace(n), kHighlightText);
}

void PaintNavOk(QPainter& p, const SceneNode& n) {
  const QRectF r = QRectF(n.rect).adjusted(2.5, 3.5, -2.5, -3.5);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(r, r.height() / 2, r.height() / 2);
  if (n.pressed) p.fillPath(path, kHighlightText);
  p.setPen(QPen(kHighlightText, 1.2));
  p.drawPath(path);
  p.restore();
  DrawLine(p, n.rect, Qt::AlignHCenter, n.text.isEmpty() ? u"ok"_qs : n.text, TextFace(n),
           n.pressed ? kBarBottom : kHighlightText);
}

void PaintMenuBar(QPainter& p, const SceneNode& n) {
  FillGradient(p, n.rect, kMenuTop, kMenuBottom);
  p.fillRect(QRect(n.rect.left(), n.rect.top(), n.rect.width(), 1), kMenuTop.lighter(130));
}

void PaintMessageBoxFrame(QPainter& p, const SceneNode& n) {
  p.fillRect(n.rect, kWindow);
  for (const SceneNode& child : n.children) {
    if (child.kind != Kind::Caption || !child.visible) continue;
    // A band as deep as the caption plus its margin above, on both sides.
    const int margin = std::max(0, child.rect.top() - n.rect.top());
    const QRect band(n.rect.left(), n.rect.top(), n.rect.width(),
                     child.rect.bottom() + 1 + margin - n.rect.top());
    FillGradient(p, band, kBarTop, kBarBottom);
  }
  Frame(p, n.rect, kFrame);
}

// The caption static of a message box: white bold text on the caption band
// that the box paints across its whole width.
void PaintCaption(QPainter& p, const SceneNode& n) {
  const QRect area = n.rect.adjusted(2, 0, 0, 0);
  DrawLine(p, area, Qt::AlignLeft, n.text, TextFace(n), kHighlightText);
}

void PaintSelf(QPainter& p, const SceneNode& n) {
  switch (n.kind) {
    case Kind::Window:
    case Kind::Dialog:
      p.fillRect(n.rect, kWindow);
      if (n.border) Frame(p, n.rect, kFrame);
      break;
    case Kind::MessageBox:
      PaintMessageBoxFrame(p, n);
      break;
    case Kind::Caption:
      PaintCaption(p, n);
      break;
    case Kind::NavBar:
      PaintNavBar(p, n);
      break;
    case Kind::NavOk:
      PaintNavOk(p, n);
      break;
    case Kind::MenuBar:
      PaintMenuBar(p, n);
      break;
    case Kind::PushButton:
      PaintPushButton(p, n);
      break;
    case Kind::CheckBox:
      PaintCheckBox(p, n);
      break;
    case Kind::Static:
      PaintStatic(p, n);
      break;
    case Kind::StaticBitmap:
    case Kind::StaticIcon:
      PaintStaticImage(p, n);
      break;
    case Kind::Edit:
      PaintEdit(p, n);
      break;
    case Kind::Combo:
      PaintCombo(p, n);
      break;
    case Kind::ComboList:
      PaintComboList(p, n);
      break;
    case Kind::Tab:
      PaintTab(p, n);
      break;
    case Kind::UpDown:
      PaintUpDown(p, n);
      break;
    case Kind::Progress:
      PaintProgress(p, n);
      break;
  }
}

void PaintNode(QPainter& p, const SceneNode& n, const QRect& parentClip) {
  if (!n.visible) return;
  QRect own = n.rect;
  if (n.kind == Kind::StaticBitmap || n.kind == Kind::StaticIcon) {
    // Image statics take the size of their image, as the device's static does.
    const QImage img = CachedImage(n.image);
    if (!img.isNull()) own.setSize(img.size());
  }
  const QRect clip = parentClip.intersected(own);
  if (!clip.isEmpty()) {
    p.save();
    p.setClipRect(clip);
    PaintSelf(p, n);
    p.restore();
  }
  const QRect childClip = parentClip.intersected(n.client);
  if (childClip.isEmpty()) return;
  for (const SceneNode& child : n.children) PaintNode(p, child, childClip);
  if (n.kind == Kind::MessageBox && !clip.isEmpty()) {
    // The frame stays on top of the caption strip and the text.
    p.save();
    p.setClipRect(clip);
    Frame(p, n.rect, kFrame);
    p.restore();
  }
}

}  // namespace

QFont TextFont(const SceneNode& n) {
  switch (n.kind) {
    case Kind::NavBar:
    case Kind::Caption:
      return DeviceFont(12, true);
    case Kind::NavOk:
      return DeviceFont(11, true);
    default:
      return DeviceFont(n.fontPx, n.fontBold);
  }
}

std::vector<QImage> DecodeIconImages(std::span<const unsigned char> bytes) {
  std::vector<QImage> images;
  QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "ico");
  for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
    if (i > 0 && !reader.jumpToImage(i)) break;
    QImage img = reader.read();
    if (!img.isNull()) images.push_back(std::move(img));
  }
  return images;
}

QImage DecodeResourceImage(std::span<const unsigned char> bytes) {
  if (bytes.empty()) return {};
  const bool icon =
      bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0;
  if (!icon) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "bmp").read();
  }
  // Several images in one icon: take the biggest, then the deepest.
  QImage best;
  const auto rank = [](const QImage& im) {
    return std::make_pair(im.width() * im.height(), im.text(u"_q_icoOrigDepth"_qs).toInt());
  };
  for (QImage& img : DecodeIconImages(bytes)) {
    if (best.isNull() || rank(img) > rank(best)) best = std::move(img);
  }
  return best;
}

int TextWidth(const QString& text, int fontPx) {
  return QFontMetrics(DeviceFont(fontPx)).horizontalAdvance(text);
}

void PaintScene(QPainter& painter, const Scene& scene) {
  const QRect screen(QPoint(0, 0), scene.screen);
  painter.fillRect(screen, kWindow);
  for (const SceneNode& w : scene.windows) PaintNode(painter, w, screen);
}

QImage RenderScene(const Scene& scene) {
  QImage image(scene.screen, QImage::Format_RGB32);
  image.fill(kWindow);
  QPainter painter(&image);
  PaintScene(painter, scene);
  painter.end();
  return image;
}

}  // namespace hostqt
