// The framework: run-time classes, message-map dispatch, the window handle
// maps, CWnd and CDialog, data exchange, control wrappers and the
// application object with the program entry.
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "platform/shell/aygshell.h"
#include "platform/window/host.h"
#include "platform/window/inspect.h"

namespace {

std::unordered_map<HWND, CWnd*>& PermanentMap() {
  static std::unordered_map<HWND, CWnd*> map;
  return map;
}

std::unordered_map<HWND, std::unique_ptr<CWnd>>& TemporaryMap() {
  static std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
  return map;
}

std::vector<MSG>& MessageStack() {
  static std::vector<MSG> stack;
  return stack;
}

CWinApp*& CurrentApp() {
  static CWinApp* app = nullptr;
  return app;
}

// Drops temporary objects whose window is gone; they must not destroy it.
void PruneTemporaries() {
  auto& temps = TemporaryMap();
  for (auto it = temps.begin(); it != temps.end();) {
    if (!IsWindow(it->first)) {
      it->second->m_hWnd = nullptr;
      it = temps.erase(it);
    } else {
      ++it;
    }
  }
}

// The dialog procedure of framework dialogs: everything goes through the
// object's message map first (the window is subclassed), so nothing is left
// to do here.
BOOL AfxDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

bool IsDialogClass(HWND hwnd) {
  WCHAR name[16];
  int n = GetClassName(hwnd, name, 16);
  return std::u16string_view(name, static_cast<std::size_t>(n)) == WC_DIALOG;
}

std::u16string NameFromPath(const std::u16string& path) {
  std::size_t slash = path.find_last_of(u"/\\");
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace

// ---------------------------------------------------------------------------
// Run-time classes

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
    if (c == base) return true;
  }
  return false;
}

const CRuntimeClass* CObject::GetThisClass() {
  static const CRuntimeClass rc{"CObject", static_cast<int>(sizeof(CObject)), nullptr};
  return &rc;
}

const CRuntimeClass* CObject::GetRuntimeClass() const {
  return GetThisClass();
}

bool CObject::IsKindOf(const CRuntimeClass* cls) const {
  return GetRuntimeClass()->IsDerivedFrom(cls);
}

const CRuntimeClass* CCmdTarget::GetThisClass() {
  static const CRuntimeClass rc{"CCmdTarget", static_cast<int>(sizeof(CCmdTarget)),
                                CObject::GetThisClass()};
  return &rc;
}

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const {
  return GetThisClass();
}

// ---------------------------------------------------------------------------
// Message maps

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code,
                                            UINT id) {
  for (; map != nullptr; map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e != nullptr && e->pfn != nullptr; ++e) {
      if (e->nMessage != message || e->nCode != code) continue;
      bool idMatches =
          message == WM_COMMAND ? static_cast<WORD>(e->nID) == static_cast<WORD>(id) : e->nID == id;
      if (idMatches) return e;
    }
  }
  return nullptr;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
  return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code) {
  const AFX_MSGMAP_ENTRY* e =
      AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, static_cast<UINT>(code), id);
  if (e == nullptr) return FALSE;
  LRESULT result = 0;
  e->pfn(this, MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)), 0, &result);
  return TRUE;
}

// ---------------------------------------------------------------------------
// CWnd

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() {
  if (m_hWnd == nullptr) return;
  HWND hwnd = m_hWnd;
  // Hand the window back to its own procedure before it goes, so that no
  // message reaches this half-destroyed object.
  if (m_pfnSuper != nullptr && IsWindow(hwnd)) {
    SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  }
  Detach();
  if (IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  if (CWnd* p = FromHandlePermanent(hwnd)) return p;
  PruneTemporaries();
  auto& temps = TemporaryMap();
  auto it = temps.find(hwnd);
  if (it != temps.end()) return it->second.get();
  if (!IsWindow(hwnd)) return nullptr;
  auto wrapper = std::make_unique<CWnd>();
  wrapper->m_hWnd = hwnd;
  CWnd* raw = wrapper.get();
  temps.emplace(hwnd, std::move(wrapper));
  return raw;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  auto& map = PermanentMap();
  auto it = map.find(hwnd);
  return it == map.end() ? nullptr : it->second;
}

BOOL CWnd::Attach(HWND hwnd) {
  if (hwnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hwnd) != nullptr) return FALSE;
  m_hWnd = hwnd;
  PermanentMap()[hwnd] = this;
  auto& temps = TemporaryMap();
  if (auto it = temps.find(hwnd); it != temps.end()) {
    it->second->m_hWnd = nullptr;
    temps.erase(it);
  }
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd != nullptr) {
    auto& map = PermanentMap();
    if (auto it = map.find(hwnd); it != map.end() && it->second == this) map.erase(it);
  }
  m_hWnd = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!IsWindow(hwnd) || !Attach(hwnd)) return FALSE;
  PreSubclassWindow();
  auto old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (old != &AfxWndProc) m_pfnSuper = old;
  return TRUE;
}

