// Dialogs: modal and modeless CDialog from templates, its default
// initialisation and OK / Cancel, and property pages.
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "platform/framework/internal.h"
#include "platform/shell/aygshell.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"

namespace {

// The dialog procedure of framework dialogs: everything goes through the
// object's message map first (the window is subclassed), so nothing is left
// to do here.
BOOL AfxDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

CDialog::CDialog(UINT idTemplate, CWnd* parent) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

namespace {
const platform::DialogTemplate* TemplateFor(HINSTANCE instance, UINT id) {
  const platform::ResourceModule* module = platform::ModuleOf(instance);
  return module == nullptr ? nullptr : platform::FindDialogTemplate(*module, static_cast<int>(id));
}
}  // namespace

INT_PTR CDialog::DoModal() {
  const platform::DialogTemplate* tmpl = TemplateFor(m_hTemplateInstance, m_nIDTemplate);
  if (tmpl == nullptr || m_hWnd != nullptr) return -1;
  platform::framework::HookCreate(this);
  INT_PTR result = ::DialogBoxIndirectParam(
      m_hTemplateInstance, tmpl, m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
      &AfxDlgProc, reinterpret_cast<LPARAM>(this));
  platform::HookNextWindowCreate(nullptr);
  return result;
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) {
  m_nIDTemplate = idTemplate;
  m_pParentWnd = parent;
  const platform::DialogTemplate* tmpl = TemplateFor(m_hTemplateInstance, idTemplate);
  if (tmpl == nullptr || m_hWnd != nullptr) return FALSE;
  platform::framework::HookCreate(this);
  HWND hwnd = ::CreateDialogIndirectParam(m_hTemplateInstance, tmpl,
                                          parent != nullptr ? parent->m_hWnd : nullptr, &AfxDlgProc,
                                          reinterpret_cast<LPARAM>(this));
  platform::HookNextWindowCreate(nullptr);
  return hwnd != nullptr ? TRUE : FALSE;
}

void CDialog::EndDialog(int result) {
  ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
  if ((GetStyle() & WS_CHILD) == 0) {
    SHINITDLGINFO info;
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = m_hWnd;
    info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU;
    SHInitDialog(&info);
  }
  if (const platform::DialogTemplate* tmpl = platform::DialogTemplateOf(m_hWnd)) {
    for (const platform::DialogItemTemplate& item : tmpl->items) {
      if (item.initStrings.empty()) continue;
      HWND control = ::GetDlgItem(m_hWnd, item.id);
      for (std::u16string_view entry : item.initStrings) {
        std::u16string text(entry);
        ::SendMessage(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      }
    }
  }
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
  return OnInitDialog();
}

void CDialog::OnSettingChange(UINT flags, LPCTSTR section) {
  SHACTIVATEINFO info;
  SHHandleWMSettingChange(m_hWnd, flags, reinterpret_cast<LPARAM>(section), &info);
  CWnd::OnSettingChange(flags, section);
}

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

BEGIN_MESSAGE_MAP(CPropertyPage, CDialog)
END_MESSAGE_MAP()

CPropertyPage::CPropertyPage(UINT idTemplate, UINT idCaption)
    : CDialog(idTemplate), m_nIDCaption(idCaption) {}

CPropertyPage::~CPropertyPage() = default;
