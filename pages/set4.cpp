#include "pages/set4.h"

#include "pages/settings_table.h"

namespace {

using namespace pages;
using namespace res;
namespace keys = store::keys;

constexpr int kImeAlphanumeric = 13;
constexpr int kImeDefault = 1;
constexpr int kEntryShowTime = 1;  // "時間を表示"

// clang-format off
constexpr Setting<CSet4> kSettings[] = {
  {.heading = u"予定表に旧暦を表示", .control = CheckBox(IDC_LUNAR_CALENDAR),
   .root = Root::LocalMachine, .key = keys::kCalendar, .value = u"ShowLunarCalendar",
   .load = CheckedIfNonZero(), .save = Checked(1, 0), .ifReadFails = Show(0)},
  {.heading = u"IME のデフォルトの入力モード", .control = CheckBox(IDC_IME_ALPHANUMERIC),
   .root = Root::CurrentUser, .key = keys::kImeJp, .value = u"option3",
   .load = CheckedIfEquals(kImeAlphanumeric), .save = Checked(kImeAlphanumeric, kImeDefault),
   .ifReadFails = Show(0)},
  {.heading = u"フォントを奇麗に描画する", .control = CheckBox(IDC_CLEARTYPE),
   .root = Root::LocalMachine, .key = keys::kShell, .value = u"NoClearType",
   .load = CheckedIfNonZero(), .save = Checked(1, 0), .ifReadFails = Show(0)},
  {.heading = u"タイトルバーに日付や時刻を表示", .control = DropDownList(IDC_TITLE_BAR_CLOCK),
   .root = Root::LocalMachine, .key = keys::kShell, .value = u"TBOpt",
   .load = SelectIndex(), .save = SelectedIndex(), .ifReadFails = Show(kEntryShowTime)},
  {.heading = u"IE Mobileでフォントを奇麗に描画する", .control = CheckBox(IDC_IE_CLEARTYPE),
   .root = Root::LocalMachine, .key = keys::kInternetSettings, .value = u"ClearTypeText",
   .load = CheckedIfNonZero(), .save = Checked(1, 0), .ifReadFails = Show(0)},
};
// clang-format on
static_assert(CheckTable(kSettings));

}  // namespace

IMPLEMENT_DYNAMIC(CSet4, CPropertyPage)

BEGIN_MESSAGE_MAP(CSet4, CPropertyPage)
END_MESSAGE_MAP()

CSet4::CSet4() : CPropertyPage(CSet4::IDD) {}

CSet4::~CSet4() = default;

void CSet4::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Control(pDX, res::IDC_TITLE_BAR_CLOCK, m_comboTBOpt);
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

std::vector<pages::SavedValue> CSet4::SaveSet() {
  return pages::SaveSet<CSet4>(kSettings);
}
