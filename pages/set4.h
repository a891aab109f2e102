// Fourth settings page: lunar calendar, the input method's default mode,
// ClearType in the shell and the browser, and the title-bar clock.
#pragma once

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"

class CSet4 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet4)

 public:
  enum { IDD = 138 };

  CSet4();
  ~CSet4() override;

  void LoadSettings();
  void SaveSettings();

  CComboBox m_comboTBOpt;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};
