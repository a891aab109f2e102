#include "pages/set2.h"

#include <array>

#include "pages/settings_table.h"

namespace {

using namespace pages;

// Both counts default to 2 when their key opens but the value does not read.
constexpr int kDefaultConnections = 2;

// clang-format off
constexpr std::array<Setting<CSet2>, 4> kSettings{{
  {u"ソフトウェアキーボードの自動表示", CheckBox<CSet2>(1012),
   Root::CurrentUser, store::keys::kSip, u"AllowChange",
   CheckedIfNonZero(), Checked(1, 0), kLeave, kKeep},
  // Shares its id with the main dialog's Apply button; a click only toggles it.
  {u"スタートメニューの起動履歴", HistoryBox<CSet2>(1013),
   Root::CurrentUser, store::keys::kTaskSwitch, u"",
   NotLoaded(), EmptyIfChecked(), kLeave, kKeep, Open::Own, store::TaskSwitchValueNames},
  {u"IE Mobileの同時ダウンロード数(HTTP 1.1)",
   UpDown(1017, &CSet2::m_spinPer1_0Server, &CSet2::m_nPer1_0Server),
   Root::CurrentUser, store::keys::kInternetSettings, u"MaxConnectionsPer1_0Server",
   ReadInto(), Times(1), kLeave, Show(kDefaultConnections)},
  {u"IE Mobileの同時ダウンロード数(HTTP 1.0)",
   UpDown(1019, &CSet2::m_spinPerServer, &CSet2::m_nPerServer),
   Root::CurrentUser, store::keys::kInternetSettings, u"MaxConnectionsPerServer",
   ReadInto(), Times(1), kLeave, Show(kDefaultConnections)},
}};
// clang-format on

constexpr UpDownRules kUpDownRules{1, 10, true};

}  // namespace

IMPLEMENT_DYNAMIC(CSet2, CPropertyPage)

BEGIN_MESSAGE_MAP(CSet2, CPropertyPage)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

CSet2::CSet2() : CPropertyPage(CSet2::IDD) {}

CSet2::~CSet2() = default;

void CSet2::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Control(pDX, 1018, m_spinPer1_0Server);
  DDX_Control(pDX, 1020, m_spinPerServer);
}

BOOL CSet2::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  // The ranges come after the load has positioned the up-downs.
  SendDlgItemMessage(1018, UDM_SETRANGE, 0, MAKELPARAM(10, 1));
  SendDlgItemMessage(1020, UDM_SETRANGE, 0, MAKELPARAM(10, 1));
  return TRUE;
}

void CSet2::LoadSettings() {
  LoadTable<CSet2>(*this, kSettings);
}

void CSet2::SaveSettings() {
  SaveTable<CSet2>(*this, kSettings);
}

void CSet2::OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {
  if (StepUpDown<CSet2>(*this, kSettings, kUpDownRules, nSBCode, nPos, pScrollBar)) {
    CPropertyPage::OnVScroll(nSBCode, nPos, pScrollBar);
  }
}
