// Menu and scroll-bar page: Anitype 6/0, sizes read straight into the
// members, stepping within 0…50 on every scroll code.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/registry/winreg.h"
#include "tests/pages/page_helpers.h"
#include "tests/support/sample_device.h"

namespace {

using namespace test;
using test::Decimal;
using test::FullDevice;
using test::With;
using test::WithDword;
using test::Without;

const std::u16string kGwe = u"\\System\\GWE";

TEST(Set5, MenuAnimationStoresSixOrZero) {
  struct Case {
    std::string reg;
    bool checked;
    std::int32_t saved;
  };
  const Case cases[] = {
      {WithDword("Anitype", 1), true, 6},
      {WithDword("Anitype", 6), true, 6},
      {WithDword("Anitype", 0), false, 0},
      {Without("\"Anitype\""), false, 0},  // key present, value missing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saved);
    Device d(c.reg);
    bool shown = !c.checked;
    d.Run(ThenApply(d, {[&] { shown = d.Checked("CSet5", IDC_MENU_ANIMATION); }}));
    EXPECT_EQ(shown, c.checked);
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, u"\\System\\GWE\\Menu", u"Anitype"), c.saved);
  }
}

struct Pair {
  const char* value;
  int edit;
  int updown;
};
const Pair kPairs[] = {{"cxVScr", IDC_CX_VSCR, IDC_CX_VSCR_SPIN},
                       {"cyVScr", IDC_CY_VSCR, IDC_CY_VSCR_SPIN},
                       {"cyHScr", IDC_CY_HSCR, IDC_CY_HSCR_SPIN},
                       {"cxHScr", IDC_CX_HSCR, IDC_CX_HSCR_SPIN}};

TEST(Set5, SizesLoadUnclampedIntoTheirOwnEdits) {
  Device d(FullDevice());  // 13, 14, 15, 16
  d.Run({[&] {
    EXPECT_EQ(d.Text("CSet5", IDC_CX_VSCR), u"13");
    EXPECT_EQ(d.Text("CSet5", IDC_CY_VSCR), u"14");
    EXPECT_EQ(d.Text("CSet5", IDC_CY_HSCR), u"15");
    EXPECT_EQ(d.Text("CSet5", IDC_CX_HSCR), u"16");
    for (const Pair& p : kPairs) EXPECT_EQ(d.UpDownRange("CSet5", p.updown), (std::pair{5, 50}));
  }});
}

TEST(Set5, MissingSizeStaysEmptyAndIsWrittenAsZero) {
  Device d(Without("\"cxVScr\""));
  d.Run(ThenApply(d, {[&] { EXPECT_EQ(d.Text("CSet5", IDC_CX_VSCR), u""); }}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kGwe, u"cxVScr"), 0);
}

TEST(Set5, NotificationsStepWithin0To50WhateverTheCode) {
  struct Case {
    std::uint32_t stored;
    int code;
    int pos;
    int shown;
  };
  const Case cases[] = {
      {60, 4, 5, 59},        {60, 4, 100, 60},  // above the bound: only down
      {50, 4, 51, 50},       {0, 4, 0, 0},      // at the bounds
      {0, 4, 5, 1},          {0, 8, 5, 1},      // from 0 toward the range: one step, any code
      {13, 8, 50, 14},       {13, 0, 0, 12},    // SB_ENDSCROLL and SB_LINEUP handled too
      {3, 4, 3, 3},                             // equal: nothing
      {0xFFFFFFFF, 4, 5, 0},                    // -1 moves toward 0
  };
  for (const Case& c : cases) {
    for (const Pair& p : kPairs) {
      SCOPED_TRACE(testing::Message() << p.value << " " << static_cast<std::int32_t>(c.stored)
                                      << " code " << c.code << " pos " << c.pos);
      Device d(WithDword(p.value, c.stored));
      d.Run(ThenApply(d, {[&] {
                        d.VScroll("CSet5", p.updown, c.code, c.pos);
                        EXPECT_EQ(d.Text("CSet5", p.edit), Decimal(c.shown));
                        EXPECT_EQ(d.UpDownPos("CSet5", p.updown), std::clamp(c.shown, 5, 50));
                      }}));
      EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kGwe, test::Widen(p.value)), c.shown);
    }
  }
}

TEST(Set5, NegativeSizeShowsWithMinusSign) {
  Device d(WithDword("cyHScr", 0xFFFFFFFF));
  d.Run({[&] { EXPECT_EQ(d.Text("CSet5", IDC_CY_HSCR), u"-1"); }});
}

TEST(Set5, AStepChangesOnlyItsOwnPair) {
  Device d(FullDevice());
  d.Run({[&] {
    const int beforeCxV = d.UpDownPos("CSet5", IDC_CX_VSCR_SPIN);
    const int beforeCyH = d.UpDownPos("CSet5", IDC_CY_HSCR_SPIN);
    const int beforeCxH = d.UpDownPos("CSet5", IDC_CX_HSCR_SPIN);
    d.VScroll("CSet5", IDC_CY_VSCR_SPIN, SB_THUMBPOSITION, 30);
    EXPECT_EQ(d.Text("CSet5", IDC_CY_VSCR), u"15");
    EXPECT_EQ(d.UpDownPos("CSet5", IDC_CY_VSCR_SPIN), 15);
    EXPECT_EQ(d.UpDownPos("CSet5", IDC_CX_VSCR_SPIN), beforeCxV);
    EXPECT_EQ(d.UpDownPos("CSet5", IDC_CY_HSCR_SPIN), beforeCyH);
    EXPECT_EQ(d.UpDownPos("CSet5", IDC_CX_HSCR_SPIN), beforeCxH);
    EXPECT_EQ(d.Text("CSet5", IDC_CX_VSCR), u"13");
    EXPECT_EQ(d.Text("CSet5", IDC_CY_HSCR), u"15");
    EXPECT_EQ(d.Text("CSet5", IDC_CX_HSCR), u"16");
  }});
}

TEST(Set5, ArrowClickAlsoStepsOnTheReleaseNotification) {
  // The handler takes SB_ENDSCROLL as well, so one click from 0 (the up-down
  // sitting on its minimum 5) moves the size twice; from 13 inside the range
  // the release reports the same position and moves nothing more.
  Device d(Without("\"cyVScr\""));
  d.Run(ThenApply(d, {[&] { d.ClickTab(4); }, [&] { d.Spin("CSet5", IDC_CY_VSCR_SPIN, true); },
                      [&] { d.Spin("CSet5", IDC_CX_VSCR_SPIN, true); },
                      [&] {
                        EXPECT_EQ(d.Text("CSet5", IDC_CY_VSCR), u"2");
                        EXPECT_EQ(d.Text("CSet5", IDC_CX_VSCR), u"14");
                      }}));
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kGwe, u"cyVScr"), 2);
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, kGwe, u"cxVScr"), 14);
}

TEST(Set5, ReloadKeepsStepsOfUnreadableSizes) {
  Device d(Without("\"cxHScr\""));
  d.Run({[&] {
           d.VScroll("CSet5", IDC_CX_HSCR_SPIN, SB_THUMBPOSITION, 9);
           d.VScroll("CSet5", IDC_CX_VSCR_SPIN, SB_THUMBPOSITION, 40);
           d.Click("main", IDCANCEL);
         },
         [&] {
           EXPECT_EQ(d.Text("CSet5", IDC_CX_HSCR), u"1");   // not read: step kept
           EXPECT_EQ(d.Text("CSet5", IDC_CX_VSCR), u"13");  // read again
         }});
}

}  // namespace