namespace {
// Makes the next window created this object's, with its messages routed
// through the object's message map.
void HookCreate(CWnd* wnd) {
  platform::HookNextWindowCreate([wnd](HWND hwnd) { wnd->SubclassWindow(hwnd); });
}
}  // namespace

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, LPVOID param) {
  if (m_hWnd != nullptr) return FALSE;
  HookCreate(this);
  HWND hwnd = ::CreateWindowEx(
      exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
      rect.bottom - rect.top, parent != nullptr ? parent->m_hWnd : nullptr,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), param);
  platform::HookNextWindowCreate(nullptr);
  return hwnd != nullptr && m_hWnd == hwnd ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
  return m_hWnd != nullptr ? ::DestroyWindow(m_hWnd) : FALSE;
}

CWnd* CWnd::GetDlgItem(int id) const {
  return FromHandle(::GetDlgItem(m_hWnd, id));
}
void CWnd::SetDlgItemText(int id, LPCTSTR text) {
  ::SetDlgItemText(m_hWnd, id, text);
}

int CWnd::GetDlgItemText(int id, CString& text) const {
  HWND item = ::GetDlgItem(m_hWnd, id);
  int length = ::GetWindowTextLength(item);
  text.assign(static_cast<std::size_t>(length) + 1, u'\0');
  int n = ::GetWindowText(item, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(n));
  return n;
}

