// The main dialog: tabs and pages, placement and Z order, the Apply and
// reload cycles, the portrait-only rules. Everything runs through the real
// entry point on an in-memory registry with a manual clock.
#include <gtest/gtest.h>
#include "platform/text/text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/settings_dlg.h"
#include "platform/framework/afxwin.h"
#include "platform/registry/regfile.h"
#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "platform/shell/aygshell.h"
#include "res/resource_ids.h"
#include "store/keys.h"
#include "store/registry_store.h"
#include "tests/support/device.h"
#include "tests/support/messages.h"
#include "tests/support/sample_device.h"

namespace {

using namespace res;
using test::Device;
using test::FullDevice;
using test::Without;

const std::u16string kPortrait = u"画面は縦長でご使用下さい";
const std::u16string kSoftReset = u"設定を有効にするため、ソフトリセットをかけて下さい。";
const std::u16string kNotSaved = u"設定を保存できませんでした。";
const std::u16string kCaption = u"RegillaMobile";

const char* const kPages[] = {"CSet1", "CSet2", "CSet3", "CSet4", "CSet5", "CAbout"};

std::vector<std::string> VisiblePages(const Device& d) {
  std::vector<std::string> out;
  for (const char* cls : kPages) {
    if (d.Page(cls) && d.Visible(d.Page(cls))) out.push_back(cls);
  }
  return out;
}

std::size_t CountOf(const std::vector<std::string>& v, std::string_view s) {
  return static_cast<std::size_t>(std::count(v.begin(), v.end(), s));
}

// Each settings page's save set as the registry calls that write it, in tab
// order, with the type written.
std::vector<std::vector<std::string>> SaveSetCalls() {
  std::vector<std::vector<std::string>> pages;
  for (const CSettingsDlg::TabEntry& tab : CSettingsDlg::kTabs) {
    if (!tab.saveSet) continue;
    std::vector<std::string>& calls = pages.emplace_back();
    for (const pages::SavedValue& v : tab.saveSet()) {
      platform::registry::RegistryEvent set;
      set.op = platform::registry::RegistryEvent::Op::Set;
      set.root = v.root;
      set.key = v.key;
      set.name = v.name;
      calls.push_back(test::Describe(set) + " type " + std::to_string(v.type));
    }
  }
  return pages;
}

// --- start-up -------------------------------------------------------------

TEST(MainDialog, StartsWithSixTabsAndFirstPageShown) {
  Device d(FullDevice());
  d.Run({[&] {
    HWND tab = d.Control("main", IDC_TAB);
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0), 6);
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 0);
    const std::u16string labels[] = {u"設定1", u"設定2", u"設定3",
                                     u"設定4", u"設定5", u"ﾊﾞｰｼﾞｮﾝ情報"};
    for (int i = 0; i < 6; ++i) {
      WCHAR buf[32] = {};
      TCITEM item{};
      item.mask = TCIF_TEXT;
      item.pszText = buf;
      item.cchTextMax = 32;
      SendMessage(tab, TCM_GETITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      EXPECT_EQ(std::u16string(buf), labels[i]) << "tab " << i;
    }
    // All six pages exist as children of the dialog, loaded; only the first shows.
    for (const char* cls : kPages) {
      HWND page = d.Page(cls);
      ASSERT_NE(page, nullptr) << cls;
      EXPECT_EQ(GetParent(page), d.Main()) << cls;
    }
    EXPECT_EQ(VisiblePages(d), std::vector<std::string>{"CSet1"});
    EXPECT_EQ(d.TopPage(), "CSet1");
    EXPECT_TRUE(d.Visible(d.Control("main", IDC_APPLY)));
    EXPECT_TRUE(d.Visible(d.Control("main", IDCANCEL)));
    EXPECT_FALSE(d.Visible(d.Control("main", IDC_PROGRESS)));
    // Pages other than the first were loaded too.
    EXPECT_EQ(d.Text("CSet5", IDC_CX_VSCR), u"13");
    EXPECT_EQ(d.Text("CAbout", IDC_VERSION), u"1.0.0.1");
  }});
  EXPECT_TRUE(d.Messages().empty());
}

