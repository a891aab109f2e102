#include "pages/set3.h"

#include "pages/settings_table.h"

namespace {

using namespace pages;
using namespace res;
namespace keys = store::keys;

constexpr int kSecondsPerMinute = 60;
// 0 minutes of dial-up idle time is stored as -1, not 0.
constexpr DWORD kNeverDisconnect = 0xFFFFFFFF;
// Scan interval when "\ControlPanel\WiFi" opens without a readable value.
constexpr int kDefaultScanMinutes = 1;
constexpr int kTimeoutOn = 20;

// clang-format off
constexpr Setting<CSet3> kSettings[] = {
  {.heading = u"ダイアルアップ通信の自動切断無通信時間", .control = UpDownPair(IDC_CACHE_TIME),
   .spin = &CSet3::m_spinCacheTime, .number = &CSet3::m_nCacheMinutes,
   .root = Root::LocalMachine, .key = keys::kPlannerSettings, .value = u"CacheTime",
   .load = Divide(kSecondsPerMinute), .save = TimesZeroAs(kSecondsPerMinute, kNeverDisconnect)},
  {.heading = u"ネットワークフォルダの表示", .control = CheckBox(IDC_NETWORK_FOLDER),
   .root = Root::LocalMachine, .key = keys::kRedir, .value = u"RegisterFSRoot",
   .load = CheckedIfNonZero(), .save = Checked(1, 0), .ifKeyMissing = CreateWith(0)},
  {.heading = u"無線LAN のスキャンインターバル時間", .control = UpDownPair(IDC_SCAN_INTERVAL),
   .spin = &CSet3::m_spinScanInterval, .number = &CSet3::m_nScanMinutes,
   .root = Root::LocalMachine, .key = keys::kWifi, .value = u"ScanInterval",
   .load = Divide(kSecondsPerMinute), .save = Times(kSecondsPerMinute),
   .ifReadFails = Show(kDefaultScanMinutes)},
  {.heading = u"WiFi終了後にWiFiを自動停止", .control = CheckBox(IDC_WIFI_AUTO_STOP),
   .root = Root::LocalMachine, .key = keys::kWifi, .value = u"Timeout",
   .load = CheckedIfEquals(kTimeoutOn), .save = Checked(kTimeoutOn, 0), .ifReadFails = Show(0)},
  {.heading = u"デバイス名の変更", .control = TextEdit(IDC_DEVICE_NAME),
   .unreadable = &CSet3::m_bNameUnreadable,
   .root = Root::LocalMachine, .key = keys::kIdent, .value = u"Name",
   .load = AsString(), .save = AsText()},
};
// clang-format on
static_assert(CheckTable(kSettings));

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
  DDX_Control(pDX, res::IDC_CACHE_TIME_SPIN, m_spinCacheTime);
  DDX_Control(pDX, res::IDC_SCAN_INTERVAL_SPIN, m_spinScanInterval);
}

BOOL CSet3::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  SendDlgItemMessage(res::IDC_CACHE_TIME_SPIN, UDM_SETRANGE, 0, MAKELPARAM(60, 0));
  SendDlgItemMessage(res::IDC_SCAN_INTERVAL_SPIN, UDM_SETRANGE32, 1, 30);
  // No default focus on this page.
  return FALSE;
}

void CSet3::LoadSettings() {
  LoadTable<CSet3>(*this, kSettings);
}

void CSet3::SaveSettings() {
  SaveTable<CSet3>(*this, kSettings);
}

std::vector<pages::SavedValue> CSet3::SaveSet() {
  return pages::SaveSet<CSet3>(kSettings);
}

void CSet3::OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {
  if (StepUpDown<CSet3>(*this, kSettings, kUpDownRules, nSBCode, nPos, pScrollBar)) {
    CPropertyPage::OnVScroll(nSBCode, nPos, pScrollBar);
  }
}
