#include "pages/set3.h"

#include <array>

#include "pages/settings_table.h"

namespace {

using namespace pages;

constexpr int kSecondsPerMinute = 60;
// 0 minutes of dial-up idle time is stored as -1, not 0.
constexpr DWORD kNeverDisconnect = 0xFFFFFFFF;
// Scan interval when "\ControlPanel\WiFi" opens without a readable value.
constexpr int kDefaultScanMinutes = 1;
constexpr int kTimeoutOn = 20;

// clang-format off
constexpr std::array<Setting<CSet3>, 5> kSettings{{
  {u"ダイアルアップ通信の自動切断無通信時間",
   UpDown(1019, &CSet3::m_spinCacheTime, &CSet3::m_nCacheMinutes),
   Root::LocalMachine, store::keys::kPlannerSettings, u"CacheTime",
   Divide(kSecondsPerMinute), TimesZeroAs(kSecondsPerMinute, kNeverDisconnect), kLeave, kKeep},
  {u"ネットワークフォルダの表示", CheckBox<CSet3>(1022),
   Root::LocalMachine, store::keys::kRedir, u"RegisterFSRoot",
   CheckedIfNonZero(), Checked(1, 0), CreateWith(0), kKeep},
  {u"無線LAN のスキャンインターバル時間",
   UpDown(1020, &CSet3::m_spinScanInterval, &CSet3::m_nScanMinutes),
   Root::LocalMachine, store::keys::kWifi, u"ScanInterval",
   Divide(kSecondsPerMinute), Times(kSecondsPerMinute), kLeave, Show(kDefaultScanMinutes)},
  {u"WiFi終了後にWiFiを自動停止", CheckBox<CSet3>(1026),
   Root::LocalMachine, store::keys::kWifi, u"Timeout",
   CheckedIfEquals(kTimeoutOn), Checked(kTimeoutOn, 0), kLeave, Show(0)},
  {u"デバイス名の変更", TextEdit<CSet3>(1027),
   Root::LocalMachine, store::keys::kIdent, u"Name",
   AsString(), AsText(), kLeave, kKeep},
}};
// clang-format on

// Both up-downs step within 0 … 60, whatever their own ranges.
constexpr UpDownRules kUpDownRules{0, 60, true};

}  // namespace

IMPLEMENT_DYNAMIC(CSet3, CPropertyPage)

BEGIN_MESSAGE_MAP(CSet3, CPropertyPage)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

CSet3::CSet3() : CPropertyPage(CSet3::IDD) {}

CSet3::~CSet3() = default;

void CSet3::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Control(pDX, 1021, m_spinCacheTime);
  DDX_Control(pDX, 1023, m_spinScanInterval);
}

BOOL CSet3::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  SendDlgItemMessage(1021, UDM_SETRANGE, 0, MAKELPARAM(60, 0));
  SendDlgItemMessage(1023, UDM_SETRANGE32, 1, 30);
  // No default focus on this page.
  return FALSE;
}

void CSet3::LoadSettings() {
  LoadTable<CSet3>(*this, kSettings);
}

void CSet3::SaveSettings() {
  SaveTable<CSet3>(*this, kSettings);
}

void CSet3::OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {
  if (StepUpDown<CSet3>(*this, kSettings, kUpDownRules, nSBCode, nPos, pScrollBar)) {
    CPropertyPage::OnVScroll(nSBCode, nPos, pScrollBar);
  }
}