TEST(MainDialog, PagesShareTheTabRectangleTakenAsClientCoordinates) {
  Device d(FullDevice());
  d.Run({[&] {
    RECT tabScreen{};
    GetWindowRect(d.Control("main", IDC_TAB), &tabScreen);
    // The screen rectangle, inset, is used unconverted in client coordinates:
    // the pages end up shifted by the client area's offset (the 26-px bar).
    const RECT expected{tabScreen.left + 2, tabScreen.top + 1, tabScreen.right - 2,
                        tabScreen.bottom - 28};
    RECT dlgScreen{};
    GetWindowRect(d.Main(), &dlgScreen);
    EXPECT_EQ(dlgScreen.top, 26);
    for (const char* cls : kPages) {
      const platform::WindowInfo info = platform::DescribeWindow(d.Page(cls));
      EXPECT_EQ(info.rect, expected) << cls;
    }
  }});
}

TEST(MainDialog, IconIsSetBigThenSmallFromIcon129) {
  static const test::MessageSeq kBigThenSmall[] = {{WM_SETICON, test::wparam, ICON_BIG},
                                                   {WM_SETICON, test::wparam, ICON_SMALL}};
  Device d(FullDevice());
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  test::MessageRecorder rec({}, {WM_SETICON});
  d.Run({[&] {
    bigIcon = reinterpret_cast<HICON>(SendMessage(d.Main(), WM_GETICON, ICON_BIG, 0));
    smallIcon = reinterpret_cast<HICON>(SendMessage(d.Main(), WM_GETICON, ICON_SMALL, 0));
  }});
  test::ExpectSequence(rec, kBigThenSmall, "the main dialog's icons");
  ASSERT_NE(bigIcon, nullptr);
  EXPECT_EQ(bigIcon, smallIcon);
  EXPECT_EQ(platform::ImageSize(bigIcon).cx, 32);
}

TEST(MainDialog, LandscapeScreenIsRefusedWithoutTouchingTheStore) {
  Device d(FullDevice());
  platform::SetScreenSize(320, 240);
  bool sawPages = false;
  LRESULT tabs = -1;
  d.Run({[&] {
    sawPages = d.Page("CSet1") != nullptr || d.Page("CAbout") != nullptr;
    tabs = SendMessage(d.Control("main", IDC_TAB), TCM_GETITEMCOUNT, 0, 0);
  }});
  EXPECT_EQ(tabs, 0);
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].caption, kCaption);
  EXPECT_EQ(d.Messages()[0].text, kPortrait);
  EXPECT_FALSE(sawPages);
  EXPECT_TRUE(d.RegistryEvents().empty());
  EXPECT_EQ(CountOf(d.Timeline(), "quit"), 1u);
}

TEST(MainDialog, SquareScreenCountsAsPortrait) {
  Device d(FullDevice());
  platform::SetScreenSize(240, 240);
  bool sawPages = false;
  d.Run({[&] { sawPages = d.Page("CSet1") != nullptr && d.Page("CAbout") != nullptr; }});
  EXPECT_TRUE(sawPages);
  EXPECT_TRUE(d.Messages().empty());
}

// --- tab switching --------------------------------------------------------

TEST(MainDialog, SelectingTabsRaisesPagesAndNeverHidesOne) {
  Device d(FullDevice());
  struct Case {
    int tab;
    const char* top;
    std::vector<std::string> visible;
  };
  const Case cases[] = {
      {1, "CSet2", {"CSet1", "CSet2"}},
      {5, "CAbout", {"CSet1", "CSet2", "CAbout"}},
      {1, "CSet2", {"CSet1", "CSet2", "CAbout"}},
      {4, "CSet5", {"CSet1", "CSet2", "CSet5", "CAbout"}},
      {0, "CSet1", {"CSet1", "CSet2", "CSet5", "CAbout"}},
  };
  std::vector<test::Step> steps;
  for (const Case& c : cases) {
    steps.push_back([&d, &c] { d.ClickTab(c.tab); });
    steps.push_back([&d, &c] {
      EXPECT_EQ(SendMessage(d.Control("main", IDC_TAB), TCM_GETCURSEL, 0, 0), c.tab);
      EXPECT_EQ(d.TopPage(), c.top) << "after tab " << c.tab;
      EXPECT_EQ(VisiblePages(d), c.visible) << "after tab " << c.tab;
    });
  }
  d.Run(std::move(steps));
}

