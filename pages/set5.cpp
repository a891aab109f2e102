#include "pages/set5.h"

#include <array>

#include "pages/settings_table.h"

namespace {

using namespace pages;

constexpr int kAnimationOn = 6;

// Loaded and saved in screen order, which is not the order of the ids.
// clang-format off
constexpr std::array<Setting<CSet5>, 5> kSettings{{
  {u"メニューのアニメーション", CheckBox<CSet5>(1034),
   Root::LocalMachine, store::keys::kGweMenu, u"Anitype",
   CheckedIfNonZero(), Checked(kAnimationOn, 0), kLeave, Show(0)},
  {u"縦のスクロールバーの太さ", UpDown(1036, &CSet5::m_spinCxVScr, &CSet5::m_nCxVScr),
   Root::LocalMachine, store::keys::kGwe, u"cxVScr",
   ReadInto(), Times(1), kLeave, kKeep},
  {u"縦のスクロールバーの矢印の長さ", UpDown(1040, &CSet5::m_spinCyVScr, &CSet5::m_nCyVScr),
   Root::LocalMachine, store::keys::kGwe, u"cyVScr",
   ReadInto(), Times(1), kLeave, kKeep},
  {u"横のスクロールバーの太さ", UpDown(1038, &CSet5::m_spinCyHScr, &CSet5::m_nCyHScr),
   Root::LocalMachine, store::keys::kGwe, u"cyHScr",
   ReadInto(), Times(1), kLeave, kKeep},
  {u"横のスクロールバ矢印の長さ", UpDown(1042, &CSet5::m_spinCxHScr, &CSet5::m_nCxHScr),
   Root::LocalMachine, store::keys::kGwe, u"cxHScr",
   ReadInto(), Times(1), kLeave, kKeep},
}};
// clang-format on

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
  DDX_Control(pDX, 1037, m_spinCxVScr);
  DDX_Control(pDX, 1039, m_spinCyHScr);
  DDX_Control(pDX, 1041, m_spinCyVScr);
  DDX_Control(pDX, 1043, m_spinCxHScr);
}

BOOL CSet5::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  for (int id : {1037, 1039, 1041, 1043})
    SendDlgItemMessage(id, UDM_SETRANGE, 0, MAKELPARAM(50, 5));
  return TRUE;
}

void CSet5::LoadSettings() {
  LoadTable<CSet5>(*this, kSettings);
}

void CSet5::SaveSettings() {
  SaveTable<CSet5>(*this, kSettings);
}

void CSet5::OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {
  StepUpDown<CSet5>(*this, kSettings, kUpDownRules, nSBCode, nPos, pScrollBar);
  CPropertyPage::OnVScroll(nSBCode, nPos, pScrollBar);
}
