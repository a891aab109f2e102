// The main dialog: tabs and pages, placement and Z order, the Apply and
// reload cycles, the portrait-only rules. Everything runs through the real
// entry point on an in-memory registry with a manual clock.
#include <gtest/gtest.h>
#include "platform/text/text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/framework/afxwin.h"
#include "platform/registry/registry.h"
#include "platform/registry/winreg.h"
#include "platform/shell/aygshell.h"
#include "tests/app/device.h"
#include "tests/app/sample_device.h"

namespace {

using testing_device::Device;
using testing_device::kFullDevice;
using testing_device::Without;

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

// --- start-up -------------------------------------------------------------

TEST(MainDialog, StartsWithSixTabsAndFirstPageShown) {
  Device d(kFullDevice);
  d.Run({[&] {
    HWND tab = d.Control("main", 1002);
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
    EXPECT_TRUE(d.Visible(d.Control("main", 1013)));
    EXPECT_TRUE(d.Visible(d.Control("main", 2)));
    EXPECT_FALSE(d.Visible(d.Control("main", 1029)));
    // Pages other than the first were loaded too.
    EXPECT_EQ(d.Text("CSet5", 1036), u"13");
    EXPECT_EQ(d.Text("CAbout", 1025), u"1.0.0.1");
  }});
  EXPECT_TRUE(d.Messages().empty());
}

TEST(MainDialog, PagesShareTheTabRectangleTakenAsClientCoordinates) {
  Device d(kFullDevice);
  d.Run({[&] {
    RECT tabScreen{};
    GetWindowRect(d.Control("main", 1002), &tabScreen);
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
  Device d(kFullDevice);
  std::vector<WPARAM> iconKinds;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  platform::SetMessageHook([&](HWND, UINT msg, WPARAM w, LPARAM) {
    if (msg == WM_SETICON) iconKinds.push_back(w);
  });
  d.Run({[&] {
    bigIcon = reinterpret_cast<HICON>(SendMessage(d.Main(), WM_GETICON, ICON_BIG, 0));
    smallIcon = reinterpret_cast<HICON>(SendMessage(d.Main(), WM_GETICON, ICON_SMALL, 0));
  }});
  platform::SetMessageHook({});
  EXPECT_EQ(iconKinds, (std::vector<WPARAM>{ICON_BIG, ICON_SMALL}));
  ASSERT_NE(bigIcon, nullptr);
  EXPECT_EQ(bigIcon, smallIcon);
  EXPECT_EQ(platform::ImageSize(bigIcon).cx, 32);
}

TEST(MainDialog, LandscapeScreenIsRefusedWithoutTouchingTheStore) {
  Device d(kFullDevice);
  platform::SetScreenSize(320, 240);
  bool sawPages = false;
  LRESULT tabs = -1;
  d.Run({[&] {
    sawPages = d.Page("CSet1") != nullptr || d.Page("CAbout") != nullptr;
    tabs = SendMessage(d.Control("main", 1002), TCM_GETITEMCOUNT, 0, 0);
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
  Device d(kFullDevice);
  platform::SetScreenSize(240, 240);
  bool sawPages = false;
  d.Run({[&] { sawPages = d.Page("CSet1") != nullptr && d.Page("CAbout") != nullptr; }});
  EXPECT_TRUE(sawPages);
  EXPECT_TRUE(d.Messages().empty());
}

// --- tab switching --------------------------------------------------------

TEST(MainDialog, SelectingTabsRaisesPagesAndNeverHidesOne) {
  Device d(kFullDevice);
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
  std::vector<testing_device::Step> steps;
  for (const Case& c : cases) {
    steps.push_back([&d, &c] { d.ClickTab(c.tab); });
    steps.push_back([&d, &c] {
      EXPECT_EQ(SendMessage(d.Control("main", 1002), TCM_GETCURSEL, 0, 0), c.tab);
      EXPECT_EQ(d.TopPage(), c.top) << "after tab " << c.tab;
      EXPECT_EQ(VisiblePages(d), c.visible) << "after tab " << c.tab;
    });
  }
  d.Run(std::move(steps));
}

// The raised page is the one a click reaches, although CSet1 lies underneath.
TEST(MainDialog, RaisedPageReceivesClicksOverTheOthers) {
  Device d(kFullDevice);
  bool before = false;
  d.Run({[&] { d.ClickTab(1); },
         [&] {
           before = d.Checked("CSet2", 1012);
           d.Click("CSet2", 1012);
         },
         [&] { EXPECT_NE(d.Checked("CSet2", 1012), before); }});
}

// --- Apply ------------------------------------------------------------------

TEST(Apply, WritesEveryPageInTabOrderWithSixProgressStepsAndPauses) {
  Device d(kFullDevice);
  bool buttonsDuringMessage = false;
  d.Run({[&] {
           d.ClearRecordings();
           d.Click("main", 1013);
         },
         [&] {
           // The message box is up: the buttons are already back.
           buttonsDuringMessage = d.Visible(d.Control("main", 1013)) &&
                                  d.Visible(d.Control("main", 2)) &&
                                  !d.Visible(d.Control("main", 1029));
           d.PressMessageOk();
         }});
  EXPECT_TRUE(buttonsDuringMessage);
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].caption, kCaption);
  EXPECT_EQ(d.Messages()[0].text, kSoftReset);

  // Reduce the timeline to the shell's steps plus one marker per page write.
  std::vector<std::string> shell;
  std::string lastPage;
  auto pageOf = [](const std::string& call) -> std::string {
    if (call.find("Installer") != std::string::npos || call.find("BIOS") != std::string::npos ||
        call.ends_with("Animate"))
      return "page1";
    if (call.find("HKCU") != std::string::npos && call.find("IMEJP") == std::string::npos)
      return "page2";
    if (call.find("\\Comm") != std::string::npos || call.find("WiFi") != std::string::npos ||
        call.find("Ident") != std::string::npos)
      return "page3";
    if (call.find("GWE") != std::string::npos) return "page5";
    return "page4";
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

TEST(Apply, ProgressRangeIsTheTabCountAndStaysAtTheEnd) {
  Device d(kFullDevice);
  d.Run({[&] { d.Click("main", 1013); },
         [&] {
           HWND bar = d.Control("main", 1029);
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
  d.Run({[&] { d.Click("main", 1013); }, [&] { d.PressMessageOk(); }});
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].text, kSoftReset);
  EXPECT_FALSE(d.KeyExists(HKEY_LOCAL_MACHINE, u"\\System\\GWE"));
}

TEST(Apply, AFailedWriteIsReportedAndTheCycleStillCompletes) {
  Device d(kFullDevice);
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
           d.Click("main", 1013);
         },
         [&] {
           firstCalls = d.Calls();
           d.PressMessageOk();
         },
         // The next Apply has no failure of its own.
         [&] { d.Click("main", 1013); }, [&] { d.PressMessageOk(); }});
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
    std::ofstream(file_, std::ios::binary) << kFullDevice;
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
  d.Run({[&] { d.Click("CSet1", 1032); },  // Animate 1 -> unchecked
         [&] { d.Click("main", 1013); }, [&] { d.PressMessageOk(); }});
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
  d.Run({[&] { d.Click("CSet1", 1032); }, [&] { d.Click("main", 1013); },
         [&] { d.PressMessageOk(); }});
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].caption, kCaption);
  EXPECT_EQ(d.Messages()[0].text, kNotSaved);
  EXPECT_EQ(FileText(), before);
}

// --- reload -----------------------------------------------------------------

TEST(Reload, DiscardsUnappliedChangesOnEveryPageAndKeepsTheDialogOpen) {
  Device d(kFullDevice);
  bool stillOpen = false;
  d.Run({[&] {
           d.Click("CSet1", 1009);  // checked -> unchecked
           d.ClickTab(1);
         },
         [&] {
           d.Spin("CSet2", 1018, true);  // 4 -> 5
           d.ClickTab(2);
         },
         [&] {
           d.Type("CSet3", 1027, u"Changed");
           d.ClickTab(4);
         },
         [&] { d.Click("CSet5", 1034); },  // checked -> unchecked
         [&] {
           SendMessage(d.Control("CSet4", 1030), CB_SETCURSEL, 0, 0);
           EXPECT_FALSE(d.Checked("CSet1", 1009));
           EXPECT_EQ(d.Text("CSet2", 1017), u"5");
           EXPECT_EQ(d.Text("CSet3", 1027), u"Changed");
           EXPECT_FALSE(d.Checked("CSet5", 1034));
           d.ClearRecordings();
           d.Click("main", 2);
         },
         [&] {
           stillOpen = d.Main() != nullptr && IsWindowVisible(d.Main());
           EXPECT_TRUE(d.Checked("CSet1", 1009));
           EXPECT_EQ(d.Text("CSet2", 1017), u"4");
           EXPECT_EQ(d.Text("CSet3", 1027), u"PocketPC");
           EXPECT_EQ(d.ListSelection("CSet4", 1030), 3);
           EXPECT_TRUE(d.Checked("CSet5", 1034));
           EXPECT_EQ(SendMessage(d.Control("main", 1002), TCM_GETCURSEL, 0, 0), 4);
           EXPECT_EQ(d.TopPage(), "CSet5");
         }});
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(d.Messages().empty());
  for (const std::string& c : d.Calls()) EXPECT_FALSE(c.starts_with("set ")) << c;
  EXPECT_TRUE(d.Sleeps().empty());
}

TEST(Reload, DoesNotReadTheAboutPageAgain) {
  Device d(kFullDevice);
  std::vector<unsigned char> none;
  d.Run({[&] {
           // Without a version record a new read would empty the texts.
           d.UseVersionBlock(none);
           d.Click("main", 2);
         },
         [&] {
           EXPECT_EQ(d.Text("CAbout", 1025), u"1.0.0.1");
           EXPECT_FALSE(d.Text("CAbout", 1026).empty());
         }});
}

TEST(Reload, RightAfterApplyShowsWhatWasWritten) {
  Device d(kFullDevice);
  d.Run({[&] { d.Click("CSet1", 1010); },  // nDynamicDelete 2 -> unchecked
         [&] { d.Click("main", 1013); }, [&] { d.PressMessageOk(); }, [&] { d.Click("main", 2); },
         [&] { EXPECT_FALSE(d.Checked("CSet1", 1010)); }});
  EXPECT_EQ(d.Number(HKEY_LOCAL_MACHINE, u"\\Software\\Apps\\Microsoft Application Installer",
                     u"nDynamicDelete"),
            0);
}

TEST(Closing, OkWithoutApplyWritesNothing) {
  Device d(kFullDevice);
  const int exitCode = d.Run({[&] {
    d.Click("CSet1", 1009);
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
    Device d(kFullDevice);
    d.Run({[&] {
      d.Click("CSet1", 1009);  // an unapplied change
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
  Device d(kFullDevice);
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
  Device d(kFullDevice);
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

}  // namespace