// The raised page is the one a click reaches, although CSet1 lies underneath.
TEST(MainDialog, RaisedPageReceivesClicksOverTheOthers) {
  Device d(FullDevice());
  bool before = false;
  d.Run({[&] { d.ClickTab(1); },
         [&] {
           before = d.Checked("CSet2", IDC_SIP_AUTO);
           d.Click("CSet2", IDC_SIP_AUTO);
         },
         [&] { EXPECT_NE(d.Checked("CSet2", IDC_SIP_AUTO), before); }});
}

// --- Apply ------------------------------------------------------------------

TEST(Apply, WritesEveryPageInTabOrderWithSixProgressStepsAndPauses) {
  Device d(FullDevice());
  bool buttonsDuringMessage = false;
  d.Run({[&] {
           d.ClearRecordings();
           d.Click("main", IDC_APPLY);
         },
         [&] {
           // The message box is up: the buttons are already back.
           buttonsDuringMessage = d.Visible(d.Control("main", IDC_APPLY)) &&
                                  d.Visible(d.Control("main", IDCANCEL)) &&
                                  !d.Visible(d.Control("main", IDC_PROGRESS));
           d.PressMessageOk();
         }});
  EXPECT_TRUE(buttonsDuringMessage);
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].caption, kCaption);
  EXPECT_EQ(d.Messages()[0].text, kSoftReset);

  // Reduce the timeline to the shell's steps plus one marker per page write.
  std::vector<std::string> shell;
  std::string lastPage;
  const auto saveSets = SaveSetCalls();
  auto pageOf = [&](const std::string& call) -> std::string {
    for (std::size_t i = 0; i < saveSets.size(); ++i) {
      for (const std::string& set : saveSets[i]) {
        if (set.starts_with(call + " type ")) return "page" + std::to_string(i + 1);
      }
    }
    return "no page writes " + call;
  };
  for (const std::string& e : d.Timeline()) {
    if (e.starts_with("set ")) {
      const std::string page = pageOf(e);
      if (page != lastPage) shell.push_back(page);
      lastPage = page;
    } else if (e.starts_with("open") || e.starts_with("close") || e.starts_with("query")) {
      continue;
    } else if (e.starts_with("flush")) {
      shell.push_back("flush");
    } else {
      shell.push_back(e);
      lastPage.clear();
      if (e.starts_with("msgbox")) break;
    }
  }
  const std::vector<std::string> expected = {"show main:1013 0",
                                             "show main:2 0",
                                             "progress 0",
                                             "show main:1029 1",
                                             "page1",
                                             "progress 1",
                                             "sleep 200",
                                             "page2",
                                             "progress 2",
                                             "sleep 200",
                                             "page3",
                                             "progress 3",
                                             "sleep 200",
                                             "page4",
                                             "progress 4",
                                             "sleep 200",
                                             "page5",
                                             "progress 5",
                                             "sleep 200",
                                             "progress 6",
                                             "sleep 200",
                                             "flush",
                                             "show main:1029 0",
                                             "show main:1013 1",
                                             "show main:2 1",
                                             "msgbox " + platform::text::ToUtf8(kSoftReset)};
  EXPECT_EQ(shell, expected);
  EXPECT_EQ(d.Clock().TotalSlept(), 1200u);
}

// Each page's save set is what its Apply writes, in order and with the
// types written, when every key opens and the history box is checked.
TEST(Apply, WritesEachPageSaveSetInOrder) {
  Device d(FullDevice());
  d.Run({[&] { d.ClickTab(1); }, [&] { d.Click("CSet2", IDC_CLEAR_HISTORY); },
         [&] {
           d.ClearRecordings();
           d.Click("main", IDC_APPLY);
         },
         [&] { d.PressMessageOk(); }});
  std::vector<std::string> written;
  for (const platform::registry::RegistryEvent& e : d.RegistryEvents()) {
    if (e.op == platform::registry::RegistryEvent::Op::Set) {
      written.push_back(test::Describe(e) + " type " + std::to_string(e.type));
    }
  }
  std::vector<std::string> expected;
  for (const auto& page : SaveSetCalls()) expected.insert(expected.end(), page.begin(), page.end());
  EXPECT_EQ(written, expected);
}

