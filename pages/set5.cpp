#include "pages/set5.h"

#include "pages/settings_table.h"

namespace {

using namespace pages;
using namespace res;
namespace keys = store::keys;

constexpr int kAnimationOn = 6;

// Loaded and saved in screen order, which is not the order of the ids.
// clang-format off
constexpr Setting<CSet5> kSettings[] = {
  {.heading = u"メニューのアニメーション", .control = CheckBox(IDC_MENU_ANIMATION),
   .root = Root::LocalMachine, .key = keys::kGweMenu, .value = u"Anitype",
   .load = CheckedIfNonZero(), .save = Checked(kAnimationOn, 0), .ifReadFails = Show(0)},
  {.heading = u"縦のスクロールバーの太さ", .control = UpDownPair(IDC_CX_VSCR),
   .spin = &CSet5::m_spinCxVScr, .number = &CSet5::m_nCxVScr,
   .root = Root::LocalMachine, .key = keys::kGwe, .value = u"cxVScr",
   .load = ReadInto(), .save = Times(1)},
  {.heading = u"縦のスクロールバーの矢印の長さ", .control = UpDownPair(IDC_CY_VSCR),
   .spin = &CSet5::m_spinCyVScr, .number = &CSet5::m_nCyVScr,
   .root = Root::LocalMachine, .key = keys::kGwe, .value = u"cyVScr",
   .load = ReadInto(), .save = Times(1)},
  {.heading = u"横のスクロールバーの太さ", .control = UpDownPair(IDC_CY_HSCR),
   .spin = &CSet5::m_spinCyHScr, .number = &CSet5::m_nCyHScr,
   .root = Root::LocalMachine, .key = keys::kGwe, .value = u"cyHScr",
   .load = ReadInto(), .save = Times(1)},
  {.heading = u"横のスクロールバ矢印の長さ", .control = UpDownPair(IDC_CX_HSCR),
   .spin = &CSet5::m_spinCxHScr, .number = &CSet5::m_nCxHScr,
   .root = Root::LocalMachine, .key = keys::kGwe, .value = u"cxHScr",
   .load = ReadInto(), .save = Times(1)},
};
// clang-format on
static_assert(CheckTable(kSettings));

// The handler steps down to 0 although the up-downs' own range starts at 5,
// and it takes every scroll code, SB_ENDSCROLL included.
constexpr UpDownRules kUpDownRules{0, 50, false};

}  // namespace

IMPLEMENT_DYNAMIC(CSet5, CPropertyPage)

BEGIN_MESSAGE_MAP(CSet5, CPropertyPage)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

CSet5::CSet5() : CPropertyPage(CSet5::IDD) {}

CSet5::~CSet5() = default;

void CSet5::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Control(pDX, res::IDC_CX_VSCR_SPIN, m_spinCxVScr);
  DDX_Control(pDX, res::IDC_CY_HSCR_SPIN, m_spinCyHScr);
  DDX_Control(pDX, res::IDC_CY_VSCR_SPIN, m_spinCyVScr);
  DDX_Control(pDX, res::IDC_CX_HSCR_SPIN, m_spinCxHScr);
}

BOOL CSet5::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  for (int id :
       {res::IDC_CX_VSCR_SPIN, res::IDC_CY_HSCR_SPIN, res::IDC_CY_VSCR_SPIN, res::IDC_CX_HSCR_SPIN})
    SendDlgItemMessage(id, UDM_SETRANGE, 0, MAKELPARAM(50, 5));
  return TRUE;
}

void CSet5::LoadSettings() {
  LoadTable<CSet5>(*this, kSettings);
}

void CSet5::SaveSettings() {
  SaveTable<CSet5>(*this, kSettings);
}

std::vector<pages::SavedValue> CSet5::SaveSet() {
  return pages::SaveSet<CSet5>(kSettings);
}

void CSet5::OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {
  StepUpDown<CSet5>(*this, kSettings, kUpDownRules, nSBCode, nPos, pScrollBar);
  CPropertyPage::OnVScroll(nSBCode, nPos, pScrollBar);
}
