// Framework: message maps chained to the base, DoModal of a full-screen
// dialog with a page child, data exchange, run-time classes and the program
// entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "platform/shell/aygshell.h"
#include "tests/support/platform_test.h"

namespace {

constexpr std::u16string_view kEntries[] = {u"x", u"y", u"z"};

constexpr platform::DialogItemTemplate kMainItems[] = {
    {u"BUTTON", u"反映", 0, 1013, 18, 162, 44, 14, WS_VISIBLE | WS_TABSTOP, 0, {}},
    {u"BUTTON", u"ｷｬﾝｾﾙ", 0, 2, 72, 162, 42, 14, WS_VISIBLE | WS_TABSTOP, 0, {}},
    {u"COMBOBOX", u"", 0, 30, 10, 10, 60, 40, WS_VISIBLE | CBS_DROPDOWNLIST, 0, kEntries},
    {u"EDIT", u"", 0, 41, 10, 40, 60, 12, WS_VISIBLE | WS_BORDER, 0, {}},
    {u"BUTTON", u"check", 0, 42, 10, 60, 60, 12, WS_VISIBLE | BS_AUTOCHECKBOX, 0, {}},
};

constexpr platform::DialogItemTemplate kPageItems[] = {
    {u"BUTTON", u"する", 0, 1009, 12, 12, 100, 12, WS_VISIBLE | BS_AUTOCHECKBOX, 0, {}},
    {u"msctls_updown32", u"", 0, 1018, 40, 40, 11, 14, WS_VISIBLE, 0, {}},
};

constexpr platform::DialogTemplate kDialogs[] = {
    {500, WS_POPUP | WS_CAPTION | DS_SETFONT, WS_EX_CAPTIONOKBTN, 0, 0, 135, 179, u"Tool",
     u"MS UI Gothic", 9, kMainItems},
    {501, WS_CHILD | DS_SETFONT | DS_FIXEDSYS, 0, 0, 0, 160, 146, u"", u"MS Shell Dlg", 8,
     kPageItems},
};

const platform::ResourceModule kModule{kDialogs, {}, {}, {}};

class CTestPage : public CPropertyPage {
  DECLARE_DYNAMIC(CTestPage)

 public:
  CTestPage() : CPropertyPage(501) {}
  std::vector<std::pair<UINT, UINT>> scrolls;
  CWnd* lastBar = nullptr;
  CSpinButtonCtrl m_spin;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, 1018, m_spin);
  }
  afx_msg void OnVScroll(UINT code, UINT pos, CWnd* bar) {
    scrolls.emplace_back(code, pos);
    lastBar = bar;
    CPropertyPage::OnVScroll(code, pos, bar);
  }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(CTestPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CTestPage, CPropertyPage)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

class CBaseDlg : public CDialog {
 public:
  CBaseDlg() : CDialog(500) {}
  std::vector<std::string> calls;

 protected:
  afx_msg void OnBaseApply() { calls.push_back("base-apply"); }
  afx_msg void OnBaseOnly() { calls.push_back("base-only"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseDlg, CDialog)
ON_BN_CLICKED(1013, &CBaseDlg::OnBaseApply)
ON_COMMAND(50, &CBaseDlg::OnBaseOnly)
END_MESSAGE_MAP()

class CTestDlg : public CBaseDlg {
 public:
  CTestPage m_page;
  CComboBox m_combo;
  int countAtExchange = -1;
  CString name = u"init";
  int checked = 1;
  std::vector<std::pair<UINT, CString>> settingChanges;

 protected:
  BOOL OnInitDialog() override {
    CBaseDlg::OnInitDialog();
    m_page.Create(501, this);
    return TRUE;
  }
  void DoDataExchange(CDataExchange* dx) override {
    CBaseDlg::DoDataExchange(dx);
    DDX_Control(dx, 30, m_combo);
    countAtExchange = m_combo.GetCount();
    DDX_Text(dx, 41, name);
    DDX_Check(dx, 42, checked);
  }
  afx_msg void OnApply() { calls.push_back("derived-apply"); }
  afx_msg void OnReload() { calls.push_back("reload"); }
  afx_msg void OnSize(UINT, int cx, int cy) {
    calls.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
  }
  afx_msg void OnDelta(NMHDR* header, LRESULT* result) {
    calls.push_back("delta " + std::to_string(header->idFrom));
    *result = 1;
  }
  afx_msg void OnSettingChange(UINT flags, LPCTSTR section) {
    CBaseDlg::OnSettingChange(flags, section);
    settingChanges.emplace_back(flags, section != nullptr ? section : u"");
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CBaseDlg)
ON_WM_SIZE()
ON_BN_CLICKED(1013, &CTestDlg::OnApply)
ON_BN_CLICKED(IDCANCEL, &CTestDlg::OnReload)
ON_NOTIFY(UDN_DELTAPOS, 40, &CTestDlg::OnDelta)
ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

class FrameworkTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    platform::ProgramModule().resources = &kModule;
    platform::SetInputSource(&input);
  }
  void TearDown() override {
    PlatformTest::TearDown();
    AfxResetFrameworkState();
    platform::ProgramModule().resources = nullptr;
    platform::ProgramModule().path.clear();
  }
  void Command(CWnd& wnd, int id) {
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                    reinterpret_cast<LPARAM>(::GetDlgItem(wnd.m_hWnd, id)));
  }
  test::ScriptedInput input;
};

