#include "pages/set2.h"

#include "pages/settings_table.h"

namespace {

using namespace pages;
using namespace res;
namespace keys = store::keys;

// Both counts default to 2 when their key opens but the value does not read.
constexpr int kDefaultConnections = 2;

// The start menu's history: twelve entries "0" to "11".
constexpr std::u16string_view kHistoryEntries[] = {u"0", u"1", u"2", u"3", u"4",  u"5",
                                                   u"6", u"7", u"8", u"9", u"10", u"11"};

// clang-format off
constexpr Setting<CSet2> kSettings[] = {
  {.heading = u"ソフトウェアキーボードの自動表示", .control = CheckBox(IDC_SIP_AUTO),
   .root = Root::CurrentUser, .key = keys::kSip, .value = u"AllowChange",
   .load = CheckedIfNonZero(), .save = Checked(1, 0)},
  // Shares its id with the main dialog's Apply button; a click only toggles it.
  {.heading = u"スタートメニューの起動履歴", .control = HistoryBox(IDC_CLEAR_HISTORY),
   .root = Root::CurrentUser, .key = keys::kTaskSwitch, .names = kHistoryEntries,
   .load = NotLoaded(), .save = EmptyIfChecked()},
  {.heading = u"IE Mobileの同時ダウンロード数(HTTP 1.1)", .control = UpDownPair(IDC_PER1_0_SERVER),
   .spin = &CSet2::m_spinPer1_0Server, .number = &CSet2::m_nPer1_0Server,
   .root = Root::CurrentUser, .key = keys::kInternetSettings, .value = u"MaxConnectionsPer1_0Server",
   .load = ReadInto(), .save = Times(1), .ifReadFails = Show(kDefaultConnections)},
  {.heading = u"IE Mobileの同時ダウンロード数(HTTP 1.0)", .control = UpDownPair(IDC_PER_SERVER),
   .spin = &CSet2::m_spinPerServer, .number = &CSet2::m_nPerServer,
   .root = Root::CurrentUser, .key = keys::kInternetSettings, .value = u"MaxConnectionsPerServer",
   .load = ReadInto(), .save = Times(1), .ifReadFails = Show(kDefaultConnections)},
};
// clang-format on
static_assert(CheckTable(kSettings));

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
  DDX_Control(pDX, res::IDC_PER1_0_SERVER_SPIN, m_spinPer1_0Server);
  DDX_Control(pDX, res::IDC_PER_SERVER_SPIN, m_spinPerServer);
}

BOOL CSet2::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  // The ranges come after the load has positioned the up-downs.
  SendDlgItemMessage(res::IDC_PER1_0_SERVER_SPIN, UDM_SETRANGE, 0, MAKELPARAM(10, 1));
  SendDlgItemMessage(res::IDC_PER_SERVER_SPIN, UDM_SETRANGE, 0, MAKELPARAM(10, 1));
  return TRUE;
}

void CSet2::LoadSettings() {
  LoadTable<CSet2>(*this, kSettings);
}

void CSet2::SaveSettings() {
  SaveTable<CSet2>(*this, kSettings);
}

std::vector<pages::SavedValue> CSet2::SaveSet() {
  return pages::SaveSet<CSet2>(kSettings);
}

void CSet2::OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {
  if (StepUpDown<CSet2>(*this, kSettings, kUpDownRules, nSBCode, nPos, pScrollBar)) {
    CPropertyPage::OnVScroll(nSBCode, nPos, pScrollBar);
  }
}
