// The renderer on hand-made scenes: control looks against reference images,
// and the drawing rules (clipping, Z order, hidden windows, proportions) by
// probing pixels.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <vector>

#include "host/qt/fonts.h"
#include "host/qt/renderer.h"
#include "host/qt/scene.h"
#include "tests/qt/image_compare.h"

using hostqt::Kind;
using hostqt::Scene;
using hostqt::SceneNode;

namespace {

SceneNode Node(Kind kind, QRect rect, QString text = {}) {
  SceneNode n;
  n.kind = kind;
  n.rect = rect;
  n.client = rect;
  n.text = std::move(text);
  return n;
}

// An up-down whose arrows are its top and bottom halves, as the control
// reports them.
SceneNode Spin(QRect rect) {
  SceneNode n = Node(Kind::UpDown, rect);
  const int half = rect.height() / 2;
  n.itemRects = {QRect(rect.left(), rect.top(), rect.width(), half),
                 QRect(rect.left(), rect.top() + half, rect.width(), rect.height() - half)};
  return n;
}

// A white dialog of the given size at the origin holding the nodes.
Scene Panel(QSize size, std::vector<SceneNode> children) {
  Scene s;
  s.screen = size;
  SceneNode dlg = Node(Kind::Dialog, QRect(QPoint(0, 0), size));
  dlg.children = std::move(children);
  s.windows.push_back(std::move(dlg));
  return s;
}

bool IsWhite(QRgb c) {
  return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
}

int DarkPixels(const QImage& img, const QRect& area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb c = img.pixel(x, y);
      if (qGray(c) < 128) ++n;
    }
  }
  return n;
}

std::vector<unsigned char> Encoded(const QImage& img, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, format);
  return {bytes.begin(), bytes.end()};
}

}  // namespace

TEST(RenderFonts, WindowsDialogFontsResolveToAJapaneseGothic) {
  const QString family = hostqt::InstallDeviceFonts();
  ASSERT_FALSE(family.isEmpty()) << "no Japanese Gothic font installed (fonts-ipafont-gothic)";
  EXPECT_EQ(family, u"IPAGothic"_qs);
  const QFontInfo info(hostqt::DeviceFont(12));
  EXPECT_EQ(info.family(), family);
  EXPECT_EQ(info.pixelSize(), 12);
  // Half-width katakana is narrower than full-width text: the button label
  // "ｷｬﾝｾﾙ" must not be widened by a wrong fallback font.
  EXPECT_LT(hostqt::TextWidth(u"ｷｬﾝｾﾙ"_qs, 12), hostqt::TextWidth(u"キャンセル"_qs, 12));
}

TEST(RenderReference, CheckBoxesAndButtons) {
  SceneNode off = Node(Kind::CheckBox, {4, 4, 120, 18}, u"インストール先を問い合わせる"_qs);
  SceneNode on = Node(Kind::CheckBox, {4, 24, 120, 18}, u"有効"_qs);
  on.checked = true;
  SceneNode multi = Node(Kind::CheckBox, {4, 44, 150, 25},
                         u"前のバージョンをアンインストールするか問い合わせる"_qs);
  multi.multiline = true;
  multi.checked = true;
  multi.focused = true;
  SceneNode disabled = Node(Kind::CheckBox, {4, 72, 120, 18}, u"する"_qs);
  disabled.enabled = false;
  SceneNode apply = Node(Kind::PushButton, {8, 96, 77, 21}, u"反映"_qs);
  apply.fontPx = 12;
  SceneNode cancel = Node(Kind::PushButton, {90, 96, 74, 21}, u"ｷｬﾝｾﾙ"_qs);
  cancel.fontPx = 12;
  cancel.pressed = true;
  const QImage img =
      hostqt::RenderScene(Panel({170, 122}, {off, on, multi, disabled, apply, cancel}));
  EXPECT_TRUE(test::MatchesReference(img, "checkboxes_buttons"));
}

