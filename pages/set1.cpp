#include "pages/set1.h"

#include <array>

#include "pages/settings_table.h"

namespace {

using namespace pages;

constexpr int kEntryEvenly = 3;  // "均等に動作"

// clang-format off
constexpr std::array<Setting<CSet1>, 5> kSettings{{
  {u"CABインストーラの起動設定", CheckBox<CSet1>(1009),
   Root::LocalMachine, store::keys::kAppInstaller, u"fAskDest",
   CheckedIfNonZero(), Checked(1, 0), kLeave, Show(0)},
  {u"CABインストーラの起動設定", CheckBox<CSet1>(1010),
   Root::LocalMachine, store::keys::kAppInstaller, u"nDynamicDelete",
   CheckedIfEquals(2), Checked(2, 0), kLeave, Show(0), Open::SharedWithPrevious},
  {u"CABインストーラの起動設定", CheckBox<CSet1>(1011),
   Root::LocalMachine, store::keys::kAppInstaller, u"fAskOptions",
   CheckedIfNonZero(), Checked(1, 0), kLeave, Show(0), Open::SharedWithPrevious},
  {u"CPU 動作の優先度", DropDownList<CSet1>(1031),
   Root::LocalMachine, store::keys::kBios, u"CPUPriority",
   SelectIndex(), SelectedIndex(), CreateWith(kEntryEvenly), Show(kEntryEvenly)},
  {u"ウィンドウのアニメーション", CheckBox<CSet1>(1032),
   Root::LocalMachine, store::keys::kGwe, u"Animate",
   CheckedIfNonZero(), Checked(1, 0), kLeave, Show(0)},
}};
// clang-format on

}  // namespace

IMPLEMENT_DYNAMIC(CSet1, CPropertyPage)

BEGIN_MESSAGE_MAP(CSet1, CPropertyPage)
END_MESSAGE_MAP()

CSet1::CSet1() : CPropertyPage(CSet1::IDD) {}

CSet1::~CSet1() = default;

void CSet1::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Control(pDX, 1031, m_comboCpuPriority);
}

BOOL CSet1::OnInitDialog() {
  // The base initialisation fills the list, so an entry can be selected.
  CPropertyPage::OnInitDialog();
  LoadSettings();
  return TRUE;
}

void CSet1::LoadSettings() {
  LoadTable<CSet1>(*this, kSettings);
}

void CSet1::SaveSettings() {
  SaveTable<CSet1>(*this, kSettings);
}
