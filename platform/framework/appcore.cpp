// The application: CWinApp with its message loop, the application-wide
// accessors and the program entry.
#include <string>

#include "platform/framework/afxwin.h"
#include "platform/window/window_tree.h"

namespace {

CWinApp*& CurrentApp() {
  static CWinApp* app = nullptr;
  return app;
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