TEST(Apply, ProgressRangeIsTheTabCountAndStaysAtTheEnd) {
  Device d(FullDevice());
  d.Run({[&] { d.Click("main", IDC_APPLY); },
         [&] {
           HWND bar = d.Control("main", IDC_PROGRESS);
           PBRANGE range{};
           SendMessage(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
           EXPECT_EQ(range.iLow, 0);
           EXPECT_EQ(range.iHigh, 6);
           EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 6);
           d.PressMessageOk();
         }});
}

TEST(Apply, MissingKeysAreSkippedAndStillReportSuccess) {
  // "\System\GWE" and "\System\GWE\Menu" both missing.
  Device d(Without("[HKEY_LOCAL_MACHINE\\System\\GWE"));
  d.Run({[&] { d.Click("main", IDC_APPLY); }, [&] { d.PressMessageOk(); }});
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].text, kSoftReset);
  EXPECT_FALSE(d.KeyExists(HKEY_LOCAL_MACHINE, u"\\System\\GWE"));
}

TEST(Apply, AFailedWriteIsReportedAndTheCycleStillCompletes) {
  Device d(FullDevice());
  bool broken = false;
  std::vector<std::string> firstCalls;
  d.Run({[&] {
           d.ClearRecordings();
           // The handle of the first "\System\GWE" open is closed under the
           // tool's feet, so its set fails.
           d.OnRegistryEvent([&](const platform::registry::RegistryEvent& e) {
             if (!broken && e.op == platform::registry::RegistryEvent::Op::Open &&
                 e.key == u"\\System\\GWE" && e.rc == ERROR_SUCCESS) {
               broken = true;
               RegCloseKey(e.handle);
             }
           });
           d.Click("main", IDC_APPLY);
         },
         [&] {
           firstCalls = d.Calls();
           d.PressMessageOk();
         },
         // The next Apply has no failure of its own.
         [&] { d.Click("main", IDC_APPLY); }, [&] { d.PressMessageOk(); }});
  EXPECT_TRUE(broken);
  ASSERT_EQ(d.Messages().size(), 2u);
  EXPECT_EQ(d.Messages()[0].text, kNotSaved);
  EXPECT_EQ(d.Messages()[1].text, kSoftReset);
  EXPECT_EQ(d.Sleeps().size(), 12u);
  // The failed cycle still wrote the later pages.
  EXPECT_EQ(CountOf(firstCalls, "set HKLM \\System\\GWE\\Menu Anitype"), 1u);
}

// A file system whose saves fail, as on a full disk.
class FailingSaves : public platform::registry::FileSystemWrapper {
 public:
  platform::Status CreateNew(const std::filesystem::path&, unsigned,
                             std::unique_ptr<platform::registry::WritableFile>&) override {
    return platform::Status::PosixError({}, ENOSPC);
  }
};

class ApplyToFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("regilla-app-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    file_ = dir_ / "device.reg";
    std::ofstream(file_, std::ios::binary) << FullDevice();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string FileText() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path dir_;
  std::filesystem::path file_;
};

TEST_F(ApplyToFile, SavedFileReportsSoftReset) {
  Device d;
  std::unique_ptr<platform::registry::Registry> reg;
  ASSERT_EQ(platform::registry::Registry::OpenFile(file_, reg), platform::Status());
  d.UseRegistry(std::move(reg));
  d.Run({[&] { d.Click("CSet1", IDC_ANIMATE); },  // Animate 1 -> unchecked
         [&] { d.Click("main", IDC_APPLY); }, [&] { d.PressMessageOk(); }});
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].text, kSoftReset);
  EXPECT_NE(FileText().find("\"Animate\"=dword:00000000"), std::string::npos);
}

TEST_F(ApplyToFile, FailedSaveIsReportedNotCalledSuccess) {
  Device d;
  FailingSaves fs;
  std::unique_ptr<platform::registry::Registry> reg;
  ASSERT_EQ(platform::registry::Registry::OpenFile(file_, reg, &fs), platform::Status());
  d.UseRegistry(std::move(reg));
  const std::string before = FileText();
  d.Run({[&] { d.Click("CSet1", IDC_ANIMATE); }, [&] { d.Click("main", IDC_APPLY); },
         [&] { d.PressMessageOk(); }});
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].caption, kCaption);
  EXPECT_EQ(d.Messages()[0].text, kNotSaved);
  EXPECT_EQ(FileText(), before);
}

