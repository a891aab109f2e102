#include "pages/set1.h"

#include "pages/settings_table.h"

namespace {

using namespace pages;
using namespace res;
namespace keys = store::keys;

constexpr int kEntryEvenly = 3;  // "均等に動作"

// clang-format off
constexpr Setting<CSet1> kSettings[] = {
  {.heading = u"CABインストーラの起動設定", .control = CheckBox(IDC_ASK_DEST),
   .root = Root::LocalMachine, .key = keys::kAppInstaller, .value = u"fAskDest",
   .load = CheckedIfNonZero(), .save = Checked(1, 0), .ifReadFails = Show(0)},
  {.heading = u"CABインストーラの起動設定", .control = CheckBox(IDC_DYNAMIC_DELETE),
   .root = Root::LocalMachine, .key = keys::kAppInstaller, .value = u"nDynamicDelete",
   .load = CheckedIfEquals(2), .save = Checked(2, 0), .ifReadFails = Show(0),
   .open = Open::SharedWithPrevious},
  {.heading = u"CABインストーラの起動設定", .control = CheckBox(IDC_ASK_OPTIONS),
   .root = Root::LocalMachine, .key = keys::kAppInstaller, .value = u"fAskOptions",
   .load = CheckedIfNonZero(), .save = Checked(1, 0), .ifReadFails = Show(0),
   .open = Open::SharedWithPrevious},
  {.heading = u"CPU 動作の優先度", .control = DropDownList(IDC_CPU_PRIORITY),
   .root = Root::LocalMachine, .key = keys::kBios, .value = u"CPUPriority",
   .load = SelectIndex(), .save = SelectedIndex(),
   .ifKeyMissing = CreateWith(kEntryEvenly), .ifReadFails = Show(kEntryEvenly)},
  {.heading = u"ウィンドウのアニメーション", .control = CheckBox(IDC_ANIMATE),
   .root = Root::LocalMachine, .key = keys::kGwe, .value = u"Animate",
   .load = CheckedIfNonZero(), .save = Checked(1, 0), .ifReadFails = Show(0)},
};
// clang-format on
static_assert(CheckTable(kSettings));

}  // namespace

IMPLEMENT_DYNAMIC(CSet1, CPropertyPage)

BEGIN_MESSAGE_MAP(CSet1, CPropertyPage)
END_MESSAGE_MAP()

CSet1::CSet1() : CPropertyPage(CSet1::IDD) {}

CSet1::~CSet1() = default;

void CSet1::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Control(pDX, res::IDC_CPU_PRIORITY, m_comboCpuPriority);
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

std::vector<pages::SavedValue> CSet1::SaveSet() {
  return pages::SaveSet<CSet1>(kSettings);
}