TEST(RenderReference, TabControlSelectsWithBlue) {
  SceneNode tab = Node(Kind::Tab, {0, 0, 238, 60});
  tab.fontPx = 12;
  tab.items = {u"設定1"_qs, u"設定2"_qs, u"設定3"_qs, u"設定4"_qs, u"設定5"_qs, u"ﾊﾞｰｼﾞｮﾝ情報"_qs};
  tab.selected = 5;
  int x = 2;
  for (const QString& label : tab.items) {
    const int w = hostqt::TextWidth(label, 12) + 12;
    tab.itemRects.emplace_back(x, 2, w, 17);
    x += w;
  }
  const QImage img = hostqt::RenderScene(Panel({238, 60}, {tab}));
  EXPECT_TRUE(test::MatchesReference(img, "tab"));
  // The selected label is blue-ish, an unselected one grey.
  const std::vector<QRect>& labels = tab.itemRects;
  const QRgb sel = img.pixel(labels[5].left() + 3, labels[5].bottom() - 1);
  const QRgb other = img.pixel(labels[0].left() + 3, labels[0].bottom() - 1);
  EXPECT_GT(qBlue(sel), qRed(sel) + 30);
  EXPECT_LT(std::abs(qBlue(other) - qRed(other)), 10);
}

TEST(RenderReference, EditUpDownComboProgress) {
  SceneNode edit = Node(Kind::Edit, {4, 4, 36, 19}, u"10"_qs);
  edit.border = true;
  edit.readOnly = true;
  SceneNode spin = Spin({40, 4, 17, 19});
  spin.pressedArrow = 1;
  SceneNode name = Node(Kind::Edit, {4, 28, 108, 16}, u"Pocket_PC"_qs);
  name.border = true;
  name.focused = true;
  name.selStart = 0;
  name.selEnd = 6;
  name.caret = 6;
  SceneNode combo = Node(Kind::Combo, {4, 50, 171, 19});
  combo.items = {u"アクティブアプリが占有する"_qs, u"アクティブアプリの優先度を高く"_qs,
                 u"アクティブアプリの優先度を少し高く"_qs, u"均等に動作"_qs};
  combo.selected = 3;
  SceneNode progress = Node(Kind::Progress, {4, 76, 180, 16});
  progress.border = true;
  progress.rangeMin = 0;
  progress.rangeMax = 6;
  progress.pos = 3;
  const QImage img = hostqt::RenderScene(Panel({190, 98}, {edit, spin, name, combo, progress}));
  EXPECT_TRUE(test::MatchesReference(img, "edit_updown_combo_progress"));
}

TEST(RenderReference, BarsMessageBoxAndOpenList) {
  Scene s;
  s.screen = {240, 200};
  SceneNode nav = Node(Kind::NavBar, {0, 0, 240, 26}, u"RegillaMobile"_qs);
  SceneNode ok = Node(Kind::NavOk, {208, 0, 32, 26}, u"ok"_qs);
  nav.children.push_back(ok);
  SceneNode dlg = Node(Kind::Dialog, {0, 26, 240, 148});
  SceneNode combo = Node(Kind::Combo, {10, 30, 150, 19});
  combo.items = {u"時間を表示しない"_qs, u"時間を表示"_qs, u"日付を表示"_qs,
                 u"日付と時間を表示"_qs};
  combo.selected = 1;
  dlg.children.push_back(combo);
  SceneNode list = Node(Kind::ComboList, {10, 75, 150, 62});
  list.items = combo.items;
  for (int i = 0; i < list.items.size(); ++i) list.itemRects.emplace_back(11, 76 + 13 * i, 148, 13);
  list.selected = 2;
  SceneNode menu = Node(Kind::MenuBar, {0, 174, 240, 26});
  SceneNode box = Node(Kind::MessageBox, {20, 100, 200, 70}, u"RegillaMobile"_qs);
  box.children.push_back(Node(Kind::Caption, {23, 103, 194, 16}, u"RegillaMobile"_qs));
  box.children.push_back(Node(Kind::Static, {26, 124, 188, 14}, u"画面は縦長でご使用下さい"_qs));
  SceneNode boxOk = Node(Kind::PushButton, {95, 144, 50, 20}, u"OK"_qs);
  box.children.push_back(boxOk);
  s.windows = {nav, dlg, menu, list, box};
  const QImage img = hostqt::RenderScene(s);
  EXPECT_TRUE(test::MatchesReference(img, "bars_msgbox_list"));
}

TEST(RenderRules, TextThatDoesNotFitIsCutAtTheControlEdge) {
  SceneNode text = Node(Kind::Static, {10, 10, 40, 12}, u"CABインストーラの起動設定"_qs);
  text.wordWrap = false;
  const QImage img = hostqt::RenderScene(Panel({120, 40}, {text}));
  EXPECT_GT(DarkPixels(img, {10, 10, 40, 12}), 20);
  EXPECT_EQ(DarkPixels(img, {50, 0, 70, 40}), 0);
  EXPECT_EQ(DarkPixels(img, {0, 22, 120, 18}), 0);
}