TEST_F(FrameworkTest, MessageMapsChainToTheBaseAndTheDerivedEntryWins) {
  CTestDlg dlg;
  input.Then([&] {
    dlg.calls.clear();
    Command(dlg, 1013);
    Command(dlg, 50);
    Command(dlg, IDCANCEL);  // replaces the framework's Cancel: the dialog stays
    Command(dlg, 77);        // no entry anywhere: default handling
    NMUPDOWN nm;
    nm.hdr.hwndFrom = dlg.m_hWnd;
    nm.hdr.idFrom = 40;
    nm.hdr.code = UDN_DELTAPOS;
    EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 40, reinterpret_cast<LPARAM>(&nm)), 1);
    nm.hdr.idFrom = 41;
    EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 41, reinterpret_cast<LPARAM>(&nm)), 0);
    EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd));
  });
  input.Then([&] { Command(dlg, IDOK); });  // CDialog::OnOK ends the dialog
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.calls,
            (std::vector<std::string>{"derived-apply", "base-only", "reload", "delta 40"}));
}

TEST_F(FrameworkTest, DoModalMakesAFullScreenDialogWithListsFilledBeforeDataExchange) {
  CTestDlg dlg;
  input.Then([&] {
    RECT r;
    dlg.GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{0, 26, 240, 294}));
    dlg.GetClientRect(&r);
    EXPECT_EQ(r, (RECT{0, 0, 240, 268}));
    EXPECT_EQ(dlg.countAtExchange, 3);
    CString entry;
    dlg.m_combo.GetLBText(2, entry);
    EXPECT_EQ(entry, u"z");
    EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(dlg.m_hWnd, 30)), &dlg.m_combo);
    CString text;
    dlg.GetDlgItemText(41, text);
    EXPECT_EQ(text, u"init");  // UpdateData(FALSE) during initialisation
    EXPECT_EQ(dlg.IsDlgButtonChecked(42), 1u);
    HWND nav = platform::shell::NavigationBarOf(dlg.m_hWnd);
    ASSERT_NE(nav, nullptr);
    test::Click(platform::shell::OkButtonOf(dlg.m_hWnd));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_page.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_combo.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, OkRunsDataExchangeTowardTheMembers) {
  CTestDlg dlg;
  input.Then([&] {
    dlg.SetDlgItemText(41, u"端末");
    dlg.CheckDlgButton(42, BST_UNCHECKED);
    Command(dlg, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.name, u"端末");
  EXPECT_EQ(dlg.checked, 0);
}

TEST_F(FrameworkTest, APageIsAHiddenChildWithItsOwnMapAndClassName) {
  CTestDlg dlg;
  input.Then([&] {
    CTestPage& page = dlg.m_page;
    ASSERT_NE(page.m_hWnd, nullptr);
    EXPECT_FALSE(page.IsWindowVisible());
    EXPECT_EQ(::GetParent(page.m_hWnd), dlg.m_hWnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(page.m_hWnd), &page);
    EXPECT_STREQ(CWnd::FromHandle(page.m_hWnd)->GetRuntimeClass()->m_lpszClassName, "CTestPage");
    EXPECT_EQ(platform::shell::NavigationBarOf(page.m_hWnd), nullptr);  // child: no shell init
    ASSERT_NE(page.m_spin.m_hWnd, nullptr);
    page.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7),
                     reinterpret_cast<LPARAM>(page.m_spin.m_hWnd));
    EXPECT_EQ(page.scrolls, (std::vector<std::pair<UINT, UINT>>{{SB_THUMBPOSITION, 7}}));
    EXPECT_EQ(page.lastBar, &page.m_spin);
    // The up-down's own messages still reach the control through its object.
    page.m_spin.SetRange(1, 10);
    page.m_spin.SetPos(4);
    EXPECT_EQ(LOWORD(page.m_spin.GetPos()), 4);
    int lo = 0;
    int hi = 0;
    page.m_spin.GetRange(lo, hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 10);
    dlg.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(FrameworkTest, DoModalEndsOnQuitAndSettingChangesReachTheMap) {
  CTestDlg dlg;
  input.Then([&] {
    platform::RotateScreen();
    dlg.SendMessage(WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    RECT nav;
    ::GetWindowRect(platform::shell::NavigationBarOf(dlg.m_hWnd), &nav);
    EXPECT_EQ(nav.right, 320);  // the shell's handling ran first
    PostQuitMessage(0);
  });
  EXPECT_EQ(dlg.DoModal(), -1);
  ASSERT_EQ(dlg.settingChanges.size(), 1u);
  EXPECT_EQ(dlg.settingChanges[0].first, SETTINGCHANGE_RESET);
}

// A window whose own procedure counts what reaches it.
int g_defaultScrolls = 0;
LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_VSCROLL) ++g_defaultScrolls;
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

class CScrollWnd : public CWnd {
 public:
  int handled = 0;

 protected:
  afx_msg void OnVScroll(UINT code, UINT pos, CWnd* bar) {
    ++handled;
    CWnd::OnVScroll(code, pos, bar);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CScrollWnd, CWnd)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

TEST_F(FrameworkTest, DefaultHandlingPassesToTheWindowsOwnProcedure) {
  WNDCLASS wc;
  wc.lpfnWndProc = &CountingProc;
  wc.lpszClassName = u"Counting";
  RegisterClass(&wc);
  g_defaultScrolls = 0;
  CScrollWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, u"Counting", u"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
  wnd.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
  EXPECT_EQ(wnd.handled, 1);
  EXPECT_EQ(g_defaultScrolls, 1);
  wnd.SendMessage(WM_USER, 0, 0);  // no entry: straight to the procedure
  HWND hwnd = wnd.m_hWnd;
  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST_F(FrameworkTest, TemporaryObjectsWrapForeignWindows) {
  HWND plain = MakeParent();
  CWnd* wrapper = CWnd::FromHandle(plain);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->m_hWnd, plain);
  EXPECT_EQ(CWnd::FromHandle(plain), wrapper);
  EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
  DestroyWindow(plain);
  EXPECT_EQ(CWnd::FromHandle(plain), nullptr);
}

TEST_F(FrameworkTest, RunTimeClassesNameTheirClassAndBases) {
  CTestPage page;
  EXPECT_STREQ(RUNTIME_CLASS(CTestPage)->m_lpszClassName, "CTestPage");
  EXPECT_TRUE(page.IsKindOf(RUNTIME_CLASS(CPropertyPage)));
  EXPECT_TRUE(page.IsKindOf(RUNTIME_CLASS(CWnd)));
  EXPECT_FALSE(page.IsKindOf(RUNTIME_CLASS(CComboBox)));
  CTestDlg dlg;  // no run-time class of its own
  EXPECT_STREQ(dlg.GetRuntimeClass()->m_lpszClassName, "CDialog");
}

class CTestApp : public CWinApp {
 public:
  std::u16string nameSeen;
  BOOL result = FALSE;
  BOOL InitInstance() override {
    nameSeen = AfxGetAppName();
    SetRegistryKey(u"アプリケーション ウィザードで生成されたローカル アプリケーション");
    CWnd owner;
    owner.CreateEx(0, test::kParentClass, u"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0);
    owner.MessageBox(u"画面は縦長でご使用下さい");
    if (result) ::PostQuitMessage(4);
    return result;
  }
};

TEST_F(FrameworkTest, TheEntryNamesTheApplicationAfterTheProgramFile) {
  platform::ProgramModule().path = u"/opt/tools/RegillaMobile.exe";
  std::vector<std::u16string> captions;
  platform::SetTraceHook([&](const platform::TraceEvent& e) {
    if (e.kind == platform::TraceEvent::Kind::MessageBox) captions.push_back(e.caption);
  });
  input.Then([] { platform::InjectKeyDown(VK_RETURN); });
  CTestApp app;
  EXPECT_EQ(AfxGetApp(), &app);
  EXPECT_EQ(AfxWinMain(), 0);  // InitInstance returned FALSE: no message loop
  EXPECT_EQ(app.nameSeen, u"RegillaMobile");
  EXPECT_EQ(captions, (std::vector<std::u16string>{u"RegillaMobile"}));
  EXPECT_EQ(std::u16string(app.m_pszRegistryKey),
            u"アプリケーション ウィザードで生成されたローカル アプリケーション");
}

TEST_F(FrameworkTest, TheMessageLoopReturnsTheQuitCode) {
  platform::ProgramModule().path = u"C:\\Windows\\tool.exe";
  input.Then([] { platform::InjectKeyDown(VK_RETURN); });
  CTestApp app;
  app.result = TRUE;
  EXPECT_EQ(AfxWinMain(), 4);
  EXPECT_EQ(app.nameSeen, u"tool");
}

}  // namespace
