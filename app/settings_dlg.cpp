#include "app/settings_dlg.h"

#include <type_traits>
#include <utility>

#include "platform/registry/registry.h"
#include "store/store.h"

namespace {

constexpr DWORD kApplyPauseMs = 200;

const WCHAR kPortraitOnly[] = u"画面は縦長でご使用下さい";
const WCHAR kSoftReset[] = u"設定を有効にするため、ソフトリセットをかけて下さい。";
const WCHAR kNotSaved[] = u"設定を保存できませんでした。";

}  // namespace

template <auto member>
constexpr CSettingsDlg::TabEntry CSettingsDlg::Tab(const WCHAR* label) {
  using Page = std::remove_reference_t<decltype(std::declval<CSettingsDlg&>().*member)>;
  TabEntry tab{label, Page::IDD, [](CSettingsDlg& d) -> CPropertyPage& { return d.*member; }};
  if constexpr (requires(Page & page) { page.SaveSettings(); }) {
    tab.load = [](CSettingsDlg& d) { (d.*member).LoadSettings(); };
    tab.save = [](CSettingsDlg& d) { (d.*member).SaveSettings(); };
    tab.saveSet = &Page::SaveSet;
  }
  return tab;
}

const CSettingsDlg::TabEntry CSettingsDlg::kTabs[6] = {
    Tab<&CSettingsDlg::m_set1>(u"設定1"),        Tab<&CSettingsDlg::m_set2>(u"設定2"),
    Tab<&CSettingsDlg::m_set3>(u"設定3"),        Tab<&CSettingsDlg::m_set4>(u"設定4"),
    Tab<&CSettingsDlg::m_set5>(u"設定5"),
    Tab<&CSettingsDlg::m_about>(u"ﾊﾞｰｼﾞｮﾝ情報"),  // half-width katakana, as on the device
};

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
ON_WM_SIZE()
ON_NOTIFY(TCN_SELCHANGE, res::IDC_TAB, &CSettingsDlg::OnTabSelChange)
ON_BN_CLICKED(IDCANCEL, &CSettingsDlg::OnReloadAll)
ON_BN_CLICKED(res::IDC_APPLY, &CSettingsDlg::OnApply)
ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

CSettingsDlg::CSettingsDlg(CWnd* pParent) : CDialog(CSettingsDlg::IDD, pParent) {
  m_hIcon = AfxGetApp()->LoadIcon(res::IDI_PROGRAM);
}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, res::IDC_TAB, m_tab);
  DDX_Control(pDX, res::IDC_PROGRESS, m_progress);
}

const CSettingsDlg::TabEntry* CSettingsDlg::TabAt(int index) const {
  // The tab control could hold other tabs than this table; never index past it.
  if (index < 0 || index >= static_cast<int>(std::size(kTabs))) return nullptr;
  return &kTabs[index];
}

CPropertyPage* CSettingsDlg::PageOfTab(int index) {
  const TabEntry* tab = TabAt(index);
  return tab ? &tab->page(*this) : nullptr;
}

void CSettingsDlg::ShowPortraitOnlyMessage() {
  MessageBox(kPortraitOnly, AfxGetAppName(), MB_OK);
  PostQuitMessage(0);
}

BOOL CSettingsDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  if (GetSystemMetrics(SM_CXSCREEN) > GetSystemMetrics(SM_CYSCREEN)) {
    ShowPortraitOnlyMessage();
    return FALSE;
  }

  for (int i = 0; i < static_cast<int>(std::size(kTabs)); ++i) {
    TCITEM item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(kTabs[i].label);
    m_tab.InsertItem(i, &item);
  }

  // The tab control's screen rectangle is used as client coordinates without
  // conversion, so the pages sit lower and further right by the client
  // area's offset on the screen.
  RECT rc{};
  GetDlgItem(res::IDC_TAB)->GetWindowRect(&rc);
  rc.left += 2;
  rc.top += 1;
  rc.right -= 2;
  rc.bottom -= 28;

  for (const TabEntry& tab : kTabs) {
    CPropertyPage& page = tab.page(*this);
    page.Create(tab.templateId, this);
    page.MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
  }

  m_set1.EnableWindow(TRUE);
  m_set1.ShowWindow(SW_SHOW);
  m_set1.BringWindowToTop();
  return TRUE;
}

void CSettingsDlg::OnSize(UINT, int, int) {
  // The layout of the template stays at every size.
}

void CSettingsDlg::OnTabSelChange(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  // Pages are never hidden: the selected one is raised above the others.
  if (CPropertyPage* page = PageOfTab(m_tab.GetCurSel())) {
    page->EnableWindow(TRUE);
    page->ShowWindow(SW_SHOW);
    page->BringWindowToTop();
  }
}

void CSettingsDlg::OnReloadAll() {
  for (int i = 0; i < m_tab.GetItemCount(); ++i) {
    const TabEntry* tab = TabAt(i);
    if (tab && tab->load) tab->load(*this);
  }
}

void CSettingsDlg::OnApply() {
  GetDlgItem(res::IDC_APPLY)->ShowWindow(SW_HIDE);
  GetDlgItem(IDCANCEL)->ShowWindow(SW_HIDE);
  const int n = m_tab.GetItemCount();
  m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(n)));
  m_progress.SetPos(0);
  m_progress.ShowWindow(SW_SHOW);
  UpdateWindow();

  const auto failedBefore = store::FailedWriteCount();
  for (int i = 0; i < m_tab.GetItemCount();) {
    const TabEntry* tab = TabAt(i);
    if (tab && tab->save) tab->save(*this);
    ++i;
    m_progress.SetPos(i);
    Sleep(kApplyPauseMs);
  }
  // The closing message must not claim success when the settings did not
  // reach the store: a write of this cycle failed or the store did not save.
  const bool writesFailed = store::FailedWriteCount() != failedBefore;
  const bool flushed = platform::registry::FlushRegistry().ok();

  m_progress.ShowWindow(SW_HIDE);
  GetDlgItem(res::IDC_APPLY)->ShowWindow(SW_SHOW);
  GetDlgItem(IDCANCEL)->ShowWindow(SW_SHOW);

  MessageBox(writesFailed || !flushed ? kNotSaved : kSoftReset, AfxGetAppName(), MB_OK);
}

void CSettingsDlg::OnSettingChange(UINT uFlags, LPCWSTR lpszSection) {
  CDialog::OnSettingChange(uFlags, lpszSection);
  // A display reset ends the tool, whatever shape the screen has now.
  if (uFlags == SETTINGCHANGE_RESET) ShowPortraitOnlyMessage();
}
