#include "app/settings_app.h"

#include "app/settings_dlg.h"
#include "platform/shell/aygshell.h"

BEGIN_MESSAGE_MAP(CSettingsApp, CWinApp)
END_MESSAGE_MAP()

CSettingsApp::CSettingsApp() : CWinApp(nullptr) {}

CSettingsApp::~CSettingsApp() = default;

BOOL CSettingsApp::InitInstance() {
  SHInitExtraControls();
  // The framework's profile key; nothing is ever read or written through it.
  SetRegistryKey(u"アプリケーション ウィザードで生成されたローカル アプリケーション");

  CSettingsDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // End the program instead of entering the framework's message loop.
  return FALSE;
}

CSettingsApp theApp;

int RunSettingsApp() {
  // The application object registered itself when it was constructed.
  return AfxGetApp() == &theApp ? AfxWinMain() : -1;
}
