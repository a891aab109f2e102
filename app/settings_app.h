// The application object: runs the main dialog modally and ends the program
// when it closes.
#pragma once

#include "platform/framework/afxwin.h"

class CSettingsApp : public CWinApp {
 public:
  CSettingsApp();
  ~CSettingsApp() override;

  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

// The one application object, constructed before start-up.
extern CSettingsApp theApp;

// Runs the tool through the framework's entry (AfxWinMain) once
// platform::ProgramModule() is set; returns the exit code. Linking this also
// links the application object.
int RunSettingsApp();
