// Fifth settings page: menu animation and the four scroll-bar sizes.
#pragma once

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"

class CSet5 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet5)

 public:
  enum { IDD = 139 };

  CSet5();
  ~CSet5() override;

  void LoadSettings();
  void SaveSettings();

  CSpinButtonCtrl m_spinCxVScr;
  int m_nCxVScr = 0;
  int m_nCyHScr = 0;
  CSpinButtonCtrl m_spinCyHScr;
  int m_nCyVScr = 0;
  int m_nCxHScr = 0;
  CSpinButtonCtrl m_spinCyVScr;
  CSpinButtonCtrl m_spinCxHScr;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);

  DECLARE_MESSAGE_MAP()
};