// --- reload -----------------------------------------------------------------

TEST(Reload, DiscardsUnappliedChangesOnEveryPageAndKeepsTheDialogOpen) {
  Device d(FullDevice());
  bool stillOpen = false;
  d.Run({[&] {
           d.Click("CSet1", IDC_ASK_DEST);  // checked -> unchecked
           d.ClickTab(1);
         },
         [&] {
           d.Spin("CSet2", IDC_PER1_0_SERVER_SPIN, true);  // 4 -> 5
           d.ClickTab(2);
         },
         [&] {
           d.Type("CSet3", IDC_DEVICE_NAME, u"Changed");
           d.ClickTab(4);
         },
         [&] { d.Click("CSet5", IDC_MENU_ANIMATION); },  // checked -> unchecked
         [&] {
           SendMessage(d.Control("CSet4", IDC_TITLE_BAR_CLOCK), CB_SETCURSEL, 0, 0);
           EXPECT_FALSE(d.Checked("CSet1", IDC_ASK_DEST));
           EXPECT_EQ(d.Text("CSet2", IDC_PER1_0_SERVER), u"5");
           EXPECT_EQ(d.Text("CSet3", IDC_DEVICE_NAME), u"Changed");
           EXPECT_FALSE(d.Checked("CSet5", IDC_MENU_ANIMATION));
           d.ClearRecordings();
           d.Click("main", IDCANCEL);
         },
         [&] {
           stillOpen = d.Main() != nullptr && IsWindowVisible(d.Main());
           EXPECT_TRUE(d.Checked("CSet1", IDC_ASK_DEST));
           EXPECT_EQ(d.Text("CSet2", IDC_PER1_0_SERVER), u"4");
           EXPECT_EQ(d.Text("CSet3", IDC_DEVICE_NAME), u"PocketPC");
           EXPECT_EQ(d.ListSelection("CSet4", IDC_TITLE_BAR_CLOCK), 3);
           EXPECT_TRUE(d.Checked("CSet5", IDC_MENU_ANIMATION));
           EXPECT_EQ(SendMessage(d.Control("main", IDC_TAB), TCM_GETCURSEL, 0, 0), 4);
           EXPECT_EQ(d.TopPage(), "CSet5");
         }});
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(d.Messages().empty());
  for (const std::string& c : d.Calls()) EXPECT_FALSE(c.starts_with("set ")) << c;
  EXPECT_TRUE(d.Sleeps().empty());
}

TEST(Reload, DoesNotReadTheAboutPageAgain) {
  Device d(FullDevice());
  std::vector<unsigned char> none;
  d.Run({[&] {
           // Without a version record a new read would empty the texts.
           d.UseVersionBlock(none);
           d.Click("main", IDCANCEL);
         },
         [&] {
           EXPECT_EQ(d.Text("CAbout", IDC_VERSION), u"1.0.0.1");
           EXPECT_FALSE(d.Text("CAbout", IDC_COPYRIGHT).empty());
         }});
}

TEST(Reload, RightAfterApplyShowsWhatWasWritten) {
  Device d(FullDevice());
  d.Run({[&] { d.Click("CSet1", IDC_DYNAMIC_DELETE); },  // nDynamicDelete 2 -> unchecked
         [&] { d.Click("main", IDC_APPLY); }, [&] { d.PressMessageOk(); },
         [&] { d.Click("main", IDCANCEL); },
         [&] { EXPECT_FALSE(d.Checked("CSet1", IDC_DYNAMIC_DELETE)); }});
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, u"\\Software\\Apps\\Microsoft Application Installer",
                     u"nDynamicDelete"),
            0);
}

TEST(Closing, OkWithoutApplyWritesNothing) {
  Device d(FullDevice());
  const int exitCode = d.Run({[&] {
    d.Click("CSet1", IDC_ASK_DEST);
    d.ClearRecordings();
  }});
  EXPECT_EQ(exitCode, 0);
  for (const std::string& c : d.Calls()) EXPECT_FALSE(c.starts_with("set ")) << c;
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, u"\\Software\\Apps\\Microsoft Application Installer",
                     u"fAskDest"),
            1);
}