// Wrapped static text breaks where the window system breaks it: after the
// last blank that fits, else at any character; lines a line height apart.
TEST(RenderRules, StaticTextWrapsAtBlanksElseAnywhere) {
  struct Row {
    const char* what;
    QString text;
    int width;
    QRect emptyOnLine1;  // relative to the static
    int lines;
  };
  const int advance = hostqt::TextWidth(u"a"_qs, 10);
  const Row rows[] = {
      // "ab c" would fit: the word "cd" moves down whole.
      {"a word moves down", u"ab cd"_qs, 4 * advance + 2, {2 * advance + 1, 0, 2 * advance, 11}, 2},
      {"a word longer than a line breaks", u"abcdefgh"_qs, 4 * advance + 2, {}, 2},
      {"Japanese breaks anywhere", u"設定を有効にする"_qs, 3 * 2 * advance + 2, {}, 3},
  };
  for (const Row& row : rows) {
    SceneNode text = Node(Kind::Static, {0, 0, row.width, 11 * 4}, row.text);
    text.lineHeight = 11;
    const QImage img = hostqt::RenderScene(Panel({row.width, 11 * 4}, {text}));
    if (!row.emptyOnLine1.isNull()) {
      EXPECT_EQ(DarkPixels(img, row.emptyOnLine1), 0) << row.what;
    }
    for (int line = 0; line < 4; ++line) {
      const int ink = DarkPixels(img, {0, line * 11, row.width, 11});
      if (line < row.lines) {
        EXPECT_GT(ink, 0) << row.what << " line " << line;
      } else {
        EXPECT_EQ(ink, 0) << row.what << " line " << line;
      }
    }
  }
}

TEST(RenderRules, ChildrenAreClippedToTheirParentsClientArea) {
  SceneNode page = Node(Kind::Dialog, {20, 20, 40, 40});
  SceneNode wide = Node(Kind::Progress, {10, 30, 80, 10});  // sticks out on both sides
  wide.rangeMax = 1;
  wide.pos = 1;
  page.children.push_back(wide);
  const QImage img = hostqt::RenderScene(Panel({100, 80}, {page}));
  EXPECT_FALSE(IsWhite(img.pixel(40, 35)));
  EXPECT_TRUE(IsWhite(img.pixel(15, 35)));
  EXPECT_TRUE(IsWhite(img.pixel(70, 35)));
}

TEST(RenderRules, LaterSiblingsCoverEarlierOnesAndHiddenWindowsVanish) {
  SceneNode below = Node(Kind::Progress, {10, 10, 50, 20});
  below.rangeMax = 1;
  below.pos = 1;
  SceneNode above = Node(Kind::Dialog, {20, 10, 50, 20});  // white, raised over `below`
  SceneNode hidden = Node(Kind::Progress, {10, 40, 50, 20});
  hidden.rangeMax = 1;
  hidden.pos = 1;
  hidden.visible = false;
  const QImage img = hostqt::RenderScene(Panel({100, 80}, {below, above, hidden}));
  EXPECT_FALSE(IsWhite(img.pixel(15, 20)));
  EXPECT_TRUE(IsWhite(img.pixel(40, 20)));
  EXPECT_EQ(DarkPixels(img, {10, 40, 50, 20}), 0);
  for (int x = 12; x < 58; ++x) EXPECT_TRUE(IsWhite(img.pixel(x, 50))) << x;
}

TEST(RenderRules, ProgressFillFollowsThePositionWithinTheRange) {
  auto filled = [](int pos, int min, int max) {
    SceneNode bar = Node(Kind::Progress, {0, 0, 124, 10});
    bar.border = true;
    bar.rangeMin = min;
    bar.rangeMax = max;
    bar.pos = pos;
    const QImage img = hostqt::RenderScene(Panel({124, 10}, {bar}));
    int n = 0;
    for (int x = 2; x < 122; ++x) n += IsWhite(img.pixel(x, 5)) ? 0 : 1;
    return n;
  };
  EXPECT_EQ(filled(0, 0, 6), 0);
  EXPECT_EQ(filled(3, 0, 6), 60);
  EXPECT_EQ(filled(6, 0, 6), 120);
  EXPECT_EQ(filled(9, 0, 6), 120);  // beyond the range: full, not past the frame
  EXPECT_EQ(filled(-2, 0, 6), 0);
  EXPECT_EQ(filled(15, 10, 20), 60);
  EXPECT_EQ(filled(1, 5, 5), 0);  // empty range: nothing, no division by zero
}