void CWnd::CheckDlgButton(int id, UINT check) {
  ::CheckDlgButton(m_hWnd, id, check);
}
UINT CWnd::IsDlgButtonChecked(int id) const {
  return ::IsDlgButtonChecked(m_hWnd, id);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam) const {
  return ::SendDlgItemMessage(m_hWnd, id, msg, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessage(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::ShowWindow(int cmdShow) {
  return ::ShowWindow(m_hWnd, cmdShow);
}
BOOL CWnd::IsWindowVisible() const {
  return ::IsWindowVisible(m_hWnd);
}
BOOL CWnd::EnableWindow(BOOL enable) {
  return ::EnableWindow(m_hWnd, enable);
}
void CWnd::BringWindowToTop() {
  ::BringWindowToTop(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::GetWindowRect(RECT* rect) const {
  ::GetWindowRect(m_hWnd, rect);
}
void CWnd::GetClientRect(RECT* rect) const {
  ::GetClientRect(m_hWnd, rect);
}

void CWnd::UpdateWindow() {
  ::UpdateWindow(m_hWnd);
}
DWORD CWnd::GetStyle() const {
  return static_cast<DWORD>(::GetWindowLongPtr(m_hWnd, GWL_STYLE));
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  return reinterpret_cast<HICON>(::SendMessage(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(icon)));
}

int CWnd::MessageBox(LPCTSTR text, LPCTSTR caption, UINT type) {
  return ::MessageBox(m_hWnd, text, caption != nullptr ? caption : AfxGetAppName(), type);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

LRESULT CWnd::Default() {
  const MSG* m = GetCurrentMessage();
  if (m == nullptr) return 0;
  MSG copy = *m;
  return DefWindowProc(copy.message, copy.wParam, copy.lParam);
}

const MSG* CWnd::GetCurrentMessage() {
  auto& stack = MessageStack();
  return stack.empty() ? nullptr : &stack.back();
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(msg, wParam, lParam, &result)) result = DefWindowProc(msg, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT local = 0;
  if (result == nullptr) result = &local;
  if (msg == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *result = 0;
    return TRUE;
  }
  if (msg == WM_NOTIFY) {
    if (lParam == 0) return FALSE;
    return OnNotify(wParam, lParam, result);
  }
  const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), msg, 0, 0);
  if (e == nullptr) return FALSE;
  *result = 0;
  return e->pfn(this, wParam, lParam, result);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper != nullptr) return ::CallWindowProc(m_pfnSuper, m_hWnd, msg, wParam, lParam);
  return ::DefWindowProc(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
  return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), WM_NOTIFY, header->code,
                                                  static_cast<UINT>(header->idFrom));
  if (e == nullptr) return FALSE;
  *result = 0;
  e->pfn(this, 0, lParam, result);
  return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}
void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

void CWnd::OnSize(UINT, int, int) {
  Default();
}
void CWnd::OnSettingChange(UINT, LPCTSTR) {
  Default();
}
void CWnd::OnVScroll(UINT, UINT, CWnd*) {
  Default();
}

LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (wnd == nullptr) return ::DefWindowProc(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    // The window's own procedure cleans up; then the object lets go of it.
    WNDPROC super = wnd->m_pfnSuper;
    LRESULT result = ::CallWindowProc(super, hwnd, msg, wParam, lParam);
    SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
    wnd->m_pfnSuper = nullptr;
    wnd->Detach();
    wnd->PostNcDestroy();
    return result;
  }
  MessageStack().push_back(MSG{hwnd, msg, wParam, lParam, 0, {}});
  LRESULT result = wnd->WindowProc(msg, wParam, lParam);
  MessageStack().pop_back();
  return result;
}

// ---------------------------------------------------------------------------
// Data exchange

HWND CDataExchange::PrepareCtrl(int id) {
  return m_pDlgWnd == nullptr ? nullptr : ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (dx == nullptr || control.m_hWnd != nullptr) return;
  HWND item = dx->PrepareCtrl(id);
  if (item != nullptr) control.SubclassWindow(item);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  HWND item = dx == nullptr ? nullptr : dx->PrepareCtrl(id);
  if (item == nullptr) return;
  if (dx->m_bSaveAndValidate) {
    int length = ::GetWindowTextLength(item);
    value.assign(static_cast<std::size_t>(length) + 1, u'\0');
    int n = ::GetWindowText(item, value.data(), length + 1);
    value.resize(static_cast<std::size_t>(n));
  } else {
    ::SetWindowText(item, value.c_str());
  }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND item = dx == nullptr ? nullptr : dx->PrepareCtrl(id);
  if (item == nullptr) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessage(item, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessage(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

// ---------------------------------------------------------------------------
// CDialog

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
  HookCreate(this);
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
  HookCreate(this);
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

// ---------------------------------------------------------------------------
// CPropertyPage

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

BEGIN_MESSAGE_MAP(CPropertyPage, CDialog)
END_MESSAGE_MAP()

CPropertyPage::CPropertyPage(UINT idTemplate, UINT idCaption)
    : CDialog(idTemplate), m_nIDCaption(idCaption) {}

CPropertyPage::~CPropertyPage() = default;

// ---------------------------------------------------------------------------
// Control wrappers

IMPLEMENT_DYNAMIC(CComboBox, CWnd)
int CComboBox::GetCount() const {
  return static_cast<int>(SendMessage(CB_GETCOUNT));
}
int CComboBox::GetLBText(int index, CString& text) const {
  int length = GetLBTextLen(index);
  if (length < 0) {
    text.clear();
    return static_cast<int>(CB_ERR);
  }
  text.assign(static_cast<std::size_t>(length) + 1, u'\0');
  SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return length;
}
int CComboBox::GetLBTextLen(int index) const {
  return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
}

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
LONG CTabCtrl::InsertItem(int index, TCITEM* item) {
  return static_cast<LONG>(
      SendMessage(TCM_INSERTITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
int CTabCtrl::GetItemCount() const {
  return static_cast<int>(SendMessage(TCM_GETITEMCOUNT));
}
int CTabCtrl::GetCurSel() const {
  return static_cast<int>(SendMessage(TCM_GETCURSEL));
}

IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
int CProgressCtrl::SetPos(int pos) {
  return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos)));
}

IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
void CSpinButtonCtrl::SetRange(short lower, short upper) {
  SendMessage(UDM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(upper), static_cast<WORD>(lower)));
}
void CSpinButtonCtrl::GetRange(int& lower, int& upper) const {
  auto range = static_cast<UINT_PTR>(SendMessage(UDM_GETRANGE));
  lower = static_cast<SHORT>(HIWORD(range));
  upper = static_cast<SHORT>(LOWORD(range));
}
int CSpinButtonCtrl::SetPos(int pos) {
  return static_cast<int>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(pos), 0)));
}
int CSpinButtonCtrl::GetPos() const {
  return static_cast<int>(SendMessage(UDM_GETPOS));
}

