// Consistency of the dialog templates with the module and with the way the
// dialog manager and the pages use them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/window/winuser.h"
#include "res/resources.h"

namespace {

using platform::DialogItemTemplate;
using platform::DialogTemplate;

std::string Name(const DialogTemplate& d, const DialogItemTemplate& item) {
  return "dialog " + std::to_string(d.id) + " control " + std::to_string(item.id) + " at " +
         std::to_string(item.x) + "," + std::to_string(item.y);
}

TEST(Dialogs, EveryTemplateIsInTheModuleOnce) {
  const platform::ResourceModule& m = res::Module();
  std::set<int> ids;
  for (const DialogTemplate& d : m.dialogs) EXPECT_TRUE(ids.insert(d.id).second) << d.id;
  EXPECT_EQ(ids, (std::set<int>{res::IDD_MAIN, res::IDD_SET1, res::IDD_ABOUT, res::IDD_SET2,
                                res::IDD_SET3, res::IDD_SET4, res::IDD_SET5}));
  for (int id : ids) {
    const DialogTemplate* d = platform::FindDialogTemplate(m, id);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->items.empty()) << id;
  }
}

TEST(Dialogs, PictureStaticsResolveInTheModule) {
  const platform::ResourceModule& m = res::Module();
  int pictures = 0;
  for (const DialogTemplate& d : m.dialogs) {
    for (const DialogItemTemplate& item : d.items) {
      const DWORD type = item.style & SS_TYPEMASK;
      if (item.className != u"STATIC" || (type != SS_BITMAP && type != SS_ICON)) {
        EXPECT_EQ(item.resourceId, 0) << Name(d, item);
        continue;
      }
      ++pictures;
      EXPECT_EQ(item.id, -1) << Name(d, item);
      const auto& list = type == SS_BITMAP ? m.bitmaps : m.icons;
      const platform::BinaryResource* r = platform::FindBinaryResource(list, item.resourceId);
      ASSERT_NE(r, nullptr) << Name(d, item);
      EXPECT_FALSE(r->bytes.empty()) << Name(d, item);
    }
  }
  EXPECT_EQ(pictures, 3 + 4 + 5 + 5 + 5 + 2);  // bullets of the five pages, About
}

TEST(Dialogs, PagesAreHiddenChildrenOfOneSize) {
  for (const DialogTemplate& d : res::Dialogs()) {
    if (d.id == res::IDD_MAIN) {
      EXPECT_EQ(d.style & (WS_POPUP | WS_VISIBLE), WS_POPUP | WS_VISIBLE);
      EXPECT_EQ(d.fontFace, u"MS UI Gothic");
      EXPECT_EQ(d.pointSize, 9);
      continue;
    }
    EXPECT_EQ(d.style & (WS_CHILD | WS_VISIBLE | WS_POPUP), WS_CHILD) << d.id;
    EXPECT_EQ(d.style & DS_SETFONT, DS_SETFONT) << d.id;
    EXPECT_EQ(d.cx, 160) << d.id;
    EXPECT_EQ(d.cy, 146) << d.id;
    EXPECT_TRUE(d.caption.empty()) << d.id;
    EXPECT_EQ(d.fontFace, u"MS Shell Dlg") << d.id;
    EXPECT_EQ(d.pointSize, 8) << d.id;
    for (const DialogItemTemplate& item : d.items) {
      EXPECT_EQ(item.style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE) << Name(d, item);
    }
  }
}

// Characters that editors and converters like to "normalise".
TEST(Dialogs, HalfWidthKatakanaAndFullWidthTildeSurvive) {
  const DialogTemplate* main = platform::FindDialogTemplate(res::Module(), res::IDD_MAIN);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->items[2].text, u"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");  // ｷｬﾝｾﾙ
  const DialogTemplate* set3 = platform::FindDialogTemplate(res::Module(), res::IDD_SET3);
  ASSERT_NE(set3, nullptr);
  int units = 0;
  for (const DialogItemTemplate& item : set3->items) {
    if (item.text.starts_with(u"分")) {
      EXPECT_NE(item.text.find(u'\uFF5E'), std::u16string_view::npos) << Name(*set3, item);
      ++units;
    }
  }
  EXPECT_EQ(units, 2);
}

}  // namespace
