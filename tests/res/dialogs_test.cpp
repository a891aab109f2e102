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
  EXPECT_EQ(ids, (std::set<int>{102, 131, 135, 136, 137, 138, 139}));
  for (int id : ids) {
    const DialogTemplate* d = platform::FindDialogTemplate(m, id);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->items.empty()) << id;
  }
}

TEST(Dialogs, ControlIdsAreUniqueWithinADialog) {
  for (const DialogTemplate& d : res::Dialogs()) {
    std::set<int> seen;
    for (const DialogItemTemplate& item : d.items) {
      if (item.id == -1) continue;
      EXPECT_TRUE(seen.insert(item.id).second) << Name(d, item);
    }
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
    if (d.id == 102) {
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

TEST(Dialogs, DropDownListsKeepTheirStoredOrder) {
  int lists = 0;
  for (const DialogTemplate& d : res::Dialogs()) {
    for (const DialogItemTemplate& item : d.items) {
      if (item.className != u"COMBOBOX") {
        EXPECT_TRUE(item.initStrings.empty()) << Name(d, item);
        continue;
      }
      ++lists;
      // Unsorted drop-down lists: the entry index is the stored number.
      EXPECT_EQ(item.style & 0x000F, CBS_DROPDOWNLIST) << Name(d, item);
      EXPECT_EQ(item.style & CBS_SORT, 0u) << Name(d, item);
      EXPECT_EQ(item.initStrings.size(), 4u) << Name(d, item);
    }
  }
  EXPECT_EQ(lists, 2);
  const DialogTemplate* set4 = platform::FindDialogTemplate(res::Module(), 138);
  ASSERT_NE(set4, nullptr);
  for (const DialogItemTemplate& item : set4->items) {
    if (item.id == 1030) {
      EXPECT_EQ(item.initStrings[3], u"日付と時間を表示");
    }
  }
}

// Characters that editors and converters like to "normalise".
TEST(Dialogs, HalfWidthKatakanaAndFullWidthTildeSurvive) {
  const DialogTemplate* main = platform::FindDialogTemplate(res::Module(), 102);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->items[2].text, u"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");  // ｷｬﾝｾﾙ
  const DialogTemplate* set3 = platform::FindDialogTemplate(res::Module(), 137);
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
