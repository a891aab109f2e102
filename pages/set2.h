// Second settings page: the software keyboard, clearing the start menu's
// history and the browser's connections per server.
#pragma once

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"

class CSet2 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet2)

 public:
  enum { IDD = 136 };

  CSet2();
  ~CSet2() override;

  void LoadSettings();
  void SaveSettings();

  CSpinButtonCtrl m_spinPer1_0Server;
  CSpinButtonCtrl m_spinPerServer;
  int m_nPer1_0Server = 0;
  int m_nPerServer = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);

  DECLARE_MESSAGE_MAP()
};