// ---------------------------------------------------------------------------
// The application

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

CWinApp::CWinApp(LPCTSTR appName) {
  CurrentApp() = this;
  if (appName != nullptr) {
    m_strAppName = appName;
    m_pszAppName = m_strAppName.c_str();
  }
}

CWinApp::~CWinApp() {
  if (CurrentApp() == this) CurrentApp() = nullptr;
}

void CWinApp::SetRegistryKey(LPCTSTR key) {
  m_strRegistryKey = key != nullptr ? key : u"";
  m_pszRegistryKey = m_strRegistryKey.c_str();
  m_strProfileName = m_pszAppName != nullptr ? m_pszAppName : u"";
  m_pszProfileName = m_strProfileName.c_str();
}

BOOL CWinApp::InitApplication() {
  return TRUE;
}
BOOL CWinApp::InitInstance() {
  return TRUE;
}

int CWinApp::Run() {
  MSG m;
  for (;;) {
    BOOL r = ::GetMessage(&m, nullptr, 0, 0);
    if (r == 0) {
      m_nExitCode = static_cast<int>(m.wParam);
      break;
    }
    if (r == -1) break;
    HWND top = m.hwnd;
    while (top != nullptr && (::GetWindowLongPtr(top, GWL_STYLE) & WS_CHILD) != 0) {
      top = ::GetParent(top);
    }
    if (top != nullptr && IsDialogClass(top) && ::IsDialogMessage(top, &m)) continue;
    ::TranslateMessage(&m);
    ::DispatchMessage(&m);
  }
  return ExitInstance();
}

int CWinApp::ExitInstance() {
  return m_nExitCode;
}

HICON CWinApp::LoadIcon(UINT id) const {
  return ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(static_cast<int>(id)));
}

CWinApp* AfxGetApp() {
  return CurrentApp();
}

LPCTSTR AfxGetAppName() {
  CWinApp* app = CurrentApp();
  return app == nullptr ? nullptr : app->m_pszAppName;
}

HINSTANCE AfxGetInstanceHandle() {
  CWinApp* app = CurrentApp();
  if (app != nullptr && app->m_hInstance != nullptr) return app->m_hInstance;
  return platform::InstanceOf(platform::ProgramModule().resources);
}

HINSTANCE AfxGetResourceHandle() {
  return AfxGetInstanceHandle();
}

CWnd* AfxGetMainWnd() {
  CWinApp* app = CurrentApp();
  return app == nullptr ? nullptr : app->m_pMainWnd;
}

int AfxWinMain() {
  CWinApp* app = CurrentApp();
  if (app == nullptr) return -1;
  InitCommonControls();
  std::u16string name = NameFromPath(platform::ProgramModule().path);
  app->m_strExeName = name;
  app->m_pszExeName = app->m_strExeName.c_str();
  if (app->m_pszAppName == nullptr) {
    app->m_strAppName = name;
    app->m_pszAppName = app->m_strAppName.c_str();
  }
  app->m_hInstance = platform::InstanceOf(platform::ProgramModule().resources);
  app->m_nExitCode = 0;
  if (!app->InitApplication() || !app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

void AfxResetFrameworkState() {
  auto& temps = TemporaryMap();
  for (auto& entry : temps) entry.second->m_hWnd = nullptr;
  temps.clear();
  MessageStack().clear();
}