TEST(RenderRules, UpDownShowsWhichArrowIsHeld) {
  auto shade = [](int arrow, int y) {
    SceneNode spin = Spin({0, 0, 17, 20});
    spin.pressedArrow = arrow;
    return qGray(hostqt::RenderScene(Panel({17, 20}, {spin})).pixel(2, y));
  };
  EXPECT_LT(shade(1, 3), shade(0, 3));
  EXPECT_EQ(shade(1, 16), shade(0, 16));
  EXPECT_LT(shade(-1, 16), shade(0, 16));
  EXPECT_EQ(shade(-1, 3), shade(0, 3));
}

TEST(RenderImages, BitmapsAndIconsDecodeFromTheirFileBytes) {
  QImage red(14, 14, QImage::Format_RGB32);
  red.fill(Qt::red);
  const std::vector<unsigned char> bmp = Encoded(red, "BMP");
  const QImage decoded = hostqt::DecodeResourceImage(bmp);
  ASSERT_EQ(decoded.size(), QSize(14, 14));
  EXPECT_EQ(decoded.pixel(7, 7), QColor(Qt::red).rgb());

  // A static shows its image at the image's own size, at its top-left corner.
  SceneNode bullet = Node(Kind::StaticBitmap, {5, 5, 9, 9});
  bullet.image = bmp;
  const QImage img = hostqt::RenderScene(Panel({40, 40}, {bullet}));
  EXPECT_EQ(img.pixel(5, 5), QColor(Qt::red).rgb());
  EXPECT_EQ(img.pixel(18, 18), QColor(Qt::red).rgb());
  EXPECT_TRUE(IsWhite(img.pixel(19, 19)));

  EXPECT_TRUE(hostqt::DecodeResourceImage({}).isNull());
  const std::vector<unsigned char> junk = {'B', 'M', 1, 2, 3};
  EXPECT_TRUE(hostqt::DecodeResourceImage(junk).isNull());
}

TEST(RenderImages, AnIconShowsItsLargestDeepestImage) {
  // Build an .ico with a 16x16 and a 32x32 image through Qt's own writer when
  // it has one; otherwise write a one-image icon by hand is not worth it.
  QImage small(16, 16, QImage::Format_ARGB32);
  small.fill(Qt::blue);
  QImage big(32, 32, QImage::Format_ARGB32);
  big.fill(Qt::green);
  const std::vector<unsigned char> bigIco = Encoded(big, "ICO");
  if (bigIco.empty()) GTEST_SKIP() << "no ICO writer";
  const QImage one = hostqt::DecodeResourceImage(bigIco);
  ASSERT_EQ(one.size(), QSize(32, 32));
  EXPECT_EQ(QColor(one.pixel(10, 10)), QColor(Qt::green));
  // Two images in one file: take the 32x32.
  const std::vector<unsigned char> smallIco = Encoded(small, "ICO");
  ASSERT_GE(smallIco.size(), 22u);
  ASSERT_GE(bigIco.size(), 22u);
  std::vector<unsigned char> both(6 + 32);
  both[2] = 1;
  both[4] = 2;
  auto dir = [&](const std::vector<unsigned char>& file, int slot, std::size_t offset) {
    std::copy(file.begin() + 6, file.begin() + 22, both.begin() + 6 + 16 * slot);
    for (int i = 0; i < 4; ++i)
      both[6 + 16 * slot + 12 + i] = static_cast<unsigned char>(offset >> (8 * i));
  };
  dir(smallIco, 0, both.size());
  const std::size_t bigOffset = both.size() + smallIco.size() - 22;
  dir(bigIco, 1, bigOffset);
  both.insert(both.end(), smallIco.begin() + 22, smallIco.end());
  both.insert(both.end(), bigIco.begin() + 22, bigIco.end());
  const QImage chosen = hostqt::DecodeResourceImage(both);
  ASSERT_EQ(chosen.size(), QSize(32, 32));
  EXPECT_EQ(QColor(chosen.pixel(10, 10)), QColor(Qt::green));
}