// --- the portrait guard ------------------------------------------------------

TEST(PortraitGuard, DisplayResetEndsTheToolWhateverTheShape) {
  struct Case {
    const char* name;
    bool rotate;
  };
  for (const Case& c : {Case{"portrait", false}, Case{"landscape", true}}) {
    SCOPED_TRACE(c.name);
    Device d(FullDevice());
    d.Run({[&] {
      d.Click("CSet1", IDC_ASK_DEST);  // an unapplied change
      if (c.rotate) platform::RotateScreen();
      d.ClearRecordings();
      SendMessage(d.Main(), WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    }});
    ASSERT_EQ(d.Messages().size(), 1u);
    EXPECT_EQ(d.Messages()[0].caption, kCaption);
    EXPECT_EQ(d.Messages()[0].text, kPortrait);
    EXPECT_EQ(CountOf(d.Timeline(), "quit"), 1u);
    for (const std::string& call : d.Calls()) EXPECT_FALSE(call.starts_with("set ")) << call;
    EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, u"\\Software\\Apps\\Microsoft Application Installer",
                       u"fAskDest"),
              1);
  }
}

TEST(PortraitGuard, OtherSettingChangesDoNothing) {
  Device d(FullDevice());
  bool open = false;
  d.Run({[&] {
           for (WPARAM flags : {WPARAM{0}, WPARAM{0x3001}, WPARAM{0x3003}, WPARAM{0x2A}}) {
             SendMessage(d.Main(), WM_SETTINGCHANGE, flags, 0);
           }
         },
         [&] { open = d.Main() != nullptr && d.Page("CSet1") != nullptr; }});
  EXPECT_TRUE(open);
  EXPECT_TRUE(d.Messages().empty());
  EXPECT_EQ(CountOf(d.Timeline(), "quit"), 0u);
}

TEST(PortraitGuard, SizeChangesMoveNothing) {
  Device d(FullDevice());
  d.Run({[&] {
    std::vector<RECT> before;
    std::vector<HWND> windows;
    for (HWND child : platform::ChildWindows(d.Main())) windows.push_back(child);
    for (HWND w : windows) before.push_back(platform::DescribeWindow(w).rect);
    SendMessage(d.Main(), WM_SIZE, 0, MAKELPARAM(320, 188));
    for (std::size_t i = 0; i < windows.size(); ++i) {
      EXPECT_EQ(platform::DescribeWindow(windows[i]).rect, before[i]) << i;
    }
  }});
}

// --- the bundled sample store ------------------------------------------------

// A new store starts from the sample: it holds every value the pages write,
// with the type they write, except in the two keys it deliberately lacks.
TEST(SampleRegistry, HoldsEverySavedValueExceptTheTwoMissingKeys) {
  using namespace platform::registry;
  using platform::text::ToUtf8;
  ParsedRegFile parsed;
  ASSERT_EQ(ParseRegFile(store::SampleRegistry(), "sample", parsed), platform::Status());
  for (const CSettingsDlg::TabEntry& tab : CSettingsDlg::kTabs) {
    if (!tab.saveSet) continue;
    for (const pages::SavedValue& saved : tab.saveSet()) {
      const RegKey* key = parsed.tree.Find(*RootFromHandle(saved.root), SplitKeyPath(saved.key));
      if (saved.key == store::keys::kBios || saved.key == store::keys::kRedir) {
        EXPECT_EQ(key, nullptr) << ToUtf8(saved.key);
        continue;
      }
      ASSERT_NE(key, nullptr) << ToUtf8(saved.key);
      const RegValue* v = key->FindValue(saved.name);
      ASSERT_NE(v, nullptr) << ToUtf8(saved.key) << " " << ToUtf8(saved.name);
      EXPECT_EQ(v->type, saved.type) << ToUtf8(saved.name);
      if (saved.type == REG_DWORD) {
        EXPECT_EQ(v->data.size(), 4u) << ToUtf8(saved.name);
      }
    }
  }
}

}  // namespace
