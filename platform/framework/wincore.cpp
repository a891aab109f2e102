// The window core of the framework: run-time classes, message maps and their
// dispatch, CWnd with its handle maps, subclassing and wrappers of the window
// calls, and the window procedure of framework windows.
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/framework/afxwin.h"
#include "platform/framework/internal.h"
#include "platform/window/host.h"

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

}  // namespace

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

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, LPVOID param) {
  if (m_hWnd != nullptr) return FALSE;
  platform::framework::HookCreate(this);
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
  text = platform::framework::WindowText(::GetDlgItem(m_hWnd, id));
  return static_cast<int>(text.size());
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

void AfxResetFrameworkState() {
  auto& temps = TemporaryMap();
  for (auto& entry : temps) entry.second->m_hWnd = nullptr;
  temps.clear();
  MessageStack().clear();
}
