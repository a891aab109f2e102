#include "pages/set4.h"

#include <array>

#include "pages/settings_table.h"

namespace {

using namespace pages;

constexpr int kImeAlphanumeric = 13;
constexpr int kImeDefault = 1;
constexpr int kEntryShowTime = 1;  // "時間を表示"

// clang-format off
constexpr std::array<Setting<CSet4>, 5> kSettings{{
  {u"予定表に旧暦を表示", CheckBox<CSet4>(1024),
   Root::LocalMachine, store::keys::kCalendar, u"ShowLunarCalendar",
   CheckedIfNonZero(), Checked(1, 0), kLeave, Show(0)},
  {u"IME のデフォルトの入力モード", CheckBox<CSet4>(1025),
   Root::CurrentUser, store::keys::kImeJp, u"option3",
   CheckedIfEquals(kImeAlphanumeric), Checked(kImeAlphanumeric, kImeDefault), kLeave, Show(0)},
  {u"フォントを奇麗に描画する", CheckBox<CSet4>(1026),
   Root::LocalMachine, store::keys::kShell, u"NoClearType",
   CheckedIfNonZero(), Checked(1, 0), kLeave, Show(0)},
  {u"タイトルバーに日付や時刻を表示", DropDownList<CSet4>(1030),
   Root::LocalMachine, store::keys::kShell, u"TBOpt",
   SelectIndex(), SelectedIndex(), kLeave, Show(kEntryShowTime)},
  {u"IE Mobileでフォントを奇麗に描画する", CheckBox<CSet4>(1027),
   Root::LocalMachine, store::keys::kInternetSettings, u"ClearTypeText",
   CheckedIfNonZero(), Checked(1, 0), kLeave, Show(0)},
}};
// clang-format on

}  // namespace

IMPLEMENT_DYNAMIC(CSet4, CPropertyPage)

BEGIN_MESSAGE_MAP(CSet4, CPropertyPage)
END_MESSAGE_MAP()

CSet4::CSet4() : CPropertyPage(CSet4::IDD) {}

CSet4::~CSet4() = default;

void CSet4::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Control(pDX, 1030, m_comboTBOpt);
}

BOOL CSet4::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  return TRUE;
}

void CSet4::LoadSettings() {
  LoadTable<CSet4>(*this, kSettings);
}

void CSet4::SaveSettings() {
  SaveTable<CSet4>(*this, kSettings);
}
